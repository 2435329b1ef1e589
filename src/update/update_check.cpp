#include "update/update_check.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace AppUpdate {

QString versionText()
{
    return QStringLiteral("V" QUILLMAR_VERSION);
}

QString stripVersionPrefix(const QString& text)
{
    if (text.startsWith(QLatin1Char('V'), Qt::CaseInsensitive))
        return text.mid(1);
    return text;
}

QString currentVersion()
{
    return stripVersionPrefix(versionText());
}

int compareVersions(const QString& a, const QString& b)
{
    const QStringList left = a.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const QStringList right = b.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const int parts = qMax(left.size(), right.size());
    for (int i = 0; i < parts; ++i) {
        // toLongLong() gives 0 for an empty part or one that is not a number.
        const qlonglong x = i < left.size() ? left.at(i).toLongLong(nullptr, 10) : 0;
        const qlonglong y = i < right.size() ? right.at(i).toLongLong(nullptr, 10) : 0;
        if (x < y)
            return -1;
        if (x > y)
            return 1;
    }
    return 0;
}

UpdateFile parseUpdateFile(const QByteArray& body)
{
    const int zero = body.indexOf('\0');
    const QString text = QString::fromUtf8(zero < 0 ? body : body.left(zero));

    UpdateFile file;
    // "^" is the start of the whole text: a release line after anything else does not count.
    static const QRegularExpression release(QStringLiteral("^Quillmar_V([0-9.]+)"));
    const QRegularExpressionMatch match = release.match(text);
    if (!match.hasMatch())
        return file;
    file.found = true;
    file.latest = match.captured(1);
    file.releaseName = QStringLiteral("Quillmar_V%1").arg(file.latest);

    static const QRegularExpression notes(QStringLiteral("Update content:\\s*(.*)"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch notesMatch = notes.match(text);
    if (notesMatch.hasMatch())
        file.notes = notesMatch.captured(1);
    return file;
}

QString packageFileName(const QString& latest)
{
    return QStringLiteral("Quillmar_V%1.dmg").arg(latest);
}

QString localPackagePath(const QString& latest)
{
    // Empty when the platform knows no temporary folder (e.g. TMPDIR names a missing one);
    // the bare file name would otherwise land in the root folder.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (folder.isEmpty())
        return QString();
    return folder + QLatin1Char('/') + packageFileName(latest);
}

QString offerText(const QString& current, const UpdateFile& file)
{
    return QCoreApplication::translate(
               "Widget", "The current version is: V%1\nA new version is available: %2\n\nUpdate Content:\n%3")
        .arg(current, file.releaseName, file.notes);
}

int progressPercent(qint64 received, qint64 total)
{
    if (total <= 0)
        return -1;
    return int(qBound<qint64>(0, received * 100 / total, 100));
}

} // namespace AppUpdate
