// Live pedal data in the real window: decoding into the three tables, routing to the
// pedal pictures, the frame queue and its drain, the row limit, the trigger-level rule,
// the Clear buttons, and a pedal sweep played by the simulated controller over a pty.
#include "app/widget.h"
#include "device/serialport.h"
#include "editor/midi_names.h"
#include "monitor/live_decoder.h"
#include "support/fake_device_enumerator.h"
#include "upgrade/download_server.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"

#include "monitor_probe.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTest>

#include <memory>

using namespace MonitorProbe;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Pitch bend on channel 1 whose Value column reads n (0..16383).
QByteArray pitchFrame(int n, int messageNumber = 0)
{
    return PedalSimulator::liveFrame(messageNumber, 0xE0, quint8(n & 0x7F), quint8(n >> 7));
}

const qreal sentinel = 42; // an angle no play operation produces

float expressionAngle(int value) // CC range 0..127
{
    return (1.0f - float(value) / 127.0f) * 15.0f;
}

} // namespace

class TestLiveMonitor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<Widget> window;
    QString windowFor; // the test function the window was made for

    template <typename T = QWidget>
    T* child(const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QAbstractItemModel* exTable() { return table(window.get(), "tableView"); }

    void setControllerNames(bool on)
    {
        const QList<QAction*> actions = window->findChildren<QAction*>();
        for (QAction* action : actions) {
            if (action->text() == QLatin1String("Show CC Name")) {
                if (action->isChecked() != on)
                    action->trigger();
                QCOMPARE(action->isChecked(), on);
                return;
            }
        }
        QFAIL("no Show CC Name action");
    }

    // The "MIDI Note=60 Name" entry: "C3", "C4" or "C5".
    void setNoteNaming(const QString& entry)
    {
        const QList<QAction*> actions = window->findChildren<QAction*>();
        for (QAction* action : actions) {
            if (action->text() == entry && action->isCheckable()) {
                action->trigger();
                QVERIFY(action->isChecked());
                return;
            }
        }
        QFAIL("no such naming entry");
    }

    void setPedalType(int type)
    {
        child<QComboBox>("pendal_type_comboBox0")->setCurrentIndex(type);
        QCOMPARE(child<QComboBox>("pendal_type_comboBox1")->currentIndex(), type);
    }

    void markPedals()
    {
        expressionPedal(window.get())->setRotation(sentinel);
        hiHatPedal(window.get())->setRotation(sentinel);
        switchRotation(window.get())->setAngle(sentinel);
    }

    // Which pictures left the sentinel angle.
    QString movedPedals()
    {
        QStringList moved;
        if (expressionPedal(window.get())->rotation() != sentinel)
            moved << "ex";
        if (switchRotation(window.get())->angle() != sentinel)
            moved << "sw";
        if (hiHatPedal(window.get())->rotation() != sentinel)
            moved << "ht";
        return moved.join(',');
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        // Update and firmware checks go nowhere: nothing on this port answers.
        DownloadServer::setBaseAddressForTesting(QStringLiteral("https://127.0.0.1:9"));
    }

    // A fresh window per test function; the rows of a data-driven test share it, each
    // row setting every control it depends on and starting with empty tables.
    void init()
    {
        if (window && windowFor == QLatin1String(QTest::currentTestFunction())) {
            QTest::mouseClick(child<QPushButton>("clearButton"), Qt::LeftButton);
            QCOMPARE(exTable()->rowCount(), 0);
            return;
        }
        window.reset();
        bus.reset(); // the old fake hands the bus back before the new one takes it
        bus = std::make_unique<FakeDeviceEnumerator>();
        window = std::make_unique<Widget>();
        windowFor = QLatin1String(QTest::currentTestFunction());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(expressionPedal(window.get()));
        QVERIFY(switchRotation(window.get()));
        QVERIFY(hiHatPedal(window.get()));
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            window.reset();
    }

    void cleanupTestCase()
    {
        window.reset();
        bus.reset();
    }

    // One frame on a page: the row it adds to every table (none when dropped or not
    // listed) and the pictures it moves.
    void decodingTable_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("pedalType");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("names");
        QTest::addColumn<QStringList>("row");
        QTest::addColumn<QString>("moved");

        const QString note60 = MidiNames::noteName(60, MidiNames::ConventionC3); // named as C3 below
        QTest::newRow("CC, names off") << hex("00B00764") << 0 << false << 0 << false
                                       << QStringList{"CC", "7", "100", "1"} << "ex";
        QTest::newRow("CC, names on") << hex("00B00764") << 0 << false << 0 << true
                                      << QStringList{"CC", "7/" + MidiNames::controllerName(7), "100", "1"} << "ex";
        QTest::newRow("Note On, filtered out") << hex("10903C7F") << 0 << true << 0 << false << QStringList() << "";
        QTest::newRow("Note On, its message selected")
            << hex("10903C7F") << 0 << true << 1 << false << QStringList{"Note On", "60/" + note60, "127", "1"}
            << "ex";
        QTest::newRow("Note On, other message, filter off")
            << hex("10903C7F") << 0 << false << 0 << false << QStringList{"Note On", "60/" + note60, "127", "1"} << "";
        QTest::newRow("Pitch Bend 8192") << hex("00E20040") << 0 << false << 0 << false
                                         << QStringList{"Pitch Bend", "--", "8192", "3"} << "ex";
        QTest::newRow("PC") << hex("00C50A00") << 0 << false << 0 << false << QStringList{"PC", "10", "--", "6"}
                            << "ex";
        QTest::newRow("Unknown A0") << hex("00A03C40") << 0 << false << 0 << false
                                    << QStringList{"Unknown", "--", "--", "1"} << "ex";
        QTest::newRow("Unknown F9") << hex("00F90000") << 0 << false << 0 << false
                                    << QStringList{"Unknown", "--", "--", "10"} << "ex";
        QTest::newRow("Start taps the switch from the expression page")
            << hex("00FA0000") << 0 << false << 0 << false << QStringList{"Start", "--", "--", "--"} << "sw";
        QTest::newRow("Stop on the hi-hat page") << hex("00FC0000") << 2 << false << 0 << false
                                                 << QStringList{"Stop", "--", "--", "--"} << "sw";
        QTest::newRow("Start of another message") << hex("10FA0000") << 0 << false << 0 << false
                                                  << QStringList{"Start", "--", "--", "--"} << "";
        QTest::newRow("clock moves nothing") << hex("00F80000") << 1 << false << 0 << false
                                             << QStringList{"Tempo", "--", "--", "--"} << "";
        QTest::newRow("switch, any message") << hex("70B00764") << 1 << false << 0 << false
                                             << QStringList{"CC", "7", "100", "1"} << "sw";
        QTest::newRow("switch, filtered out") << hex("70B00764") << 1 << true << 0 << false << QStringList() << "";
        QTest::newRow("hi-hat CC") << hex("00B00440") << 2 << false << 0 << false
                                   << QStringList{"CC", "4", "64", "1"} << "ht";
        QTest::newRow("hi-hat CC, other message") << hex("20B00440") << 2 << false << 0 << false
                                                  << QStringList{"CC", "4", "64", "1"} << "";
        QTest::newRow("hi-hat CC page ignores notes") << hex("00903C40") << 2 << false << 0 << false
                                                      << QStringList{"Note On", "60/" + note60, "64", "1"} << "";
    }
    void decodingTable()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, pedalType);
        QFETCH(bool, filter);
        QFETCH(int, message);
        QFETCH(bool, names);
        QFETCH(QStringList, row);
        QFETCH(QString, moved);

        setControllerNames(names);
        setNoteNaming("C3");
        setPedalType(pedalType);
        const char* filters[] = {"checkBox_ex", "checkBox_sw", "checkBox_ht"};
        child<QCheckBox>(filters[pedalType])->setChecked(filter);
        child<QComboBox>("Message_Number")->setCurrentIndex(message);
        markPedals();

        window->processPedalUploadCmd(frame);

        for (const char* name : tableNames) {
            QAbstractItemModel* model = table(window.get(), name);
            QCOMPARE(model->rowCount(), row.isEmpty() ? 0 : 1);
            if (!row.isEmpty()) {
                QCOMPARE(MonitorProbe::row(model, 0), row);
                for (int c = 0; c < 4; ++c)
                    QCOMPARE(model->index(0, c).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
            }
        }
        QCOMPARE(movedPedals(), moved);
    }

    // Note 60 is named after the entry picked under "MIDI Note=60 Name".
    void noteNamesFollowTheMenu_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("number");
        QTest::newRow("C3") << "C3" << "60/C3";
        QTest::newRow("C4") << "C4" << "60/C4";
        QTest::newRow("C5") << "C5" << "60/C5";
    }
    void noteNamesFollowTheMenu()
    {
        QFETCH(QString, entry);
        QFETCH(QString, number);
        setNoteNaming(entry);
        window->processPedalUploadCmd(hex("00803C00"));
        QCOMPARE(row(exTable(), 0), (QStringList{"Note Off", number, "0", "1"}));
    }

    void emptyFrameIsDropped()
    {
        window->processPedalUploadCmd(QByteArray());
        window->pedalMidiDataSlot({Protocol::PedalData, QByteArray()});
        QTest::qWait(10);
        QCOMPARE(exTable()->rowCount(), 0);
    }

    // 260 frames queued before the event loop runs: the oldest 10 are lost.
    void queueOverflowKeepsTheNewest()
    {
        for (int n = 0; n < 260; ++n)
            window->pedalMidiDataSlot({Protocol::PedalData, pitchFrame(n)});
        QTRY_COMPARE(exTable()->rowCount(), LiveDecoder::maxQueuedFrames);
        QTest::qWait(20);
        QCOMPARE(exTable()->rowCount(), LiveDecoder::maxQueuedFrames);
        QCOMPARE(row(exTable(), 0).at(2), QString("10"));
        QCOMPARE(row(exTable(), LiveDecoder::maxQueuedFrames - 1).at(2), QString("259"));
    }

    // The drain hands back to the event loop after every 25 frames (the expression
    // picture shows how far it got); frames that arrive in between are drained by the
    // same run, and every frame is listed, in order.
    void drainYieldsEveryBatch()
    {
        MyPixmapItem* pedal = expressionPedal(window.get());
        for (int n = 0; n < 60; ++n)
            window->pedalMidiDataSlot({Protocol::PedalData, PedalSimulator::liveFrame(0, 0xB0, 7, quint8(n))});
        QCOMPARE(float(pedal->rotation()), 0.0f); // nothing before the event loop runs
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
        QCOMPARE(float(pedal->rotation()), expressionAngle(24));
        for (int n = 60; n < 70; ++n)
            window->pedalMidiDataSlot({Protocol::PedalData, PedalSimulator::liveFrame(0, 0xB0, 7, quint8(n))});
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
        QCOMPARE(float(pedal->rotation()), expressionAngle(49));
        QTRY_COMPARE(exTable()->rowCount(), 70);
        QCOMPARE(float(pedal->rotation()), expressionAngle(69));
        for (int n = 0; n < 70; ++n)
            QCOMPARE(row(exTable(), n).at(2), QString::number(n));
    }

    // A stream of frames is listed in full, also when it outruns the painting.
    void streamIsListedInFull()
    {
        // 20 frames per pass of the event loop: fewer than a batch, far more often than
        // the tables are repainted.
        for (int round = 0; round < 40; ++round) {
            for (int n = 0; n < 20; ++n)
                window->pedalMidiDataSlot({Protocol::PedalData, pitchFrame(round * 20 + n)});
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE(exTable()->rowCount(), 800);
        for (const char* name : tableNames) {
            QAbstractItemModel* model = table(window.get(), name);
            QTRY_COMPARE(model->rowCount(), 800);
            for (int n = 0; n < 800; n += 97)
                QCOMPARE(row(model, n).at(2), QString::number(n));
        }
    }

    void tablesKeepTheLast1000Rows()
    {
        for (int n = 0; n <= LiveDecoder::maxTableRows; ++n)
            window->processPedalUploadCmd(pitchFrame(n));
        for (const char* name : tableNames) {
            QAbstractItemModel* model = table(window.get(), name);
            QCOMPARE(model->rowCount(), LiveDecoder::maxTableRows);
            QCOMPARE(row(model, 0).at(2), QString("1"));
            QCOMPARE(row(model, LiveDecoder::maxTableRows - 1).at(2), QString::number(LiveDecoder::maxTableRows));
        }
    }

    // Expression NOTE with the trigger level at 64: a note of velocity 64 moves the
    // pedal without a row, the next two get rows without moving it, the third both.
    void triggerLevelSequence()
    {
        child<QComboBox>("expression_comboBox0")->setCurrentIndex(1);
        {
            auto* level = child<QComboBox>("expression_trigger_level");
            const QSignalBlocker quiet(level);
            level->setCurrentIndex(64);
            QCOMPARE(level->currentText(), QString("64"));
        }
        MyPixmapItem* pedal = expressionPedal(window.get());
        pedal->setRotation(sentinel);

        struct Step
        {
            int velocity;
            int rows;
            float angle;
        };
        const Step steps[] = {{64, 0, expressionAngle(64)},
                              {10, 1, expressionAngle(64)},
                              {20, 2, expressionAngle(64)},
                              {30, 3, expressionAngle(30)},
                              {64, 3, expressionAngle(64)}};
        for (const Step& step : steps) {
            window->processPedalUploadCmd(PedalSimulator::liveFrame(0, 0x90, 60, quint8(step.velocity)));
            QCOMPARE(exTable()->rowCount(), step.rows);
            QCOMPARE(float(pedal->rotation()), step.angle);
        }
        QCOMPARE(row(exTable(), 2).at(2), QString("30"));
    }

    void clearButtonsEmptyAllTables_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("pedalType");
        QTest::newRow("expression page") << "clearButton" << 0;
        QTest::newRow("switch page") << "clearButton_2" << 1;
        QTest::newRow("hi-hat page") << "clearButton_3" << 2;
    }
    void clearButtonsEmptyAllTables()
    {
        QFETCH(QString, button);
        QFETCH(int, pedalType);
        setPedalType(pedalType);
        for (int n = 0; n < 5; ++n)
            window->processPedalUploadCmd(pitchFrame(n));
        auto* clear = window->findChild<QPushButton*>(button);
        QVERIFY(clear && clear->isVisible());
        QTest::mouseClick(clear, Qt::LeftButton);
        for (const char* name : tableNames)
            QCOMPARE(table(window.get(), name)->rowCount(), 0);
        window->processPedalUploadCmd(pitchFrame(7));
        QCOMPARE(row(exTable(), 0).at(2), QString("7"));

        // Frames drained but not listed yet when Clear is pressed stay cleared.
        for (int n = 100; n < 150; ++n)
            window->pedalMidiDataSlot({Protocol::PedalData, pitchFrame(n)});
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
        QTest::mouseClick(clear, Qt::LeftButton);
        QTest::qWait(100);
        for (const char* name : tableNames)
            QCOMPARE(table(window.get(), name)->rowCount(), 0);
    }

    // The simulated controller sweeps a pedal over the pty; the rows arrive complete
    // and in order, and the expression picture follows the pedal.
    void pedalSweepOverThePort()
    {
        PedalSimulator device;
        QVERIFY(device.start());
        bus->plug("Quorvane ZRT-30", 0x1209, 0x7001, device.slavePath());
        window->findChild<SerialPort*>()->initPort();
        setControllerNames(false);

        QGraphicsView* view = MonitorProbe::view(window.get(), "widget_4");
        const QImage before = view->grab().toImage();
        MyPixmapItem* pedal = expressionPedal(window.get());
        QCOMPARE(pedal->rotation(), 0.0);

        QTest::mouseClick(child<QPushButton>("connectButton"), Qt::LeftButton);
        QVERIFY(window->findChild<SerialPort*>()->isOpen());
        // The pedal is played once the connection's requests have been answered.
        QTRY_VERIFY_WITH_TIMEOUT(device.received().contains(QByteArray::fromHex("AACC020001 0D0A")), 3000);
        QTest::qWait(200);
        QCOMPARE(exTable()->rowCount(), 0);

        const int frames = 100; // values 0..99 of controller 7
        device.startLiveFrames(1000, PedalSimulator::ccSweep(0, 1, 7), frames);
        QTRY_COMPARE_WITH_TIMEOUT(exTable()->rowCount(), frames, 10000);
        for (int n = 0; n < frames; ++n)
            QCOMPARE(row(exTable(), n), (QStringList{"CC", "7", QString::number(n), "1"}));
        QCOMPARE(float(pedal->rotation()), expressionAngle(frames - 1));
        QTRY_VERIFY(view->grab().toImage() != before);
        QTest::qWait(50);
        QCOMPARE(exTable()->rowCount(), frames);
    }
};

QTEST_MAIN(TestLiveMonitor)
#include "tst_live_monitor.moc"
