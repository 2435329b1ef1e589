#include "upgrade/upgrade_dialog.h"
#include "ui_upgrade_dialog.h"

#include "app/combo_popup_fixer.h"
#include "app/logging.h"
#include "app/non_popup_combobox_style.h"
#include "app/platform.h"
#include "device/serialport.h"
#include "upgrade/block_transfer.h"
#include "upgrade/bootloader_commands.h"
#include "upgrade/download_server.h"
#include "upgrade/firmware_version.h"
#include "upgrade/port_probe.h"

#include <QCloseEvent>
#include <QCryptographicHash>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>

const QByteArray upgrade_dialog::kVersionCmd = Bootloader::identityQuery();
const QByteArray upgrade_dialog::kEraseCmd = Bootloader::eraseCommand();
const QByteArray upgrade_dialog::kChunkAck = Bootloader::chunkAck();
const QByteArray upgrade_dialog::kChunkAckAlt = Bootloader::alternativeChunkAck();

namespace {

const char* const kDialogStyleSheet = R"(
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top center;
    padding: 0 5px;
    color: #A68D44;
    font-size: 10pt;
}
QComboBox {
    background-color: #2A2A2A;
    color: #FFFFFF;
    border: 1px solid #666666;
    padding: 4px;
}
QComboBox:focus {
    border: 2px solid #574d46;
    background-color: #333333;
    box-shadow: 2px 2px 4px rgba(0, 0, 0, 0.8), -2px -2px 4px rgba(255, 255, 255, 0.1);
}
QComboBox::drop-down {
    background: transparent;
    border: none;
}
QComboBox QAbstractItemView {
    background-color: #2A2A2A;
    color: #FFFFFF;
    selection-background-color: #A68D44;
    selection-color: #000000;
}
)";

const QString kBrandWord = QStringLiteral("Quorvane");

} // namespace

// One running probe of an undescribed port.
struct upgrade_dialog::Probe
{
    QSerialPort* serial = nullptr;
    QByteArray received;
    QString fallbackName;
};

upgrade_dialog::upgrade_dialog(QWidget* parent, SerialPort* port)
    : QDialog(parent), ui(new Ui::upgrade_dialog), port(port)
{
    ui->setupUi(this);
    comboBox = ui->comboBox;
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* comboStyle = new NonPopupComboBoxStyle;
    comboStyle->setParent(this);
    comboBox->setStyle(comboStyle);
    comboBox->installEventFilter(new ComboPopupFixer(this));
    comboBox->setFixedHeight(24);
    comboBox->setMaxVisibleItems(comboBox->count());
    setStyleSheet(QString::fromLatin1(kDialogStyleSheet));

    eraseTimer = new QTimer(this);
    eraseTimer->setSingleShot(true);
    ackTimer = new QTimer(this);
    ackTimer->setSingleShot(true);
    refreshTimer = new QTimer(this);

    connect(port, &SerialPort::send_vesion, this, &upgrade_dialog::rec_version);
    connect(port, &SerialPort::send_MTD, this, &upgrade_dialog::rec_mtd);
    connect(port, &SerialPort::send_erase, this, &upgrade_dialog::rec_erase_flag);
    connect(port, &QSerialPort::errorOccurred, this, &upgrade_dialog::handleSerialError);
    connect(port, &SerialPort::rxBytes, this, &upgrade_dialog::onUpgradeRxBytes);
    connect(refreshTimer, &QTimer::timeout, this, &upgrade_dialog::refreshDeviceList);
    connect(port, &QSerialPort::errorOccurred, this, &upgrade_dialog::onCommunicationLost);
    connect(eraseTimer, &QTimer::timeout, this, &upgrade_dialog::onEraseTimeout);
    connect(ackTimer, &QTimer::timeout, this, &upgrade_dialog::onAckTimeout);
    connect(ui->pushButton_2, &QPushButton::clicked, this, &QDialog::close);

    ui->progressBar->setValue(0);
    ui->pushButton->setText(tr("Connect"));
    setWindowTitle(tr("Firmware Upgrade"));
    ui->textBrowser_2->setText(
        tr("Please refer to the product manual to put the device into firmware upgrade mode before connecting."));
    refreshTimer->start(kRefreshIntervalMs);
}

