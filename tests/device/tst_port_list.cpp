// The port list: controllers found by USB product string, kept current by the rescan.
#include "device/list_devices.h"
#include "device/serialport.h"
#include "support/fake_device_enumerator.h"

#include <QComboBox>
#include <QTest>

namespace {

QStringList itemTexts(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

QStringList itemPorts(const QComboBox& box)
{
    QStringList ports;
    for (int i = 0; i < box.count(); ++i)
        ports << box.itemData(i, Qt::UserRole).toString();
    return ports;
}

const QByteArray zrt10 = "Quorvane ZRT-10";
const QByteArray kx3 = "Quorvane KX-3";

} // namespace

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void matchingDeviceListedWithItsPort()
    {
        FakeDeviceEnumerator bus;
        bus.plug(zrt10, 0x1209, 0x7001, "ttyACM0");
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        QCOMPARE(itemTexts(box), QStringList{"Quorvane ZRT-10"});
        QCOMPARE(itemPorts(box), QStringList{"ttyACM0"});
        QCOMPARE(box.currentIndex(), 0);
    }

    void ignoredDevicesAndPorts_data()
    {
        QTest::addColumn<QByteArray>("product");
        QTest::addColumn<int>("usbVendor");
        QTest::addColumn<int>("usbProduct");
        QTest::addColumn<int>("portVendor");
        QTest::addColumn<int>("portProduct");
        QTest::newRow("other brand") << QByteArray("Acme Pedal") << 0x1209 << 0x7001 << 0x1209 << 0x7001;
        QTest::newRow("brand in other case") << QByteArray("QUORVANE ZRT-10") << 0x1209 << 0x7001 << 0x1209
                                             << 0x7001;
        QTest::newRow("port of another device") << zrt10 << 0x1209 << 0x7001 << 0x0403 << 0x6001;
        QTest::newRow("ids swapped") << zrt10 << 0x1209 << 0x7001 << 0x7001 << 0x1209;
        QTest::newRow("port without usb ids") << zrt10 << 0x1209 << 0x7001 << 0 << 0;
    }
    void ignoredDevicesAndPorts()
    {
        QFETCH(QByteArray, product);
        QFETCH(int, usbVendor);
        QFETCH(int, usbProduct);
        QFETCH(int, portVendor);
        QFETCH(int, portProduct);
        FakeDeviceEnumerator bus;
        bus.usb.devices.append({usbVendor, usbProduct, product});
        SerialPortListing listing;
        listing.portName = "ttyACM0";
        listing.vendorId = portVendor;
        listing.productId = portProduct;
        bus.ports.append(listing);
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        QCOMPARE(box.count(), 0);
    }

    void matchingDeviceWithoutSerialPortNotListed()
    {
        FakeDeviceEnumerator bus;
        bus.usb.devices.append({0x1209, 0x7001, zrt10});
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        QCOMPARE(box.count(), 0);
    }

    void sameProductStringListedOnce()
    {
        FakeDeviceEnumerator bus;
        bus.plug(zrt10, 0x1209, 0x7001, "ttyACM0");
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        // A second identical controller, or a second port of the same one.
        bus.plug(zrt10, 0x1209, 0x7001, "ttyACM1");
        port.initPort();
        port.initPort();
        QCOMPARE(itemTexts(box), QStringList{"Quorvane ZRT-10"});
        QCOMPARE(itemPorts(box), QStringList{"ttyACM0"});
    }

    void newDevicesAppendedExistingKeepPlaceAndPort()
    {
        FakeDeviceEnumerator bus;
        bus.plug(zrt10, 0x1209, 0x7001, "ttyACM0");
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        bus.ports.prepend(bus.ports.takeLast()); // enumeration order changes between scans
        bus.plug(kx3, 0x1209, 0x7003, "ttyACM1");
        bus.ports.prepend(bus.ports.takeLast());
        port.initPort();
        QCOMPARE(itemTexts(box), (QStringList{"Quorvane ZRT-10", "Quorvane KX-3"}));
        QCOMPARE(itemPorts(box), (QStringList{"ttyACM0", "ttyACM1"}));
    }

    void vanishedDeviceRemoved()
    {
        FakeDeviceEnumerator bus;
        bus.plug(zrt10, 0x1209, 0x7001, "ttyACM0");
        bus.plug(kx3, 0x1209, 0x7003, "ttyACM1");
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        box.setCurrentIndex(1);
        bus.unplug("ttyACM0");
        port.initPort();
        QCOMPARE(itemTexts(box), QStringList{"Quorvane KX-3"});
        QCOMPARE(itemPorts(box), QStringList{"ttyACM1"});
        QCOMPARE(box.currentText(), QString("Quorvane KX-3"));
    }

    void rescanRunsEverySecond()
    {
        FakeDeviceEnumerator bus;
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        QCOMPARE(box.count(), 0);
        bus.plug(kx3, 0x1209, 0x7003, "ttyACM4");
        QTRY_COMPARE_WITH_TIMEOUT(box.count(), 1, 2500);
        bus.unplug("ttyACM4");
        QTRY_COMPARE_WITH_TIMEOUT(box.count(), 0, 2500);
    }

    void usbFailureEmptiesTheList()
    {
        FakeDeviceEnumerator bus;
        bus.plug(zrt10, 0x1209, 0x7001, "ttyACM0");
        QComboBox box;
        SerialPort port(&box, "Quorvane");
        QCOMPARE(box.count(), 1);
        bus.usb.ok = false; // libusb could not start or list the bus
        port.initPort();
        QCOMPARE(box.count(), 0);
        bus.usb.ok = true; // the next good scan fills it again
        port.initPort2();
        QCOMPARE(itemTexts(box), QStringList{"Quorvane ZRT-10"});
    }

    void deviceTableKeysAndLastDeviceWins()
    {
        FakeDeviceEnumerator bus;
        bus.usb.devices = {{0x1209, 0x7001, "Quorvane ZRT-10 (old)"},
                           {0x0403, 0x6001, "FTDI cable"},
                           {0x1209, 0x7001, "Quorvane ZRT-10"},
                           {0x1209, 0x7002, QByteArray("Quorvane ZRT-20 \xc3\xa9")}};
        const DeviceTable table = ListDevices("Quorvane");
        QCOMPARE(table.size(), 2);
        QCOMPARE(table.value(qMakePair(0x7001, 0x1209)), QString("Quorvane ZRT-10"));
        QCOMPARE(table.value(qMakePair(0x7002, 0x1209)), QString::fromUtf8("Quorvane ZRT-20 é"));
        QVERIFY(!table.contains(qMakePair(0x1209, 0x7001))); // key is (product id, vendor id)
        bus.usb.ok = false;
        QVERIFY(ListDevices("Quorvane").isEmpty());
    }
};

QTEST_MAIN(TestPortList)
#include "tst_port_list.moc"
