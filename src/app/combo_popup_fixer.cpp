#include "app/combo_popup_fixer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPointer>
#include <QTimer>

bool ComboPopupFixer::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
        if (auto* box = qobject_cast<QComboBox*>(object)) {
            // Runs after the box has opened its popup.
            QPointer<QComboBox> guard(box);
            QTimer::singleShot(0, this, [guard] {
                if (guard)
                    fixPopup(guard);
            });
        }
    }
    return QObject::eventFilter(object, event);
}

void ComboPopupFixer::fixPopup(QComboBox* box)
{
    QAbstractItemView* view = box->view();
    if (!view || !view->window() || !view->window()->isVisible())
        return;
    QWidget* popup = view->window();

    view->setMinimumSize(0, 0);
    view->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    const int count = box->count();
    if (count == 0)
        return;

    int rowHeight = view->sizeHintForRow(0);
    if (rowHeight < 1)
        rowHeight = 24;

    // Leave the popup alone while the user drags inside it.
    if (popup->underMouse() && QApplication::mouseButtons() != Qt::NoButton
        && popup->height() > rowHeight + 2)
        return;

    const int height = rowHeight * qMin(count, maxVisibleRows) + 2;
    const int width = box->width();
    popup->move(box->mapToGlobal(QPoint(0, box->height()))); // directly under the box
    view->setMinimumWidth(width);
    view->setMaximumWidth(width);
    view->setMinimumHeight(height);
    view->setMaximumHeight(height);
    popup->resize(width, height);
}
