#include "storage/preset_file.h"

#include "app/logging.h"

#include <QFileInfo>
#include <QSettings>

namespace PresetFile {

namespace {

const QString expressionGroup = QStringLiteral("Expression");
const QString switchGroup = QStringLiteral("Switch");
const QString hatGroup = QStringLiteral("Hat");

// The keys of one expression event block: gain, channel, controller or note (not for
// pitch bend), minimum, maximum, curve.
QStringList expressionBlock(const QString& event, bool curveBeforeRange)
{
    const QString prefix = QStringLiteral("expression_%1_comboBox_").arg(event);
    const bool pressure = event == QLatin1String("ch");
    QStringList keys = {prefix + QStringLiteral("gain"), prefix + QStringLiteral("chl")};
    if (event == QLatin1String("cc") || event == QLatin1String("note"))
        keys << prefix + QStringLiteral("ctl");
    const QStringList range =
        pressure ? QStringList{prefix + QStringLiteral("val1"), prefix + QStringLiteral("val2")}
                 : QStringList{prefix + QStringLiteral("valmin"), prefix + QStringLiteral("valmax")};
    const QString curve = prefix + QStringLiteral("ql");
    if (curveBeforeRange)
        keys << curve << range;
    else
        keys << range << curve;
    return keys;
}

// The switch blocks with a trigger mode and a value pair.
QStringList switchBlock(const QString& event, const QString& numberKey)
{
    const QString prefix = QStringLiteral("switch_%1_comboBox_").arg(event);
    QStringList keys = {prefix + QStringLiteral("mode"), prefix + QStringLiteral("chl")};
    if (!numberKey.isEmpty())
        keys << prefix + numberKey;
    keys << prefix + QStringLiteral("valmin") << prefix + QStringLiteral("valmax");
    return keys;
}

QStringList hatBlock(const QString& event)
{
    const QString prefix = QStringLiteral("hat_%1_comboBox_").arg(event);
    return {prefix + QStringLiteral("gain"),   prefix + QStringLiteral("chl"),
            prefix + QStringLiteral("ctl"),    prefix + QStringLiteral("valmin"),
            prefix + QStringLiteral("valmax"), prefix + QStringLiteral("ql")};
}

QStringList switchTail()
{
    return {QStringLiteral("switch_comboBox3"), QStringLiteral("switch_stop_comboBox_mode"),
            QStringLiteral("switch_comboBox4"), QStringLiteral("switch_ctu_comboBox_mode"),
            QStringLiteral("switch_comboBox5"), QStringLiteral("switch_start_comboBox_mode")};
}

// The minimum keys whose maximum is the next key.
bool isPairMinimum(const QString& key)
{
    return key.endsWith(QLatin1String("_valmin")) || key.endsWith(QLatin1String("_val1"));
}

// Items of a group in reading order: pairs joined; the keys in `last` moved to the end.
QVector<LoadItem> itemsOf(const QStringList& keys, const QStringList& last = {})
{
    QVector<LoadItem> items;
    for (int i = 0; i < keys.size(); ++i) {
        const QString& key = keys.at(i);
        if (last.contains(key))
            continue;
        if (isPairMinimum(key) && i + 1 < keys.size()) {
            items.append({key, keys.at(i + 1)});
            ++i;
        } else {
            items.append({key, QString()});
        }
    }
    for (const QString& key : last)
        items.append({key, QString()});
    return items;
}

} // namespace

QVector<Group> keysToWrite(Variant variant)
{
    const bool saveAs = variant == Variant::SaveAs;

    QStringList expression = {QStringLiteral("Message_Number")};
    if (saveAs)
        expression << QStringLiteral("Pedal_Number");
    expression << QStringLiteral("expression_trigger_level") << QStringLiteral("expression_press_note")
               << QStringLiteral("expression_release_note");
    expression << QStringLiteral("expression_comboBox0") << expressionBlock(QStringLiteral("cc"), saveAs);
    expression << QStringLiteral("expression_comboBox1") << expressionBlock(QStringLiteral("note"), saveAs);
    expression << QStringLiteral("expression_comboBox2") << expressionBlock(QStringLiteral("pitch"), saveAs);
    expression << QStringLiteral("expression_comboBox3") << expressionBlock(QStringLiteral("ch"), saveAs);

    QStringList switches;
    if (!saveAs)
        switches << QStringLiteral("Message_Number_2");
    switches << QStringLiteral("switch_comboBox0")
             << switchBlock(QStringLiteral("cc"), QStringLiteral("ctl"));
    switches << QStringLiteral("switch_comboBox1")
             << switchBlock(QStringLiteral("note"), QStringLiteral("nno"));
    switches << QStringLiteral("switch_comboBox2") << switchBlock(QStringLiteral("pc"), QString());
    switches << switchTail();

    QStringList hat = {QStringLiteral("hat_trigger_level"), QStringLiteral("hat_press_note"),
                       QStringLiteral("hat_release_note")};
    hat << QStringLiteral("hat_comboBox0") << hatBlock(QStringLiteral("cc"));
    hat << QStringLiteral("hat_comboBox1") << hatBlock(QStringLiteral("note"));

    return {{expressionGroup, expression}, {switchGroup, switches}, {hatGroup, hat}};
}

QVector<LoadGroup> loadOrder()
{
    // The event selector is read before the trigger group: choosing an event resets the
    // page's trigger level and notes (and gives pitch bend its 16-bit level list), which
    // would otherwise undo the values just read.
    QStringList expression = {
        QStringLiteral("Message_Number"),        QStringLiteral("Pedal_Number"),
        QStringLiteral("expression_comboBox0"),  QStringLiteral("expression_trigger_level"),
        QStringLiteral("expression_press_note"), QStringLiteral("expression_release_note")};
    expression << expressionBlock(QStringLiteral("cc"), false);
    expression << QStringLiteral("expression_comboBox1") << expressionBlock(QStringLiteral("note"), false);
    expression << QStringLiteral("expression_comboBox2") << expressionBlock(QStringLiteral("pitch"), false);
    expression << QStringLiteral("expression_comboBox3") << expressionBlock(QStringLiteral("ch"), false);

    QStringList switches = {QStringLiteral("Message_Number_2"), QStringLiteral("switch_comboBox0")};
    switches << switchBlock(QStringLiteral("cc"), QStringLiteral("ctl"));
    switches << QStringLiteral("switch_comboBox1")
             << switchBlock(QStringLiteral("note"), QStringLiteral("nno"));
    switches << QStringLiteral("switch_comboBox2") << switchBlock(QStringLiteral("pc"), QString());
    switches << switchTail();

    QStringList hat = {QStringLiteral("hat_comboBox0"), QStringLiteral("hat_trigger_level"),
                       QStringLiteral("hat_press_note"), QStringLiteral("hat_release_note")};
    hat << hatBlock(QStringLiteral("cc"));
    hat << QStringLiteral("hat_comboBox1") << hatBlock(QStringLiteral("note"));

    // The hi-hat curves come last, after the note block.
    const QStringList hatCurves = {QStringLiteral("hat_cc_comboBox_ql"),
                                   QStringLiteral("hat_note_comboBox_ql")};
    return {{expressionGroup, itemsOf(expression)},
            {switchGroup, itemsOf(switches)},
            {hatGroup, itemsOf(hat, hatCurves)}};
}

QString withIniSuffix(const QString& name)
{
    if (name.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive))
        return name;
    return name + QStringLiteral(".ini");
}

