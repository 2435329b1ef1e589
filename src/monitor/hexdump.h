#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTime>

// Lines of the serial monitor's log: a header per block of bytes sent or received,
// hex and character dump lines of 16 bytes, and error lines.
namespace SerialDump {

constexpr int bytesPerLine = 16;
constexpr int hexColumnWidth = bytesPerLine * 3 - 1; // "XX " x 15 + "XX"
constexpr int maxLogLines = 5000;

// "[HH:mm:ss.zzz] TX >>>  N bytes" (RX <<< for received bytes).
QString headerLine(const QTime& time, bool tx, int byteCount);

// "  <hex, padded to 47>  |<characters>|" for up to 16 bytes; bytes outside
// 0x20..0x7E show as '.'.
QString dumpLine(const QByteArray& bytes);

// A whole block: the header, one dump line per 16 bytes, and an empty line.
QStringList blockLines(const QTime& time, const QByteArray& data, bool tx);

// "[HH:mm:ss.zzz] ERR: <text>".
QString errorLine(const QTime& time, const QString& error);

} // namespace SerialDump
