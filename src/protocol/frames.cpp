#include "protocol/frames.h"

namespace Protocol {

QByteArray fromHexText(const char* hexText)
{
    return QByteArray::fromHex(QByteArray(hexText));
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

} // namespace Protocol
