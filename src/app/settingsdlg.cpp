#include "app/settingsdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/mainform.h"
#include "app/winplace.h"
#include "support/profile.h"

namespace bq {

TSettingsDlg* SettingsDlg = nullptr;

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

bool IsBlank(QChar c) {
  return c.unicode() <= 32;
}

}  // namespace

TUpDown::TUpDown(QLineEdit* buddy, int min, int max, QWidget* parent)
    : QWidget(parent), buddy_(buddy), min_(min), max_(max), position_(min) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  up_->setAutoRepeat(true);
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  down_->setAutoRepeat(true);
  const int h = std::max(8, buddy->sizeHint().height() / 2);
  for (QToolButton* b : {up_, down_}) {
    b->setFixedSize(h + 4, h);
    b->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(b);
  }
  connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
  connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void TUpDown::SetPosition(int value) {
  position_ = std::clamp(value, min_, max_);
  buddy_->setText(QString::number(position_));
}

void TUpDown::StepBy(int delta) {
  // Step from what the field shows when it holds a number, as attached arrow
  // buttons do; otherwise from the last position.
  std::int32_t shown = 0;
  int from = position_;
  if (ParseProfileInt(buddy_->text().toStdString(), shown)) {
    from = static_cast<int>(std::clamp<std::int32_t>(shown, min_, max_));
  }
  SetPosition(from + delta);
}

std::vector<std::string> SplitOperationItems(std::string_view operations) {
  std::vector<std::string> items;
  if (operations.empty()) return items;
  // A comma in the last position does not start a further item.
  const std::string_view body =
      operations.back() == ',' ? operations.substr(0, operations.size() - 1) : operations;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = body.find(',', start);
    if (comma == std::string_view::npos) {
      items.emplace_back(body.substr(start));
      break;
    }
    items.emplace_back(body.substr(start, comma - start));
    start = comma + 1;
  }
  return items;
}

std::string JoinOperationLines(const QStringList& lines) {
  std::string out;
  for (const QString& line : lines) {
    qsizetype b = 0, e = line.size();
    while (b < e && IsBlank(line[b])) ++b;
    while (e > b && IsBlank(line[e - 1])) --e;
    if (b == e) continue;
    if (!out.empty()) out += ',';
    out += line.mid(b, e - b).toStdString();
  }
  return out;
}

