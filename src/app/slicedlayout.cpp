#include "app/slicedlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <utility>

namespace bq {

bool TSlicedLayout::TGuard::eventFilter(QObject* watched, QEvent* event) {
  if (watched == owner_.held_) {
    // Qt's layout and size-report timers repeat until served, so nothing is
    // lost: the size report arrives once the filter is gone.
    return event->type() == QEvent::Timer;
  }
  if (watched == owner_.viewport_ && event->type() == QEvent::Paint && owner_.pane_) {
    const QRect area = static_cast<QPaintEvent*>(event)->rect();
    owner_.LayOutDownTo(area.bottom() + 1 + owner_.pane_->verticalScrollBar()->value());
  }
  return false;
}

TSlicedLayout::TSlicedLayout(std::function<void()> finished) : finished_(std::move(finished)) {
  // A zero interval: the next slice runs as soon as waiting events are handled.
  timer_.setInterval(0);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Continue(); });
}

TSlicedLayout::~TSlicedLayout() {
  Release();
}

bool TSlicedLayout::Start(QTextEdit& pane, const TLayoutPacing& pacing) {
  Stop();
  doc_ = pane.document();
  pacing_ = pacing;
  laidOut_ = 0;
  if (Slice()) {
    doc_ = nullptr;
    return true;
  }
  pane_ = &pane;
  held_ = doc_->documentLayout();
  held_->installEventFilter(&guard_);
  viewport_ = pane.viewport();
  viewport_->installEventFilter(&guard_);
  timer_.start();
  return false;
}

void TSlicedLayout::Stop() {
  timer_.stop();
  Release();
  doc_ = nullptr;
}

void TSlicedLayout::Release() {
  if (held_) held_->removeEventFilter(&guard_);
  if (viewport_) viewport_->removeEventFilter(&guard_);
  held_ = nullptr;
  viewport_ = nullptr;
  pane_ = nullptr;
}

bool TSlicedLayout::Slice() {
  QAbstractTextDocumentLayout* layout = doc_->documentLayout();
  const int end = doc_->characterCount();
  const int step = std::max(1, pacing_.StepChars);
  QElapsedTimer clock;
  clock.start();
  do {
    laidOut_ = std::min(end, laidOut_ + step);
    // Asking for a block's place lays the document out up to that block.
    layout->blockBoundingRect(doc_->findBlock(laidOut_ - 1));
  } while (laidOut_ < end && clock.elapsed() < pacing_.SliceMs);
  return laidOut_ >= end;
}

void TSlicedLayout::LayOutDownTo(double y) {
  if (!doc_) return;
  QAbstractTextDocumentLayout* layout = doc_->documentLayout();
  const int end = doc_->characterCount();
  const int step = std::max(1, pacing_.StepChars);
  while (laidOut_ < end && layout->blockBoundingRect(doc_->findBlock(laidOut_ - 1)).bottom() < y) {
    laidOut_ = std::min(end, laidOut_ + step);
  }
  layout->blockBoundingRect(doc_->findBlock(laidOut_ - 1));
}

void TSlicedLayout::Continue() {
  if (!doc_) {  // the document went away
    Stop();
    return;
  }
  if (!Slice()) return;
  Stop();
  if (finished_) finished_();
}

}  // namespace bq
