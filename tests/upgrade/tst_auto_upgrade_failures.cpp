// The automatic upgrade from the main window where it cannot go on: the image does
// not arrive, the bootloader is not found, or its port cannot be opened. Each ends in
// the state and message given for it, and nothing is left running.
#include "auto_upgrade_fixture.h"
#include "upgrade/upgrade_message_dialog.h"

#include <QElapsedTimer>
#include <QSignalSpy>

class TestAutoUpgradeFailures : public AutoUpgradeFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpCase(); }
    void cleanupTestCase() { tearDownCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    // A failed or unusable image download is reported; the controller stays in
    // application mode with its identity (KX-3 offers the long press), and the offer
    // does not come back in this connection.
    void imageDownloadFailureKeepsTheController_data()
    {
        QTest::addColumn<HttpsTestServer::Response>("response");
        QTest::addColumn<QString>("reason");
        HttpsTestServer::Response r;
        r.status = 404;
        QTest::newRow("not found") << r << "";
        r.status = 500;
        r.body = testImage(200);
        QTest::newRow("server error") << r << "";
        r = {};
        r.body = testImage(2000);
        r.truncateAfter = 1000;
        QTest::newRow("truncated") << r << "";
        r = {};
        r.body = testImage(2000);
        r.bytesPerChunk = 500;
        r.msBetweenChunks = 4000;
        QTest::newRow("stalled") << r << "";
        r = {};
        r.status = 302;
        r.body = "<html>moved</html>";
        QTest::newRow("redirect page") << r << "The server answered with status 302.";
        r = {};
        QTest::newRow("empty body") << r << "The server sent an empty file.";
        r = {};
        r.resetConnection = true;
        QTest::newRow("reset") << r << "";
    }
    void imageDownloadFailureKeepsTheController()
    {
        QFETCH(HttpsTestServer::Response, response);
        QFETCH(QString, reason);
        AutoUpgrade::Timing t;
        t.downloadStallMs = 1000;
        AutoUpgrade::setTimingForTesting(t);
        server->setText(updatePath("KX-3"), "KX-3_V1.1.0\nUpdate content: x\n");
        const QString image = imagePath("KX-3", "KX-3_V1.1.0");
        server->setResponse(image, response);
        QSignalSpy shown(port(), &SerialPort::showdata);

        connectController("KX-3", "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(window->supportsLongPress(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Auto Upgrade Failed"), 8000);
        const QString text = boxText("Auto Upgrade Failed");
        QVERIFY2(text.startsWith("Firmware download failed: ") && text.endsWith("\nThe device was not changed."),
                 qPrintable(text));
        if (!reason.isEmpty())
            QCOMPARE(text, "Firmware download failed: " + reason + "\nThe device was not changed.");
        QCOMPARE(boxTitles(), (QStringList{"Update Available", "Auto Upgrade Failed"}));
        QVERIFY(firmwareRequests().contains(image));

        QVERIFY(!device->received().contains(enterBootloader));
        QCOMPARE(device->mode(), PedalSimulator::Mode::Application);
        QVERIFY(port()->isOpen());
        QVERIFY(!dialog()->isVisible());
        QVERIFY(window->supportsLongPress());

        // More replies of the controller start no second check and no second offer.
        shown.clear();
        port()->write(QByteArray::fromHex("AA CC 02 00 01 0D 0A"));
        QTRY_COMPARE(shown.count(), 2); // model line, then version frame
        QTest::qWait(300);
        QCOMPARE(boxTitles().size(), 2);
        QCOMPARE(firmwareRequests().count(updatePath("KX-3")), 1);
    }

    // The upgrade dialog took the port while the image was on its way: the restart
    // request is not sent into the dialog's connection.
    void dialogTookThePortDuringTheDownload()
    {
        server->setText(updatePath("ZRT-10"), "ZRT-10_V1.1.0\nUpdate content: x\n");
        HttpsTestServer::Response slow;
        slow.body = testImage(1000);
        slow.bytesPerChunk = 500;
        slow.msBetweenChunks = 800;
        server->setResponse(imagePath("ZRT-10", "ZRT-10_V1.1.0"), slow);

        connectController("ZRT-10", "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Update Available"), 5000);
        port()->upgradeForwarding = true; // as the dialog's connect sets it
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Auto Upgrade Failed"), 5000);
        QCOMPARE(boxText("Auto Upgrade Failed"),
                 QString("The upgrade dialog is connected to the device.\nThe device was not changed."));
        QVERIFY(!device->received().contains(enterBootloader));
        QCOMPARE(device->mode(), PedalSimulator::Mode::Application);
    }

    // No bootloader of the model turns up: the scan gives up with the time-out text.
    void bootloaderNotFound_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QList<BootPort>>("ports");
        QTest::newRow("nothing appears") << QByteArray("ZRT-10") << QList<BootPort>();
        QTest::newRow("no bootloader word") << QByteArray("ZRT-10") << QList<BootPort>{{"ttyACM91", "ZRT-10 Pedal", ""}};
        QTest::newRow("ZRT-30 bootloader") << QByteArray("ZRT-30")
                                           << QList<BootPort>{{"ttyACM91", "ZRT-30 BootLoader", ""}};
    }
    void bootloaderNotFound()
    {
        QFETCH(QByteArray, model);
        QFETCH(QList<BootPort>, ports);
        useShortTiming(1500);
        const QString release = QString::fromLatin1(model) + "_V1.1.0";
        serve(QString::fromLatin1(model), testImage(300), release);
        onRestartList(ports, model + " BL V1.0");

        connectController(model, "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Auto Upgrade Failed"), 10000);
        QCOMPARE(boxText("Auto Upgrade Failed"), notFoundText);
        QCOMPARE(boxTitles(), (QStringList{"Update Available", "Message", "Auto Upgrade Failed"}));
        QVERIFY(device->receivedImage().isEmpty());
        QVERIFY(!device->received().contains(eraseCommand));
        QVERIFY(!dialog()->autoupdateflag);
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        // Nothing keeps running after the failure.
        QTest::qWait(500);
        QCOMPARE(boxTitles().size(), 3);
    }

    // The bootloader is listed but its port cannot be opened.
    void bootloaderPortCannotBeOpened()
    {
        useShortTiming();
        serve("ZRT-10", testImage(300), "ZRT-10_V1.1.0");
        onRestartList({{"ttyACM91", "ZRT-10 BootLoader", "/dev/quillmar-no-such-port"}}, "ZRT-10 BL V1.0");

        connectController("ZRT-10", "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(sawBox("Auto Upgrade Failed"), 10000);
        QCOMPARE(boxText("Auto Upgrade Failed"), connectFailedText);
        QCOMPARE(boxTitles().last(), QString("Auto Upgrade Failed"));
        QVERIFY(!dialog()->autoupdateflag);
        QVERIFY(device->receivedImage().isEmpty());
    }

};

QTEST_MAIN(TestAutoUpgradeFailures)
#include "tst_auto_upgrade_failures.moc"
