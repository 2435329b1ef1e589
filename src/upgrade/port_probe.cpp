#include "upgrade/port_probe.h"

#include <QRegularExpression>

#include <algorithm>

namespace PortProbe {

namespace {

const QRegularExpression& modelPattern()
{
    static const QRegularExpression pattern(QStringLiteral("([A-Za-z0-9]+-\\d+)"));
    return pattern;
}

QString latin1UpToZero(const QByteArray& bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromLatin1(zero < 0 ? bytes : bytes.left(zero));
}

} // namespace

QString fallbackDisplayName(const QString& manufacturer, const QString& description, const QString& portName)
{
    const QString name = (manufacturer + QLatin1Char(' ') + description + QStringLiteral(" (") + portName
                          + QLatin1Char(')'))
                             .simplified();
    return name.isEmpty() ? portName : name;
}

bool containsModel(const QString& text)
{
    return modelPattern().match(text).hasMatch();
}

bool replyNamesModel(const QByteArray& received)
{
    return received.contains('-') && containsModel(latin1UpToZero(received));
}

Reply parseReply(const QByteArray& received)
{
    Reply reply;
    // Latin-1 keeps one character per byte, so text positions are byte positions.
    const QRegularExpressionMatch match = modelPattern().match(latin1UpToZero(received));
    if (match.hasMatch()) {
        const int s = match.capturedStart(1);
        int begin = 0;
        for (int i = s - 1; i >= 0; --i) {
            if (received.at(i) == '\n' || received.at(i) == '\r') {
                begin = i + 1;
                break;
            }
        }
        // A framed answer: skip AA CC N in front of the text.
        if (s - begin >= 3 && quint8(received.at(begin)) == 0xAA && quint8(received.at(begin + 1)) == 0xCC)
            begin += 3;
        int end = received.size();
        for (int i = s; i < received.size(); ++i) {
            if (received.at(i) == '\n' || received.at(i) == '\r') {
                end = i;
                break;
            }
        }
        QByteArray line = received.mid(begin, end - begin);
        const int zero = line.indexOf('\0');
        if (zero >= 0)
            line.truncate(zero);
        reply.model = QString::fromUtf8(line);
        if (reply.model.contains(QChar(0xFFFD)))
            reply.model = QString::fromLatin1(line);
    }
    const int v = received.indexOf('V');
    const int e = v < 0 ? -1 : received.indexOf("\r\n", v);
    if (v >= 0 && e > v)
        reply.version = QString::fromLatin1(received.mid(v, e - v)).trimmed();
    reply.success = !reply.model.isEmpty() && containsModel(reply.model);
    return reply;
}

QString hexDump(const QByteArray& bytes, int maxHexChars)
{
    QString hex = QString::fromLatin1(bytes.toHex());
    if (hex.size() > maxHexChars)
        hex = hex.left(maxHexChars) + QStringLiteral("...");
    return hex;
}

} // namespace PortProbe
