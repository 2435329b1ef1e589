#pragma once

#include "protocol/frames.h"

#include <QString>
#include <QVector>

// Arithmetic between the editor's plain values and the 24-byte configuration record,
// with no widget in sight. Values are list indexes as the editor holds them: value
// lists start at 0, channels at "1" (index = channel - 1), gain and curve at -50
// (index = value + 50). An index of -1 (a list without a current item) goes out as
// 0xFF, like every other index written as one byte.
namespace RecordCodec {

// Pages of the three event stacks.
enum ExpressionPage { ExpressionCc = 0, ExpressionNote = 1, ExpressionPitchBend = 2, ExpressionPressure = 3 };
enum SwitchPage {
    SwitchCc = 0,
    SwitchNote = 1,
    SwitchPc = 2,
    SwitchStop = 3,
    SwitchContinue = 4,
    SwitchStart = 5,
    SwitchTempo = 6,
};
enum HatPage { HatCc = 0, HatNote = 1 };

struct ExpressionValues {
    int page = ExpressionCc;
    int eventCode = 0;
    int channel = 0;
    int number = 0;   // controller or note number (CC and NOTE)
    int first = 0;    // minimum; channel pressure: first value
    int second = 127; // maximum; channel pressure: second value; pitch bend: 14 bits
    bool invert = false;
    int gain = 50;
    int curve = 50;
    int triggerLevel = 0; // 16 bits with Pitch Bend
    int pressNote = 0;
    int releaseNote = 0;
};

struct SwitchValues {
    int page = SwitchCc;
    int eventCode = 0;
    int channel = 0;
    int number = 0;   // controller or note number (CC and NOTE)
    int first = 0;    // minimum; PC: first program number
    int second = 127; // maximum; PC: second program number
    bool invert = false;
    int mode = 0;                 // trigger mode of the current page; byte 15 of every record
    bool modeIsLongPress = false; // the mode box shows "LongPress"
    bool longPressModel = false;  // the connected model knows the long press
    bool tempoSelected = false;   // the Tempo page's event box shows "Tempo"
};

struct HatValues {
    int page = HatCc;
    int eventCode = 0;
    int channel = 0;
    int number = 0;
    int first = 0;
    int second = 127;
    bool invert = false;
    int gain = 50;
    int curve = 50;
    int triggerLevel = 0;
    int pressNote = 0;
    int releaseNote = 0;
};

struct EditorValues {
    int pedal = 0;            // index of the pedal number list
    bool fourthPedal = false; // the pedal number list shows "4"
    int message = 0;
    // The shown pedal-type page decides bytes 8 and 9 and the trigger bytes; the
    // pedal-type selector decides the event and its data. The editor keeps the two in
    // step; 0 (no known type) leaves the bytes it would decide at 0.
    int pageType = Protocol::ExpressionPedal;
    int selectorType = Protocol::ExpressionPedal;
    int reach = 0; // reach percentage of the expression curve
    ExpressionValues expression;
    SwitchValues switchPedal;
    HatValues hat;
};

// The set request for the editor's values.
Protocol::MsgSetPandelAsk buildRecord(const EditorValues& values);

// A 14-bit pitch-bend value travels as two 7-bit parts.
inline quint8 high7(int value)
{
    return quint8((value >> 7) & 0x7F);
}
inline quint8 low7(int value)
{
    return quint8(value & 0x7F);
}
inline int join14(int high, int low)
{
    return (high << 7) | low;
}

// --- Reading a record back ---

// One step of loading a value range into the editor, in the order the steps must run:
// set the range's lower or upper control, or tick or clear the page's invert box.
struct RangeStep {
    enum Target { Minimum, Maximum, Invert };
    Target target;
    int value; // Invert: 1 ticked, 0 not ticked

    bool operator==(const RangeStep& other) const { return target == other.target && value == other.value; }
};
using RangeSteps = QVector<RangeStep>;

// Expression range of a record for the event page shown (Minimum and Maximum are the
// first and second value controls for channel pressure).
RangeSteps expressionRange(const Protocol::MsgSetPandelAsk& record, int page);
// Switch range for the switch event position (1 CC, 2 PC, 3 NOTE); other events: none.
RangeSteps switchRange(const Protocol::MsgSetPandelAsk& record, int eventMode);
RangeSteps hatRange(const Protocol::MsgSetPandelAsk& record);

// Trigger level of an expression record; 16 bits with Pitch Bend.
int expressionTriggerLevel(const Protocol::MsgSetPandelAsk& record, bool pitchBend);

// Whether an event code has a name in the nine-entry table.
bool knownEvent(int code);

// --- Queries ---

// Whether the Check button asks with the long query form (which names the pedal type),
// by the port's text, the pedal index and the reported capability value (-1: none).
bool wantsLongQuery(const QString& portText, int pedal, int capabilities);

} // namespace RecordCodec
