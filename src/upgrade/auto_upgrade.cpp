#include "upgrade/auto_upgrade.h"

#include "upgrade/bootloader_recognisers.h"
#include "upgrade/download_server.h"
#include "upgrade/firmware_version.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace AutoUpgrade {

namespace {

struct Row
{
    const char* model;
    const char* updateFile;
};

// Index - 1. The folder on the server is the model name.
const Row rows[] = {
    {"ZRT-10", "ZRT-10_Update.txt"}, {"ZRT-20", "ZRT-20_Update.txt"}, {"ZRT-30", "ZRT-30_Update.txt"},
    {"KX-3", "KX-3_Update.txt"},     {"KX-1", "KX-ONE_Update.txt"},
};
constexpr int rowCount = int(sizeof(rows) / sizeof(rows[0]));

// Models whose bootloader the automatic upgrade looks for.
const char* const bootloaderModels[] = {"ZRT-10", "ZRT-20", "KX-3", "KX-1"};
const char* const bootloaderWords[] = {"BootLoad", "Bootloader", " B"};

Timing current;

} // namespace

int checkIndexFor(const QString& deviceModel)
{
    for (int i = 0; i < rowCount; ++i) {
        if (deviceModel.contains(QLatin1String(rows[i].model), Qt::CaseSensitive))
            return i + 1;
    }
    return 0;
}

QString modelName(int index)
{
    if (index < 1 || index > rowCount)
        return QString();
    return QLatin1String(rows[index - 1].model);
}

QUrl updateFileUrl(int index)
{
    if (index < 1 || index > rowCount)
        return QUrl();
    return DownloadServer::firmwareUpdateFile(modelName(index), QLatin1String(rows[index - 1].updateFile));
}

QUrl imageUrl(int index, const QString& release)
{
    if (index < 1 || index > rowCount)
        return QUrl();
    return DownloadServer::firmwareImage(modelName(index), release);
}

UpdateFile parseUpdateFile(const QByteArray& body, int index)
{
    UpdateFile file;
    const QString text = BootloaderRecognisers::textOf(body);
    const QString model = modelName(index);
    if (model.isEmpty())
        return file;

    const QRegularExpression release(QStringLiteral("^(%1_V[\\d\\.]+)").arg(QRegularExpression::escape(model)));
    const QRegularExpressionMatch releaseMatch = release.match(text);
    if (releaseMatch.hasMatch())
        file.release = releaseMatch.captured(1);

    static const QRegularExpression content(QStringLiteral("Update content:\\s*(.*)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch contentMatch = content.match(text);
    if (contentMatch.hasMatch())
        file.content = contentMatch.captured(1);
    return file;
}

bool isNewerMajorMinor(const QString& deviceVersion, const QString& release)
{
    const QVector<int> dev = FirmwareVersion::versionNumber(deviceVersion);
    const QVector<int> rel = FirmwareVersion::versionNumber(release);
    const auto part = [](const QVector<int>& list, int i) { return i < list.size() ? list.at(i) : 0; };
    if (part(rel, 0) != part(dev, 0))
        return part(rel, 0) > part(dev, 0);
    return part(rel, 1) > part(dev, 1);
}

QString offerText(int index, const QString& deviceVersion, const QString& release, const QString& content)
{
    const QString details = QCoreApplication::translate("Widget", "Update Content:\n") + content;
    const QString message =
        QCoreApplication::translate("Widget", "A new version is available: %1\n\n%2").arg(release, details);
    return QCoreApplication::translate("Widget", "The current version is %1_%2\n").arg(modelName(index), deviceVersion)
           + message;
}

bool namesBootloaderOf(const QString& text, const QString& model)
{
    bool served = false;
    for (const char* name : bootloaderModels)
        served = served || model.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    if (!served || !text.contains(model, Qt::CaseInsensitive))
        return false;
    for (const char* word : bootloaderWords) {
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

const Timing& timing()
{
    return current;
}

void setTimingForTesting(const Timing& timing)
{
    current = timing;
}

} // namespace AutoUpgrade
