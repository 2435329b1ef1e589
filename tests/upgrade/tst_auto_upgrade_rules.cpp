// Rules of the main window's firmware check and automatic upgrade: the model table,
// the update file as the window reads it, the major/minor comparison, the offer text
// and the recognition of a restarted controller's bootloader.
#include "upgrade/auto_upgrade.h"
#include "upgrade/download_server.h"

#include <QTest>

namespace {

QString updatePath(const QString& folder, const QString& file)
{
    return QStringLiteral("/download/Product/%1/Update/%2").arg(folder, file);
}

const QString zrt10Update = updatePath("ZRT-10", "ZRT-10_Update.txt");

} // namespace

class TestAutoUpgradeRules : public QObject
{
    Q_OBJECT

private slots:
    void modelTable_data()
    {
        QTest::addColumn<QString>("deviceModel");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("path");
        QTest::newRow("ZRT-10") << "ZRT-10" << 1 << zrt10Update;
        QTest::newRow("ZRT-20 line") << "ZRT-20 V2" << 2 << updatePath("ZRT-20", "ZRT-20_Update.txt");
        QTest::newRow("ZRT-30") << "ZRT-30" << 3 << updatePath("ZRT-30", "ZRT-30_Update.txt");
        QTest::newRow("KX-3") << "KX-3" << 4 << updatePath("KX-3", "KX-3_Update.txt");
        QTest::newRow("KX-1") << "KX-1" << 5 << updatePath("KX-1", "KX-ONE_Update.txt");
        QTest::newRow("table order") << "KX-1 ZRT-10" << 1 << zrt10Update;
        QTest::newRow("case-sensitive") << "zrt-10" << 0 << "";
        QTest::newRow("LDW-30 is the dialog's only") << "LDW-30" << 0 << "";
        QTest::newRow("NPQ-8 is the dialog's only") << "NPQ-8" << 0 << "";
        QTest::newRow("unknown") << "xx" << 0 << "";
    }
    void modelTable()
    {
        QFETCH(QString, deviceModel);
        QFETCH(int, index);
        QFETCH(QString, path);
        QCOMPARE(AutoUpgrade::checkIndexFor(deviceModel), index);
        QCOMPARE(AutoUpgrade::updateFileUrl(index).path(), path);
        if (index > 0)
            QCOMPARE(AutoUpgrade::updateFileUrl(index).scheme(), QString("https"));
    }