bool write(const QString& path, Variant variant, const std::function<int(const QString& key)>& indexOf)
{
    const QVector<Group> groups = keysToWrite(variant);
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.clear(); // the file holds this preset only, not keys left by an older one
        for (const Group& group : groups) {
            settings.beginGroup(group.name);
            for (const QString& key : group.keys)
                settings.setValue(key, indexOf(key));
            settings.endGroup();
        }
        settings.sync();
        if (settings.status() == QSettings::AccessError) {
            qCDebug(lcStorage) << "preset not written:" << path;
            return false;
        }
    }
    // The settings class also reports a malformed old file as an error after writing over
    // it, and a full disk may leave a short file: what counts is what the file holds now.
    QSettings check(path, QSettings::IniFormat);
    for (const Group& group : groups) {
        check.beginGroup(group.name);
        for (const QString& key : group.keys) {
            bool isNumber = false;
            const int stored = check.value(key).toInt(&isNumber);
            if (!isNumber || stored != indexOf(key)) {
                qCDebug(lcStorage) << "preset check failed at" << group.name << key << "in" << path;
                return false;
            }
        }
        check.endGroup();
    }
    return check.status() == QSettings::NoError;
}

LoadResult load(const QString& path, const Controls& controls)
{
    LoadResult result;
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        qCDebug(lcStorage) << "preset not readable:" << path;
        return result;
    }

    QSettings settings(path, QSettings::IniFormat);
    const QStringList groups = settings.childGroups();
    if (settings.status() != QSettings::NoError) {
        qCDebug(lcStorage) << "preset malformed:" << path << settings.status();
        return result;
    }
    const bool anyGroup =
        groups.contains(expressionGroup) || groups.contains(switchGroup) || groups.contains(hatGroup);
    if (info.size() > 0 && !anyGroup) {
        qCDebug(lcStorage) << "not a preset:" << path;
        return result;
    }
    result.readable = true;

    // Reads the key again each time it is set: a missing key or a value that is no
    // number counts as 0.
    const auto apply = [&](const QString& key) {
        const QVariant raw = settings.value(key);
        const int value = raw.toInt();
        if (!raw.isValid()) {
            if (value < controls.count(key)) // an empty list has nothing to select
                controls.setCurrentIndex(key, value);
            return;
        }
        if (value == -1)
            return; // saved while the box had no current entry
        if (value < 0 || value >= controls.count(key)) {
            result.skipped << key;
            return;
        }
        controls.setCurrentIndex(key, value);
    };

    const QVector<LoadGroup> order = loadOrder();
    for (const LoadGroup& group : order) {
        settings.beginGroup(group.name);
        for (const LoadItem& item : group.items) {
            if (item.pairedMax.isEmpty()) {
                apply(item.key);
                continue;
            }
            // Never a minimum above the maximum on the way: when the new minimum lies
            // below the maximum shown, the minimum goes first, else the maximum.
            const int newMin = settings.value(item.key).toInt();
            const int newMax = settings.value(item.pairedMax).toInt();
            const int shownMin = controls.currentIndex(item.key);
            const int shownMax = controls.currentIndex(item.pairedMax);
            if (newMin < shownMax) {
                apply(item.key);
                apply(item.pairedMax);
            } else if (newMax >= shownMin || newMin > newMax || shownMax < 0) {
                apply(item.pairedMax);
                apply(item.key);
            } else {
                // A switch page in Single mode does not check its hidden pair, so it may
                // show a minimum above its maximum; neither order fits then. The minimum
                // steps down to the maximum shown first.
                controls.setCurrentIndex(item.key, shownMax);
                apply(item.pairedMax);
                apply(item.key);
            }
        }
        settings.endGroup();
    }
    return result;
}

} // namespace PresetFile
