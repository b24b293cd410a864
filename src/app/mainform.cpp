#include "app/mainform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColor>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShowEvent>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "app/about.h"
#include "app/busycursor.h"
#include "app/firststart.h"
#include "app/msgform.h"
#include "app/rtfview.h"
#include "app/settingsdlg.h"
#include "app/winplace.h"
#include "convert/gametextdriver.h"
#include "convert/rtfwriter.h"
#include "fonts/fontstatus.h"
#include "games/inputkind.h"
#include "games/pgnepd.h"
#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/profile.h"
#include "support/settings.h"

#ifdef BOARDQUILL_PICTURES
#include "render/picturewriter.h"
#endif

namespace bq {

TMainForm* MainForm = nullptr;

namespace {

constexpr char kPlacementSection[] = "MainForm";
// The EPD pane's share of the height, stored beside the placement.
constexpr char kSplitterKey[] = "Splitter";
constexpr int kEPDLines = 6;
constexpr int kStatusMargin = 8;

// Typed diagrams leave arrows and circles out; the status line says so.
constexpr char kArrowsDropped[] =
    "arrows and circles need picture diagrams (--diagram-style picture)";

// Files that a drop loads.
const QStringList kDropSuffixes = {QStringLiteral("epd"), QStringLiteral("txt"),
                                   QStringLiteral("pgn")};
// How much of the pane's start tells EPD lines from PGN games.
constexpr std::size_t kInputHead = std::size_t{1} << 16;

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The clipboard forms under which the preview's document is offered.
constexpr const char* kRichTextMimeTypes[] = {
    "text/rtf", "application/rtf", "text/richtext",
    "application/x-qt-windows-mime;value=\"Rich Text Format\""};

// The boards of picture diagrams. Builds without pictures give none, and
// the RTF writer then refuses picture diagrams as the command line does.
TBoardPng BoardPictures([[maybe_unused]] const TConvertJob& job) {
#ifdef BOARDQUILL_PICTURES
  if (PictureDiagrams(job)) return MakeBoardPng(job);
#endif
  return {};
}

}  // namespace

QString ErrorReportText(const QString& text) {
  if (!text.isEmpty() && text.back().isLetterOrNumber()) return text + QLatin1Char('.');
  return text;
}

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), previewLayout_([this] { Guarded([this] { PreviewLaidOut(); }); }) {
  setObjectName("MainForm");
  if (!MainForm) MainForm = this;
  Presenter.ShowMessage = [](QWidget* owner, const QString& text) {
    ShowMessageText(owner, text, false);
  };
  Presenter.ReportError = [](QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
  };
  CreateControls();
  CreateMenus();
  FormCreate();
}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateControls() {
  setWindowTitle(kAppTitle);
  // The designed client area (313 x 173) is tiny on today's screens; this
  // keeps its proportions at a usable size. A first start sizes the window
  // for its content (PlaceAtFirstStart).
  resize(700, 520);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(8, 4, 8, 4);
  Splitter1 = new QSplitter(Qt::Vertical, central);
  Splitter1->setObjectName("Splitter1");
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(CreateEPDPart());
  Splitter1->addWidget(CreatePreviewPart());
  // More height goes to the preview; the EPD pane keeps its share.
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  layout->addWidget(Splitter1);
  setCentralWidget(central);

  FontStatusLbl = new QLabel(this);
  FontStatusLbl->setObjectName("FontStatusLbl");
  // A narrow window wraps the font status rather than cutting it off.
  FontStatusLbl->setWordWrap(true);
  statusBar()->addWidget(FontStatusLbl, 1);
  // A note on the preview's document, beside the font status; hidden when empty.
  MarksStatusLbl = new QLabel(this);
  MarksStatusLbl->setObjectName("MarksStatusLbl");
  MarksStatusLbl->hide();
  statusBar()->addPermanentWidget(MarksStatusLbl);
  StyleStatusLbl = new QLabel(this);
  StyleStatusLbl->setObjectName("StyleStatusLbl");
  statusBar()->addPermanentWidget(StyleStatusLbl);

  // The menu's shortcuts must beat the panes' own Ctrl+C and Ctrl+V, and
  // drops on the panes load files or replace the EPD text.
  for (QWidget* w : {static_cast<QWidget*>(Memo1), static_cast<QWidget*>(Memo2)})
    w->installEventFilter(this);
  for (QWidget* w : {Memo1->viewport(), Memo2->viewport()}) {
    w->setAcceptDrops(true);
    w->installEventFilter(this);
  }
  setAcceptDrops(true);
  setTabOrder(Memo1, Memo2);

  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setNameFilters({kEPDFilter, kPGNFilter});
  connect(OpenDialog1, &QFileDialog::currentChanged, this,
          [this](const QString&) { OpenDialog1SelectionChange(); });

  SaveDialog1 = new QFileDialog(this);
  SaveDialog1->setObjectName("SaveDialog1");
  SaveDialog1->setOption(QFileDialog::DontUseNativeDialog);
  SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
#ifdef BOARDQUILL_PICTURES
  SaveDialog1->setNameFilters({kRTFFilter, kPDFFilter});
  // A name typed without an extension takes the chosen format's.
  connect(SaveDialog1, &QFileDialog::filterSelected, this, [this](const QString& filter) {
    SaveDialog1->setDefaultSuffix(filter == QLatin1String(kPDFFilter) ? QStringLiteral("pdf")
                                                                      : QStringLiteral("rtf"));
  });
#else
  SaveDialog1->setNameFilter(kRTFFilter);
#endif
  SaveDialog1->setDefaultSuffix(QStringLiteral("rtf"));
}

