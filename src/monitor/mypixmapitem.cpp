#include "monitor/mypixmapitem.h"

#include <QPainter>

#include <cmath>

void MyPixmapItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QRectF box = boundingRect();
    const qreal left = std::round(box.x());
    const qreal top = std::round(box.y());
    const qreal right = std::round(box.x() + box.width());
    const qreal bottom = std::round(box.y() + box.height());
    painter->drawPixmap(QRectF(left, top, right - left, bottom - top), pixmap(), QRectF(pixmap().rect()));
}
