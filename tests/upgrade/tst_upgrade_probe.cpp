// Which ports the upgrade dialog lists, under which names, and how it asks
// undescribed ports who they are: filters, probes over pseudo-terminals, limits.
#include "upgrade_fixture.h"

#include <QTimer>

using namespace UpgradeFixture;

class TestUpgradeProbe : public QObject
{
    Q_OBJECT

private:
    Bench bench;
    std::vector<std::unique_ptr<PedalSimulator>> extra;

    upgrade_dialog* dialog() { return bench.dialog(); }

    QStringList itemTexts()
    {
        QStringList texts;
        for (int i = 0; i < dialog()->comboBox->count(); ++i)
            texts << dialog()->comboBox->itemText(i);
        return texts;
    }
    QStringList itemPorts()
    {
        QStringList ports;
        for (int i = 0; i < dialog()->comboBox->count(); ++i)
            ports << dialog()->comboBox->itemData(i, Qt::UserRole).toString();
        return ports;
    }

    // A further bootloader on its own pty.
    PedalSimulator* newDevice(const QByteArray& model)
    {
        extra.push_back(std::make_unique<PedalSimulator>());
        PedalSimulator* d = extra.back().get();
        if (!d->start())
            return nullptr;
        d->setMode(PedalSimulator::Mode::Bootloader);
        d->setModelText(model);
        return d;
    }

    void list(const QString& portName, const QString& location, const QString& description = QString(),
              int vid = kVendorId, int pid = kBootProductId, const QString& manufacturer = QString())
    {
        SerialPortListing listing;
        listing.portName = portName;
        listing.systemLocation = location;
        listing.vendorId = vid;
        listing.productId = pid;
        listing.description = description;
        listing.manufacturer = manufacturer;
        bench.bus->ports << listing;
    }

    void unlist(const QString& portName)
    {
        for (int i = bench.bus->ports.size() - 1; i >= 0; --i)
            if (bench.bus->ports.at(i).portName == portName)
                bench.bus->ports.removeAt(i);
    }

    int identityQueries(PedalSimulator* d) { return d->received().count(upgrade_dialog::kVersionCmd); }

    // The tests drive the refresh themselves.
    void stopRefreshTimer()
    {
        for (QTimer* t : dialog()->findChildren<QTimer*>())
            if (!t->isSingleShot() && t->interval() == upgrade_dialog::kRefreshIntervalMs)
                t->stop();
    }

private slots:
    void initTestCase() { applyApplicationLook(); }
    void init()
    {
        QVERIFY(bench.setUp());
        bench.bus->ports.clear();
        stopRefreshTimer();
    }
    void cleanup()
    {
        bench.tearDown();
        extra.clear();
    }

    void filters_data()
    {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::addColumn<QString>("manufacturer");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("listed");
        const int v = kVendorId, p = kBootProductId;
        QTest::newRow("CDC port") << "ttyACM3" << v << p << "" << "ZRT-10 BootLoader" << true;
        QTest::newRow("USB serial port") << "ttyUSB0" << v << p << "Acme" << "KX-3 Bootloader" << true;
        QTest::newRow("serial line") << "ttyS0" << v << p << "" << "ZRT-10 BootLoader" << false;
        QTest::newRow("macOS dial-in name") << "tty.usbmodem1101" << v << p << "" << "ZRT-10 BootLoader" << false;
        QTest::newRow("macOS call-out name on Linux") << "cu.usbmodem1101" << v << p << "" << "ZRT-10 BootLoader"
                                                      << false;
        QTest::newRow("no vendor id") << "ttyACM4" << 0 << p << "" << "ZRT-10 BootLoader" << false;
        QTest::newRow("no product id") << "ttyACM4" << v << 0 << "" << "ZRT-10 BootLoader" << false;
        QTest::newRow("brand word: application mode") << "ttyACM5" << v << p << "" << "Quorvane ZRT-10" << false;
        QTest::newRow("brand word in the manufacturer") << "ttyACM5" << v << p << "Quorvane" << "ZRT-10 BL" << false;
        QTest::newRow("brand word is case-sensitive") << "ttyACM6" << v << p << "quorvane" << "ZRT-10 BL" << true;
    }
    void filters()
    {
        QFETCH(QString, portName);
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(QString, manufacturer);
        QFETCH(QString, description);
        QFETCH(bool, listed);
        list(portName, QString(), description, vid, pid, manufacturer);
        dialog()->refreshDeviceList();
        QCOMPARE(itemPorts(), listed ? QStringList{portName} : QStringList());
        if (listed)
            QCOMPARE(itemTexts(), QStringList{description}); // the description, not the fallback name
        QVERIFY(dialog()->probesInFlight.isEmpty());
    }

