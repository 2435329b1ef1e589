// Record arithmetic without a window: the set request built from plain editor values,
// the rules that read a record back, and the choice of the query form.
#include "protocol/record_codec.h"

#include <QTest>

#include <functional>

using Protocol::MsgSetPandelAsk;
using RecordCodec::EditorValues;
using RecordCodec::RangeStep;
using RecordCodec::RangeSteps;

Q_DECLARE_METATYPE(RecordCodec::EditorValues)
Q_DECLARE_METATYPE(RecordCodec::RangeSteps)

namespace {

// A record as the controller would send it back: command 04, then the given bytes 6..22.
MsgSetPandelAsk reply(const char* bytes6to22)
{
    return MsgSetPandelAsk::fromFrame(QByteArray::fromHex("F0 00 21 5E 10 04") +
                                      QByteArray::fromHex(bytes6to22) + QByteArray::fromHex("F7"));
}

QString describe(const RangeSteps& steps)
{
    QStringList parts;
    for (const RangeStep& step : steps) {
        const char* target = step.target == RangeStep::Minimum   ? "min"
                             : step.target == RangeStep::Maximum ? "max"
                                                                 : "invert";
        parts << QStringLiteral("%1=%2").arg(QLatin1String(target)).arg(step.value);
    }
    return parts.join(QLatin1Char(' '));
}

// Min, max and invert after running the steps on a range that starts at 0 ... 127.
struct Shown {
    int min = 0, max = 127;
    int invert = -1; // -1: left as it was
};

Shown run(const RangeSteps& steps)
{
    Shown shown;
    for (const RangeStep& step : steps) {
        if (step.target == RangeStep::Minimum)
            shown.min = step.value;
        else if (step.target == RangeStep::Maximum)
            shown.max = step.value;
        else
            shown.invert = step.value;
    }
    return shown;
}

EditorValues with(const std::function<void(EditorValues&)>& change)
{
    EditorValues v;
    change(v);
    return v;
}

} // namespace

