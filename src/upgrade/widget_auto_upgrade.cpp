// The automatic upgrade started from the main window's offer (members of Widget):
// the downloaded image, the enter-bootloader request, the search for the restarted
// controller among the upgrade dialog's devices, and the dialog driven to its end.
//
// What the user sees: the "Preparing" notice while the controller restarts, then the
// upgrade dialog itself with its log and progress bar, and its own success or failure
// box; a failure of the steps before the transfer, the image download included, ends
// in an "Auto Upgrade Failed" box.
// The small progress window (Upgrade_message_Dialog) stays hidden: the upgrade dialog
// already shows the same progress, and two progress windows would compete.
#include "app/widget.h"

#include "app/logging.h"
#include "device/device_enumerator.h"
#include "device/serialport.h"
#include "upgrade/auto_upgrade.h"
#include "upgrade/bootloader_commands.h"
#include "upgrade/upgrade_dialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

namespace {

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

void dropTimer(QTimer*& timer)
{
    if (!timer)
        return;
    timer->stop();
    timer->deleteLater(); // may be the timer whose tick is running
    timer = nullptr;
}

} // namespace

void Widget::startAutoUpgradeByName(QNetworkReply* reply)
{
    reply->deleteLater();
    reply->manager()->deleteLater();

    // Only a complete 200 answer carries the image; a redirect or other answer
    // carries a page, and a cut transfer ends in an error.
    QString failure;
    QByteArray image;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError)
        failure = reply->errorString();
    else if (status != 200)
        failure = tr("The server answered with status %1.").arg(status);
    else if ((image = reply->readAll()).isEmpty())
        failure = tr("The server sent an empty file.");
    // Meanwhile the upgrade dialog may have taken the port for an upgrade of its own;
    // a restart request would reach its bootloader, or the middle of its image.
    const bool dialogHoldsPort = failure.isEmpty() && serialPort->upgradeForwarding;
    if (dialogHoldsPort)
        failure = tr("The upgrade dialog is connected to the device.");
    if (!failure.isEmpty()) {
        qCDebug(lcUpgrade).noquote() << stamp() << "automatic upgrade not started:" << failure;
        // The controller never left application mode: it keeps its identity.
        if (!dialogHoldsPort && serialPort->isOpen() && deviceModel == QLatin1String("xx")
            && deviceVersion == QLatin1String("xx")) {
            setDeviceModel(offeredDeviceModel);
            deviceVersion = offeredDeviceVersion;
        }
        // The check of this connection stays done, so the offer does not come back.
        const QString text = dialogHoldsPort ? failure + tr("\nThe device was not changed.")
                                             : tr("Firmware download failed: %1\nThe device was not changed.").arg(failure);
        QMessageBox::warning(this, tr("Auto Upgrade Failed"), text);
        return;
    }
    qCDebug(lcUpgrade).noquote() << stamp() << "image downloaded:" << image.size() << "bytes";
    autoUpgradeImage = image;

    const qint64 written = serialPort->write(Bootloader::enterBootloaderRequest());
    serialPort->flush();
    qCDebug(lcUpgrade).noquote() << stamp() << "enter-bootloader request written:" << written;

    firmwareCheckStarted = true;

    if (preparingBox)
        preparingBox->deleteLater();
    preparingBox = new QMessageBox(QMessageBox::Information, tr("Message"), tr("Preparing for the upgrade..."),
                                   QMessageBox::NoButton, this);
    preparingBox->setWindowModality(Qt::ApplicationModal);
    preparingBox->show();

    QTimer::singleShot(AutoUpgrade::timing().preparingMs, Qt::PreciseTimer, this, &Widget::beginBootloaderScan);
}

void Widget::beginBootloaderScan()
{
    if (preparingBox) {
        preparingBox->close();
        preparingBox->deleteLater();
        preparingBox = nullptr;
    }
    qCDebug(lcUpgrade).noquote() << stamp() << "looking for the bootloader of"
                                 << AutoUpgrade::modelName(autoUpgradeModelIndex);
    serialPort->initPort2();

    upgradeDialog->show();
    upgradeDialog->raise();
    upgradeDialog->activateWindow();
    upgradeDialog->clean_text();

    stopAutoUpgradeTimers();
    autoScanTimer = new QTimer(this);
    autoScanTimer->setInterval(AutoUpgrade::timing().scanMs);
    connect(autoScanTimer, &QTimer::timeout, this, &Widget::autoUpgradeScanTick);
    autoTimeoutTimer = new QTimer(this);
    autoTimeoutTimer->setSingleShot(true);
    autoTimeoutTimer->setTimerType(Qt::PreciseTimer);
    connect(autoTimeoutTimer, &QTimer::timeout, this, [this] {
        failAutoUpgrade(tr("Bootloader device not found (timeout).\nPlease check: device in upgrade mode, USB "
                           "cable, driver, then try again."));
    });
    autoTimeoutTimer->start(AutoUpgrade::timing().scanTimeoutMs);
    autoScanTimer->start();
}

