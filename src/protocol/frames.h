#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Frames of the configuration dialogue with the controller. Every frame is a
// SysEx message: F0, manufacturer id 00 21 5E, length byte, command byte, ..., F7.
namespace Protocol {

// Device commands are kept as hex text; non-hex characters (blanks) are skipped.
QByteArray fromHexText(const char* hexText);

// Returns the controller to its factory configuration: the delete request
// addressed to the pseudo pedal index 0x58. No reply is used.
QByteArray factoryResetFrame();

// The nine MIDI events, indexed by the event code of byte 10 of a record.
// The names are also the texts of the event selectors.
QStringList eventNames();
QMap<QString, int> eventCodesByName();

} // namespace Protocol
