// Connecting to and disconnecting from the controller (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "device/serialport.h"
#include "protocol/frames.h"
#include "upgrade/bootloader_commands.h"

#include <QStandardItemModel>
#include <QTimer>

void Widget::on_connectButton_clicked()
{
    if (serialPort->isOpen())
        disconnectDevice();
    else
        connectDevice();
    updateDeviceState();
}

void Widget::disconnectDevice()
{
    serialPort->clear(QSerialPort::AllDirections);
    serialPort->close();

    deviceModel = QStringLiteral("xx");
    deviceVersion = QStringLiteral("xx");
    refreshSwitchLongPressAvailability();

    clearLiveTables();
    switch_clearstatus();
    switch_status_kx1();
    setAdvancedControlsVisible(false);
}

void Widget::connectDevice()
{
    const QString portName = ui->comboBox_ComDevices->currentData(Qt::UserRole).toString();
    if (serialPort->open(portName, 115200)) {
        firmwareCheckStarted = false;
        deviceModel = QStringLiteral("xx");
        deviceVersion = QStringLiteral("xx");
        refreshSwitchLongPressAvailability();
        forgetUpgradeDevice();
        serialPort->upgradeForwarding = false;

        serialPort->write(Protocol::MsgHandshadeAsk::frame());

        // The delayed requests belong to the window; a disconnect in between lets
        // them fail on the closed port.
        QTimer::singleShot(500, this, [this] {
            serialPort->write(Protocol::queryShort(ui->Pedal_Number->currentIndex(),
                                                   ui->Message_Number->currentIndex()));
        });
        QTimer::singleShot(600, this, [this] {
            const qint64 written = serialPort->write(Bootloader::identityQuery());
            serialPort->flush();
            if (written < 0)
                qCDebug(lcSerial) << "identity query failed:" << serialPort->errorString();
            else
                qCDebug(lcSerial) << "identity query written:" << written << "bytes";
        });
    }
    adaptToDeviceModel(ui->comboBox_ComDevices->currentText());
}

void Widget::adaptToDeviceModel(const QString& portText)
{
    // These models offer the Tempo event.
    if (portText.contains(QLatin1String("KX-1")) || portText.contains(QLatin1String("KX-3"))) {
        switch_clearstatus();
        switch_status();
    }
    const bool advanced = portText.contains(QLatin1String("ZRT-10")) || portText.contains(QLatin1String("ZRT-20"))
                          || portText.contains(QLatin1String("KX-3"));
    setAdvancedControlsVisible(advanced);
}

void Widget::clearLiveTables()
{
    for (QStandardItemModel* model : {exTableModel, swTableModel, htTableModel})
        model->removeRows(0, model->rowCount());
}
