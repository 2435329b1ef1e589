#include "support/pedal_simulator.h"

#include "support/pty_pair.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArray kSysExHeader = QByteArray::fromHex("F000215E");
constexpr quint8 kFactoryResetPedal = 0x58;

quint8 byteAt(const QByteArray& bytes, int index)
{
    return quint8(bytes.at(index));
}

QByteArray sysEx(std::initializer_list<quint8> body)
{
    QByteArray frame = kSysExHeader;
    for (quint8 b : body)
        frame.append(char(b));
    frame.append(char(0xF7));
    return frame;
}

// Length of a request the controller knows, from its command bytes 4 and 5; 0 when
// the bytes say nothing (the frame then ends at the next F7). Fixed lengths matter:
// a set record may carry F7 as data (trigger level bytes 17 and 22).
int knownSysExLength(const QByteArray& rx)
{
    const quint8 b4 = byteAt(rx, 4), b5 = byteAt(rx, 5);
    if (b4 == 0x01 && b5 == 0x01)
        return 7;
    if (b4 == 0x04 && b5 == 0x04) {
        if (rx.size() < 9)
            return -1;
        return byteAt(rx, 8) == 0xF7 ? 9 : 10;
    }
    if (b4 == 0x10 && b5 == 0x03)
        return PedalSimulator::kRecordSize;
    if (b4 == 0x03 && b5 == 0x05)
        return 8;
    return 0;
}

} // namespace

PedalSimulator::PedalSimulator(QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_outTimer.setSingleShot(true);
    m_outTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_outTimer, &QTimer::timeout, this, &PedalSimulator::pump);
    m_quietTimer.setSingleShot(true);
    connect(&m_quietTimer, &QTimer::timeout, this, [this] {
        if (!m_blockBuffer.isEmpty())
            finishBlock(std::exchange(m_blockBuffer, {}));
    });
    m_eraseTimer.setSingleShot(true);
    connect(&m_eraseTimer, &QTimer::timeout, this, &PedalSimulator::finishErase);
    m_liveTimer.setTimerType(Qt::PreciseTimer);
    m_liveTimer.setInterval(10);
    connect(&m_liveTimer, &QTimer::timeout, this, &PedalSimulator::liveTick);
    resetStore();
}

PedalSimulator::~PedalSimulator()
{
    closePty();
}

bool PedalSimulator::start()
{
    closePty();
    return openPty();
}

bool PedalSimulator::isRunning() const
{
    return m_pty && m_pty->masterFd() >= 0;
}

QString PedalSimulator::slavePath() const
{
    return m_pty ? m_pty->slavePath() : QString();
}

