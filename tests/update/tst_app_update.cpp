// The application update end to end: the real window checks a local HTTPS server for
// the update file, offers newer releases, downloads the package into the temporary
// folder and hands it to the system (through the platform unit's launcher seam).
#include "app/platform.h"
#include "app/widget.h"
#include "support/fake_device_enumerator.h"
#include "support/https_test_server.h"
#include "support/modal_watcher.h"
#include "support/window_fixture.h"
#include "update/update_dialog.h"
#include "upgrade/download_server.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkReply>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QString kUpdateFile = QStringLiteral("/download/Product/Quillmar/Update/Quillmar_Update.txt");
const QString kDownloading = QStringLiteral("Downloading update, please wait...");
const QString kUpToDate = QStringLiteral("Your software is already up to date.\nCurrent version: V4.0.2");
const QString kNoVersion = QStringLiteral("Update check finished, but no version info found.");
const QString kFetchFailed = QStringLiteral("Update file download failed: ");

QString packageUrlPath(const QString& latest)
{
    return QStringLiteral("/download/Product/Quillmar/Update/Quillmar_V%1.dmg").arg(latest);
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + 5) & 0xFF);
    return bytes;
}

HttpsTestServer::Response body(const QByteArray& bytes)
{
    HttpsTestServer::Response r;
    r.body = bytes;
    return r;
}

HttpsTestServer::Response status(int code)
{
    HttpsTestServer::Response r;
    r.status = code;
    r.body = "error page";
    return r;
}

// A package that takes about `seconds` to arrive.
HttpsTestServer::Response slowPackage(int seconds)
{
    HttpsTestServer::Response r;
    r.body = pattern(100 * seconds * 1000);
    r.bytesPerChunk = 1000;
    r.msBetweenChunks = 10;
    return r;
}

enum Where { Trusted, Untrusted, Refused };

struct Progress {
    qint64 received;
    qint64 total;
    int bar;
};

} // namespace

Q_DECLARE_METATYPE(HttpsTestServer::Response)

class TestAppUpdate : public QObject
{
    Q_OBJECT

private:
    HttpsTestServer server;   // trusted by this process
    HttpsTestServer stranger; // a certificate nobody trusts
    QString refusedAddress;   // nothing listens there
    QTemporaryDir tempDir;    // the temporary folder the window sees
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<Widget> window;

    // The launcher seam: what would have been started, and the file as it was then.
    QList<Platform::Command> launches;
    QList<QByteArray> launchedFiles;
    bool launchSucceeds = true;

    QList<UpdateDialog*> dialogs() const { return window->findChildren<UpdateDialog*>(); }

    QList<QMessageBox*> visibleBoxes() const
    {
        QList<QMessageBox*> boxes;
        const auto widgets = QApplication::topLevelWidgets();
        for (QWidget* w : widgets)
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                boxes << box;
        return boxes;
    }

    QStringList tempEntries() const
    {
        return QDir(tempDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QString localPackage(const QString& latest) const
    {
        return QDir(tempDir.path()).filePath(QStringLiteral("Quillmar_V%1.dmg").arg(latest));
    }

    QAction* checkForUpdateAction() const
    {
        const auto actions = window->findChildren<QAction*>();
        for (QAction* action : actions)
            if (action->text() == QLatin1String("Check for Update "))
                return action;
        return nullptr;
    }

    // Every check the window started has been answered: each dialog offers or is gone.
    bool checksSettled()
    {
        return QTest::qWaitFor(
            [this] {
                const auto all = dialogs();
                for (UpdateDialog* d : all)
                    if (!d->isVisible())
                        return false;
                return true;
            },
            10000);
    }

    // Shows the window with an update file offering `latest` and the package behind it;
    // returns the offer dialog.
    UpdateDialog* offer(const QString& latest, const HttpsTestServer::Response& package)
    {
        server.setText(kUpdateFile,
                       "Quillmar_V" + latest.toUtf8() + "\r\nUpdate content:\r\nTest build.\r\n");
        server.setResponse(packageUrlPath(latest), package);
        window->show();
        if (!checksSettled() || dialogs().size() != 1)
            return nullptr;
        return dialogs().first();
    }

    // The package reply the window is running, found by its address.
    QNetworkReply* packageReply(const QString& latest) const
    {
        const auto replies = window->findChildren<QNetworkReply*>();
        for (QNetworkReply* reply : replies)
            if (reply->url().path() == packageUrlPath(latest) && reply->isRunning())
                return reply;
        return nullptr;
    }

    // Runs the application's own event loop until `done` holds (2), the time is up (1),
    // or the product quits the application (0).
    int runApplicationUntil(const std::function<bool()>& done, int timeoutMs)
    {
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (done())
                QCoreApplication::exit(2);
        });
        poll.start(10);
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        timeout.start(timeoutMs);
        return QCoreApplication::exec();
    }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        QCOMPARE(QStringLiteral(QUILLMAR_VERSION), QStringLiteral("4.0.2")); // the tables below assume it
        QVERIFY(tempDir.isValid());
        qputenv("TMPDIR", QFile::encodeName(tempDir.path()));
        QVERIFY(server.start());
        server.trustInThisProcess();
        QVERIFY(stranger.start());

        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        refusedAddress = QStringLiteral("https://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();

        Platform::setLauncherForTesting([this](const Platform::Command& command) {
            launches << command;
            QFile file(command.arguments.value(0));
            launchedFiles << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
            return launchSucceeds;
        });

        // One window for all tests (building it is slow); every show starts a new check.
        bus = std::make_unique<FakeDeviceEnumerator>();
        window = std::make_unique<Widget>();
    }

