#include "app/exportdlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace bq {

TExportDlg::TExportDlg(const TExportChoice& initial, QWidget* parent) : QDialog(parent) {
  setObjectName("ExportDlg");
  setWindowTitle(tr("Export Pictures"));
  folder_ = new QLineEdit(initial.Folder, this);
  folder_->setObjectName("ExportFolder");
  auto* browse = new QPushButton(tr("&Browse..."), this);
  connect(browse, &QPushButton::clicked, this, &TExportDlg::Browse);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(browse);
  format_ = new QComboBox(this);
  format_->setObjectName("ExportFormat");
  format_->addItems({QStringLiteral("PNG"), QStringLiteral("SVG")});
  format_->setCurrentIndex(initial.Svg ? 1 : 0);
  square_ = new QSpinBox(this);
  square_->setObjectName("ExportSquare");
  square_->setRange(8, 400);
  square_->setSuffix(tr(" px"));
  square_->setValue(initial.SquarePx);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout(this);
  form->addRow(tr("New or empty &folder:"), folderRow);
  form->addRow(tr("F&ormat:"), format_);
  form->addRow(tr("&Square size:"), square_);
  form->addRow(buttons);
}

TExportChoice TExportDlg::Choice() const {
  return {folder_->text(), format_->currentIndex() == 1, square_->value()};
}

void TExportDlg::Browse() {
  const QString dir = QFileDialog::getExistingDirectory(this, windowTitle(), folder_->text(),
                                                        QFileDialog::DontUseNativeDialog);
  if (!dir.isEmpty()) folder_->setText(dir);
}

}  // namespace bq