void Widget::autoUpgradeScanTick()
{
    upgradeDialog->refreshDeviceList();

    // Only the bootloader of the model that was asked to restart takes its image.
    const QString model = AutoUpgrade::modelName(autoUpgradeModelIndex);
    const QList<SerialPortListing> ports = DeviceEnumerator::instance().serialPorts();
    QComboBox* list = upgradeDialog->comboBox;
    int match = -1;
    for (int i = 0; i < list->count() && match < 0; ++i) {
        const QString port = list->itemData(i, Qt::UserRole).toString();
        if (port.isEmpty())
            continue;
        bool found = false;
        for (const SerialPortListing& listing : ports) {
            if (listing.portName != port)
                continue;
            const QString info = listing.description + QLatin1Char(' ') + listing.manufacturer + QLatin1Char(' ')
                                 + listing.serialNumber;
            found = AutoUpgrade::namesBootloaderOf(info, model);
            break;
        }
        if (!found)
            found = AutoUpgrade::namesBootloaderOf(list->itemText(i), model);
        if (found)
            match = i;
    }
    if (match < 0)
        return;

    qCDebug(lcUpgrade).noquote() << stamp() << "bootloader found:" << list->itemText(match)
                                 << list->itemData(match, Qt::UserRole).toString();
    dropTimer(autoScanTimer);
    dropTimer(autoTimeoutTimer);
    if (serialPort->isOpen()) {
        serialPort->close();
        updateDeviceState();
    }

    list->setCurrentIndex(match);
    upgradeDialog->autoupdateflag = true;
    // The transfer is the part the user must not interrupt: keep it in sight.
    upgradeDialog->show();
    upgradeDialog->raise();
    upgradeDialog->on_pushButton_clicked();
    upgradeDialog->firmware = autoUpgradeImage;
    autoUpgradeImage.clear();

    autoWaitAttempts = 0;
    autoWaitTimer = new QTimer(this);
    connect(autoWaitTimer, &QTimer::timeout, this, &Widget::autoUpgradeWaitTick);
    autoWaitTimer->start(AutoUpgrade::timing().waitTickMs);
}

void Widget::autoUpgradeWaitTick()
{
    ++autoWaitAttempts;
    const upgrade_dialog::UpgradeState state = upgradeDialog->state;
    qCDebug(lcUpgrade).noquote() << stamp() << "waiting for the connection, attempt" << autoWaitAttempts
                                 << "state" << state;
    if (state == upgrade_dialog::Idle || state == upgrade_dialog::FinishedFailed) {
        dropTimer(autoWaitTimer);
        failAutoUpgrade(tr("Connect failed: cannot enter Connected state.\nCheck device mode and whether the port "
                           "is occupied."));
        return;
    }
    if (state == upgrade_dialog::Connected) {
        dropTimer(autoWaitTimer);
        autoWatchTimer = new QTimer(this);
        connect(autoWatchTimer, &QTimer::timeout, this, &Widget::autoUpgradeWatchTick);
        autoWatchTimer->start(AutoUpgrade::timing().watchMs);
        upgradeDialog->on_pushButton_4_clicked();
        return;
    }
    if (autoWaitAttempts >= AutoUpgrade::timing().waitTicks) {
        dropTimer(autoWaitTimer);
        failAutoUpgrade(tr("Connect timeout: waited too long for Connected state."));
    }
}

void Widget::autoUpgradeWatchTick()
{
    const upgrade_dialog::UpgradeState state = upgradeDialog->state;
    const bool ended = state == upgrade_dialog::FinishedSuccess || state == upgrade_dialog::FinishedFailed
                       || (state == upgrade_dialog::Idle && !upgradeDialog->isVisible());
    if (!ended)
        return;
    qCDebug(lcUpgrade).noquote() << stamp() << "automatic upgrade ended in state" << state;
    dropTimer(autoWatchTimer);
    firmwareCheckStarted = false;
    // The dialog is no longer driven: a later connection of its own may check online again.
    if (state != upgrade_dialog::FinishedSuccess)
        upgradeDialog->autoupdateflag = false;
}

void Widget::failAutoUpgrade(const QString& reason)
{
    qCDebug(lcUpgrade).noquote() << stamp() << "automatic upgrade failed:" << reason;
    stopAutoUpgradeTimers();
    autoUpgradeImage.clear();
    upgradeDialog->autoupdateflag = false;
    firmwareCheckStarted = false;
    QMessageBox::warning(this, tr("Auto Upgrade Failed"), reason);
}

void Widget::stopAutoUpgradeTimers()
{
    dropTimer(autoScanTimer);
    dropTimer(autoTimeoutTimer);
    dropTimer(autoWaitTimer);
    dropTimer(autoWatchTimer);
}
