// Receive-path throughput for live pedal traffic, next to the serial line rate.
//
// 1. The framing unit alone: live frames in 64-byte reads (one USB full-speed
//    packet, 16 frames) through ReceiveFraming::receive.
// 2. The real SerialPort reading a pseudo-terminal on the Qt event loop: the device
//    side pushes frames as fast as the pty takes them, readDataSlot cuts them, and
//    the kind-4 packages of pedalMidiDataSignal are counted.
//
// The controller's link runs at 115200 baud, 8N1: 11520 bytes/s, 2880 four-byte
// frames/s. Logging stays off so the figures are the receive path's own. The framing
// unit is timed in thread CPU time, the pty run in wall-clock time.
#include "device/receive_framing.h"
#include "device/serialport.h"
#include "support/pty_pair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTimer>
#include <QVector>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

constexpr double lineFramesPerSecond = 115200.0 / 10 / 4;

constexpr int framingFrames = 1000000;
constexpr int framingReadSize = 64;
constexpr int framingRuns = 7;
constexpr double framingTargetRatio = 1000;

constexpr int ptyFrames = 200000;
constexpr int ptyWriteSize = 64;
constexpr int ptyRuns = 3;
constexpr int ptyIdleMs = 1000; // no package for this long after the last write: the rest is lost
constexpr double ptyTargetRatio = 20;

int targets = 0;
int met = 0;

void figure(const char* metric, double value, const char* unit, bool ok, const char* target)
{
    ++targets;
    met += ok ? 1 : 0;
    std::printf("%s: %.0f %s (target %s)\n", metric, value, unit, target);
    std::fflush(stdout);
}

// Live frame n: message numbers 1 to 4 in turn, control change 7 on channel 1 with a
// rising value. Headers stay below F0, as they do for message numbers 1 to 15.
QByteArray liveFrames(int count)
{
    QByteArray bytes(count * 4, Qt::Uninitialized);
    for (int n = 0; n < count; ++n) {
        bytes[4 * n] = char((n % 4) << 4);
        bytes[4 * n + 1] = char(0xB0);
        bytes[4 * n + 2] = char(0x07);
        bytes[4 * n + 3] = char(n & 0x7F);
    }
    return bytes;
}

