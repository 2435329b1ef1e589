#include "upgrade/download_server.h"

namespace DownloadServer {

namespace {

const QString realBase = QStringLiteral("https://download.quorvane.com");
QString testBase;

QUrl at(const QString& path)
{
    return QUrl(baseAddress() + path);
}

} // namespace

QString baseAddress()
{
    return testBase.isEmpty() ? realBase : testBase;
}

void setBaseAddressForTesting(const QString& address)
{
    testBase = address;
    while (testBase.endsWith(QLatin1Char('/')))
        testBase.chop(1);
}

QUrl firmwareUpdateFile(const QString& productFolder, const QString& fileName)
{
    return at(QStringLiteral("/download/Product/%1/Update/%2").arg(productFolder, fileName));
}

QUrl firmwareImage(const QString& model, const QString& releaseName)
{
    return at(QStringLiteral("/download/Product/%1/Update/%2.bin").arg(model, releaseName));
}

QUrl applicationUpdateFile()
{
    return at(QStringLiteral("/download/Product/Quillmar/Update/Quillmar_Update.txt"));
}

QUrl applicationPackage(const QString& version)
{
    return at(QStringLiteral("/download/Product/Quillmar/Update/Quillmar_V%1.dmg").arg(version));
}

} // namespace DownloadServer
