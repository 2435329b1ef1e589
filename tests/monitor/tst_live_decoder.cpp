// The live-frame decoder, the message-number filter, the routing with its
// trigger-level rule and the bounded frame queue, without a window.
#include "editor/midi_names.h"
#include "monitor/live_decoder.h"

#include <QTest>

using namespace LiveDecoder;

Q_DECLARE_METATYPE(LiveDecoder::PedalView)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestLiveDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("convention");
        QTest::addColumn<bool>("names");
        QTest::addColumn<QStringList>("columns"); // event, number, value, channel, data1
        QTest::addColumn<int>("messageNumber");
        QTest::addColumn<bool>("realtime");

        const QString note60c3 = MidiNames::noteName(60, MidiNames::ConventionC3);
        const QString note60c5 = MidiNames::noteName(60, MidiNames::ConventionC5);
        QTest::newRow("CC, names off") << hex("00B00764") << 2 << false
                                       << QStringList{"CC", "7", "100", "1", "7"} << 0 << false;
        QTest::newRow("CC, names on") << hex("00B00764") << 2 << true
                                      << QStringList{"CC", "7/" + MidiNames::controllerName(7), "100", "1", "7"} << 0
                                      << false;
        QTest::newRow("CC, unnamed controller") << hex("30BF0300") << 2 << true
                                                << QStringList{"CC", "3/***", "0", "16", "3"} << 3 << false;
        QTest::newRow("Note On, message 2") << hex("10903C7F") << 2 << false
                                            << QStringList{"Note On", "60/" + note60c3, "127", "1", "60"} << 1 << false;
        QTest::newRow("Note Off, other convention") << hex("F0813C00") << 3 << false
                                                    << QStringList{"Note Off", "60/" + note60c5, "0", "2", "60"} << 15
                                                    << false;
        QTest::newRow("Pitch Bend centre") << hex("00E20040") << 2 << false
                                           << QStringList{"Pitch Bend", "--", "8192", "3", "0"} << 0 << false;
        QTest::newRow("Pitch Bend top") << hex("00E07F7F") << 2 << false
                                        << QStringList{"Pitch Bend", "--", "16383", "1", "127"} << 0 << false;
        QTest::newRow("PC") << hex("00C50A00") << 2 << false << QStringList{"PC", "10", "--", "6", "10"} << 0 << false;
        QTest::newRow("channel pressure") << hex("00D45500") << 2 << false
                                          << QStringList{"CH", "--", "85", "5", "85"} << 0 << false;
        QTest::newRow("poly pressure is unknown") << hex("00A03C40") << 2 << false
                                                  << QStringList{"Unknown", "--", "--", "1", "60"} << 0 << false;
        QTest::newRow("F9 is unknown, channel 10") << hex("00F90000") << 2 << false
                                                   << QStringList{"Unknown", "--", "--", "10", "0"} << 0 << false;
        QTest::newRow("data byte as status") << hex("00450102") << 2 << false
                                             << QStringList{"Unknown", "--", "--", "6", "1"} << 0 << false;
        QTest::newRow("Tempo") << hex("00F80000") << 2 << false << QStringList{"Tempo", "--", "--", "--", "--"} << 0
                               << true;
        QTest::newRow("Start") << hex("00FA0000") << 2 << false << QStringList{"Start", "--", "--", "--", "--"} << 0
                               << true;
        QTest::newRow("Continue") << hex("20FB0000") << 2 << false
                                  << QStringList{"Continue", "--", "--", "--", "--"} << 2 << true;
        QTest::newRow("Stop") << hex("00FC0000") << 2 << false << QStringList{"Stop", "--", "--", "--", "--"} << 0
                              << true;
        // Bytes a short frame lacks read as 0; data1 is only reported when present.
        QTest::newRow("header only") << hex("50") << 2 << false << QStringList{"Unknown", "--", "--", "1", "--"} << 5
                                     << false;
        QTest::newRow("two bytes") << hex("00B0") << 2 << false << QStringList{"CC", "0", "0", "1", "--"} << 0 << false;
        QTest::newRow("three bytes") << hex("00B007") << 2 << false << QStringList{"CC", "7", "0", "1", "7"} << 0
                                     << false;
    }
    void decodes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, convention);
        QFETCH(bool, names);
        QFETCH(QStringList, columns);
        QFETCH(int, messageNumber);
        QFETCH(bool, realtime);

        const Decoded d = decode(frame, convention, names);
        QVERIFY(!d.empty);
        QCOMPARE((QStringList{d.event, d.number, d.value, d.channel, d.data1Text}), columns);
        QCOMPARE(d.messageNumber, messageNumber);
        QCOMPARE(d.realtime, realtime);
    }

    void emptyFrameIsMarked()
    {
        const Decoded d = decode(QByteArray(), 2, true);
        QVERIFY(d.empty);
        QCOMPARE(d.event, QString("--"));
    }

    void messageFilter_data()
    {
        QTest::addColumn<int>("pedalType");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("messageNumber");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("passes");

        QTest::newRow("unchecked, other message") << 0 << false << 1 << 0 << true;
        QTest::newRow("checked, other message") << 0 << true << 1 << 0 << false;
        QTest::newRow("checked, same message") << 0 << true << 1 << 1 << true;
        QTest::newRow("switch checked") << 1 << true << 3 << 0 << false;
        QTest::newRow("hi-hat unchecked") << 2 << false << 15 << 0 << true;
        QTest::newRow("no page, other message") << -1 << false << 1 << 0 << false;
        QTest::newRow("no page, same message") << -1 << false << 0 << 0 << true;
    }
    void messageFilter()
    {
        QFETCH(int, pedalType);
        QFETCH(bool, checked);
        QFETCH(int, messageNumber);
        QFETCH(int, selected);
        QFETCH(bool, passes);
        QCOMPARE(passesMessageFilter(pedalType, checked, messageNumber, selected), passes);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("decimal") << "100" << 100;
        QTest::newRow("placeholder") << "--" << 0;
        QTest::newRow("number and name") << "60/C3" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("pitch bend") << "16383" << 16383;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(numberOf(text), number);
    }

    // One frame through route(): which view, listed or not, the counter after it.
    void routes_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("pedalType");
        QTest::addColumn<bool>("triggerOff");
        QTest::addColumn<bool>("expressionNote");
        QTest::addColumn<bool>("hatCC");
        QTest::addColumn<int>("counterBefore");
        QTest::addColumn<PedalView>("view");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<int>("counterAfter");

        const auto E = PedalView::Expression;
        const auto N = PedalView::None;
        QTest::newRow("expression, trigger off") << hex("00903C40") << 0 << true << true << true << 1 << E << true << 1;
        QTest::newRow("expression note, counting down") << hex("00903C40") << 0 << false << true << true << 2 << N
                                                        << true << 1;
        QTest::newRow("expression note, level hit") << hex("00903C40") << 0 << false << true << true << 0 << E << false
                                                    << 2;
        QTest::newRow("expression note, level missed") << hex("00903C41") << 0 << false << true << true << 0 << E
                                                       << true << 0;
        QTest::newRow("expression CC, note frame") << hex("00803C40") << 0 << false << false << true << 0 << N << true
                                                   << 0;
        QTest::newRow("expression CC, CC frame") << hex("00B00740") << 0 << false << false << true << 0 << E << true
                                                 << 0;
        QTest::newRow("switch") << hex("70903C40") << 1 << false << true << true << 2 << PedalView::Switch << true << 2;
        QTest::newRow("hi-hat CC, note frame") << hex("00903C40") << 2 << true << false << true << 0 << N << true << 0;
        QTest::newRow("hi-hat CC, CC frame") << hex("00B00440") << 2 << true << false << true << 0 << PedalView::HiHat
                                             << true << 0;
        QTest::newRow("hi-hat note, note frame") << hex("00903C40") << 2 << true << false << false << 0
                                                 << PedalView::HiHat << true << 0;
        QTest::newRow("no page") << hex("00B00440") << 5 << true << false << true << 0 << N << true << 0;
    }
    void routes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, pedalType);
        QFETCH(bool, triggerOff);
        QFETCH(bool, expressionNote);
        QFETCH(bool, hatCC);
        QFETCH(int, counterBefore);
        QFETCH(PedalView, view);
        QFETCH(bool, listed);
        QFETCH(int, counterAfter);

        RouteContext context;
        context.pedalType = pedalType;
        context.triggerLevelOff = triggerOff;
        context.triggerLevelIndex = 64;
        context.expressionIsNote = expressionNote;
        context.hatIsControlChange = hatCC;
        int counter = counterBefore;
        const Route r = route(decode(frame, 2, false), context, counter);
        QCOMPARE(r.view, view);
        QCOMPARE(r.listed, listed);
        QCOMPARE(counter, counterAfter);
    }

    // A hit animates without listing, the two frames after it list without animating,
    // the third is normal again; another hit starts the rule over.
    void triggerLevelSequence()
    {
        RouteContext context;
        context.triggerLevelOff = false;
        context.triggerLevelIndex = 64;
        context.expressionIsNote = true;
        int counter = 0;
        const QList<int> velocities = {64, 64, 10, 20, 64, 5, 6, 7};
        QList<PedalView> views;
        QList<bool> listed;
        for (int velocity : velocities) {
            QByteArray frame = hex("00903C00");
            frame[3] = char(velocity);
            const Route r = route(decode(frame, 2, false), context, counter);
            views << r.view;
            listed << r.listed;
        }
        const auto E = PedalView::Expression;
        const auto N = PedalView::None;
        QCOMPARE(views, (QList<PedalView>{E, N, N, E, E, N, N, E}));
        QCOMPARE(listed, (QList<bool>{false, true, true, true, false, true, true, true}));
    }

    void queueKeepsTheNewest()
    {
        QList<QByteArray> queue;
        QByteArray dropped;
        int drops = 0;
        for (int n = 0; n < maxQueuedFrames + 3; ++n) {
            if (enqueueBounded(queue, QByteArray::number(n), maxQueuedFrames, &dropped)) {
                ++drops;
                QCOMPARE(dropped, QByteArray::number(n - maxQueuedFrames));
            }
        }
        QCOMPARE(drops, 3);
        QCOMPARE(queue.size(), maxQueuedFrames);
        QCOMPARE(queue.first(), QByteArray("3"));
        QCOMPARE(queue.last(), QByteArray::number(maxQueuedFrames + 2));
    }
};

QTEST_GUILESS_MAIN(TestLiveDecoder)
#include "tst_live_decoder.moc"
