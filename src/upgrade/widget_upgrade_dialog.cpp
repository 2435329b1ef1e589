// The firmware upgrade dialog as the main window holds it (members of Widget).
#include "app/widget.h"

#include "device/serialport.h"
#include "upgrade/upgrade_dialog.h"

void Widget::setupUpgradeDialog()
{
    upgradeDialog = new upgrade_dialog(this, serialPort);
    // The dialog connects send_erase itself as well; the second delivery finds it no
    // longer erasing and does nothing.
    connect(serialPort, &SerialPort::send_erase, upgradeDialog, &upgrade_dialog::rec_erase_flag);
}

void Widget::show_ug_dlg_Dialog()
{
    upgradeDialog->show_page();
    upgradeDialog->clean_text();
}

void Widget::forgetUpgradeDevice()
{
    upgradeDialog->productModel.clear();
    upgradeDialog->currentFirmware.clear();
    upgradeDialog->firmware.clear();
    upgradeDialog->bytesSent = -1;
    upgradeDialog->chunkLength = -1;
}
