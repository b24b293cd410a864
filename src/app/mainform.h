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
#include <optional>
#include <string>
#include <vector>

#include "app/badline.h"
#include "app/positioneditor.h"
#include "app/recentfiles.h"
#include "app/slicedlayout.h"
#include "convert/driver.h"
#include "convert/layout.h"
#include "fonts/catalogue.h"
#include "games/choice.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QMenu;
class QMimeData;
class QPlainTextEdit;
class QSplitter;
class QTextDocument;
class QTextEdit;

namespace bq {

inline constexpr const char kAppTitle[] = "Boardquill";
inline constexpr const char kEPDFilter[] = "EPD files (*.epd)";
inline constexpr const char kPGNFilter[] = "PGN files (*.pgn)";
inline constexpr const char kRTFFilter[] = "RTF documents (*.rtf)";
inline constexpr const char kPDFFilter[] = "PDF documents (*.pdf)";

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

  // Settings held in memory, section "General": the folder of Open... and
  // the conversion settings.
  std::string OpenDir;
  const TConvertSettings& ConvertSettings() const { return settings_; }
  // The conversion job of the current settings, for the preview and the
  // picture commands alike.
  TConvertJob Job(TOutputFormat format = TOutputFormat::Rtf,
                  const TPictureOptions& pictures = {}) const;
  // Takes the settings (the settings dialog's OK) and tells in the status
  // line whether the diagram font can draw.
  void SetConvertSettings(const TConvertSettings& settings);

  // How the diagrams are laid out (orientation, mark, caption, columns,
  // answer key); written on closing only when changed.
  const TLayoutSettings& LayoutSettings() const { return settings_.Layout; }
  void SetLayoutSettings(const TLayoutSettings& layout) { settings_.Layout = layout; }
  // Which positions of games are drawn (setting GameDiagrams); written on
  // closing only when changed.
  const TDiagramPolicy& GameDiagrams() const { return gameDiagrams_; }
  void SetGameDiagrams(const TDiagramPolicy& policy) { gameDiagrams_ = policy; }
  // The folder of Save As... and Export Pictures..., kept once used.
  std::string SaveDir;

  const TChessFontInfoMan& FontInfoMan() const { return *fontInfoMan_; }

  // The conversion driver: the EPD pane into the preview.
  void ConvertEPD();
  // Beep, then the message and, on a second line, the reason.
  void ShowError(const std::string& message, const std::string& reason);
  // The general error report.
  void ReportError(const QString& text);
  // Open... after the dialog: sets OpenDir and loads the file into the EPD
  // pane. Throws TRunError("Cannot open file <path>") or "Failed to Load
  // Stream". Several files load one after the other into the pane; each
  // goes to the top of the recent files.
  void OpenFile(const QString& path);
  void OpenFiles(const QStringList& paths);
  // Save As... after the dialog: the preview's document as a file that
  // appears whole or not at all, as PDF when the name ends in ".pdf", else
  // as RTF; sets SaveDir. Throws TRunError("Unable to write to <path>").
  void SaveDocument(const QString& path);
  void SaveRTF(const QString& path);
  // Where Save As... and Export Pictures... start: in the folder of the last
  // file opened or saved, else in the user's documents; named after the
  // opened file ("bk.epd" gives "bk" + suffix), else "Untitled" + suffix.
  QString ProposedPath(const QString& suffix) const;
#ifdef BOARDQUILL_PICTURES
  // Export Pictures... after the dialog: one picture per record of the
  // preview in `folder`, which must be new or empty; sets SaveDir. False
  // when the user cancelled: then the folder is as it was.
  bool ExportPictures(const QString& folder, bool svg, int squarePx);
  // The square size of the last export, also that of copied pictures.
  int PictureSquare = 40;
  // How long the export works before it shows its progress; tests make it 0.
  int ExportProgressDelayMs = 1000;
#endif
  // File > Open Recent: a file that is gone leaves the list with a message.
  void OpenRecent(const QString& path);
  const TRecentFiles& RecentFiles() const {
    return recent_;
  }
  // Files and text dropped on the window: files as Open... loads them, text
  // as Paste EPD puts it in; then, with Auto Convert and Copy checked,
  // converted and copied as after a paste. False when the data holds
  // neither.
  bool DropData(const QMimeData& data);
  static bool CanDrop(const QMimeData& data);
  // The document shown in the preview, as the driver made it; empty when the
  // preview is empty.
  const std::string& PreviewDocument() const {
    return previewDocument_;
  }
  bool AutoCopy() const;

  // How the preview is laid out between events; tests make the slices small.
  TLayoutPacing PreviewPacing;
  // True while Copy RTF waits for the preview's layout to select all of it:
  // selecting makes Qt lay out at once what is left, seconds for a large
  // preview.
  bool SelectionPending() const {
    return selectionPending_;
  }

