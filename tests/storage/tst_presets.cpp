// Preset files through the real window: the File menu's dialogs, Save As and Save into
// one window and Load into another, the order that spares the range warnings, and the
// files that cannot be loaded or written.
#include "app/widget.h"
#include "storage/preset_file.h"
#include "storage/read_only_folder.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/window_fixture.h"
#include "upgrade/download_server.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Values = QMap<QString, int>;

namespace {

// What one menu command showed: its file dialog and the message boxes after it.
struct Outcome {
    bool dialogShown = false;
    QString dialogTitle;
    QStringList filters;
    QList<QPair<QString, QString>> boxes; // title, text
};

QStringList keysOf(PresetFile::Variant variant)
{
    QStringList keys;
    for (const PresetFile::Group& group : PresetFile::keysToWrite(variant))
        keys << group.keys;
    return keys;
}

QStringList everyKey()
{
    return keysOf(PresetFile::Variant::SaveAs) << QStringLiteral("Message_Number_2");
}

QString pairText(const QList<QPair<QString, QString>>& boxes)
{
    QStringList lines;
    for (const auto& box : boxes)
        lines << box.first + QStringLiteral(": ") + box.second;
    return lines.join(QStringLiteral(" | "));
}

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator bus;
    QTemporaryDir dir;
    std::unique_ptr<Widget> source; // saves
    std::unique_ptr<Widget> target; // loads

    // The form's combo box of that name (the window's dialogs have form objects too).
    static QComboBox* formBox(Widget* w, const QString& name)
    {
        const auto boxes = w->findChildren<QComboBox*>(name);
        for (QComboBox* b : boxes)
            if (b->window() == w)
                return b;
        return nullptr;
    }
    static QComboBox* box(Widget* w, const QString& name)
    {
        QComboBox* found = formBox(w, name);
        if (!found)
            qFatal("no combo box %s", qPrintable(name));
        return found;
    }

    static QAction* action(Widget* w, const char* text)
    {
        for (QAction* a : w->findChildren<QAction*>())
            if (a->text() == QLatin1String(text))
                return a;
        qFatal("no action %s", text);
        return nullptr;
    }