TSettingsDlg::TSettingsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("SettingsDlg");
  if (!SettingsDlg) SettingsDlg = this;
  setWindowTitle(tr("Settings"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  PageControl1 = new QTabWidget(this);
  TabSheet1 = new QWidget;
  TabSheet2 = new QWidget;
  TabSheet3 = new QWidget;
  TabSheet4 = new QWidget;
  CreateFontsPage();
  CreateOperationsPage();
  CreateLayoutPage();
  CreateGamesPage();
  PageControl1->addTab(TabSheet1, tr("Fonts"));
  PageControl1->addTab(TabSheet2, tr("Operations"));
  PageControl1->addTab(TabSheet3, tr("Layout"));
  PageControl1->addTab(TabSheet4, tr("Games"));
  PageControl1->setCurrentWidget(TabSheet2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(CreateButtons());
  layout->setSizeConstraint(QLayout::SetFixedSize);

  FormCreate();
}

void TSettingsDlg::CreateFontsPage() {
  RTFGB = new QGroupBox(tr("Diagram Font:"), TabSheet1);
  FontNameLbl = new QLabel(tr("Font:"), RTFGB);
  RTFFontNameCmb = new QComboBox(RTFGB);
  FontSizeLbl = new QLabel(tr("Size:"), RTFGB);
  FontSizeEd = new QLineEdit(QStringLiteral("0"), RTFGB);
  FontSizeUD = new TUpDown(FontSizeEd, kMinFontSize, kMaxFontSize, RTFGB);
  RTFDiagAddBorderCB = new QCheckBox(tr("Coordinates"), RTFGB);
  auto* diagram = FontGrid(RTFGB, FontNameLbl, RTFFontNameCmb, FontSizeLbl, FontSizeEd, FontSizeUD);
  diagram->addWidget(RTFDiagAddBorderCB, 2, 0);
  connect(RTFFontNameCmb, &QComboBox::activated, this, [this](int) { RTFFontNameCmbChange(); });

  RTFGameGB = new QGroupBox(tr("Text Font"), TabSheet1);
  RTFGameTextFontNameLbl = new QLabel(tr("Font:"), RTFGameGB);
  RTFGameTextFontNameCmb = new QComboBox(RTFGameGB);
  RTFGameFontSizeLbl = new QLabel(tr("Size:"), RTFGameGB);
  RTFGameFontSizeEd = new QLineEdit(QStringLiteral("0"), RTFGameGB);
  RTFGameFontSizeUD = new TUpDown(RTFGameFontSizeEd, kMinFontSize, kMaxFontSize, RTFGameGB);
  FontGrid(RTFGameGB, RTFGameTextFontNameLbl, RTFGameTextFontNameCmb, RTFGameFontSizeLbl,
           RTFGameFontSizeEd, RTFGameFontSizeUD);

  auto* v = new QVBoxLayout(TabSheet1);
  v->addWidget(RTFGB);
  v->addWidget(RTFGameGB);
  v->addStretch(1);
}

QGridLayout* TSettingsDlg::FontGrid(QGroupBox* box, QLabel* nameLbl, QComboBox* name,
                                    QLabel* sizeLbl, QLineEdit* size, TUpDown* updown) {
  name->setEditable(false);
  name->setMinimumWidth(260);
  nameLbl->setBuddy(name);
  size->setFixedWidth(56);
  sizeLbl->setBuddy(size);
  auto* grid = new QGridLayout(box);
  grid->addWidget(nameLbl, 0, 0);
  grid->addWidget(sizeLbl, 0, 1);
  grid->addWidget(name, 1, 0);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->setSpacing(0);
  sizeRow->addWidget(size);
  sizeRow->addWidget(updown);
  sizeRow->addStretch(1);
  grid->addLayout(sizeRow, 1, 1);
  return grid;
}

void TSettingsDlg::CreateOperationsPage() {
  Label1 = new QLabel(tr("Print operations:"), TabSheet2);
  Memo1 = new QPlainTextEdit(TabSheet2);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setPlainText(QStringLiteral("id\nbm\n"));
  Label1->setBuddy(Memo1);
  auto* v = new QVBoxLayout(TabSheet2);
  v->addWidget(Label1);
  v->addWidget(Memo1, 1);
}

void TSettingsDlg::CreateLayoutPage() {
  OrientationCmb = new QComboBox(TabSheet3);
  // In the order of TOrientation.
  OrientationCmb->addItems({tr("White"), tr("Black"), tr("The side to move")});
  MoverMarkCB = new QCheckBox(tr("Mark the side to move"), TabSheet3);
  MarksCB = new QCheckBox(tr("Draw marks: coloured squares and arrows (csl, cal)"), TabSheet3);
  CaptionEd = new QLineEdit(TabSheet3);
  CaptionEd->setPlaceholderText(QStringLiteral("{n}. {tomove}"));
  CaptionEd->setToolTip(
      tr("Fields: {n} diagram number, {line} EPD line, {tomove}, {fen}, {id} or any other "
         "operation; {{ and }} are braces"));
  ColumnsSpin = new QSpinBox(TabSheet3);
  ColumnsSpin->setRange(1, 4);
  SolutionsMemo = new QPlainTextEdit(TabSheet3);
  SolutionsMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* grid = new QGridLayout(TabSheet3);
  auto row = [&](int r, const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, TabSheet3);
    label->setBuddy(field);
    grid->addWidget(label, r, 0);
    grid->addWidget(field, r, 1);
  };
  row(0, tr("Board seen from:"), OrientationCmb);
  grid->addWidget(MoverMarkCB, 1, 1);
  grid->addWidget(MarksCB, 2, 1);
  row(3, tr("Caption:"), CaptionEd);
  row(4, tr("Diagrams a row:"), ColumnsSpin);
  auto* solutions = new QLabel(tr("Solutions at the end (one operation a line):"), TabSheet3);
  solutions->setBuddy(SolutionsMemo);
  grid->addWidget(solutions, 5, 0, 1, 2);
  grid->addWidget(SolutionsMemo, 6, 0, 1, 2);
  grid->setRowStretch(6, 1);
}

void TSettingsDlg::CreateGamesPage() {
  GameDiagramsCmb = new QComboBox(TabSheet4);
  GameDiagramsCmb->addItems({tr("Marked moves ($220, $221, [#])"), tr("The final position"),
                             tr("The start position"), tr("Every N moves")});
  GameDiagramsEverySpin = new QSpinBox(TabSheet4);
  GameDiagramsEverySpin->setRange(1, 999999);
  GameDiagramsEverySpin->setSuffix(tr(" moves"));
  connect(GameDiagramsCmb, &QComboBox::currentIndexChanged, this, [this](int index) {
    GameDiagramsEverySpin->setEnabled(index == static_cast<int>(TDiagramChoice::Every));
  });
  GameTextCB = new QCheckBox(tr("Print games as text: moves, comments and variations"), TabSheet4);
  NotationCmb = new QComboBox(TabSheet4);
  NotationCmb->addItems({tr("Figurines"), tr("English letters"), tr("Dutch letters"),
                         tr("German letters"), tr("Custom letters")});
  FigurineFontCmb = new QComboBox(TabSheet4);
  FigurineFontCmb->setMinimumWidth(260);
  auto* grid = new QGridLayout(TabSheet4);
  auto row = [&](int r, const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption, TabSheet4);
    label->setBuddy(field);
    grid->addWidget(label, r, 0);
    grid->addWidget(field, r, 1);
  };
  row(0, tr("Diagrams of games:"), GameDiagramsCmb);
  grid->addWidget(GameDiagramsEverySpin, 1, 1);
  grid->addWidget(GameTextCB, 2, 0, 1, 2);
  row(3, tr("Notation:"), NotationCmb);
  row(4, tr("Figurine font:"), FigurineFontCmb);
  grid->setRowStretch(5, 1);
  DiagramStyleCmb = new QComboBox(TabSheet3);
  DiagramStyleCmb->addItems({tr("Typed in the diagram font"), tr("Pictures")});
  DiagramStyleCmb->setToolTip(
      tr("Pictures show on every machine, with or without the diagram font; typed diagrams are "
         "smaller and stay text"));
#ifndef BOARDQUILL_PICTURES
  DiagramStyleCmb->setEnabled(false);  // this build draws no pictures
#endif
  row(6, tr("Diagrams in RTF:"), DiagramStyleCmb);
}

