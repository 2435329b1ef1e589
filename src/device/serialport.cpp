#include "device/serialport.h"

#include "app/common.h"
#include "app/logging.h"
#include "device/device_enumerator.h"
#include "device/list_devices.h"
#include "device/receive_framing.h"

#include <QComboBox>
#include <QStringList>
#include <QTimer>

SerialPort::SerialPort(QComboBox* box, QString pattern, QObject* parent)
    : QSerialPort(parent), comboBox(box), pattern(std::move(pattern))
{
    qRegisterMetaType<Protocol::MsgPackage>("Protocol::MsgPackage");

    portScanTimer = new QTimer(this);
    initPort(); // the list is filled before the window is shown
    connect(this, &QSerialPort::readyRead, this, &SerialPort::readDataSlot);
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

bool SerialPort::open(QString name, int rate)
{
    rxBuffer.clear();
    if (name.isEmpty()) {
        Common::showMsgBox(tr("port name error, please choose right com!"), nullptr, tr("OK"), tr("Cancel"),
                           QString());
        return false;
    }
    setPortName(name);
    setBaudRate(rate, QSerialPort::AllDirections);
    if (QSerialPort::open(QIODevice::ReadWrite))
        return true;
    qCDebug(lcSerial) << "Cannot open" << name << errorString();
    Common::showNotice(tr("Device error"));
    return false;
}

qint64 SerialPort::writeData(const char* data, qint64 len)
{
    emit txBytes(QByteArray(data, int(len)));
    return QSerialPort::writeData(data, len);
}

void SerialPort::readDataSlot()
{
    const QByteArray chunk = readAll();
    if (chunk.isEmpty())
        return;
    emit rxBytes(chunk);

    // The buffer is cut before anything is emitted, so a receiver that spins the
    // event loop cannot re-enter it half-way.
    const ReceiveFraming::ReadResult result = ReceiveFraming::receive(rxBuffer, chunk);
    if (!result.scanned)
        return;
    for (const Protocol::MsgPackage& event : result.events)
        emit pedalMidiDataSignal(event);

    // Bootloader replies are recognised on the whole buffer, before frames are cut.
    deal_updata(result.bufferSeen);
    deal_erase(result.bufferSeen);
    emit showdata(result.bufferSeen);

    if (result.capability >= 0)
        deviceCaps = result.capability;
    for (const Protocol::MsgPackage& package : result.frames)
        emit pedalMidiDataSignal(package);
}