// A rate in frames per second and its ratio to the line rate, each against the target ratio.
void rateFigures(const char* rateMetric, const char* ratioMetric, double rate, double targetRatio)
{
    char target[64];
    std::snprintf(target, sizeof target, ">= %.0f", targetRatio * lineFramesPerSecond);
    figure(rateMetric, rate, "frames/s", rate >= targetRatio * lineFramesPerSecond, target);
    std::snprintf(target, sizeof target, ">= %.0f", targetRatio);
    figure(ratioMetric, rate / lineFramesPerSecond, "x", rate / lineFramesPerSecond >= targetRatio, target);
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// --- the framing unit ---

// The loop is pure computation, so it is timed in CPU time of this thread: other
// work on the machine then changes the figure little.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void benchFraming()
{
    const QByteArray stream = liveFrames(framingFrames);
    QVector<QByteArray> reads;
    for (int pos = 0; pos < stream.size(); pos += framingReadSize)
        reads.append(stream.mid(pos, framingReadSize));

    QVector<double> rates;
    qint64 delivered = -1;
    for (int run = 0; run < framingRuns; ++run) {
        QByteArray buffer;
        qint64 events = 0;
        const double start = threadCpuSeconds();
        for (const QByteArray& read : qAsConst(reads))
            events += ReceiveFraming::receive(buffer, read).events.size();
        const double seconds = threadCpuSeconds() - start;
        rates.append(framingFrames / seconds);
        // The figure counts only if every run delivers every frame.
        delivered = run == 0 ? events : std::min(delivered, events);
    }

    const double rate = median(rates);
    rateFigures("framing, 64-byte reads, median of 7 runs (CPU time)", "framing vs line rate", rate,
                framingTargetRatio);
    char target[64];
    std::snprintf(target, sizeof target, "= %d", framingFrames);
    figure("framing, frames delivered (fewest of 7 runs)", double(delivered), "frames",
           delivered == framingFrames, target);
}

// --- SerialPort over a pty ---

struct PtyRun {
    bool ok = false;
    qint64 sent = 0;
    qint64 received = 0;
    qint64 reads = 0;
    qint64 splitReads = 0; // reads that end inside a frame
    double seconds = 0;    // first write to last package
};

PtyRun runPty(const QByteArray& stream)
{
    PtyRun result;
    PtyPair pty;
    if (!pty.open()) {
        std::fprintf(stderr, "bench_receive: cannot open a pseudo-terminal\n");
        return result;
    }
    // No combo box: the port list rescan returns at once and no bus is touched.
    SerialPort port(nullptr, QString());
    port.setPortName(pty.slavePath());
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "bench_receive: cannot open %s: %s\n", qPrintable(pty.slavePath()),
                     qPrintable(port.errorString()));
        return result;
    }

    const qint64 total = stream.size() / 4;
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 lastPackageNs = 0;
    qint64 written = 0;

    qint64 bytesRead = 0;
    QObject::connect(&port, &SerialPort::rxBytes, [&](const QByteArray& chunk) {
        ++result.reads;
        bytesRead += chunk.size();
        if (bytesRead % 4 != 0)
            ++result.splitReads;
    });
    QObject::connect(&port, &SerialPort::pedalMidiDataSignal, [&](const Protocol::MsgPackage& package) {
        if (package.cmdType != Protocol::PedalData)
            return;
        lastPackageNs = clock.nsecsElapsed();
        if (++result.received == total)
            loop.quit();
    });

    // The device side: whenever the master can take bytes, write 64-byte packets until
    // it cannot. A short write leaves the rest of the packet for the next turn.
    QSocketNotifier writable(pty.masterFd(), QSocketNotifier::Write);
    QObject::connect(&writable, &QSocketNotifier::activated, [&] {
        while (written < stream.size()) {
            const qint64 size =
                std::min<qint64>(ptyWriteSize - written % ptyWriteSize, stream.size() - written);
            const ssize_t n = ::write(pty.masterFd(), stream.constData() + written, size_t(size));
            if (n < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                    std::fprintf(stderr, "bench_receive: write to the pty failed: errno %d\n", errno);
                    loop.quit();
                }
                return;
            }
            written += n;
        }
        writable.setEnabled(false);
    });

    // Frames the receive path lost never arrive: stop when nothing came for a while.
    qint64 receivedAtLastLook = -1;
    QTimer idle;
    idle.setInterval(ptyIdleMs);
    QObject::connect(&idle, &QTimer::timeout, [&] {
        if (result.received == receivedAtLastLook)
            loop.quit();
        receivedAtLastLook = result.received;
    });

    clock.start();
    idle.start();
    loop.exec();

    result.ok = true;
    result.sent = written / 4;
    result.seconds = lastPackageNs / 1e9;
    port.close();
    return result;
}

void benchPty()
{
    const QByteArray stream = liveFrames(ptyFrames);
    QVector<double> rates;
    qint64 fewest = ptyFrames;
    qint64 sent = ptyFrames;
    qint64 reads = 0;
    qint64 splitReads = 0;
    for (int run = 0; run < ptyRuns; ++run) {
        const PtyRun r = runPty(stream);
        if (!r.ok)
            return;
        rates.append(r.seconds > 0 ? r.received / r.seconds : 0);
        if (r.received < fewest || run == 0) {
            fewest = r.received;
            sent = r.sent;
        }
        reads += r.reads;
        splitReads += r.splitReads;
    }

    const double rate = median(rates);
    rateFigures("SerialPort over a pty, median of 3 runs", "SerialPort vs line rate", rate, ptyTargetRatio);
    // Why frames can go missing: a read that ends inside a frame leaves its first bytes
    // behind, and the event pass does not carry them over to the next read.
    std::printf("SerialPort over a pty, bytes per read: %.0f bytes (no target)\n",
                double(ptyRuns) * ptyFrames * 4 / std::max<qint64>(reads, 1));
    std::printf("SerialPort over a pty, reads ending inside a frame: %lld of %lld reads (no target)\n",
                static_cast<long long>(splitReads), static_cast<long long>(reads));
    char metric[96];
    char target[64];
    std::snprintf(metric, sizeof metric, "SerialPort, frames arrived of %lld sent (fewest of 3 runs)",
                  static_cast<long long>(sent));
    std::snprintf(target, sizeof target, "= %lld", static_cast<long long>(sent));
    figure(metric, double(fewest), "frames", fewest == sent && sent == ptyFrames, target);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quillmar.*=false"));

    benchFraming();
    benchPty();

    std::printf("bench receive: %d of %d targets met\n", met, targets);
    return 0;
}
