#pragma once

#include <QByteArray>
#include <QString>

// Naming of ports that may hold a controller in bootloader mode, and reading the
// bootloader's answer to the identity query.
namespace PortProbe {

// manufacturer + " " + description + " (" + port name + ")", white space collapsed;
// the port name alone if that were empty.
QString fallbackDisplayName(const QString& manufacturer, const QString& description, const QString& portName);

// Whether a text holds a device model such as ZRT-10.
bool containsModel(const QString& text);

// Whether the bytes received so far already name a model, so the probe can end early.
bool replyNamesModel(const QByteArray& received);

struct Reply
{
    QString model;   // the line that holds the model, empty when none
    QString version; // from the first "V" to the next CR LF, trimmed
    bool success = false;
};
// Reads the answer to the identity query. A line that starts with a bootloader frame
// header (AA CC N) is read from the payload on.
Reply parseReply(const QByteArray& received);

// Hex text of the bytes, cut to maxHexChars characters plus "..." when longer.
QString hexDump(const QByteArray& bytes, int maxHexChars);

} // namespace PortProbe
