#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>

class PtyPair;
class QSocketNotifier;

// Stands in for the pedal controller on a pseudo-terminal. The application opens
// slavePath() with its real QSerialPort; the simulator owns the master end and runs
// on the event loop of the test thread (socket notifier and timers, no threads).
//
// Application mode answers the SysEx dialogue (handshake, query, set, delete, factory
// reset) from a 9 x 16 store of 24-byte records, the identity and version frames, and
// the enter-bootloader request. Bootloader mode answers the model and version
// requests and erase, then takes every byte as firmware image data in 64-byte blocks.
//
// Factory default of every slot (query-reply form, P/M filled in when sent):
//   F0 00 21 5E 10 04 P M 01 00 00 0B 00 00 7F 00 32 00 00 00 32 00 00 F7
// = expression pedal, channel 1, CC 11, range 0..127 not inverted, trigger mode Single,
//   gain 0 and curve 0 (stored as 50), trigger level off, notes 0, reach byte 0.
//
// Requests whose pedal index is outside 0..8 or message index outside 0..15 are
// queries without a reply, sets answered with result code 1 (nothing stored) and
// deletes answered without a change. A delete clears all 16 slots of the pedal.
//
// Replies (acknowledgements and "ERASE END" included) pass through the fault knobs in
// this order: drop, junk, merge, delay, split; live frames pass none of them. Output
// keeps its order: nothing overtakes what was queued before it, so a delayed reply
// also holds back later output, live frames included.
//
// Bootloader mode takes every byte after "ERASE END" as image data, commands included;
// the bootloader needs nothing else until it is powered on again.
class PedalSimulator : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Application, Bootloader };
    Q_ENUM(Mode)

    enum class Request {
        Handshake,
        QueryShort,
        QueryLong,
        Set,
        Delete,
        FactoryReset,
        Identity,        // AA CC 02 00 01 0D 0A (kVersionCmd in bootloader mode)
        VersionRequest,  // AA CC 02 00 03 0D 0A
        EnterBootloader, // AA CC 02 00 09 0D 0A
        Erase,           // AA CC 02 00 02 0D 0A
        Unknown          // a complete frame nobody answers; stray bytes are skipped silently
    };
    Q_ENUM(Request)

    static constexpr int kPedals = 9;
    static constexpr int kMessages = 16;
    static constexpr int kRecordSize = 24;
    static constexpr int kBlockSize = 64;

    // Produces live frame number n (0-based).
    using LiveGenerator = std::function<QByteArray(quint64 n)>;

    explicit PedalSimulator(QObject* parent = nullptr);
    ~PedalSimulator() override;

    // Opens the pty; false when the system has none to give.
    bool start();
    bool isRunning() const;
    QString slavePath() const;

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);

    // --- device identity ---
    void setJackCount(int n) { m_jacks = n; } // 1..9 on a real unit; anything 0..255 is sent
    void setCapabilityReport(int value) { m_capability = value; }     // -1 (default): none
    void setModelText(const QByteArray& text) { m_model = text; }     // default "ZRT-10"
    void setVersionText(const QByteArray& text) { m_version = text; } // default "V1.0.3"
    // Bootloader mode: answer kVersionCmd with the version frame right after the model line.
    void setVersionWithModel(bool on) { m_versionWithModel = on; }
    // Enter-bootloader hangs up and reappears on a fresh pty (new slavePath()), as the
    // real unit restarts and enumerates as another port. Off: switch mode in place.
    void setReenumerateOnBootloader(bool on) { m_reenumerate = on; }

    // --- record store ---
    static QByteArray defaultRecord(int pedal, int message);
    QByteArray record(int pedal, int message) const;
    void setRecord(int pedal, int message, const QByteArray& record);
    void resetStore();
    void setSetResultCode(int code) { m_setResult = code; }         // default 0 (stored)
    void setShortSetResult(bool on) { m_shortSetResult = on; }      // 8-byte set result, no code
    QList<QByteArray> setRequests() const { return m_setRequests; } // every set request, as received
    int factoryResetCount() const { return m_factoryResets; }

    // --- bootloader ---
    void setEraseDelay(int ms) { m_eraseDelayMs = ms; } // default 100
    void setAnswerErase(bool on) { m_answerErase = on; }
    void setAlternativeAck(bool on) { m_altAck = on; } // AA CC 02 00 36 34 0D 0A
    // Size of the coming image: the block that completes it is acknowledged at once.
    // Without it (0, the default) a remainder shorter than 64 bytes counts as the last
    // block once no byte has arrived for the quiet time.
    void setExpectedImageSize(int bytes) { m_expectedImageSize = bytes; }
    void setShortBlockQuietTime(int ms) { m_quietMs = ms; } // default 50
    QByteArray receivedImage() const { return m_image; }
    int blocksReceived() const { return m_blocks; }

    // --- faults (all off by default); blocks are numbered from 0 ---
    void setReplyDelay(int ms) { m_replyDelayMs = ms; }
    void setSplitReplies(int parts, int pauseMs); // parts <= 1: off
    void mergeNextReplies(int count);             // hold replies until count are collected
    void insertJunkBeforeNextReply(const QByteArray& junk) { m_junk += junk; }
    void setDropReplies(bool on) { m_dropReplies = on; }
    void dropAckForBlock(int block) { m_droppedAcks.insert(block); }
    void delayAckForBlock(int block, int ms) { m_ackDelays.insert(block, ms); }
    void vanishAfterBlock(int block) { m_vanishAfterBlock = block; } // hang up instead of its ack
    // Hang up halfway through the erase instead of answering "ERASE END".
    void setVanishDuringErase(bool on) { m_vanishDuringErase = on; }
    // No acknowledgement for the block that completes the image (a short block, or the
    // one that reaches setExpectedImageSize()).
    void setDropLastAck(bool on) { m_dropLastAck = on; }
    // The acknowledgement of the block goes out as two writes, pauseMs apart.
    void splitAckForBlock(int block, int pauseMs) { m_splitAcks.insert(block, pauseMs); }
    // Two acknowledgements for the block, in one write.
    void doubleAckForBlock(int block) { m_doubledAcks.insert(block); }
    // Closes the master as an unplug would; the application's port then reports
    // ResourceError (see closePty() for what that takes on a pty).
    void hangUp();

    // --- live pedal data ---
    static QByteArray liveFrame(int messageNumber, quint8 status, quint8 data1, quint8 data2);
    // CC values 0..127..0 (255 frames) on channel 1..16; frames past the end repeat the sweep.
    static LiveGenerator ccSweep(int messageNumber, int channel, int controller);
    static constexpr int kSweepLength = 255;
    void sendLiveFrame(int messageNumber, quint8 status, quint8 data1, quint8 data2);
    // Sends frames at the given rate until count frames went out (0: until stopped).
    // A 10 ms tick sends every frame that has fallen due, so high rates go out in batches.
    void startLiveFrames(double framesPerSecond, LiveGenerator generator, quint64 count = 0);
    void stopLiveFrames();
    bool liveFramesRunning() const { return m_liveTimer.isActive(); }
    quint64 liveFramesSent() const { return m_liveSent; }

    // --- inspection ---
    QByteArray received() const { return m_received; } // every byte the application wrote
    void clearReceived() { m_received.clear(); }

    // Pure helpers: bootloader frame AA CC N payload CR LF; acknowledgements.
    static QByteArray bootFrame(const QByteArray& payload);
    static QByteArray chunkAck() { return QByteArray::fromHex("AACC0236340D0A"); }
    static QByteArray alternativeChunkAck() { return QByteArray::fromHex("AACC020036340D0A"); }

