#include "device/device_enumerator.h"

#include <QSerialPortInfo>

#include <libusb.h>

namespace {

class SystemDeviceEnumerator final : public DeviceEnumerator
{
public:
    UsbScan scanUsb() override
    {
        UsbScan scan;
        libusb_context* context = nullptr;
        if (libusb_init(&context) < 0)
            return scan;

        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(context, &list);
        if (count < 0) {
            libusb_exit(context);
            return scan;
        }
        scan.ok = true;

        for (ssize_t i = 0; i < count; ++i) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(list[i], &descriptor) < 0)
                continue;
            libusb_device_handle* handle = nullptr;
            if (libusb_open(list[i], &handle) < 0 || !handle)
                continue;
            unsigned char text[256] = {};
            const int length =
                libusb_get_string_descriptor_ascii(handle, descriptor.iProduct, text, sizeof(text));
            libusb_close(handle);
            if (length < 0)
                continue;
            scan.devices.append(
                {descriptor.idVendor, descriptor.idProduct,
                 QByteArray(reinterpret_cast<const char*>(text), length)});
        }

        libusb_free_device_list(list, 1);
        libusb_exit(context);
        return scan;
    }

    QList<SerialPortListing> serialPorts() override
    {
        QList<SerialPortListing> ports;
        const auto infos = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo& info : infos) {
            SerialPortListing port;
            port.portName = info.portName();
            port.vendorId = info.hasVendorIdentifier() ? info.vendorIdentifier() : 0;
            port.productId = info.hasProductIdentifier() ? info.productIdentifier() : 0;
            port.description = info.description();
            port.systemLocation = info.systemLocation();
            port.serialNumber = info.serialNumber();
            port.manufacturer = info.manufacturer();
            ports.append(port);
        }
        return ports;
    }
};

DeviceEnumerator* testEnumerator = nullptr;

} // namespace

DeviceEnumerator& DeviceEnumerator::instance()
{
    static SystemDeviceEnumerator system;
    return testEnumerator ? *testEnumerator : system;
}

void DeviceEnumerator::setInstanceForTesting(DeviceEnumerator* enumerator)
{
    testEnumerator = enumerator;
}