upgrade_dialog::~upgrade_dialog()
{
    qDeleteAll(probes);
    delete ui;
}

void upgrade_dialog::show_page()
{
    show();
    refreshDeviceList();
}

void upgrade_dialog::clean_text()
{
    ui->textBrowser->clear();
}

void upgrade_dialog::log(const QString& html)
{
    ui->textBrowser->append(html);
}

void upgrade_dialog::setProgress(int percent)
{
    ui->progressBar->setValue(percent);
    emit progressChanged(percent);
}

void upgrade_dialog::raiseLater()
{
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) {
            raise();
            activateWindow();
        }
    });
}

// --- state machine ---

void upgrade_dialog::setUpgradeState(UpgradeState s)
{
    if (s == state)
        return;
    state = s;
    qCDebug(lcUpgrade) << "upgrade state" << s;
    port->flashing = s == Erasing || s == Sending;
    emit upgradeStateChanged(s);

    if (s == Sending) {
        ui->pushButton->setEnabled(false);
        comboBox->setEnabled(false);
        log(tr("Sending firmware..."));
        startSendingFirmware();
        return;
    }

    waitingForAck = false;
    ackBuffer.clear();
    ackTimer->stop();

    switch (s) {
    case Idle:
        ui->pushButton->setEnabled(true);
        ui->pushButton->setText(tr("Connect"));
        comboBox->setEnabled(true);
        setProgress(0);
        break;
    case Connected:
        ui->pushButton->setText(tr("Disconnect"));
        comboBox->setEnabled(false);
        log(tr("Connected. Requesting device info..."));
        break;
    case Erasing:
        ui->pushButton->setEnabled(false);
        comboBox->setEnabled(false);
        log(tr("Erasing flash, please wait..."));
        setProgress(0);
        break;
    case FinishedSuccess:
        if (ui->progressBar->value() <= 98)
            setProgress(99);
        log(tr("Finalizing, please wait..."));
        // The bootloader writes the last block and checks the image; the report waits for it.
        // The report always comes; it ends this upgrade only if no new one has begun meanwhile.
        QTimer::singleShot(kFinalizeDelayMs, this, [this] {
            if (state == FinishedSuccess)
                setProgress(100);
            QTimer::singleShot(50, this, [this] {
                QPointer<upgrade_dialog> self(this);
                QMessageBox::information(this, tr("Upgrade"),
                                         tr("Upgrade successful, please power on the device again."),
                                         QMessageBox::Ok);
                if (!self)
                    return;
                if (state == FinishedSuccess)
                    cleanupAfterUpgrade();
                autoupdateflag = false;
            });
        });
        break;
    case FinishedFailed:
        if (failureReported)
            break; // already told; stays here until the next start
        failureReported = true;
        eraseTimer->stop();
        firmware.clear();
        bytesSent = 0;
        setUpgradeState(Idle);
        QTimer::singleShot(0, this, [this] {
            QMessageBox::critical(this, tr("Upgrade Failed"),
                                  tr("Upgrade failed. Please check connection and try again."), QMessageBox::Ok);
        });
        break;
    case Sending:
        break;
    }
}

// --- connect, identify, start ---

void upgrade_dialog::on_pushButton_clicked()
{
    if (port->isOpen()) {
        port->close();
        port->upgradeForwarding = false;
        setUpgradeState(Idle);
        return;
    }
    if (comboBox->count() == 0) {
        QMessageBox::warning(this, tr("No Device"),
                             tr("No upgrade device detected. Please check connection and mode."));
        return;
    }
    const QString name = comboBox->currentData(Qt::UserRole).toString();
    if (port->open(portLocation(name), 115200)) {
        port->upgradeForwarding = true;
        port->write(kVersionCmd);
        port->flush();
        setUpgradeState(Connected);
    } else {
        QMessageBox::warning(this, tr("Error"), tr("Failed to open port: %1").arg(port->errorString()));
    }
}

