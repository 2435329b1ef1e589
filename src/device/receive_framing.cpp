#include "device/receive_framing.h"

#include "app/logging.h"

namespace ReceiveFraming {

namespace {

constexpr char sysexStart = char(0xF0);
constexpr char sysexEnd = char(0xF7);

quint8 at(const QByteArray& bytes, int index)
{
    return quint8(bytes.at(index));
}

bool hasHeader(const QByteArray& packet)
{
    return packet.size() >= 4 && at(packet, 0) == 0xF0 && at(packet, 1) == 0x00 && at(packet, 2) == 0x21
           && at(packet, 3) == 0x5E;
}

QString hex2(quint8 b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

bool isEventStatus(quint8 status)
{
    return (status >= 0x80 && status <= 0xEF) || status == 0xF8 || status == 0xFA || status == 0xFB
           || status == 0xFC;
}

QList<QByteArray> scanEvents(const QByteArray& buffer)
{
    QList<QByteArray> events;
    int pos = 0;
    const int size = buffer.size();
    while (size - pos >= 4) {
        const quint8 b0 = at(buffer, pos);
        const quint8 b1 = at(buffer, pos + 1);
        if (b0 == 0xAA && b1 == 0xCC) {
            // Bootloader line: skip it whole when it is complete and well terminated.
            if (size - pos <= 4)
                break;
            const int length = at(buffer, pos + 2);
            if (size - pos < length + 5)
                break;
            if (at(buffer, pos + length + 3) == 0x0D && at(buffer, pos + length + 4) == 0x0A)
                pos += length + 5;
            else
                pos += 1;
            continue;
        }
        if (isEventStatus(b1)) {
            events.append(buffer.mid(pos, 4));
            qCDebug(lcSerial).noquote() << "Emitting pedalMidiDataSignal with package.frame:"
                                        << buffer.mid(pos, 4).toHex(' ');
        } else {
            qCCritical(lcSerial).noquote() << "readDataSlot" << " invalid data:" << hex2(b0) << hex2(b1);
        }
        pos += 4;
    }
    return events;
}

namespace {

// Whether the bytes so far can begin one of the controller's frames (F0 00 21 5E).
bool plausibleStart(const QByteArray& buffer)
{
    static const quint8 header[4] = {0xF0, 0x00, 0x21, 0x5E};
    for (int i = 1; i < 4 && i < buffer.size(); ++i) {
        if (at(buffer, i) != header[i])
            return false;
    }
    return true;
}

// In a query reply, byte 17 carries the low byte of a 14-bit trigger level and may
// hold any value, F0 and F7 included. Every other byte of a reply is below 0x80
// (or the long-press marker 0x80).
constexpr int freeByteOfQueryReply = 17;

bool isQueryReply(const QByteArray& buffer)
{
    return buffer.size() > 5 && hasHeader(buffer) && at(buffer, 5) == 0x04;
}

// First index of `byte` from `from` on that is not data of a query reply.
int findFramingByte(const QByteArray& buffer, char byte, int from)
{
    const bool query = isQueryReply(buffer);
    int index = buffer.indexOf(byte, from);
    while (query && index == freeByteOfQueryReply)
        index = buffer.indexOf(byte, index + 1);
    return index;
}

} // namespace

QList<QByteArray> cutFrames(QByteArray& buffer)
{
    QList<QByteArray> frames;
    for (int iteration = 1;; ++iteration) {
        const int start = buffer.indexOf(sysexStart);
        qCDebug(lcSerial).noquote() << "frame pass" << iteration << "buffer" << buffer.size() << "bytes:"
                                    << buffer.toHex(' ');
        if (start < 0) {
            buffer.clear();
            break;
        }
        if (start > 0) {
            qCDebug(lcSerial) << "discarding" << start << "bytes before F0";
            buffer.remove(0, start);
        }
        // A start byte that is not followed by our manufacturer id (a live event of
        // message 16 starts with F0, say) begins no frame.
        if (!plausibleStart(buffer)) {
            buffer.remove(0, 1);
            continue;
        }
        const int end = findFramingByte(buffer, sysexEnd, 1);
        // A later start byte before the end byte begins the real frame: what
        // precedes it is the remnant of a broken one.
        const int restart = findFramingByte(buffer, sysexStart, 1);
        if (restart > 0 && (end < 0 || restart < end)) {
            qCDebug(lcSerial) << "discarding" << restart << "bytes of a broken frame";
            buffer.remove(0, restart);
            continue;
        }
        if (end < 0) {
            if (buffer.size() > maxFrameLength) {
                // No reply is this long: drop the start byte and look for the next frame.
                qCDebug(lcSerial) << "dropping an unterminated frame of" << buffer.size() << "bytes";
                buffer.remove(0, 1);
                continue;
            }
            break; // incomplete: wait for the next read
        }
        const QByteArray frame = buffer.left(end + 1);
        buffer.remove(0, end + 1);
        qCDebug(lcSerial).noquote() << "frame" << frame.toHex(' ') << "from 0 to" << end;
        frames.append(frame);
    }
    return frames;
}

Classified processPacket(QByteArray packet)
{
    Classified result;
    qCDebug(lcSerial).noquote() << "processPacket" << packet.toHex(' ');

    const int first = packet.indexOf(sysexStart);
    if (first >= 0) {
        const int end = packet.indexOf(sysexEnd, first + 1);
        if (end - first + 1 == 6 && hasHeader(packet.mid(first)))
            result.capability = at(packet, first + 4);
    }

    auto emitPackage = [&result](int kind, const QByteArray& frame) {
        qCDebug(lcSerial).noquote() << "Emitting pedalMidiDataSignal with package.frame:" << frame.toHex(' ');
        result.packages.append({kind, frame});
    };

    while (!packet.isEmpty()) {
        const int n = packet.size();
        const bool framed = hasHeader(packet) && at(packet, n - 1) == 0xF7;
        const int command = n > 5 ? at(packet, 5) : -1;
        if ((n == 6 || n == 7) && framed) {
            emitPackage(Protocol::HandshakeReply, packet.left(7));
            packet.remove(0, 7);
        } else if ((n == 23 || n == 24) && framed && command == 0x04) {
            emitPackage(Protocol::QueryReply, packet.left(24));
            packet.remove(0, 24);
        } else if ((n == 8 || n == 9) && framed && command == 0x03) {
            emitPackage(Protocol::SetResult, packet.left(9));
            packet.remove(0, 9);
        } else if ((n == 7 || n == 8) && framed && command == 0x05) {
            emitPackage(Protocol::DeleteResult, packet.left(8));
            packet.remove(0, 8);
        } else if (n < 4) {
            qCDebug(lcSerial) << "Incomplete 4-byte message, waiting for more data.";
            break;
        } else {
            if (isEventStatus(at(packet, 1)))
                emitPackage(Protocol::PedalData, packet.left(4));
            else
                qCCritical(lcSerial).noquote()
                    << "processPacket" << " invalid data:" << hex2(at(packet, 0)) << hex2(at(packet, 1));
            packet.remove(0, 4);
        }
    }
    return result;
}

ReadResult receive(QByteArray& buffer, const QByteArray& chunk)
{
    ReadResult result;
    buffer.append(chunk);
    if (buffer.size() < 4)
        return result;
    result.scanned = true;
    const QList<QByteArray> events = scanEvents(buffer);
    for (const QByteArray& event : events)
        result.events.append({Protocol::PedalData, event});
    result.bufferSeen = buffer;
    const QList<QByteArray> frames = cutFrames(buffer);
    for (const QByteArray& frame : frames) {
        const Classified classified = processPacket(frame);
        if (classified.capability >= 0)
            result.capability = classified.capability;
        result.frames.append(classified.packages);
    }
    return result;
}

} // namespace ReceiveFraming