QWidget* TMainForm::CreateEPDPart() {
  auto* part = new QWidget;
  auto* layout = new QVBoxLayout(part);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  Label2 = new QLabel(tr("EPD:"), part);
  Memo2 = new QPlainTextEdit(part);
  Memo2->setObjectName("Memo2");
  Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Label2->setBuddy(Memo2);
  // The highlight of a bad line lasts until the text changes.
  connect(Memo2, &QPlainTextEdit::textChanged, this, [this] {
    if (!Memo2->extraSelections().isEmpty()) Memo2->setExtraSelections({});
  });
  layout->addWidget(Label2);
  layout->addWidget(Memo2, 1);
  return part;
}

QWidget* TMainForm::CreatePreviewPart() {
  auto* part = new QWidget;
  auto* layout = new QVBoxLayout(part);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  Label1 = new QLabel(tr("RTF:"), part);
  Memo1 = new QTextEdit(part);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Memo1->setUndoRedoEnabled(false);
  QPalette pal = Memo1->palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::Button));
  Memo1->setPalette(pal);
  QFont previewFont(QStringLiteral("Chess Merida"));
  previewFont.setPointSize(8);
  Memo1->setFont(previewFont);
  Label1->setBuddy(Memo1);
  layout->addWidget(Label1);
  layout->addWidget(Memo1, 1);
  return part;
}