    void majorMinorComparison_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("release");
        QTest::addColumn<bool>("newer");
        QTest::newRow("third part only") << "V1.0.3" << "ZRT-10_V1.0.5" << false;
        QTest::newRow("minor") << "V1.0.3" << "ZRT-10_V1.1.0" << true;
        QTest::newRow("major") << "V1.0.3" << "ZRT-10_V2.0.0" << true;
        QTest::newRow("older major") << "V2.0" << "ZRT-10_V1.9" << false;
        QTest::newRow("same") << "V1.1" << "ZRT-10_V1.1" << false;
        QTest::newRow("minor as number") << "V1.9" << "ZRT-10_V1.10" << true;
        QTest::newRow("missing minor counts 0") << "V1" << "ZRT-10_V1.1" << true;
        QTest::newRow("older minor") << "V1.2.9" << "ZRT-10_V1.1.9" << false;
        QTest::newRow("no release") << "V1.0.3" << "" << false;
    }
    void majorMinorComparison()
    {
        QFETCH(QString, device);
        QFETCH(QString, release);
        QFETCH(bool, newer);
        QCOMPARE(AutoUpgrade::isNewerMajorMinor(device, release), newer);
    }

    void updateFile_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("content");
        QTest::newRow("release and content")
            << QByteArray("ZRT-10_V1.1.0\nUpdate content:\n  Faster pedals.\n") << 1 << "ZRT-10_V1.1.0"
            << "Faster pedals.\n";
        QTest::newRow("content over lines")
            << QByteArray("KX-1_V2.3 notes\nUpdate content: a\nb\n") << 5 << "KX-1_V2.3" << "a\nb\n";
        QTest::newRow("release not at the start") << QByteArray("\nZRT-10_V1.1.0") << 1 << "" << "";
        QTest::newRow("another model's release") << QByteArray("ZRT-20_V1.1.0") << 1 << "" << "";
        QTest::newRow("no content") << QByteArray("ZRT-30_V1.2") << 3 << "ZRT-30_V1.2" << "";
        QTest::newRow("text ends at a zero byte")
            << QByteArray("KX-3_V1.4\nUpdate content: ok\0hidden", 34) << 4 << "KX-3_V1.4" << "ok";
    }
    void updateFile()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, index);
        QFETCH(QString, release);
        QFETCH(QString, content);
        const AutoUpgrade::UpdateFile file = AutoUpgrade::parseUpdateFile(body, index);
        QCOMPARE(file.release, release);
        QCOMPARE(file.content, content);
    }

    void offerText()
    {
        QCOMPARE(AutoUpgrade::offerText(1, "V1.0.3", "ZRT-10_V1.1.0", "Faster pedals."),
                 QString("The current version is ZRT-10_V1.0.3\nA new version is available: ZRT-10_V1.1.0\n\n"
                         "Update Content:\nFaster pedals."));
        // Text from the server is taken as it is, placeholders included.
        QCOMPARE(AutoUpgrade::offerText(5, "V1.%2", "KX-1_V1.1", "100%1 better"),
                 QString("The current version is KX-1_V1.%2\nA new version is available: KX-1_V1.1\n\n"
                         "Update Content:\n100%1 better"));
    }

    void imageAddress_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("path");
        QTest::newRow("ZRT-10") << 1 << "ZRT-10_V1.1.0" << "/download/Product/ZRT-10/Update/ZRT-10_V1.1.0.bin";
        QTest::newRow("KX-1 folder is the model") << 5 << "KX-1_V2.0" << "/download/Product/KX-1/Update/KX-1_V2.0.bin";
        QTest::newRow("no row") << 0 << "ZRT-10_V1.1.0" << "";
    }
    void imageAddress()
    {
        QFETCH(int, index);
        QFETCH(QString, release);
        QFETCH(QString, path);
        QCOMPARE(AutoUpgrade::imageUrl(index, release).path(), path);
    }

    // The restarted controller is found by its port description or list text; only the
    // bootloader of the model that was asked to restart counts.
    void bootloaderRecognised_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("found");
        QTest::newRow("description with BootLoader") << "ZRT-10 BootLoader  " << "ZRT-10" << true;
        QTest::newRow("probe line with B") << "ZRT-10 BL V1.0" << "ZRT-10" << true;
        QTest::newRow("case-insensitive") << "kx-3 bootloader" << "KX-3" << true;
        QTest::newRow("Bootloader word") << "Quill KX-1 Bootloader" << "KX-1" << true;
        QTest::newRow("no boot word") << "ZRT-10 Pedal" << "ZRT-10" << false;
        QTest::newRow("B must follow a blank") << "ZRT-10BL" << "ZRT-10" << false;
        QTest::newRow("another model's bootloader") << "ZRT-20 BootLoader" << "ZRT-10" << false;
        QTest::newRow("ZRT-30 is never found") << "ZRT-30 BootLoader" << "ZRT-30" << false;
        QTest::newRow("no model") << "BootLoader" << "" << false;
    }
    void bootloaderRecognised()
    {
        QFETCH(QString, text);
        QFETCH(QString, model);
        QFETCH(bool, found);
        QCOMPARE(AutoUpgrade::namesBootloaderOf(text, model), found);
    }

    void realTiming()
    {
        const AutoUpgrade::Timing& t = AutoUpgrade::timing();
        QCOMPARE(t.preparingMs, 3000);
        QCOMPARE(t.scanMs, 150);
        QCOMPARE(t.scanTimeoutMs, 20000);
        QCOMPARE(t.waitTickMs, 50);
        QCOMPARE(t.waitTicks, 61);
        QCOMPARE(t.watchMs, 200);
    }
};

QTEST_APPLESS_MAIN(TestAutoUpgradeRules)
#include "tst_auto_upgrade_rules.moc"
