#include "app/common.h"

#include <QIcon>
#include <QMessageBox>

int Common::showMsgBox(const QString& text, QWidget* parent, const QString& okText,
                       const QString& cancelText, const QString& iconPath)
{
    QMessageBox box(parent);
    box.setFocusPolicy(Qt::NoFocus);
    box.setButtonText(QMessageBox::Ok, okText);         // creates the only button
    box.setButtonText(QMessageBox::Cancel, cancelText); // no Cancel button exists: no effect
    if (!iconPath.isEmpty())
        box.setWindowIcon(QIcon(iconPath));
    box.setText(text);
    return box.exec();
}

void Common::showNotice(const QString& text)
{
    showMsgBox(text, nullptr, tr("OK"), QString(), QStringLiteral(":/ico.png"));
}
