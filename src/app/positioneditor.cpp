#include "app/positioneditor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/boardview.h"
#include "chess/parser.h"
#include "chess/validation.h"
#include "convert/lines.h"

namespace bq {

namespace {

constexpr int kPaletteIcon = 36;
constexpr int kEraser = 0;  // the palette's id of the eraser; pieces: colour * 8 + piece

const char* const kPieceNames[2][7] = {
    {"", "White pawn", "White knight", "White bishop", "White rook", "White queen", "White king"},
    {"", "Black pawn", "Black knight", "Black bishop", "Black rook", "Black queen", "Black king"}};

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The square an en-passant file names for the side to move.
QString EnPassantName(int file, std::uint8_t sideToMove) {
  return QString(QChar('a' + file - 1)) + (sideToMove == cBlack ? "3" : "6");
}

}  // namespace

TPositionEditor::TPositionEditor(const TEditorLook& look, QWidget* parent)
    : QDialog(parent),
      look_(look),
      art_(look.DiagramFont.isEmpty() ? TPieceArt() : TPieceArt(look.DiagramFont, look.Glyphs)),
      setup_(EmptySetup()) {
  setObjectName("PositionEditor");
  setWindowTitle(tr("Position Editor"));
  ConfirmImpossible = [](QWidget* owner, const QString& why) {
    return QMessageBox::question(
               owner, tr("Position Editor"),
               tr("This position cannot occur in a game: %1.\nIt would be drawn as the start "
                  "position. Add it anyway?")
                   .arg(why)) == QMessageBox::Yes;
  };

  // The lines first: every change of the fields shows in them.
  Operations = new QLineEdit(this);
  Operations->setObjectName("Operations");
  Operations->setPlaceholderText(tr("bm Qd1+; id \"Ex. 12\";"));
  connect(Operations, &QLineEdit::textEdited, this, [this] { OperationsEdited(); });
  EPDLine = new QLineEdit(this);
  EPDLine->setObjectName("EPDLine");
  connect(EPDLine, &QLineEdit::textEdited, this, [this] { EPDLineEdited(); });
  // Once typed, the box shows the line as the editor writes it.
  connect(EPDLine, &QLineEdit::editingFinished, this, [this] {
    if (EPDError->text().isEmpty()) ShowSetup();
  });
  EPDError = new QLabel(this);
  EPDError->setObjectName("EPDError");
  EPDError->setWordWrap(true);
  QPalette red = EPDError->palette();
  red.setColor(QPalette::WindowText, Qt::darkRed);
  EPDError->setPalette(red);
  Board = new TBoardView(art_, this);
  connect(Board, &TBoardView::PutRequested, this, [this](int cell, int colour, int piece) {
    PutCell(cell, TCell{static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(piece)});
  });
  connect(Board, &TBoardView::MoveRequested, this, &TPositionEditor::MoveCell);
  Status = new QLabel(this);
  Status->setObjectName("Status");
  Status->setWordWrap(true);

  auto* boardPart = new QVBoxLayout;
  boardPart->addWidget(Board, 1);
  boardPart->addWidget(Status);
  auto* side = new QVBoxLayout;
  side->addWidget(CreatePalette());
  side->addWidget(CreateFields());
  side->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addLayout(boardPart, 1);
  top->addLayout(side);

  auto* lines = new QFormLayout;
  lines->addRow(tr("&Operations:"), Operations);
  lines->addRow(tr("&EPD:"), EPDLine);
  lines->addRow(QString(), EPDError);

  auto* okCancel = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(okCancel, &QDialogButtonBox::accepted, this, &TPositionEditor::accept);
  connect(okCancel, &QDialogButtonBox::rejected, this, &TPositionEditor::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(CreateButtons());
  layout->addLayout(lines);
  layout->addWidget(okCancel);

  setTabOrder(CopyEPD, Operations);
  setTabOrder(Operations, EPDLine);
  ShowSetup();
  Board->PutCursorBottomLeft();
  Board->setFocus();
}

TPositionEditor::~TPositionEditor() = default;

QWidget* TPositionEditor::CreatePalette() {
  auto* box = new QGroupBox(tr("Pieces"), this);
  auto* grid = new QGridLayout(box);
  Palette = new QButtonGroup(this);
  Palette->setObjectName("Palette");
  Palette->setExclusive(true);
  const auto addButton = [&](int id, int row, int column) {
    auto* button = new QToolButton(box);
    button->setCheckable(true);
    button->setAutoRaise(true);
    grid->addWidget(button, row, column);
    Palette->addButton(button, id);
    return button;
  };
  for (std::uint8_t colour = cWhite; colour <= cBlack; ++colour) {
    for (std::uint8_t piece = pPawn; piece <= pKing; ++piece) {
      QToolButton* button = addButton(colour * 8 + piece, pKing - piece, colour);
      QPixmap icon(kPaletteIcon, kPaletteIcon);
      icon.fill(Qt::transparent);
      QPainter painter(&icon);
      art_.DrawPiece(painter, icon.rect(), TCell{colour, piece});
      painter.end();
      button->setIcon(QIcon(icon));
      button->setIconSize(icon.size());
      button->setToolTip(tr(kPieceNames[colour][piece]));
      button->setAccessibleName(tr(kPieceNames[colour][piece]));
    }
  }
  QToolButton* eraser = addButton(kEraser, 6, 0);
  eraser->setText(tr("Eraser"));
  eraser->setToolButtonStyle(Qt::ToolButtonTextOnly);
  grid->addWidget(eraser, 6, 0, 1, 2);
  Palette->button(cWhite * 8 + pPawn)->setChecked(true);
  connect(Palette, &QButtonGroup::idClicked, this, [this](int id) {
    Board->SetBrush(id == kEraser ? TCell{}
                                  : TCell{static_cast<std::uint8_t>(id / 8),
                                          static_cast<std::uint8_t>(id % 8)});
  });
  return box;
}

QWidget* TPositionEditor::CreateFields() {
  auto* fields = new QWidget(this);
  auto* layout = new QVBoxLayout(fields);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* sideBox = new QGroupBox(tr("Side to move"), fields);
  auto* sideRow = new QHBoxLayout(sideBox);
  WhiteToMove = new QRadioButton(tr("&White"), sideBox);
  BlackToMove = new QRadioButton(tr("Blac&k"), sideBox);
  sideRow->addWidget(WhiteToMove);
  sideRow->addWidget(BlackToMove);
  layout->addWidget(sideBox);

  auto* castlingBox = new QGroupBox(tr("Castling"), fields);
  auto* castlingGrid = new QGridLayout(castlingBox);
  const char* const names[4] = {"White O-O-O", "White O-O", "Black O-O-O", "Black O-O"};
  for (int right = 0; right < 4; ++right) {
    Castling[right] = new QCheckBox(tr(names[right]), castlingBox);
    castlingGrid->addWidget(Castling[right], right / 2, 1 - right % 2);
    connect(Castling[right], &QCheckBox::toggled, this, [this] { ReadFields(); });
  }
  layout->addWidget(castlingBox);

  auto* form = new QFormLayout;
  EnPassant = new QComboBox(fields);
  EnPassant->setObjectName("EnPassant");
  HalfMoveClock = new QSpinBox(fields);
  HalfMoveClock->setRange(0, kMaxCounter);
  MoveNumber = new QSpinBox(fields);
  MoveNumber->setRange(1, kMaxCounter);
  form->addRow(tr("En &passant:"), EnPassant);
  form->addRow(tr("&Half-move clock:"), HalfMoveClock);
  form->addRow(tr("&Move number:"), MoveNumber);
  layout->addLayout(form);

  connect(WhiteToMove, &QRadioButton::toggled, this, [this] { ReadFields(); });
  connect(EnPassant, &QComboBox::currentIndexChanged, this, [this] { ReadFields(); });
  connect(HalfMoveClock, &QSpinBox::valueChanged, this, [this] { ReadFields(); });
  connect(MoveNumber, &QSpinBox::valueChanged, this, [this] { ReadFields(); });
  return fields;
}

QWidget* TPositionEditor::CreateButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const auto add = [&](const QString& caption, const char* name, auto handler) {
    auto* button = new QPushButton(caption, row);
    button->setObjectName(name);
    // Return is OK wherever the focus stands.
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    layout->addWidget(button);
    return button;
  };
  StartPosition = add(tr("&Start Position"), "StartPosition", [this] {
    TPositionCore core = setup_.Core;
    SetStartPosition(core);
    ChangeBoard(core);
  });
  Clear = add(tr("C&lear"), "Clear", [this] {
    TPositionCore core = setup_.Core;
    ClearBoard(core);
    ChangeBoard(core);
  });
  Flip = add(tr("&Flip"), "Flip", [this] {
    flipped_ = !flipped_;
    ShowOrientation();
  });
  PasteFEN = add(tr("Paste FEN/EP&D"), "PasteFEN", [this] { PasteFromClipboard(); });
  CopyEPD =
      add(tr("&Copy EPD"), "CopyEPD", [this] { QGuiApplication::clipboard()->setText(Q(Line())); });
  layout->addStretch(1);
  return row;
}

bool TPositionEditor::Load(const std::string& line, std::string* reason) {
  TSetup read;
  if (!ReadSetup(line, read, reason)) return false;
  SetSetup(read);
  Board->PutCursorBottomLeft();
  return true;
}

void TPositionEditor::SetSetup(const TSetup& setup) {
  setup_ = setup;
  EPDError->clear();
  ShowSetup();
}

void TPositionEditor::PutCell(int cell, TCell content) {
  TPositionCore core = setup_.Core;
  SetSquare(core, cell / 8 + 1, cell % 8 + 1, content.Colour, content.Piece);
  ChangeBoard(core);
}

void TPositionEditor::MoveCell(int from, int to) {
  TPositionCore core = setup_.Core;
  const TCell moved = core.Board[from];
  ClearSquare(core, from / 8 + 1, from % 8 + 1);
  if (to >= 0) SetSquare(core, to / 8 + 1, to % 8 + 1, moved.Colour, moved.Piece);
  ChangeBoard(core);
}

void TPositionEditor::ChangeBoard(const TPositionCore& core) {
  setup_.Core = core;
  DropUnbackedRights(setup_.Core);
  ShowSetup();
}

void TPositionEditor::ReadFields() {
  if (showing_) return;
  TPositionCore& core = setup_.Core;
  core.SideToMove = BlackToMove->isChecked() ? cBlack : cWhite;
  for (std::size_t right = 0; right < 4; ++right)
    core.CastlingRights[right] = Castling[right]->isChecked();
  core.EnPassantFile = static_cast<std::uint8_t>(EnPassant->currentData().toInt());
  DropUnbackedRights(core);
  setup_.HalfMoveClock = HalfMoveClock->value();
  setup_.MoveNumber = MoveNumber->value();
  ShowSetup();
}

void TPositionEditor::OperationsEdited() {
  setup_.Operations = Operations->text().toStdString();
  ShowSetup();
}

void TPositionEditor::EPDLineEdited() {
  std::string reason;
  TSetup read;
  if (!ReadSetup(EPDLine->text().toStdString(), read, &reason)) {
    EPDError->setText(Q(reason));
    return;
  }
  EPDError->clear();
  setup_ = read;
  typingLine_ = true;
  ShowSetup();
  typingLine_ = false;
}

void TPositionEditor::PasteFromClipboard() {
  // The first line that holds a record.
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  std::string line;
  SplitEPDLines(text, [&](std::string_view l) {
    const std::string_view trimmed = TrimEPDLine(l);
    if (IsSkippedEPDLine(trimmed)) return true;
    line = trimmed;
    return false;
  });
  EPDLine->setText(Q(line));
  EPDLineEdited();
  if (EPDError->text().isEmpty()) ShowSetup();
}

void TPositionEditor::ShowSetup() {
  showing_ = true;
  // The typed operations move their counters into the fields.
  if (TakeCounters(setup_, true)) Operations->setText(Q(setup_.Operations));
  const TPositionCore& core = setup_.Core;
  Board->SetPosition(core);
  (core.SideToMove == cBlack ? BlackToMove : WhiteToMove)->setChecked(true);
  for (std::size_t right = 0; right < 4; ++right) {
    Castling[right]->setEnabled(
        CastlingBacked(core, static_cast<std::uint8_t>(right / 2), static_cast<int>(right % 2)));
    Castling[right]->setChecked(core.CastlingRights[right]);
  }
  EnPassant->clear();
  EnPassant->addItem(QStringLiteral("-"), 0);
  for (const int file : EnPassantFiles(core))
    EnPassant->addItem(EnPassantName(file, core.SideToMove), file);
  EnPassant->setCurrentIndex(std::max(0, EnPassant->findData(core.EnPassantFile)));
  EnPassant->setEnabled(EnPassant->count() > 1);
  HalfMoveClock->setValue(setup_.HalfMoveClock);
  MoveNumber->setValue(setup_.MoveNumber);
  if (Operations->text() != Q(setup_.Operations)) Operations->setText(Q(setup_.Operations));
  if (!typingLine_) {
    EPDLine->setText(Q(Line()));
    EPDError->clear();
  }
  std::string why;
  Status->setText(CheckLegality(core, &why) ? tr("Legal position") : Q(why));
  ShowOrientation();
  showing_ = false;
}

void TPositionEditor::ShowOrientation() {
  TPosition rec;
  InitPosition(rec);
  rec.Core = setup_.Core;
  ReadEPDOperations(setup_.Operations, rec.Operations);
  Board->SetFromBlack(DrawnFromBlack(rec, FindOperation(rec, "view"), look_.Orientation) !=
                      flipped_);
}

void TPositionEditor::accept() {
  if (!EPDError->text().isEmpty()) {
    // The box holds a line that cannot be read: OK would write another.
    QApplication::beep();
    EPDLine->setFocus();
    return;
  }
  std::string why;
  if (!CheckLegality(setup_.Core, &why) && ConfirmImpossible && !ConfirmImpossible(this, Q(why)))
    return;
  QDialog::accept();
}

}  // namespace bq
