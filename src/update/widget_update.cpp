// The application's own update (members of Widget): the update file on the download
// server, the offer of a newer release, the package download into the temporary folder
// and the hand-off to the system, after which the program quits so the user can install.
#include "app/widget.h"

#include "app/logging.h"
#include "app/platform.h"
#include "update/update_check.h"
#include "update/update_dialog.h"
#include "upgrade/download_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Every request goes through a manager of its own; it goes with its reply.
QNetworkReply* getThroughNewManager(QObject* owner, const QUrl& url)
{
    auto* manager = new QNetworkAccessManager(owner);
    QNetworkReply* reply = manager->get(QNetworkRequest(url));
    QObject::connect(reply, &QObject::destroyed, manager, &QObject::deleteLater);
    return reply;
}

} // namespace

int Widget::compareVersions(const QString& a, const QString& b)
{
    return AppUpdate::compareVersions(a, b);
}

void Widget::upadte_test()
{
    startUpdateCheck(false);
}

void Widget::upadte_test2()
{
    startUpdateCheck(true);
}

void Widget::startUpdateCheck(bool manual)
{
    auto* dialog = new UpdateDialog(this);
    const QUrl url = DownloadServer::applicationUpdateFile();
    qCDebug(lcUpdate) << (manual ? "manual" : "automatic") << "update check at" << url;
    QNetworkReply* reply = getThroughNewManager(this, url);
    QPointer<UpdateDialog> guard(dialog);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, guard, manual] { handleUpdateFileReply(reply, guard, manual); });
}

void Widget::handleUpdateFileReply(QNetworkReply* reply, UpdateDialog* dialog, bool manual)
{
    reply->deleteLater();
    if (!dialog) // the window is going away
        return;

    const QString current = AppUpdate::currentVersion();
    if (reply->error() != QNetworkReply::NoError) {
        qCDebug(lcUpdate).noquote() << "update file download failed:" << reply->errorString();
        dialog->reject();
        if (manual)
            showUpdateCheckFailure(tr("Update file download failed: ") + reply->errorString());
        return;
    }

    const AppUpdate::UpdateFile file = AppUpdate::parseUpdateFile(reply->readAll());
    if (!file.found) {
        qCDebug(lcUpdate) << "update file without a release name";
        dialog->reject();
        if (manual)
            showUpdateCheckFailure(tr("Update check finished, but no version info found."));
        return;
    }
    qCDebug(lcUpdate).noquote() << "update file offers" << file.releaseName;

    if (compareVersions(current, file.latest) < 0) {
        dialog->showOffer(AppUpdate::offerText(current, file));
        const QString latest = file.latest;
        QPointer<UpdateDialog> guard(dialog);
        connect(dialog->downloadButton(), &QPushButton::clicked, dialog, [this, guard, latest] {
            if (guard)
                startPackageDownload(guard, latest);
        });
        return;
    }

    dialog->reject();
    if (manual) {
        // Window-modal and without an event loop of its own: the network keeps running.
        auto* box =
            new QMessageBox(QMessageBox::Information, tr("Version Check"),
                            tr("Your software is already up to date.\nCurrent version: V%1").arg(current),
                            QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void Widget::showUpdateCheckFailure(const QString& reason)
{
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Version Check"), reason, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Widget::startPackageDownload(UpdateDialog* dialog, const QString& latest)
{
    if (dialog->isDownloading())
        return;
    dialog->showDownloading();

    const QUrl url = DownloadServer::applicationPackage(latest);
    qCDebug(lcUpdate) << "downloading" << url.toString();
    QNetworkReply* reply = getThroughNewManager(this, url);
    dialog->setDownload(reply);

    QPointer<UpdateDialog> guard(dialog);
    // Tied to the dialog: once it is gone, progress goes nowhere.
    connect(reply, &QNetworkReply::downloadProgress, dialog, [guard](qint64 received, qint64 total) {
        const int percent = AppUpdate::progressPercent(received, total);
        qCDebug(lcUpdate) << "download progress" << received << "of" << total << "->" << percent;
        if (guard && percent >= 0)
            guard->progressBar()->setValue(percent);
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, guard, latest] { handlePackageReply(reply, guard, latest); });
}

void Widget::handlePackageReply(QNetworkReply* reply, UpdateDialog* dialog, const QString& latest)
{
    reply->deleteLater();

    if (reply->error() == QNetworkReply::OperationCanceledError) {
        qCDebug(lcUpdate) << "update download cancelled";
        if (dialog)
            dialog->reject();
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        qCDebug(lcUpdate).noquote() << "update download failed:" << reply->errorString();
        if (dialog)
            dialog->reject();
        return;
    }
    // A download whose dialog was closed without aborting it (not expected) is dropped.
    if (!dialog)
        return;

    const QByteArray body = reply->readAll();
    const QString path = AppUpdate::localPackagePath(latest);
    if (body.isEmpty()) {
        // Nothing worth keeping: the local copy is left as it was.
        qCDebug(lcUpdate) << "update download is empty";
        dialog->showStuck(tr("The downloaded update is empty."));
        return;
    }

    if (path.isEmpty()) {
        qCDebug(lcUpdate) << "no temporary folder for the update";
        dialog->showStuck(tr("The update could not be saved: there is no temporary folder."));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCDebug(lcUpdate).noquote() << "cannot write" << path << file.errorString();
        dialog->showStuck(tr("The update could not be saved to %1: %2").arg(path, file.errorString()));
        return;
    }
    const bool written = file.write(body) == body.size() && file.flush();
    const QString writeError = file.errorString();
    file.close();
    if (!written || QFileInfo(path).size() < 1) {
        qCDebug(lcUpdate).noquote() << "writing" << path << "failed:" << writeError;
        file.remove(); // never leave a partial installer behind
        dialog->showStuck(tr("The update could not be saved to %1: %2").arg(path, writeError));
        return;
    }

    if (!Platform::openWithSystem(path)) {
        qCDebug(lcUpdate).noquote() << "cannot hand" << path << "to the system";
        dialog->showStuck(tr("The update was saved to %1 but could not be opened. "
                             "Open it yourself to install the new version.")
                              .arg(path));
        return;
    }
    qCDebug(lcUpdate).noquote() << "handed" << path << "to the system; quitting";
    dialog->accept();
    QCoreApplication::quit();
}