    // Runs a command; its file dialog gets fileName (empty: Cancel), message boxes their
    // first button.
    static Outcome run(const std::function<void()>& command, const QString& fileName)
    {
        Outcome out;
        ModalWatcher watcher([&](QWidget* dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                out.dialogShown = true;
                out.dialogTitle = files->windowTitle();
                out.filters = files->nameFilters();
                if (fileName.isEmpty()) {
                    files->reject();
                } else {
                    ModalWatcher::chooseFile(files, fileName); // a refused name shows in the boxes
                }
            } else if (auto* message = qobject_cast<QMessageBox*>(dialog)) {
                out.boxes << qMakePair(message->windowTitle(), message->text());
                message->buttons().value(0)->click();
            } else {
                dialog->close();
            }
        });
        watcher.answerAll();
        command();
        return out;
    }
    Outcome run(Widget* w, const char* menuText, const QString& fileName)
    {
        QAction* a = action(w, menuText);
        return run([a] { a->trigger(); }, fileName);
    }

    static Values valuesOf(Widget* w, const QStringList& keys)
    {
        Values values;
        for (const QString& key : keys)
            values.insert(key, box(w, key)->currentIndex());
        return values;
    }

    static QString differences(const Values& expected, const Values& actual)
    {
        QStringList lines;
        for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
            if (actual.value(it.key(), -100) != it.value())
                lines << QStringLiteral("%1: expected %2, got %3")
                             .arg(it.key())
                             .arg(it.value())
                             .arg(actual.value(it.key()));
        return lines.join(QStringLiteral("; "));
    }

    // Picks the entries in the order given, with no warning expected on the way.
    static void pick(Widget* w, const QList<QPair<QString, int>>& picks)
    {
        ModalWatcher warnings("OK");
        warnings.answerAll();
        for (const auto& p : picks)
            box(w, p.first)->setCurrentIndex(p.second);
        QVERIFY2(warnings.history().isEmpty(), qPrintable(warnings.titles().join(", ")));
    }

    // A state far from a new window's: pitch bend with a 14-bit trigger level, switch
    // NOTE in Toggle mode, hi-hat CC, values on every page.
    static void configureSource(Widget* w)
    {
        pick(w, {{"Message_Number", 7},
                 {"Message_Number_2", 9},
                 {"Pedal_Number", 5},
                 {"expression_comboBox0", 2},
                 {"expression_trigger_level", 300},
                 {"expression_press_note", 40},
                 {"expression_release_note", 41},
                 {"expression_cc_comboBox_gain", 60},
                 {"expression_cc_comboBox_chl", 3},
                 {"expression_cc_comboBox_ctl", 11},
                 {"expression_cc_comboBox_valmax", 110},
                 {"expression_cc_comboBox_valmin", 20},
                 {"expression_cc_comboBox_ql", 45},
                 {"expression_note_comboBox_gain", 61},
                 {"expression_note_comboBox_chl", 4},
                 {"expression_note_comboBox_ctl", 60},
                 {"expression_note_comboBox_valmax", 100},
                 {"expression_note_comboBox_valmin", 21},
                 {"expression_note_comboBox_ql", 46},
                 {"expression_pitch_comboBox_gain", 62},
                 {"expression_pitch_comboBox_chl", 5},
                 {"expression_pitch_comboBox_valmax", 15000},
                 {"expression_pitch_comboBox_valmin", 1000},
                 {"expression_pitch_comboBox_ql", 47},
                 {"expression_ch_comboBox_gain", 63},
                 {"expression_ch_comboBox_chl", 6},
                 {"expression_ch_comboBox_val2", 99},
                 {"expression_ch_comboBox_val1", 22},
                 {"expression_ch_comboBox_ql", 48},
                 {"switch_comboBox0", 2},
                 {"switch_cc_comboBox_chl", 7},
                 {"switch_cc_comboBox_ctl", 64},
                 {"switch_cc_comboBox_valmin", 23},
                 {"switch_cc_comboBox_valmax", 98},
                 {"switch_note_comboBox_chl", 8},
                 {"switch_note_comboBox_nno", 62},
                 {"switch_note_comboBox_valmin", 24},
                 {"switch_note_comboBox_valmax", 97},
                 {"switch_pc_comboBox_chl", 9},
                 {"switch_pc_comboBox_valmin", 25},
                 {"switch_pc_comboBox_valmax", 96},
                 {"switch_cc_comboBox_mode", 1},
                 {"hat_comboBox0", 0},
                 {"hat_trigger_level", 33},
                 {"hat_press_note", 42},
                 {"hat_release_note", 43},
                 {"hat_cc_comboBox_gain", 64},
                 {"hat_cc_comboBox_chl", 10},
                 {"hat_cc_comboBox_ctl", 4},
                 {"hat_cc_comboBox_valmin", 26},
                 {"hat_cc_comboBox_valmax", 95},
                 {"hat_cc_comboBox_ql", 49},
                 {"hat_note_comboBox_gain", 65},
                 {"hat_note_comboBox_chl", 11},
                 {"hat_note_comboBox_ctl", 46},
                 {"hat_note_comboBox_valmin", 27},
                 {"hat_note_comboBox_valmax", 94},
                 {"hat_note_comboBox_ql", 51},
                 {"pendal_type_comboBox0", 1}});
    }

    // Other values: expression CC, switch PC in Single mode, hi-hat NOTE.
    static void configureOther(Widget* w)
    {
        pick(w, {{"pendal_type_comboBox0", 2},
                 {"Message_Number", 1},
                 {"Message_Number_2", 2},
                 {"Pedal_Number", 1},
                 {"switch_cc_comboBox_mode", 0},
                 {"expression_comboBox0", 1},
                 {"expression_comboBox0", 0},
                 {"expression_cc_comboBox_valmin", 0},
                 {"expression_cc_comboBox_valmax", 50},
                 {"expression_cc_comboBox_valmin", 5},
                 {"expression_cc_comboBox_ctl", 90},
                 {"expression_trigger_level", 7},
                 {"switch_comboBox0", 1},
                 {"switch_pc_comboBox_valmin", 120},
                 {"switch_cc_comboBox_valmax", 10},
                 {"hat_comboBox0", 1},
                 {"hat_note_comboBox_valmin", 0},
                 {"hat_note_comboBox_valmax", 3},
                 {"hat_note_comboBox_valmin", 2},
                 {"hat_trigger_level", 1}});
    }

    static void handshake(Widget* w)
    {
        w->pedalMidiDataSlot({Protocol::HandshakeReply, QByteArray::fromHex("F0 00 21 5E 01 09 F7")});
    }

    QString file(const QString& name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        DownloadServer::setBaseAddressForTesting(
            QStringLiteral("https://127.0.0.1:9")); // nothing answers there
        QVERIFY(dir.isValid());
        source = std::make_unique<Widget>();
        target = std::make_unique<Widget>();
        source->show();
        target->show();
        handshake(source.get());
        handshake(target.get());
    }

    void cleanupTestCase()
    {
        source.reset();
        target.reset();
    }

    void everyKeyIsAControl()
    {
        for (const QString& key : everyKey())
            QVERIFY2(formBox(source.get(), key), qPrintable(key));
    }

    // "Save File" before any save behaves as "Save File As".
    void saveRightAfterStartIsSaveAs()
    {
        const Outcome out = run(target.get(), "Save File", file("first"));
        QVERIFY(out.dialogShown);
        QCOMPARE(out.dialogTitle, QString("Save configuration"));
        QCOMPARE(out.filters, QStringList{"configuration files (*.ini)"});
        QCOMPARE(pairText(out.boxes), QString("Success: Configuration file saved successfully."));
        QVERIFY(QFile::exists(file("first.ini")));
        QSettings written(file("first.ini"), QSettings::IniFormat);
        QVERIFY(written.contains("Expression/Pedal_Number"));
        QVERIFY(!written.contains("Switch/Message_Number_2"));
    }

    void saveAsThenSaveThenLoad()
    {
        configureSource(source.get());
        const Values saved = valuesOf(source.get(), everyKey());

        Outcome out = run(source.get(), "Save File As", file("full_save_as"));
        QCOMPARE(out.dialogTitle, QString("Save configuration"));
        QCOMPARE(out.filters, QStringList{"configuration files (*.ini)"});
        QCOMPARE(pairText(out.boxes), QString("Success: Configuration file saved successfully."));

        // With a name chosen before, Save asks again, with its own filter, and says nothing.
        out = run(source.get(), "Save File", file("full_save.ini"));
        QCOMPARE(out.dialogTitle, QString("Save configuration"));
        QCOMPARE(out.filters, QStringList{"Configuration files (*.ini)"});
        QCOMPARE(pairText(out.boxes), QString());
        QSettings written(file("full_save.ini"), QSettings::IniFormat);
        QVERIFY(!written.contains("Expression/Pedal_Number"));
        QCOMPARE(written.value("Switch/Message_Number_2").toInt(), 9);

        const struct {
            const char* name;
            const char* missing;
        } files[] = {{"full_save_as.ini", "Message_Number_2"}, {"full_save.ini", "Pedal_Number"}};
        for (const auto& f : files) {
            configureOther(target.get());
            out = run(target.get(), "Open File", file(QLatin1String(f.name)));
            QCOMPARE(out.dialogTitle, QString("Load configuration"));
            QCOMPARE(out.filters, QStringList{"configuration files (*.ini)"});
            QCOMPARE(pairText(out.boxes), QString()); // no message, no range warning
            Values expected = saved;
            expected.insert(QLatin1String(f.missing), 0);
            QCOMPARE(differences(expected, valuesOf(target.get(), everyKey())), QString());
            // The pages follow the loaded selectors (the pedal type is not part of a preset).
            QCOMPARE(box(target.get(), "expression_trigger_level")->count(), 16384);
            QCOMPARE(target->findChild<QStackedWidget*>("expression_stackedWidget")->currentIndex(), 2);
            QCOMPARE(target->findChild<QStackedWidget*>("switch_stackedWidget")->currentIndex(), 1);
            QCOMPARE(target->findChild<QStackedWidget*>("hat_stackedWidget")->currentIndex(), 0);
        }
    }

    void suffix_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("appended") << "plain"
                                  << "plain.ini";
        QTest::newRow("upper case kept") << "UPPER.INI"
                                         << "UPPER.INI";
    }
    void suffix()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        const Outcome out = run(source.get(), "Save File As", file(chosen));
        QCOMPARE(pairText(out.boxes), QString("Success: Configuration file saved successfully."));
        QVERIFY(QFile::exists(file(written)));
        QVERIFY(!QFile::exists(file(written + ".ini")));
    }

    // A cancelled save dialog warns, writes nothing and forgets the name, so the next
    // "Save File" is a "Save File As" again.
    void cancelledSave()
    {
        QVERIFY(QFile::exists(file("full_save.ini"))); // a name was chosen before
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        Outcome out = run(source.get(), "Save File", QString());
        QVERIFY(out.dialogShown);
        QCOMPARE(pairText(out.boxes), QString("Warning: No file selected!"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);

        out = run(source.get(), "Save File", file("after_cancel"));
        QCOMPARE(out.filters, QStringList{"configuration files (*.ini)"});
        QCOMPARE(pairText(out.boxes), QString("Success: Configuration file saved successfully."));

        out = run(source.get(), "Save File As", QString());
        QCOMPARE(pairText(out.boxes), QString("Warning: No file selected!"));
    }

    void cancelledLoad()
    {
        configureOther(target.get());
        const Values before = valuesOf(target.get(), everyKey());
        const Outcome out = run(target.get(), "Open File", QString());
        QVERIFY(out.dialogShown);
        QCOMPARE(pairText(out.boxes), QString());
        QCOMPARE(differences(before, valuesOf(target.get(), everyKey())), QString());
    }

    void legacyButtons()
    {
        // Both sit in the hidden legacy group and are enabled while connected.
        QPushButton* open = target->findChild<QPushButton*>("openButton");
        QPushButton* save = target->findChild<QPushButton*>("saveButton");
        open->setEnabled(true);
        save->setEnabled(true);
        Outcome out = run([open] { open->click(); }, QString());
        QCOMPARE(out.dialogTitle, QString("Load configuration"));
        out = run([save] { save->click(); }, QString());
        QCOMPARE(out.dialogTitle, QString("Save configuration"));
    }

    void emptyFileLoadsFirstEntries()
    {
        QFile empty(file("empty.ini"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        configureSource(target.get());
        const Outcome out = run(target.get(), "Open File", file("empty.ini"));
        QCOMPARE(pairText(out.boxes), QString());
        Values zeros;
        for (const QString& key : everyKey())
            zeros.insert(key, 0);
        QCOMPARE(differences(zeros, valuesOf(target.get(), everyKey())), QString());
    }

    // The minimum goes first when it lies below the maximum shown, else the maximum: no
    // range warning either way.
    void pairsLoadWithoutWarnings_data()
    {
        QTest::addColumn<int>("shownMax");
        QTest::newRow("editor shows 0 ... 127") << 127;
        QTest::newRow("editor shows 0 ... 20") << 20;
    }
    void pairsLoadWithoutWarnings()
    {
        QFETCH(int, shownMax);
        const QString path = file("pairs.ini");
        QFile::remove(path);
        {
            QSettings settings(path, QSettings::IniFormat);
            for (const char* key :
                 {"Expression/expression_cc_comboBox_val", "Expression/expression_note_comboBox_val",
                  "Switch/switch_cc_comboBox_val", "Switch/switch_pc_comboBox_val",
                  "Hat/hat_cc_comboBox_val"}) {
                settings.setValue(QLatin1String(key) + "min", 100);
                settings.setValue(QLatin1String(key) + "max", 110);
            }
            settings.setValue("Expression/expression_ch_comboBox_val1", 100);
            settings.setValue("Expression/expression_ch_comboBox_val2", 110);
            settings.setValue("Expression/expression_pitch_comboBox_valmin", 100);
            settings.setValue("Expression/expression_pitch_comboBox_valmax", 110);
            for (const char* key : {"Switch/switch_cc_comboBox_mode", "Switch/switch_note_comboBox_mode",
                                    "Switch/switch_pc_comboBox_mode"})
                settings.setValue(QLatin1String(key), 1); // Toggle: the switch pages check their pairs
        }
        configureOther(target.get());
        QList<QPair<QString, int>> shown = {{"switch_cc_comboBox_mode", 1}};
        const QStringList maxima = {"expression_cc_comboBox_valmax", "expression_note_comboBox_valmax",
                                    "expression_ch_comboBox_val2",   "expression_pitch_comboBox_valmax",
                                    "switch_cc_comboBox_valmax",     "switch_pc_comboBox_valmax",
                                    "hat_cc_comboBox_valmax"};
        const auto minimumOf = [](const QString& maxKey) {
            return maxKey.endsWith(QLatin1String("val2"))
                       ? maxKey.left(maxKey.size() - 1) + QLatin1Char('1')
                       : maxKey.left(maxKey.size() - 3) + QStringLiteral("min");
        };
        for (const QString& key : maxima) {
            shown << qMakePair(minimumOf(key), 0);
            shown << qMakePair(key, shownMax);
        }
        pick(target.get(), shown);

        const Outcome out = run(target.get(), "Open File", path);
        QCOMPARE(pairText(out.boxes), QString());
        for (const QString& key : maxima) {
            QCOMPARE(box(target.get(), minimumOf(key))->currentIndex(), 100);
            QCOMPARE(box(target.get(), key)->currentIndex(), 110);
        }
    }

    // A switch page in Single mode leaves its hidden pair unchecked, so it may stand
    // inverted; a preset in Toggle mode still loads without a warning.
    void invertedHiddenSwitchPair()
    {
        const QString path = file("toggle_pairs.ini");
        QFile::remove(path);
        {
            QSettings settings(path, QSettings::IniFormat);
            for (const char* event : {"cc", "note", "pc"}) {
                settings.setValue(QStringLiteral("Switch/switch_%1_comboBox_mode").arg(QLatin1String(event)),
                                  1);
                settings.setValue(
                    QStringLiteral("Switch/switch_%1_comboBox_valmin").arg(QLatin1String(event)), 100);
                settings.setValue(
                    QStringLiteral("Switch/switch_%1_comboBox_valmax").arg(QLatin1String(event)), 110);
            }
            settings.setValue("Switch/switch_stop_comboBox_mode",
                              1); // Toggle there too, as the mirror keeps it
            settings.setValue("Switch/switch_start_comboBox_mode", 1);
        }
        QList<QPair<QString, int>> shown = {{"switch_cc_comboBox_mode", 0}};
        for (const char* event : {"cc", "note", "pc"}) {
            shown << qMakePair(QStringLiteral("switch_%1_comboBox_valmin").arg(QLatin1String(event)), 120);
            shown << qMakePair(QStringLiteral("switch_%1_comboBox_valmax").arg(QLatin1String(event)), 20);
        }
        pick(target.get(), shown);

        const Outcome out = run(target.get(), "Open File", path);
        QCOMPARE(pairText(out.boxes), QString());
        for (const char* event : {"cc", "note", "pc"}) {
            QCOMPARE(box(target.get(), QStringLiteral("switch_%1_comboBox_mode").arg(QLatin1String(event)))
                         ->currentIndex(),
                     1);
            QCOMPARE(box(target.get(), QStringLiteral("switch_%1_comboBox_valmin").arg(QLatin1String(event)))
                         ->currentIndex(),
                     100);
            QCOMPARE(box(target.get(), QStringLiteral("switch_%1_comboBox_valmax").arg(QLatin1String(event)))
                         ->currentIndex(),
                     110);
        }
    }

    void unreadableFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("contents");
        static const char picture[] = "\x89PNG\r\n\x1a\n\0\0\0IHDR\0\0\0\x10\xff\xfe";
        QTest::newRow("picture") << QByteArray(picture, int(sizeof picture) - 1);
        QTest::newRow("unterminated group") << QByteArray("[Expression\nMessage_Number=3\n[Switch]\nx=1\n");
        QTest::newRow("no preset groups") << QByteArray("[General]\nexpression_comboBox0=2\n");
    }
    void unreadableFilesChangeNothing()
    {
        QFETCH(QByteArray, contents);
        const QString path =
            file(QStringLiteral("bad_%1.ini").arg(QTest::currentDataTag()).replace(' ', '_'));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contents);
        f.close();
        configureOther(target.get());
        const Values before = valuesOf(target.get(), everyKey());
        const Outcome out = run(target.get(), "Open File", path);
        QCOMPARE(out.boxes.size(), 1);
        QCOMPARE(out.boxes.at(0).first, QString("Warning"));
        QVERIFY2(out.boxes.at(0).second.contains(QDir::toNativeSeparators(path)),
                 qPrintable(out.boxes.at(0).second));
        QVERIFY(!out.boxes.at(0).second.contains("saved successfully"));
        QCOMPARE(differences(before, valuesOf(target.get(), everyKey())), QString());
    }

    // A value that is no number reads as 0; values outside a list leave their control as
    // it was, the rest loads, and one warning names the keys.
    void badValuesInAGoodFile()
    {
        configureSource(source.get());
        Outcome out = run(source.get(), "Save File As", file("to_spoil"));
        QCOMPARE(pairText(out.boxes), QString("Success: Configuration file saved successfully."));
        {
            QSettings settings(file("to_spoil.ini"), QSettings::IniFormat);
            settings.setValue("Expression/Message_Number", 16);
            settings.setValue("Expression/Pedal_Number", -5);
            settings.setValue("Expression/expression_pitch_comboBox_valmin", 20000);
            settings.setValue("Expression/expression_note_comboBox_ctl", "sixty");
            settings.setValue("Switch/switch_note_comboBox_nno", 300);
            settings.setValue("Switch/switch_pc_comboBox_chl", 16);
        }
        configureOther(target.get());
        const Values before = valuesOf(target.get(), everyKey());
        Values expected = valuesOf(source.get(), everyKey());
        expected.insert("Message_Number_2", 0);
        // Controls on pages that loading the events does not reset keep their values.
        for (const char* kept : {"Message_Number", "Pedal_Number", "expression_pitch_comboBox_valmin",
                                 "switch_note_comboBox_nno", "switch_pc_comboBox_chl"})
            expected.insert(QLatin1String(kept), before.value(QLatin1String(kept)));
        expected.insert("expression_note_comboBox_ctl", 0);

        out = run(target.get(), "Open File", file("to_spoil.ini"));
        QCOMPARE(
            pairText(out.boxes),
            QString(
                "Warning: These values lie outside the lists of their controls and were not loaded:\n"
                "Message_Number, Pedal_Number, expression_pitch_comboBox_valmin, switch_note_comboBox_nno, "
                "switch_pc_comboBox_chl"));
        QCOMPARE(differences(expected, valuesOf(target.get(), everyKey())), QString());
    }

    // A file that cannot be written is never reported as saved.
    void readOnlyFolder()
    {
        const QString folder = file("locked");
        ReadOnlyFolder locked(folder);
        if (!locked.holds())
            QSKIP("this process can write into any folder");
        Outcome out = run(source.get(), "Save File As", folder + "/preset");
        QCOMPARE(pairText(out.boxes),
                 QStringLiteral("Warning: The configuration file could not be written:\n%1")
                     .arg(QDir::toNativeSeparators(folder + "/preset.ini")));
        QVERIFY(!QFile::exists(folder + "/preset.ini"));

        out = run(source.get(), "Save File", folder + "/again.ini");
        QCOMPARE(out.filters, QStringList{"Configuration files (*.ini)"}); // the name stayed: a real Save
        QCOMPARE(pairText(out.boxes),
                 QStringLiteral("Warning: The configuration file could not be written:\n%1")
                     .arg(QDir::toNativeSeparators(folder + "/again.ini")));
        QVERIFY(!QFile::exists(folder + "/again.ini"));
    }
};

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
