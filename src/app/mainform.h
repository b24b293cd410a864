#pragma once
// The main window: the EPD pane, the RTF preview, the menu with every
// command, and the settings in memory.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "app/slicedlayout.h"
#include "convert/driver.h"
#include "fonts/catalogue.h"

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QTextDocument;
class QTextEdit;

namespace bq {

inline constexpr const char kAppTitle[] = "Boardquill";
inline constexpr const char kNoDiagramFont[] = "No diagram font chosen: File > Settings...";
inline constexpr const char kEPDFilter[] = "EPD files (*.epd)";

// How the main window shows messages. Tests replace the functions so that
// no modal dialog waits for a user.
struct TMessagePresenter {
  // The program's own message dialog (About, conversion errors).
  std::function<void(QWidget* owner, const QString& text)> ShowMessage;
  // The general error report: a message box with the error icon.
  std::function<void(QWidget* owner, const QString& text)> ReportError;
};

// The error report's text: a "." is added when the text ends in a letter or
// digit.
QString ErrorReportText(const QString& text);

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Settings held in memory, section "General".
  std::string OpenDir;
  std::string DiagFont;
  std::int32_t DiagFontCharSet = 0;
  std::int32_t DiagFontSize = 20;
  bool ShowCoords = false;
  std::int32_t TextFontSize = 10;
  std::string TextFont = "Arial";
  std::string Operations = "id,bm";

  const TChessFontInfoMan& FontInfoMan() const { return *fontInfoMan_; }
  TConvertSettings ConvertSettings() const;

  // The conversion driver: the EPD pane into the preview.
  void ConvertEPD();
  // Beep, then the message and, on a second line, the reason.
  void ShowError(const std::string& message, const std::string& reason);
  // The general error report.
  void ReportError(const QString& text);
  // Open... after the dialog: sets OpenDir and loads the file into the EPD
  // pane. Throws TRunError("Cannot open file <path>") or "Failed to Load
  // Stream".
  void OpenFile(const QString& path);
  // The document shown in the preview, as the driver made it; empty when the
  // preview is empty.
  const std::string& PreviewDocument() const { return previewDocument_; }
  bool AutoCopy() const;

  // How the preview is laid out between events; tests make the slices small.
  TLayoutPacing PreviewPacing;
  // True while Copy RTF waits for the preview's layout to select all of it:
  // selecting makes Qt lay out at once what is left, seconds for a large
  // preview.
  bool SelectionPending() const { return selectionPending_; }

  // Command handlers (menu order).
  void Open1Click();
  void Settings1Click();
  void Exit1Click();
  void CopyFEN1Click();
  void Pa1Click();
  void ConvertEPDtoRTF1Click();
  void MAutoCopyafterPasteClick();
  void About1Click();
  void OpenDialog1SelectionChange();

  TMessagePresenter Presenter;

  QLabel* Label2;
  QPlainTextEdit* Memo2;
  QLabel* Label1;
  QTextEdit* Memo1;
  QLabel* FontStatusLbl;
  QFileDialog* OpenDialog1;
  QMenu* File1;
  QMenu* Edit1;
  QMenu* Help1;
  QAction* Open1;
  QAction* Settings1;
  QAction* Exit1;
  QAction* CopyFEN1;
  QAction* Pa1;
  QAction* ConvertEPDtoRTF1;
  QAction* MAutoCopyafterPaste;
  QAction* About1;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void FormHide();
  void FormDestroy();
  void CreateControls();
  void CreateMenus();
  void UpdateFontStatus();
  void SelectWholePreview();
  void PreviewLaidOut();
  void StopSelection();
  // Runs a command; errors end in the general error report.
  void Guarded(const std::function<void()>& command);

  std::unique_ptr<TChessFontInfoMan> fontInfoMan_;
  std::string previewDocument_;
  bool destroyed_ = false;

  TSlicedLayout previewLayout_;
  // The pending selection: the preview's document and cursor when Copy RTF
  // asked for it (a user who moves the cursor meanwhile has chosen otherwise).
  bool selectionPending_ = false;
  QPointer<QTextDocument> selectionDoc_;
  int selectionAnchor_ = 0;
  int selectionPosition_ = 0;
  Qt::CursorShape selectionCursorShape_ = Qt::IBeamCursor;
};

// The one main window of the run.
extern TMainForm* MainForm;

}  // namespace bq
