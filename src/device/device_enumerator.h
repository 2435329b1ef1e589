#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// What the host tells us about attached hardware. The system implementation asks
// libusb (USB product strings) and QSerialPortInfo (serial ports and their USB ids);
// tests install their own enumerator to present any set of devices.

struct UsbDeviceInfo
{
    int vendorId = 0;
    int productId = 0;
    QByteArray product; // iProduct string descriptor, as read
};

struct UsbScan
{
    bool ok = false;            // false when libusb could not start or list the bus
    QList<UsbDeviceInfo> devices; // devices that could be opened and named, in bus order
};

struct SerialPortListing
{
    QString portName;
    int vendorId = 0;  // 0 when the port reports none
    int productId = 0; // 0 when the port reports none
    QString description;
    QString systemLocation;
    QString serialNumber;
    QString manufacturer;
};

class DeviceEnumerator
{
public:
    virtual ~DeviceEnumerator() = default;
    virtual UsbScan scanUsb() = 0;
    virtual QList<SerialPortListing> serialPorts() = 0;

    // The enumerator in use: the system one unless a test installed another.
    static DeviceEnumerator& instance();
    // Installs an enumerator (not owned); nullptr restores the system one.
    static void setInstanceForTesting(DeviceEnumerator* enumerator);
};
