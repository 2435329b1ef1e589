#include "protocol/frames.h"

namespace Protocol {

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    out.reserve(int(values.size()));
    for (int v : values)
        out.append(char(quint8(v)));
    return out;
}

} // namespace

QByteArray fromHexText(const char* hexText)
{
    return QByteArray::fromHex(QByteArray(hexText));
}

QByteArray MsgHandshadeAsk::frame()
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

MsgSetPandelAsk MsgSetPandelAsk::setRequest()
{
    MsgSetPandelAsk record;
    record.bytes[0] = 0xF0;
    record.bytes[1] = 0x00;
    record.bytes[2] = 0x21;
    record.bytes[3] = 0x5E;
    record[Length] = 0x10;
    record[Command] = 0x03;
    record[End] = 0xF7;
    return record;
}

MsgSetPandelAsk MsgSetPandelAsk::fromFrame(const QByteArray& frame)
{
    MsgSetPandelAsk record;
    const int n = qMin(frame.size(), size);
    for (int i = 0; i < n; ++i)
        record.bytes[size_t(i)] = quint8(frame.at(i));
    return record;
}

QByteArray MsgSetPandelAsk::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), size);
}

// Indexes are sent as one byte: no current item (-1) goes out as 0xFF.
QByteArray queryShort(int pedal, int message)
{
    return bytesOf({0xF0, 0x00, 0x21, 0x5E, 0x04, 0x04, pedal & 0xFF, message & 0xFF, 0xF7});
}

QByteArray queryLong(int pedal, int message, int pedalType)
{
    return bytesOf({0xF0, 0x00, 0x21, 0x5E, 0x04, 0x04, pedal & 0xFF, message & 0xFF, pedalType & 0xFF, 0xF7});
}

QByteArray deleteRequest(int pedal)
{
    return bytesOf({0xF0, 0x00, 0x21, 0x5E, 0x03, 0x05, pedal & 0xFF, 0xF7});
}

QByteArray factoryResetFrame()
{
    return fromHexText("F0 00 21 5E 03 05 58 F7");
}

QStringList eventNames()
{
    return {
        QStringLiteral("Continuous Controllers (CC)"),
        QStringLiteral("Program Change (PC)"),
        QStringLiteral("NOTE"),
        QStringLiteral("Pitch Bend"),
        QStringLiteral("Channel Pressure"),
        QStringLiteral("Start"),
        QStringLiteral("Continue"),
        QStringLiteral("Stop"),
        QStringLiteral("Tempo"),
    };
}

QMap<QString, int> eventCodesByName()
{
    QMap<QString, int> codes;
    const QStringList names = eventNames();
    for (int code = 0; code < names.size(); ++code)
        codes.insert(names.at(code), code);
    return codes;
}

int eventCode(const QString& name)
{
    return eventCodesByName().value(name, 0);
}

QStringList rangTxtArray(int from, int to)
{
    QStringList texts;
    for (int n = from; n <= to; ++n)
        texts << QString::number(n);
    return texts;
}

} // namespace Protocol
