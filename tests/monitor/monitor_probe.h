#pragma once

#include "app/widget.h"
#include "monitor/mypixmapitem.h"

#include <QAbstractItemModel>
#include <QGraphicsRotation>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTableView>

// Looks at the live monitor of a window the way the window shows it: the pedal
// pictures inside widget_4 (expression), widget_5 (switch), widget_7 (hi-hat) and
// the rows of the three tables.
namespace MonitorProbe {

inline QGraphicsView* view(Widget* window, const char* container)
{
    QWidget* host = window->findChild<QWidget*>(QString::fromLatin1(container));
    return host ? host->findChild<QGraphicsView*>() : nullptr;
}

inline MyPixmapItem* pedal(Widget* window, const char* container)
{
    QGraphicsView* v = view(window, container);
    if (!v || !v->scene())
        return nullptr;
    const QList<QGraphicsItem*> items = v->scene()->items();
    for (QGraphicsItem* item : items) {
        if (auto* moving = dynamic_cast<MyPixmapItem*>(item))
            return moving;
    }
    return nullptr;
}

inline MyPixmapItem* expressionPedal(Widget* w) { return pedal(w, "widget_4"); }
inline MyPixmapItem* switchPedal(Widget* w) { return pedal(w, "widget_5"); }
inline MyPixmapItem* hiHatPedal(Widget* w) { return pedal(w, "widget_7"); }

inline QGraphicsRotation* switchRotation(Widget* w)
{
    MyPixmapItem* item = switchPedal(w);
    return item && !item->transformations().isEmpty() ? qobject_cast<QGraphicsRotation*>(item->transformations().first())
                                                      : nullptr;
}

inline QAbstractItemModel* table(Widget* window, const char* name)
{
    auto* v = window->findChild<QTableView*>(QString::fromLatin1(name));
    return v ? v->model() : nullptr;
}

inline QStringList row(QAbstractItemModel* model, int r)
{
    QStringList texts;
    for (int c = 0; c < model->columnCount(); ++c)
        texts << model->index(r, c).data().toString();
    return texts;
}

inline const char* const tableNames[] = {"tableView", "tableView_2", "tableView_3"};

} // namespace MonitorProbe
