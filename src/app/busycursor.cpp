#include "app/busycursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace bq {

void BusyCursorOn() {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void BusyCursorOff() {
  QGuiApplication::restoreOverrideCursor();
}

}  // namespace bq
