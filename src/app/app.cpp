#include "app/app.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <exception>
#include <memory>

#include "app/mainform.h"
#include "app/settingsdlg.h"
#include "chess/letters.h"
#include "fonts/catalogue.h"
#include "support/errors.h"
#include "support/language.h"
#include "support/settings.h"
#include "support/texts.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitAppResourcesOnce() {
  Q_INIT_RESOURCE(app);
}

namespace bq {

void InitAppResources() {
  InitAppResourcesOnce();
}

QString BitmapImagePath(const std::string& source, bool fromFile) {
  return fromFile ? QString::fromStdString(source)
                  : QStringLiteral(":/bitmaps/") + QString::fromStdString(source).toUpper();
}

TBitmapSize LoadBitmapImageSize(const std::string& source, bool fromFile) {
  const QImage image(BitmapImagePath(source, fromFile));
  if (image.isNull()) throw TRunError("Bitmap image is not valid: " + source);
  return TBitmapSize{image.width(), image.height()};
}

TAppModules::TAppModules() {
  try {
    InitAppResources();
    InitLanguageManager(CommonFolder());
    InitTextProviders();
    InstalledFontList();
    InitLetterSets();
    InitBitmapSets(LoadBitmapImageSize);
  } catch (...) {
    Release();  // what did start is released again
    throw;
  }
}

TAppModules::~TAppModules() {
  Release();
}

void TAppModules::Release() {
  DoneBitmapSets();
  DoneLetterSets();
  DoneTextProviders();
  DoneLanguageManager();
  ResetCommonFolder();
}

int RunDesktopApp(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kAppTitle);
  QApplication::setApplicationVersion(BOARDQUILL_VERSION);
  // Lets Wayland compositors match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("boardquill"));
  try {
    TAppModules modules;
    QApplication::setApplicationDisplayName(kAppTitle);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/boardquill.png")));
    int result = 0;
    {
      auto mainForm = std::make_unique<TMainForm>();
      // The dialog belongs to the main window and goes with it.
      new TSettingsDlg(mainForm.get());
      mainForm->show();
      result = QApplication::exec();
      // A run ended otherwise than by closing the window saves its settings
      // too (closing twice saves once).
      mainForm->close();
    }
    return result;
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, kAppTitle, ErrorReportText(QString::fromUtf8(e.what())));
    return 1;
  }
}

}  // namespace bq
