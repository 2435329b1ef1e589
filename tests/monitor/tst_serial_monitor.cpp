// The serial monitor dialog in the real window: opened with the keyboard while its
// button stays hidden, logging the traffic with the controller, Pause, Auto-scroll,
// Clear, error lines and the line limit.
#include "app/widget.h"
#include "device/serialport.h"
#include "monitor/hexdump.h"
#include "support/fake_device_enumerator.h"
#include "upgrade/download_server.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTest>

#include <memory>

class TestSerialMonitor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<Widget> window;

    SerialPort* port() { return window->findChild<SerialPort*>(); }
    QDialog* dialog()
    {
        const QList<QDialog*> dialogs = window->findChildren<QDialog*>();
        for (QDialog* d : dialogs) {
            if (d->windowTitle() == QLatin1String("Serial Monitor"))
                return d;
        }
        return nullptr;
    }
    QPlainTextEdit* log() { return dialog()->findChild<QPlainTextEdit*>(); }
    QStringList lines() { return log()->toPlainText().split('\n'); }
    QCheckBox* checkBox(const QString& text)
    {
        const QList<QCheckBox*> boxes = dialog()->findChildren<QCheckBox*>();
        for (QCheckBox* b : boxes) {
            if (b->text() == text)
                return b;
        }
        return nullptr;
    }
    QLabel* portLabel() { return dialog()->findChild<QLabel*>(); }

    void open()
    {
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(dialog());
        QTRY_VERIFY(dialog()->isVisible());
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        // Update and firmware checks go nowhere: nothing on this port answers.
        DownloadServer::setBaseAddressForTesting(QStringLiteral("https://127.0.0.1:9"));
    }

    void init()
    {
        bus = std::make_unique<FakeDeviceEnumerator>();
        window = std::make_unique<Widget>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
    }

    void cleanup()
    {
        window.reset();
        bus.reset();
    }

    void opensFromTheKeyboardWithTheButtonHidden()
    {
        QVERIFY(!dialog()); // built on first opening
        open();
        QVERIFY(window->findChild<QPushButton*>("pushButton_4")->isHidden());
        QCOMPARE(dialog()->size(), QSize(900, 600));
        QVERIFY(!dialog()->isModal());
        QCOMPARE(portLabel()->text(), QString("Port: N/A (Closed)"));
        QVERIFY(!checkBox("Pause")->isChecked());
        QVERIFY(checkBox("Auto-scroll")->isChecked());
        QVERIFY(log()->isReadOnly());
        QCOMPARE(log()->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(log()->maximumBlockCount(), SerialDump::maxLogLines);
        QVERIFY(log()->toPlainText().isEmpty());
    }

    // Connecting logs the handshake sent and the reply received, as dump blocks.
    void logsTheTrafficWithTheController()
    {
        PedalSimulator device;
        QVERIFY(device.start());
        bus->plug("Quorvane ZRT-30", 0x1209, 0x7001, device.slavePath());
        port()->initPort();
        open();
        QTest::mouseClick(window->findChild<QPushButton*>("connectButton"), Qt::LeftButton);
        QVERIFY(port()->isOpen());

        const QRegularExpression header(R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] (TX >>>|RX <<<)  (\d+) bytes$)");
        QTRY_VERIFY(log()->toPlainText().contains("RX <<<"));
        const QStringList all = lines();
        QVERIFY(header.match(all.at(0)).hasMatch());
        QVERIFY(all.at(0).contains("TX >>>  7 bytes"));
        QCOMPARE(all.at(1), QString("  F0 00 21 5E 01 01 F7                             |..!^...|"));
        QCOMPARE(all.at(2), QString());

        // Each received block: header, its dump lines, an empty line.
        bool sawReply = false;
        for (int i = 0; i < all.size(); ++i) {
            const auto m = header.match(all.at(i));
            if (!m.hasMatch() || m.captured(1) != "RX <<<")
                continue;
            const int count = m.captured(2).toInt();
            const int dumpLines = (count + 15) / 16;
            QVERIFY(i + dumpLines + 1 < all.size() + 1);
            for (int d = 1; d <= dumpLines; ++d)
                QVERIFY2(all.at(i + d).startsWith("  ") && all.at(i + d).endsWith('|'), qPrintable(all.at(i + d)));
            QCOMPARE(all.value(i + dumpLines + 1), QString());
            sawReply = sawReply || all.at(i + 1).startsWith("  F0 00 21 5E");
        }
        QVERIFY(sawReply);

        // The label is refreshed when the monitor is opened again.
        QCOMPARE(portLabel()->text(), QString("Port: N/A (Closed)"));
        open();
        QCOMPARE(portLabel()->text(), QString("Port: %1 (Open)").arg(port()->portName()));
    }

    void pauseDropsWhatPasses()
    {
        open();
        emit port()->rxBytes(QByteArray("one"));
        const int before = log()->blockCount();
        checkBox("Pause")->setChecked(true);
        emit port()->rxBytes(QByteArray("two"));
        emit port()->txBytes(QByteArray("three"));
        emit port()->errorOccurred(QSerialPort::ReadError);
        QCOMPARE(log()->blockCount(), before);
        checkBox("Pause")->setChecked(false);
        QCOMPARE(log()->blockCount(), before);
        QVERIFY(!log()->toPlainText().contains("|two|"));
        emit port()->txBytes(QByteArray("four"));
        QVERIFY(lines().contains("  66 6F 75 72                                      |four|"));
    }

    void errorLinesFollowTheBlocks()
    {
        open();
        emit port()->errorOccurred(QSerialPort::NoError); // not an error
        QVERIFY(log()->toPlainText().isEmpty());
        emit port()->errorOccurred(QSerialPort::WriteError);
        const QStringList all = lines();
        QCOMPARE(all.size(), 1);
        QVERIFY2(QRegularExpression(R"(^\[\d\d:\d\d:\d\d\.\d\d\d\] ERR: .+$)").match(all.at(0)).hasMatch(),
                 qPrintable(all.at(0)));
        QVERIFY(all.at(0).endsWith(port()->errorString()));
    }

    void nothingIsLoggedWhileHidden()
    {
        open();
        dialog()->close();
        QVERIFY(!dialog()->isVisible());
        emit port()->rxBytes(QByteArray("hidden"));
        open();
        QVERIFY(log()->toPlainText().isEmpty());
    }

    void reopeningKeepsLogAndSize()
    {
        open();
        dialog()->resize(500, 400);
        emit port()->rxBytes(QByteArray("kept"));
        dialog()->close();
        open();
        QCOMPARE(dialog()->size(), QSize(500, 400));
        QVERIFY(log()->toPlainText().contains("|kept|"));
    }

    void clearEmptiesTheLog()
    {
        open();
        emit port()->rxBytes(QByteArray("x"));
        QPushButton* clear = dialog()->findChild<QPushButton*>();
        QCOMPARE(clear->text(), QString("Clear"));
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(log()->toPlainText().isEmpty());
    }

    void autoScrollFollowsTheEnd_data()
    {
        QTest::addColumn<bool>("autoScroll");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void autoScrollFollowsTheEnd()
    {
        QFETCH(bool, autoScroll);
        open();
        checkBox("Auto-scroll")->setChecked(autoScroll);
        QScrollBar* bar = log()->verticalScrollBar();
        emit port()->rxBytes(QByteArray(16 * 100, 'a'));
        bar->setValue(0);
        emit port()->rxBytes(QByteArray(16 * 100, 'b'));
        QVERIFY(bar->maximum() > 0);
        // With auto-scroll the end of the log is in view; without it the view stays put.
        const QPoint bottomLeft(5, log()->viewport()->height() - 5);
        const int shownAtBottom = log()->cursorForPosition(bottomLeft).block().blockNumber();
        if (autoScroll)
            QVERIFY2(shownAtBottom >= log()->blockCount() - 2, qPrintable(QString::number(shownAtBottom)));
        else
            QCOMPARE(bar->value(), 0);
    }

    void keepsAtMost5000Lines()
    {
        open();
        for (int n = 0; n < 2000; ++n)
            emit port()->rxBytes(QByteArray::number(n)); // 3 lines each
        QCOMPARE(log()->blockCount(), SerialDump::maxLogLines);
        QVERIFY(log()->toPlainText().contains("|1999|"));
        QVERIFY(!log()->toPlainText().contains("|0|"));
    }
};

QTEST_MAIN(TestSerialMonitor)
#include "tst_serial_monitor.moc"
