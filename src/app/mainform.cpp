#include "app/mainform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <stdexcept>

#include "app/busycursor.h"
#include "app/msgform.h"
#include "app/rtfview.h"
#include "app/settingsdlg.h"
#include "app/winplace.h"
#include "support/errors.h"
#include "support/settings.h"

namespace bq {

TMainForm* MainForm = nullptr;

namespace {

constexpr char kGeneral[] = "General";
constexpr char kPlacementSection[] = "MainForm";

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The clipboard forms under which the preview's document is offered.
constexpr const char* kRichTextMimeTypes[] = {
    "text/rtf", "application/rtf", "text/richtext",
    "application/x-qt-windows-mime;value=\"Rich Text Format\""};

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
  try {
    FormDestroy();
  } catch (const std::exception& e) {
    ReportError(QString::fromUtf8(e.what()));
  }
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::CreateControls() {
  setWindowTitle(kAppTitle);
  // The designed client area (313 x 173) is tiny on today's screens; this
  // keeps its proportions at a usable size.
  resize(700, 520);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(2);

  Label2 = new QLabel(tr("EPD:"), central);
  Memo2 = new QPlainTextEdit(central);
  Memo2->setObjectName("Memo2");
  Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo2->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo2->setFixedHeight(120);  // grows in width only
  Label2->setBuddy(Memo2);

  Label1 = new QLabel(tr("RTF:"), central);
  Memo1 = new QTextEdit(central);
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

  layout->addWidget(Label2);
  layout->addWidget(Memo2);
  layout->addWidget(Label1);
  layout->addWidget(Memo1, 1);
  setCentralWidget(central);

  FontStatusLbl = new QLabel(this);
  statusBar()->addWidget(FontStatusLbl, 1);

  // The menu's shortcuts must beat the panes' own Ctrl+C and Ctrl+V.
  Memo1->installEventFilter(this);
  Memo2->installEventFilter(this);
  setTabOrder(Memo1, Memo2);

  OpenDialog1 = new QFileDialog(this);
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
  OpenDialog1->setNameFilter(kEPDFilter);
  connect(OpenDialog1, &QFileDialog::currentChanged, this,
          [this](const QString&) { OpenDialog1SelectionChange(); });
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
  ConvertEPDtoRTF1 = add(Edit1, tr("Convert EPD to RTF"), "ConvertEPDtoRTF1",
                         QKeySequence(Qt::Key_F9), &TMainForm::ConvertEPDtoRTF1Click);
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
  fontInfoMan_ = std::make_unique<TChessFontInfoMan>(ProgramFolder() + "ChsFonts.ini");
  DiagFont = ReadStrSetting(kGeneral, "DiagFont", "");
  DiagFontCharSet = ReadIntSetting(kGeneral, "DiagFontCharSet", 0);
  DiagFontSize = ReadIntSetting(kGeneral, "DiagFontSize", 20);
  ShowCoords = ReadBoolSetting(kGeneral, "ShowCoords", false);
  TextFont = ReadStrSetting(kGeneral, "TextFont", "Arial");
  TextFontSize = ReadIntSetting(kGeneral, "TextFontSize", 10);
  Operations = ReadStrSetting(kGeneral, "Operations", "id,bm");
  OpenDir = ReadStrSetting(kGeneral, "OpenDir", "");
}

void TMainForm::FormShow() {
  RestorePlacement(std::string(), kPlacementSection, this, nullptr, false);
  MAutoCopyafterPaste->setChecked(ReadBoolSetting(kGeneral, "AutoCopy", true));
}

void TMainForm::FormHide() {
  SavePlacement(std::string(), kPlacementSection, this);
  WriteBoolSetting(kGeneral, "AutoCopy", MAutoCopyafterPaste->isChecked());
}

void TMainForm::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  fontInfoMan_.reset();
  WriteStrSetting(kGeneral, "DiagFont", DiagFont);
  WriteIntSetting(kGeneral, "DiagFontCharSet", DiagFontCharSet);
  WriteIntSetting(kGeneral, "DiagFontSize", DiagFontSize);
  WriteBoolSetting(kGeneral, "ShowCoords", ShowCoords);
  WriteStrSetting(kGeneral, "TextFont", TextFont);
  WriteIntSetting(kGeneral, "TextFontSize", TextFontSize);
  WriteStrSetting(kGeneral, "Operations", Operations);
  WriteStrSetting(kGeneral, "OpenDir", OpenDir);
}

void TMainForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) Guarded([this] { FormShow(); });
  QMainWindow::showEvent(event);
}