void upgrade_dialog::rec_mtd(QString MTD)
{
    productModel = MTD;
    log(tr("Product Model: %1").arg(MTD));
}

void upgrade_dialog::rec_version(QString version)
{
    currentFirmware = version;
    log(tr("Current Firmware: %1").arg(version));
    if (autoupdateflag) {
        qCDebug(lcUpgrade) << "automatic upgrade running, no online check";
        return;
    }
    if (state == Connected)
        checkForOnlineUpdate();
}

void upgrade_dialog::on_pushButton_4_clicked()
{
    if (state != Connected) {
        QMessageBox::warning(this, tr("Warning"), tr("Please connect the device first."));
        return;
    }
    if (firmware.isEmpty()) {
        QMessageBox::warning(this, tr("No File"), tr("Please select a firmware file first."));
        return;
    }
    if (!validateFirmware(firmware, QString())) {
        QMessageBox::critical(this, tr("Validation Failed"), tr("Firmware validation failed. Cannot proceed."));
        return;
    }
    deviceRemoved = false;
    failureReported = false;
    log(tr("Starting manual upgrade..."));
    ui->pushButton_4->setEnabled(false);
    if (port->isOpen())
        startErase();
}

void upgrade_dialog::startErase()
{
    port->write(kEraseCmd);
    port->flush();
    eraseTimer->start(kEraseTimeoutMs);
    setUpgradeState(Erasing);
}

// --- erase ---

void upgrade_dialog::rec_erase_flag(bool flag)
{
    if (!flag || state != Erasing)
        return;
    eraseTimer->stop();
    log(tr("Erase completed."));
    setUpgradeState(Sending);
}

void upgrade_dialog::onEraseTimeout()
{
    if (state != Erasing)
        return;
    log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("Erase timeout! Device not responding.")));
    setUpgradeState(FinishedFailed);
}

// --- transfer ---

void upgrade_dialog::startSendingFirmware()
{
    if (firmware.isEmpty()) {
        // The flash is erased by now: an empty image leaves the device without firmware.
        qCDebug(lcUpgrade) << "no image to send after the erase";
        log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("Firmware validation failed!")));
        setUpgradeState(FinishedFailed);
        return;
    }
    if (!validateFirmware(firmware, QString())) {
        log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("Firmware validation failed!")));
        setUpgradeState(FinishedFailed);
        return;
    }
    bytesSent = 0;
    waitingForAck = false;
    ackBuffer.clear();
    ackTimer->stop();
    chunkLength = BlockTransfer::blockLength(firmware.size(), 0);
    currentChunk = firmware.left(chunkLength);
    QTimer::singleShot(kBlockPauseMs, Qt::PreciseTimer, this, [this] {
        if (state == Sending && !waitingForAck)
            sendNextChunk();
    });
}

void upgrade_dialog::sendNextChunk()
{
    if (!port || !port->isOpen() || deviceRemoved) {
        setUpgradeState(FinishedFailed);
        log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("Error: Connection lost during sending!")));
        return;
    }
    if (waitingForAck)
        return;
    if (bytesSent >= firmware.size()) {
        setUpgradeState(FinishedSuccess);
        return;
    }
    if (currentChunk.isEmpty())
        return;

    const qint64 written = port->write(currentChunk);
    port->flush();
    if (written == currentChunk.size()) {
        bytesSent += written;
        waitingForAck = true;
        ackTimer->start(kAckTimeoutMs);
        setProgress(BlockTransfer::progressPercent(bytesSent, firmware.size()));
        chunkLength = BlockTransfer::blockLength(firmware.size(), bytesSent);
        currentChunk = firmware.mid(int(bytesSent), chunkLength);
    } else {
        qCDebug(lcUpgrade) << "short block write:" << written << "of" << currentChunk.size();
        setUpgradeState(FinishedFailed);
        log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("Error: Failed to send data block!")));
    }
}

