#pragma once

#include <QObject>
#include <QString>

class QWidget;

class Common : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Modal notice with a single OK button. A Cancel text is accepted for callers
    // that pass one, but the box never shows a Cancel button.
    static int showMsgBox(const QString& text, QWidget* parent, const QString& okText,
                          const QString& cancelText, const QString& iconPath);

    // The program's single-button notice: no parent, "OK", the program icon.
    static void showNotice(const QString& text);
};
