#pragma once
// The pictures of the preview: image objects whose PNG data the document
// holds as resources. Each is decoded when it is painted and scaled
// smoothly to its place; only the last few stay decoded, so that a preview
// of thousands of pictures holds little more than their files.
#include <QCache>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTextObjectInterface>

class QTextDocument;

namespace bq {

class TPreviewPictures : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  // From now on the images of `doc` are drawn this way; the document owns
  // the drawer.
  static void Install(QTextDocument& doc);

  // The size the image format gives, in the document's pixels.
  QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
  // A picture whose data is not a PNG file draws nothing.
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                  const QTextFormat& format) override;

 private:
  explicit TPreviewPictures(QObject* parent) : QObject(parent) {}

  // Scaled pictures by name and size; a screen shows a few at a time.
  QCache<QString, QImage> scaled_{16};
};

}  // namespace bq