void TMainForm::CreateMenus() {
  auto add = [this](QMenu* menu, const QString& caption, const char* name, const QKeySequence& key,
                    void (TMainForm::*handler)()) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    if (handler)
      connect(a, &QAction::triggered, this,
              [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    return a;
  };
  File1 = menuBar()->addMenu(tr("&File"));
  Open1 = add(File1, tr("Open..."), "Open1", QKeySequence(Qt::CTRL | Qt::Key_O),
              &TMainForm::Open1Click);
  OpenRecent1 = File1->addMenu(tr("Open &Recent"));
  OpenRecent1->setObjectName("OpenRecent1");
  SaveAs1 = add(File1, tr("Save &As..."), "SaveAs1", QKeySequence(Qt::CTRL | Qt::Key_S),
                &TMainForm::SaveAs1Click);
  SaveAs1->setEnabled(false);  // until there is a document
  ExportPictures1 = nullptr;
#ifdef BOARDQUILL_PICTURES
  ExportPictures1 = add(File1, tr("&Export Pictures..."), "ExportPictures1", QKeySequence(),
                        &TMainForm::ExportPictures1Click);
  ExportPictures1->setEnabled(false);
#endif
  File1->addSeparator();
  Settings1 = add(File1, tr("&Settings..."), "Settings1", QKeySequence(Qt::Key_F2),
                  &TMainForm::Settings1Click);
  File1->addSeparator();
  Exit1 = add(File1, tr("E&xit"), "Exit1", QKeySequence(), &TMainForm::Exit1Click);

  Edit1 = menuBar()->addMenu(tr("&Edit"));
  CopyFEN1 = add(Edit1, tr("&Paste EPD"), "CopyFEN1", QKeySequence(Qt::CTRL | Qt::Key_V),
                 &TMainForm::CopyFEN1Click);
  Pa1 =
      add(Edit1, tr("&Copy RTF"), "Pa1", QKeySequence(Qt::CTRL | Qt::Key_C), &TMainForm::Pa1Click);
  CopyPicture1 = nullptr;
#ifdef BOARDQUILL_PICTURES
  CopyPicture1 = add(Edit1, tr("Copy &Diagram as Picture"), "CopyPicture1",
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &TMainForm::CopyPicture1Click);
#endif
  ConvertEPDtoRTF1 = add(Edit1, tr("Convert EPD to RTF"), "ConvertEPDtoRTF1",
                         QKeySequence(Qt::Key_F9), &TMainForm::ConvertEPDtoRTF1Click);
  Edit1->addSeparator();
  NewPosition1 = add(Edit1, tr("&New Position..."), "NewPosition1",
                     QKeySequence(Qt::CTRL | Qt::Key_N), &TMainForm::NewPosition1Click);
  EditPosition1 = add(Edit1, tr("&Edit Position..."), "EditPosition1",
                      QKeySequence(Qt::CTRL | Qt::Key_E), &TMainForm::EditPosition1Click);
  Edit1->addSeparator();
  // The action toggles its own check mark.
  MAutoCopyafterPaste = add(Edit1, tr("&Auto Convert and Copy after Paste"), "MAutoCopyafterPaste",
                            QKeySequence(), nullptr);
  MAutoCopyafterPaste->setCheckable(true);
  MAutoCopyafterPaste->setChecked(true);

  Help1 = menuBar()->addMenu(tr("&Help"));
  About1 = add(Help1, tr("&About..."), "About1", QKeySequence(), &TMainForm::About1Click);
}

void TMainForm::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ReportError(QString::fromUtf8(e.what()));
  }
}

void TMainForm::ReportError(const QString& text) {
  if (Presenter.ReportError) Presenter.ReportError(this, ErrorReportText(text));
}

void TMainForm::FormCreate() {
  const std::string fontsFile = ProgramFolder() + "ChsFonts.ini";
  fontInfoMan_ = std::make_unique<TChessFontInfoMan>(fontsFile);
  describedFonts_ = DescribedFontNames(fontsFile);
  const TProfileFile ini = TProfileFile::Load(SettingsFileName());
  // A layout value that does not fit reads as the default, as for the
  // command line.
  settings_ = ReadConvertSettings(ini);
  storedLayout_ = settings_.Layout;
  storedMarks_ = settings_.Marks;
  storedGames_ = settings_;
  storedStyle_ = settings_.DiagramStyle;
  OpenDir = ini.ReadString(kGeneral, "OpenDir", "");
  SaveDir = ini.ReadString(kGeneral, "SaveDir", "");
  // Which of the two came last is not stored; a save is the likelier.
  lastFolder_ = SaveDir.empty() ? OpenDir : SaveDir;
  // Which positions of a game are drawn; a value that does not fit reads as
  // the default.
  TDiagramPolicy policy;
  if (ParseDiagramPolicy(ini.ReadString(kGeneral, "GameDiagrams", "marked"), policy))
    gameDiagrams_ = policy;
  storedDiagrams_ = gameDiagrams_;
  recent_ = TRecentFiles::Read();
  UpdateRecentMenu();
  UpdateFontStatus();
}

void TMainForm::FormShow() {
  settingsSaved_ = false;
  // Shown again, the window stays where it is, with the user's choices.
  if (shown_) return;
  MAutoCopyafterPaste->setChecked(ReadBoolSetting(kGeneral, "AutoCopy", true));
  // Even a stored placement that cannot be restored is replaced on closing.
  shown_ = true;
  if (!RestorePlacement(std::string(), kPlacementSection, this, nullptr, false))
    PlaceAtFirstStart();
  RestoreSplitter();
}

