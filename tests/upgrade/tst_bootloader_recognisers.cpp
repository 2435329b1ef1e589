// The bootloader recognisers: what each receive buffer yields (pure), and what the
// SerialPort members do with it on a real port (signals, the version request).
#include "device/serialport.h"
#include "support/pty_pair.h"
#include "upgrade/bootloader_recognisers.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace BootloaderRecognisers;

Q_DECLARE_METATYPE(BootloaderRecognisers::UpdataResult::Kind)
Q_DECLARE_METATYPE(BootloaderRecognisers::EraseResult)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A bootloader frame: AA CC N payload CR LF.
QByteArray frame(const QByteArray& payload)
{
    return hex("AACC") + char(payload.size()) + payload + "\r\n";
}

const QByteArray versionFrame = hex("AA CC 06 56 31 2E 30 2E 33 0D 0A"); // V1.0.3
const QByteArray versionRequest = hex("AA CC 02 00 03 0D 0A");
const QByteArray chunkAck = hex("AA CC 02 36 34 0D 0A");

} // namespace

class TestBootloaderRecognisers : public QObject
{
    Q_OBJECT

private slots:
    void updata_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<UpdataResult::Kind>("kind");
        QTest::addColumn<QString>("text");

        QTest::newRow("version frame alone") << versionFrame << UpdataResult::Version << "V1.0.3";
        // An earlier "V" belongs to the model line, not to the version.
        QTest::newRow("model line with V before the frame")
            << (QByteArray("ZRT-10 BL V1.0\r\n") + versionFrame) << UpdataResult::Version << "V1.0.3";
        QTest::newRow("model frame with V before the frame")
            << (frame("ZRT-10 BL V1.0") + versionFrame) << UpdataResult::Version << "V1.0.3";
        QTest::newRow("leftover V byte before the frame")
            << (QByteArray("V") + versionFrame) << UpdataResult::Version << "V1.0.3";
        QTest::newRow("V without CR LF before the frame")
            << (QByteArray("xV9") + versionFrame) << UpdataResult::Version << "V1.0.3";
        QTest::newRow("version frame after other bytes")
            << (hex("F0 00 21 5E") + versionFrame) << UpdataResult::Version << "V1.0.3";
        QTest::newRow("version frame without CR LF yet")
            << hex("AA CC 06 56 31 2E 30 2E 33") << UpdataResult::Nothing << "";
        QTest::newRow("version frame cut after V") << hex("AA CC 06 56") << UpdataResult::Nothing << "";
        // A frame of another length that starts with V is no version frame.
        QTest::newRow("V frame of length 5") << frame("V1.03") << UpdataResult::Nothing << "";
        QTest::newRow("two-digit version") << frame("V2.1.0") << UpdataResult::Version << "V2.1.0";

