#include "protocol/record_codec.h"

namespace RecordCodec {

using Protocol::MsgSetPandelAsk;
using Step = RangeStep;

namespace {

quint8 byteOf(int value)
{
    return quint8(value & 0xFF);
}

// First and second value in sending order: an inverted pedal sends them the other way.
std::pair<int, int> ordered(int first, int second, bool invert)
{
    return invert ? std::make_pair(second, first) : std::make_pair(first, second);
}

void putExpressionData(MsgSetPandelAsk& r, const ExpressionValues& ex)
{
    r[MsgSetPandelAsk::Event] = byteOf(ex.eventCode);
    r[MsgSetPandelAsk::Gain] = byteOf(ex.gain);
    r[MsgSetPandelAsk::Curve] = byteOf(ex.curve);
    const auto [a, b] = ordered(ex.first, ex.second, ex.invert);
    switch (ex.page) {
    case ExpressionCc:
    case ExpressionNote:
        r[MsgSetPandelAsk::Data1] = byteOf(ex.number);
        r[MsgSetPandelAsk::Data2] = 0;
        r[MsgSetPandelAsk::Data3] = byteOf(a);
        r[MsgSetPandelAsk::Data4] = byteOf(b);
        break;
    case ExpressionPitchBend:
        r[MsgSetPandelAsk::Data1] = high7(a);
        r[MsgSetPandelAsk::Data3] = low7(a);
        r[MsgSetPandelAsk::Data2] = high7(b);
        r[MsgSetPandelAsk::Data4] = low7(b);
        break;
    case ExpressionPressure:
        r[MsgSetPandelAsk::Data1] = byteOf(a);
        r[MsgSetPandelAsk::Data2] = byteOf(b);
        r[MsgSetPandelAsk::Data3] = 0;
        r[MsgSetPandelAsk::Data4] = 0;
        break;
    default:
        break;
    }
}

// Values of a switch page with a trigger mode: Single sends the first value only; a
// long press sends the first value and the marker in place of the second.
std::pair<int, int> switchValuePair(const SwitchValues& sw)
{
    if (sw.mode == Protocol::Single)
        return {sw.first, 0};
    if (sw.invert && sw.longPressModel && sw.modeIsLongPress)
        return {sw.first, Protocol::longPressMarker};
    return ordered(sw.first, sw.second, sw.invert);
}

void putSwitchData(MsgSetPandelAsk& r, const SwitchValues& sw)
{
    r[MsgSetPandelAsk::Event] = byteOf(sw.eventCode);
    switch (sw.page) {
    case SwitchCc:
    case SwitchNote: {
        const auto [a, b] = switchValuePair(sw);
        r[MsgSetPandelAsk::Data1] = byteOf(sw.number);
        r[MsgSetPandelAsk::Data2] = 0;
        r[MsgSetPandelAsk::Data3] = byteOf(a);
        r[MsgSetPandelAsk::Data4] = byteOf(b);
        break;
    }
    case SwitchPc: {
        const auto [a, b] = switchValuePair(sw);
        r[MsgSetPandelAsk::Data1] = byteOf(a);
        r[MsgSetPandelAsk::Data2] = byteOf(b);
        r[MsgSetPandelAsk::Data3] = 0;
        r[MsgSetPandelAsk::Data4] = 0;
        break;
    }
    default: // Stop, Continue, Start and Tempo carry no data
        break;
    }
}

void putHatData(MsgSetPandelAsk& r, const HatValues& hat)
{
    r[MsgSetPandelAsk::Event] = byteOf(hat.eventCode);
    if (hat.page != HatCc && hat.page != HatNote)
        return;
    const auto [a, b] = ordered(hat.first, hat.second, hat.invert);
    r[MsgSetPandelAsk::Data1] = byteOf(hat.number);
    r[MsgSetPandelAsk::Data3] = byteOf(a);
    r[MsgSetPandelAsk::Data4] = byteOf(b);
    r[MsgSetPandelAsk::Gain] = byteOf(hat.gain);
    r[MsgSetPandelAsk::Curve] = byteOf(hat.curve);
}

} // namespace

MsgSetPandelAsk buildRecord(const EditorValues& v)
{
    MsgSetPandelAsk r = MsgSetPandelAsk::setRequest();
    r[MsgSetPandelAsk::Message] = byteOf(v.message);

    const bool pitchBend = v.expression.page == ExpressionPitchBend;
    switch (v.pageType) {
    case Protocol::ExpressionPedal:
        r[MsgSetPandelAsk::PedalType] = Protocol::ExpressionPedal;
        r[MsgSetPandelAsk::Channel] = byteOf(v.expression.channel);
        r[MsgSetPandelAsk::PressNote] = byteOf(v.expression.pressNote);
        r[MsgSetPandelAsk::ReleaseNote] = byteOf(v.expression.releaseNote);
        // Pitch bend triggers on a 16-bit level split over two bytes.
        r[MsgSetPandelAsk::TriggerLow] = byteOf(v.expression.triggerLevel);
        if (pitchBend)
            r[MsgSetPandelAsk::TriggerHigh] = byteOf(v.expression.triggerLevel >> 8);
        break;
    case Protocol::SwitchPedal:
        r[MsgSetPandelAsk::PedalType] = Protocol::SwitchPedal;
        r[MsgSetPandelAsk::Channel] = byteOf(v.switchPedal.channel);
        break;
    case Protocol::HiHatPedal:
        r[MsgSetPandelAsk::PedalType] = Protocol::HiHatPedal;
        r[MsgSetPandelAsk::Channel] = byteOf(v.hat.channel);
        r[MsgSetPandelAsk::TriggerLow] = byteOf(v.hat.triggerLevel);
        r[MsgSetPandelAsk::PressNote] = byteOf(v.hat.pressNote);
        r[MsgSetPandelAsk::ReleaseNote] = byteOf(v.hat.releaseNote);
        break;
    default:
        break;
    }

    // The device reads the trigger mode for switches only, but it goes out for every type.
    r[MsgSetPandelAsk::Mode] = byteOf(v.switchPedal.mode);

    switch (v.selectorType) {
    case Protocol::ExpressionPedal:
        putExpressionData(r, v.expression);
        break;
    case Protocol::SwitchPedal:
        putSwitchData(r, v.switchPedal);
        break;
    case Protocol::HiHatPedal:
        putHatData(r, v.hat);
        break;
    default:
        break;
    }

    r[MsgSetPandelAsk::Pedal] = byteOf(v.pedal);
    r[MsgSetPandelAsk::Reach] = byteOf(v.reach);

    // Tempo: every pedal but the fourth sends 0x01F4 (500) in the value bytes.
    if (v.pageType == Protocol::SwitchPedal && v.switchPedal.tempoSelected && !v.fourthPedal) {
        r[MsgSetPandelAsk::Data3] = 0x01;
        r[MsgSetPandelAsk::Data4] = 0xF4;
    }
    return r;
}

RangeSteps expressionRange(const MsgSetPandelAsk& r, int page)
{
    const int d1 = r[MsgSetPandelAsk::Data1], d2 = r[MsgSetPandelAsk::Data2];
    const int d3 = r[MsgSetPandelAsk::Data3], d4 = r[MsgSetPandelAsk::Data4];
    switch (page) {
    case ExpressionCc:
    case ExpressionNote:
        if (d3 == 0)
            return {{Step::Minimum, 0}, {Step::Maximum, d4}, {Step::Invert, 0}};
        if (d4 < d3)
            return {{Step::Invert, 1}, {Step::Minimum, d4}, {Step::Maximum, d3}};
        return {{Step::Invert, 0}, {Step::Maximum, d4}, {Step::Minimum, d3}};
    case ExpressionPitchBend: {
        // Compared as whole 14-bit values: the low parts alone would call 100 ... 200
        // (low parts 100 and 72) inverted and load a minimum above the maximum.
        const int first = join14(d1, d3), second = join14(d2, d4);
        if (second < first)
            return {{Step::Maximum, first}, {Step::Minimum, second}, {Step::Invert, 1}};
        return {{Step::Maximum, second}, {Step::Minimum, first}, {Step::Invert, 0}};
    }
    case ExpressionPressure:
        return {
            {Step::Minimum, qMin(d1, d2)}, {Step::Maximum, qMax(d1, d2)}, {Step::Invert, d2 < d1 ? 1 : 0}};
    default:
        return {};
    }
}

RangeSteps switchRange(const MsgSetPandelAsk& r, int eventMode)
{
    const int mode = r[MsgSetPandelAsk::Mode];
    const int d1 = r[MsgSetPandelAsk::Data1], d2 = r[MsgSetPandelAsk::Data2];
    const int d3 = r[MsgSetPandelAsk::Data3], d4 = r[MsgSetPandelAsk::Data4];
    switch (eventMode) {
    case 1: // CC
    case 3: // NOTE
        if (mode == Protocol::Single)
            return {{Step::Minimum, d3}};
        if (mode == Protocol::LongPress && d4 == Protocol::longPressMarker)
            return {{Step::Minimum, d3}, {Step::Invert, 1}};
        if (d4 <= d3)
            return {{Step::Minimum, d4}, {Step::Maximum, d3}, {Step::Invert, 1}};
        if (eventMode == 1)
            return {{Step::Maximum, d4}, {Step::Minimum, d3}, {Step::Invert, 0}};
        return {{Step::Minimum, d3}, {Step::Maximum, d4}, {Step::Invert, 0}};
    case 2: // PC
        if (mode == Protocol::Single)
            return {{Step::Minimum, d1}};
        if (mode == Protocol::LongPress && d2 == Protocol::longPressMarker)
            return {{Step::Minimum, d1}, {Step::Invert, 1}};
        if (d1 < d2)
            return {{Step::Minimum, d1}, {Step::Maximum, d2}, {Step::Invert, 0}};
        return {{Step::Minimum, d2}, {Step::Maximum, d1}, {Step::Invert, 1}};
    default:
        return {};
    }
}

RangeSteps hatRange(const MsgSetPandelAsk& r)
{
    const int d3 = r[MsgSetPandelAsk::Data3], d4 = r[MsgSetPandelAsk::Data4];
    if (d4 < d3)
        return {{Step::Invert, 1}, {Step::Maximum, d3}, {Step::Minimum, d4}};
    return {{Step::Invert, 0}, {Step::Minimum, d3}, {Step::Maximum, d4}};
}

int expressionTriggerLevel(const MsgSetPandelAsk& r, bool pitchBend)
{
    const int low = r[MsgSetPandelAsk::TriggerLow];
    return pitchBend ? (r[MsgSetPandelAsk::TriggerHigh] << 8) | low : low;
}

bool knownEvent(int code)
{
    return code >= 0 && code < Protocol::eventNames().size();
}

bool wantsLongQuery(const QString& portText, int pedal, int capabilities)
{
    if (capabilities < 0) // no capability report yet
        return false;
    if (portText.contains(QLatin1String("10")))
        return capabilities == pedal + 1 || capabilities == 0;
    if (portText.contains(QLatin1String("20"))) {
        // Bit n of the capability value stands for pedal n of the first four.
        const bool own = pedal >= 0 && pedal <= 3 && (capabilities >> pedal) & 1;
        const bool allFour = (capabilities & 0x0F) == 0x0F;
        return (own && !allFour) || capabilities == 0;
    }
    return false;
}

} // namespace RecordCodec
