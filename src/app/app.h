#pragma once
// Start-up and shutdown of the desktop application.
#include <QString>
#include <string>

#include "support/bitmapsets.h"

namespace bq {

// The whole run: modules initialised, the main window and the settings
// dialog created, the message loop, then everything released in reverse.
int RunDesktopApp(int argc, char** argv);

// Makes the application's embedded resources available (they live in a
// static library, so the program must ask for them once).
void InitAppResources();

// Where a bitmap set's picture is: a built-in set's embedded bitmap under
// its upper-case name, else the file.
QString BitmapImagePath(const std::string& source, bool fromFile);

// The bitmap set loader: built-in sets are the embedded bitmaps under their
// upper-case names, others are files. Throws TRunError when the picture
// cannot be loaded.
TBitmapSize LoadBitmapImageSize(const std::string& source, bool fromFile);

// Module initialisation in start-up order, released in reverse when the
// object goes: language registry, text providers, installed font list,
// piece letter sets, piece bitmap sets.
class TAppModules {
 public:
  TAppModules();
  ~TAppModules();
  TAppModules(const TAppModules&) = delete;
  TAppModules& operator=(const TAppModules&) = delete;

 private:
  static void Release();
};

}  // namespace bq
