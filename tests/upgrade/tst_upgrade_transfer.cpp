// Manual upgrade through the dialog of the real main window against the simulated
// bootloader: the image that arrives is the file chosen, block by block, with the
// progress and the report a user sees.
#include "upgrade_fixture.h"

using namespace UpgradeFixture;
using State = upgrade_dialog::UpgradeState;

class TestUpgradeTransfer : public QObject
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

    void imageArrivesByteExact_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("blocks");
        QTest::newRow("130 bytes") << 130 << QList<int>{64, 64, 2};
        QTest::newRow("128 bytes: nothing after the full last block") << 128 << QList<int>{64, 64};
        QTest::newRow("1 byte") << 1 << QList<int>{1};
        QList<int> large;
        for (int i = 0; i < 768; ++i)
            large << 64;
        QTest::newRow("48 KiB image") << 48 * 1024 << large;
    }
    void imageArrivesByteExact()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, blocks);
        const QByteArray image = testImage(size, size);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(image));
        QVERIFY(bench.logText().contains(QString("Local file loaded: %1 bytes").arg(size)));

        QList<int> received;
        connect(bench.device.get(), &PedalSimulator::blockReceived, this,
                [&](int, const QByteArray& bytes) { received << bytes.size(); });
        QSignalSpy states(dialog(), &upgrade_dialog::upgradeStateChanged);
        ModalWatcher boxes("OK");
        boxes.answerAll();

        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QCOMPARE(dialog()->state, upgrade_dialog::Erasing);
        QVERIFY(!bench.startButton()->isEnabled());
        QVERIFY(!bench.connectButton()->isEnabled());
        QVERIFY(!dialog()->comboBox->isEnabled());
        const int timeout = 5000 + blocks.size() * 60;
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, timeout);
        QTest::qWait(100); // nothing may follow the last block

        QCOMPARE(bench.device->receivedImage(), image);
        QCOMPARE(bench.bytesAfterErase(), image);
        QCOMPARE(received, blocks);
        QCOMPARE(dialog()->bytesSent, qint64(size));
        QList<State> seen;
        for (const QList<QVariant>& args : states)
            seen << args.at(0).value<State>();
        QCOMPARE(seen, (QList<State>{upgrade_dialog::Erasing, upgrade_dialog::Sending, upgrade_dialog::FinishedSuccess}));
        QVERIFY(boxes.history().isEmpty());
        // The digest is shown at the start and again when the transfer starts.
        const QString md5 = QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex();
        QCOMPARE(bench.logText().count("Firmware MD5: " + md5), 2);
    }

    // 100 bytes: 64 after the first block, 99 after the second, 100 only with the
    // report; the box closes the upgrade and hides the dialog.
    void progressAndSuccessReport()
    {
        const QByteArray image = testImage(100);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(image));
        dialog()->autoupdateflag = true; // as the automatic upgrade leaves it
        QSignalSpy values(bench.progressBar(), &QProgressBar::valueChanged);
        int valueWhenReported = -1;
        State stateWhenReported = upgrade_dialog::Idle;
        ModalWatcher report([&](QWidget* box) {
            valueWhenReported = bench.progressBar()->value();
            stateWhenReported = dialog()->state;
            box->close();
        });
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 3000);
        QCOMPARE(bench.progressBar()->value(), 99);
        QVERIFY(bench.logText().contains("Finalizing, please wait..."));
        QVERIFY(!report.seen());

        QVERIFY(report.waitHandled(7000));
        QCOMPARE(report.title(), QString("Upgrade"));
        QCOMPARE(report.text(), QString("Upgrade successful, please power on the device again."));
        QCOMPARE(valueWhenReported, 100);
        QCOMPARE(stateWhenReported, upgrade_dialog::FinishedSuccess);
        QTRY_COMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(!dialog()->isVisible());
        QVERIFY(dialog()->firmware.isEmpty());
        QVERIFY(!dialog()->autoupdateflag);

        QList<int> seen;
        for (const QList<QVariant>& args : values)
            seen << args.at(0).toInt();
        QCOMPARE(seen, (QList<int>{64, 99, 100, 0}));
        QCOMPARE(bench.device->receivedImage(), image);
    }

    // Closing half-way would leave the device erased without a report: the dialog
    // stays until the transfer has ended.
    void closeRefusedWhileTransferring()
    {
        const QByteArray image = testImage(64 * 20);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(image));
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_COMPARE(dialog()->state, upgrade_dialog::Sending);
        QTest::mouseClick(bench.closeButton(), Qt::LeftButton);
        QVERIFY(dialog()->isVisible());
        QCOMPARE(dialog()->state, upgrade_dialog::Sending);
        QVERIFY(bench.logText().contains("Upgrade in progress, please wait until it has finished."));
        QTest::keyClick(dialog(), Qt::Key_Escape);
        QVERIFY(dialog()->isVisible());
        QCOMPARE(dialog()->state, upgrade_dialog::Sending);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 5000);
        QCOMPARE(bench.device->receivedImage(), image);
    }
};

QTEST_MAIN(TestUpgradeTransfer)
#include "tst_upgrade_transfer.moc"
