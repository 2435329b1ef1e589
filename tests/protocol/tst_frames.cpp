// Byte layouts of the configuration dialogue with the controller.
#include "protocol/frames.h"
#include "upgrade/bootloader_commands.h"

#include <QTest>

using Protocol::MsgSetPandelAsk;

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void fixedRequests_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("handshake") << Protocol::MsgHandshadeAsk::frame() << QByteArray::fromHex("F0 00 21 5E 01 01 F7");
        QTest::newRow("factory reset") << Protocol::factoryResetFrame() << QByteArray::fromHex("F0 00 21 5E 03 05 58 F7");
        QTest::newRow("factory reset is delete of 0x58") << Protocol::deleteRequest(0x58)
                                                          << Protocol::factoryResetFrame();
        QTest::newRow("delete pedal 3") << Protocol::deleteRequest(2) << QByteArray::fromHex("F0 00 21 5E 03 05 02 F7");
        QTest::newRow("short query") << Protocol::queryShort(1, 15)
                                     << QByteArray::fromHex("F0 00 21 5E 04 04 01 0F F7");
        QTest::newRow("short query, no pedal yet") << Protocol::queryShort(-1, 0)
                                                   << QByteArray::fromHex("F0 00 21 5E 04 04 FF 00 F7");
        QTest::newRow("long query") << Protocol::queryLong(8, 3, 2)
                                    << QByteArray::fromHex("F0 00 21 5E 04 04 08 03 02 F7");
        QTest::newRow("identity query") << Bootloader::identityQuery() << QByteArray::fromHex("AA CC 02 00 01 0D 0A");
        QTest::newRow("version request") << Bootloader::versionRequest() << QByteArray::fromHex("AA CC 02 00 03 0D 0A");
        QTest::newRow("hex text skips blanks and junk") << Protocol::fromHexText(" f0,00-21 5e\tF7 ")
                                                        << QByteArray::fromHex("F0 00 21 5E F7");
    }
    void fixedRequests()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, expected);
        QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    }

    // Expression CC on pedal 1, message 1, channel 1, controller 11, range 0..127,
    // gain 0, curve 0, trigger off, notes 0, switch page in mode Single.
    void expressionCcSetRequest()
    {
        MsgSetPandelAsk record = MsgSetPandelAsk::setRequest();
        record[MsgSetPandelAsk::Pedal] = 0;
        record[MsgSetPandelAsk::Message] = 0;
        record[MsgSetPandelAsk::PedalType] = Protocol::ExpressionPedal;
        record[MsgSetPandelAsk::Channel] = 0;
        record[MsgSetPandelAsk::Event] = quint8(Protocol::eventCode("Continuous Controllers (CC)"));
        record[MsgSetPandelAsk::Data1] = 11;
        record[MsgSetPandelAsk::Data3] = 0;
        record[MsgSetPandelAsk::Data4] = 127;
        record[MsgSetPandelAsk::Mode] = Protocol::Single;
        record[MsgSetPandelAsk::Gain] = 0 + 50;
        record[MsgSetPandelAsk::Curve] = 0 + 50;
        record[MsgSetPandelAsk::Reach] = 0x2A;
        QCOMPARE(record.toByteArray().toHex(' '),
                 QByteArray("f0 00 21 5e 10 03 00 00 01 00 00 0b 00 00 7f 00 32 00 00 00 32 2a 00 f7"));
    }

    void queryReplyRecord_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("lastByte");
        const QByteArray reply = QByteArray::fromHex("F0 00 21 5E 10 04 02 05 03 09 02 24 00 10 70 00 3C 05 24 26 46 00 00 F7");
        QTest::newRow("24 bytes") << reply << 0xF7;
        QTest::newRow("23 bytes") << reply.left(23) << 0;
    }
    void queryReplyRecord()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, lastByte);
        const MsgSetPandelAsk record = MsgSetPandelAsk::fromFrame(frame);
        QCOMPARE(int(record[MsgSetPandelAsk::Pedal]), 2);
        QCOMPARE(int(record[MsgSetPandelAsk::Message]), 5);
        QCOMPARE(int(record[MsgSetPandelAsk::PedalType]), int(Protocol::HiHatPedal));
        QCOMPARE(int(record[MsgSetPandelAsk::Channel]), 9);
        QCOMPARE(int(record[MsgSetPandelAsk::Event]), 2);
        QCOMPARE(int(record[MsgSetPandelAsk::Gain]), 60);
        QCOMPARE(int(record[MsgSetPandelAsk::Curve]), 70);
        QCOMPARE(int(record[MsgSetPandelAsk::End]), lastByte);
    }

    void eventTable()
    {
        const QStringList names = Protocol::eventNames();
        QCOMPARE(names.size(), 9);
        const QMap<QString, int> codes = Protocol::eventCodesByName();
        for (int code = 0; code < names.size(); ++code)
            QCOMPARE(codes.value(names.at(code), -1), code);
        QCOMPARE(Protocol::eventCode("Program Change (PC)"), 1);
        QCOMPARE(Protocol::eventCode("Pitch Bend"), 3);
        QCOMPARE(Protocol::eventCode("Tempo"), 8);
        QCOMPARE(Protocol::eventCode("Aftertouch"), 0); // unknown names are sent as 0
    }

    void rangeTexts()
    {
        QCOMPARE(Protocol::rangTxtArray(1, 4), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(Protocol::rangTxtArray(5, 5), QStringList{"5"});
        QVERIFY(Protocol::rangTxtArray(1, 0).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestFrames)
#include "tst_frames.moc"
