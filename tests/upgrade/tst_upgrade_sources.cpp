// Firmware from the download server: the online check and its version rules, the
// offer, the image download with its retries, and what a failed or refused
// download leaves behind. The server is a local HTTPS server.
#include "upgrade_fixture.h"

using namespace UpgradeFixture;

namespace {

const QString kOffer = QStringLiteral("ZRT-10_V1.1.0\r\nUpdate content:\r\n  Faster pedals.\r\n");

} // namespace

Q_DECLARE_METATYPE(HttpsTestServer::Response)

class TestUpgradeSources : public QObject
{
    Q_OBJECT

private:
    Bench bench;
    upgrade_dialog* dialog() { return bench.dialog(); }

    // The server offers V1.1.0 with the given image.
    void offer(const QByteArray& image)
    {
        bench.server->setText(updateFilePath(), kOffer.toUtf8());
        bench.server->setText(imagePath("ZRT-10_V1.1.0"), image);
    }

    QStringList logLines() { return bench.logText().split('\n'); }

private slots:
    void initTestCase() { applyApplicationLook(); }
    void init() { QVERIFY(bench.setUp()); }
    void cleanup() { bench.tearDown(); }

    void offerAcceptedUpgradesWithTheServedImage()
    {
        const QByteArray image = testImage(5000, 7);
        offer(image);
        ModalWatcher answer("OK");
        QVERIFY(bench.connectDialog(false));
        QVERIFY(answer.waitHandled());
        QCOMPARE(answer.title(), QString("Update Available"));
        QCOMPARE(answer.text(), QString("Current: ZRT-10_V1.0.3\nNew version available: ZRT-10_V1.1.0\n\n"
                                        "Update Content:\nFaster pedals."));
        QCOMPARE(answer.buttonTexts().size(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 8000);
        QCOMPARE(bench.device->receivedImage(), image);
        QCOMPARE(bench.bytesAfterErase(), image);
        QVERIFY(bench.logText().contains("Downloaded new firmware: ZRT-10_V1.1.0 (5000 bytes)"));
        QVERIFY(bench.logText().contains("Download progress: 100%"));
        QCOMPARE(bench.requestCount(imagePath("ZRT-10_V1.1.0")), 1);
        QVERIFY(!bench.logText().contains("Starting manual upgrade..."));
    }

    void offerCancelled()
    {
        offer(testImage(100));
        ModalWatcher answer("Cancel");
        QVERIFY(bench.connectDialog(false));
        QVERIFY(answer.waitHandled());
        QTest::qWait(300);
        QCOMPARE(bench.requestCount(imagePath("ZRT-10_V1.1.0")), 0);
        QCOMPARE(dialog()->state, upgrade_dialog::Connected);
        QVERIFY(dialog()->firmware.isEmpty());
        QVERIFY(!bench.device->received().contains(upgrade_dialog::kEraseCmd));
    }

    // The dialog's own comparison: every part of the version counts, as a number.
    void onlineCheck_data()
    {
        QTest::addColumn<QString>("productModel");
        QTest::addColumn<QString>("currentFirmware");
        QTest::addColumn<QString>("path");       // update file served; empty: none requested
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("offerText");  // empty: no offer
        QTest::addColumn<QString>("logLine");
        QTest::newRow("V1.2 vs 1.2.0: the same") << "ZRT-10" << "V1.2" << updateFilePath()
                                                 << QByteArray("ZRT-10_V1.2.0\nUpdate content: x") << ""
                                                 << "Already the latest version.";
        QTest::newRow("V1.9 vs 1.10: newer")
            << "ZRT-10" << "V1.9" << updateFilePath() << QByteArray("ZRT-10_V1.10\nUpdate content: x")
            << "Current: ZRT-10_V1.9\nNew version available: ZRT-10_V1.10\n\nUpdate Content:\nx" << "";
        QTest::newRow("third part counts") << "ZRT-10 BL" << "V1.0.3" << updateFilePath()
                                           << QByteArray("ZRT-10_V1.0.5")
                                           << "Current: ZRT-10_V1.0.3\nNew version available: ZRT-10_V1.0.5\n\n"
                                              "Update Content:\nNo description"
                                           << "";
        QTest::newRow("blank first line: no release") << "ZRT-10" << "V1.0" << updateFilePath()
                                                      << QByteArray("\nZRT-10_V9.0\nUpdate content: x") << ""
                                                      << "Already the latest version.";
        QTest::newRow("ZRT-20 row before NPQ-8") << "NPQ-8 ZRT-20" << "V1.0" << updateFilePath("ZRT-20")
                                                 << QByteArray("ZRT-20_V1.0") << "" << "Already the latest version.";
        QTest::newRow("KX-1 file name") << "KX-1" << "V1.0" << "/download/Product/KX-1/Update/KX-ONE_Update.txt"
                                        << QByteArray("KX-1_V0.9") << "" << "Already the latest version.";
        QTest::newRow("ZRT-30: no online update") << "ZRT-30" << "V1.0" << "" << QByteArray() << ""
                                                  << "Online update not supported for this device.";
    }
    void onlineCheck()
    {
        QFETCH(QString, productModel);
        QFETCH(QString, currentFirmware);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        QFETCH(QString, offerText);
        QFETCH(QString, logLine);
        if (!path.isEmpty())
            bench.server->setText(path, body);
        bench.window->show_ug_dlg_Dialog();
        dialog()->productModel = productModel;
        dialog()->currentFirmware = currentFirmware;
        ModalWatcher answer("Cancel");
        dialog()->checkForOnlineUpdate();
        if (!offerText.isEmpty()) {
            QVERIFY(answer.waitHandled());
            QCOMPARE(answer.text(), offerText);
        } else {
            QTRY_VERIFY(bench.logText().contains(logLine));
            QVERIFY(!answer.seen());
        }
        if (path.isEmpty())
            QCOMPARE(bench.firmwareRequests(), QStringList());
        else
            QCOMPARE(bench.firmwareRequests(), QStringList{path});
    }

    // An image that cannot be fetched: three immediate retries, then the failure box;
    // nothing reaches the device.
    void imageDownloadFails_data()
    {
        QTest::addColumn<HttpsTestServer::Response>("response");
        HttpsTestServer::Response notFound;
        notFound.status = 404;
        HttpsTestServer::Response serverError;
        serverError.status = 500;
        serverError.body = "broken";
        HttpsTestServer::Response reset;
        reset.resetConnection = true;
        HttpsTestServer::Response truncated;
        truncated.body = testImage(4000);
        truncated.truncateAfter = 1000;
        QTest::newRow("404") << notFound;
        QTest::newRow("500") << serverError;
        QTest::newRow("connection reset") << reset;
        QTest::newRow("body cut short") << truncated;
    }
    void imageDownloadFails()
    {
        QFETCH(HttpsTestServer::Response, response);
        offer(QByteArray());
        bench.server->setResponse(imagePath("ZRT-10_V1.1.0"), response);
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QVERIFY(bench.connectDialog(false));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.titles(), (QStringList{"Update Available", "Upgrade Failed"}), 10000);
        QCOMPARE(boxes.history().at(1).text, QString("Upgrade failed. Please check connection and try again."));

        const QStringList lines = logLines();
        QCOMPARE(lines.filter("Network error: ").size(), 4);
        QCOMPARE(lines.filter("Retrying...").size(), 3);
        const int two = lines.indexOf("Retrying... (2 attempts left)");
        const int one = lines.indexOf("Retrying... (1 attempts left)");
        const int zero = lines.indexOf("Retrying... (0 attempts left)");
        QVERIFY(two >= 0 && two < one && one < zero);
        QVERIFY(bench.requestCount(imagePath("ZRT-10_V1.1.0")) >= 4);
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QVERIFY(dialog()->firmware.isEmpty());
        QVERIFY(!bench.logText().contains("Downloaded new firmware"));
        QTest::qWait(100);
        QVERIFY(!bench.device->received().contains(upgrade_dialog::kEraseCmd));
    }

