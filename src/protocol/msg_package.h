#pragma once

#include <QByteArray>
#include <QMetaType>

namespace Protocol {

// Kind of a complete frame received from the controller.
enum FrameKind {
    HandshakeReply = 0,
    SetResult = 1,
    QueryReply = 2,
    DeleteResult = 3,
    PedalData = 4,
};

// One frame cut out of the serial stream.
struct MsgPackage
{
    int cmdType = -1;  // a FrameKind
    QByteArray frame;  // the complete frame bytes
};

} // namespace Protocol

Q_DECLARE_METATYPE(Protocol::MsgPackage)