void TSettingsDlg::ShowGames(const TConvertSettings& settings, const TDiagramPolicy& diagrams) {
  GameDiagramsCmb->setCurrentIndex(static_cast<int>(diagrams.Choice));
  GameDiagramsEverySpin->setValue(diagrams.Every);
  GameDiagramsEverySpin->setEnabled(diagrams.Choice == TDiagramChoice::Every);
  GameTextCB->setChecked(settings.GameText);
  NotationCmb->setCurrentIndex(static_cast<int>(settings.Notation));
  FigurineFontCmb->clear();
  for (const std::string& name : InstalledFontList()) FigurineFontCmb->addItem(Q(name));
  // As for the text font: a font this machine lacks stays offered.
  if (FigurineFontCmb->findText(Q(settings.FigurineFont), Qt::MatchFixedString) < 0)
    FigurineFontCmb->insertItem(0, Q(settings.FigurineFont));
  FigurineFontCmb->setCurrentIndex(
      FigurineFontCmb->findText(Q(settings.FigurineFont), Qt::MatchFixedString));
}

TDiagramPolicy TSettingsDlg::ReadGameDiagrams() const {
  const auto choice = static_cast<TDiagramChoice>(GameDiagramsCmb->currentIndex());
  return {choice, choice == TDiagramChoice::Every ? GameDiagramsEverySpin->value() : 1};
}

