#include "monitor/hexdump.h"

namespace SerialDump {

namespace {

QString stamp(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace

QString headerLine(const QTime& time, bool tx, int byteCount)
{
    return QStringLiteral("[%1] %2  %3 bytes")
        .arg(stamp(time), tx ? QStringLiteral("TX >>>") : QStringLiteral("RX <<<"))
        .arg(byteCount);
}

QString dumpLine(const QByteArray& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString hex;
    QString text;
    hex.reserve(hexColumnWidth);
    text.reserve(bytesPerLine);
    for (int i = 0; i < bytes.size() && i < bytesPerLine; ++i) {
        const quint8 b = quint8(bytes.at(i));
        if (i > 0)
            hex += QLatin1Char(' ');
        hex += QLatin1Char(digits[b >> 4]);
        hex += QLatin1Char(digits[b & 0x0F]);
        text += (b >= 0x20 && b <= 0x7E) ? QLatin1Char(char(b)) : QLatin1Char('.');
    }
    return QStringLiteral("  %1  |%2|").arg(hex.leftJustified(hexColumnWidth, QLatin1Char(' ')), text);
}

QStringList blockLines(const QTime& time, const QByteArray& data, bool tx)
{
    QStringList lines;
    lines.reserve(2 + (data.size() + bytesPerLine - 1) / bytesPerLine);
    lines << headerLine(time, tx, data.size());
    for (int offset = 0; offset < data.size(); offset += bytesPerLine)
        lines << dumpLine(data.mid(offset, bytesPerLine));
    lines << QString();
    return lines;
}

QString errorLine(const QTime& time, const QString& error)
{
    return QStringLiteral("[%1] ERR: %2").arg(stamp(time), error);
}

} // namespace SerialDump
