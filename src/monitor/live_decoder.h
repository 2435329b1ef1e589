#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Live pedal data: while the pedals are played the controller reports every MIDI
// message it sends as a 4-byte frame:
//   byte 0  header; the high four bits are the 0-based message number
//   byte 1  MIDI status (0x80..0xEF) or real-time byte (F8 clock, FA start, FB continue, FC stop)
//   byte 2  data1
//   byte 3  data2
// Missing bytes of a shorter frame read as 0. Nothing here touches a widget.
namespace LiveDecoder {

constexpr int maxQueuedFrames = 250; // frames waiting for the drain; the oldest go first
constexpr int drainBatch = 25;       // frames handled between two event-loop passes
constexpr int maxTableRows = 1000;   // rows kept per table

// Text of a field that a frame does not fill.
QString placeholder();

// Pedal types as the pedal-type selector orders them.
enum PedalType { ExpressionPedal = 0, SwitchPedal = 1, HiHatPedal = 2 };

struct Decoded
{
    bool empty = true;      // an empty frame carries nothing and is dropped
    int messageNumber = 0;  // high four bits of the header
    int status = 0;
    int data1 = 0;
    int data2 = 0;
    bool realtime = false;  // F8, FA, FB, FC
    // The four table columns and the value handed to the pedal views; "--" when unused.
    QString event;
    QString number;
    QString value;
    QString channel;
    QString data1Text;
};

// Decodes one frame. Note numbers are named with the given convention (see
// MidiNames::noteName); controller numbers carry their name when withControllerNames.
Decoded decode(const QByteArray& frame, int noteConvention, bool withControllerNames);

// The message-number filter: with the page's filter on, or on no known page, only
// frames of the selected message number pass.
bool passesMessageFilter(int pedalType, bool filterChecked, int messageNumber, int selectedMessage);

// A column text as a number: the decimal integer it holds, 0 for anything else
// ("--", "60/C3").
int numberOf(const QString& text);

// Where a decoded (not real-time) frame goes.
enum class PedalView { None, Expression, Switch, HiHat };
struct Route
{
    PedalView view = PedalView::None;
    bool listed = true;
};

// What the routing reads from the editor.
struct RouteContext
{
    int pedalType = ExpressionPedal;
    bool triggerLevelOff = true;   // the expression trigger level reads "OFF"
    int triggerLevelIndex = 0;     // its current index
    bool expressionIsNote = false; // the expression event is NOTE
    bool hatIsControlChange = true;
};

// Routes a frame to the page's pedal view and decides whether it is listed.
// ignoreCounter carries the trigger-level rule from frame to frame: a note whose
// velocity equals the trigger level animates without being listed, and the two
// frames after it are listed without animating.
Route route(const Decoded& frame, const RouteContext& context, int& ignoreCounter);

// Appends a frame to the waiting frames (oldest first), keeping at most capacity:
// when full, the oldest frame is dropped first. True when a frame was dropped; it is
// handed back through dropped.
bool enqueueBounded(QList<QByteArray>& queue, const QByteArray& frame, int capacity = maxQueuedFrames,
                    QByteArray* dropped = nullptr);

} // namespace LiveDecoder
