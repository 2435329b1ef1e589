#pragma once

#include "protocol/msg_package.h"

#include <QByteArray>
#include <QList>

// The controller sends three kinds of traffic over one port: SysEx replies
// (F0 ... F7), 4-byte live MIDI event packets, and bootloader text lines
// (AA CC N payload CR LF). These functions split a receive buffer into them;
// SerialPort::readDataSlot drives them on every read.
namespace ReceiveFraming {

// The longest frame the controller sends (a query reply). A pending frame that grows
// beyond it without an end byte cannot be a reply and is dropped.
constexpr int maxFrameLength = 24;

// Status bytes of live events: channel messages 0x80..0xEF and the real-time
// messages clock, start, continue and stop.
bool isEventStatus(quint8 status);

// Event pass over a copy of the buffer: walks it in 4-byte steps, skipping whole
// bootloader lines, and returns the live event packets found, in order. Groups that
// are not events are dropped (and logged); the buffer itself is not changed.
QList<QByteArray> scanEvents(const QByteArray& buffer);

// Frame pass: removes every complete SysEx frame from the buffer and returns them in
// order. Bytes before a frame are discarded; an incomplete frame stays for the next
// read; a buffer without any F0 is emptied.
QList<QByteArray> cutFrames(QByteArray& buffer);

// Classification of one SysEx frame.
struct Classified
{
    QList<Protocol::MsgPackage> packages;
    int capability = -1; // value of a capability report, -1 when the frame is none
};
Classified processPacket(QByteArray packet);

// Everything one read produces, in the order the receive path reports it.
struct ReadResult
{
    QList<Protocol::MsgPackage> events; // live events of the event pass
    bool scanned = false;               // false when the buffer is still too short to look at
    QByteArray bufferSeen;              // the buffer as the bootloader recognisers see it
    QList<Protocol::MsgPackage> frames; // packages of the complete SysEx frames
    int capability = -1;                // last capability report among them, -1 when none
};

// Appends one read to the receive buffer and runs the event pass, the bootloader
// view and the frame pass over it.
ReadResult receive(QByteArray& buffer, const QByteArray& chunk);

} // namespace ReceiveFraming
