#pragma once

#include "device/device_enumerator.h"

// A USB bus and serial-port list under the test's control. While it exists it
// replaces the system enumerator.
class FakeDeviceEnumerator : public DeviceEnumerator
{
public:
    FakeDeviceEnumerator();
    ~FakeDeviceEnumerator() override;

    UsbScan scanUsb() override { return usb; }
    QList<SerialPortListing> serialPorts() override { return ports; }

    // A controller: a USB device with the product string and the serial port behind it.
    void plug(const QByteArray& product, int vendorId, int productId, const QString& portName);
    void unplug(const QString& portName);

    UsbScan usb{true, {}};
    QList<SerialPortListing> ports;
};
