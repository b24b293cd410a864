#pragma once
// The Position Editor: a modal dialog that sets up one position on a board
// with mouse and keys, with its side to move, rights, counters and
// operations, always in step with the EPD line it makes. The rules are the
// core's: the EPD reader, the legality test and the FEN writer.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "app/pieceart.h"
#include "chess/setup.h"
#include "convert/layout.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace bq {

class TBoardView;

// What the board looks like: the window's diagram font when it can draw,
// else the built-in pieces; and the orientation of the diagrams.
struct TEditorLook {
  QString DiagramFont;  // empty: the built-in pieces
  ChessFontInfoRec Glyphs;
  TOrientation Orientation = TOrientation::White;
};

class TPositionEditor : public QDialog {
  Q_OBJECT
 public:
  explicit TPositionEditor(const TEditorLook& look, QWidget* parent = nullptr);
  ~TPositionEditor() override;

  // Opens on an EPD line instead of the empty board; false with the
  // reader's reason when the line cannot be read.
  bool Load(const std::string& line, std::string* reason);
  // The line that OK writes.
  std::string Line() const { return SetupLine(setup_); }

  // Asked before OK takes a position that cannot occur; true adds it
  // anyway. Tests replace it so that no message box waits.
  std::function<bool(QWidget* owner, const QString& why)> ConfirmImpossible;

  TBoardView* Board;
  QLabel* Status;  // the legality test's answer
  QButtonGroup* Palette;
  QRadioButton* WhiteToMove;
  QRadioButton* BlackToMove;
  QCheckBox* Castling[4];  // WQ, WK, BQ, BK as the core stores them
  QComboBox* EnPassant;    // item data: the file, 0 for none
  QSpinBox* HalfMoveClock;
  QSpinBox* MoveNumber;
  QLineEdit* Operations;
  QLineEdit* EPDLine;
  QLabel* EPDError;  // the reader's reason for a line that cannot be read
  QPushButton* StartPosition;
  QPushButton* Clear;
  QPushButton* Flip;
  QPushButton* PasteFEN;
  QPushButton* CopyEPD;

 public slots:
  void accept() override;

 private:
  QWidget* CreatePalette();
  QWidget* CreateFields();
  QWidget* CreateButtons();
  // The board's edits and the fields' changes into the setup.
  void PutCell(int cell, TCell content);
  void MoveCell(int from, int to);
  void ChangeBoard(const TPositionCore& core);
  void ReadFields();
  void OperationsEdited();
  void EPDLineEdited();
  void SetSetup(const TSetup& setup);
  void PasteFromClipboard();
  // Every control from the setup; the EPD box too unless it is being typed
  // in.
  void ShowSetup();
  void ShowOrientation();

  TEditorLook look_;
  TPieceArt art_;
  TSetup setup_;
  bool flipped_ = false;
  bool showing_ = false;     // the controls are being set: their signals are ours
  bool typingLine_ = false;  // the EPD box is the source of the change
};

}  // namespace bq