bool PedalSimulator::openPty()
{
    auto pty = std::make_unique<PtyPair>();
    if (!pty->open())
        return false;
    // Opened before the application can lock the slave (QSerialPort sets TIOCEXCL);
    // used only to leave EIO behind on hang-up.
    const int lineFd = ::open(pty->slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    // The old pty goes only after the new one exists, so the new slave gets another name.
    closePty();
    m_pty = std::move(pty);
    m_lineFd = lineFd;
    m_readNotifier = new QSocketNotifier(m_pty->masterFd(), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PedalSimulator::onReadable);
    m_writeNotifier = new QSocketNotifier(m_pty->masterFd(), QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PedalSimulator::onWritable);
    return true;
}

void PedalSimulator::closePty()
{
    // Notifiers stop before their descriptor closes; they are deleted later because this
    // may run inside the read notifier's own slot (a vanish while taking a block).
    for (QSocketNotifier* notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    if (isRunning()) {
        m_pty->closeMaster();
        // A hung-up pty slave reads as end-of-file, and Qt 5.15's QSerialPort then reports
        // whatever errno the thread last left behind (a flood of ReadError). A write to the
        // dead line from this thread leaves EIO, the error of a vanished device, so the
        // application's next read reports ResourceError as after a real unplug.
        if (m_lineFd >= 0) {
            const char byte = 0;
            const ssize_t ignored = ::write(m_lineFd, &byte, 1);
            Q_UNUSED(ignored)
        }
    }
    if (m_lineFd >= 0) {
        ::close(m_lineFd);
        m_lineFd = -1;
    }
    m_outTimer.stop();
    m_quietTimer.stop();
    m_eraseTimer.stop();
    m_liveTimer.stop();
    m_out.clear();
    m_stalled.clear();
    m_lastDueMs = 0;
    m_rx.clear();
    m_mergeBuffer.clear();
    m_mergeHeld = 0;
    m_mergeCount = 0;
}

void PedalSimulator::hangUp()
{
    if (!isRunning())
        return;
    closePty();
    emit hungUp();
}

void PedalSimulator::reenumerate()
{
    if (!openPty()) {
        hangUp();
        return;
    }
    setMode(Mode::Bootloader);
}

void PedalSimulator::setMode(Mode mode)
{
    m_mode = mode;
    m_erased = false;
    m_eraseTimer.stop();
    m_quietTimer.stop();
    m_blockBuffer.clear();
}

// --- record store ---

QByteArray PedalSimulator::defaultRecord(int pedal, int message)
{
    return sysEx({0x10, 0x04, quint8(pedal), quint8(message), 0x01, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x7F, 0x00,
                  0x32, 0x00, 0x00, 0x00, 0x32, 0x00, 0x00});
}

QByteArray PedalSimulator::record(int pedal, int message) const
{
    if (pedal < 0 || pedal >= kPedals || message < 0 || message >= kMessages)
        return {};
    return m_store.at(pedal * kMessages + message);
}

void PedalSimulator::setRecord(int pedal, int message, const QByteArray& record)
{
    if (pedal < 0 || pedal >= kPedals || message < 0 || message >= kMessages)
        return;
    m_store[pedal * kMessages + message] = record;
}

void PedalSimulator::resetStore()
{
    m_store.resize(kPedals * kMessages);
    for (int p = 0; p < kPedals; ++p)
        for (int m = 0; m < kMessages; ++m)
            m_store[p * kMessages + m] = defaultRecord(p, m);
}

// --- receiving ---

void PedalSimulator::onReadable()
{
    if (!isRunning())
        return;
    QByteArray chunk;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_pty->masterFd(), buffer, sizeof(buffer));
        if (n > 0) {
            chunk.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && chunk.isEmpty()) {
            // No slave left open (cannot happen while PtyPair holds one); stop polling.
            m_readNotifier->setEnabled(false);
            return;
        }
        break;
    }
    if (chunk.isEmpty())
        return;
    m_received += chunk;
    if (m_mode == Mode::Bootloader && m_erased) {
        takeImageBytes(chunk);
        return;
    }
    m_rx += chunk;
    parse();
}

void PedalSimulator::parse()
{
    while (!m_rx.isEmpty()) {
        if (m_mode == Mode::Bootloader && m_erased) {
            takeImageBytes(std::exchange(m_rx, {}));
            return;
        }
        const quint8 first = byteAt(m_rx, 0);
        int used = 1; // a stray byte
        if (first == 0xF0)
            used = parseSysEx();
        else if (first == 0xAA)
            used = parseBootFrame();
        if (used == 0)
            return; // incomplete, wait for more
        if (used < 0) {
            m_rx.remove(0, -used);
            continue;
        }
        const QByteArray frame = m_rx.left(used);
        m_rx.remove(0, used);
        if (first == 0xF0)
            handleSysEx(frame);
        else if (first == 0xAA)
            handleBootCommand(frame);
    }
}

// Returns the frame length, 0 while incomplete, or -n to skip n stray bytes.
int PedalSimulator::parseSysEx()
{
    const int prefix = std::min(m_rx.size(), kSysExHeader.size());
    const bool header = m_rx.left(prefix) == kSysExHeader.left(prefix);
    if (header && m_rx.size() < 6)
        return 0;
    if (header) {
        const int length = knownSysExLength(m_rx);
        if (length < 0 || (length > 0 && m_rx.size() < length))
            return 0;
        if (length > 0 && byteAt(m_rx, length - 1) == 0xF7)
            return length;
    }
    const int end = m_rx.indexOf(char(0xF7), 1);
    return end < 0 ? 0 : end + 1;
}

