#pragma once
// Lays a document out in slices between events.
//
// Qt lays a shown document out lazily, from a timer whose steps grow to
// 200,000 characters. Past about 8 million pixels of height (a preview of
// some 30,000 diagrams) steps that large stall for minutes, and so does the
// window. Small steps take about as long in all as one full layout does, so
// the document is laid out here in small steps, a slice at a time, with
// Qt's own timer held off until the layout is complete. A part painted
// before its turn (the user scrolled there) is laid out first, in the same
// small steps.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QAbstractTextDocumentLayout;
class QTextDocument;
class QTextEdit;

namespace bq {

struct TLayoutPacing {
  int SliceMs = 30;      // the longest slice, give or take one step
  int StepChars = 5000;  // laid out between looks at the clock
};

class TSlicedLayout {
 public:
  // `finished` runs, from the event loop, when a layout that Start left
  // running is complete.
  explicit TSlicedLayout(std::function<void()> finished);
  TSlicedLayout(const TSlicedLayout&) = delete;
  TSlicedLayout& operator=(const TSlicedLayout&) = delete;
  ~TSlicedLayout();

  // Lays the pane's document out: the first slice at once, the rest between
  // events. Returns whether the layout is already complete; `finished` does
  // not run then. A layout still running for another document is stopped.
  bool Start(QTextEdit& pane, const TLayoutPacing& pacing);
  // Stops without finishing; if the document stays, Qt's own layout does
  // the rest.
  void Stop();
  bool Running() const { return timer_.isActive(); }

 private:
  // Holds back the timer events of Qt's layout and lays out what the pane
  // is about to paint, while ours runs.
  class TGuard : public QObject {
   public:
    explicit TGuard(TSlicedLayout& owner) : owner_(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    TSlicedLayout& owner_;
  };

  bool Slice();
  void LayOutDownTo(double y);
  void Continue();
  void Release();

  std::function<void()> finished_;
  TLayoutPacing pacing_;
  QTimer timer_;
  TGuard guard_{*this};
  QPointer<QTextEdit> pane_;
  QPointer<QTextDocument> doc_;
  QPointer<QAbstractTextDocumentLayout> held_;
  QPointer<QWidget> viewport_;
  int laidOut_ = 0;
};

}  // namespace bq
