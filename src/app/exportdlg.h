#pragma once
// File > Export Pictures...: the folder, the format and the square size.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace bq {

struct TExportChoice {
  QString Folder;
  bool Svg = false;  // else PNG
  int SquarePx = 40;
};

class TExportDlg : public QDialog {
  Q_OBJECT
 public:
  TExportDlg(const TExportChoice& initial, QWidget* parent);
  TExportChoice Choice() const;

 private:
  void Browse();

  QLineEdit* folder_;
  QComboBox* format_;
  QSpinBox* square_;
};

}  // namespace bq