int PedalSimulator::parseBootFrame()
{
    if (m_rx.size() < 2)
        return 0;
    if (byteAt(m_rx, 1) != 0xCC)
        return -1;
    if (m_rx.size() < 3)
        return 0;
    const int n = byteAt(m_rx, 2);
    if (m_rx.size() < n + 5)
        return 0;
    if (m_rx.at(n + 3) != '\r' || m_rx.at(n + 4) != '\n')
        return -1;
    return n + 5;
}

void PedalSimulator::handleSysEx(const QByteArray& frame)
{
    // The bootloader understands no SysEx at all.
    const bool known = m_mode == Mode::Application && frame.size() >= 7 && frame.startsWith(kSysExHeader);
    const quint8 b4 = known ? byteAt(frame, 4) : 0, b5 = known ? byteAt(frame, 5) : 0;

    if (known && b4 == 0x01 && b5 == 0x01 && frame.size() == 7) {
        emit requestReceived(Request::Handshake, frame);
        reply(sysEx({0x01, quint8(m_jacks)}));
        if (m_capability >= 0)
            reply(sysEx({quint8(m_capability)}));
        return;
    }
    if (known && b4 == 0x04 && b5 == 0x04 && (frame.size() == 9 || frame.size() == 10)) {
        emit requestReceived(frame.size() == 9 ? Request::QueryShort : Request::QueryLong, frame);
        // The pedal type of the long form changes nothing: the stored record is the answer.
        const int p = byteAt(frame, 6), m = byteAt(frame, 7);
        if (p >= kPedals || m >= kMessages)
            return;
        QByteArray answer = record(p, m);
        answer[4] = char(0x10);
        answer[5] = char(0x04);
        answer[6] = char(p);
        answer[7] = char(m);
        reply(answer);
        return;
    }
    if (known && b4 == 0x10 && b5 == 0x03 && frame.size() == kRecordSize) {
        m_setRequests.append(frame);
        emit requestReceived(Request::Set, frame);
        const int p = byteAt(frame, 6), m = byteAt(frame, 7);
        int code = m_setResult;
        if (code == 0 && (p >= kPedals || m >= kMessages))
            code = 1; // the pedal number is wrong
        if (code == 0)
            setRecord(p, m, frame);
        reply(m_shortSetResult ? sysEx({0x00, 0x03, 0x00}) : sysEx({0x00, 0x03, 0x00, quint8(code)}));
        return;
    }
    if (known && b4 == 0x03 && b5 == 0x05 && frame.size() == 8) {
        const int p = byteAt(frame, 6);
        if (p == kFactoryResetPedal) {
            emit requestReceived(Request::FactoryReset, frame);
            resetStore();
            ++m_factoryResets;
            return;
        }
        emit requestReceived(Request::Delete, frame);
        if (p < kPedals)
            for (int m = 0; m < kMessages; ++m)
                setRecord(p, m, defaultRecord(p, m));
        reply(sysEx({0x00, 0x05, 0x00}));
        return;
    }
    emit requestReceived(Request::Unknown, frame);
}

void PedalSimulator::handleBootCommand(const QByteArray& frame)
{
    const QByteArray payload = frame.mid(3, frame.size() - 5);
    const bool boot = m_mode == Mode::Bootloader;
    if (payload == QByteArray::fromHex("0001")) {
        emit requestReceived(Request::Identity, frame);
        reply(bootFrame(m_model));
        if (boot && m_versionWithModel)
            reply(bootFrame(m_version));
    } else if (payload == QByteArray::fromHex("0003")) {
        emit requestReceived(Request::VersionRequest, frame);
        reply(bootFrame(m_version));
    } else if (payload == QByteArray::fromHex("0009") && !boot) {
        emit requestReceived(Request::EnterBootloader, frame);
        if (m_reenumerate)
            reenumerate();
        else
            setMode(Mode::Bootloader);
        emit enteredBootloader();
    } else if (payload == QByteArray::fromHex("0002") && boot) {
        emit requestReceived(Request::Erase, frame);
        m_image.clear();
        m_blocks = 0;
        if (m_vanishDuringErase)
            QTimer::singleShot(m_eraseDelayMs / 2, this, &PedalSimulator::hangUp);
        else if (m_answerErase)
            m_eraseTimer.start(m_eraseDelayMs);
    } else {
        emit requestReceived(Request::Unknown, frame);
    }
}