void TMainForm::SaveSettings() {
  const std::string file = SettingsFileName();
  TProfileFile ini = TProfileFile::LoadForUpdate(file);
  // A window never shown has neither a placement nor the stored AutoCopy.
  if (shown_) {
    WritePlacement(ini, kPlacementSection, this, TBorderStyle::Sizeable,
                   {{kSplitterKey, Splitter1->sizes().value(0)}});
    ini.WriteString(kGeneral, "AutoCopy", AutoCopy() ? "1" : "0");
  }
  const TConvertSettings& s = settings_;
  ini.WriteString(kGeneral, "DiagFont", s.DiagFont);
  ini.WriteString(kGeneral, "DiagFontCharSet", std::to_string(s.DiagFontCharSet));
  ini.WriteString(kGeneral, "DiagFontSize", std::to_string(s.DiagFontSize));
  ini.WriteString(kGeneral, "ShowCoords", s.ShowCoords ? "1" : "0");
  ini.WriteString(kGeneral, "TextFont", s.TextFont);
  ini.WriteString(kGeneral, "TextFontSize", std::to_string(s.TextFontSize));
  ini.WriteString(kGeneral, "Operations", s.Operations);
  ini.WriteString(kGeneral, "OpenDir", OpenDir);
  // The later settings are written only when used: a settings file of a
  // run that never touched them stays as it was.
  if (!SaveDir.empty()) ini.WriteString(kGeneral, "SaveDir", SaveDir);
  if (s.Layout != storedLayout_ || s.Marks != storedMarks_) {
    WriteLayoutSettings(ini, s.Layout);
    ini.WriteString(kGeneral, kMarksKey, s.Marks ? "1" : "0");
  }
  if (s.GameText != storedGames_.GameText || s.Notation != storedGames_.Notation ||
      s.FigurineFont != storedGames_.FigurineFont)
    WriteGameTextSettings(ini, s);
  if (gameDiagrams_ != storedDiagrams_)
    ini.WriteString(kGeneral, "GameDiagrams", DiagramPolicyText(gameDiagrams_));
  if (s.DiagramStyle != storedStyle_)
    ini.WriteString(kGeneral, kDiagramStyleKey, DiagramStyleName(s.DiagramStyle));
  // The per-user settings folder may not exist yet; a failure to make it
  // shows up in the save.
  QDir().mkpath(QFileInfo(QString::fromStdString(file)).path());
  ini.Save(file);
}

int TMainForm::EPDPaneHeight() const {
  return Memo2->fontMetrics().lineSpacing() * kEPDLines +
         2 * static_cast<int>(Memo2->document()->documentMargin()) + 2 * Memo2->frameWidth() +
         Memo2->horizontalScrollBar()->sizeHint().height();
}

int TMainForm::EPDPartHeight() {
  const QSize memo2Min = Memo2->minimumSize();
  Memo2->setMinimumHeight(EPDPaneHeight());
  const int height = Splitter1->widget(0)->minimumSizeHint().height();
  Memo2->setMinimumSize(memo2Min);
  return height;
}

void TMainForm::PlaceAtFirstStart() {
  // The panes' needs as minimum sizes let the layouts add up everything
  // around them: menu, labels, margins, splitter handle, status line.
  const QSize diagram = OneDiagramSize(*Memo1, settings_, *fontInfoMan_);
  const QSize preview(
      diagram.width() + 2 * Memo1->frameWidth() + Memo1->verticalScrollBar()->sizeHint().width(),
      diagram.height() + 2 * Memo1->frameWidth() +
          Memo1->horizontalScrollBar()->sizeHint().height());
  const QSize memo1Min = Memo1->minimumSize(), memo2Min = Memo2->minimumSize();
  Memo2->setMinimumHeight(EPDPaneHeight());
  Memo1->setMinimumSize(preview);
  // Wide enough for the status on one line (room for the size grip).
  const QLabel* shown = StyleStatusLbl->isHidden() ? FontStatusLbl : StyleStatusLbl;
  const int status = shown->fontMetrics().horizontalAdvance(shown->text()) + 4 * kStatusMargin;
  const QSize wanted = minimumSizeHint().expandedTo(QSize(std::max(width(), status), 0));
  Memo1->setMinimumSize(memo1Min);
  Memo2->setMinimumSize(memo2Min);
  setGeometry(FirstStartRect(wanted, AvailableArea(), FrameAllowance(this)));
}

