// The upgrade dialog as a user meets it in the main window: opening it, connecting
// and disconnecting, the refusals and warnings, closing it, what a connection of the
// main window makes it forget, and the corners of its state machine.
#include "upgrade_fixture.h"

#include <QAction>

using namespace UpgradeFixture;

class TestUpgradeDialog : public QObject
{
    Q_OBJECT

private:
    Bench bench;
    upgrade_dialog* dialog() { return bench.dialog(); }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        qRegisterMetaType<upgrade_dialog::UpgradeState>();
    }
    void init() { QVERIFY(bench.setUp()); }
    void cleanup() { bench.tearDown(); }

    void connectAndDisconnect()
    {
        bench.window->show_ug_dlg_Dialog();
        QVERIFY(dialog()->isVisible());
        QCOMPARE(dialog()->comboBox->count(), 1);
        QCOMPARE(dialog()->comboBox->currentText(), QString("ZRT-10 BootLoader"));
        QCOMPARE(dialog()->comboBox->currentData().toString(), bench.bootPortName);

        QTest::mouseClick(bench.connectButton(), Qt::LeftButton);
        QCOMPARE(dialog()->state, upgrade_dialog::Connected);
        QVERIFY(bench.port()->isOpen());
        QVERIFY(bench.port()->upgradeForwarding);
        QCOMPARE(bench.connectButton()->text(), QString("Disconnect"));
        QVERIFY(!dialog()->comboBox->isEnabled());
        QTRY_COMPARE(dialog()->productModel, QString("ZRT-10"));
        QTRY_COMPARE(dialog()->currentFirmware, QString("V1.0.3"));
        QVERIFY(bench.device->received().startsWith(upgrade_dialog::kVersionCmd));
        QTRY_VERIFY(bench.logText().contains("Already the latest version."));
        QVERIFY(bench.logText().contains("Connected. Requesting device info..."));
        QVERIFY(bench.logText().contains("Product Model: ZRT-10"));
        QVERIFY(bench.logText().contains("Current Firmware: V1.0.3"));

        QTest::mouseClick(bench.connectButton(), Qt::LeftButton);
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(!bench.port()->isOpen());
        QVERIFY(!bench.port()->upgradeForwarding);
        QCOMPARE(bench.connectButton()->text(), QString("Connect"));
        QVERIFY(dialog()->comboBox->isEnabled());
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("connect");
        QTest::addColumn<QByteArray>("file"); // chosen before the start; null: none
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("start while not connected") << false << QByteArray() << "Warning"
                                                   << "Please connect the device first.";
        QTest::newRow("start without a file") << true << QByteArray() << "No File"
                                              << "Please select a firmware file first.";
        QTest::newRow("start with an empty file") << true << QByteArray("") << "No File"
                                                  << "Please select a firmware file first.";
    }
    void refusals()
    {
        QFETCH(bool, connect);
        QFETCH(QByteArray, file);
        QFETCH(QString, title);
        QFETCH(QString, text);
        if (connect) {
            QVERIFY(bench.connectDialog());
        } else {
            bench.window->show_ug_dlg_Dialog();
        }
        if (!file.isNull()) {
            QVERIFY(bench.chooseFile(file));
            QVERIFY(bench.logText().contains(QString("Local file loaded: %1 bytes").arg(file.size())));
        }
        const QByteArray before = bench.device->received();
        ModalWatcher box("OK");
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QVERIFY(box.waitHandled());
        QCOMPARE(box.title(), title);
        QCOMPARE(box.text(), text);
        QCOMPARE(dialog()->state, connect ? upgrade_dialog::Connected : upgrade_dialog::Idle);
        QTest::qWait(100);
        QCOMPARE(bench.device->received(), before); // no erase
    }

    void openFileNeedsConnection()
    {
        bench.window->show_ug_dlg_Dialog();
        ModalWatcher box("OK");
        QTest::mouseClick(bench.openFileButton(), Qt::LeftButton);
        QVERIFY(box.waitHandled());
        QCOMPARE(box.className(), QString("QMessageBox"));
        QCOMPARE(box.title(), QString("Warning"));
        QCOMPARE(box.text(), QString("Please connect the device first."));
    }

    void fileChooserCancelledKeepsImage()
    {
        QVERIFY(bench.connectDialog());
        const QByteArray image = testImage(300);
        QVERIFY(bench.chooseFile(image));
        ModalWatcher chooser("Cancel");
        QTest::mouseClick(bench.openFileButton(), Qt::LeftButton);
        QVERIFY(chooser.seen());
        QCOMPARE(chooser.className(), QString("QFileDialog"));
        QCOMPARE(chooser.title(), QString("Select Firmware"));
        QCOMPARE(dialog()->firmware, image);
        QCOMPARE(dialog()->state, upgrade_dialog::Connected);
    }

    void noDeviceListed()
    {
        bench.bus->ports.clear();
        bench.window->show_ug_dlg_Dialog();
        QCOMPARE(dialog()->comboBox->count(), 0);
        ModalWatcher box("OK");
        QTest::mouseClick(bench.connectButton(), Qt::LeftButton);
        QVERIFY(box.waitHandled());
        QCOMPARE(box.title(), QString("No Device"));
        QCOMPARE(box.text(), QString("No upgrade device detected. Please check connection and mode."));
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
    }

    void portThatCannotBeOpened()
    {
        bench.bus->ports.first().systemLocation = bench.files.filePath("no-such-tty");
        bench.window->show_ug_dlg_Dialog();
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QTest::mouseClick(bench.connectButton(), Qt::LeftButton);
        QTRY_COMPARE(boxes.history().size(), 2);
        QCOMPARE(boxes.history().at(0).text, QString("Device error"));
        QCOMPARE(boxes.history().at(1).title, QString("Error"));
        QVERIFY2(boxes.history().at(1).text.startsWith("Failed to open port: "), qPrintable(boxes.history().at(1).text));
        QVERIFY(boxes.history().at(1).text.size() > QString("Failed to open port: ").size());
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(!bench.port()->upgradeForwarding);
    }

    void closeButtonClosesTheDialog()
    {
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(200)));
        QTest::mouseClick(bench.closeButton(), Qt::LeftButton);
        QVERIFY(!dialog()->isVisible());
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(dialog()->firmware.isEmpty());
        // The port stays open; the button offers "Connect" and closes it on the next click.
        QVERIFY(bench.port()->isOpen());
        bench.window->show_ug_dlg_Dialog();
        QCOMPARE(bench.connectButton()->text(), QString("Connect"));
        QTest::mouseClick(bench.connectButton(), Qt::LeftButton);
        QVERIFY(!bench.port()->isOpen());
    }

    void escapeClosesLikeTheCloseButton()
    {
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(200)));
        QTest::keyClick(dialog(), Qt::Key_Escape);
        QVERIFY(!dialog()->isVisible());
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(dialog()->firmware.isEmpty());
    }

    void windowConnectionForgetsTheDevice()
    {
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(10)));
        QTest::mouseClick(bench.connectButton(), Qt::LeftButton); // disconnect
        // The window connects to a controller in application mode.
        bench.device->setMode(PedalSimulator::Mode::Application);
        bench.bus->plug("Quorvane ZRT-10", kVendorId, 0x7001, bench.device->slavePath());
        bench.port()->initPort();
        QTest::mouseClick(bench.window->findChild<QPushButton*>("connectButton"), Qt::LeftButton);
        QVERIFY(bench.port()->isOpen());
        QVERIFY(dialog()->productModel.isEmpty());
        QVERIFY(dialog()->currentFirmware.isEmpty());
        QVERIFY(dialog()->firmware.isEmpty());
        QCOMPARE(dialog()->bytesSent, qint64(-1));
        QCOMPARE(dialog()->chunkLength, -1);
    }

    void menuActionShowsTheDialog()
    {
        QAction* action = nullptr;
        for (QAction* a : bench.window->findChildren<QAction*>())
            if (a->text() == "Firmware Upgrade")
                action = a;
        QVERIFY(action);
        dialog()->findChild<QTextBrowser*>("textBrowser")->append("old log");
        action->trigger();
        QVERIFY(dialog()->isVisible());
        QVERIFY(!bench.logText().contains("old log"));
        QCOMPARE(dialog()->windowTitle(), QString("Firmware Upgrade"));
        QVERIFY(!(dialog()->windowFlags() & Qt::WindowContextHelpButtonHint));
        QCOMPARE(dialog()->findChild<QTextBrowser*>("textBrowser_2")->toPlainText(),
                 QString("Please refer to the product manual to put the device into firmware upgrade mode before "
                         "connecting."));
        QCOMPARE(dialog()->comboBox->count(), 1); // listed at once, not only by the timer
    }

    // After a failure, a second failure before the next start shows nothing and
    // leaves the state at FinishedFailed; the next start reports again.
    void secondFailureIsSilentUntilTheNextStart()
    {
        bench.device->setAnswerErase(false);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(100)));
        ModalWatcher boxes("OK");
        boxes.answerAll();
        dialog()->setUpgradeState(upgrade_dialog::Erasing);
        dialog()->setUpgradeState(upgrade_dialog::FinishedFailed);
        QTRY_COMPARE(boxes.history().size(), 1);
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);

        dialog()->setUpgradeState(upgrade_dialog::FinishedFailed);
        QTest::qWait(200);
        QCOMPARE(boxes.history().size(), 1);
        QCOMPARE(dialog()->state, upgrade_dialog::FinishedFailed);
    }

    // The window connects send_erase a second time; the second delivery finds the
    // dialog already sending and changes nothing.
    void eraseDoneDeliveredTwiceStartsOneTransfer()
    {
        const QByteArray image = testImage(200);
        bench.device->setExpectedImageSize(image.size());
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(image));
        QSignalSpy states(dialog(), &upgrade_dialog::upgradeStateChanged);
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 3000);
        QCOMPARE(states.count(), 3);
        QCOMPARE(bench.logText().count("Erase completed."), 1);
        QCOMPARE(bench.logText().count("Sending firmware..."), 1);
        QCOMPARE(bench.device->receivedImage(), image);
    }

    // Bytes that arrive while no acknowledgement is awaited are not kept for the search.
    void bytesOutsideTheWaitAreNotStored()
    {
        QVERIFY(bench.connectDialog());
        dialog()->onUpgradeRxBytes(upgrade_dialog::kChunkAck);
        QVERIFY(dialog()->ackBuffer.isEmpty());
        dialog()->state = upgrade_dialog::Sending;
        dialog()->waitingForAck = false;
        dialog()->onUpgradeRxBytes(upgrade_dialog::kChunkAck);
        QVERIFY(dialog()->ackBuffer.isEmpty());
        dialog()->state = upgrade_dialog::Connected;
    }

    // The erase removed the old firmware: an image that is gone by then is a failure.
    void imageGoneAfterEraseIsAFailure()
    {
        bench.device->setEraseDelay(300);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(100)));
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QCOMPARE(dialog()->state, upgrade_dialog::Erasing);
        dialog()->firmware.clear();
        QTRY_COMPARE(boxes.history().size(), 1);
        QCOMPARE(boxes.history().first().title, QString("Upgrade Failed"));
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QCOMPARE(bench.device->blocksReceived(), 0);
    }
};

QTEST_MAIN(TestUpgradeDialog)
#include "tst_upgrade_dialog.moc"
