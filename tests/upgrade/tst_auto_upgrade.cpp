// The automatic upgrade from the main window, end to end: a connected controller (the
// simulator on a pty) reports an old firmware, the offer is accepted, the image comes
// from the local HTTPS server, the controller restarts into its bootloader on a new
// port, the scan finds it among the upgrade dialog's devices, and the dialog erases
// and transfers the image; and a failure during the transfer.
#include "auto_upgrade_fixture.h"
#include "upgrade/upgrade_message_dialog.h"

#include <QElapsedTimer>
#include <QSignalSpy>

class TestAutoUpgrade : public AutoUpgradeFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpCase(); }
    void cleanupTestCase() { tearDownCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // The whole flow with the real waits: offer, download, restart, scan, erase,
    // transfer, success box; the bootloader holds exactly the served image.
    void automaticUpgradeEndToEnd()
    {
        const QByteArray image = testImage(1000); // 15 full blocks and one of 40 bytes
        serve("ZRT-10", image, "ZRT-10_V1.1.0");
        onRestartList({{"ttyACM91", "", ""}}, "ZRT-10 BL V1.0"); // found by a probe of the new port
        QElapsedTimer sinceRestart;
        connect(port(), &SerialPort::txBytes, this, [&](const QByteArray& bytes) {
            if (bytes == enterBootloader)
                sinceRestart.start();
        });
        QSignalSpy restarted(device.get(), &PedalSimulator::enteredBootloader);

        connectController("ZRT-10", "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Update Available"), 5000);
        QCOMPARE(boxText("Update Available"),
                 QString("The current version is ZRT-10_V1.0.3\nA new version is available: ZRT-10_V1.1.0\n\n"
                         "Update Content:\nFaster pedals.\n"));

        QTRY_COMPARE_WITH_TIMEOUT(restarted.count(), 1, 5000);
        QTRY_VERIFY(sawBox("Message"));
        QCOMPARE(boxText("Message"), QString("Preparing for the upgrade..."));
        // The restart is given its time before the upgrade dialog looks for the new port.
        QVERIFY(!dialog()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->isVisible(), 8000);
        QVERIFY2(sinceRestart.elapsed() >= 3000, qPrintable(QString::number(sinceRestart.elapsed())));

        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Upgrade"), 20000);
        QCOMPARE(boxText("Upgrade"), QString("Upgrade successful, please power on the device again."));
        QCOMPARE(device->receivedImage(), image);
        QCOMPARE(device->blocksReceived(), 16);
        // Erase, then the image and nothing else.
        const QByteArray all = device->received();
        QVERIFY(all.contains(enterBootloader));
        QCOMPARE(all.mid(all.indexOf(eraseCommand) + eraseCommand.size()), image);

        QCOMPARE(boxTitles(), (QStringList{"Update Available", "Message", "Upgrade"}));
        QCOMPARE(firmwareRequests(), (QStringList{updatePath("ZRT-10"), imagePath("ZRT-10", "ZRT-10_V1.1.0")}));
        QTRY_VERIFY(!dialog()->isVisible());
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(!dialog()->autoupdateflag);
        QVERIFY(!window->findChild<Upgrade_message_Dialog*>()->isVisible());
    }

    // The scan finds the restarted controller by its description or by the probe's
    // answer, and only the bootloader of the model that was asked to restart.
    void scanFindsTheBootloader_data()
    {
        QTest::addColumn<QList<BootPort>>("ports");
        QTest::addColumn<QByteArray>("bootModelLine");
        QTest::newRow("described") << QList<BootPort>{{"ttyACM91", "ZRT-10 BootLoader", ""}}
                                   << QByteArray("ZRT-10 BL V1.0");
        QTest::newRow("probed") << QList<BootPort>{{"ttyUSB3", "", ""}} << QByteArray("ZRT-10 BL V1.0");
        QTest::newRow("another model's bootloader listed first")
            << QList<BootPort>{{"ttyACM90", "ZRT-20 BootLoader", "/dev/quillmar-no-such-port"},
                               {"ttyACM91", "ZRT-10 BootLoader", ""}}
            << QByteArray("ZRT-10 BL V1.0");
    }
    void scanFindsTheBootloader()
    {
        QFETCH(QList<BootPort>, ports);
        QFETCH(QByteArray, bootModelLine);
        useShortTiming();
        const QByteArray image = testImage(64 * 5); // a multiple of the block size
        serve("ZRT-10", image, "ZRT-10_V2.0.0");
        onRestartList(ports, bootModelLine);

        connectController("ZRT-10", "V1.0.3");
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 10000);
        QCOMPARE(device->receivedImage(), image);
        const QByteArray all = device->received();
        QCOMPARE(all.mid(all.indexOf(eraseCommand) + eraseCommand.size()), image);
        QCOMPARE(boxTitles(), (QStringList{"Update Available", "Message"}));
    }

    // A failure during the transfer is the dialog's to report; the automatic upgrade
    // lets go of the dialog once the user closes it.
    void transferFailureIsReported()
    {
        useShortTiming();
        const QByteArray image = testImage(64 * 6);
        serve("ZRT-10", image, "ZRT-10_V1.1.0");
        onRestartList({{"ttyACM91", "ZRT-10 BootLoader", ""}}, "ZRT-10 BL V1.0");
        device->dropAckForBlock(2);

        connectController("ZRT-10", "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Upgrade Failed"), 15000);
        QVERIFY(!sawBox("Upgrade"));
        QVERIFY(!sawBox("Auto Upgrade Failed"));
        QCOMPARE(device->blocksReceived(), 3);
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(dialog()->isVisible());
        QVERIFY(dialog()->autoupdateflag);

        dialog()->close();
        QTRY_VERIFY(!dialog()->autoupdateflag);
    }
};

QTEST_MAIN(TestAutoUpgrade)
#include "tst_auto_upgrade.moc"