signals:
    void requestReceived(PedalSimulator::Request request, const QByteArray& frame);
    void enteredBootloader(); // after a re-enumeration slavePath() already names the new port
    void eraseDone();         // "ERASE END" was queued
    void blockReceived(int block, const QByteArray& bytes);
    void liveFramesFinished();
    void hungUp(); // by hangUp() or a vanish, not by a re-enumeration

private:
    struct Pending {
        QByteArray bytes;
        qint64 dueMs;
    };

    void onReadable();
    void onWritable();
    void parse();
    int parseSysEx();
    int parseBootFrame();
    void handleSysEx(const QByteArray& frame);
    void handleBootCommand(const QByteArray& frame);
    void finishErase();
    void takeImageBytes(const QByteArray& bytes);
    void finishBlock(const QByteArray& block);
    void reply(const QByteArray& bytes, int extraDelayMs = 0);
    void enqueue(const QByteArray& bytes, int delayMs, int parts, int pauseMs);
    void pump();
    void liveTick();
    void closePty();
    bool openPty();
    void reenumerate();

    std::unique_ptr<PtyPair> m_pty;
    int m_lineFd = -1; // a second slave descriptor, see closePty()
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QElapsedTimer m_clock;
    QTimer m_outTimer;
    QList<Pending> m_out;
    QByteArray m_stalled; // rest of a write the pty did not take
    qint64 m_lastDueMs = 0;

    Mode m_mode = Mode::Application;
    QByteArray m_rx; // unparsed command bytes
    QByteArray m_received;

    int m_jacks = 4;
    int m_capability = -1;
    QByteArray m_model = "ZRT-10";
    QByteArray m_version = "V1.0.3";
    bool m_versionWithModel = false;
    bool m_reenumerate = false;

    QVector<QByteArray> m_store;
    int m_setResult = 0;
    bool m_shortSetResult = false;
    QList<QByteArray> m_setRequests;
    int m_factoryResets = 0;

    int m_eraseDelayMs = 100;
    bool m_answerErase = true;
    QTimer m_eraseTimer;
    bool m_erased = false; // bytes are image data from here on
    bool m_altAck = false;
    int m_expectedImageSize = 0;
    int m_quietMs = 50;
    QTimer m_quietTimer;
    QByteArray m_blockBuffer;
    QByteArray m_image;
    int m_blocks = 0;

    int m_replyDelayMs = 0;
    int m_splitParts = 1;
    int m_splitPauseMs = 0;
    int m_mergeCount = 0;
    QByteArray m_mergeBuffer;
    int m_mergeHeld = 0;
    QByteArray m_junk;
    bool m_dropReplies = false;
    QSet<int> m_droppedAcks;
    QHash<int, int> m_ackDelays;
    int m_vanishAfterBlock = -1;
    bool m_vanishDuringErase = false;
    bool m_dropLastAck = false;
    QHash<int, int> m_splitAcks;
    QSet<int> m_doubledAcks;

    QTimer m_liveTimer;
    LiveGenerator m_liveGenerator;
    double m_liveRate = 0;
    quint64 m_liveLimit = 0;
    quint64 m_liveSent = 0;
    QElapsedTimer m_liveClock;
};