void TMainForm::RestoreSplitter() {
  // Placements stored before the splitter existed give the EPD pane its
  // lines.
  const int stored = ReadIntSetting(kPlacementSection, kSplitterKey, 0);
  const int epd = stored > 0 ? stored : EPDPartHeight();
  // The preview takes the rest once the window is laid out (its stretch).
  Splitter1->setSizes({epd, std::max(1, Splitter1->height() - epd)});
}

void TMainForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) Guarded([this] { FormShow(); });
  QMainWindow::showEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!settingsSaved_) {
    settingsSaved_ = true;
    Guarded([this] { SaveSettings(); });
  }
  QMainWindow::closeEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (HandleDrag(event)) return true;
      break;
    case QEvent::ShortcutOverride: {
      auto* key = static_cast<QKeyEvent*>(event);
      const QKeySequence pressed(key->keyCombination());
      for (const QAction* a : {Open1, Settings1, CopyFEN1, Pa1, CopyPicture1, ConvertEPDtoRTF1,
                               NewPosition1, EditPosition1}) {
        if (a && a->isEnabled() && a->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
          // Not accepting the override lets the shortcut map run the menu's action.
          event->ignore();
          return true;
        }
      }
      break;
    }
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  HandleDrag(event);
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
  HandleDrag(event);
}

void TMainForm::dropEvent(QDropEvent* event) {
  HandleDrag(event);
}

namespace {

// What a drop brings: files to load, or else text.
struct TDropped {
  QStringList Files;
  QString Text;
  bool Empty() const { return Files.isEmpty() && Text.isEmpty(); }
};

TDropped ReadDrop(const QMimeData& data) {
  TDropped d;
  // Dropped files come with their names as text too: a drop of files that
  // do not load is refused, not taken as EPD text.
  if (data.hasUrls()) {
    for (const QUrl& url : data.urls()) {
      const QString path = url.toLocalFile();
      if (!path.isEmpty() && kDropSuffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive))
        d.Files << path;
    }
  } else if (data.hasText()) {
    d.Text = data.text();
  }
  return d;
}

}  // namespace

bool TMainForm::CanDrop(const QMimeData& data) {
  return !ReadDrop(data).Empty();
}

bool TMainForm::HandleDrag(QEvent* event) {
  // QDragEnterEvent and QDragMoveEvent are drop events too.
  auto* drop = static_cast<QDropEvent*>(event);
  // Text dragged from the panes themselves (the source is ours) moves as in
  // any editor.
  if (drop->source() != nullptr) return false;
  const TDropped dropped = drop->mimeData() ? ReadDrop(*drop->mimeData()) : TDropped{};
  if (dropped.Empty()) {
    drop->ignore();
    return true;
  }
  drop->acceptProposedAction();
  if (event->type() != QEvent::Drop) return true;
  // The drag source waits until the drop returns: no message box in it.
  QTimer::singleShot(0, this, [this, dropped] {
    Guarded([this, &dropped] { TakeDrop(dropped.Files, dropped.Text); });
  });
  return true;
}

bool TMainForm::DropData(const QMimeData& data) {
  const TDropped dropped = ReadDrop(data);
  if (dropped.Empty()) return false;
  TakeDrop(dropped.Files, dropped.Text);
  return true;
}

void TMainForm::TakeDrop(const QStringList& files, const QString& text) {
  if (!files.isEmpty()) {
    OpenFiles(files);
  } else {
    Memo2->clear();
    Memo2->insertPlainText(text);
    openedName_.clear();
  }
  ConvertAndCopy();
}

bool TMainForm::AutoCopy() const {
  return MAutoCopyafterPaste->isChecked();
}

void TMainForm::SetConvertSettings(const TConvertSettings& settings) {
  settings_ = settings;
  UpdateFontStatus();
}

