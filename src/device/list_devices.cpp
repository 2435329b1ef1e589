#include "device/list_devices.h"

#include "device/device_enumerator.h"

DeviceTable ListDevices(const char* pattern)
{
    DeviceTable table;
    const UsbScan scan = DeviceEnumerator::instance().scanUsb();
    if (!scan.ok)
        return table;
    const QByteArray needle(pattern);
    for (const UsbDeviceInfo& device : scan.devices) {
        // Byte comparison, case-sensitive, as the descriptor was read.
        if (device.product.contains(needle))
            table.insert(qMakePair(device.productId, device.vendorId), QString::fromUtf8(device.product));
    }
    return table;
}
