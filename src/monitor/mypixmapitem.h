#pragma once

#include <QGraphicsPixmapItem>

// The moving part of a pedal picture. Draws its pixmap smoothly into its bounding
// rectangle snapped to whole units, so a rotated pedal keeps clean edges.
class MyPixmapItem : public QGraphicsPixmapItem
{
public:
    using QGraphicsPixmapItem::QGraphicsPixmapItem;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;
};