TConvertJob TMainForm::Job(TOutputFormat format, const TPictureOptions& pictures) const {
  return MakeConvertJob(settings_, *fontInfoMan_, format, pictures);
}

void TMainForm::ConvertEPD() {
  if (const std::optional<TTextSpot> bad = Convert()) ShowBadLine(*bad);
}

std::optional<TTextSpot> TMainForm::Convert() {
  TBusyCursor busy;
  // A new preview replaces the old one: neither the old one's layout nor a
  // selection waiting for it goes on.
  StopSelection();
  previewLayout_.Stop();
  const QString pane = Memo2->toPlainText();
  std::string text = pane.toStdString();
  Memo1->clear();
  previewDocument_.clear();
  previewEPD_.clear();
  previewGames_.clear();
  SaveAs1->setEnabled(false);
  if (ExportPictures1) ExportPictures1->setEnabled(false);
  UpdateFontStatus();
  ShowMarksStatus(QString());
  // Games become the EPD records of the positions chosen from them.
  const bool games =
      DetectInputKind(std::string_view(text).substr(0, kInputHead)) == TInputKind::Pgn;
  if (games && settings_.GameText) return ConvertGames(pane, std::move(text));
  if (games) {
    TPgnEpdText records = PgnToEpdText(text, gameDiagrams_);
    if (!records.Ok) {
      ShowError(records.Message, records.Reason);
      return FindBadGame(pane, records.Reason);
    }
    text = std::move(records.Text);
  }
  const TConvertJob job = Job();
  TRtfResult result = ConvertEPDText(text, job, BoardPictures(job));
  if (!result.Ok) {
    ShowError(result.Message, result.Reason);
    if (games) return std::nullopt;  // the records are ours, not lines of the pane
    return FindBadLine(pane, ErrorLineNumber(result.Message), result.Reason);
  }
  if (result.Document.empty()) return std::nullopt;
  if (result.DroppedArrows) ShowMarksStatus(QString::fromLatin1(kArrowsDropped));
  LoadRTF(Memo1, result.Document);
  previewDocument_ = std::move(result.Document);
  previewEPD_ = std::move(text);
  SaveAs1->setEnabled(true);
  if (ExportPictures1) ExportPictures1->setEnabled(true);
  previewLayout_.Start(*Memo1, PreviewPacing);
  return std::nullopt;
}

std::optional<TTextSpot> TMainForm::ConvertGames(const QString& pane, std::string text) {
  if (const std::string why = GameTextColumnsError(settings_); !why.empty()) {
    ShowError("Games cannot be printed as text: " + why + ".",
              "Choose 1 or 2 diagrams a row (File > Settings..., Layout), or turn game text off "
              "(Games).");
    return std::nullopt;
  }
  const TConvertJob job = GameTextJob(Job());
  TGameTextRtf result = ConvertGameText(text, job, gameDiagrams_, BoardPictures(job));
  if (!result.Ok) {
    ShowError(result.Message, result.Reason);
    return FindBadGame(pane, result.Reason);
  }
  if (result.Document.empty()) return std::nullopt;
  if (result.DroppedArrows) ShowMarksStatus(QString::fromLatin1(kArrowsDropped));
  // Text wraps as on an A4 page, or in one of its two columns.
  const int columns = settings_.Layout.Columns;
  const double twips = (kA4TextWidth - (columns - 1) * kGameTextColumnGap) / double(columns);
  LoadRTF(Memo1, result.Document, kMaxPaneText,
          static_cast<int>(twips / 1440 * Memo1->logicalDpiX()));
  previewDocument_ = std::move(result.Document);
  previewEPD_ = std::move(result.Diagrams);
  previewGames_ = std::move(text);
  SaveAs1->setEnabled(true);
  if (ExportPictures1) ExportPictures1->setEnabled(!previewEPD_.empty());
  previewLayout_.Start(*Memo1, PreviewPacing);
  return std::nullopt;
}

