#include "app/msgform.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/mainform.h"
#include "app/winplace.h"

namespace bq {

namespace {

QStyle::StandardPixmap KindIcon(TMsgDlgType kind) {
  switch (kind) {
    case TMsgDlgType::Warning:
      return QStyle::SP_MessageBoxWarning;
    case TMsgDlgType::Error:
      return QStyle::SP_MessageBoxCritical;
    case TMsgDlgType::Information:
      return QStyle::SP_MessageBoxInformation;
    default:
      return QStyle::SP_MessageBoxQuestion;
  }
}

QRect ToGeometry(const TRect& r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

TPoint Position(const TMessageForm& form, QWidget* owner, int x, int y) {
  const QRect frame = form.frameGeometry();
  std::optional<TRect> ownerRect, mainRect;
  if (owner) ownerRect = ToRect(owner->window()->frameGeometry());
  if (MainForm) mainRect = ToRect(MainForm->frameGeometry());
  return MessageFormPosition(TSize{frame.width(), frame.height()}, ScreenSize(), ownerRect,
                             mainRect, x, y);
}

}  // namespace

QFont MessageFont() {
  return QApplication::font("QMessageBox");
}

TMessageForm::TMessageForm(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(MessageFont());
}

void TMessageForm::HelpButtonClick() {
  // No help system is installed with this program; the dialog stays open.
}

void TMessageForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (cancelResult_ >= 0) done(cancelResult_);
    return;
  }
  QDialog::keyPressEvent(event);
}

void TMessageForm::reject() {
  // The close box ends the dialog with Cancel's result, whatever its buttons.
  done(mrCancel);
}

std::unique_ptr<TMessageForm> CreateMessageForm(QWidget* owner, const QString& text,
                                                TMsgDlgType kind, TMsgDlgButtons buttons,
                                                bool useTitle) {
  auto form = std::make_unique<TMessageForm>(owner ? owner->window() : nullptr);
  const QFontMetrics fm(form->font());
  const TTextMeasurer measure =
      [&fm](std::string_view s, std::int32_t maxWidth) -> std::pair<std::int32_t, std::int32_t> {
    const QString qs = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    if (maxWidth <= 0) {
      const QRect r = fm.boundingRect(QRect(), Qt::TextSingleLine, qs);
      return {r.width(), r.height()};
    }
    const QRect r =
        fm.boundingRect(QRect(0, 0, maxWidth, 0), Qt::TextWordWrap | Qt::TextExpandTabs, qs);
    return {r.width(), r.height()};
  };
  const std::string appTitle = QGuiApplication::applicationDisplayName().toStdString();
  form->layout_ = LayoutMessageForm(measure, ScreenSize(), text.toStdString(), kind, buttons,
                                    useTitle, appTitle);
  const TMessageLayout& L = form->layout_;
  form->setFixedSize(L.Client.Width, L.Client.Height);
  form->setWindowTitle(QString::fromStdString(L.Caption));

  if (L.HasIcon) {
    auto* image = new QLabel(form.get());
    image->setObjectName("Image");
    image->setPixmap(
        form->style()->standardIcon(KindIcon(kind)).pixmap(kMsgIconSize, kMsgIconSize));
    image->setGeometry(ToGeometry(L.IconBounds));
  }
  auto* message = new QLabel(form.get());
  message->setObjectName("Message");
  message->setTextFormat(Qt::PlainText);
  message->setWordWrap(true);
  message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  message->setText(text);
  message->setGeometry(ToGeometry(L.TextBounds));

  for (const TMsgButtonLayout& b : L.Buttons) {
    auto* button = new QPushButton(QString::fromStdString(b.Caption), form.get());
    button->setObjectName(QString::fromStdString(b.Name));
    button->setGeometry(ToGeometry(b.Bounds));
    button->setAutoDefault(false);
    button->setDefault(b.Default);
    if (b.Cancel) form->cancelResult_ = b.Result;
    if (b.Button == TMsgDlgBtn::Help) {
      QObject::connect(button, &QPushButton::clicked, form.get(),
                       [f = form.get()] { f->HelpButtonClick(); });
    } else {
      QObject::connect(button, &QPushButton::clicked, form.get(),
                       [f = form.get(), r = b.Result] { f->done(r); });
    }
  }
  const TPoint pos = Position(*form, owner, -1, -1);
  form->move(pos.X, pos.Y);
  return form;
}

int MessageDlgShow(QWidget* owner, const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                   int helpContext, int x, int y, const QString& helpFile, bool useTitle) {
  // The dialog is destroyed on every way out.
  const std::unique_ptr<TMessageForm> form =
      CreateMessageForm(owner, text, kind, buttons, useTitle);
  form->HelpContext = helpContext;
  form->HelpFile = helpFile;
  const QPoint p = form->pos();
  form->move(x >= 0 ? x : p.x(), y >= 0 ? y : p.y());
  return form->exec();
}

int MessageDlgPosShow(QWidget* owner, const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                      int helpContext, int x, int y, bool useTitle) {
  return MessageDlgShow(owner, text, kind, buttons, helpContext, x, y, QString(), useTitle);
}

int ShowMessagePos(QWidget* owner, const QString& text, int x, int y, bool useTitle) {
  return MessageDlgPosShow(owner, text, TMsgDlgType::Custom, ButtonBit(TMsgDlgBtn::OK), 0, x, y,
                           useTitle);
}

int ShowMessageText(QWidget* owner, const QString& text, bool useTitle) {
  return ShowMessagePos(owner, text, -1, -1, useTitle);
}

}  // namespace bq