    void describedPortIsNotProbed()
    {
        PedalSimulator* d = newDevice("ZRT-20 BL");
        QVERIFY(d);
        list("ttyACM1", d->slavePath(), "Boot device");
        dialog()->refreshDeviceList();
        QCOMPARE(itemTexts(), QStringList{"Boot device"});
        QTest::qWait(500);
        QCOMPARE(d->received(), QByteArray());
        QVERIFY(!dialog()->probeCache.contains("ttyACM1"));
    }

    void undescribedPortIsProbedAndNamed()
    {
        PedalSimulator* d = newDevice("ZRT-10 BL V1.0");
        QVERIFY(d);
        list("ttyACM1", d->slavePath());
        dialog()->refreshDeviceList();
        QCOMPARE(itemTexts(), QStringList()); // listed once the answer is in
        QVERIFY(dialog()->probesInFlight.contains("ttyACM1"));
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(), QStringList{"ZRT-10 BL V1.0"}, 400);
        QCOMPARE(itemPorts(), QStringList{"ttyACM1"});
        QVERIFY(dialog()->probesInFlight.isEmpty());
        const upgrade_dialog::PortProbeCacheEntry entry = dialog()->probeCache.value("ttyACM1");
        QVERIFY(entry.success);
        QCOMPARE(entry.model, QString("ZRT-10 BL V1.0"));
        QCOMPARE(entry.version, QString("V1.0"));
        QVERIFY(entry.probedAt.isValid());
        QCOMPARE(entry.probedAt.timeSpec(), Qt::UTC);
        QCOMPARE(d->received(), upgrade_dialog::kVersionCmd);

