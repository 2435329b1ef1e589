#pragma once

#include "device/device_enumerator.h"

#include <QByteArray>
#include <QDateTime>
#include <QDialog>
#include <QHash>
#include <QMap>
#include <QPair>
#include <QSerialPort>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>

class QCloseEvent;
class QComboBox;
class QTimer;
class SerialPort;

namespace Ui {
class upgrade_dialog;
}

// Firmware upgrade dialog. It borrows the main window's serial port, talks to a
// controller in bootloader mode and sends the image in 64-byte blocks, each one
// released by the acknowledgement of the previous block.
class upgrade_dialog : public QDialog
{
    Q_OBJECT

public:
    enum UpgradeState {
        Idle = 0,
        Connected = 1,
        Erasing = 2,
        Sending = 3,
        FinishedSuccess = 4,
        FinishedFailed = 5 // transient: reported, then Idle
    };
    Q_ENUM(UpgradeState)

    // What a probe of an undescribed port found out.
    struct PortProbeCacheEntry
    {
        QString model;      // the reply line holding the model, empty when none
        QString version;    // version text of the reply, trimmed
        QDateTime probedAt; // UTC: start of the last probe, then its end
        bool success = false;
    };

    // Bootloader frames, built once.
    static const QByteArray kVersionCmd; // AA CC 02 00 01 0D 0A
    static const QByteArray kEraseCmd;   // AA CC 02 00 02 0D 0A, answered by "ERASE END"
    static const QByteArray kChunkAck;   // AA CC 02 36 34 0D 0A, block received
    static const QByteArray kChunkAckAlt; // AA CC 02 00 36 34 0D 0A, accepted like kChunkAck

    static constexpr int kBlockSize = 64;
    static constexpr int kBlockPauseMs = 30;      // after an acknowledgement, before the next block
    static constexpr int kEraseTimeoutMs = 10000;
    static constexpr int kAckTimeoutMs = 3000;
    static constexpr int kRefreshIntervalMs = 1500;
    static constexpr int kProbeWindowMs = 400;
    static constexpr int kProbeIntervalSecs = 10;
    static constexpr int kMaxProbesInFlight = 2;
    static constexpr int kFinalizeDelayMs = 5000;

    upgrade_dialog(QWidget* parent, SerialPort* port);
    ~upgrade_dialog() override;

    // Shows the dialog, then refreshes the device list once.
    void show_page();
    // Empties the upgrade log.
    void clean_text();

    void setUpgradeState(UpgradeState s);
    void startSendingFirmware();
    void cleanupAfterUpgrade();

    // Firmware sources.
    bool validateFirmware(const QByteArray& data, const QString& expectedMd5);
    void checkForOnlineUpdate();
    void performNetworkRequest(const QUrl& url, std::function<void(const QByteArray&)> onData,
                               int retriesLeft);
    // The same GET with its own reaction once the last retry failed.
    void performNetworkRequest(const QUrl& url, std::function<void(const QByteArray&)> onData, int retriesLeft,
                               std::function<void()> onGiveUp);
    void downloadFirmware(const QString& url, const QString& releaseName);

    // Device list and probing. Ports come from DeviceEnumerator; the item data of
    // comboBox is the listing's portName.
    QString buildFallbackDisplayName(const SerialPortListing& info,
                                     const QMap<QPair<int, int>, QString>& names) const;
    void startPortProbe(const SerialPortListing& info, const QString& fallbackName);
    void updateComboBoxDisplayName(const QString& portName, const QString& displayName);
    // The path to open for a listed port name: the systemLocation of the latest
    // listing, or the name itself when the listing has none.
    QString portLocation(const QString& portName) const;

    // The device list (item text: display name, item data Qt::UserRole: port name).
    QComboBox* comboBox = nullptr;

    bool autoupdateflag = false; // driven by the automatic upgrade of the main window
    Ui::upgrade_dialog* ui = nullptr;
    SerialPort* port = nullptr; // not owned
    UpgradeState state = Idle;
    bool failureReported = false;
    bool deviceRemoved = false;
    QString productModel;
    QString currentFirmware;
    QByteArray firmware;
    qint64 bytesSent = 0;
    int chunkLength = 0;
    QByteArray currentChunk;
    QTimer* eraseTimer = nullptr;
    QTimer* ackTimer = nullptr;
    bool waitingForAck = false;
    QByteArray ackBuffer;
    QHash<QString, PortProbeCacheEntry> probeCache;
    QSet<QString> probesInFlight;

signals:
    // Every change of state, emitted as the state changes (before the transition's work).
    void upgradeStateChanged(upgrade_dialog::UpgradeState state);
    // Transfer progress in percent, as shown by the progress bar.
    void progressChanged(int percent);

public slots:
    void rec_version(QString version);
    void rec_mtd(QString MTD);
    void rec_erase_flag(bool flag);
    void sendNextChunk();
    void onUpgradeRxBytes(QByteArray data);
    void on_pushButton_clicked();
    void on_pushButton_3_clicked();
    void refreshDeviceList();
    void onEraseTimeout();
    void onAckTimeout();
    void on_pushButton_4_clicked();
    void handleSerialError(QSerialPort::SerialPortError error);
    // Escape closes the dialog the way the Close button does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void onCommunicationLost(QSerialPort::SerialPortError error);
    void startErase();
    void setProgress(int percent);
    void log(const QString& html);
    void raiseLater();
    void finishProbe(const QString& portName, bool fromTimeout);

    QTimer* refreshTimer = nullptr;
    QHash<QString, QString> locations; // port name -> system location of the last listing

    struct Probe;
    QHash<QString, Probe*> probes; // running probes by port name
};
