#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

// Version numbers and update files as the upgrade dialog reads them.
namespace FirmwareVersion {

// Text of a byte sequence: up to (not including) its first zero byte, as UTF-8.
QString textUpToZero(const QByteArray& bytes);

// The numbers after the first "V" of the text, split at every "." (empty parts
// kept, a part that is not a number counts as 0). No "V": the empty list.
// "V1.0.3" -> 1,0,3; "ZRT-10_V1.0.5" -> 1,0,5.
QVector<int> versionNumber(const QString& text);

// Whether `candidate` is newer than `current`, part by part, a missing part
// counting as 0: V1.2 and 1.2.0 are equal, 1.10 is newer than 1.9.
bool isNewer(const QVector<int>& current, const QVector<int>& candidate);

// An update file: the release name at the very start ("<key>_V1.0.5") and the
// notes after "Update content:".
struct UpdateFile
{
    QString release; // empty when the text does not start with one
    QString content; // trimmed; empty when there is no "Update content:"
};
UpdateFile parseUpdateFile(const QByteArray& body, const QString& modelKey);

// Update files the upgrade dialog knows, tried in this order against the model the
// bootloader reported (first key contained in it, case-sensitive).
struct UpdateSource
{
    QString key;      // model key, also the folder of the images
    QString folder;   // folder of the update file on the download server
    QString fileName; // update file name
};
const QList<UpdateSource>& dialogUpdateSources();
// Index into dialogUpdateSources(), -1 when no key is contained in the model.
int dialogUpdateSourceFor(const QString& productModel);

} // namespace FirmwareVersion
