#pragma once

#include <QString>
#include <QUrl>

// The vendor's web site: About box link and the user manuals.
namespace VendorSite {

inline QString host()
{
    return QStringLiteral("https://www.quorvane.com");
}

// A user manual PDF under /download/Product/Quillmar/.
inline QUrl manualUrl(const QString& fileName)
{
    return QUrl(host() + QStringLiteral("/download/Product/Quillmar/") + fileName);
}

} // namespace VendorSite
