#include "app/previewpictures.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>
#include <memory>

namespace bq {

void TPreviewPictures::Install(QTextDocument& doc) {
  doc.documentLayout()->registerHandler(QTextFormat::ImageObject, new TPreviewPictures(&doc));
}

QSizeF TPreviewPictures::intrinsicSize(QTextDocument*, int, const QTextFormat& format) {
  const QTextImageFormat image = format.toImageFormat();
  return QSizeF(image.width(), image.height());
}

void TPreviewPictures::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                                  const QTextFormat& format) {
  const QString name = format.toImageFormat().name();
  const QSize size = (rect.size() * painter->device()->devicePixelRatioF()).toSize();
  if (size.isEmpty()) return;
  const QString key = name + QLatin1Char(' ') + QString::number(size.width()) + QLatin1Char('x') +
                      QString::number(size.height());
  const QImage* picture = scaled_.object(key);
  if (!picture) {
    QImage decoded;
    const QByteArray png = doc->resource(QTextDocument::ImageResource, QUrl(name)).toByteArray();
    if (!decoded.loadFromData(png, "PNG")) return;
    auto scaled = std::make_unique<QImage>(
        decoded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    scaled_.insert(key, scaled.release());  // the cache owns it
    picture = scaled_.object(key);
    if (!picture) return;
  }
  painter->drawImage(rect, *picture);
}

}  // namespace bq