// --- bootloader image ---

void PedalSimulator::finishErase()
{
    m_erased = true;
    m_blockBuffer.clear();
    const QByteArray early = std::exchange(m_rx, {});
    reply(bootFrame("ERASE END"));
    emit eraseDone();
    if (!early.isEmpty())
        takeImageBytes(early);
}

void PedalSimulator::takeImageBytes(const QByteArray& bytes)
{
    m_blockBuffer += bytes;
    while (m_blockBuffer.size() >= kBlockSize) {
        const QByteArray block = m_blockBuffer.left(kBlockSize);
        m_blockBuffer.remove(0, kBlockSize);
        finishBlock(block);
        if (!isRunning())
            return;
    }
    if (m_blockBuffer.isEmpty()) {
        m_quietTimer.stop();
    } else if (m_expectedImageSize > 0) {
        if (m_image.size() + m_blockBuffer.size() >= m_expectedImageSize)
            finishBlock(std::exchange(m_blockBuffer, {}));
    } else {
        m_quietTimer.start(m_quietMs);
    }
}

void PedalSimulator::finishBlock(const QByteArray& block)
{
    const int index = m_blocks++;
    m_image += block;
    emit blockReceived(index, block);
    if (index == m_vanishAfterBlock) {
        hangUp();
        return;
    }
    if (m_droppedAcks.contains(index))
        return;
    const bool last = m_expectedImageSize > 0 ? m_image.size() >= m_expectedImageSize : block.size() < kBlockSize;
    if (m_dropLastAck && last)
        return;
    const QByteArray ack = m_altAck ? alternativeChunkAck() : chunkAck();
    const int delay = m_ackDelays.value(index, 0);
    if (m_splitAcks.contains(index)) {
        if (!m_dropReplies)
            enqueue(ack, m_replyDelayMs + delay, 2, m_splitAcks.value(index));
        return;
    }
    reply(m_doubledAcks.contains(index) ? ack + ack : ack, delay);
}

// --- sending ---

QByteArray PedalSimulator::bootFrame(const QByteArray& payload)
{
    QByteArray frame = QByteArray::fromHex("AACC");
    frame.append(char(payload.size()));
    frame.append(payload);
    frame.append("\r\n");
    return frame;
}

void PedalSimulator::setSplitReplies(int parts, int pauseMs)
{
    m_splitParts = std::max(1, parts);
    m_splitPauseMs = std::max(0, pauseMs);
}

void PedalSimulator::mergeNextReplies(int count)
{
    m_mergeCount = count;
    m_mergeHeld = 0;
    m_mergeBuffer.clear();
}

void PedalSimulator::reply(const QByteArray& bytes, int extraDelayMs)
{
    if (m_dropReplies || !isRunning())
        return;
    QByteArray out = std::exchange(m_junk, {}) + bytes;
    if (m_mergeCount > 0) {
        m_mergeBuffer += out;
        if (++m_mergeHeld < m_mergeCount)
            return;
        out = std::exchange(m_mergeBuffer, {});
        m_mergeCount = 0;
        m_mergeHeld = 0;
    }
    enqueue(out, m_replyDelayMs + extraDelayMs, m_splitParts, m_splitPauseMs);
}