void upgrade_dialog::onUpgradeRxBytes(QByteArray data)
{
    if (state != Sending || !waitingForAck || data.isEmpty())
        return;
    ackBuffer += data;
    const BlockTransfer::AckMatch ack = BlockTransfer::findAck(ackBuffer);
    if (!ack.found())
        return;
    // One acknowledgement releases one block; any further one waits for the next search.
    ackBuffer.remove(0, ack.position + ack.length);
    waitingForAck = false;
    ackTimer->stop();
    QTimer::singleShot(kBlockPauseMs, Qt::PreciseTimer, this, [this] {
        if (state == Sending && !waitingForAck)
            sendNextChunk();
    });
}

void upgrade_dialog::onAckTimeout()
{
    if (state != Sending || !waitingForAck)
        return;
    waitingForAck = false;
    if (bytesSent >= firmware.size()) {
        // Only the last block's acknowledgement is missing: the bootloader has every byte.
        setUpgradeState(FinishedSuccess);
        return;
    }
    log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("ACK timeout! Device not responding.")));
    setUpgradeState(FinishedFailed);
}

// --- losing the device ---

// A vanished device reports ResourceError; a hung-up tty reads end-of-file, which the
// port reports as ReadError. Either way the port is closed.
void upgrade_dialog::handleSerialError(QSerialPort::SerialPortError error)
{
    Q_UNUSED(error) // the port's current error decides
    const QSerialPort::SerialPortError current = port->error();
    if ((current == QSerialPort::ResourceError || current == QSerialPort::ReadError) && port->isOpen()) {
        qCDebug(lcUpgrade) << "device lost:" << port->errorString();
        port->close();
        port->upgradeForwarding = false;
        ui->pushButton->setEnabled(true);
        ui->pushButton->setText(tr("Connect"));
        comboBox->setEnabled(true);
    }
}

void upgrade_dialog::onCommunicationLost(QSerialPort::SerialPortError error)
{
    const bool lost = error == QSerialPort::DeviceNotFoundError || error == QSerialPort::ResourceError
                      || error == QSerialPort::NotOpenError || error == QSerialPort::ReadError;
    if (!lost || (state != Erasing && state != Sending) || failureReported)
        return;
    deviceRemoved = true;
    setUpgradeState(FinishedFailed);
    log(QStringLiteral("<font color=\"red\"><b>%1</b></font>").arg(tr("CRITICAL: Communication lost!")));
}

// --- end and close ---

void upgrade_dialog::cleanupAfterUpgrade()
{
    eraseTimer->stop();
    ackTimer->stop();
    waitingForAck = false;
    ackBuffer.clear();
    firmware.clear();
    bytesSent = 0;
    setUpgradeState(Idle);
    hide();
}

void upgrade_dialog::closeEvent(QCloseEvent* event)
{
    // An erase or transfer always ends by itself within its time-outs; stopping it
    // half-way would leave the device without firmware and without a report.
    if (state == Erasing || state == Sending) {
        log(QStringLiteral("<font color=\"red\">%1</font>")
                .arg(tr("Upgrade in progress, please wait until it has finished.")));
        event->ignore();
        return;
    }
    cleanupAfterUpgrade();
    QDialog::closeEvent(event);
}

void upgrade_dialog::reject()
{
    // Escape goes the same way as the Close button.
    close();
}

// --- firmware sources ---

void upgrade_dialog::on_pushButton_3_clicked()
{
    if (state != Connected) {
        QMessageBox::warning(this, tr("Warning"), tr("Please connect the device first."));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(this, tr("Select Firmware"), QString(),
                                                      tr("Bin files (*.bin);;All files (*.*)"));
    if (path.isEmpty()) {
        raiseLater();
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(this, tr("Error"), tr("Cannot open file."));
        return;
    }
    firmware = file.readAll();
    file.close();
    ui->lineEdit->setText(path);
    log(tr("Local file loaded: %1 bytes").arg(firmware.size()));
    log(QStringLiteral("<font color=\"green\">%1</font>")
            .arg(tr("File loaded successfully. Click 'Start Upgrade' to begin.")));
    ui->pushButton_4->setEnabled(true);
    raiseLater();
}

bool upgrade_dialog::validateFirmware(const QByteArray& data, const QString& expectedMd5)
{
    const QString digest = QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
    log(tr("Firmware MD5: %1").arg(digest));
    if (!expectedMd5.isEmpty() && expectedMd5 != digest) {
        log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("MD5 mismatch! Expected: %1").arg(expectedMd5)));
        return false;
    }
    return true;
}