    void untrustedCertificateRefused()
    {
        QVERIFY(bench.connectDialog());
        HttpsTestServer stranger;
        QVERIFY(stranger.start());
        stranger.setText(imagePath("ZRT-10_V1.1.0"), testImage(1000));
        ModalWatcher boxes("OK");
        boxes.answerAll();
        dialog()->downloadFirmware(stranger.baseAddress() + imagePath("ZRT-10_V1.1.0"), "ZRT-10_V1.1.0");
        QTRY_COMPARE_WITH_TIMEOUT(boxes.titles(), QStringList{"Upgrade Failed"}, 10000);
        QCOMPARE(bench.logText().count("Network error: "), 4);
        QCOMPARE(stranger.requestedPaths(), QStringList()); // no request got past the handshake
        QVERIFY(dialog()->firmware.isEmpty());
        QVERIFY(!bench.device->received().contains(upgrade_dialog::kEraseCmd));
    }

    // A failing update-file check asked nothing of the device: no failure box, and a
    // manual upgrade from a file stays possible.
    void failedCheckLeavesTheManualUpgrade()
    {
        HttpsTestServer::Response serverError;
        serverError.status = 500;
        bench.server->setResponse(updateFilePath(), serverError);
        {
            ModalWatcher boxes("OK");
            boxes.answerAll();
            QVERIFY(bench.connectDialog());
            QTRY_VERIFY(bench.logText().contains("Online update check failed."));
            QCOMPARE(bench.logText().count("Retrying..."), 3);
            QCOMPARE(dialog()->state, upgrade_dialog::Connected);
            QVERIFY(boxes.history().isEmpty());
        }

        const QByteArray image = testImage(150);
        QVERIFY2(bench.chooseFile(image), qPrintable(bench.logText()));
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 3000);
        QCOMPARE(bench.device->receivedImage(), image);
    }

    // After a lost device, the online path starts a fresh attempt: the stale flags
    // of the failure must not fail its first block.
    void onlinePathClearsStaleFailureFlags()
    {
        bench.device->vanishAfterBlock(0);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(300)));
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.titles(), QStringList{"Upgrade Failed"}, 5000);
        QVERIFY(dialog()->deviceRemoved);
        QVERIFY(dialog()->failureReported);
        QVERIFY(!bench.port()->isOpen());

        // The device comes back; this time the server offers a newer release.
        bench.device->vanishAfterBlock(-1);
        QVERIFY(bench.device->start());
        bench.device->setMode(PedalSimulator::Mode::Bootloader);
        bench.listBootloader();
        const QByteArray image = testImage(1000, 3);
        offer(image);
        dialog()->refreshDeviceList();
        QTest::mouseClick(bench.connectButton(), Qt::LeftButton);
        QCOMPARE(dialog()->state, upgrade_dialog::Connected);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 8000);
        QCOMPARE(boxes.titles(), (QStringList{"Upgrade Failed", "Update Available"}));
        QCOMPARE(bench.device->receivedImage(), image);
        QVERIFY(!dialog()->deviceRemoved);
    }

    // Before the next start, a failed download after a failure stays silent and
    // leaves the state at FinishedFailed.
    void secondFailureBeforeTheNextStartIsSilent()
    {
        bench.device->vanishAfterBlock(0);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(testImage(300)));
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.titles(), QStringList{"Upgrade Failed"}, 5000);
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);

        dialog()->downloadFirmware(bench.server->baseAddress() + "/nothing.bin", "ZRT-10_V9");
        QTRY_COMPARE_WITH_TIMEOUT(bench.logText().count("Network error: "), 4, 5000);
        QTRY_COMPARE(dialog()->state, upgrade_dialog::FinishedFailed);
        QTest::qWait(200);
        QCOMPARE(boxes.titles(), QStringList{"Upgrade Failed"});
    }

    // An empty image would erase the device and write nothing.
    void emptyImageRefused()
    {
        offer(QByteArray());
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QVERIFY(bench.connectDialog(false));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.titles(), (QStringList{"Update Available", "Upgrade Failed"}), 5000);
        QVERIFY(bench.logText().contains("Downloaded new firmware: ZRT-10_V1.1.0 (0 bytes)"));
        QTest::qWait(100);
        QVERIFY(!bench.device->received().contains(upgrade_dialog::kEraseCmd));
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
    }

    // A download that arrives while a transfer from a local file runs must not
    // change the image under it.
    void imageArrivingDuringATransferIsIgnored()
    {
        HttpsTestServer::Response slow;
        slow.body = testImage(1000, 5);
        slow.bytesPerChunk = 100;
        slow.msBetweenChunks = 100;
        bench.server->setText(updateFilePath(), kOffer.toUtf8());
        bench.server->setResponse(imagePath("ZRT-10_V1.1.0"), slow);
        ModalWatcher answer("OK");
        QVERIFY(bench.connectDialog(false));
        QVERIFY(answer.waitHandled());

        const QByteArray local = testImage(64 * 100, 6);
        QVERIFY(bench.chooseFile(local));
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(bench.logText().contains("Downloaded firmware ignored"), 5000);
        QCOMPARE(dialog()->state, upgrade_dialog::Sending);
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->state, upgrade_dialog::FinishedSuccess, 8000);
        QCOMPARE(bench.device->receivedImage(), local);
        QCOMPARE(bench.bytesAfterErase(), local);
    }

    void md5Shown()
    {
        bench.window->show_ug_dlg_Dialog();
        QVERIFY(dialog()->validateFirmware("abc", QString()));
        QVERIFY(bench.logText().contains("Firmware MD5: 900150983cd24fb0d6963f7d28e17f72"));
        QVERIFY(dialog()->validateFirmware("abc", "900150983cd24fb0d6963f7d28e17f72"));
        QVERIFY(!dialog()->validateFirmware("abc", "900150983CD24FB0D6963F7D28E17F72"));
        QVERIFY(bench.logText().contains("MD5 mismatch! Expected: 900150983CD24FB0D6963F7D28E17F72"));
    }
};

QTEST_MAIN(TestUpgradeSources)
#include "tst_upgrade_sources.moc"