        QTest::newRow("model frame") << frame("ZRT-10") << UpdataResult::Model << "ZRT-10";
        QTest::newRow("bootloader model line") << frame("ZRT-10 BL V1.0") << UpdataResult::Model << "ZRT-10";
        QTest::newRow("KX-3 line") << QByteArray("KX-3 Bootloader\r\n") << UpdataResult::Model << "KX-3";
        QTest::newRow("first model of two") << QByteArray("LDW-30 and ZRT-20") << UpdataResult::Model << "LDW-30";
        QTest::newRow("model without line end") << QByteArray("NPQ-8") << UpdataResult::Model << "NPQ-8";
        // The text stops at the first zero byte.
        QTest::newRow("zero byte before the model")
            << (hex("AA CC 0A 00") + "ZRT-10 BL\r\n") << UpdataResult::Nothing << "";
        QTest::newRow("zero byte after the model")
            << (QByteArray("ZRT-10") + hex("00") + "x") << UpdataResult::Model << "ZRT-10";
        QTest::newRow("dash without digits") << QByteArray("ZRT-X\r\n") << UpdataResult::Nothing << "";
        QTest::newRow("erase done") << frame("ERASE END") << UpdataResult::Nothing << "";
        QTest::newRow("chunk acknowledgement") << chunkAck << UpdataResult::Nothing << "";
        QTest::newRow("empty") << QByteArray() << UpdataResult::Nothing << "";
    }
    void updata()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(UpdataResult::Kind, kind);
        QFETCH(QString, text);
        const UpdataResult result = recogniseUpdata(buffer);
        QCOMPARE(result.kind, kind);
        QCOMPARE(result.text, text);
    }

    void erase_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<EraseResult>("result");
        QTest::newRow("erase done frame") << frame("ERASE END") << EraseResult::EraseDone;
        QTest::newRow("erase done after junk") << (hex("00 01 02") + "ERASE END\r\n") << EraseResult::EraseDone;
        QTest::newRow("chunk acknowledgement") << chunkAck << EraseResult::LogOnly;
        QTest::newRow("any 7 bytes") << QByteArray("1234567") << EraseResult::LogOnly;
        QTest::newRow("reset text") << QByteArray("System Reset\r\n") << EraseResult::LogOnly;
        QTest::newRow("alternative acknowledgement") << hex("AA CC 02 00 36 34 0D 0A") << EraseResult::Nothing;
        QTest::newRow("version frame") << versionFrame << EraseResult::Nothing;
        QTest::newRow("half of ERASE END") << QByteArray("ERASE E") << EraseResult::LogOnly;
        QTest::newRow("ERASE without END") << QByteArray("ERASE EN\r\n") << EraseResult::Nothing;
    }
    void erase()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(EraseResult, result);
        QCOMPARE(recogniseErase(buffer), result);
    }

    void identity_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ignored");
        QTest::addColumn<bool>("marker");
        QTest::addColumn<bool>("hasModel");
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("hasVersion");
        QTest::addColumn<QString>("version");

        // Byte 6 of the version frame is the digit 0, so the marker holds.
        QTest::newRow("version frame alone") << versionFrame << false << true << false << "" << true << "V1.0.3";
        QTest::newRow("model frame") << frame("ZRT-10") << false << true << true << "ZRT-10" << false << "";
        QTest::newRow("bootloader model line")
            << frame("ZRT-10 BL V1.0") << false << true << true << "ZRT-10 BL V1.0" << false << "";
        QTest::newRow("KX- before ZRT- in the text")
            << QByteArray("ZRT-10 KX-1\r\n") << false << true << true << "KX-1" << false << "";
        QTest::newRow("model line without CR LF") << QByteArray("xxZRT-20 B") << false << true << false << "" << false
                                                  << "";
        // A model line hides a version frame in the same buffer.
        QTest::newRow("model line and version frame")
            << (frame("ZRT-10") + versionFrame) << false << true << true << "ZRT-10" << false << "";
        QTest::newRow("letter o at offset 6") << frame("V1.o.3") << false << false << false << "" << false << "";
        QTest::newRow("version frame without CR LF")
            << hex("AA CC 06 56 31 2E 30 2E 33") << false << true << false << "" << false << "";
        QTest::newRow("erase done") << frame("ERASE END") << true << true << false << "" << false << "";
        QTest::newRow("chunk acknowledgement") << chunkAck << true << true << false << "" << false << "";
        QTest::newRow("reset") << QByteArray("ZRT-10 Reset\r\n") << true << true << false << "" << false << "";
        QTest::newRow("short buffer") << QByteArray("ZRT-1") << false << false << false << "" << false << "";
        QTest::newRow("unrelated bytes") << hex("F0 00 21 5E 01 04 F7 00") << false << true << false << "" << false
                                         << "";
    }
    void identity()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, ignored);
        QFETCH(bool, marker);
        QFETCH(bool, hasModel);
        QFETCH(QString, model);
        QFETCH(bool, hasVersion);
        QFETCH(QString, version);
        const Identity id = recogniseIdentity(data);
        QCOMPARE(id.ignored, ignored);
        QCOMPARE(id.marker, marker);
        QCOMPARE(id.hasModel, hasModel);
        QCOMPARE(id.model, model);
        QCOMPARE(id.hasVersion, hasVersion);
        QCOMPARE(id.version, version);
    }

    void textStopsAtZero_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("no zero") << QByteArray("ZRT-10") << "ZRT-10";
        QTest::newRow("zero inside") << QByteArray("ZRT\0-10", 7) << "ZRT";
        QTest::newRow("zero first") << QByteArray("\0ZRT", 4) << "";
        QTest::newRow("UTF-8") << QByteArray("KX-1 \xC3\xA9") << QString::fromUtf8("KX-1 \xC3\xA9");
    }
    void textStopsAtZero()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(textOf(bytes), text);
    }

    // --- SerialPort on a pseudo-terminal ---

    // What deal_updata sends on and what it writes to the device, with and without the
    // upgrade dialog holding the port.
    void dealUpdataOnAPort_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("forwarding");
        QTest::addColumn<QStringList>("models");
        QTest::addColumn<QStringList>("versions");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("flashing");

        QTest::newRow("model, forwarding off")
            << frame("ZRT-10") << false << QStringList() << QStringList() << versionRequest << false;
        QTest::newRow("model, forwarding on")
            << frame("ZRT-10") << true << QStringList{"ZRT-10"} << QStringList() << versionRequest << false;
        QTest::newRow("bootloader line, forwarding on")
            << frame("ZRT-10 BL V1.0") << true << QStringList{"ZRT-10"} << QStringList() << versionRequest << false;
        QTest::newRow("version, forwarding on")
            << versionFrame << true << QStringList() << QStringList{"V1.0.3"} << QByteArray() << false;
        QTest::newRow("version, forwarding off")
            << versionFrame << false << QStringList() << QStringList() << QByteArray() << false;
        QTest::newRow("model line then version frame, forwarding on")
            << (frame("ZRT-10 BL V1.0") + versionFrame) << true << QStringList() << QStringList{"V1.0.3"}
            << QByteArray() << false;
        QTest::newRow("nothing") << chunkAck << true << QStringList() << QStringList() << QByteArray() << false;
        // Erasing or receiving blocks: a late model line is passed on but brings no request.
        QTest::newRow("model while flashing")
            << frame("ZRT-10") << true << QStringList{"ZRT-10"} << QStringList() << QByteArray() << true;
    }
    void dealUpdataOnAPort()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(bool, forwarding);
        QFETCH(QStringList, models);
        QFETCH(QStringList, versions);
        QFETCH(QByteArray, written);
        QFETCH(bool, flashing);

        PtyPair pty;
        QVERIFY(pty.open());
        SerialPort port(nullptr, QStringLiteral("Quorvane"));
        QVERIFY(port.open(pty.slavePath(), 115200));
        port.upgradeForwarding = forwarding;
        port.flashing = flashing;
        QSignalSpy modelSpy(&port, &SerialPort::send_MTD);
        QSignalSpy versionSpy(&port, &SerialPort::send_vesion);
        QSignalSpy eraseSpy(&port, &SerialPort::send_erase);

        port.deal_updata(buffer);
        port.flush();

        QStringList gotModels, gotVersions;
        for (const QList<QVariant>& args : qAsConst(modelSpy))
            gotModels << args.at(0).toString();
        for (const QList<QVariant>& args : qAsConst(versionSpy))
            gotVersions << args.at(0).toString();
        QCOMPARE(gotModels, models);
        QCOMPARE(gotVersions, versions);
        QCOMPARE(eraseSpy.count(), 0);
        QCOMPARE(pty.readFromSlave(written.isEmpty() ? 100 : 2000), written);
    }

    // A failed write of the version request is only logged; the model was already sent on.
    void versionRequestOnAClosedPort()
    {
        SerialPort port(nullptr, QStringLiteral("Quorvane"));
        port.upgradeForwarding = true;
        QSignalSpy modelSpy(&port, &SerialPort::send_MTD);
        QSignalSpy written(&port, &SerialPort::txBytes);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("device not open"));
        port.deal_updata(frame("KX-1"));
        QCOMPARE(modelSpy.count(), 1);
        QCOMPARE(modelSpy.at(0).at(0).toString(), QString("KX-1"));
        QCOMPARE(written.count(), 0);
    }

    void dealErase_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("forwarding");
        QTest::addColumn<int>("erases");
        QTest::newRow("erase done, forwarding off") << frame("ERASE END") << false << 1;
        QTest::newRow("erase done, forwarding on") << frame("ERASE END") << true << 1;
        QTest::newRow("chunk acknowledgement only logged") << chunkAck << true << 0;
        QTest::newRow("reset only logged") << QByteArray("Reset\r\n") << false << 0;
    }
    void dealErase()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(bool, forwarding);
        QFETCH(int, erases);
        SerialPort port(nullptr, QStringLiteral("Quorvane"));
        port.upgradeForwarding = forwarding;
        QSignalSpy eraseSpy(&port, &SerialPort::send_erase);
        QSignalSpy modelSpy(&port, &SerialPort::send_MTD);
        QSignalSpy versionSpy(&port, &SerialPort::send_vesion);
        port.deal_erase(buffer);
        QCOMPARE(eraseSpy.count(), erases);
        for (const QList<QVariant>& args : qAsConst(eraseSpy))
            QCOMPARE(args.at(0).toBool(), true);
        QCOMPARE(modelSpy.count() + versionSpy.count(), 0);
    }

    // The read path runs the recognisers on every read, then hands the buffer to the window.
    void readPathRunsTheRecognisers()
    {
        PtyPair pty;
        QVERIFY(pty.open());
        SerialPort port(nullptr, QStringLiteral("Quorvane"));
        QVERIFY(port.open(pty.slavePath(), 115200));
        port.upgradeForwarding = true;
        QSignalSpy modelSpy(&port, &SerialPort::send_MTD);
        QSignalSpy versionSpy(&port, &SerialPort::send_vesion);
        QSignalSpy eraseSpy(&port, &SerialPort::send_erase);
        QSignalSpy shown(&port, &SerialPort::showdata);

        QVERIFY(pty.writeToSlave(frame("ZRT-20 BL V2.0")));
        QTRY_COMPARE(modelSpy.count(), 1);
        QCOMPARE(modelSpy.at(0).at(0).toString(), QString("ZRT-20"));
        QCOMPARE(pty.readFromSlave(2000), versionRequest);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown.at(0).at(0).toByteArray(), frame("ZRT-20 BL V2.0"));

        // The buffer held no F0 and was emptied: the next read stands alone.
        QVERIFY(pty.writeToSlave(frame("V2.0.1")));
        QTRY_COMPARE(versionSpy.count(), 1);
        QCOMPARE(versionSpy.at(0).at(0).toString(), QString("V2.0.1"));
        QCOMPARE(modelSpy.count(), 1);

        QVERIFY(pty.writeToSlave(frame("ERASE END")));
        QTRY_COMPARE(eraseSpy.count(), 1);
        QCOMPARE(shown.count(), 3);
    }
};

QTEST_MAIN(TestBootloaderRecognisers)
#include "tst_bootloader_recognisers.moc"
