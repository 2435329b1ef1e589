// The main window's firmware check: its rules (model table, update file, major/minor
// comparison, offer text), and the check itself against a controller on a pty and the
// local download server: one request per connection, the offer, and the progress
// window's signals, connected once.
#include "app/widget.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/https_test_server.h"
#include "support/modal_watcher.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"
#include "upgrade/bootloader_commands.h"
#include "upgrade/download_server.h"
#include "upgrade/upgrade_message_dialog.h"
#include "ui_upgrade_message_dialog.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include <memory>

Q_DECLARE_METATYPE(HttpsTestServer::Response)

namespace {

QString updatePath(const QString& folder, const QString& file)
{
    return QStringLiteral("/download/Product/%1/Update/%2").arg(folder, file);
}

const QString zrt10Update = updatePath("ZRT-10", "ZRT-10_Update.txt");

} // namespace

class TestFirmwareCheck : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<PedalSimulator> device;
    std::unique_ptr<HttpsTestServer> server;
    std::unique_ptr<Widget> window;
    int requestsBefore = 0;

    // Firmware requests made since the test began (the window's application update
    // check asks the same server for its own file).
    QStringList firmwareRequests() const
    {
        QStringList paths = server->requestedPaths().mid(requestsBefore);
        paths.removeAll(QStringLiteral("/download/Product/Quillmar/Update/Quillmar_Update.txt"));
        return paths;
    }
    int firmwareRequestCount(const QString& path) const { return firmwareRequests().count(path); }

    SerialPort* port() { return window->findChild<SerialPort*>(); }
    QPushButton* connectButton() { return window->findChild<QPushButton*>("connectButton"); }
    Upgrade_message_Dialog* progressWindow() { return window->findChild<Upgrade_message_Dialog*>(); }

    // Connects the window to the simulated controller; it reports model and version.
    void connectController(const QByteArray& model, const QByteArray& version)
    {
        device->setModelText(model);
        device->setVersionText(version);
        if (bus->ports.isEmpty()) {
            bus->plug("Quorvane ZRT-10", 0x1209, 0x7001, device->slavePath());
            port()->initPort();
        }
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(port()->isOpen());
    }

    // Waits until the window has seen the version frame of the simulator.
    bool waitForVersionFrame(QSignalSpy& shown)
    {
        return QTest::qWaitFor(
            [&shown] {
                for (const QList<QVariant>& args : qAsConst(shown)) {
                    if (args.at(0).toByteArray().contains(QByteArray::fromHex("AACC0656")))
                        return true;
                }
                return false;
            },
            5000);
    }

    // The controller is asked again for its identity within the same connection.
    void askIdentityAgain(QSignalSpy& shown)
    {
        shown.clear();
        port()->write(Bootloader::identityQuery());
        QVERIFY(waitForVersionFrame(shown));
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        server = std::make_unique<HttpsTestServer>();
        QVERIFY(server->start());
        server->trustInThisProcess();
        DownloadServer::setBaseAddressForTesting(server->baseAddress());
    }

    void cleanupTestCase()
    {
        server.reset();
        DownloadServer::setBaseAddressForTesting(QString());
    }

    void init()
    {
        requestsBefore = server->requestedPaths().size();
        server->removeResponse(zrt10Update);
        bus = std::make_unique<FakeDeviceEnumerator>();
        device = std::make_unique<PedalSimulator>();
        QVERIFY(device->start());
        window = std::make_unique<Widget>();
        window->show();
    }

    void cleanup()
    {
        window.reset();
        device.reset();
        bus.reset();
    }

    // --- the check on a connection ---

    void checkRequestsTheModelsUpdateFile_data()
    {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("ZRT-10") << QByteArray("ZRT-10") << QStringList{zrt10Update};
        QTest::newRow("ZRT-30") << QByteArray("ZRT-30") << QStringList{updatePath("ZRT-30", "ZRT-30_Update.txt")};
        QTest::newRow("KX-1") << QByteArray("KX-1") << QStringList{updatePath("KX-1", "KX-ONE_Update.txt")};
        QTest::newRow("unknown model") << QByteArray("LDW-30") << QStringList();
    }
    void checkRequestsTheModelsUpdateFile()
    {
        QFETCH(QByteArray, model);
        QFETCH(QStringList, paths);
        QSignalSpy shown(port(), &SerialPort::showdata);
        connectController(model, "V1.0.3");
        QVERIFY(waitForVersionFrame(shown));
        if (paths.isEmpty())
            QTest::qWait(1000); // time enough for a request to arrive
        else
            QTRY_COMPARE_WITH_TIMEOUT(firmwareRequests().size(), paths.size(), 5000);
        QCOMPARE(firmwareRequests(), paths);
    }

    void checkRunsOncePerConnection()
    {
        server->setText(zrt10Update, "ZRT-10_V1.0.3\nUpdate content: none\n");
        QSignalSpy shown(port(), &SerialPort::showdata);
        QSignalSpy answered(window.get(), &Widget::send_mtd_version);
        connectController("ZRT-10", "V1.0.3");
        QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, 5000);
        QCOMPARE(answered.at(0).at(0).toString(), QString("ZRT-10"));
        QCOMPARE(answered.at(0).at(1).toString(), QString("ZRT-10_V1.0.3"));

        askIdentityAgain(shown);
        askIdentityAgain(shown);
        QTest::qWait(500);
        QCOMPARE(firmwareRequestCount(zrt10Update), 1);

        // A new connection checks again.
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(!port()->isOpen());
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(firmwareRequestCount(zrt10Update), 2, 5000);
        QTRY_COMPARE(answered.count(), 2);
    }

    // Only major and minor count; the offer names the model, both versions and the notes.
    void offerFollowsMajorAndMinor_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("updateFile");
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("offer");
        QTest::newRow("V1.0.3 vs 1.0.5: no offer")
            << QByteArray("V1.0.3") << QByteArray("ZRT-10_V1.0.5\nUpdate content: fixes\n") << "ZRT-10_V1.0.5" << "";
        QTest::newRow("V1.0.3 vs 1.1.0: offer")
            << QByteArray("V1.0.3") << QByteArray("ZRT-10_V1.1.0\nUpdate content: Faster pedals.")
            << "ZRT-10_V1.1.0"
            << "The current version is ZRT-10_V1.0.3\nA new version is available: ZRT-10_V1.1.0\n\n"
               "Update Content:\nFaster pedals.";
        QTest::newRow("V2.0 vs 1.9: no offer")
            << QByteArray("V2.0.0") << QByteArray("ZRT-10_V1.9\nUpdate content: x") << "ZRT-10_V1.9" << "";
        QTest::newRow("no release line: no offer")
            << QByteArray("V1.0.3") << QByteArray("Update content: ZRT-10_V9.0") << "" << "";
    }
    void offerFollowsMajorAndMinor()
    {
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, updateFile);
        QFETCH(QString, release);
        QFETCH(QString, offer);
        server->setText(zrt10Update, updateFile);
        QSignalSpy answered(window.get(), &Widget::send_mtd_version);
        ModalWatcher watcher("Cancel");
        connectController("ZRT-10", version);
        QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, 5000);
        QCOMPARE(answered.at(0).at(1).toString(), release);
        if (offer.isEmpty()) {
            QTest::qWait(300);
            QVERIFY(!watcher.seen());
        } else {
            QVERIFY(watcher.waitHandled());
            QCOMPARE(watcher.title(), QString("Update Available"));
            QCOMPARE(watcher.text(), offer);
            QStringList buttons = watcher.buttonTexts();
            buttons.sort();
            QCOMPARE(buttons, (QStringList{"Cancel", "OK"}));
        }
        // The progress window got model and release.
        const QString log = progressWindow()->ui->textBrowser->toPlainText();
        QVERIFY2(log.contains("Product Model:ZRT-10"), qPrintable(log));
        QVERIFY2(log.contains("Version:" + release), qPrintable(log));
        QVERIFY(!progressWindow()->isVisible());
    }

    // A cancelled offer downloads nothing and is not repeated before the next connection.
    void cancelledOfferWaitsForTheNextConnection()
    {
        server->setText(zrt10Update, "ZRT-10_V1.1.0\nUpdate content: x");
        QSignalSpy shown(port(), &SerialPort::showdata);
        auto watcher = std::make_unique<ModalWatcher>("Cancel");
        watcher->answerAll();
        connectController("ZRT-10", "V1.0.3");
        QVERIFY(watcher->waitHandled());
        QCOMPARE(watcher->title(), QString("Update Available"));

        askIdentityAgain(shown);
        QTest::qWait(500);
        QCOMPARE(watcher->history().size(), 1);
        QCOMPARE(firmwareRequests(), QStringList{zrt10Update});

        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(watcher->history().size(), 2, 5000);
        QCOMPARE(watcher->titles(), (QStringList{"Update Available", "Update Available"}));
        QCOMPARE(firmwareRequests(), (QStringList{zrt10Update, zrt10Update}));
        // Nothing was sent to the controller beyond the identity exchange.
        QVERIFY(!device->received().contains(QByteArray::fromHex("AACC020009")));
    }

    // While the upgrade dialog holds the port the answer offers nothing, now or later.
    void noOfferWhileTheDialogHoldsThePort()
    {
        server->setText(zrt10Update, "ZRT-10_V1.1.0\nUpdate content: x");
        QSignalSpy shown(port(), &SerialPort::showdata);
        QSignalSpy answered(window.get(), &Widget::send_mtd_version);
        ModalWatcher watcher("Cancel");
        connectController("ZRT-10", "V1.0.3");
        port()->upgradeForwarding = true;
        QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, 5000);
        askIdentityAgain(shown);
        QTest::qWait(500);
        QVERIFY(!watcher.seen());
        QCOMPARE(firmwareRequestCount(zrt10Update), 1);
    }

    // A failed check shows nothing and leaves the connection alone.
    void failedCheckShowsNothing_data()
    {
        QTest::addColumn<HttpsTestServer::Response>("response");
        HttpsTestServer::Response r;
        r.status = 404;
        r.body = "ZRT-10_V9.0";
        QTest::newRow("not found") << r;
        r.status = 500;
        QTest::newRow("server error") << r;
        r = {};
        r.resetConnection = true;
        QTest::newRow("reset") << r;
    }
    void failedCheckShowsNothing()
    {
        QFETCH(HttpsTestServer::Response, response);
        server->setResponse(zrt10Update, response);
        ModalWatcher watcher("Cancel");
        connectController("ZRT-10", "V1.0.3");
        QTRY_VERIFY_WITH_TIMEOUT(firmwareRequestCount(zrt10Update) >= 1, 5000);
        QTest::qWait(600); // the answer follows the request at once
        QVERIFY(!watcher.seen());
        QVERIFY(port()->isOpen());
    }

    // The window's three signals reach the progress window once each, however often
    // the window connected.
    void progressWindowConnectedOnce()
    {
        for (int i = 0; i < 3; ++i) {
            connectController("LDW-30", "V1.0.3");
            QTest::mouseClick(connectButton(), Qt::LeftButton);
            QVERIFY(!port()->isOpen());
        }
        Upgrade_message_Dialog* dialog = progressWindow();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Upgrade"));
        QCOMPARE(dialog->ui->progressBar->value(), 24);

        emit window->send_mtd_version("KX-3", "KX-3_V1.2");
        QCOMPARE(dialog->ui->textBrowser->toPlainText().count("Product Model:KX-3"), 1);
        QCOMPARE(dialog->ui->textBrowser->toPlainText().count("Version:KX-3_V1.2"), 1);

        emit window->send_possvalue(57);
        QCOMPARE(dialog->ui->progressBar->value(), 57);

        dialog->show();
        ModalWatcher done("OK");
        done.answerAll();
        emit window->done();
        QVERIFY(done.seen());
        QTest::qWait(200);
        QCOMPARE(done.history().size(), 1);
        QCOMPARE(done.title(), QString("upgrade"));
        QCOMPARE(done.text(), QString("Upgrade successful, please power on the device again."));
        QVERIFY(dialog->ui->textBrowser->toPlainText().isEmpty());
        QCOMPARE(dialog->ui->progressBar->value(), 0);
        QVERIFY(!dialog->isVisible());
    }
};

QTEST_MAIN(TestFirmwareCheck)
#include "tst_firmware_check.moc"
