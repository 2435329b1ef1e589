#include "upgrade/firmware_version.h"

#include <QRegularExpression>

#include <algorithm>

namespace FirmwareVersion {

QString textUpToZero(const QByteArray& bytes)
{
    const int zero = bytes.indexOf('\0');
    return QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
}

QVector<int> versionNumber(const QString& text)
{
    const int v = text.indexOf(QLatin1Char('V'));
    if (v < 0)
        return {};
    QVector<int> numbers;
    const QStringList parts = text.mid(v + 1).split(QLatin1Char('.'), Qt::KeepEmptyParts);
    for (const QString& part : parts)
        numbers << part.toInt(); // 0 when not a number
    return numbers;
}

bool isNewer(const QVector<int>& current, const QVector<int>& candidate)
{
    const int n = std::max(current.size(), candidate.size());
    for (int i = 0; i < n; ++i) {
        const int c = i < current.size() ? current.at(i) : 0;
        const int r = i < candidate.size() ? candidate.at(i) : 0;
        if (c != r)
            return r > c;
    }
    return false;
}

UpdateFile parseUpdateFile(const QByteArray& body, const QString& modelKey)
{
    const QString text = textUpToZero(body);
    UpdateFile file;
    // No pattern options: "^" is the start of the whole text.
    const QRegularExpression releasePattern(
        QStringLiteral("^(%1_V[\\d\\.]+)").arg(QRegularExpression::escape(modelKey)));
    const QRegularExpressionMatch release = releasePattern.match(text);
    if (release.hasMatch())
        file.release = release.captured(1);
    static const QRegularExpression contentPattern(QStringLiteral("Update content:\\s*(.*)"),
                                                   QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch content = contentPattern.match(text);
    if (content.hasMatch())
        file.content = content.captured(1).trimmed();
    return file;
}

const QList<UpdateSource>& dialogUpdateSources()
{
    static const QList<UpdateSource> sources = {
        {QStringLiteral("ZRT-10"), QStringLiteral("ZRT-10"), QStringLiteral("ZRT-10_Update.txt")},
        {QStringLiteral("ZRT-20"), QStringLiteral("ZRT-20"), QStringLiteral("ZRT-20_Update.txt")},
        {QStringLiteral("KX-3"), QStringLiteral("KX-3"), QStringLiteral("KX-3_Update.txt")},
        {QStringLiteral("KX-1"), QStringLiteral("KX-1"), QStringLiteral("KX-ONE_Update.txt")},
        {QStringLiteral("LDW-30"), QStringLiteral("LDW-30"), QStringLiteral("LDW-30_Update.txt")},
        {QStringLiteral("NPQ-8"), QStringLiteral("NPQ-8"), QStringLiteral("NPQ-8_Update.txt")},
    };
    return sources;
}

int dialogUpdateSourceFor(const QString& productModel)
{
    const QList<UpdateSource>& sources = dialogUpdateSources();
    for (int i = 0; i < sources.size(); ++i) {
        if (productModel.contains(sources.at(i).key))
            return i;
    }
    return -1;
}

} // namespace FirmwareVersion