void TSettingsDlg::ShowLayout(const TLayoutSettings& layout) {
  OrientationCmb->setCurrentIndex(static_cast<int>(layout.Orientation));
  MoverMarkCB->setChecked(layout.MoverMark);
  CaptionEd->setText(Q(layout.Caption));
  ColumnsSpin->setValue(layout.Columns);
  QString lines;
  for (const std::string& item : SplitOperationItems(layout.Solutions)) lines += Q(item) + '\n';
  SolutionsMemo->setPlainText(lines);
}

bool TSettingsDlg::ReadLayout(TLayoutSettings& layout) {
  const std::string caption = CaptionEd->text().toStdString();
  if (const std::string error = TemplateError(caption); !error.empty()) {
    PageControl1->setCurrentWidget(TabSheet3);
    CaptionEd->setFocus();
    if (MainForm && MainForm->Presenter.ShowMessage)
      MainForm->Presenter.ShowMessage(this, tr("Caption: %1").arg(Q(error)));
    return false;
  }
  layout.Orientation = static_cast<TOrientation>(OrientationCmb->currentIndex());
  layout.MoverMark = MoverMarkCB->isChecked();
  layout.Caption = caption;
  layout.Columns = ColumnsSpin->value();
  QStringList lines = SolutionsMemo->toPlainText().split(QLatin1Char('\n'));
  layout.Solutions = JoinOperationLines(lines);
  return true;
}

QHBoxLayout* TSettingsDlg::CreateButtons() {
  OKBtn = new QPushButton(tr("OK"), this);
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(tr("Cancel"), this);
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    if (OKBtnClick()) accept();
  });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  return buttons;
}

TSettingsDlg::~TSettingsDlg() {
  if (SettingsDlg == this) SettingsDlg = nullptr;
}

void TSettingsDlg::FormCreate() {
  PageControl1->setCurrentWidget(TabSheet1);
}

void TSettingsDlg::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TSettingsDlg::FormShow() {
  if (!MainForm) return;
  const TMainForm& form = *MainForm;
  const TConvertSettings& settings = form.ConvertSettings();
  adjustSize();
  CenterOnForm(this);

  const TChessFontInfoMan& fonts = form.FontInfoMan();
  QStringList diagramFonts;
  for (int i = 1; i <= fonts.FontCount(); ++i) {
    if (fonts.GetFontInfo(i).Diagram) diagramFonts << Q(fonts.FontName(i));
  }
  std::stable_sort(diagramFonts.begin(), diagramFonts.end(),
                   [](const QString& a, const QString& b) {
                     return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                   });
  RTFFontNameCmb->clear();
  RTFFontNameCmb->addItems(diagramFonts);
  RTFFontNameCmb->setCurrentIndex(
      RTFFontNameCmb->findText(Q(settings.DiagFont), Qt::MatchFixedString));
  RTFFontNameCmbChange();

  FontSizeUD->SetPosition(settings.DiagFontSize);
  FontSizeEd->setText(QString::number(settings.DiagFontSize));
  RTFDiagAddBorderCB->setChecked(settings.ShowCoords);

  RTFGameTextFontNameCmb->clear();
  for (const std::string& name : InstalledFontList()) RTFGameTextFontNameCmb->addItem(Q(name));
  // A text font that this machine lacks (Arial on most Linux systems) stays
  // offered, so that OK does not silently empty it; the document is read
  // where the font may well exist.
  if (!settings.TextFont.empty() &&
      RTFGameTextFontNameCmb->findText(Q(settings.TextFont), Qt::MatchFixedString) < 0)
    RTFGameTextFontNameCmb->insertItem(0, Q(settings.TextFont));
  RTFGameTextFontNameCmb->setCurrentIndex(
      RTFGameTextFontNameCmb->findText(Q(settings.TextFont), Qt::MatchFixedString));

  RTFGameFontSizeUD->SetPosition(settings.TextFontSize);
  RTFGameFontSizeEd->setText(QString::number(settings.TextFontSize));

  QString lines;
  for (const std::string& item : SplitOperationItems(settings.Operations)) lines += Q(item) + '\n';
  Memo1->setPlainText(lines);
  ShowLayout(form.LayoutSettings());
  MarksCB->setChecked(settings.Marks);
  ShowGames(settings, form.GameDiagrams());
  DiagramStyleCmb->setCurrentIndex(static_cast<int>(settings.DiagramStyle));
}

