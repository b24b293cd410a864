// The desktop window's program; `boardquill` starts it when given no command.
#include "app/app.h"
#include "support/settings.h"

int main(int argc, char** argv) {
  // The window keeps the settings of the command program beside it
  // (boardquill.ini), as one program would.
  bq::SetProgramPath(bq::ProgramFolder() + "boardquill");
  return bq::RunDesktopApp(argc, argv);
}
