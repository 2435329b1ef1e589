#pragma once

#include "protocol/msg_package.h"

#include <QByteArray>
#include <QPointer>
#include <QSerialPort>
#include <QString>

class QComboBox;
class QTimer;

// The device link: keeps the port list of the main window current and carries
// the serial connection to the controller.
class SerialPort : public QSerialPort
{
    Q_OBJECT

public:
    SerialPort(QComboBox* box, QString pattern, QObject* parent = nullptr);

    // Opens the named port at the given rate for both directions, 8N1, reading and
    // writing. Tells the user when there is no port name or the port cannot be opened.
    bool open(QString name, int rate);
    void deal_updata(QByteArray buffer);
    void deal_erase(QByteArray buffer);
    using QSerialPort::open;

    // Same rescan as initPort(), logging every available serial port first.
    void initPort2();

    QByteArray rxBuffer;         // receive accumulation buffer
    int deviceCaps = -1;         // capability value reported by the controller, -1 when none
    bool upgradeForwarding = false; // the upgrade dialog holds the port
    // Set while the bootloader erases or receives an image: then nothing but image
    // blocks may reach it, so a late model line brings no version request.
    bool flashing = false;

signals:
    void pedalMidiDataSignal(Protocol::MsgPackage package);
    void send_vesion(QString version);
    void send_MTD(QString MTD);
    void send_erase(bool eraseflag);
    void showdata(QByteArray data);
    void rxBytes(QByteArray data);
    void txBytes(QByteArray data);

public slots:
    // One rescan of the port list: add newly attached controllers, drop vanished ones.
    void initPort();
    // Runs on every readyRead: reports the raw bytes, passes live events and
    // bootloader text on, and cuts complete SysEx frames out of the buffer.
    void readDataSlot();

protected:
    // Every write passes here and is reported on txBytes first.
    qint64 writeData(const char* data, qint64 len) override;

private:

    void rescan(bool logPorts);

    QPointer<QComboBox> comboBox;
    QString pattern;
    QTimer* portScanTimer = nullptr;
};
