#pragma once
// The settings dialog: diagram font and size, coordinates, text font and
// size, the operations printed above each diagram, the layout, and how
// games are printed. It keeps no settings of its own; it edits those of
// the main window.
#include <QDialog>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/job.h"
#include "convert/layout.h"
#include "games/choice.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace bq {

// Arrow buttons attached to an edit field: they step the field's number
// within a range, without wrapping around. The field itself takes any text.
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  TUpDown(QLineEdit* buddy, int min, int max, QWidget* parent);

  int Position() const { return position_; }
  // Sets the position (clamped to the range) and shows it in the field.
  void SetPosition(int value);
  void StepBy(int delta);

  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }

 private:
  QLineEdit* buddy_;
  QToolButton* up_;
  QToolButton* down_;
  int min_, max_;
  int position_ = 0;
};

// Items of the Operations setting as the dialog shows them: 1 plus the number
// of commas before the last character, each item unchanged.
std::vector<std::string> SplitOperationItems(std::string_view operations);
// The memo lines stripped of blanks and control characters at both ends,
// empty ones dropped, joined by ",".
std::string JoinOperationLines(const QStringList& lines);

class TSettingsDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TSettingsDlg(QWidget* parent = nullptr);
  ~TSettingsDlg() override;

  // Fills the controls from the main window's settings (runs at every showing).
  void FormShow();
  void RTFFontNameCmbChange();
  // Stores the controls into the main window's settings (OK only). False,
  // after a message, when a value does not fit (a caption whose braces do
  // not pair up, a font size outside 1 to 100); nothing is stored then.
  bool OKBtnClick();

  // The operations memo's lines; an empty last line does not count.
  QStringList OperationLines() const;

  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QWidget* TabSheet3;  // layout of the diagrams
  QWidget* TabSheet4;  // games
  QGroupBox* RTFGB;
  QLabel* FontNameLbl;
  QComboBox* RTFFontNameCmb;
  QLabel* FontSizeLbl;
  QLineEdit* FontSizeEd;
  TUpDown* FontSizeUD;
  QCheckBox* RTFDiagAddBorderCB;
  QGroupBox* RTFGameGB;
  QLabel* RTFGameTextFontNameLbl;
  QComboBox* RTFGameTextFontNameCmb;
  QLabel* RTFGameFontSizeLbl;
  QLineEdit* RTFGameFontSizeEd;
  TUpDown* RTFGameFontSizeUD;
  QLabel* Label1;
  QPlainTextEdit* Memo1;
  QComboBox* OrientationCmb;
  QCheckBox* MoverMarkCB;
  QCheckBox* MarksCB;  // the Marks setting
  QLineEdit* CaptionEd;
  QSpinBox* ColumnsSpin;
  QPlainTextEdit* SolutionsMemo;
  QComboBox* GameDiagramsCmb;  // in the order of TDiagramChoice
  QSpinBox* GameDiagramsEverySpin;
  QCheckBox* GameTextCB;
  QComboBox* NotationCmb;  // in the order of TNotation
  QComboBox* FigurineFontCmb;
  QComboBox* DiagramStyleCmb;  // in the order of TDiagramStyle
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormCreate();
  void CreateFontsPage();
  void CreateOperationsPage();
  void CreateLayoutPage();
  void CreateGamesPage();
  void ShowGames(const TConvertSettings& settings, const TDiagramPolicy& diagrams);
  TDiagramPolicy ReadGameDiagrams() const;
  void ShowLayout(const TLayoutSettings& layout);
  bool ReadLayout(TLayoutSettings& layout);
  // The size in the field when it is 1 to 100, else false after a message
  // naming the field.
  bool ReadFontSize(QLineEdit* field, const QString& name, std::int32_t& size);
  QHBoxLayout* CreateButtons();
  // A font's group: name list, size field with arrows, labels above them.
  static QGridLayout* FontGrid(QGroupBox* box, QLabel* nameLbl, QComboBox* name, QLabel* sizeLbl,
                               QLineEdit* size, TUpDown* updown);
};

// The one settings dialog of the run, created after the main window.
extern TSettingsDlg* SettingsDlg;

}  // namespace bq