void TSettingsDlg::RTFFontNameCmbChange() {
  if (!MainForm || RTFFontNameCmb->currentIndex() < 0) return;
  const ChessFontInfoRec info =
      MainForm->FontInfoMan().GetFontInfoByName(RTFFontNameCmb->currentText().toStdString());
  RTFDiagAddBorderCB->setVisible(info.CoordinatesPossible);
}

bool TSettingsDlg::ReadFontSize(QLineEdit* field, const QString& name, std::int32_t& size) {
  if (const auto parsed = ParseFontSize(field->text().toStdString())) {
    size = *parsed;
    return true;
  }
  PageControl1->setCurrentWidget(TabSheet1);
  field->setFocus();
  field->selectAll();
  if (MainForm && MainForm->Presenter.ShowMessage)
    MainForm->Presenter.ShowMessage(
        this, tr("%1 must be %2 to %3").arg(name).arg(kMinFontSize).arg(kMaxFontSize));
  return false;
}

bool TSettingsDlg::OKBtnClick() {
  if (!MainForm) return true;
  TMainForm& form = *MainForm;
  TLayoutSettings layout = form.LayoutSettings();
  if (!ReadLayout(layout)) return false;
  TConvertSettings s = form.ConvertSettings();
  if (!ReadFontSize(FontSizeEd, tr("Diagram font size"), s.DiagFontSize) ||
      !ReadFontSize(RTFGameFontSizeEd, tr("Text font size"), s.TextFontSize))
    return false;
  s.DiagFont = RTFFontNameCmb->currentIndex() < 0 ? std::string()
                                                  : RTFFontNameCmb->currentText().toStdString();
  s.ShowCoords = RTFDiagAddBorderCB->isChecked();
  s.DiagFontCharSet = form.FontInfoMan().FontCharset(s.DiagFont);
  s.TextFont = RTFGameTextFontNameCmb->currentIndex() < 0
                   ? std::string()
                   : RTFGameTextFontNameCmb->currentText().toStdString();
  s.Operations = JoinOperationLines(OperationLines());
  s.Layout = layout;
  s.Marks = MarksCB->isChecked();
  s.GameText = GameTextCB->isChecked();
  s.Notation = static_cast<TNotation>(NotationCmb->currentIndex());
  if (FigurineFontCmb->currentIndex() >= 0)
    s.FigurineFont = FigurineFontCmb->currentText().toStdString();
  form.SetGameDiagrams(ReadGameDiagrams());
  s.DiagramStyle = static_cast<TDiagramStyle>(DiagramStyleCmb->currentIndex());
  form.SetConvertSettings(s);
  // Columns wider than the page are written as asked, with a word of warning.
  const std::string wide = ColumnsWidthWarning(form.Job());
  if (!wide.empty() && form.Presenter.ShowMessage) form.Presenter.ShowMessage(this, Q(wide));
  return true;
}

QStringList TSettingsDlg::OperationLines() const {
  QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

}  // namespace bq
