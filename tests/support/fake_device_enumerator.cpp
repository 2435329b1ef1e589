#include "support/fake_device_enumerator.h"

FakeDeviceEnumerator::FakeDeviceEnumerator()
{
    DeviceEnumerator::setInstanceForTesting(this);
}

FakeDeviceEnumerator::~FakeDeviceEnumerator()
{
    DeviceEnumerator::setInstanceForTesting(nullptr);
}

void FakeDeviceEnumerator::plug(const QByteArray& product, int vendorId, int productId, const QString& portName)
{
    usb.devices.append({vendorId, productId, product});
    SerialPortListing port;
    port.portName = portName;
    port.vendorId = vendorId;
    port.productId = productId;
    ports.append(port);
}

void FakeDeviceEnumerator::unplug(const QString& portName)
{
    for (int i = 0; i < ports.size(); ++i) {
        if (ports.at(i).portName != portName)
            continue;
        const int vid = ports.at(i).vendorId;
        const int pid = ports.at(i).productId;
        ports.removeAt(i);
        for (int d = 0; d < usb.devices.size(); ++d) {
            if (usb.devices.at(d).vendorId == vid && usb.devices.at(d).productId == pid) {
                usb.devices.removeAt(d);
                break;
            }
        }
        return;
    }
}