    void cleanupTestCase()
    {
        window.reset();
        bus.reset();
        Platform::setLauncherForTesting({});
        DownloadServer::setBaseAddressForTesting(QString());
    }

    void init()
    {
        DownloadServer::setBaseAddressForTesting(server.baseAddress());
        qputenv("TMPDIR", QFile::encodeName(tempDir.path()));
        launches.clear();
        launchedFiles.clear();
        launchSucceeds = true;
        QVERIFY(!window->isVisible());
        QVERIFY(dialogs().isEmpty());
    }

    void cleanup()
    {
        // Whatever a failed test left open goes; the window is hidden for the next show.
        const auto left = dialogs();
        for (UpdateDialog* d : left) {
            d->reject(); // aborts its download
            delete d;
        }
        const auto boxes = visibleBoxes();
        for (QMessageBox* box : boxes)
            box->close();
        window->hide();
        qputenv("TMPDIR", QFile::encodeName(tempDir.path()));
        QDir dir(tempDir.path());
        const auto entries = tempEntries();
        for (const QString& entry : entries) {
            QFileInfo info(dir.filePath(entry));
            if (info.isDir())
                QDir(info.filePath()).removeRecursively();
            else
                QFile::remove(info.filePath());
        }
        QTRY_COMPARE(server.openConnections(), 0);
    }

