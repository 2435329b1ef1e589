// Frames from the controller, dispatched by kind (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "protocol/frames.h"

void Widget::pedalMidiDataSlot(Protocol::MsgPackage package)
{
    qCDebug(lcProtocol).noquote() << "frame" << package.cmdType << package.frame.toHex(' ');
    switch (package.cmdType) {
    case Protocol::HandshakeReply: {
        if (package.frame.size() < 6)
            return;
        const int jacks = quint8(package.frame.at(5));
        if (jacks > 9)
            return; // the capability report lands here too: its byte 5 is F7
        ui->Pedal_Number->clear();
        ui->Pedal_Number->addItems(Protocol::rangTxtArray(1, jacks));
        ui->Pedal_Number->setCurrentIndex(0);
        return;
    }
    case Protocol::SetResult:
        handleSetResult(package.frame);
        return;
    case Protocol::DeleteResult:
        handleDeleteResult();
        return;
    case Protocol::QueryReply:
        handleQueryReply(package.frame);
        return;
    case Protocol::PedalData:
        queuePedalFrame(package.frame);
        return;
    default:
        return;
    }
}