void PedalSimulator::enqueue(const QByteArray& bytes, int delayMs, int parts, int pauseMs)
{
    if (bytes.isEmpty() || !isRunning())
        return;
    parts = std::min(parts, bytes.size());
    const int step = (bytes.size() + parts - 1) / parts;
    qint64 due = std::max(m_clock.elapsed() + delayMs, m_lastDueMs);
    for (int offset = 0; offset < bytes.size(); offset += step) {
        m_out.append({bytes.mid(offset, step), due});
        m_lastDueMs = due;
        due += pauseMs;
    }
    pump();
}

// One queued entry is one write() on the master, so split parts stay apart.
void PedalSimulator::pump()
{
    if (!isRunning())
        return;
    const int fd = m_pty->masterFd();
    auto writeSome = [fd](QByteArray& bytes) {
        while (!bytes.isEmpty()) {
            const ssize_t n = ::write(fd, bytes.constData(), size_t(bytes.size()));
            if (n > 0) {
                bytes.remove(0, int(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return false;
            } else {
                bytes.clear(); // the line is gone; nothing can be delivered
                return true;
            }
        }
        return true;
    };
    if (!m_stalled.isEmpty() && !writeSome(m_stalled)) {
        m_writeNotifier->setEnabled(true);
        return;
    }
    const qint64 now = m_clock.elapsed();
    while (!m_out.isEmpty() && m_out.first().dueMs <= now) {
        m_stalled = m_out.takeFirst().bytes;
        if (!writeSome(m_stalled)) {
            // The pty is full (the application is not reading); go on when it drains.
            m_writeNotifier->setEnabled(true);
            return;
        }
    }
    m_writeNotifier->setEnabled(false);
    if (!m_out.isEmpty())
        m_outTimer.start(int(std::max<qint64>(0, m_out.first().dueMs - now)));
}

void PedalSimulator::onWritable()
{
    m_writeNotifier->setEnabled(false);
    pump();
}

// --- live pedal data ---

QByteArray PedalSimulator::liveFrame(int messageNumber, quint8 status, quint8 data1, quint8 data2)
{
    QByteArray frame(4, 0);
    frame[0] = char((messageNumber & 0x0F) << 4);
    frame[1] = char(status);
    frame[2] = char(data1);
    frame[3] = char(data2);
    return frame;
}

PedalSimulator::LiveGenerator PedalSimulator::ccSweep(int messageNumber, int channel, int controller)
{
    const quint8 status = quint8(0xB0 | ((channel - 1) & 0x0F));
    return [=](quint64 n) {
        const int step = int(n % kSweepLength);
        const int value = step <= 127 ? step : 254 - step;
        return liveFrame(messageNumber, status, quint8(controller), quint8(value));
    };
}

void PedalSimulator::sendLiveFrame(int messageNumber, quint8 status, quint8 data1, quint8 data2)
{
    enqueue(liveFrame(messageNumber, status, data1, data2), 0, 1, 0);
}

void PedalSimulator::startLiveFrames(double framesPerSecond, LiveGenerator generator, quint64 count)
{
    m_liveGenerator = std::move(generator);
    m_liveRate = framesPerSecond;
    m_liveLimit = count;
    m_liveSent = 0;
    if (m_liveRate <= 0 || !m_liveGenerator || !isRunning())
        return;
    m_liveClock.start();
    m_liveTimer.start();
    liveTick();
}

void PedalSimulator::stopLiveFrames()
{
    m_liveTimer.stop();
}

void PedalSimulator::liveTick()
{
    // Frame n falls due at n / rate seconds after the start; the first goes at once.
    quint64 due = quint64(std::floor(double(m_liveClock.nsecsElapsed()) * 1e-9 * m_liveRate)) + 1;
    if (m_liveLimit > 0)
        due = std::min(due, m_liveLimit);
    QByteArray batch;
    for (; m_liveSent < due; ++m_liveSent)
        batch += m_liveGenerator(m_liveSent);
    enqueue(batch, 0, 1, 0);
    if (m_liveLimit > 0 && m_liveSent >= m_liveLimit) {
        m_liveTimer.stop();
        emit liveFramesFinished();
    }
}