    // The automatic check (show event) and the manual one (Help menu) against the same
    // update file: both offer a newer release; otherwise only the manual check says so.
    void automaticAndManualCheck_data()
    {
        QTest::addColumn<int>("where");
        QTest::addColumn<HttpsTestServer::Response>("updateFile");
        QTest::addColumn<QString>("offerText");  // empty: no offer
        QTest::addColumn<QString>("manualText"); // what the manual check says without an offer
        QTest::addColumn<bool>("manualTextIsPrefix");
        QTest::addColumn<int>("manualIcon");

        const QString offerHead =
            QStringLiteral("The current version is: V4.0.2\nA new version is available: ");
        const int info = QMessageBox::Information;
        const int warning = QMessageBox::Warning;

        QTest::newRow("same release 4.0.2")
            << int(Trusted) << body("Quillmar_V4.0.2\r\nUpdate content:\r\nNone.\r\n") << QString()
            << kUpToDate << false << info;
        QTest::newRow("newer 4.0.10")
            << int(Trusted) << body("Quillmar_V4.0.10\r\nUpdate content:\r\n1. Steadier link.\r\n")
            << offerHead + "Quillmar_V4.0.10\n\nUpdate Content:\n1. Steadier link.\r\n"
            << QString() << false << 0;
        QTest::newRow("older 4.0") << int(Trusted) << body("Quillmar_V4.0\r\nUpdate content:\r\nOld.\r\n")
                                   << QString() << kUpToDate << false << info;
        QTest::newRow("trailing dot 4.0.3.")
            << int(Trusted) << body("Quillmar_V4.0.3.\nUpdate content: Dot.")
            << offerHead + "Quillmar_V4.0.3.\n\nUpdate Content:\nDot." << QString() << false << 0;
        QTest::newRow("without Update content") << int(Trusted) << body("Quillmar_V4.0.3\r\n1. Faster.\r\n")
                                                << offerHead + "Quillmar_V4.0.3\n\nUpdate Content:\n"
                                                << QString() << false << 0;
        QTest::newRow("release line after an empty line")
            << int(Trusted) << body("\r\nQuillmar_V4.0.3\r\nUpdate content:\r\nx\r\n") << QString()
            << kNoVersion << false << warning;
        QTest::newRow("release line after other text")
            << int(Trusted) << body("Latest release: Quillmar_V4.0.3\r\n") << QString() << kNoVersion << false
            << warning;
        QTest::newRow("empty update file")
            << int(Trusted) << body(QByteArray()) << QString() << kNoVersion << false << warning;
        QTest::newRow("update file not found")
            << int(Trusted) << status(404) << QString() << kFetchFailed << true << warning;
        QTest::newRow("server error")
            << int(Trusted) << status(500) << QString() << kFetchFailed << true << warning;
        HttpsTestServer::Response reset = body("Quillmar_V4.0.10\r\n");
        reset.resetConnection = true;
        QTest::newRow("connection reset")
            << int(Trusted) << reset << QString() << kFetchFailed << true << warning;
        HttpsTestServer::Response truncated = body("Quillmar_V4.0.10\r\nUpdate content:\r\nlong notes\r\n");
        truncated.truncateAfter = 12;
        QTest::newRow("update file cut short")
            << int(Trusted) << truncated << QString() << kFetchFailed << true << warning;
        QTest::newRow("untrusted certificate")
            << int(Untrusted) << body("Quillmar_V4.0.10\r\n") << QString() << kFetchFailed << true << warning;
        QTest::newRow("nobody listening")
            << int(Refused) << body("Quillmar_V4.0.10\r\n") << QString() << kFetchFailed << true << warning;
    }

