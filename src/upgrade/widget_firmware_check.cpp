// The main window's firmware check (members of Widget): the identity of the
// connected controller, the once-per-connection look at its update file, and the
// offer of a newer release.
#include "app/widget.h"

#include "app/logging.h"
#include "device/serialport.h"
#include "upgrade/auto_upgrade.h"
#include "upgrade/bootloader_recognisers.h"

#include <QDateTime>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace {

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

} // namespace

void Widget::rec_data(QByteArray data)
{
    const BootloaderRecognisers::Identity id = BootloaderRecognisers::recogniseIdentity(data);
    qCDebug(lcUpgrade).noquote() << "rec_data" << data.size() << "bytes:" << data.toHex(' ') << "marker" << id.marker;
    if (id.ignored) {
        qCDebug(lcUpgrade) << "rec_data: erase, acknowledgement or reset reply";
        return;
    }

    if (id.hasModel) {
        qCDebug(lcUpgrade) << "rec_data: model" << id.model;
        setDeviceModel(id.model);
    } else if (id.hasVersion) {
        qCDebug(lcUpgrade) << "rec_data: version" << id.version;
        deviceVersion = id.version;
    }

    const QString unknown = QStringLiteral("xx");
    if (firmwareCheckStarted || deviceModel == unknown || deviceVersion == unknown || !id.marker)
        return;
    firmwareCheckStarted = true;

    const int index = AutoUpgrade::checkIndexFor(deviceModel);
    if (index == 0) {
        qCDebug(lcUpgrade) << "rec_data: no update file for" << deviceModel;
        return;
    }

    auto* manager = new QNetworkAccessManager(this);
    connect(manager, &QNetworkAccessManager::finished, this,
            [this, index](QNetworkReply* reply) { handleFirmwareCheckReply(reply, index); });
    const QUrl url = AutoUpgrade::updateFileUrl(index);
    qCDebug(lcUpgrade) << "rec_data: firmware check of" << deviceModel << deviceVersion << "at" << url;
    QNetworkRequest request(url);
    request.setTransferTimeout(AutoUpgrade::timing().downloadStallMs);
    manager->get(request);
}

void Widget::handleFirmwareCheckReply(QNetworkReply* reply, int modelIndex)
{
    // The reply and its manager go once this handler is done; the offer box below
    // runs its own event loop, which does not delete them early.
    reply->deleteLater();
    reply->manager()->deleteLater();

    if (reply->error() != QNetworkReply::NoError) {
        qCDebug(lcUpgrade).noquote() << stamp() << "firmware check failed:" << reply->errorString();
        return;
    }

    const AutoUpgrade::UpdateFile file = AutoUpgrade::parseUpdateFile(reply->readAll(), modelIndex);
    qCDebug(lcUpgrade).noquote() << stamp() << "firmware check: device" << deviceModel << deviceVersion
                                 << "release" << file.release;
    emit send_mtd_version(deviceModel, file.release);

    if (!AutoUpgrade::isNewerMajorMinor(deviceVersion, file.release)) {
        qCDebug(lcUpgrade).noquote() << stamp() << "firmware check: no newer release";
        return;
    }
    const QString message = AutoUpgrade::offerText(modelIndex, deviceVersion, file.release, file.content);

    if (serialPort->upgradeForwarding) {
        qCDebug(lcUpgrade).noquote() << stamp() << "firmware check: the upgrade dialog holds the port, no offer";
        return;
    }

    QPointer<Widget> alive(this);
    QMessageBox box(QMessageBox::Information, tr("Update Available"), message, QMessageBox::Ok | QMessageBox::Cancel);
    const int answer = box.exec();
    if (!alive || answer != QMessageBox::Ok) {
        qCDebug(lcUpgrade).noquote() << stamp() << "firmware check: offer declined";
        return;
    }

    offeredDeviceModel = deviceModel;
    offeredDeviceVersion = deviceVersion;
    setDeviceModel(QStringLiteral("xx"));
    deviceVersion = QStringLiteral("xx");
    autoUpgradeModelIndex = modelIndex;

    auto* manager = new QNetworkAccessManager(this);
    connect(manager, &QNetworkAccessManager::finished, this, &Widget::startAutoUpgradeByName);
    const QUrl url = AutoUpgrade::imageUrl(modelIndex, file.release);
    qCDebug(lcUpgrade).noquote() << stamp() << "firmware check: downloading" << url.toString();
    QNetworkRequest request(url);
    request.setTransferTimeout(AutoUpgrade::timing().downloadStallMs);
    manager->get(request);
}