void upgrade_dialog::checkForOnlineUpdate()
{
    const int index = FirmwareVersion::dialogUpdateSourceFor(productModel);
    if (index < 0) {
        log(tr("Online update not supported for this device."));
        return;
    }
    const FirmwareVersion::UpdateSource source = FirmwareVersion::dialogUpdateSources().at(index);
    performNetworkRequest(
        DownloadServer::firmwareUpdateFile(source.folder, source.fileName),
        [this, source](const QByteArray& body) {
            const FirmwareVersion::UpdateFile file = FirmwareVersion::parseUpdateFile(body, source.key);
            const bool newer = FirmwareVersion::isNewer(FirmwareVersion::versionNumber(currentFirmware),
                                                        FirmwareVersion::versionNumber(file.release));
            if (!newer || file.release.isEmpty()) {
                log(tr("Already the latest version."));
                return;
            }
            const QString text = tr("Current: %1_%2\nNew version available: %3\n\nUpdate Content:\n%4")
                                     .arg(source.key, currentFirmware, file.release,
                                          file.content.isEmpty() ? tr("No description") : file.content);
            const auto answer = QMessageBox::question(this, tr("Update Available"), text,
                                                      QMessageBox::Ok | QMessageBox::Cancel);
            if (answer != QMessageBox::Ok)
                return;
            downloadFirmware(DownloadServer::firmwareImage(source.key, file.release).toString(), file.release);
        },
        3,
        [this] {
            // Nothing was asked of the device yet: a manual upgrade from a file stays possible.
            log(tr("Online update check failed. A local firmware file can still be used."));
        });
}

void upgrade_dialog::performNetworkRequest(const QUrl& url, std::function<void(const QByteArray&)> onData,
                                           int retriesLeft)
{
    performNetworkRequest(url, std::move(onData), retriesLeft, [this] {
        if (state == Erasing || state == Sending) {
            // A transfer started from a local file meanwhile; it is not this request's.
            log(tr("Download failed; the running upgrade continues."));
            return;
        }
        setUpgradeState(FinishedFailed);
    });
}

void upgrade_dialog::performNetworkRequest(const QUrl& url, std::function<void(const QByteArray&)> onData,
                                           int retriesLeft, std::function<void()> onGiveUp)
{
    auto* manager = new QNetworkAccessManager(this);
    QNetworkReply* reply = manager->get(QNetworkRequest(url));
    qCDebug(lcUpgrade) << "GET" << url << "retries left" << retriesLeft;
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (total > 0)
            log(tr("Download progress: %1%").arg(received * 100 / total));
    });
    connect(reply, &QNetworkReply::finished, this, [this, manager, reply, url, onData, retriesLeft, onGiveUp] {
        reply->deleteLater();
        manager->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            log(tr("Network error: %1").arg(reply->errorString()));
            if (retriesLeft <= 0) {
                onGiveUp();
                return;
            }
            log(tr("Retrying... (%1 attempts left)").arg(retriesLeft - 1));
            performNetworkRequest(url, onData, retriesLeft - 1, onGiveUp);
            return;
        }
        onData(reply->readAll());
    });
}

void upgrade_dialog::downloadFirmware(const QString& url, const QString& releaseName)
{
    performNetworkRequest(
        QUrl(url),
        [this, releaseName](const QByteArray& body) {
            if (state == Erasing || state == Sending) {
                // The image of the running transfer must not change under it.
                log(tr("Downloaded firmware ignored: an upgrade is already running."));
                return;
            }
            firmware = body;
            log(tr("Downloaded new firmware: %1 (%2 bytes)").arg(releaseName).arg(body.size()));
            if (body.isEmpty()) {
                // Erasing for an empty image would leave the device without firmware.
                log(QStringLiteral("<font color=\"red\">%1</font>").arg(tr("Firmware validation failed!")));
                failureReported = false;
                setUpgradeState(FinishedFailed);
                return;
            }
            // Only the device the user connected to and identified is erased.
            if (!port->isOpen() || state != Connected)
                return;
            // A new attempt: earlier failures must not fail this one.
            deviceRemoved = false;
            failureReported = false;
            startErase();
        },
        3);
}

