#pragma once

#include <QString>
#include <QUrl>

// Addresses on the vendor's download server. Every request is a plain HTTPS GET.
namespace DownloadServer {

// "https://download.quorvane.com" unless a test pointed it elsewhere.
QString baseAddress();
// Points every address at another server; an empty text restores the real one.
void setBaseAddressForTesting(const QString& address);

// A firmware update file: /download/Product/<folder>/Update/<fileName>.
QUrl firmwareUpdateFile(const QString& productFolder, const QString& fileName);
// A firmware image: /download/Product/<model>/Update/<releaseName>.bin.
QUrl firmwareImage(const QString& model, const QString& releaseName);
// The application's own update file and installer package.
QUrl applicationUpdateFile();
QUrl applicationPackage(const QString& version);

} // namespace DownloadServer
