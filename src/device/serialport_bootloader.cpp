// The bootloader recognisers of the receive path (members of SerialPort). They see
// the whole receive buffer after every read, before SysEx frames are cut from it.
#include "device/serialport.h"

#include "app/logging.h"
#include "upgrade/bootloader_commands.h"
#include "upgrade/bootloader_recognisers.h"

void SerialPort::deal_updata(QByteArray buffer)
{
    using BootloaderRecognisers::UpdataResult;
    const UpdataResult found = BootloaderRecognisers::recogniseUpdata(buffer);
    switch (found.kind) {
    case UpdataResult::Nothing:
        return;
    case UpdataResult::Version:
        qCDebug(lcUpgrade) << "version frame:" << found.text;
        if (upgradeForwarding)
            emit send_vesion(found.text);
        return;
    case UpdataResult::Model:
        break;
    }

    qCDebug(lcUpgrade) << "model reply:" << found.text;
    if (upgradeForwarding)
        emit send_MTD(found.text);

    if (flashing) {
        qCDebug(lcUpgrade) << "no version request while flashing";
        return;
    }
    // The version frame is expected next; the application firmware and the
    // bootloader both answer this request.
    const qint64 written = write(Bootloader::versionRequest());
    flush(); // on the line before the handler returns
    if (written < 0)
        qCDebug(lcUpgrade) << "version request failed:" << errorString();
    else
        qCDebug(lcUpgrade) << "version request written:" << written << "bytes";
}

void SerialPort::deal_erase(QByteArray buffer)
{
    switch (BootloaderRecognisers::recogniseErase(buffer)) {
    case BootloaderRecognisers::EraseResult::EraseDone:
        emit send_erase(true);
        break;
    case BootloaderRecognisers::EraseResult::LogOnly:
        qCDebug(lcUpgrade).noquote() << "bootloader reply:" << buffer.toHex(' ');
        break;
    case BootloaderRecognisers::EraseResult::Nothing:
        break;
    }
}
