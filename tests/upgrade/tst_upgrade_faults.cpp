// The bootloader misbehaving during an upgrade: every fault ends in its state and
// message within its time-out, and only the missing acknowledgement of the last
// block counts as success.
#include "upgrade_fixture.h"

#include <QElapsedTimer>

using namespace UpgradeFixture;
using State = upgrade_dialog::UpgradeState;

namespace {

enum class Fault {
    NoEraseAnswer,
    VanishDuringErase,
    DropAckOfBlock1,
    AckOfBlock1TooLate,
    VanishAfterBlock2,
    DropLastAck,
    AckOfBlock1Delayed,
    SplitAcks,
    DoubleAckOfBlock0,
    AlternativeAck,
};

} // namespace
Q_DECLARE_METATYPE(Fault)

class TestUpgradeFaults : public QObject
{
    Q_OBJECT

private:
    Bench bench;
    upgrade_dialog* dialog() { return bench.dialog(); }

    void apply(Fault fault)
    {
        PedalSimulator* d = bench.device.get();
        switch (fault) {
        case Fault::NoEraseAnswer: d->setAnswerErase(false); break;
        case Fault::VanishDuringErase: d->setEraseDelay(400); d->setVanishDuringErase(true); break;
        case Fault::DropAckOfBlock1: d->dropAckForBlock(1); break;
        case Fault::AckOfBlock1TooLate: d->delayAckForBlock(1, 3600); break;
        case Fault::VanishAfterBlock2: d->vanishAfterBlock(2); break;
        case Fault::DropLastAck: d->setDropLastAck(true); break;
        case Fault::AckOfBlock1Delayed: d->delayAckForBlock(1, 2000); break;
        case Fault::SplitAcks:
            for (int block = 0; block < 5; ++block)
                d->splitAckForBlock(block, 80);
            break;
        case Fault::DoubleAckOfBlock0: d->doubleAckForBlock(0); break;
        case Fault::AlternativeAck: d->setAlternativeAck(true); break;
        }
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        qRegisterMetaType<upgrade_dialog::UpgradeState>();
    }
    void init() { QVERIFY(bench.setUp()); }
    void cleanup() { bench.tearDown(); }

    void faultMatrix_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("logLine"); // red line of the failure
        QTest::addColumn<int>("blocksSent");  // blocks that reached the device; -1: all
        QTest::addColumn<int>("limitMs");     // from the start button to the end
        QTest::addColumn<QByteArray>("evidence"); // one read the fault must produce; empty: none
        const QByteArray ack = upgrade_dialog::kChunkAck;

