#include "device/serialport.h"

#include "app/logging.h"
#include "device/device_enumerator.h"
#include "device/list_devices.h"

#include <QComboBox>
#include <QStringList>
#include <QTimer>

SerialPort::SerialPort(QComboBox* box, QString pattern, QObject* parent)
    : QSerialPort(parent), comboBox(box), pattern(std::move(pattern))
{
    qRegisterMetaType<Protocol::MsgPackage>("Protocol::MsgPackage");

    portScanTimer = new QTimer(this);
    initPort(); // the list is filled before the window is shown
    connect(portScanTimer, &QTimer::timeout, this, &SerialPort::initPort);
    portScanTimer->start(1000);
}

void SerialPort::initPort()
{
    rescan(false);
}

void SerialPort::initPort2()
{
    rescan(true);
}

void SerialPort::rescan(bool logPorts)
{
    if (!comboBox)
        return;

    const DeviceTable table = ListDevices(pattern.toUtf8().constData());
    const QList<SerialPortListing> ports = DeviceEnumerator::instance().serialPorts();

    QStringList old;
    for (int i = 0; i < comboBox->count(); ++i)
        old << comboBox->itemText(i);

    // Items are identified by product string: existing items keep their place and
    // port name, new devices are appended, a second port with the same string is ignored.
    QStringList seen;
    for (const SerialPortListing& port : ports) {
        if (logPorts) {
            qCDebug(lcSerial).noquote() << "VID:" << port.vendorId << ", PID:" << port.productId
                                        << ", description:" << port.description
                                        << ", locate:" << port.systemLocation
                                        << ", number:" << port.serialNumber
                                        << ", manufacturer:" << port.manufacturer;
        }
        const auto key = qMakePair(port.productId, port.vendorId);
        if (!table.contains(key))
            continue;
        const QString text = table.value(key);
        if (!old.contains(text) && !seen.contains(text))
            comboBox->addItem(text, port.portName);
        seen << text;
    }

    for (const QString& text : qAsConst(seen))
        old.removeAll(text);

    for (const QString& gone : qAsConst(old)) {
        const int index = comboBox->findData(gone, Qt::DisplayRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0)
            comboBox->removeItem(index);
    }
}
