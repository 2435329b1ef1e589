// The pure parts of the upgrade dialog: block cutting and progress, acknowledgement
// search, version numbers and update files, port naming and probe answers.
#include "upgrade/block_transfer.h"
#include "upgrade/firmware_version.h"
#include "upgrade/port_probe.h"
#include "upgrade/upgrade_dialog.h"

#include <QTest>

using IntList = QList<int>;
using IntVector = QVector<int>;

class TestUpgradeUnits : public QObject
{
    Q_OBJECT

private slots:
    void commandBytes()
    {
        QCOMPARE(upgrade_dialog::kVersionCmd, QByteArray::fromHex("AACC0200010D0A"));
        QCOMPARE(upgrade_dialog::kEraseCmd, QByteArray::fromHex("AACC0200020D0A"));
        QCOMPARE(upgrade_dialog::kChunkAck, QByteArray::fromHex("AACC0236340D0A"));
        QCOMPARE(upgrade_dialog::kChunkAckAlt, QByteArray::fromHex("AACC020036340D0A"));
    }

    void blockSizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<IntList>("blocks");
        QTest::newRow("130 bytes") << 130 << IntList{64, 64, 2};
        QTest::newRow("128 bytes: full last block") << 128 << IntList{64, 64};
        QTest::newRow("1 byte") << 1 << IntList{1};
        QTest::newRow("64 bytes") << 64 << IntList{64};
        QTest::newRow("65 bytes") << 65 << IntList{64, 1};
        QTest::newRow("empty") << 0 << IntList{};
    }
    void blockSizes()
    {
        QFETCH(int, size);
        QFETCH(IntList, blocks);
        QCOMPARE(BlockTransfer::blockSizes(size), blocks);
        int sum = 0;
        for (int b : blocks)
            sum += b;
        QCOMPARE(sum, size);
    }

    void largeImageBlocks()
    {
        const QList<int> sizes = BlockTransfer::blockSizes(48 * 1024 + 10);
        QCOMPARE(sizes.size(), 769);
        QCOMPARE(sizes.count(64), 768);
        QCOMPARE(sizes.last(), 10);
    }

    void progress_data()
    {
        QTest::addColumn<qint64>("sent");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("percent");
        QTest::newRow("100 bytes, first block: 64.5 truncated") << qint64(64) << qint64(100) << 64;
        QTest::newRow("100 bytes, second block: 100.5 limited to 99") << qint64(100) << qint64(100) << 99;
        QTest::newRow("130 bytes, first block: 49.2 + 0.5") << qint64(64) << qint64(130) << 49;
        QTest::newRow("130 bytes, second block: 98.5 + 0.5") << qint64(128) << qint64(130) << 98;
        QTest::newRow("1000 bytes, 5 of them: 0.5 + 0.5") << qint64(5) << qint64(1000) << 1;
        QTest::newRow("1000 bytes, 4 of them") << qint64(4) << qint64(1000) << 0;
        QTest::newRow("1 byte image") << qint64(1) << qint64(1) << 99;
    }
    void progress()
    {
        QFETCH(qint64, sent);
        QFETCH(qint64, size);
        QFETCH(int, percent);
        QCOMPARE(BlockTransfer::progressPercent(sent, size), percent);
    }

    void findAck_data()
    {
        const QByteArray ack = QByteArray::fromHex("AACC0236340D0A");
        const QByteArray alt = QByteArray::fromHex("AACC020036340D0A");
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("length");
        QTest::newRow("ack alone") << ack << 0 << 7;
        QTest::newRow("alternative alone") << alt << 0 << 8;
        QTest::newRow("junk before the ack") << QByteArray("xyz") + ack << 3 << 7;
        QTest::newRow("alternative before ack") << alt + ack << 0 << 8;
        QTest::newRow("ack before alternative") << ack + alt << 0 << 7;
        QTest::newRow("two acks: the first") << ack + ack << 0 << 7;
        QTest::newRow("first half only") << ack.left(4) << -1 << 0;
        QTest::newRow("ack without CR LF") << ack.left(5) << -1 << 0;
        QTest::newRow("payload 64 in another frame") << QByteArray::fromHex("AACC033634350D0A") << -1 << 0;
        QTest::newRow("empty") << QByteArray() << -1 << 0;
    }
    void findAck()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(int, position);
        QFETCH(int, length);
        const BlockTransfer::AckMatch match = BlockTransfer::findAck(buffer);
        QCOMPARE(match.position, position);
        QCOMPARE(match.found(), position >= 0);
        if (match.found())
            QCOMPARE(match.length, length);
    }

    void versionNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<IntVector>("number");
        QTest::newRow("device version") << "V1.0.3" << IntVector{1, 0, 3};
        QTest::newRow("release name") << "ZRT-10_V1.0.5" << IntVector{1, 0, 5};
        QTest::newRow("two parts") << "V1.2" << IntVector{1, 2};
        QTest::newRow("no V") << "1.2.3" << IntVector{};
        QTest::newRow("empty") << "" << IntVector{};
        QTest::newRow("empty part kept") << "V1..2" << IntVector{1, 0, 2};
        QTest::newRow("trailing dot") << "V1.2." << IntVector{1, 2, 0};
        QTest::newRow("non-number part counts 0") << "V1.x.3" << IntVector{1, 0, 3};
        QTest::newRow("lower-case v is no V") << "v1.2" << IntVector{};
        QTest::newRow("first V of the text") << "KX-1 BL V2.1_V3.0" << IntVector{2, 0, 0};
    }
    void versionNumber()
    {
        QFETCH(QString, text);
        QFETCH(IntVector, number);
        QCOMPARE(FirmwareVersion::versionNumber(text), number);
    }

    void isNewer_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("release");
        QTest::addColumn<bool>("newer");
        QTest::newRow("V1.2 vs 1.2.0: equal") << "V1.2" << "ZRT-10_V1.2.0" << false;
        QTest::newRow("V1.9 vs 1.10: numbers, not text") << "V1.9" << "ZRT-10_V1.10" << true;
        QTest::newRow("V1.10 vs 1.9") << "V1.10" << "ZRT-10_V1.9" << false;
        QTest::newRow("third part counts") << "V1.0.3" << "ZRT-10_V1.0.5" << true;
        QTest::newRow("older release") << "V2.0" << "ZRT-10_V1.9.9" << false;
        QTest::newRow("same") << "V1.0.3" << "ZRT-10_V1.0.3" << false;
        QTest::newRow("longer and greater") << "V1.2" << "ZRT-10_V1.2.0.1" << true;
        QTest::newRow("unknown current, any release") << "" << "ZRT-10_V0.1" << true;
        QTest::newRow("no release") << "V1.0" << "" << false;
        QTest::newRow("both empty") << "" << "" << false;
    }
    void isNewer()
    {
        QFETCH(QString, current);
        QFETCH(QString, release);
        QFETCH(bool, newer);
        QCOMPARE(FirmwareVersion::isNewer(FirmwareVersion::versionNumber(current),
                                          FirmwareVersion::versionNumber(release)),
                 newer);
    }

    void parseUpdateFile_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("content");
        QTest::newRow("release and notes")
            << QByteArray("ZRT-10_V1.0.5\r\nUpdate content:\r\n  1. Faster\n2. Fixed\n\n") << "ZRT-10"
            << "ZRT-10_V1.0.5" << "1. Faster\n2. Fixed";
        QTest::newRow("blank first line: no release") << QByteArray("\nZRT-10_V1.0.5\nUpdate content: x") << "ZRT-10"
                                                     << "" << "x";
        QTest::newRow("no notes") << QByteArray("KX-3_V2.0") << "KX-3" << "KX-3_V2.0" << "";
        QTest::newRow("other model's file") << QByteArray("ZRT-20_V1.1\nUpdate content: y") << "ZRT-10" << ""
                                           << "y";
        QTest::newRow("text ends at a zero byte")
            << QByteArray("ZRT-10_V1.1\nUpdate content: a\0b", 31) << "ZRT-10" << "ZRT-10_V1.1" << "a";
        QTest::newRow("release stops at other characters") << QByteArray("ZRT-10_V1.1.2-beta") << "ZRT-10"
                                                          << "ZRT-10_V1.1.2" << "";
        QTest::newRow("notes taken from the first marker")
            << QByteArray("NPQ-8_V3\nUpdate content: one\nUpdate content: two") << "NPQ-8" << "NPQ-8_V3"
            << "one\nUpdate content: two";
    }
    void parseUpdateFile()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, key);
        QFETCH(QString, release);
        QFETCH(QString, content);
        const FirmwareVersion::UpdateFile file = FirmwareVersion::parseUpdateFile(body, key);
        QCOMPARE(file.release, release);
        QCOMPARE(file.content, content);
    }

    void updateSource_data()
    {
        QTest::addColumn<QString>("productModel");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("path");
        QTest::newRow("ZRT-10") << "ZRT-10" << "ZRT-10" << "ZRT-10/ZRT-10_Update.txt";
        QTest::newRow("ZRT-20 before NPQ-8") << "NPQ-8 ZRT-20" << "ZRT-20" << "ZRT-20/ZRT-20_Update.txt";
        QTest::newRow("KX-1 file name") << "KX-1" << "KX-1" << "KX-1/KX-ONE_Update.txt";
        QTest::newRow("KX-3") << "KX-3 BL" << "KX-3" << "KX-3/KX-3_Update.txt";
        QTest::newRow("LDW-30") << "LDW-30" << "LDW-30" << "LDW-30/LDW-30_Update.txt";
        QTest::newRow("NPQ-8") << "NPQ-8" << "NPQ-8" << "NPQ-8/NPQ-8_Update.txt";
        QTest::newRow("ZRT-30 unsupported") << "ZRT-30" << "" << "";
        QTest::newRow("case-sensitive") << "zrt-10" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void updateSource()
    {
        QFETCH(QString, productModel);
        QFETCH(QString, key);
        QFETCH(QString, path);
        const int index = FirmwareVersion::dialogUpdateSourceFor(productModel);
        if (key.isEmpty()) {
            QCOMPARE(index, -1);
            return;
        }
        QVERIFY(index >= 0);
        const FirmwareVersion::UpdateSource source = FirmwareVersion::dialogUpdateSources().at(index);
        QCOMPARE(source.key, key);
        QCOMPARE(source.folder + "/" + source.fileName, path);
    }

    void fallbackName_data()
    {
        QTest::addColumn<QString>("manufacturer");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("portName");
        QTest::addColumn<QString>("name");
        QTest::newRow("nothing but the port") << "" << "" << "cu.usbmodem1101" << "(cu.usbmodem1101)";
        QTest::newRow("all parts") << "Acme" << "Boot Loader" << "ttyACM0" << "Acme Boot Loader (ttyACM0)";
        QTest::newRow("white space collapsed") << "  Acme\t" << " " << "ttyACM0" << "Acme (ttyACM0)";
        QTest::newRow("brand word stays visible") << "Quorvane" << "ZRT-10" << "ttyACM1"
                                                  << "Quorvane ZRT-10 (ttyACM1)";
    }
    void fallbackName()
    {
        QFETCH(QString, manufacturer);
        QFETCH(QString, description);
        QFETCH(QString, portName);
        QFETCH(QString, name);
        QCOMPARE(PortProbe::fallbackDisplayName(manufacturer, description, portName), name);
    }

    void probeReply_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("success");
        QTest::newRow("plain line") << QByteArray("ZRT-10 BL V1.0\r\n") << "ZRT-10 BL V1.0" << "V1.0" << true;
        QTest::newRow("framed line") << QByteArray::fromHex("AACC0E") + "ZRT-10 BL V1.0\r\n" << "ZRT-10 BL V1.0"
                                     << "V1.0" << true;
        QTest::newRow("line after another line") << QByteArray("hello\r\nKX-3 Bootloader\r\n") << "KX-3 Bootloader"
                                                 << "" << true;
        QTest::newRow("first piece only") << QByteArray("ZRT-1") << "ZRT-1" << "" << true;
        QTest::newRow("no CR LF after the V") << QByteArray("ZRT-10 V1.0") << "ZRT-10 V1.0" << "" << true;
        QTest::newRow("version trimmed") << QByteArray("LDW-30 V2.0 \r\n") << "LDW-30 V2.0 " << "V2.0" << true;
        QTest::newRow("no model") << QByteArray("hello V1\r\n") << "" << "V1" << false;
        QTest::newRow("nothing") << QByteArray() << "" << "" << false;
        QTest::newRow("zero before the model") << QByteArray("\0ZRT-10\r\n", 9) << "" << "" << false;
        QTest::newRow("Latin-1 when not UTF-8") << QByteArray("ZRT-10 \xe9t\xe9\r\n") << QString::fromLatin1("ZRT-10 \xe9t\xe9")
                                                << "" << true;
        QTest::newRow("UTF-8 kept") << QByteArray("ZRT-10 \xc3\xa9\r\n") << QString::fromUtf8("ZRT-10 \xc3\xa9") << ""
                                    << true;
    }
    void probeReply()
    {
        QFETCH(QByteArray, received);
        QFETCH(QString, model);
        QFETCH(QString, version);
        QFETCH(bool, success);
        const PortProbe::Reply reply = PortProbe::parseReply(received);
        QCOMPARE(reply.model, model);
        QCOMPARE(reply.version, version);
        QCOMPARE(reply.success, success);
    }

    void replyNamesModel_data()
    {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("complete");
        QTest::newRow("model") << QByteArray("ZRT-10") << true;
        QTest::newRow("dash, no digit yet") << QByteArray::fromHex("AACC0E") + "ZRT-" << false;
        QTest::newRow("no dash") << QByteArray("ZRT10") << false;
        QTest::newRow("first digit") << QByteArray::fromHex("AACC0E") + "ZRT-1" << true;
    }
    void replyNamesModel()
    {
        QFETCH(QByteArray, received);
        QFETCH(bool, complete);
        QCOMPARE(PortProbe::replyNamesModel(received), complete);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeUnits)
#include "tst_upgrade_units.moc"