// --- device list and probing ---

QString upgrade_dialog::buildFallbackDisplayName(const SerialPortListing& info,
                                                 const QMap<QPair<int, int>, QString>& names) const
{
    const QString known = names.value(qMakePair(info.productId, info.vendorId));
    if (!known.isEmpty())
        return known;
    return PortProbe::fallbackDisplayName(info.manufacturer, info.description, info.portName);
}

QString upgrade_dialog::portLocation(const QString& portName) const
{
    const QString location = locations.value(portName);
    return location.isEmpty() ? portName : location;
}

void upgrade_dialog::refreshDeviceList()
{
    const QString prev = comboBox->currentIndex() >= 0 ? comboBox->currentData(Qt::UserRole).toString() : QString();

    QMap<QString, QString> found; // port name -> display name, ordered by port name
    QSet<QString> present;        // candidate ports, listed or not
    QHash<QString, QString> newLocations;
    const QList<SerialPortListing> ports = DeviceEnumerator::instance().serialPorts();
    for (const SerialPortListing& info : ports) {
        qCDebug(lcUpgrade) << "port" << info.portName << info.systemLocation << "vid" << info.vendorId << "pid"
                           << info.productId << "description" << info.description << "manufacturer"
                           << info.manufacturer;
        if (!Platform::isBootloaderPortName(info.portName)) {
            qCDebug(lcUpgrade) << "  skipped: not a bootloader port name";
            continue;
        }
        if (info.vendorId == 0 || info.productId == 0) {
            qCDebug(lcUpgrade) << "  skipped: no USB ids";
            continue;
        }
        const QString fallback = buildFallbackDisplayName(info, {});
        if (fallback.contains(kBrandWord)) {
            qCDebug(lcUpgrade) << "  skipped: application-mode device";
            continue;
        }
        present.insert(info.portName);
        if (!info.systemLocation.isEmpty())
            newLocations.insert(info.portName, info.systemLocation);

        QString display;
        if (!info.description.isEmpty()) {
            display = info.description;
        } else {
            if (comboBox->isEnabled() && state == Idle)
                startPortProbe(info, fallback);
            const auto cached = probeCache.constFind(info.portName);
            if (cached != probeCache.constEnd() && cached->success && !cached->model.isEmpty())
                display = cached->model;
        }
        if (display.isEmpty()) {
            qCDebug(lcUpgrade) << "  not listed: not identified (yet)";
            continue;
        }
        qCDebug(lcUpgrade) << "  listed as" << display;
        found.insert(info.portName, display);
    }
    // Keep the locations of ports that are gone from the listing but still in the box.
    for (auto it = newLocations.cbegin(); it != newLocations.cend(); ++it)
        locations.insert(it.key(), it.value());

    QMap<QString, QString> old;
    bool duplicate = false;
    for (int i = 0; i < comboBox->count(); ++i) {
        const QString name = comboBox->itemData(i, Qt::UserRole).toString();
        if (name.isEmpty())
            continue;
        if (old.contains(name))
            duplicate = true;
        old.insert(name, comboBox->itemText(i));
    }
    if (old == found && !duplicate)
        return;

    {
        const QSignalBlocker blocker(comboBox);
        comboBox->clear();
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            comboBox->addItem(it.value(), it.key());
    }
    log(tr("Device list refreshed: found %1 upgrade device(s).").arg(comboBox->count()));
    if (comboBox->count() == 0)
        log(tr("No upgrade device detected.\nPlease ensure the device is in firmware upgrade mode and properly "
               "connected."));

    if (!prev.isEmpty()) {
        const int index = comboBox->findData(prev, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            comboBox->setCurrentIndex(index);
        else
            qCDebug(lcUpgrade) << "previously selected device" << prev << "is no longer available";
    } else if (comboBox->count() > 0 && comboBox->currentIndex() < 0) {
        comboBox->setCurrentIndex(0);
    }

    // Results of ports that are gone are forgotten; a port still present keeps its
    // entry, and with it the rate limit of its probes.
    for (auto it = probeCache.begin(); it != probeCache.end();) {
        if (!present.contains(it.key()))
            it = probeCache.erase(it);
        else
            ++it;
    }
}

void upgrade_dialog::startPortProbe(const SerialPortListing& info, const QString& fallbackName)
{
    const QString name = info.portName;
    if (probesInFlight.contains(name) || probesInFlight.size() >= kMaxProbesInFlight)
        return;
    if (port && port->isOpen()) {
        const QString open = port->portName();
        const QString location = info.systemLocation.isEmpty() ? name : info.systemLocation;
        if (open == name || open == location || QStringLiteral("/dev/") + open == location)
            return;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto cached = probeCache.constFind(name);
    if (cached != probeCache.constEnd() && cached->probedAt.isValid() && cached->probedAt.secsTo(now) < kProbeIntervalSecs)
        return;

    probesInFlight.insert(name);
    probeCache[name].probedAt = now;

    auto* serial = new QSerialPort(this);
    serial->setPortName(info.systemLocation.isEmpty() ? name : info.systemLocation);
    serial->setBaudRate(115200, QSerialPort::AllDirections);
    serial->setDataBits(QSerialPort::Data8);
    serial->setParity(QSerialPort::NoParity);
    serial->setStopBits(QSerialPort::OneStop);
    serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!serial->open(QIODevice::ReadWrite)) {
        qCDebug(lcUpgrade) << "probe of" << name << "cannot open:" << serial->errorString();
        probesInFlight.remove(name);
        serial->deleteLater();
        return;
    }

    auto* probe = new Probe;
    probe->serial = serial;
    probe->fallbackName = fallbackName;
    probes.insert(name, probe);

    auto* answerWindow = new QTimer(serial);
    answerWindow->setSingleShot(true);
    connect(answerWindow, &QTimer::timeout, this, [this, name] { finishProbe(name, true); });
    connect(serial, &QSerialPort::readyRead, this, [this, name, probe, serial] {
        const QByteArray chunk = serial->readAll();
        probe->received += chunk;
        qCDebug(lcUpgrade) << "probe of" << name << "read" << PortProbe::hexDump(chunk, 200);
        if (PortProbe::replyNamesModel(probe->received))
            finishProbe(name, false);
    });
    serial->write(kVersionCmd);
    serial->flush();
    answerWindow->start(kProbeWindowMs);
    qCDebug(lcUpgrade) << "probing" << name << fallbackName;
}

void upgrade_dialog::finishProbe(const QString& portName, bool fromTimeout)
{
    if (!probesInFlight.contains(portName))
        return;
    Probe* probe = probes.take(portName);
    const PortProbe::Reply reply = PortProbe::parseReply(probe ? probe->received : QByteArray());

    PortProbeCacheEntry& entry = probeCache[portName];
    entry.model = reply.model;
    entry.version = reply.version;
    entry.probedAt = QDateTime::currentDateTimeUtc();
    entry.success = reply.success;
    qCDebug(lcUpgrade) << "probe of" << portName << "done, fromTimeout" << fromTimeout << "model" << entry.model
                       << "version" << entry.version << "success" << entry.success << "fallback"
                       << (probe ? probe->fallbackName : QString()) << "received"
                       << PortProbe::hexDump(probe ? probe->received : QByteArray(), 400);

    probesInFlight.remove(portName);
    if (probe) {
        probe->serial->disconnect(this);
        if (probe->serial->isOpen())
            probe->serial->close();
        probe->serial->deleteLater();
        delete probe;
    }
    if (entry.success && !entry.model.isEmpty())
        updateComboBoxDisplayName(portName, entry.model);
}

void upgrade_dialog::updateComboBoxDisplayName(const QString& portName, const QString& displayName)
{
    const int index = comboBox->findData(portName, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        comboBox->addItem(displayName, portName);
    else if (comboBox->itemText(index) != displayName)
        comboBox->setItemText(index, displayName);
}
