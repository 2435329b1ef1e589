// Preset files without a window: the keys of both save variants, writing and checking
// the file, and loading into stand-in controls (order, pairs, bad values, bad files).
#include "storage/preset_file.h"

#include "storage/read_only_folder.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Stand-ins for the window's combo boxes: indexes, list sizes and a log of the sets.
struct FakeControls {
    QMap<QString, int> index;
    QMap<QString, int> count;
    QStringList log; // "key=value" in the order set

    PresetFile::Controls controls()
    {
        PresetFile::Controls c;
        c.count = [this](const QString& key) { return count.value(key, 128); };
        c.currentIndex = [this](const QString& key) { return index.value(key, 0); };
        c.setCurrentIndex = [this](const QString& key, int value) {
            index.insert(key, value);
            log << QStringLiteral("%1=%2").arg(key).arg(value);
        };
        return c;
    }
    int position(const QString& key) const
    {
        for (int i = 0; i < log.size(); ++i)
            if (log.at(i).startsWith(key + QLatin1Char('=')))
                return i;
        return -1;
    }
};

QStringList allKeys(PresetFile::Variant variant)
{
    QStringList keys;
    for (const PresetFile::Group& group : PresetFile::keysToWrite(variant))
        keys << group.keys;
    return keys;
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

} // namespace

class TestPresetFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void variantsDifferInOneKey()
    {
        const QStringList saveAs = allKeys(PresetFile::Variant::SaveAs);
        const QStringList save = allKeys(PresetFile::Variant::Save);
        QVERIFY(saveAs.contains("Pedal_Number"));
        QVERIFY(!saveAs.contains("Message_Number_2"));
        QVERIFY(save.contains("Message_Number_2"));
        QVERIFY(!save.contains("Pedal_Number"));
        QStringList a = saveAs, b = save;
        a.removeAll("Pedal_Number");
        b.removeAll("Message_Number_2");
        a.sort();
        b.sort();
        QCOMPARE(a, b);
        QCOMPARE(a.removeDuplicates(), 0);
        // Loading reads every key of both.
        QStringList read;
        for (const PresetFile::LoadGroup& group : PresetFile::loadOrder())
            for (const PresetFile::LoadItem& item : group.items)
                read << item.key << (item.pairedMax.isEmpty() ? QStringList() : QStringList{item.pairedMax});
        read.sort();
        QStringList both = saveAs + QStringList{"Message_Number_2"};
        both.sort();
        QCOMPARE(read, both);
    }

    void suffix_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no suffix") << "/tmp/preset"
                                   << "/tmp/preset.ini";
        QTest::newRow("suffix") << "/tmp/preset.ini"
                                << "/tmp/preset.ini";
        QTest::newRow("upper-case suffix") << "/tmp/PRESET.INI"
                                           << "/tmp/PRESET.INI";
        QTest::newRow("mixed case") << "/tmp/preset.Ini"
                                    << "/tmp/preset.Ini";
        QTest::newRow("suffix not at the end") << "/tmp/preset.ini.bak"
                                               << "/tmp/preset.ini.bak.ini";
        QTest::newRow("folder named .ini") << "/tmp/x.ini/preset"
                                           << "/tmp/x.ini/preset.ini";
    }
    void suffix()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(PresetFile::withIniSuffix(chosen), written);
    }

    // Every key written comes back into the control of the same name.
    void writeThenLoad_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("Save As") << true;
        QTest::newRow("Save") << false;
    }
    void writeThenLoad()
    {
        QFETCH(bool, saveAs);
        const auto variant = saveAs ? PresetFile::Variant::SaveAs : PresetFile::Variant::Save;
        const QStringList keys = allKeys(variant);
        QMap<QString, int> saved;
        for (int i = 0; i < keys.size(); ++i)
            saved.insert(keys.at(i), (i * 7 + 3) % 100);
        const QString file = path(saveAs ? "all_save_as.ini" : "all_save.ini");
        QVERIFY(PresetFile::write(file, variant, [&](const QString& key) { return saved.value(key); }));

        FakeControls target;
        for (const QString& key : allKeys(PresetFile::Variant::SaveAs) + QStringList{"Message_Number_2"})
            target.index.insert(key, 101); // other values everywhere
        const PresetFile::LoadResult result = PresetFile::load(file, target.controls());
        QVERIFY(result.readable);
        QCOMPARE(result.skipped, QStringList());
        for (const QString& key : keys)
            QVERIFY2(target.index.value(key) == saved.value(key), qPrintable(key));
        // The key the variant lacks reads as 0.
        QCOMPARE(target.index.value(saveAs ? "Message_Number_2" : "Pedal_Number"), 0);
    }

    void writeReplacesAnOlderFile()
    {
        const QString file = path("replaced.ini");
        writeFile(file, "[Expression]\nPedal_Number=7\nforeign=1\n[Other]\nx=2\n");
        QVERIFY(PresetFile::write(file, PresetFile::Variant::Save, [](const QString&) { return 4; }));
        QSettings settings(file, QSettings::IniFormat);
        QVERIFY(!settings.contains("Expression/Pedal_Number"));
        QVERIFY(!settings.contains("Expression/foreign"));
        QVERIFY(!settings.contains("Other/x"));
        QCOMPARE(settings.value("Switch/Message_Number_2").toInt(), 4);
    }

    // The settings class reports the unreadable old contents as an error even after it
    // wrote the new ones; the file is checked instead.
    void writeOverAMalformedFile()
    {
        const QString file = path("malformed_before.ini");
        static const char picture[] = "\x89PNG\r\n\x1a\n\0\0\0junk\xff\xfe";
        writeFile(file, QByteArray(picture, int(sizeof picture) - 1));
        QVERIFY(PresetFile::write(file, PresetFile::Variant::SaveAs, [](const QString&) { return 2; }));
        QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(settings.value("Hat/hat_comboBox0").toInt(), 2);
    }

    void writeFailures_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("folder is a file") << "file_not_folder/preset.ini";
        QTest::newRow("read-only folder") << "read_only/preset.ini";
    }
    void writeFailures()
    {
        QFETCH(QString, where);
        writeFile(path("file_not_folder"), "x");
        ReadOnlyFolder readOnly(path("read_only"));
        if (where.startsWith("read_only") && !readOnly.holds())
            QSKIP("this process can write into any folder");
        QVERIFY(
            !PresetFile::write(path(where), PresetFile::Variant::SaveAs, [](const QString&) { return 1; }));
        QVERIFY(!QFile::exists(path(where)));
    }

    // A pair is set so that the minimum never lies above the maximum on the way.
    void pairOrder_data()
    {
        QTest::addColumn<int>("shownMin");
        QTest::addColumn<int>("shownMax");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<QStringList>("steps"); // what the pair's two boxes get, in order
        QTest::newRow("100 ... 110 over 0 ... 127: minimum first")
            << 0 << 127 << 100 << 110 << QStringList{"min=100", "max=110"};
        QTest::newRow("100 ... 110 over 0 ... 20: maximum first")
            << 0 << 20 << 100 << 110 << QStringList{"max=110", "min=100"};
        QTest::newRow("new minimum equal to the shown maximum: maximum first")
            << 0 << 100 << 100 << 110 << QStringList{"max=110", "min=100"};
        QTest::newRow("5 ... 8 over 0 ... 6: minimum first")
            << 0 << 6 << 5 << 8 << QStringList{"min=5", "max=8"};
        QTest::newRow("20 ... 30 over 40 ... 50: minimum first")
            << 40 << 50 << 20 << 30 << QStringList{"min=20", "max=30"};
        // A hidden pair of a switch page in Single mode may stand inverted.
        QTest::newRow("100 ... 110 over an inverted 120 ... 20: minimum steps down first")
            << 120 << 20 << 100 << 110 << QStringList{"min=20", "max=110", "min=100"};
        QTest::newRow("100 ... 110 over an inverted 105 ... 20: maximum first")
            << 105 << 20 << 100 << 110 << QStringList{"max=110", "min=100"};
    }
    void pairOrder()
    {
        QFETCH(int, shownMin);
        QFETCH(int, shownMax);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(QStringList, steps);
        const QString file = path("pair.ini");
        QFile::remove(file);
        {
            QSettings settings(file, QSettings::IniFormat);
            for (const char* pair :
                 {"Expression/expression_cc_comboBox_val", "Expression/expression_ch_comboBox_val",
                  "Switch/switch_pc_comboBox_val", "Hat/hat_note_comboBox_val"}) {
                const QString key = QLatin1String(pair);
                const bool pressure = key.contains("_ch_");
                settings.setValue(key + (pressure ? "1" : "min"), min);
                settings.setValue(key + (pressure ? "2" : "max"), max);
            }
        }
        const QList<QPair<QString, QString>> pairs = {
            {"expression_cc_comboBox_valmin", "expression_cc_comboBox_valmax"},
            {"expression_ch_comboBox_val1", "expression_ch_comboBox_val2"},
            {"switch_pc_comboBox_valmin", "switch_pc_comboBox_valmax"},
            {"hat_note_comboBox_valmin", "hat_note_comboBox_valmax"}};
        FakeControls target;
        for (const auto& pair : pairs) {
            target.index.insert(pair.first, shownMin);
            target.index.insert(pair.second, shownMax);
        }
        QVERIFY(PresetFile::load(file, target.controls()).readable);
        for (const auto& pair : pairs) {
            QStringList got;
            for (const QString& line : qAsConst(target.log)) {
                if (line.startsWith(pair.first + '='))
                    got << "min=" + line.section('=', 1);
                else if (line.startsWith(pair.second + '='))
                    got << "max=" + line.section('=', 1);
            }
            QCOMPARE(got, steps);
        }
    }

    // Choosing an event resets the page's trigger level and notes, so the event comes
    // first; the hi-hat curves come last.
    void readingOrder()
    {
        const QString file = path("order.ini");
        QVERIFY(PresetFile::write(file, PresetFile::Variant::SaveAs, [](const QString&) { return 1; }));
        FakeControls target;
        QVERIFY(PresetFile::load(file, target.controls()).readable);
        QVERIFY(target.position("expression_comboBox0") < target.position("expression_trigger_level"));
        QVERIFY(target.position("expression_comboBox0") < target.position("expression_release_note"));
        QVERIFY(target.position("hat_comboBox0") < target.position("hat_trigger_level"));
        QVERIFY(target.position("switch_comboBox0") < target.position("switch_cc_comboBox_mode"));
        QVERIFY(target.position("expression_comboBox1") < target.position("expression_note_comboBox_gain"));
        QVERIFY(target.position("hat_note_comboBox_valmax") < target.position("hat_cc_comboBox_ql"));
        QCOMPARE(target.log.last(), QString("hat_note_comboBox_ql=1"));
        QCOMPARE(target.log.at(target.log.size() - 2), QString("hat_cc_comboBox_ql=1"));
    }

    void badValues()
    {
        const QString file = path("bad_values.ini");
        writeFile(file, "[Expression]\n"
                        "Message_Number=3\n"
                        "expression_cc_comboBox_valmax=500\n"
                        "expression_cc_comboBox_valmin=-3\n"
                        "expression_cc_comboBox_ctl=abc\n"
                        "expression_cc_comboBox_chl=-1\n"
                        "expression_cc_comboBox_gain=127\n"
                        "[Switch]\n"
                        "switch_cc_comboBox_mode=5\n"
                        "switch_comboBox0=2\n");
        FakeControls target;
        target.index = {{"expression_cc_comboBox_valmax", 90}, {"expression_cc_comboBox_valmin", 10},
                        {"expression_cc_comboBox_ctl", 33},    {"expression_cc_comboBox_chl", 5},
                        {"switch_cc_comboBox_mode", 1},        {"Pedal_Number", 2}};
        target.count = {{"switch_cc_comboBox_mode", 5}, {"Pedal_Number", 0}};
        const PresetFile::LoadResult result = PresetFile::load(file, target.controls());
        QVERIFY(result.readable);
        QCOMPARE(result.skipped, (QStringList{"expression_cc_comboBox_valmin",
                                              "expression_cc_comboBox_valmax", "switch_cc_comboBox_mode"}));
        QCOMPARE(target.index.value("Message_Number"), 3);
        QCOMPARE(target.index.value("expression_cc_comboBox_valmax"), 90); // unchanged
        QCOMPARE(target.index.value("expression_cc_comboBox_valmin"), 10); // unchanged
        QCOMPARE(target.index.value("expression_cc_comboBox_ctl"), 0);     // no number: 0
        QCOMPARE(target.index.value("expression_cc_comboBox_chl"), 5);     // saved without a selection
        QCOMPARE(target.index.value("expression_cc_comboBox_gain"), 127);
        QCOMPARE(target.index.value("switch_cc_comboBox_mode"), 1); // LongPress not offered here
        QCOMPARE(target.index.value("switch_comboBox0"), 2);
        QCOMPARE(target.index.value("Pedal_Number"), 2);      // empty list, key missing
        QCOMPARE(target.index.value("hat_trigger_level"), 0); // missing: 0
        QVERIFY(target.position("Pedal_Number") < 0);
    }

    void files_data()
    {
        QTest::addColumn<QByteArray>("contents"); // "-": no file at all
        QTest::addColumn<bool>("readable");
        QTest::newRow("empty file: every control to 0") << QByteArray() << true;
        static const char picture[] = "\x89PNG\r\n\x1a\n\0\0\0IHDR\0\0\0\x10\xff\xfe";
        QTest::newRow("picture") << QByteArray(picture, int(sizeof picture) - 1) << false;
        QTest::newRow("text without groups") << QByteArray("just some words\nand more\n") << false;
        QTest::newRow("unterminated group")
            << QByteArray("[Expression\nMessage_Number=3\n[Switch]\nx=1\n") << false;
        QTest::newRow("other groups only") << QByteArray("[General]\nsize=3\n") << false;
        QTest::newRow("one group is enough") << QByteArray("[Hat]\nhat_comboBox0=1\n") << true;
        QTest::newRow("missing file") << QByteArray("-") << false;
    }
    void files()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, readable);
        const QString file =
            path(QStringLiteral("file_%1.ini").arg(QTest::currentDataTag()).replace(' ', '_'));
        QFile::remove(file);
        if (contents != "-")
            writeFile(file, contents);
        FakeControls target;
        for (const QString& key : allKeys(PresetFile::Variant::SaveAs))
            target.index.insert(key, 9);
        const PresetFile::LoadResult result = PresetFile::load(file, target.controls());
        QCOMPARE(result.readable, readable);
        if (!readable) {
            QVERIFY(target.log.isEmpty());
            return;
        }
        QVERIFY(result.skipped.isEmpty());
        for (const QString& key : allKeys(PresetFile::Variant::SaveAs))
            QCOMPARE(target.index.value(key), key == "hat_comboBox0" && !contents.isEmpty() ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestPresetFile)
#include "tst_preset_file.moc"
