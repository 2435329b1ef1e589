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

    // Same rescan as initPort(), logging every available serial port first.
    void initPort2();

    QByteArray rxBuffer;         // receive accumulation buffer
    int deviceCaps = -1;         // capability value reported by the controller, -1 when none
    bool upgradeForwarding = false; // the upgrade dialog holds the port

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

private:
    void rescan(bool logPorts);

    QPointer<QComboBox> comboBox;
    QString pattern;
    QTimer* portScanTimer = nullptr;
};
