#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Preset files: the editor's combo boxes saved as an INI file, each key the object name
// of a box and each value its current index, in the groups Expression, Switch and Hat.
// This unit knows the keys, the order of writing and reading and the file; the window
// supplies the boxes through the accessors below.
namespace PresetFile {

// "Save File As" writes Pedal_Number; "Save File" writes Message_Number_2 instead.
enum class Variant { SaveAs, Save };

struct Group {
    QString name;
    QStringList keys;
};

// Keys in writing order, per group.
QVector<Group> keysToWrite(Variant variant);

// One read of a load: a single key, or a minimum/maximum pair set in the order that
// never puts the minimum above the maximum.
struct LoadItem {
    QString key;       // the single key, or the pair's minimum
    QString pairedMax; // empty for a single key
};
struct LoadGroup {
    QString name;
    QVector<LoadItem> items;
};

// Keys in reading order, per group (both variants' keys).
QVector<LoadGroup> loadOrder();

// The name with ".ini" appended unless it already ends so (in any case).
QString withIniSuffix(const QString& name);

// Writes every key of the variant with indexOf(key), replacing what the file held.
// True when the file on disk holds the values afterwards.
bool write(const QString& path, Variant variant, const std::function<int(const QString& key)>& indexOf);

// The window's boxes, by key.
struct Controls {
    std::function<int(const QString& key)> count;        // entries of the box
    std::function<int(const QString& key)> currentIndex; // its current index
    std::function<void(const QString& key, int index)> setCurrentIndex;
};

struct LoadResult {
    bool readable = false; // false: nothing was applied
    QStringList skipped;   // keys whose value lies outside their box's list, in reading order
};

// Applies the file to the boxes. A missing key or a value that is no number reads as 0.
// A value outside the box's list leaves the box as it is and is listed in skipped; -1
// (a box saved without a current entry) leaves it as it is without being listed. A file
// that cannot be read, or that is not empty but holds none of the three groups, is not
// applied at all.
LoadResult load(const QString& path, const Controls& controls);

} // namespace PresetFile
