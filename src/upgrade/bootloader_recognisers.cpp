#include "upgrade/bootloader_recognisers.h"

#include <QRegularExpression>

namespace BootloaderRecognisers {

namespace {

const QByteArray crlf("\r\n");
const QByteArray framePrefix = QByteArray::fromHex("AACC06");
const QByteArray versionFrameStart = QByteArray::fromHex("AACC0656"); // 56 is "V"

// Text of the bytes from `from` up to the first CR LF at or after it; false when
// there is no CR LF yet.
bool lineFrom(const QByteArray& buffer, int from, QString* text)
{
    const int end = buffer.indexOf(crlf, from);
    if (end < 0)
        return false;
    *text = textOf(buffer.mid(from, end - from));
    return true;
}

} // namespace

QString textOf(const QByteArray& bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

QString modelPattern()
{
    return QStringLiteral("([A-Za-z0-9]+-\\d+)");
}

UpdataResult recogniseUpdata(const QByteArray& buffer)
{
    UpdataResult result;
    const int frame = buffer.indexOf(versionFrameStart);
    if (frame >= 0) {
        QString version;
        if (lineFrom(buffer, frame + framePrefix.size(), &version)) {
            result.kind = UpdataResult::Version;
            result.text = version;
        }
        return result;
    }

    static const QRegularExpression model(modelPattern());
    const QRegularExpressionMatch match = model.match(textOf(buffer));
    if (match.hasMatch()) {
        result.kind = UpdataResult::Model;
        result.text = match.captured(1);
    }
    return result;
}

EraseResult recogniseErase(const QByteArray& buffer)
{
    if (buffer.contains("ERASE END"))
        return EraseResult::EraseDone;
    if (buffer.size() == 7 || buffer.contains("Reset"))
        return EraseResult::LogOnly;
    return EraseResult::Nothing;
}

Identity recogniseIdentity(const QByteArray& data)
{
    Identity id;
    id.marker = data.size() >= 7 && data.at(6) != 'o';
    if (data.contains("ERASE END") || data.size() == 7 || data.contains("Reset")) {
        id.ignored = true;
        return id;
    }

    if (data.contains("ZRT-") || data.contains("KX-")) {
        const int kx = data.indexOf("KX-");
        const int start = kx >= 0 ? kx : data.indexOf("ZRT-");
        id.hasModel = lineFrom(data, start, &id.model);
        return id;
    }

    if (id.marker) {
        const int frame = data.indexOf(framePrefix);
        if (frame >= 0)
            id.hasVersion = lineFrom(data, frame + framePrefix.size(), &id.version);
    }
    return id;
}

} // namespace BootloaderRecognisers