class TestRecordCodec : public QObject
{
    Q_OBJECT

private slots:
    void buildRecord_data()
    {
        QTest::addColumn<EditorValues>("values");
        QTest::addColumn<QByteArray>("expected");
        using namespace RecordCodec;

        // Record bytes from 6: pedal, message, type, channel, event, data 1-4, mode, gain,
        // trigger low, press note, release note, curve, reach, trigger high.
        QTest::newRow("expression CC, the worked example") << with([](EditorValues& v) {
            v.expression.number = 11;
            v.reach = 0x2A;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 00 00 0B 00 00 7F 00 32 00 00 00 32 2A 00 F7");
        QTest::newRow("expression CC inverted, every byte set") << with([](EditorValues& v) {
            v.pedal = 2;
            v.message = 5;
            v.expression = {ExpressionCc, 0, 3, 7, 20, 100, true, 70, 30, 64, 36, 38};
            v.reach = 83;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 02 05 01 03 00 07 00 64 14 00 46 40 24 26 1E 53 00 F7");
        QTest::newRow("expression NOTE") << with([](EditorValues& v) {
            v.expression = {ExpressionNote, 2, 9, 60, 10, 90, false, 50, 50, 0, 0, 0};
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 09 02 3C 00 0A 5A 00 32 00 00 00 32 00 00 F7");
        QTest::newRow("expression Pitch Bend 0 ... 16383") << with([](EditorValues& v) {
            v.expression = {ExpressionPitchBend, 3, 0, 0, 0, 16383, false, 50, 50, 0, 0, 0};
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 00 03 00 7F 00 7F 00 32 00 00 00 32 00 00 F7");
        // 15000 = 117 * 128 + 24, 1000 = 7 * 128 + 104; trigger 300 = 0x012C.
        QTest::newRow("expression Pitch Bend inverted, 16-bit trigger") << with([](EditorValues& v) {
            v.expression = {ExpressionPitchBend, 3, 1, 0, 1000, 15000, true, 50, 50, 300, 0, 0};
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 01 03 75 07 18 68 00 32 2C 00 00 32 00 01 F7");
        QTest::newRow("expression Channel Pressure") << with([](EditorValues& v) {
            v.expression = {ExpressionPressure, 4, 15, 0, 5, 120, false, 40, 60, 0, 0, 0};
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 0F 04 05 78 00 00 00 28 00 00 00 3C 00 00 F7");
        QTest::newRow("expression Channel Pressure inverted") << with([](EditorValues& v) {
            v.expression = {ExpressionPressure, 4, 15, 0, 5, 120, true, 40, 60, 0, 0, 0};
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 0F 04 78 05 00 00 00 28 00 00 00 3C 00 00 F7");
        QTest::newRow("expression record carries the switch page's trigger mode")
            << with([](EditorValues& v) { v.switchPedal.mode = Protocol::Toggle; })
            << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 01 00 00 00 00 00 7F 01 32 00 00 00 32 00 00 F7");

        const auto switchCc = [](EditorValues& v) {
            v.pageType = v.selectorType = Protocol::SwitchPedal;
            v.pedal = 1;
            v.message = 15;
            v.switchPedal.page = SwitchCc;
            v.switchPedal.channel = 4;
            v.switchPedal.number = 64;
            v.switchPedal.first = 30;
            v.switchPedal.second = 100;
            v.switchPedal.longPressModel = true;
        };
        QTest::newRow("switch CC Single sends the first value only") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.invert = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 1E 00 00 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch CC Toggle") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.mode = Protocol::Toggle;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 1E 64 01 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch CC Toggle inverted") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.mode = Protocol::Toggle;
            v.switchPedal.invert = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 64 1E 01 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch CC LongPress ticked: marker") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.mode = Protocol::LongPress;
            v.switchPedal.modeIsLongPress = true;
            v.switchPedal.invert = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 1E 80 05 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch CC LongPress not ticked: both values") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.mode = Protocol::LongPress;
            v.switchPedal.modeIsLongPress = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 1E 64 05 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch CC LongPress ticked, model without long press") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.mode = Protocol::LongPress;
            v.switchPedal.modeIsLongPress = true;
            v.switchPedal.invert = true;
            v.switchPedal.longPressModel = false;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 64 1E 05 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch CC index 5 named otherwise: no marker") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.mode = 5;
            v.switchPedal.invert = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 00 40 00 64 1E 05 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch NOTE Reset") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.page = SwitchNote;
            v.switchPedal.eventCode = 2;
            v.switchPedal.mode = Protocol::Reset;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 02 40 00 1E 64 02 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch PC Single") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.page = SwitchPc;
            v.switchPedal.eventCode = 1;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 01 1E 00 00 00 00 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch PC Decrease inverted") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.page = SwitchPc;
            v.switchPedal.eventCode = 1;
            v.switchPedal.mode = Protocol::Decrease;
            v.switchPedal.invert = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 01 64 1E 00 00 04 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch PC LongPress") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.page = SwitchPc;
            v.switchPedal.eventCode = 1;
            v.switchPedal.mode = Protocol::LongPress;
            v.switchPedal.modeIsLongPress = true;
            v.switchPedal.invert = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 04 01 1E 80 00 00 05 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch Start: no data bytes") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.page = SwitchStart;
            v.switchPedal.eventCode = 5;
            v.switchPedal.channel = 0;
            v.switchPedal.mode = Protocol::Toggle;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 00 05 00 00 00 00 01 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch Tempo on the second pedal") << with([&](EditorValues& v) {
            switchCc(v);
            v.switchPedal.page = SwitchTempo;
            v.switchPedal.eventCode = 8;
            v.switchPedal.channel = 0;
            v.switchPedal.tempoSelected = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 01 0F 02 00 08 00 00 01 F4 00 00 00 00 00 00 00 00 F7");
        QTest::newRow("switch Tempo on the fourth pedal") << with([&](EditorValues& v) {
            switchCc(v);
            v.pedal = 3;
            v.fourthPedal = true;
            v.switchPedal.page = SwitchTempo;
            v.switchPedal.eventCode = 8;
            v.switchPedal.channel = 0;
            v.switchPedal.tempoSelected = true;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 03 0F 02 00 08 00 00 00 00 00 00 00 00 00 00 00 00 F7");
        QTest::newRow("hi-hat CC with trigger and notes") << with([](EditorValues& v) {
            v.pageType = v.selectorType = Protocol::HiHatPedal;
            v.hat = {HatCc, 0, 10, 4, 0, 127, false, 60, 40, 20, 42, 44};
            v.reach = 100;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 03 0A 00 04 00 00 7F 00 3C 14 2A 2C 28 64 00 F7");
        QTest::newRow("hi-hat NOTE inverted") << with([](EditorValues& v) {
            v.pageType = v.selectorType = Protocol::HiHatPedal;
            v.hat = {HatNote, 2, 1, 46, 1, 120, true, 50, 50, 0, 0, 0};
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 00 03 01 02 2E 00 78 01 00 32 00 00 00 32 00 00 F7");
        QTest::newRow("no pedal selected goes out as FF")
            << with([](EditorValues& v) { v.pedal = -1; })
            << QByteArray::fromHex("F0 00 21 5E 10 03 FF 00 01 00 00 00 00 00 7F 00 32 00 00 00 32 00 00 F7");
        QTest::newRow("no pedal type: envelope, numbers and mode only") << with([](EditorValues& v) {
            v.pageType = v.selectorType = 0;
            v.message = 3;
            v.switchPedal.mode = Protocol::Increase;
        }) << QByteArray::fromHex("F0 00 21 5E 10 03 00 03 00 00 00 00 00 00 00 03 00 00 00 00 00 00 00 F7");
    }
    void buildRecord()
    {
        QFETCH(EditorValues, values);
        QFETCH(QByteArray, expected);
        QCOMPARE(RecordCodec::buildRecord(values).toByteArray().toHex(' '), expected.toHex(' '));
    }

    void readBack_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("event");
        QTest::addColumn<QByteArray>("record"); // bytes 6..22
        QTest::addColumn<QString>("steps");

        // Record bytes from 6: pedal, message, type, channel, event, data 1-4, mode, gain,
        // trigger low, press note, release note, curve, reach, trigger high.
        QTest::newRow("expression CC 100/20 is inverted")
            << "expression" << 0 << QByteArray("00 00 01 00 00 0B 00 64 14 00 32 00 00 00 32 00 00")
            << "invert=1 min=20 max=100";
        QTest::newRow("expression CC equal values are not inverted")
            << "expression" << 0 << QByteArray("00 00 01 00 00 0B 00 32 32 00 32 00 00 00 32 00 00")
            << "invert=0 max=50 min=50";
        QTest::newRow("expression CC first value 0")
            << "expression" << 0 << QByteArray("00 00 01 00 00 0B 00 00 7F 00 32 00 00 00 32 00 00")
            << "min=0 max=127 invert=0";
        QTest::newRow("expression NOTE 10/90")
            << "expression" << 1 << QByteArray("00 00 01 00 02 3C 00 0A 5A 00 32 00 00 00 32 00 00")
            << "invert=0 max=90 min=10";
        QTest::newRow("expression Pitch Bend full range")
            << "expression" << 2 << QByteArray("00 00 01 00 03 00 7F 00 7F 00 32 00 00 00 32 00 00")
            << "max=16383 min=0 invert=0";
        QTest::newRow("expression Pitch Bend inverted 15000/1000")
            << "expression" << 2 << QByteArray("00 00 01 00 03 75 07 18 68 00 32 00 00 00 32 00 00")
            << "max=15000 min=1000 invert=1";
        // Low parts 100 and 72 alone would call this range inverted.
        QTest::newRow("expression Pitch Bend 100 ... 200 compared as whole values")
            << "expression" << 2 << QByteArray("00 00 01 00 03 00 01 64 48 00 32 00 00 00 32 00 00")
            << "max=200 min=100 invert=0";
        QTest::newRow("expression Channel Pressure inverted")
            << "expression" << 3 << QByteArray("00 00 01 00 04 78 05 00 00 00 32 00 00 00 32 00 00")
            << "min=5 max=120 invert=1";
        QTest::newRow("expression Channel Pressure equal")
            << "expression" << 3 << QByteArray("00 00 01 00 04 40 40 00 00 00 32 00 00 00 32 00 00")
            << "min=64 max=64 invert=0";
        QTest::newRow("switch CC Toggle 100/20 is inverted")
            << "switch" << 1 << QByteArray("00 00 02 00 00 0B 00 64 14 01 00 00 00 00 00 00 00")
            << "min=20 max=100 invert=1";
        QTest::newRow("switch CC Toggle equal values tick invert")
            << "switch" << 1 << QByteArray("00 00 02 00 00 0B 00 32 32 01 00 00 00 00 00 00 00")
            << "min=50 max=50 invert=1";
        QTest::newRow("switch CC Toggle 20/100: maximum first")
            << "switch" << 1 << QByteArray("00 00 02 00 00 0B 00 14 64 01 00 00 00 00 00 00 00")
            << "max=100 min=20 invert=0";
        QTest::newRow("switch NOTE Toggle 20/100: minimum first")
            << "switch" << 3 << QByteArray("00 00 02 00 02 0B 00 14 64 01 00 00 00 00 00 00 00")
            << "min=20 max=100 invert=0";
        QTest::newRow("switch CC Single: first value, invert left alone")
            << "switch" << 1 << QByteArray("00 00 02 00 00 0B 00 1E 00 00 00 00 00 00 00 00 00") << "min=30";
        QTest::newRow("switch CC LongPress marker ticks invert")
            << "switch" << 1 << QByteArray("00 00 02 00 00 0B 00 1E 80 05 00 00 00 00 00 00 00")
            << "min=30 invert=1";
        QTest::newRow("switch CC LongPress without marker")
            << "switch" << 1 << QByteArray("00 00 02 00 00 0B 00 1E 64 05 00 00 00 00 00 00 00")
            << "max=100 min=30 invert=0";
        QTest::newRow("switch PC Single")
            << "switch" << 2 << QByteArray("00 00 02 00 01 0C 00 00 00 00 00 00 00 00 00 00 00") << "min=12";
        QTest::newRow("switch PC Increase 12/40")
            << "switch" << 2 << QByteArray("00 00 02 00 01 0C 28 00 00 03 00 00 00 00 00 00 00")
            << "min=12 max=40 invert=0";
        QTest::newRow("switch PC equal values tick invert")
            << "switch" << 2 << QByteArray("00 00 02 00 01 0C 0C 00 00 03 00 00 00 00 00 00 00")
            << "min=12 max=12 invert=1";
        QTest::newRow("switch PC LongPress marker")
            << "switch" << 2 << QByteArray("00 00 02 00 01 0C 80 00 00 05 00 00 00 00 00 00 00")
            << "min=12 invert=1";
        QTest::newRow("switch Stop: no range")
            << "switch" << 4 << QByteArray("00 00 02 00 07 00 00 00 00 01 00 00 00 00 00 00 00") << "";
        QTest::newRow("hi-hat inverted")
            << "hat" << 1 << QByteArray("00 00 03 00 00 04 00 64 14 00 32 00 00 00 32 00 00")
            << "invert=1 max=100 min=20";
        QTest::newRow("hi-hat plain")
            << "hat" << 2 << QByteArray("00 00 03 00 02 04 00 01 78 00 32 00 00 00 32 00 00")
            << "invert=0 min=1 max=120";
    }
    void readBack()
    {
        QFETCH(QString, kind);
        QFETCH(int, event);
        QFETCH(QByteArray, record);
        QFETCH(QString, steps);
        const MsgSetPandelAsk r = reply(record.constData());
        RangeSteps got;
        if (kind == QLatin1String("expression"))
            got = RecordCodec::expressionRange(r, event);
        else if (kind == QLatin1String("switch"))
            got = RecordCodec::switchRange(r, event);
        else
            got = RecordCodec::hatRange(r);
        QCOMPARE(describe(got), steps);
    }

    // Every range the editor can hold comes back as it went out, except the direction of
    // a range whose two values are equal, which the record cannot carry.
    void rangeRoundTrip_data()
    {
        QTest::addColumn<int>("kind"); // 0 expression CC, 1 pitch bend, 2 pressure, 3 hi-hat, 4 switch CC
                                       // Toggle, 5 switch PC Toggle
        QTest::addColumn<int>("top");
        QTest::newRow("expression CC") << 0 << 127;
        QTest::newRow("expression Pitch Bend") << 1 << 16383;
        QTest::newRow("expression Channel Pressure") << 2 << 127;
        QTest::newRow("hi-hat CC") << 3 << 127;
        QTest::newRow("switch CC Toggle") << 4 << 127;
        QTest::newRow("switch PC Toggle") << 5 << 127;
    }
    void rangeRoundTrip()
    {
        QFETCH(int, kind);
        QFETCH(int, top);
        using namespace RecordCodec;
        QVector<int> values;
        const int stride = top > 127 ? 131 : 7;
        for (int x = 0; x <= top; x += stride)
            values << x;
        values << 1 << 126 << 127 << 128 << 129 << 255 << top - 1 << top;
        for (int first : qAsConst(values)) {
            for (int second : qAsConst(values)) {
                if (first > second || second > top)
                    continue;
                for (bool invert : {false, true}) {
                    EditorValues v;
                    RangeSteps steps;
                    switch (kind) {
                    case 0:
                    case 1:
                    case 2:
                        v.expression.page = kind == 0   ? ExpressionCc
                                            : kind == 1 ? ExpressionPitchBend
                                                        : ExpressionPressure;
                        v.expression.first = first;
                        v.expression.second = second;
                        v.expression.invert = invert;
                        steps = expressionRange(RecordCodec::buildRecord(v), v.expression.page);
                        break;
                    case 3:
                        v.pageType = v.selectorType = Protocol::HiHatPedal;
                        v.hat.first = first;
                        v.hat.second = second;
                        v.hat.invert = invert;
                        steps = hatRange(RecordCodec::buildRecord(v));
                        break;
                    default:
                        v.pageType = v.selectorType = Protocol::SwitchPedal;
                        v.switchPedal.page = kind == 4 ? SwitchCc : SwitchPc;
                        v.switchPedal.mode = Protocol::Toggle;
                        v.switchPedal.first = first;
                        v.switchPedal.second = second;
                        v.switchPedal.invert = invert;
                        steps = switchRange(RecordCodec::buildRecord(v), kind == 4 ? 1 : 2);
                        break;
                    }
                    const Shown shown = run(steps);
                    // Equal values cannot carry the direction: the switch rules tick the
                    // box, the others clear it.
                    const bool switchPedal = kind >= 4;
                    const int expectedInvert = first == second ? (switchPedal ? 1 : 0) : int(invert);
                    const QString where = QStringLiteral("first %1 second %2 invert %3: %4")
                                              .arg(first)
                                              .arg(second)
                                              .arg(invert)
                                              .arg(describe(steps));
                    QVERIFY2(shown.min == first && shown.max == second && shown.invert == expectedInvert,
                             qPrintable(where));
                }
            }
        }
    }

    void expressionTriggerLevel()
    {
        const MsgSetPandelAsk r = reply("00 00 01 00 03 00 7F 00 7F 00 32 2C 00 00 32 00 01");
        QCOMPARE(RecordCodec::expressionTriggerLevel(r, true), 300);
        QCOMPARE(RecordCodec::expressionTriggerLevel(r, false), 0x2C);
    }

    void knownEvents()
    {
        QVERIFY(RecordCodec::knownEvent(0));
        QVERIFY(RecordCodec::knownEvent(8));
        QVERIFY(!RecordCodec::knownEvent(9));
        QVERIFY(!RecordCodec::knownEvent(0xFF));
        QVERIFY(!RecordCodec::knownEvent(-1));
    }

    void queryForm_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("caps");
        QTest::addColumn<QList<bool>>("longForPedals"); // pedal indexes 0 .. 4
        QTest::newRow("10, capability 2: only its pedal")
            << "Quorvane ZRT-10" << 2 << QList<bool>{false, true, false, false, false};
        QTest::newRow("10, capability 0: always long")
            << "Quorvane ZRT-10" << 0 << QList<bool>{true, true, true, true, true};
        QTest::newRow("10, capability 9: no pedal of ours")
            << "Quorvane ZRT-10" << 9 << QList<bool>{false, false, false, false, false};
        QTest::newRow("10, no report: short")
            << "Quorvane ZRT-10" << -1 << QList<bool>{false, false, false, false, false};
        QTest::newRow("20, capability 0x05: pedals 1 and 3")
            << "Quorvane ZRT-20" << 0x05 << QList<bool>{true, false, true, false, false};
        QTest::newRow("20, capability 0x0F: all four, short")
            << "Quorvane ZRT-20" << 0x0F << QList<bool>{false, false, false, false, false};
        QTest::newRow("20, capability 0x1F: all four, short")
            << "Quorvane ZRT-20" << 0x1F << QList<bool>{false, false, false, false, false};
        QTest::newRow("20, capability 0x18: bit 3 only, fifth pedal never")
            << "Quorvane ZRT-20" << 0x18 << QList<bool>{false, false, false, true, false};
        QTest::newRow("20, capability 0: always long")
            << "Quorvane ZRT-20" << 0 << QList<bool>{true, true, true, true, true};
        QTest::newRow("20, no report: short")
            << "Quorvane ZRT-20" << -1 << QList<bool>{false, false, false, false, false};
        QTest::newRow("other model: short")
            << "Quorvane ZRT-30" << 0 << QList<bool>{false, false, false, false, false};
        QTest::newRow("both numbers: 10 decides")
            << "Quorvane 20-10" << 1 << QList<bool>{true, false, false, false, false};
    }
    void queryForm()
    {
        QFETCH(QString, port);
        QFETCH(int, caps);
        QFETCH(QList<bool>, longForPedals);
        for (int pedal = 0; pedal < longForPedals.size(); ++pedal)
            QVERIFY2(RecordCodec::wantsLongQuery(port, pedal, caps) == longForPedals.at(pedal),
                     qPrintable(QStringLiteral("pedal index %1").arg(pedal)));
        // Without a pedal selected (index -1) only capability 0 asks in the long form.
        QCOMPARE(RecordCodec::wantsLongQuery(port, -1, caps),
                 caps == 0 && (port.contains(QLatin1String("10")) || port.contains(QLatin1String("20"))));
    }
};

QTEST_APPLESS_MAIN(TestRecordCodec)
#include "tst_record_codec.moc"
