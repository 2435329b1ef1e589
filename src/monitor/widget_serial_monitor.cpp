// The serial monitor: a dialog that logs every block of bytes written to and read
// from the controller's port, and the port's errors (members of Widget). Its button
// pushButton_4 stays hidden; Ctrl+Shift+M (Cmd+Shift+M on macOS) opens it.
#include "app/widget.h"
#include "ui_widget.h"

#include "device/serialport.h"
#include "monitor/hexdump.h"

#include <QCheckBox>
#include <QDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTime>
#include <QVBoxLayout>

void Widget::installSerialMonitorShortcut()
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M), this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &Widget::on_pushButton_4_clicked);
}

void Widget::on_pushButton_4_clicked()
{
    ensureSerialMonitorDialog();
    updateSerialMonitorPortLabel();
    if (serialMonitorDialog->width() < 300)
        serialMonitorDialog->resize(900, 600);
    serialMonitorDialog->show();
    serialMonitorDialog->raise();
    serialMonitorDialog->activateWindow();
}

void Widget::ensureSerialMonitorDialog()
{
    if (serialMonitorDialog)
        return;

    serialMonitorDialog = new QDialog(this);
    serialMonitorDialog->setWindowTitle(tr("Serial Monitor"));
    auto* layout = new QVBoxLayout(serialMonitorDialog);

    auto* row = new QHBoxLayout;
    serialMonitorPortLabel = new QLabel(serialMonitorDialog);
    serialMonitorPause = new QCheckBox(tr("Pause"), serialMonitorDialog);
    serialMonitorAutoScroll = new QCheckBox(tr("Auto-scroll"), serialMonitorDialog);
    serialMonitorAutoScroll->setChecked(true);
    auto* clearButton = new QPushButton(tr("Clear"), serialMonitorDialog);
    row->addWidget(serialMonitorPortLabel);
    row->addStretch();
    row->addWidget(serialMonitorPause);
    row->addWidget(serialMonitorAutoScroll);
    row->addWidget(clearButton);
    layout->addLayout(row);

    serialMonitorView = new QPlainTextEdit(serialMonitorDialog);
    serialMonitorView->setReadOnly(true);
    serialMonitorView->setLineWrapMode(QPlainTextEdit::NoWrap);
    serialMonitorView->setMaximumBlockCount(SerialDump::maxLogLines);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(13);
    serialMonitorView->setFont(font);
    serialMonitorView->document()->setDefaultFont(font);
    serialMonitorView->setStyleSheet(QStringLiteral("QPlainTextEdit {  padding: 10px;  background: #0F111A;  "
                                                    "color: #E6E6E6;  selection-background-color: #3B4252;}"));
    layout->addWidget(serialMonitorView);

    connect(serialPort, &SerialPort::rxBytes, this, [this](const QByteArray& data) {
        appendSerialMonitorBytes(data, false);
    });
    connect(serialPort, &SerialPort::txBytes, this, [this](const QByteArray& data) {
        appendSerialMonitorBytes(data, true);
    });
    connect(serialPort, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error != QSerialPort::NoError)
            appendSerialMonitorError();
    });
    connect(clearButton, &QPushButton::clicked, serialMonitorView, &QPlainTextEdit::clear);
}

void Widget::updateSerialMonitorPortLabel()
{
    if (!serialMonitorPortLabel)
        return;
    QString name = serialPort ? serialPort->portName() : QString();
    if (name.isEmpty())
        name = tr("N/A");
    const bool open = serialPort && serialPort->isOpen();
    serialMonitorPortLabel->setText(tr("Port: %1 (%2)").arg(name, open ? tr("Open") : tr("Closed")));
}

void Widget::appendSerialMonitorBytes(const QByteArray& data, bool tx)
{
    if (!serialMonitorDialog || !serialMonitorDialog->isVisible() || !serialMonitorView)
        return;
    if (serialMonitorPause && serialMonitorPause->isChecked())
        return; // what passes during a pause is not kept
    serialMonitorView->appendPlainText(SerialDump::blockLines(QTime::currentTime(), data, tx).join(QLatin1Char('\n')));
    if (serialMonitorAutoScroll && serialMonitorAutoScroll->isChecked()) {
        serialMonitorView->moveCursor(QTextCursor::End);
        serialMonitorView->ensureCursorVisible();
    }
}

void Widget::appendSerialMonitorError()
{
    if (!serialMonitorDialog || !serialMonitorDialog->isVisible() || !serialMonitorView)
        return;
    if (serialMonitorPause && serialMonitorPause->isChecked())
        return;
    const QString error = serialPort ? serialPort->errorString() : tr("Unknown error");
    serialMonitorView->appendPlainText(SerialDump::errorLine(QTime::currentTime(), error));
    if (serialMonitorAutoScroll && serialMonitorAutoScroll->isChecked()) {
        serialMonitorView->moveCursor(QTextCursor::End);
        serialMonitorView->ensureCursorVisible();
    }
}
