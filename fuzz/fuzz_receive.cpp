// libFuzzer harness for the serial receive path. One input is one connection: its
// first bytes choose the sizes of the reads, the rest is the byte stream, and every
// read goes through ReceiveFraming::receive on the same buffer, as
// SerialPort::readDataSlot does on each readyRead. After every read the harness checks
// what the receive path promises and aborts when a promise is broken.
//
// Input layout:
//   byte 0            k = (byte & 7) + 1, the number of read sizes that follow
//   bytes 1 .. k      read sizes, each byte + 1 (1 .. 256 bytes), used in turn, cyclically
//   the rest          the stream
#include "device/receive_framing.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr quint8 sysexStart = 0xF0;
constexpr quint8 sysexEnd = 0xF7;
// A query reply carries the low byte of a trigger level here, which may be any value.
constexpr int freeByteOfQueryReply = 17;

quint8 at(const QByteArray& bytes, int index)
{
    return quint8(bytes.at(index));
}

[[noreturn]] void fail(const char* what, int line, const QByteArray& seen, const QByteArray& buffer)
{
    std::fprintf(stderr, "fuzz_receive.cpp:%d: broken: %s\n  read buffer: %s\n  left:        %s\n", line,
                 what, seen.toHex(' ').constData(), buffer.toHex(' ').constData());
    std::abort();
}

#define CHECK(cond)                                                                                          \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            fail(#cond, __LINE__, seen, buffer);                                                             \
    } while (0)

// The event class, written out here rather than taken from isEventStatus so that a
// fault there shows up: channel messages and clock, start, continue, stop.
bool eventStatus(quint8 b)
{
    return (b >= 0x80 && b <= 0xEF) || b == 0xF8 || b == 0xFA || b == 0xFB || b == 0xFC;
}

bool isEvent(const Protocol::MsgPackage& p)
{
    return p.cmdType == Protocol::PedalData && p.frame.size() == 4 && eventStatus(at(p.frame, 1));
}

bool hasHeader(const QByteArray& f)
{
    return f.size() >= 6 && at(f, 0) == 0xF0 && at(f, 1) == 0x00 && at(f, 2) == 0x21 && at(f, 3) == 0x5E;
}

// A reply package: the envelope, the length its kind allows and, where the kind is
// told by the command byte, that byte.
bool isReply(const Protocol::MsgPackage& p)
{
    const QByteArray& f = p.frame;
    if (!hasHeader(f) || at(f, f.size() - 1) != sysexEnd)
        return false;
    const int n = f.size();
    switch (p.cmdType) {
    case Protocol::HandshakeReply:
        return n == 6 || n == 7;
    case Protocol::SetResult:
        return (n == 8 || n == 9) && at(f, 5) == 0x03;
    case Protocol::QueryReply:
        return (n == 23 || n == 24) && at(f, 5) == 0x04;
    case Protocol::DeleteResult:
        return (n == 7 || n == 8) && at(f, 5) == 0x05;
    default:
        return false;
    }
}

// True when every package's bytes occur in `stream`, in order and without overlap.
bool inOrderWithin(const QList<Protocol::MsgPackage>& packages, const QByteArray& stream)
{
    int from = 0;
    for (const Protocol::MsgPackage& p : packages) {
        const int found = stream.indexOf(p.frame, from);
        if (found < 0)
            return false;
        from = found + p.frame.size();
    }
    return true;
}

void checkRead(const QByteArray& before, const QByteArray& chunk, const QByteArray& buffer,
               const ReceiveFraming::ReadResult& r)
{
    const QByteArray seen = before + chunk;

    if (!r.scanned) {
        // Too short to look at: the bytes wait, nothing comes out.
        CHECK(seen.size() < 4);
        CHECK(buffer == seen);
        CHECK(r.events.isEmpty() && r.frames.isEmpty());
        CHECK(r.capability == -1);
        return;
    }
    CHECK(seen.size() >= 4);
    CHECK(r.bufferSeen == seen);

    // After the frame pass only the start of one reply may wait for the next read: it
    // is no longer than a reply, begins with F0 and as much of 00 21 5E as has come,
    // and holds no further F0 or F7 except as the free data byte 17 of a query reply.
    // Anything kept is the tail of what was received.
    if (!buffer.isEmpty()) {
        CHECK(buffer.size() <= ReceiveFraming::maxFrameLength);
        CHECK(seen.endsWith(buffer));
        CHECK(at(buffer, 0) == sysexStart);
        CHECK(QByteArray::fromHex("F000215E").startsWith(buffer.left(4)));
        const bool query = buffer.size() > 5 && at(buffer, 5) == 0x04;
        for (int i = 1; i < buffer.size(); ++i) {
            if (at(buffer, i) == sysexStart || at(buffer, i) == sysexEnd)
                CHECK(query && i == freeByteOfQueryReply);
        }
    }

    CHECK(r.events.size() <= seen.size() / 4);
    for (const Protocol::MsgPackage& p : r.events)
        CHECK(isEvent(p));
    CHECK(inOrderWithin(r.events, seen));

    for (const Protocol::MsgPackage& p : r.frames)
        CHECK(isEvent(p) || isReply(p));
    CHECK(inOrderWithin(r.frames, seen));

    CHECK(r.capability >= -1 && r.capability <= 255);
    if (r.capability >= 0) {
        QByteArray report = QByteArray::fromHex("F0 00 21 5E");
        report.append(char(r.capability));
        report.append(char(sysexEnd));
        CHECK(seen.contains(report));
    }
}

// processPacket is public and takes any bytes; the same promises hold for it alone.
void checkPacket(const QByteArray& packet)
{
    const QByteArray& seen = packet;
    const QByteArray buffer;
    const ReceiveFraming::Classified c = ReceiveFraming::processPacket(packet);
    for (const Protocol::MsgPackage& p : c.packages)
        CHECK(isEvent(p) || isReply(p));
    CHECK(inOrderWithin(c.packages, packet));
    CHECK(c.capability >= -1 && c.capability <= 255);
}

void discardMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every diagnostic line is formatted, so its code runs too, but none is printed.
    // QT_LOGGING_RULES="quillmar.*=false" in the environment overrides this for speed.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmar.serial.debug=true"));
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t sizeCount = (data[0] & 7) + 1;
    if (size < 1 + sizeCount)
        return 0;
    const std::uint8_t* sizes = data + 1;
    const char* stream = reinterpret_cast<const char*>(data + 1 + sizeCount);
    const std::size_t streamSize = size - 1 - sizeCount;

    QByteArray buffer;
    std::size_t pos = 0;
    for (std::size_t read = 0; pos < streamSize; ++read) {
        const std::size_t length = std::min<std::size_t>(sizes[read % sizeCount] + 1u, streamSize - pos);
        const QByteArray chunk(stream + pos, int(length));
        pos += length;
        const QByteArray before = buffer;
        const ReceiveFraming::ReadResult result = ReceiveFraming::receive(buffer, chunk);
        checkRead(before, chunk, buffer, result);
    }

    checkPacket(QByteArray::fromRawData(stream, int(streamSize)));
    return 0;
}
