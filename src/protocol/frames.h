#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>

// Frames of the configuration dialogue with the controller. Every frame is a SysEx
// message: F0, manufacturer id 00 21 5E, a length-like byte, a command byte, ..., F7.
namespace Protocol {

// Device commands are kept as hex text; non-hex characters (blanks) are skipped.
QByteArray fromHexText(const char* hexText);

// The handshake request; the reply announces the number of pedal jacks.
struct MsgHandshadeAsk
{
    static constexpr std::array<quint8, 7> bytes{0xF0, 0x00, 0x21, 0x5E, 0x01, 0x01, 0xF7};
    static QByteArray frame();
};

// The 24-byte configuration record of one message slot: sent as the set request,
// received unchanged as the query reply.
struct MsgSetPandelAsk
{
    enum Byte {
        Length = 4,       // 0x10 in a set request; not examined in a reply
        Command = 5,      // 0x03 set request, 0x04 query reply
        Pedal = 6,        // pedal index, 0-based
        Message = 7,      // message slot 0..15
        PedalType = 8,    // 1 expression, 2 switch, 3 hi-hat
        Channel = 9,      // MIDI channel - 1
        Event = 10,       // event code
        Data1 = 11,       // event data, by type and event
        Data2 = 12,
        Data3 = 13,
        Data4 = 14,
        Mode = 15,        // switch trigger mode
        Gain = 16,        // gain + 50
        TriggerLow = 17,  // trigger level, bits 0..7
        PressNote = 18,
        ReleaseNote = 19,
        Curve = 20,       // curve + 50
        Reach = 21,       // reach percentage of the curve, sent only
        TriggerHigh = 22, // trigger level, bits 8..15 (expression pitch bend)
        End = 23,
    };
    static constexpr int size = 24;

    std::array<quint8, size> bytes{};

    // An empty set request: envelope, length and command filled, everything else 0.
    static MsgSetPandelAsk setRequest();
    // The record of a query reply; a 23-byte reply leaves the last byte 0.
    static MsgSetPandelAsk fromFrame(const QByteArray& frame);

    quint8& operator[](Byte b) { return bytes[size_t(b)]; }
    quint8 operator[](Byte b) const { return bytes[size_t(b)]; }
    QByteArray toByteArray() const;
};

// Pedal types as the record stores them.
enum PedalTypeCode { ExpressionPedal = 1, SwitchPedal = 2, HiHatPedal = 3 };

// Result codes of a set request (byte 7 of the 9-byte set result).
enum SetResultCode {
    SetStored = 0,
    SetWrongPedalNumber = 1,
    SetWrongPedalType = 2,
    SetTempoOnlyOnce = 3,
};

// Switch trigger modes (record byte 15).
enum TriggerMode { Single = 0, Toggle = 1, Reset = 2, Increase = 3, Decrease = 4, LongPress = 5 };

// Marker in the second value byte of a switch record with trigger mode LongPress.
constexpr quint8 longPressMarker = 0x80;

// Queries of one message slot; the long form also names the pedal type (0-based).
QByteArray queryShort(int pedal, int message);
QByteArray queryLong(int pedal, int message, int pedalType);
// Clears the message slots of one pedal.
QByteArray deleteRequest(int pedal);
// Returns the controller to its factory configuration: the delete request
// addressed to the pseudo pedal index 0x58. No reply is used.
QByteArray factoryResetFrame();

// The nine MIDI events, indexed by the event code of record byte 10.
// The names are also the texts of the event selectors.
QStringList eventNames();
QMap<QString, int> eventCodesByName();
// Code of an event name; names outside the table are sent as 0.
int eventCode(const QString& name);

// Decimal texts from..to inclusive; empty when to < from.
QStringList rangTxtArray(int from, int to);

} // namespace Protocol