        // The next refresh keeps the name from the cache and asks nothing.
        dialog()->refreshDeviceList();
        QCOMPARE(itemTexts(), QStringList{"ZRT-10 BL V1.0"});
        QTest::qWait(100);
        QCOMPARE(identityQueries(d), 1);
    }

    void replyInPieces()
    {
        PedalSimulator* d = newDevice("ZRT-10 BL V1.0");
        QVERIFY(d);
        // 19 bytes in pieces of 7, 100 ms apart: AA CC 0E "ZRT-", then "10 BL V", ...
        d->setSplitReplies(3, 100);
        list("ttyACM1", d->slavePath());
        dialog()->refreshDeviceList();
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->probesInFlight.isEmpty(), 400);
        // Done with the second piece, the first one to name a model.
        QCOMPARE(itemTexts(), QStringList{"ZRT-10 BL V"});
        QCOMPARE(dialog()->probeCache.value("ttyACM1").version, QString());
    }

    void lateReplyLeavesThePortUnlisted()
    {
        PedalSimulator* d = newDevice("ZRT-10 BL V1.0");
        QVERIFY(d);
        d->setReplyDelay(500);
        list("ttyACM1", d->slavePath());
        dialog()->refreshDeviceList();
        QVERIFY(dialog()->probesInFlight.contains("ttyACM1"));
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->probesInFlight.isEmpty(), 1000);
        const upgrade_dialog::PortProbeCacheEntry entry = dialog()->probeCache.value("ttyACM1");
        QVERIFY(!entry.success);
        QVERIFY(entry.model.isEmpty());
        QTest::qWait(300); // the answer comes, to nobody
        dialog()->refreshDeviceList();
        QCOMPARE(itemTexts(), QStringList());
        QCOMPARE(identityQueries(d), 1);
    }

    // One start per port per 10 seconds.
    void rateLimit_data()
    {
        QTest::addColumn<int>("secondsAgo");
        QTest::addColumn<int>("queries");
        QTest::newRow("9 s after the last probe: not again") << 9 << 1;
        QTest::newRow("10 s after the last probe: again") << 10 << 2;
        QTest::newRow("a minute later: again") << 60 << 2;
    }
    void rateLimit()
    {
        QFETCH(int, secondsAgo);
        QFETCH(int, queries);
        PedalSimulator* d = newDevice("no model here");
        QVERIFY(d);
        list("ttyACM1", d->slavePath());
        dialog()->refreshDeviceList();
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->probesInFlight.isEmpty(), 1000);
        QVERIFY(!dialog()->probeCache.value("ttyACM1").success);
        for (int i = 0; i < 3; ++i) {
            dialog()->refreshDeviceList();
            QTest::qWait(20);
        }
        QCOMPARE(identityQueries(d), 1);

        dialog()->probeCache["ttyACM1"].probedAt = QDateTime::currentDateTimeUtc().addSecs(-secondsAgo);
        dialog()->refreshDeviceList();
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->probesInFlight.isEmpty(), 1000);
        QTest::qWait(50);
        QCOMPARE(identityQueries(d), queries);
    }

    void portThatCannotBeOpenedIsSkippedWithTheLimit()
    {
        list("ttyACM1", bench.files.filePath("missing"));
        dialog()->refreshDeviceList();
        QVERIFY(dialog()->probesInFlight.isEmpty());
        QVERIFY(dialog()->probeCache.contains("ttyACM1"));
        QVERIFY(dialog()->probeCache.value("ttyACM1").probedAt.isValid());
        QVERIFY(!dialog()->probeCache.value("ttyACM1").success);
        QCOMPARE(itemTexts(), QStringList());
    }

    void twoProbesAtATime()
    {
        QList<PedalSimulator*> devices;
        for (const char* model : {"ZRT-10 BL", "KX-3 BL", "KX-1 BL"}) {
            PedalSimulator* d = newDevice(model);
            QVERIFY(d);
            d->setReplyDelay(150);
            devices << d;
        }
        list("ttyACM1", devices.at(0)->slavePath());
        list("ttyACM2", devices.at(1)->slavePath());
        list("ttyACM3", devices.at(2)->slavePath());
        dialog()->refreshDeviceList();
        QCOMPARE(dialog()->probesInFlight, (QSet<QString>{"ttyACM1", "ttyACM2"}));
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->probesInFlight.isEmpty(), 400);
        QCOMPARE(identityQueries(devices.at(2)), 0);
        // Items join in the order the answers come.
        QStringList texts = itemTexts();
        texts.sort();
        QCOMPARE(texts, (QStringList{"KX-3 BL", "ZRT-10 BL"}));

        dialog()->refreshDeviceList(); // the third starts in a later refresh
        QCOMPARE(dialog()->probesInFlight, QSet<QString>{"ttyACM3"});
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts().size(), 3, 400);
        QCOMPARE(itemTexts().last(), QString("KX-1 BL"));
        for (PedalSimulator* d : devices)
            QCOMPARE(identityQueries(d), 1);
    }

    void noProbesWhileConnected()
    {
        list(bench.bootPortName, bench.device->slavePath(), "ZRT-10 BootLoader");
        QVERIFY(bench.connectDialog());
        PedalSimulator* other = newDevice("KX-3 BL");
        QVERIFY(other);
        list("ttyACM1", other->slavePath());
        dialog()->refreshDeviceList();
        QVERIFY(dialog()->probesInFlight.isEmpty());
        QTest::qWait(200);
        QCOMPARE(other->received(), QByteArray());
        QCOMPARE(itemPorts(), QStringList{bench.bootPortName});
    }

    void unchangedListChangesNothing()
    {
        list("ttyACM1", QString(), "First");
        list("ttyACM2", QString(), "Second");
        dialog()->refreshDeviceList();
        dialog()->comboBox->setCurrentIndex(1);
        QSignalSpy changed(dialog()->comboBox, QOverload<int>::of(&QComboBox::currentIndexChanged));
        const QString log = bench.logText();
        dialog()->refreshDeviceList();
        dialog()->refreshDeviceList();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(dialog()->comboBox->currentIndex(), 1);
        QCOMPARE(bench.logText(), log);
    }

    void listOrderAndSelection()
    {
        list("ttyACM9", QString(), "Nine");
        list("ttyACM10", QString(), "Ten");
        list("ttyACM2", QString(), "Two");
        dialog()->refreshDeviceList();
        QCOMPARE(itemPorts(), (QStringList{"ttyACM10", "ttyACM2", "ttyACM9"})); // by port name
        QCOMPARE(dialog()->comboBox->currentIndex(), 0);
        QVERIFY(bench.logText().contains("Device list refreshed: found 3 upgrade device(s)."));

        // The selection follows its port through a rebuild.
        dialog()->comboBox->setCurrentIndex(2);
        list("ttyACM1", QString(), "One");
        dialog()->refreshDeviceList();
        QCOMPARE(dialog()->comboBox->currentData().toString(), QString("ttyACM9"));

        // Its port gone: the refresh picks nothing itself; the first item stays current.
        unlist("ttyACM9");
        dialog()->refreshDeviceList();
        QCOMPARE(itemPorts(), (QStringList{"ttyACM1", "ttyACM10", "ttyACM2"}));
        QCOMPARE(dialog()->comboBox->currentIndex(), 0);

        // A renamed port is a change.
        bench.bus->ports[0].description = "Renamed";
        dialog()->refreshDeviceList();
        QVERIFY(itemTexts().contains("Renamed"));

        bench.bus->ports.clear();
        dialog()->refreshDeviceList();
        QCOMPARE(dialog()->comboBox->count(), 0);
        QVERIFY(bench.logText().contains("Device list refreshed: found 0 upgrade device(s)."));
        QVERIFY(bench.logText().contains("No upgrade device detected."));
    }

    void cacheForgottenWhenThePortIsGone()
    {
        PedalSimulator* d = newDevice("KX-3 BL");
        QVERIFY(d);
        list("ttyACM1", d->slavePath());
        dialog()->refreshDeviceList();
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(), QStringList{"KX-3 BL"}, 400);
        unlist("ttyACM1");
        dialog()->refreshDeviceList();
        QCOMPARE(itemTexts(), QStringList());
        QVERIFY(!dialog()->probeCache.contains("ttyACM1"));
    }

    void refreshedByTheTimer()
    {
        dialog()->refreshDeviceList();
        QCOMPARE(dialog()->comboBox->count(), 0);
        QTimer* timer = nullptr;
        for (QTimer* t : dialog()->findChildren<QTimer*>())
            if (!t->isSingleShot() && t->interval() == upgrade_dialog::kRefreshIntervalMs)
                timer = t;
        QVERIFY(timer);
        timer->start();
        list("ttyACM1", QString(), "Boot device");
        QTRY_COMPARE_WITH_TIMEOUT(dialog()->comboBox->count(), 1, 2000);
    }

    // An item the probe adds or renames, found by its port name.
    void comboBoxDisplayName()
    {
        dialog()->updateComboBoxDisplayName("ttyACM1", "ZRT-10 BL");
        dialog()->updateComboBoxDisplayName("ttyACM2", "KX-1 BL");
        QCOMPARE(itemTexts(), (QStringList{"ZRT-10 BL", "KX-1 BL"}));
        dialog()->updateComboBoxDisplayName("ttyACM1", "ZRT-10 BL V1.1");
        dialog()->updateComboBoxDisplayName("TTYACM2", "other");
        QCOMPARE(itemTexts(), (QStringList{"ZRT-10 BL V1.1", "KX-1 BL", "other"}));
    }
};

QTEST_MAIN(TestUpgradeProbe)
#include "tst_upgrade_probe.moc"