void TMainForm::ShowBadLine(const TTextSpot& spot) {
  QTextEdit::ExtraSelection line;
  line.cursor = QTextCursor(Memo2->document());
  line.cursor.setPosition(spot.LineStart);
  line.cursor.setPosition(spot.LineEnd, QTextCursor::KeepAnchor);
  // A light highlight in the text's own colour keeps the cursor in view.
  QColor shade = Memo2->palette().color(QPalette::Highlight);
  shade.setAlpha(70);
  line.format.setBackground(shade);
  Memo2->setExtraSelections({line});
  QTextCursor caret(Memo2->document());
  caret.setPosition(spot.Caret);
  Memo2->setTextCursor(caret);
  Memo2->centerCursor();
  // After the message box the window may not have the keyboard back yet.
  activateWindow();
  Memo2->setFocus();
}

void TMainForm::UpdateFontStatus() {
  const TFontState state =
      DiagramFontState(settings_.DiagFont, describedFonts_, InstalledFontList());
  std::string text = FontStateText(state, settings_.DiagFont);
  if (settings_.GameText) {
    if (!text.empty()) text += "  \u00B7  ";
    text += "Games as text, " + std::string(NotationName(settings_.Notation)) + " notation";
  }
  FontStatusLbl->setText(QString::fromStdString(text));
  // Which style the diagrams have, unless the font needs a word first.
  StyleStatusLbl->setText(settings_.DiagramStyle == TDiagramStyle::Picture
                              ? tr("Diagrams as pictures")
                              : tr("Diagrams typed in the font"));
  StyleStatusLbl->setHidden(state != TFontState::Ready);
}

void TMainForm::ShowMarksStatus(const QString& text) {
  MarksStatusLbl->setText(text);
  MarksStatusLbl->setVisible(!text.isEmpty());
}

void TMainForm::ShowError(const std::string& message, const std::string& reason) {
  QApplication::beep();
  QString text = Q(message);
  if (!reason.empty()) text += QLatin1Char('\n') + Q(reason);
  if (Presenter.ShowMessage) Presenter.ShowMessage(this, text);
}

void TMainForm::OpenFile(const QString& path) {
  OpenFiles({path});
}

void TMainForm::OpenFiles(const QStringList& paths) {
  QString text;
  for (const QString& path : paths) {
    OpenDir = IncludeTrailingSeparator(QFileInfo(path).path().toStdString());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw TRunError("Cannot open file " + path.toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
      throw TRunError("Cannot open file " + path.toStdString());
    }
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    text += PaneText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  Memo2->setPlainText(text);
  openedName_ = QFileInfo(paths.front()).completeBaseName();
  lastFolder_ = OpenDir;
  TRecentFiles recent = recent_;
  for (const QString& path : paths) recent.Add(QFileInfo(path).absoluteFilePath().toStdString());
  StoreRecent(recent);
}

void TMainForm::OpenRecent(const QString& path) {
  if (QFileInfo::exists(path)) {
    OpenFile(path);
    return;
  }
  TRecentFiles recent = recent_;
  recent.Remove(path.toStdString());
  StoreRecent(recent);
  if (Presenter.ShowMessage)
    Presenter.ShowMessage(this, tr("%1 no longer exists; it is removed from the recent files.")
                                    .arg(QDir::toNativeSeparators(path)));
}

void TMainForm::StoreRecent(const TRecentFiles& recent) {
  recent_ = recent;
  UpdateRecentMenu();
  recent_.Write();
}

void TMainForm::UpdateRecentMenu() {
  OpenRecent1->clear();
  int n = 0;
  for (const std::string& file : recent_.Paths()) {
    const QString path = Q(file);
    QString caption = QDir::toNativeSeparators(path);
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* a = OpenRecent1->addAction(QStringLiteral("&%1 %2").arg(++n).arg(caption));
    connect(a, &QAction::triggered, this, [this, path] { Guarded([&] { OpenRecent(path); }); });
  }
  OpenRecent1->setEnabled(n > 0);
}

void TMainForm::Open1Click() {
  OpenDialog1->setDirectory(Q(OpenDir));
  if (OpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList files = OpenDialog1->selectedFiles();
  if (files.isEmpty()) return;
  OpenFile(files.front());
}

QString TMainForm::ProposedPath(const QString& suffix) const {
  QString folder = Q(lastFolder_);
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
  }
  return QDir(folder).filePath((openedName_.isEmpty() ? QStringLiteral("Untitled") : openedName_) +
                               suffix);
}

void TMainForm::SaveAs1Click() {
  if (previewDocument_.empty()) return;
  const bool pdf = SaveDialog1->selectedNameFilter() == QLatin1String(kPDFFilter);
  SaveDialog1->selectFile(ProposedPath(pdf ? QStringLiteral(".pdf") : QStringLiteral(".rtf")));
  if (SaveDialog1->exec() != QDialog::Accepted) return;
  const QStringList files = SaveDialog1->selectedFiles();
  if (files.isEmpty()) return;
  SaveDocument(files.front());
}

void TMainForm::SaveDocument(const QString& path) {
#ifdef BOARDQUILL_PICTURES
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    SavePDF(path);
    lastFolder_ = SaveDir;
    return;
  }
#endif
  SaveRTF(path);
  lastFolder_ = SaveDir;
}

