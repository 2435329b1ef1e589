// The controller simulator, driven through a plain QSerialPort on its pty the way the
// application opens the controller's port.
#include "support/pedal_simulator.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kHandshake = hex("F0 00 21 5E 01 01 F7");
const QByteArray kIdentity = hex("AA CC 02 00 01 0D 0A"); // kVersionCmd in bootloader mode
const QByteArray kVersionRequest = hex("AA CC 02 00 03 0D 0A");
const QByteArray kErase = hex("AA CC 02 00 02 0D 0A");
const QByteArray kEnterBootloader = hex("AA CC 02 00 09 0D 0A");
const QByteArray kChunkAck = hex("AA CC 02 36 34 0D 0A");
const QByteArray kAltChunkAck = hex("AA CC 02 00 36 34 0D 0A");
const QByteArray kEraseEnd = hex("AA CC 09") + "ERASE END\r\n";

// Factory default of slot P/M as a query reply.
QByteArray defaultReply(quint8 pedal, quint8 message)
{
    QByteArray r = hex("F0 00 21 5E 10 04 00 00 01 00 00 0B 00 00 7F 00 32 00 00 00 32 00 00 F7");
    r[6] = char(pedal);
    r[7] = char(message);
    return r;
}

QByteArray asQueryReply(QByteArray record)
{
    record[5] = char(0x04);
    return record;
}

// Expression pedal, Pitch Bend 0..16383 on channel 3, pedal 2 message 5, trigger level
// 0x01F7: bytes 17 and 22 are F7 and 01, so F7 occurs as data inside the frame.
const QByteArray kPitchBendRecord =
    hex("F0 00 21 5E 10 03 02 05 01 02 03 00 7F 00 7F 00 3C F7 00 00 28 64 01 F7");

// The application's end of the line.
class Line : public QObject
{
public:
    explicit Line(const QString& path)
    {
        port.setPortName(path);
        port.setBaudRate(115200);
        connect(&port, &QSerialPort::readyRead, this, [this] {
            if (!paused)
                drain();
        });
        // Closes on ResourceError, as the application does when the device is gone.
        connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            if (e == QSerialPort::NoError)
                return;
            errors << e;
            if (e == QSerialPort::ResourceError)
                port.close();
        });
    }

    bool open() { return port.open(QIODevice::ReadWrite); }
    void send(const QByteArray& data)
    {
        port.write(data);
        port.flush();
    }
    void drain()
    {
        const QByteArray chunk = port.readAll();
        if (chunk.isEmpty())
            return;
        reads << chunk;
        bytes += chunk;
    }
    void clear()
    {
        reads.clear();
        bytes.clear();
    }

    QSerialPort port;
    QList<QByteArray> reads;
    QByteArray bytes;
    QList<QSerialPort::SerialPortError> errors;
    bool paused = false; // leave bytes unread, as a busy application would
};

} // namespace

// Runs a helper that checks with QCOMPARE/QTRY_*, and ends the test when it failed.
#define CHECKED(call)                                                                                        \
    do {                                                                                                     \
        call;                                                                                                \
        if (QTest::currentTestFailed())                                                                      \
            return;                                                                                          \
    } while (false)

class TestPedalSimulator : public QObject
{
    Q_OBJECT

    std::unique_ptr<PedalSimulator> sim;
    std::unique_ptr<Line> line;

    // Bootloader mode, flash erased: the next bytes are image data.
    void erase()
    {
        sim->setMode(PedalSimulator::Mode::Bootloader);
        line->send(kErase);
        QTRY_COMPARE(line->bytes, kEraseEnd);
        line->clear();
    }

    // Writes one block and waits for exactly its acknowledgement.
    void sendBlock(const QByteArray& block, const QByteArray& ack = kChunkAck)
    {
        line->send(block);
        QTRY_COMPARE(line->bytes, ack);
        line->clear();
    }

    // Nothing arrives for a while, and the line still answers afterwards.
    void expectSilenceThenHandshake(int ms = 200)
    {
        QTest::qWait(ms);
        QCOMPARE(line->bytes, QByteArray());
        line->send(kHandshake);
        QTRY_VERIFY(line->bytes.startsWith(hex("F0 00 21 5E 01")));
        line->clear();
    }

private slots:
    void initTestCase() { qRegisterMetaType<PedalSimulator::Request>(); }