  // Command handlers (menu order).
  void Open1Click();
  void SaveAs1Click();
  void ExportPictures1Click();
  void CopyPicture1Click();
  void Settings1Click();
  void Exit1Click();
  void CopyFEN1Click();
  void Pa1Click();
  void ConvertEPDtoRTF1Click();
  void NewPosition1Click();
  void EditPosition1Click();
  void MAutoCopyafterPasteClick();
  void About1Click();
  void OpenDialog1SelectionChange();

  TMessagePresenter Presenter;

  QSplitter* Splitter1;  // EPD pane above, preview below
  QLabel* Label2;
  QPlainTextEdit* Memo2;
  QLabel* Label1;
  QTextEdit* Memo1;
  QLabel* FontStatusLbl;
  QLabel* MarksStatusLbl;  // what the preview's typed diagrams leave out
  QLabel* StyleStatusLbl;  // which diagram style the RTF has
  QFileDialog* OpenDialog1;
  QFileDialog* SaveDialog1;
  QMenu* File1;
  QMenu* Edit1;
  QMenu* Help1;
  QAction* Open1;
  QMenu* OpenRecent1;
  QAction* SaveAs1;
  QAction* ExportPictures1;  // null in builds without pictures
  QAction* CopyPicture1;     // null in builds without pictures
  QAction* Settings1;
  QAction* Exit1;
  QAction* CopyFEN1;
  QAction* Pa1;
  QAction* ConvertEPDtoRTF1;
  QAction* NewPosition1;
  QAction* EditPosition1;
  QAction* MAutoCopyafterPaste;
  QAction* About1;

 protected:
  void showEvent(QShowEvent* event) override;
  // Saves the settings, once, while the window is still there to report a
  // failure; the window closes all the same.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  // Every setting the window keeps, in one replace of the settings file.
  void SaveSettings();
  void CreateControls();
  QWidget* CreateEPDPart();
  QWidget* CreatePreviewPart();
  void CreateMenus();
  void UpdateRecentMenu();
  void StoreRecent(const TRecentFiles& recent);
  void UpdateFontStatus();
  void ShowMarksStatus(const QString& text);
  // First start: a size that shows the EPD pane and one whole diagram,
  // centred in the screen's available area; and the split of the height.
  void PlaceAtFirstStart();
  void RestoreSplitter();
  // The EPD pane's height for its lines, and its part's (label included).
  int EPDPaneHeight() const;
  int EPDPartHeight();
  // Converts the EPD pane into the preview; after an error, its message and
  // where the bad line stands in the pane.
  std::optional<TTextSpot> Convert();
  // Games printed as text into the preview (GameText).
  std::optional<TTextSpot> ConvertGames(const QString& pane, std::string text);
  // The bad line in view and highlighted, the cursor where the reason says.
  void ShowBadLine(const TTextSpot& spot);
  // What follows a paste or a drop: with the Auto check mark, convert and
  // copy.
  void ConvertAndCopy();
  bool HandleDrag(QEvent* event);
  void TakeDrop(const QStringList& files, const QString& text);
  void SelectWholePreview();
  void PreviewLaidOut();
  void StopSelection();
  void SavePDF(const QString& path);
  // Copy Diagram as Picture: the record at the EPD pane's cursor line, or
  // at the preview's cursor.
  void CopyPaneRecordPicture();
  void CopyPreviewRecordPicture();
  // The Position Editor: how it draws, which pane line Edit Position
  // opens on (-1, the reason in the status line, when none), and the line
  // it writes, as a new last line (`block` -1) or over its own.
  TEditorLook EditorLook() const;
  int EditedBlock();
  void WritePaneLine(int block, const std::string& line);
  // Runs a command; errors end in the general error report.
  void Guarded(const std::function<void()>& command);

  std::unique_ptr<TChessFontInfoMan> fontInfoMan_;
  std::vector<std::string> describedFonts_;  // every font ChsFonts.ini lists
  TConvertSettings settings_;
  TLayoutSettings storedLayout_;  // as read at the start
  bool storedMarks_ = true;       // likewise
  TConvertSettings storedGames_;  // as read at the start: GameText, Notation, FigurineFont
  TDiagramPolicy gameDiagrams_;   // setting GameDiagrams
  TDiagramPolicy storedDiagrams_;
  TDiagramStyle storedStyle_ = TDiagramStyle::Font;
  TRecentFiles recent_;
  std::string previewDocument_;
  std::string previewEPD_;    // the EPD records the preview was made of (its diagrams')
  std::string previewGames_;  // the PGN of a preview of games as text; else empty
  // The folder of the last file opened or saved, and the name (without its
  // extension) of the file the EPD pane was loaded from; empty once the pane
  // holds pasted or dropped text.
  std::string lastFolder_;
  QString openedName_;
  bool shown_ = false;          // the placement and AutoCopy are the window's own
  bool settingsSaved_ = false;  // since the window was last shown

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
