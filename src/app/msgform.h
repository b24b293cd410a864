#pragma once
// The program's own message dialog, laid out in units of the system message
// font (support/msglayout.h gives the arithmetic).
#include <QDialog>
#include <QString>
#include <memory>

#include "support/msglayout.h"

class QWidget;

namespace bq {

class TMessageForm : public QDialog {
  Q_OBJECT
 public:
  explicit TMessageForm(QWidget* parent = nullptr);

  int HelpContext = 0;
  QString HelpFile;

  // Asks for the help topic of HelpContext; the dialog stays open.
  void HelpButtonClick();
  // The layout the dialog was built from.
  const TMessageLayout& Layout() const { return layout_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 public slots:
  void reject() override;

 private:
  friend std::unique_ptr<TMessageForm> CreateMessageForm(QWidget*, const QString&, TMsgDlgType,
                                                         TMsgDlgButtons, bool);
  TMessageLayout layout_;
  int cancelResult_ = -1;  // what Escape gives; -1 when no button has that role
};

// The dialog font: the platform's message font.
QFont MessageFont();

// Builds, but does not show, the dialog. Its parent is the owner's window, so
// the caller must release it before the owner goes.
std::unique_ptr<TMessageForm> CreateMessageForm(QWidget* owner, const QString& text,
                                                TMsgDlgType kind, TMsgDlgButtons buttons,
                                                bool useTitle);
int MessageDlgShow(QWidget* owner, const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                   int helpContext, int x, int y, const QString& helpFile, bool useTitle);
int MessageDlgPosShow(QWidget* owner, const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                      int helpContext, int x, int y, bool useTitle);
int ShowMessagePos(QWidget* owner, const QString& text, int x, int y, bool useTitle);
// A plain message with one OK button under the application title.
int ShowMessageText(QWidget* owner, const QString& text, bool useTitle);

}  // namespace bq