        QTest::newRow("no ERASE END") << Fault::NoEraseAnswer << false << "Erase timeout! Device not responding." << 0
                                      << 11500 << QByteArray();
        QTest::newRow("vanishes during erase") << Fault::VanishDuringErase << false << "CRITICAL: Communication lost!"
                                               << 0 << 2000 << QByteArray();
        QTest::newRow("ack of block 1 missing") << Fault::DropAckOfBlock1 << false
                                                << "ACK timeout! Device not responding." << 2 << 4500 << QByteArray();
        QTest::newRow("ack of block 1 after 3.6 s") << Fault::AckOfBlock1TooLate << false
                                                    << "ACK timeout! Device not responding." << 2 << 4500
                                                    << QByteArray();
        QTest::newRow("vanishes after block 2") << Fault::VanishAfterBlock2 << false << "CRITICAL: Communication lost!"
                                                << 3 << 2000 << QByteArray();
        QTest::newRow("ack of the last block missing") << Fault::DropLastAck << true << "" << -1 << 4500 << QByteArray();
        QTest::newRow("ack of block 1 after 2 s") << Fault::AckOfBlock1Delayed << true << "" << -1 << 3500
                                                  << QByteArray();
        QTest::newRow("acks split across two writes") << Fault::SplitAcks << true << "" << -1 << 2500 << ack.left(4);
        QTest::newRow("two acks in one write") << Fault::DoubleAckOfBlock0 << true << "" << -1 << 2000 << ack + ack;
        QTest::newRow("8-byte acknowledgement") << Fault::AlternativeAck << true << "" << -1 << 2000
                                                << upgrade_dialog::kChunkAckAlt;
    }
    void faultMatrix()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, success);
        QFETCH(QString, logLine);
        QFETCH(int, blocksSent);
        QFETCH(int, limitMs);
        QFETCH(QByteArray, evidence);

        const QByteArray image = testImage(64 * 4 + 30, int(fault)); // 5 blocks, the last one short
        bench.device->setExpectedImageSize(image.size());
        apply(fault);
        QVERIFY(bench.connectDialog());
        QVERIFY(bench.chooseFile(image));

        QSignalSpy states(dialog(), &upgrade_dialog::upgradeStateChanged);
        QSignalSpy reads(bench.port(), &SerialPort::rxBytes);
        ModalWatcher boxes("OK");
        boxes.answerAll();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(bench.startButton(), Qt::LeftButton);

        const State end = success ? upgrade_dialog::FinishedSuccess : upgrade_dialog::Idle;
        QVERIFY(QTest::qWaitFor(
            [&] {
                return dialog()->state == end && (success || !boxes.history().isEmpty());
            },
            limitMs + 2000));
        QVERIFY2(clock.elapsed() <= limitMs, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(200);

        QList<State> seen;
        for (const QList<QVariant>& args : states)
            seen << args.at(0).value<State>();
        if (!evidence.isEmpty()) {
            bool found = false;
            for (const QList<QVariant>& args : reads)
                found = found || args.at(0).toByteArray() == evidence;
            QVERIFY2(found, "the fault did not show on the line");
        }
        if (success) {
            QVERIFY(!seen.contains(upgrade_dialog::FinishedFailed));
            QCOMPARE(dialog()->state, upgrade_dialog::FinishedSuccess);
            QCOMPARE(bench.device->receivedImage(), image);
            QCOMPARE(bench.bytesAfterErase(), image);
            QVERIFY(boxes.history().isEmpty());
            QVERIFY(!bench.logText().contains("timeout"));
            return;
        }

        QCOMPARE(seen.last(), upgrade_dialog::Idle);
        QVERIFY(seen.contains(upgrade_dialog::FinishedFailed));
        QVERIFY(!seen.contains(upgrade_dialog::FinishedSuccess));
        QCOMPARE(dialog()->state, upgrade_dialog::Idle);
        QCOMPARE(boxes.history().size(), 1);
        QCOMPARE(boxes.history().first().title, QString("Upgrade Failed"));
        QCOMPARE(boxes.history().first().text, QString("Upgrade failed. Please check connection and try again."));
        QVERIFY2(bench.logText().contains(logLine), qPrintable(bench.logText()));
        QVERIFY(dialog()->firmware.isEmpty());
        QCOMPARE(dialog()->bytesSent, qint64(0));
        QVERIFY(dialog()->failureReported);
        QVERIFY(bench.connectButton()->isEnabled());
        QCOMPARE(bench.connectButton()->text(), QString("Connect"));
        QVERIFY(dialog()->comboBox->isEnabled());
        QCOMPARE(bench.progressBar()->value(), 0);
        // No block is sent again, none after the failure.
        QCOMPARE(bench.device->blocksReceived(), blocksSent);
        QCOMPARE(bench.device->receivedImage(), image.left(blocksSent * 64));
        if (logLine.startsWith("CRITICAL")) {
            QVERIFY(dialog()->deviceRemoved);
            QVERIFY(!bench.port()->isOpen());
            QVERIFY(!bench.port()->upgradeForwarding);
        }
    }
};

QTEST_MAIN(TestUpgradeFaults)
#include "tst_upgrade_faults.moc"
