#pragma once

// A main window connected to the controller simulator on a pty, the local HTTPS download
// server, and a person at the keyboard who accepts the firmware offer and answers every
// notice with OK. The controller restarts on a new pty when asked to enter its
// bootloader; the test says which bootloader ports the USB bus then lists.
#include "app/widget.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"
#include "support/https_test_server.h"
#include "support/modal_watcher.h"
#include "support/pedal_simulator.h"
#include "support/window_fixture.h"
#include "upgrade/auto_upgrade.h"
#include "upgrade/download_server.h"
#include "upgrade/upgrade_dialog.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(HttpsTestServer::Response)

namespace AutoUpgradeTest {

constexpr int kVendorId = 0x1209;
constexpr int kAppProductId = 0x7001;
constexpr int kBootProductId = 0x7002;

inline QString updatePath(const QString& model)
{
    const QString file = model == QLatin1String("KX-1") ? QStringLiteral("KX-ONE_Update.txt") : model + "_Update.txt";
    return QStringLiteral("/download/Product/%1/Update/%2").arg(model, file);
}

inline QString imagePath(const QString& model, const QString& release)
{
    return QStringLiteral("/download/Product/%1/Update/%2.bin").arg(model, release);
}

// Bytes that differ from block to block.
inline QByteArray testImage(int size)
{
    QByteArray image(size, Qt::Uninitialized);
    quint32 x = 0x9E3779B9u;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[i] = char(x & 0xFF);
    }
    return image;
}

inline const QByteArray enterBootloader = QByteArray::fromHex("AA CC 02 00 09 0D 0A");
inline const QByteArray eraseCommand = QByteArray::fromHex("AA CC 02 00 02 0D 0A");

inline const QString notFoundText = QStringLiteral(
    "Bootloader device not found (timeout).\nPlease check: device in upgrade mode, USB cable, driver, then try again.");
inline const QString connectFailedText = QStringLiteral(
    "Connect failed: cannot enter Connected state.\nCheck device mode and whether the port is occupied.");

// A bootloader port as the USB bus lists it once the controller restarted.
struct BootPort
{
    QString portName;
    QString description;
    QString location; // empty: the simulator's new pty
};

} // namespace AutoUpgradeTest

using namespace AutoUpgradeTest;

Q_DECLARE_METATYPE(AutoUpgradeTest::BootPort)
Q_DECLARE_METATYPE(QList<AutoUpgradeTest::BootPort>)

class AutoUpgradeFixture : public QObject
{
protected:
    std::unique_ptr<HttpsTestServer> server;
    std::unique_ptr<FakeDeviceEnumerator> bus;
    std::unique_ptr<PedalSimulator> device;
    std::unique_ptr<Widget> window;
    std::unique_ptr<ModalWatcher> boxes;
    int requestsBefore = 0;

    SerialPort* port() { return window->findChild<SerialPort*>(); }
    upgrade_dialog* dialog() { return window->upgradeDialog; }
    QPushButton* connectButton() { return window->findChild<QPushButton*>("connectButton"); }

    QStringList firmwareRequests() const
    {
        QStringList paths = server->requestedPaths().mid(requestsBefore);
        paths.removeAll(QStringLiteral("/download/Product/Quillmar/Update/Quillmar_Update.txt"));
        return paths;
    }

    // Answers every box as a person who wants the upgrade would: OK to the offer and
    // to every notice; the "Preparing" notice has no button and is left alone.
    void answerBoxes()
    {
        boxes = std::make_unique<ModalWatcher>([](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) {
                modal->close();
                return;
            }
            if (box->buttons().isEmpty())
                return;
            if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
                ok->click();
                return;
            }
            box->buttons().first()->click();
        });
        boxes->answerAll();
    }
    QStringList boxTitles() const { return boxes->titles(); }
    bool sawBox(const QString& title) const { return boxes->titles().contains(title); }
    QString boxText(const QString& title) const
    {
        const QList<ModalWatcher::Seen> seen = boxes->history();
        for (const ModalWatcher::Seen& box : seen) {
            if (box.title == title)
                return box.text;
        }
        return QString();
    }

    // The controller offers a newer release with the given image.
    void serve(const QString& model, const QByteArray& image, const QString& release)
    {
        server->setText(updatePath(model), release.toUtf8() + "\nUpdate content: Faster pedals.\n");
        server->setText(imagePath(model, release), image);
    }

    // When the controller restarts, its application port goes and the given ports
    // appear; the simulator's new pty answers as the bootloader.
    void onRestartList(const QList<BootPort>& ports, const QByteArray& bootModelLine)
    {
        const QString appPort = device->slavePath();
        connect(device.get(), &PedalSimulator::enteredBootloader, this, [=] {
            device->setModelText(bootModelLine);
            bus->unplug(appPort);
            for (const BootPort& boot : ports) {
                SerialPortListing listing;
                listing.portName = boot.portName;
                listing.vendorId = kVendorId;
                listing.productId = kBootProductId;
                listing.description = boot.description;
                listing.systemLocation = boot.location.isEmpty() ? device->slavePath() : boot.location;
                bus->ports << listing;
            }
        });
    }

    void connectController(const QByteArray& model, const QByteArray& version)
    {
        device->setModelText(model);
        device->setVersionText(version);
        bus->plug("Quorvane " + model, kVendorId, kAppProductId, device->slavePath());
        port()->initPort();
        QTest::mouseClick(connectButton(), Qt::LeftButton);
        QVERIFY(port()->isOpen());
    }

    // Short waits for the cases whose timing is not the point.
    static void useShortTiming(int scanTimeoutMs = 2000)
    {
        AutoUpgrade::Timing t;
        t.preparingMs = 300;
        t.scanTimeoutMs = scanTimeoutMs;
        AutoUpgrade::setTimingForTesting(t);
    }

    // --- set-up and tear-down, called by the test classes ---
    void setUpCase()
    {
        applyApplicationLook();
        server = std::make_unique<HttpsTestServer>();
        QVERIFY2(server->start(), "the HTTPS test server did not start");
        server->trustInThisProcess();
        DownloadServer::setBaseAddressForTesting(server->baseAddress());
    }

    void tearDownCase()
    {
        server.reset();
        DownloadServer::setBaseAddressForTesting(QString());
    }

    void setUp()
    {
        requestsBefore = server->requestedPaths().size();
        bus = std::make_unique<FakeDeviceEnumerator>();
        device = std::make_unique<PedalSimulator>();
        QVERIFY2(device->start(), "no pty for the simulator");
        device->setReenumerateOnBootloader(true);
        device->setEraseDelay(100);
        window = std::make_unique<Widget>();
        window->show();
        answerBoxes();
    }

    void tearDown()
    {
        boxes.reset();
        window.reset();
        device.reset();
        bus.reset();
        AutoUpgrade::setTimingForTesting(AutoUpgrade::Timing());
    }
};