void TMainForm::SaveRTF(const QString& path) {
  SaveDir = IncludeTrailingSeparator(QFileInfo(path).path().toStdString());
  try {
    TReplacingFile::Replace(path.toStdString(), previewDocument_);
  } catch (const TFileError&) {
    throw TRunError("Unable to write to " + path.toStdString());
  }
}

void TMainForm::OpenDialog1SelectionChange() {
  CenterDialogOnForm(OpenDialog1, this);
}

void TMainForm::Settings1Click() {
  if (SettingsDlg) SettingsDlg->exec();
}

void TMainForm::Exit1Click() {
  close();
}

void TMainForm::CopyFEN1Click() {
  Memo2->clear();
  Memo2->paste();
  openedName_.clear();
  ConvertAndCopy();
}

void TMainForm::ConvertAndCopy() {
  if (!MAutoCopyafterPaste->isChecked()) return;
  // Copy RTF follows however the conversion ended; then a bad line is shown.
  std::optional<TTextSpot> bad;
  try {
    bad = Convert();
  } catch (...) {
    Pa1Click();
    throw;
  }
  Pa1Click();
  if (bad) ShowBadLine(*bad);
}

void TMainForm::Pa1Click() {
  Memo1->setFocus();
  // Copying an empty preview leaves the clipboard as it was. The clipboard
  // does not wait for the selection, which does not change what is copied.
  if (!previewDocument_.empty()) {
    auto mime = std::make_unique<QMimeData>();
    const QByteArray rtf(previewDocument_.data(), static_cast<qsizetype>(previewDocument_.size()));
    for (const char* type : kRichTextMimeTypes) mime->setData(type, rtf);
    // Pictures have no text.
    mime->setText(Memo1->toPlainText().remove(QChar::ObjectReplacementCharacter));
    QGuiApplication::clipboard()->setMimeData(mime.release());
  }
  SelectWholePreview();
}

void TMainForm::SelectWholePreview() {
  StopSelection();  // a second Copy RTF starts over
  if (!previewLayout_.Running()) {
    Memo1->selectAll();
    return;
  }
  const QTextCursor cursor = Memo1->textCursor();
  selectionPending_ = true;
  selectionDoc_ = Memo1->document();
  selectionAnchor_ = cursor.anchor();
  selectionPosition_ = cursor.position();
  selectionCursorShape_ = Memo1->viewport()->cursor().shape();
  Memo1->viewport()->setCursor(Qt::BusyCursor);
}

void TMainForm::PreviewLaidOut() {
  if (!selectionPending_) return;
  const QTextCursor cursor = Memo1->textCursor();
  const bool unchanged = Memo1->document() == selectionDoc_ &&
                         cursor.anchor() == selectionAnchor_ &&
                         cursor.position() == selectionPosition_;
  StopSelection();
  if (unchanged) Memo1->selectAll();
}

void TMainForm::StopSelection() {
  if (!selectionPending_) return;
  selectionPending_ = false;
  Memo1->viewport()->setCursor(selectionCursorShape_);
}

void TMainForm::ConvertEPDtoRTF1Click() {
  ConvertEPD();
}

void TMainForm::MAutoCopyafterPasteClick() {
  MAutoCopyafterPaste->trigger();
}

void TMainForm::About1Click() {
  if (Presenter.ShowMessage) Presenter.ShowMessage(this, AboutText());
}

}  // namespace bq