    void init()
    {
        sim = std::make_unique<PedalSimulator>();
        QVERIFY(sim->start());
        line = std::make_unique<Line>(sim->slavePath());
        QVERIFY2(line->open(), qPrintable(line->port.errorString()));
    }

    void cleanup()
    {
        line.reset();
        sim.reset();
    }

    void handshake_data()
    {
        QTest::addColumn<int>("jacks");
        QTest::addColumn<int>("capability");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("four jacks") << 4 << -1 << hex("F0 00 21 5E 01 04 F7");
        QTest::newRow("nine jacks and capability report")
            << 9 << 3 << hex("F0 00 21 5E 01 09 F7 F0 00 21 5E 03 F7");
        QTest::newRow("out-of-range count") << 10 << -1 << hex("F0 00 21 5E 01 0A F7");
    }

    void handshake()
    {
        QFETCH(int, jacks);
        QFETCH(int, capability);
        QFETCH(QByteArray, expected);
        sim->setJackCount(jacks);
        sim->setCapabilityReport(capability);
        QSignalSpy requests(sim.get(), &PedalSimulator::requestReceived);

        line->send(kHandshake);
        QTRY_COMPARE(line->bytes, expected);
        QTest::qWait(50);
        QCOMPARE(line->bytes, expected);
        QCOMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).value<PedalSimulator::Request>(), PedalSimulator::Request::Handshake);
        QCOMPARE(sim->received(), kHandshake);
    }

    void query_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<PedalSimulator::Request>("kind");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("short form, first slot")
            << hex("F0 00 21 5E 04 04 00 00 F7") << PedalSimulator::Request::QueryShort
            << hex("F0 00 21 5E 10 04 00 00 01 00 00 0B 00 00 7F 00 32 00 00 00 32 00 00 F7");
        QTest::newRow("long form, last slot")
            << hex("F0 00 21 5E 04 04 08 0F 02 F7") << PedalSimulator::Request::QueryLong
            << hex("F0 00 21 5E 10 04 08 0F 01 00 00 0B 00 00 7F 00 32 00 00 00 32 00 00 F7");
        QTest::newRow("no pedal chosen (FF) is not answered")
            << hex("F0 00 21 5E 04 04 FF 00 F7") << PedalSimulator::Request::QueryShort << QByteArray();
    }

    void query()
    {
        QFETCH(QByteArray, request);
        QFETCH(PedalSimulator::Request, kind);
        QFETCH(QByteArray, expected);
        QSignalSpy requests(sim.get(), &PedalSimulator::requestReceived);

        line->send(request);
        QTRY_COMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).value<PedalSimulator::Request>(), kind);
        QCOMPARE(requests.at(0).at(1).toByteArray(), request);
        if (expected.isEmpty()) {
            CHECKED(expectSilenceThenHandshake());
            return;
        }
        QTRY_COMPARE(line->bytes, expected);
    }

    void setThenQuery_data()
    {
        QTest::addColumn<int>("resultCode");
        QTest::addColumn<bool>("shortResult");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QByteArray>("expectedResult");
        QTest::addColumn<QByteArray>("expectedQueryReply");

        QByteArray pedal9 = kPitchBendRecord;
        pedal9[6] = char(9);
        QTest::newRow("stored") << 0 << false << kPitchBendRecord << hex("F0 00 21 5E 00 03 00 00 F7")
                                << asQueryReply(kPitchBendRecord);
        QTest::newRow("result 2 leaves the slot alone")
            << 2 << false << kPitchBendRecord << hex("F0 00 21 5E 00 03 00 02 F7") << defaultReply(2, 5);
        QTest::newRow("8-byte result") << 0 << true << kPitchBendRecord << hex("F0 00 21 5E 00 03 00 F7")
                                       << asQueryReply(kPitchBendRecord);
        QTest::newRow("pedal index out of range")
            << 0 << false << pedal9 << hex("F0 00 21 5E 00 03 00 01 F7") << QByteArray();
    }

    void setThenQuery()
    {
        QFETCH(int, resultCode);
        QFETCH(bool, shortResult);
        QFETCH(QByteArray, record);
        QFETCH(QByteArray, expectedResult);
        QFETCH(QByteArray, expectedQueryReply);
        sim->setSetResultCode(resultCode);
        sim->setShortSetResult(shortResult);

        line->send(record);
        QTRY_COMPARE(line->bytes, expectedResult);
        QCOMPARE(sim->setRequests(), QList<QByteArray>{record});
        line->clear();

        QByteArray query = hex("F0 00 21 5E 04 04 00 00 F7");
        query[6] = record[6];
        query[7] = record[7];
        line->send(query);
        if (expectedQueryReply.isEmpty()) {
            CHECKED(expectSilenceThenHandshake());
            for (int p = 0; p < PedalSimulator::kPedals; ++p)
                for (int m = 0; m < PedalSimulator::kMessages; ++m)
                    QCOMPARE(sim->record(p, m), defaultReply(quint8(p), quint8(m)));
            return;
        }
        QTRY_COMPARE(line->bytes, expectedQueryReply);
    }

    void deleteClearsOnePedalAndFactoryResetAll()
    {
        QByteArray rec = kPitchBendRecord;
        for (auto [p, m] : {std::pair{1, 0}, {1, 15}, {2, 3}}) {
            rec[6] = char(p);
            rec[7] = char(m);
            sim->setRecord(p, m, rec);
        }
        const QByteArray pedal2 = sim->record(2, 3);
        QSignalSpy requests(sim.get(), &PedalSimulator::requestReceived);

        line->send(hex("F0 00 21 5E 03 05 01 F7"));
        QTRY_COMPARE(line->bytes, hex("F0 00 21 5E 00 05 00 F7"));
        line->clear();
        QCOMPARE(sim->record(1, 0), defaultReply(1, 0));
        QCOMPARE(sim->record(1, 15), defaultReply(1, 15));
        QCOMPARE(sim->record(2, 3), pedal2);
        QCOMPARE(sim->factoryResetCount(), 0);

        line->send(hex("F0 00 21 5E 03 05 58 F7"));
        QTRY_COMPARE(requests.count(), 2);
        QCOMPARE(requests.at(0).at(0).value<PedalSimulator::Request>(), PedalSimulator::Request::Delete);
        QCOMPARE(requests.at(1).at(0).value<PedalSimulator::Request>(),
                 PedalSimulator::Request::FactoryReset);
        CHECKED(expectSilenceThenHandshake());
        QCOMPARE(sim->record(2, 3), defaultReply(2, 3));
        QCOMPARE(sim->factoryResetCount(), 1);
    }

    void identityAndVersion_data()
    {
        QTest::addColumn<PedalSimulator::Mode>("mode");
        QTest::addColumn<bool>("versionWithModel");
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("identityReply");
        QTest::addColumn<QByteArray>("versionReply");
        QTest::newRow("application mode")
            << PedalSimulator::Mode::Application << false << QByteArray("ZRT-10") << QByteArray("V1.0.3")
            << hex("AA CC 06 5A 52 54 2D 31 30 0D 0A") << hex("AA CC 06 56 31 2E 30 2E 33 0D 0A");
        QTest::newRow("application mode ignores version-with-model")
            << PedalSimulator::Mode::Application << true << QByteArray("ZRT-10") << QByteArray("V1.0.3")
            << hex("AA CC 06 5A 52 54 2D 31 30 0D 0A") << hex("AA CC 06 56 31 2E 30 2E 33 0D 0A");
        QTest::newRow("bootloader, version right after the model")
            << PedalSimulator::Mode::Bootloader << true << QByteArray("KX-3") << QByteArray("V2.1.0")
            << hex("AA CC 04 4B 58 2D 33 0D 0A AA CC 06 56 32 2E 31 2E 30 0D 0A")
            << hex("AA CC 06 56 32 2E 31 2E 30 0D 0A");
    }

    void identityAndVersion()
    {
        QFETCH(PedalSimulator::Mode, mode);
        QFETCH(bool, versionWithModel);
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, identityReply);
        QFETCH(QByteArray, versionReply);
        sim->setMode(mode);
        sim->setVersionWithModel(versionWithModel);
        sim->setModelText(model);
        sim->setVersionText(version);

        line->send(kIdentity);
        QTRY_COMPARE(line->bytes, identityReply);
        // What the application's model recogniser makes of it.
        const auto match = QRegularExpression("([A-Za-z0-9]+-\\d+)").match(QString::fromLatin1(line->bytes));
        QCOMPARE(match.captured(1).toLatin1(), model);
        line->clear();

        line->send(kVersionRequest);
        QTRY_COMPARE(line->bytes, versionReply);
    }

    void enterBootloader_data()
    {
        QTest::addColumn<bool>("reenumerate");
        QTest::newRow("same port") << false;
        QTest::newRow("reappears as another port") << true;
    }

    void enterBootloader()
    {
        QFETCH(bool, reenumerate);
        sim->setReenumerateOnBootloader(reenumerate);
        const QString oldPath = sim->slavePath();
        QSignalSpy entered(sim.get(), &PedalSimulator::enteredBootloader);

        line->send(kEnterBootloader);
        QTRY_COMPARE(entered.count(), 1);
        QCOMPARE(sim->mode(), PedalSimulator::Mode::Bootloader);
        QCOMPARE(sim->slavePath() != oldPath, reenumerate);
        if (reenumerate) {
            QTRY_VERIFY(!line->errors.isEmpty());
            QCOMPARE(line->errors.first(), QSerialPort::ResourceError);
            line = std::make_unique<Line>(sim->slavePath());
            QVERIFY2(line->open(), qPrintable(line->port.errorString()));
        }

        // The bootloader answers kVersionCmd but no SysEx.
        line->send(kHandshake);
        QTest::qWait(150);
        QCOMPARE(line->bytes, QByteArray());
        line->send(kIdentity);
        QTRY_COMPARE(line->bytes, hex("AA CC 06") + "ZRT-10\r\n");
    }

    void splitReplyArrivesWhole()
    {
        sim->setSplitReplies(3, 60);
        line->send(hex("F0 00 21 5E 04 04 03 07 F7"));
        QTRY_COMPARE(line->bytes, defaultReply(3, 7));
        QVERIFY2(line->reads.size() >= 2, qPrintable(QString::number(line->reads.size())));
        QVERIFY(line->reads.size() <= 3);
    }

    void mergedRepliesArriveInOneWrite()
    {
        sim->mergeNextReplies(3);
        line->send(kHandshake);
        QTest::qWait(60);
        line->send(kIdentity);
        QTest::qWait(60);
        QCOMPARE(line->bytes, QByteArray());
        line->send(kVersionRequest);
        const QByteArray all =
            hex("F0 00 21 5E 01 04 F7 AA CC 06") + "ZRT-10\r\n" + hex("AA CC 06") + "V1.0.3\r\n";
        QTRY_COMPARE(line->bytes, all);
        QCOMPARE(line->reads.size(), 1);

        // Only the next three: the fourth goes out on its own.
        line->clear();
        line->send(kHandshake);
        QTRY_COMPARE(line->bytes, hex("F0 00 21 5E 01 04 F7"));
    }

    void junkGoesBeforeTheNextReplyOnly()
    {
        sim->insertJunkBeforeNextReply(hex("00 12 AA F7"));
        line->send(kHandshake);
        QTRY_COMPARE(line->bytes, hex("00 12 AA F7 F0 00 21 5E 01 04 F7"));
        line->clear();
        line->send(kHandshake);
        QTRY_COMPARE(line->bytes, hex("F0 00 21 5E 01 04 F7"));
    }

    void delayedReply()
    {
        sim->setReplyDelay(300);
        QElapsedTimer clock;
        clock.start();
        line->send(kHandshake);
        QTest::qWait(150);
        QCOMPARE(line->bytes, QByteArray());
        QTRY_COMPARE(line->bytes, hex("F0 00 21 5E 01 04 F7"));
        QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
    }

    void droppedReplies()
    {
        sim->setDropReplies(true);
        line->send(kHandshake);
        line->send(kIdentity);
        QTest::qWait(200);
        QCOMPARE(line->bytes, QByteArray());
        QCOMPARE(sim->received(), kHandshake + kIdentity);
        sim->setDropReplies(false);
        line->send(kHandshake);
        QTRY_COMPARE(line->bytes, hex("F0 00 21 5E 01 04 F7"));
    }

    void liveFramesAtRate_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("count");
        QTest::newRow("100 per second") << 100.0 << 40;
        QTest::newRow("line rate, 2880 per second") << 2880.0 << 1440;
    }

    void liveFramesAtRate()
    {
        QFETCH(double, rate);
        QFETCH(int, count);
        // Every frame differs, so loss or reordering shows.
        auto frame = [](quint64 n) {
            return PedalSimulator::liveFrame(int(n % 16), quint8(0xB0 | (n % 16)), quint8((n >> 7) & 0x7F),
                                             quint8(n & 0x7F));
        };
        QByteArray expected;
        for (int n = 0; n < count; ++n)
            expected += frame(quint64(n));
        QSignalSpy finished(sim.get(), &PedalSimulator::liveFramesFinished);

        QElapsedTimer clock;
        clock.start();
        sim->startLiveFrames(rate, frame, quint64(count));
        QTRY_COMPARE_WITH_TIMEOUT(line->bytes.size(), expected.size(), 10000);
        const double seconds = clock.elapsed() / 1000.0;
        QCOMPARE(line->bytes, expected);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(sim->liveFramesSent(), quint64(count));
        QVERIFY(!sim->liveFramesRunning());
        // Paced, not dumped: the last frame is due (count - 1) / rate after the first.
        const double nominal = (count - 1) / rate;
        QVERIFY2(seconds >= 0.9 * nominal && seconds <= 2 * nominal + 0.3,
                 qPrintable(QStringLiteral("%1 s for %2 s nominal").arg(seconds).arg(nominal)));
    }

    // More than the pty holds while nobody reads: the rest must wait, not vanish.
    void liveFramesWhileTheReaderStalls()
    {
        const int count = 40000; // 160 kB
        line->port.setReadBufferSize(256);
        line->paused = true;
        sim->startLiveFrames(1e6, PedalSimulator::ccSweep(1, 1, 7), quint64(count));
        QTRY_VERIFY(!sim->liveFramesRunning());
        QTest::qWait(100);
        line->paused = false;
        line->drain(); // no new readyRead for what is already buffered
        QTRY_COMPARE_WITH_TIMEOUT(line->bytes.size(), 4 * count, 10000);
        QByteArray expected;
        const auto frame = PedalSimulator::ccSweep(1, 1, 7);
        for (int n = 0; n < count; ++n)
            expected += frame(quint64(n));
        QCOMPARE(line->bytes, expected);
    }

    void pedalSweepAndSingleFrame()
    {
        sim->sendLiveFrame(3, 0xC1, 0x05, 0x00);
        QTRY_COMPARE(line->bytes, hex("30 C1 05 00"));
        line->clear();

        sim->startLiveFrames(2000, PedalSimulator::ccSweep(2, 3, 11), PedalSimulator::kSweepLength);
        QTRY_COMPARE(line->bytes.size(), 4 * PedalSimulator::kSweepLength);
        QVector<int> values;
        for (int i = 0; i < line->bytes.size(); i += 4) {
            QCOMPARE(line->bytes.mid(i, 3), hex("20 B2 0B"));
            values << quint8(line->bytes.at(i + 3));
        }
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(values.at(i), i <= 127 ? i : 254 - i);
    }

    void bootloaderTransfer_data()
    {
        QTest::addColumn<int>("imageSize");
        QTest::addColumn<bool>("announceSize");
        QTest::addColumn<bool>("alternativeAck");
        QTest::newRow("short last block, ack after quiet time") << 2 * 64 + 20 << false << false;
        QTest::newRow("short last block, size announced") << 2 * 64 + 20 << true << false;
        QTest::newRow("whole blocks, 8-byte ack") << 3 * 64 << false << true;
    }

    void bootloaderTransfer()
    {
        QFETCH(int, imageSize);
        QFETCH(bool, announceSize);
        QFETCH(bool, alternativeAck);
        const QByteArray ack = alternativeAck ? kAltChunkAck : kChunkAck;
        sim->setAlternativeAck(alternativeAck);
        sim->setEraseDelay(150);
        if (announceSize) {
            sim->setExpectedImageSize(imageSize);
            sim->setShortBlockQuietTime(5000); // the size must do it, not the quiet time
        }
        // Image bytes that look like commands must stay data.
        QByteArray image(imageSize, 0);
        for (int i = 0; i < imageSize; ++i)
            image[i] = char(i * 37 + 11);
        image.replace(64, kErase.size(), kErase);
        image.replace(64 + kErase.size(), kIdentity.size(), kIdentity);
        QSignalSpy blocks(sim.get(), &PedalSimulator::blockReceived);

        sim->setMode(PedalSimulator::Mode::Bootloader);
        line->send(kIdentity);
        QTRY_COMPARE(line->bytes, hex("AA CC 06") + "ZRT-10\r\n");
        line->clear();

        QElapsedTimer clock;
        clock.start();
        line->send(kErase);
        QTRY_COMPARE(line->bytes, kEraseEnd);
        QVERIFY2(clock.elapsed() >= 130, qPrintable(QString::number(clock.elapsed())));
        line->clear();

        for (int offset = 0; offset < imageSize; offset += 64) {
            clock.restart();
            CHECKED(sendBlock(image.mid(offset, 64), ack));
            if (announceSize)
                QVERIFY(clock.elapsed() < 2500);
        }
        QCOMPARE(sim->receivedImage(), image);
        QCOMPARE(blocks.count(), (imageSize + 63) / 64);
        QCOMPARE(blocks.last().at(0).toInt(), blocks.count() - 1);
        QCOMPARE(blocks.last().at(1).toByteArray(), image.mid((blocks.count() - 1) * 64));
    }

    void ackFaults_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::addColumn<int>("delayMs");
        QTest::newRow("ack of block 1 dropped") << true << 0;
        QTest::newRow("ack of block 1 late") << false << 400;
    }

    void ackFaults()
    {
        QFETCH(bool, drop);
        QFETCH(int, delayMs);
        if (drop)
            sim->dropAckForBlock(1);
        else
            sim->delayAckForBlock(1, delayMs);
        const QByteArray block(64, char(0x5A));
        CHECKED(erase());

        CHECKED(sendBlock(block));
        QElapsedTimer clock;
        clock.start();
        line->send(block);
        QTest::qWait(250);
        QCOMPARE(line->bytes, QByteArray());
        if (drop) {
            QTest::qWait(250);
            QCOMPARE(line->bytes, QByteArray());
        } else {
            QTRY_COMPARE(line->bytes, kChunkAck);
            QVERIFY(clock.elapsed() >= delayMs - 20);
        }
        line->clear();
        CHECKED(sendBlock(block)); // later blocks are acknowledged again
        QCOMPARE(sim->receivedImage(), block + block + block);
    }

    void eraseNeverAnswered()
    {
        sim->setAnswerErase(false);
        sim->setEraseDelay(20);
        QSignalSpy requests(sim.get(), &PedalSimulator::requestReceived);
        sim->setMode(PedalSimulator::Mode::Bootloader);
        line->send(kErase);
        QTRY_COMPARE(requests.count(), 1);
        QCOMPARE(requests.at(0).at(0).value<PedalSimulator::Request>(), PedalSimulator::Request::Erase);
        QTest::qWait(300);
        QCOMPARE(line->bytes, QByteArray());
        // Still not erased: a command is a command, not image data.
        line->send(kIdentity);
        QTRY_COMPARE(line->bytes, hex("AA CC 06") + "ZRT-10\r\n");
        QCOMPARE(sim->receivedImage(), QByteArray());
    }

    void hangUp_data()
    {
        QTest::addColumn<int>("vanishAfterBlock"); // -1: on demand, before any block
        QTest::newRow("on demand") << -1;
        QTest::newRow("after block 1, instead of its ack") << 1;
    }

    void hangUp()
    {
        QFETCH(int, vanishAfterBlock);
        QSignalSpy hungUp(sim.get(), &PedalSimulator::hungUp);
        const QByteArray block(64, char(0x33));
        if (vanishAfterBlock < 0) {
            sim->hangUp();
        } else {
            sim->vanishAfterBlock(vanishAfterBlock);
            CHECKED(erase());
            for (int i = 0; i < vanishAfterBlock; ++i)
                CHECKED(sendBlock(block));
            line->send(block);
        }
        QTRY_VERIFY(!line->errors.isEmpty());
        QTest::qWait(50);
        QCOMPARE(line->errors, QList<QSerialPort::SerialPortError>{QSerialPort::ResourceError});
        QVERIFY(!line->port.isOpen());
        QCOMPARE(hungUp.count(), 1);
        QVERIFY(!sim->isRunning());
        QCOMPARE(line->bytes, QByteArray());
        QCOMPARE(sim->receivedImage(), block.repeated(vanishAfterBlock + 1));
    }
};

QTEST_GUILESS_MAIN(TestPedalSimulator)
#include "tst_pedal_simulator.moc"