    void automaticAndManualCheck()
    {
        QFETCH(int, where);
        QFETCH(HttpsTestServer::Response, updateFile);
        QFETCH(QString, offerText);
        QFETCH(QString, manualText);
        QFETCH(bool, manualTextIsPrefix);
        QFETCH(int, manualIcon);

        server.setResponse(kUpdateFile, updateFile);
        stranger.setResponse(kUpdateFile, updateFile);
        if (where == Untrusted)
            DownloadServer::setBaseAddressForTesting(stranger.baseAddress());
        else if (where == Refused)
            DownloadServer::setBaseAddressForTesting(refusedAddress);
        const int requestsBefore = server.requestCount(kUpdateFile);

        // Automatic: the show event.
        window->show();
        QVERIFY(checksSettled());
        QCOMPARE(server.requestCount(kUpdateFile) > requestsBefore, where == Trusted);
        QCOMPARE(stranger.requestCount(kUpdateFile), 0); // the handshake never completed
        QVERIFY(visibleBoxes().isEmpty());
        if (offerText.isEmpty()) {
            QVERIFY(dialogs().isEmpty());
        } else {
            QCOMPARE(dialogs().size(), 1);
            UpdateDialog* dialog = dialogs().first();
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Update Available"));
            QCOMPARE(dialog->label()->text(), offerText);
            QVERIFY(dialog->downloadButton()->isEnabled());
            QCOMPARE(dialog->downloadButton()->text(), QStringLiteral("Download"));
            QCOMPARE(dialog->cancelButton()->text(), QStringLiteral("Cancel"));
            QVERIFY(dialog->progressBar()->isHidden());
            QCOMPARE(dialog->parentWidget(), window.get());
            // Modeless: the main window stays usable while the offer is open.
            QVERIFY(!dialog->isModal());
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
            QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
            QVERIFY(!(dialog->windowFlags() & Qt::WindowContextHelpButtonHint));
            QCOMPARE(dialog->size(), QSize(400, 200));
            dialog->cancelButton()->click();
            QTRY_VERIFY(dialogs().isEmpty());
        }

        // Manual: Help > Check for Update.
        QAction* action = checkForUpdateAction();
        QVERIFY(action);
        QString title, text;
        int icon = -1;
        QStringList buttons;
        ModalWatcher watcher([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                for (QAbstractButton* button : box->buttons())
                    buttons << button->text().remove(QLatin1Char('&'));
            }
            modal->close();
        });
        action->trigger();
        QVERIFY(checksSettled());
        if (offerText.isEmpty()) {
            QVERIFY(watcher.waitHandled());
            QCOMPARE(title, QStringLiteral("Version Check"));
            QCOMPARE(icon, manualIcon);
            QCOMPARE(buttons, QStringList{QStringLiteral("OK")});
            if (manualTextIsPrefix) {
                QVERIFY2(text.startsWith(manualText), qPrintable(text));
                QVERIFY2(text.size() > manualText.size() + 3, qPrintable(text)); // the reason follows
            } else {
                QCOMPARE(text, manualText);
            }
            QVERIFY(dialogs().isEmpty());
        } else {
            QCOMPARE(dialogs().size(), 1);
            QCOMPARE(dialogs().first()->label()->text(), offerText);
            QVERIFY(dialogs().first()->isVisible());
            QVERIFY(!watcher.seen());
        }
        QTRY_VERIFY(visibleBoxes().isEmpty());
    }

    void everyShowEventStartsItsOwnCheck()
    {
        server.setText(kUpdateFile, "Quillmar_V4.0.10\r\n");
        const int before = server.requestCount(kUpdateFile);
        window->show();
        QVERIFY(checksSettled());
        QCOMPARE(dialogs().size(), 1);
        window->hide();
        window->show();
        QVERIFY(checksSettled());
        QCOMPARE(server.requestCount(kUpdateFile), before + 2);
        QCOMPARE(dialogs().size(), 2); // nothing remembers the first offer
        for (UpdateDialog* d : dialogs())
            QVERIFY(d->isVisible());
    }

    void downloadHandsPackageToSystemAndQuits_data()
    {
        QTest::addColumn<QString>("latest");
        QTest::addColumn<HttpsTestServer::Response>("package");
        QTest::addColumn<bool>("totalKnown");

        HttpsTestServer::Response known = body(pattern(300000));
        known.bytesPerChunk = 16384;
        known.msBetweenChunks = 5;
        QTest::newRow("known size") << "4.0.3" << known << true;
        HttpsTestServer::Response unknown = known;
        unknown.omitContentLength = true;
        // Slow enough that the reply reports progress before the end of the connection
        // tells the size (progress signals come at most every 100 ms); at full speed a
        // loaded machine may see the whole body only with its final, known total.
        unknown.msBetweenChunks = 40;
        QTest::newRow("unknown total size") << "4.0.3" << unknown << false;
        QTest::newRow("trailing dot in the version") << "4.0.3." << body(pattern(5000)) << true;
        QTest::newRow("one byte") << "4.0.10" << body("x") << true;
    }

    void downloadHandsPackageToSystemAndQuits()
    {
        QFETCH(QString, latest);
        QFETCH(HttpsTestServer::Response, package);
        QFETCH(bool, totalKnown);

        // An older copy of the same name is overwritten, not appended to.
        const QString path = localPackage(latest);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(400000, 'o'));
        }

        const int before = server.requestCount(packageUrlPath(latest));
        UpdateDialog* dialog = offer(latest, package);
        QVERIFY(dialog);
        QPointer<QProgressBar> bar = dialog->progressBar();
        dialog->downloadButton()->click();
        QCOMPARE(dialog->label()->text(), kDownloading);
        QVERIFY(!dialog->progressBar()->isHidden());
        QCOMPARE(dialog->progressBar()->value(), 0);
        QVERIFY(!dialog->downloadButton()->isEnabled());
        QVERIFY(dialog->cancelButton()->isEnabled());

        QNetworkReply* reply = packageReply(latest);
        QVERIFY(reply);
        QList<Progress> progress;
        QObject scope; // the recording ends with this test function
        connect(reply, &QNetworkReply::downloadProgress, &scope, [&](qint64 received, qint64 total) {
            progress << Progress{received, total, bar ? bar->value() : -1};
        });

        QCOMPARE(runApplicationUntil([] { return false; }, 20000), 0); // quit() was called

        QCOMPARE(launches.size(), 1);
        const Platform::Command expected = Platform::openWithSystemCommand(path);
        QCOMPARE(launches.first().program, expected.program);
        QCOMPARE(launches.first().arguments, QStringList{path}); // the path is the only argument
        QCOMPARE(launchedFiles.first(), package.body);           // complete before the hand-off
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), package.body);
        QCOMPARE(server.requestCount(packageUrlPath(latest)), before + 1);
        QTRY_VERIFY(dialogs().isEmpty());

        // The bar follows received * 100 / total and keeps its value while the total is unknown.
        QVERIFY(!progress.isEmpty());
        int shown = 0;
        bool sawUnknown = false;
        for (const Progress& p : progress) {
            if (p.total > 0)
                shown = int(p.received * 100 / p.total);
            else
                sawUnknown = true;
            QCOMPARE(p.bar, shown);
        }
        QCOMPARE(sawUnknown, !totalKnown);
        if (totalKnown)
            QCOMPARE(progress.last().bar, 100);
    }

    // A package that arrives but cannot be kept or handed on: the dialog stays, says
    // why, and Cancel still closes it; the application does not quit.
    void stuckDownloadSaysWhy_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("package");
        QTest::addColumn<QString>("labelStart");
        QTest::addColumn<bool>("fileKept");
        QTest::addColumn<int>("launchCount");

        QTest::newRow("empty package")
            << "none" << QByteArray() << "The downloaded update is empty." << false << 0;
        QTest::newRow("cannot be written")
            << "folder in the way" << pattern(3000) << "The update could not be saved to " << false << 0;
        QTest::newRow("temporary folder missing")
            << "no temp folder" << pattern(3000) << "The update could not be saved: " << false << 0;
        QTest::newRow("cannot be handed on")
            << "launcher fails" << pattern(3000) << "The update was saved to " << true << 1;
    }

    void stuckDownloadSaysWhy()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, package);
        QFETCH(QString, labelStart);
        QFETCH(bool, fileKept);
        QFETCH(int, launchCount);

        const QString latest = QStringLiteral("4.0.3");
        QString path = localPackage(latest);
        if (fault == QLatin1String("folder in the way")) {
            QVERIFY(QDir(tempDir.path()).mkdir(QFileInfo(path).fileName()));
        } else if (fault == QLatin1String("no temp folder")) {
            const QString missing = QDir(tempDir.path()).filePath(QStringLiteral("gone"));
            qputenv("TMPDIR", QFile::encodeName(missing));
            path = QDir(missing).filePath(QFileInfo(path).fileName());
        } else if (fault == QLatin1String("launcher fails")) {
            launchSucceeds = false;
        }

        QPointer<UpdateDialog> dialog = offer(latest, body(package));
        QVERIFY(dialog);
        dialog->downloadButton()->click();
        const int outcome =
            runApplicationUntil([&] { return !dialog || dialog->label()->text() != kDownloading; }, 15000);
        QCOMPARE(outcome, 2);
        QVERIFY(dialog);
        QVERIFY2(dialog->label()->text().startsWith(labelStart), qPrintable(dialog->label()->text()));
        if (fault == QLatin1String("folder in the way") || fault == QLatin1String("launcher fails"))
            QVERIFY2(dialog->label()->text().contains(path), qPrintable(dialog->label()->text()));
        // Without a temporary folder the bare file name must not land in the root folder.
        QVERIFY(!QFileInfo::exists(QDir::rootPath() + QFileInfo(path).fileName()));
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->progressBar()->isHidden());
        QVERIFY(!dialog->downloadButton()->isEnabled());
        QCOMPARE(launches.size(), launchCount);
        QCOMPARE(QFileInfo(path).isFile(), fileKept);
        if (fileKept) {
            QFile saved(path);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), package);
        }

        // It stays so; the application keeps running; Cancel closes the dialog.
        QCOMPARE(runApplicationUntil([] { return false; }, 200), 1);
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(dialog->cancelButton()->isEnabled());
        dialog->cancelButton()->click();
        QTRY_VERIFY(!dialog);
        QVERIFY(dialogs().isEmpty());
        QCOMPARE(launches.size(), launchCount);
    }

    // A download that fails closes the dialog without a word, keeps nothing, hands
    // nothing on and does not quit.
    void failedDownloadClosesTheDialog_data()
    {
        QTest::addColumn<HttpsTestServer::Response>("package");
        QTest::addColumn<int>("requests"); // attempts the network stack makes

        QTest::newRow("not found") << status(404) << 1;
        QTest::newRow("server error") << status(500) << 1;
        HttpsTestServer::Response truncated = body(pattern(50000));
        truncated.truncateAfter = 20000;
        QTest::newRow("cut short") << truncated << 1;
        HttpsTestServer::Response reset = body(pattern(50000));
        reset.resetConnection = true;
        QTest::newRow("connection reset") << reset << -1;
    }

    void failedDownloadClosesTheDialog()
    {
        QFETCH(HttpsTestServer::Response, package);
        QFETCH(int, requests);
        const QString latest = QStringLiteral("4.0.3");
        const int before = server.requestCount(packageUrlPath(latest));

        UpdateDialog* dialog = offer(latest, package);
        QVERIFY(dialog);
        dialog->downloadButton()->click();
        QCOMPARE(runApplicationUntil([this] { return dialogs().isEmpty(); }, 15000), 2);
        QVERIFY(launches.isEmpty());
        QVERIFY2(tempEntries().isEmpty(), qPrintable(tempEntries().join(", ")));
        QVERIFY(visibleBoxes().isEmpty());
        if (requests > 0)
            QCOMPARE(server.requestCount(packageUrlPath(latest)) - before, requests);
        else
            QVERIFY(server.requestCount(packageUrlPath(latest)) - before >= 1);
    }

    // Cancel, Escape or the title bar: before the download only the dialog closes;
    // during it the download is aborted at once and nothing is written.
    void closingTheDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("duringDownload");
        for (const char* how : {"Cancel", "Escape", "title bar"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 before download").arg(how))) << how << false;
            QTest::newRow(qPrintable(QStringLiteral("%1 during download").arg(how))) << how << true;
        }
    }

    void closingTheDialog()
    {
        QFETCH(QString, how);
        QFETCH(bool, duringDownload);
        const QString latest = QStringLiteral("4.0.3");
        const int before = server.requestCount(packageUrlPath(latest));

        QPointer<UpdateDialog> dialog = offer(latest, slowPackage(10));
        QVERIFY(dialog);
        qint64 got = 0;
        QObject scope; // the watch on the reply ends with this test function, before `got`
        if (duringDownload) {
            dialog->downloadButton()->click();
            QNetworkReply* reply = packageReply(latest);
            QVERIFY(reply);
            connect(reply, &QNetworkReply::downloadProgress, &scope,
                    [&got](qint64 received, qint64) { got = received; });
            QTRY_VERIFY(got > 0); // data is flowing
            QVERIFY(dialog);
            QTRY_COMPARE(server.openConnections(), 1);
        }

        if (how == QLatin1String("Cancel"))
            dialog->cancelButton()->click();
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        else
            QVERIFY(dialog->close());

        // Gone at once, and the connection with it (the package would take 10 s).
        QTRY_VERIFY(!dialog);
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 2000);
        // Late network events must find nothing to touch; nothing is saved or started.
        QCOMPARE(runApplicationUntil([] { return false; }, 300), 1);
        QVERIFY(dialogs().isEmpty());
        QVERIFY(launches.isEmpty());
        QVERIFY2(tempEntries().isEmpty(), qPrintable(tempEntries().join(", ")));
        QCOMPARE(server.requestCount(packageUrlPath(latest)) - before, duringDownload ? 1 : 0);
        QVERIFY(visibleBoxes().isEmpty());
    }

    // The window going away in the middle of a download takes the download with it.
    void windowClosedDuringDownload()
    {
        UpdateDialog* dialog = offer(QStringLiteral("4.0.3"), slowPackage(10));
        QVERIFY(dialog);
        dialog->downloadButton()->click();
        QTRY_COMPARE(server.openConnections(), 1);
        window.reset();
        QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 2000);
        QCOMPARE(runApplicationUntil([] { return false; }, 200), 1);
        QVERIFY(launches.isEmpty());
        QVERIFY(tempEntries().isEmpty());
        window = std::make_unique<Widget>(); // for the tests that follow
    }
};

QTEST_MAIN(TestAppUpdate)
#include "tst_app_update.moc"
