#pragma once

#include <QObject>

class QComboBox;

// Event filter for combo boxes: after a press opens the popup, sizes it to at most
// eight rows and places it directly under the box, exactly as wide as the box.
class ComboPopupFixer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    bool eventFilter(QObject* object, QEvent* event) override;

    static constexpr int maxVisibleRows = 8;

private:
    static void fixPopup(QComboBox* box);
};
