#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

// The About box: frameless, with a painted 30 px title bar that drags the window.
class CustomDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CustomDialog(QWidget* parent = nullptr);

    static constexpr int titleBarHeight = 30;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint dragOffset;
    bool dragFromTitleBar = false;
    QString version = QStringLiteral("V4.0.2");
};