void TMainForm::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) Guarded([this] { FormHide(); });
  QMainWindow::hideEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* a : {Open1, Settings1, CopyFEN1, Pa1, ConvertEPDtoRTF1}) {
      if (a->isEnabled() && a->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
        // Not accepting the override lets the shortcut map run the menu's action.
        event->ignore();
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::AutoCopy() const {
  return MAutoCopyafterPaste->isChecked();
}

TConvertSettings TMainForm::ConvertSettings() const {
  TConvertSettings s;
  s.Operations = Operations;
  s.DiagFont = DiagFont;
  s.DiagFontCharSet = DiagFontCharSet;
  s.DiagFontSize = DiagFontSize;
  s.ShowCoords = ShowCoords;
  s.TextFont = TextFont;
  s.TextFontSize = TextFontSize;
  return s;
}

void TMainForm::ConvertEPD() {
  TBusyCursor busy;
  // A new preview replaces the old one: neither the old one's layout nor a
  // selection waiting for it goes on.
  StopSelection();
  previewLayout_.Stop();
  const std::string text = Memo2->toPlainText().toStdString();
  TConvertResult result = ConvertEPDText(text, ConvertSettings(), *fontInfoMan_);
  Memo1->clear();
  previewDocument_.clear();
  UpdateFontStatus();
  if (!result.Ok) {
    ShowError(result.Message, result.Reason);
    return;
  }
  if (result.Document.empty()) return;
  LoadRTF(Memo1, result.Document);
  previewDocument_ = std::move(result.Document);
  previewLayout_.Start(*Memo1, PreviewPacing);
}

void TMainForm::UpdateFontStatus() {
  FontStatusLbl->setText(fontInfoMan_->FontIndex(DiagFont) < 0 ? QString(kNoDiagramFont)
                                                               : QString());
}

void TMainForm::ShowError(const std::string& message, const std::string& reason) {
  QApplication::beep();
  QString text = Q(message);
  if (!reason.empty()) text += QLatin1Char('\n') + Q(reason);
  if (Presenter.ShowMessage) Presenter.ShowMessage(this, text);
}

void TMainForm::OpenFile(const QString& path) {
  OpenDir = IncludeTrailingSeparator(QFileInfo(path).path().toStdString());
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw TRunError("Cannot open file " + path.toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    throw TRunError("Cannot open file " + path.toStdString());
  }
  LoadTextPane(Memo2, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TMainForm::Open1Click() {
  OpenDialog1->setDirectory(Q(OpenDir));
  if (OpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList files = OpenDialog1->selectedFiles();
  if (files.isEmpty()) return;
  OpenFile(files.front());
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
  if (!MAutoCopyafterPaste->isChecked()) return;
  // Copy RTF follows however the conversion ended.
  try {
    ConvertEPD();
  } catch (...) {
    Pa1Click();
    throw;
  }
  Pa1Click();
}

void TMainForm::Pa1Click() {
  Memo1->setFocus();
  // Copying an empty preview leaves the clipboard as it was. The clipboard
  // does not wait for the selection, which does not change what is copied.
  if (!previewDocument_.empty()) {
    auto mime = std::make_unique<QMimeData>();
    const QByteArray rtf(previewDocument_.data(), static_cast<qsizetype>(previewDocument_.size()));
    for (const char* type : kRichTextMimeTypes) mime->setData(type, rtf);
    mime->setText(Memo1->toPlainText());
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
  const QString text = QStringLiteral(
                           "Boardquill %1\nTurns EPD positions into chess diagrams for documents.\n"
                           "Copyright (C) the Boardquill developers. Free to use, copy and share.")
                           .arg(QStringLiteral(BOARDQUILL_VERSION));
  if (Presenter.ShowMessage) Presenter.ShowMessage(this, text);
}

}  // namespace bq
