#pragma once

#include <QByteArray>
#include <QString>

// Rules of the application's own update check: the running version, how the update
// file on the download server is read, how versions compare, where the downloaded
// package goes and how far the download has got. Nothing here touches a widget.
namespace AppUpdate {

// The version text the About box shows, e.g. "V4.0.2".
QString versionText();
// One leading "V" or "v" removed: "V4.0.2" -> "4.0.2".
QString stripVersionPrefix(const QString& text);
// versionText() without its "V".
QString currentVersion();

// -1, 0 or +1. Both texts are split at every "." (empty parts kept); part i of each is
// read as a base-10 number, a missing part or one that is not a number counting 0.
// 4.0.2 < 4.0.10, 4.0 == 4.0.0, 4.1 > 4.0.9.
int compareVersions(const QString& a, const QString& b);

// The update file: UTF-8 text up to its first zero byte, starting with
// "Quillmar_V<digits and dots>" at the very start of the text, with the release notes
// after the first "Update content:" and the white space that follows it.
struct UpdateFile {
    bool found = false;  // whether the text starts with a release name
    QString latest;      // the digits and dots as written, e.g. "4.0.3" or "4.0.3."
    QString releaseName; // "Quillmar_V" + latest
    QString notes;       // to the end of the text, untrimmed; empty without the marker
};
UpdateFile parseUpdateFile(const QByteArray& body);

// "Quillmar_V" + latest + ".dmg"
QString packageFileName(const QString& latest);
// The local copy of the package: <temporary folder>/<package file name>; empty when
// there is no temporary folder.
QString localPackagePath(const QString& latest);

// The text of the offer.
QString offerText(const QString& current, const UpdateFile& file);

// Download progress in percent, received * 100 / total in 64-bit integer arithmetic;
// -1 (leave the bar alone) while the total is unknown (zero or negative).
int progressPercent(qint64 received, qint64 total);

} // namespace AppUpdate
