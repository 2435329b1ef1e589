#include "app/custom_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyleOption>
#include <QVBoxLayout>

namespace {

QLabel* centredLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(QFont(QStringLiteral("Calibri"), 12));
    return label;
}

} // namespace

CustomDialog::CustomDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setStyleSheet(QStringLiteral("QDialog { background-color: white; border: 1px solid gray; }"
                                 "QLabel { color: black; font-size: 12px; }"
                                 "QPushButton { background-color: white; border: 1px solid gray; padding: 5px; }"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 40, 10, 10);

    QLabel* versionLabel = centredLabel(this);
    versionLabel->setText(tr("Versio %1").arg(version));
    layout->addWidget(versionLabel, 0, Qt::AlignCenter);

    QLabel* logo = centredLabel(this);
    logo->setPixmap(QPixmap(QStringLiteral(":/IMG/label2.png"))
                        .scaled(100, 50, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    layout->addWidget(logo, 0, Qt::AlignCenter);

    QLabel* notice = centredLabel(this);
    notice->setTextFormat(Qt::RichText);
    notice->setText(tr("<p>Quillmar configures Quorvane USB MIDI pedal controllers.<br>"
                       "&copy; Quorvane. All rights reserved.</p>"));
    layout->addWidget(notice, 0, Qt::AlignCenter);

    QLabel* link = centredLabel(this);
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);
    link->setText(tr("<a href=\"https://www.quorvane.com\">www.quorvane.com</a>"));
    layout->addWidget(link, 0, Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setMinimumSize(40, 15);
    ok->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: white; border: 1px solid gray; border-radius: 5px;"
        " padding: 5px 20px; font: 14px \"Arial\"; color: black; }"
        "QPushButton:hover { background-color: lightgray; }"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 0, Qt::AlignCenter);
}

void CustomDialog::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);

    QLinearGradient gradient(0, 0, 0, titleBarHeight);
    gradient.setColorAt(0, Qt::lightGray);
    gradient.setColorAt(1, QColor(240, 240, 240));
    painter.fillRect(QRect(QPoint(0, 0), QPoint(width() - 1, titleBarHeight - 1)), gradient);

    // The bottom edge comes from the style sheet's border.
    painter.setPen(Qt::gray);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);

    painter.setPen(Qt::black);
    painter.setFont(QFont(QStringLiteral("Calibri"), 12));
    painter.drawText(QRect(QPoint(5, 5), QPoint(width() + 4, 34)), Qt::AlignLeft, tr("About Quillmar"));
}

void CustomDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && qRound(event->localPos().y()) <= titleBarHeight - 1) {
        dragOffset = event->globalPos() - frameGeometry().topLeft();
        dragFromTitleBar = true;
        event->accept();
        return;
    }
    // A drag that starts below the title bar never moves the window.
    dragFromTitleBar = false;
    QDialog::mousePressEvent(event);
}

void CustomDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (dragFromTitleBar && (event->buttons() & Qt::LeftButton) && event->localPos().y() < titleBarHeight) {
        move(event->globalPos() - dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}
