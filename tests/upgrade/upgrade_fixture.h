#pragma once

// A main window with its upgrade dialog, a controller in bootloader mode on a
// pseudo-terminal, and a local download server. The bootloader port is listed by the
// fake enumerator under a Linux CDC name ("ttyACM…") whose systemLocation is the pty,
// so the dialog's name filter sees a real bootloader name and opens the pty.
#include "app/widget.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/https_test_server.h"
#include "support/modal_watcher.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"
#include "upgrade/download_server.h"
#include "upgrade/upgrade_dialog.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <memory>

namespace UpgradeFixture {

constexpr int kVendorId = 0x1209;
constexpr int kBootProductId = 0x7002;

// Bytes that differ from block to block and from one image to the next.
inline QByteArray testImage(int size, int seed = 1)
{
    QByteArray image(size, Qt::Uninitialized);
    quint32 x = 2463534242u ^ quint32(seed) * 2654435761u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[i] = char(x & 0xFF);
    }
    return image;
}

inline QString updateFilePath(const QString& key = QStringLiteral("ZRT-10"))
{
    return QStringLiteral("/download/Product/%1/Update/%1_Update.txt").arg(key);
}

inline QString imagePath(const QString& release, const QString& key = QStringLiteral("ZRT-10"))
{
    return QStringLiteral("/download/Product/%1/Update/%2.bin").arg(key, release);
}

class Bench
{
public:
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<PedalSimulator> device;
    HttpsTestServer* server = nullptr; // one per test program: making its certificate takes a while
    std::unique_ptr<Widget> window;
    QTemporaryDir files;
    QString bootPortName = QStringLiteral("ttyACM90");
    int requestMark = 0;

    // Everything up, the dialog not yet shown. The download server answers the
    // online check with the release the device already runs.
    bool setUp()
    {
        bus = std::make_unique<FakeDeviceEnumerator>();
        device = std::make_unique<PedalSimulator>();
        if (!device->start())
            return false;
        device->setMode(PedalSimulator::Mode::Bootloader);
        device->setModelText("ZRT-10 BL V1.0");
        device->setVersionText("V1.0.3");
        device->setEraseDelay(50);
        static HttpsTestServer* shared = nullptr;
        if (!shared) {
            shared = new HttpsTestServer(qApp);
            if (!shared->start())
                return false;
            shared->trustInThisProcess();
        }
        server = shared;
        requestMark = server->requestedPaths().size();
        server->setText(updateFilePath(), "ZRT-10_V1.0.3\nUpdate content: nothing new\n");
        DownloadServer::setBaseAddressForTesting(server->baseAddress());
        window = std::make_unique<Widget>();
        window->show();
        listBootloader();
        return true;
    }

    void tearDown()
    {
        window.reset();
        device.reset();
        bus.reset();
        DownloadServer::setBaseAddressForTesting(QString());
    }

    // Requests the server got since setUp(), and how many of them asked for the path.
    QStringList requests() const { return server->requestedPaths().mid(requestMark); }
    int requestCount(const QString& path) const { return requests().count(path); }
    // The same, without the window's own application update check.
    QStringList firmwareRequests() const
    {
        QStringList paths;
        for (const QString& path : requests())
            if (!path.startsWith(QLatin1String("/download/Product/Quillmar/")))
                paths << path;
        return paths;
    }

    upgrade_dialog* dialog() const { return window->upgradeDialog; }
    SerialPort* port() const { return window->findChild<SerialPort*>(); }
    template <typename T = QWidget>
    T* child(const char* name) const
    {
        return dialog()->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* connectButton() const { return child<QPushButton>("pushButton"); }
    QPushButton* closeButton() const { return child<QPushButton>("pushButton_2"); }
    QPushButton* openFileButton() const { return child<QPushButton>("pushButton_3"); }
    QPushButton* startButton() const { return child<QPushButton>("pushButton_4"); }
    QProgressBar* progressBar() const { return child<QProgressBar>("progressBar"); }
    QString logText() const { return child<QTextBrowser>("textBrowser")->toPlainText(); }

    // The simulator as a described bootloader port (listed without a probe).
    void listBootloader(const QString& description = QStringLiteral("ZRT-10 BootLoader"))
    {
        for (int i = bus->ports.size() - 1; i >= 0; --i) {
            if (bus->ports.at(i).portName == bootPortName)
                bus->ports.removeAt(i);
        }
        SerialPortListing listing;
        listing.portName = bootPortName;
        listing.vendorId = kVendorId;
        listing.productId = kBootProductId;
        listing.description = description;
        listing.systemLocation = device->slavePath();
        bus->ports << listing;
    }

    // Opens the dialog from the menu slot and connects to the bootloader; waits until
    // the device has reported model and version and (unless told otherwise) the
    // online check has answered.
    bool connectDialog(bool waitForCheck = true)
    {
        window->show_ug_dlg_Dialog();
        if (!QTest::qWaitFor([this] { return dialog()->comboBox->count() > 0; }, 3000))
            return false;
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        if (dialog()->state != upgrade_dialog::Connected)
            return false;
        if (!waitForCheck)
            return true;
        return QTest::qWaitFor(
            [this] {
                return !dialog()->currentFirmware.isEmpty()
                       && (logText().contains(QStringLiteral("Already the latest version."))
                           || logText().contains(QStringLiteral("Online update")));
            },
            5000);
    }

    // Writes the image to a file and chooses it with "Open File" as a user would.
    bool chooseFile(const QByteArray& image, const QString& name = QStringLiteral("image.bin"))
    {
        const QString path = files.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            return false;
        file.close();
        ModalWatcher chooser([path](QWidget* dialog) {
            auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
            if (!fileDialog) {
                dialog->close();
                return;
            }
            ModalWatcher::chooseFile(fileDialog, path);
        });
        QTest::mouseClick(openFileButton(), Qt::LeftButton);
        return chooser.seen() && chooser.className() == QLatin1String("QFileDialog")
               && dialog()->firmware == image;
    }

    // Everything the application wrote after the erase command.
    QByteArray bytesAfterErase() const
    {
        const QByteArray all = device->received();
        const int at = all.indexOf(upgrade_dialog::kEraseCmd);
        return at < 0 ? QByteArray() : all.mid(at + upgrade_dialog::kEraseCmd.size());
    }
};

} // namespace UpgradeFixture
