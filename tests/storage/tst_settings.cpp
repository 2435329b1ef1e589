// The settings file config.ini: created on the first start, read at start-up,
// written by the note naming and "Show CC Name" entries of the Setting menu.
#include "app/widget.h"
#include "support/fake_device_enumerator.h"
#include "support/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <iterator>
#include <memory>

namespace {

// The six note lists that follow the naming convention.
const char* const conventionLists[] = {"switch_note_comboBox_nno", "expression_note_comboBox_ctl",
                                       "expression_press_note",    "expression_release_note",
                                       "hat_press_note",           "hat_release_note"};

// What the file holds on disk right now, not what a settings object remembers.
QString fileText()
{
    QFile file(settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Writes config.ini as a previous run would have left it; an empty value leaves the key out.
void storeSettings(const QString& noteName, const QString& ccNames)
{
    QFile::remove(settingsFilePath());
    QDir().mkpath(QFileInfo(settingsFilePath()).absolutePath());
    QSettings file(settingsFilePath(), QSettings::IniFormat);
    if (!noteName.isEmpty())
        file.setValue("selectedMIDIName", noteName);
    if (!ccNames.isEmpty())
        file.setValue("showCCNameEnabled", ccNames == "true");
    // An empty file is still a file.
    file.setValue("unrelated", 1);
    file.sync();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir configHome;
    FakeDeviceEnumerator devices;
    std::unique_ptr<Widget> window;

    void start() { window = std::make_unique<Widget>(); }
    void restart()
    {
        window.reset();
        start();
    }

    QComboBox* box(const char* name) { return window->findChild<QComboBox*>(QString::fromLatin1(name)); }
    QAction* action(const QString& text)
    {
        const auto actions = window->findChildren<QAction*>();
        for (QAction* a : actions)
            if (a->text() == text)
                return a;
        return nullptr;
    }
    // Text of the checked note naming entry, empty when none is checked.
    QString checkedConvention()
    {
        QString checked;
        for (const char* name : {"C3", "C4", "C5"})
            if (action(name)->isChecked())
                checked += name;
        return checked;
    }
    void checkNoteLists(const QString& at60)
    {
        for (const char* name : conventionLists) {
            QCOMPARE(box(name)->count(), 128);
            QVERIFY2(box(name)->itemText(60) == at60, name);
        }
        // Filled once at start-up and never renamed.
        QCOMPARE(box("hat_note_comboBox_ctl")->itemText(60), QString("60 / C4"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(configHome.isValid());
        // Everything this test writes stays in a folder of its own.
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
        QVERIFY(settingsFilePath().startsWith(configHome.path()));
        applyApplicationLook();
    }

    void cleanup() { window.reset(); }

    void firstStartCreatesTheFileWithDefaults()
    {
        const QString folder = QFileInfo(settingsFilePath()).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(!QDir(folder).exists());

        start();

        QVERIFY(QFileInfo::exists(settingsFilePath()));
        QSettings file(settingsFilePath(), QSettings::IniFormat);
        QCOMPARE(file.value("selectedMIDIName").toString(), QString("C4"));
        QCOMPARE(file.value("showCCNameEnabled").toString(), QString("true"));
        QCOMPARE(checkedConvention(), QString("C4"));
        QVERIFY(action("Show CC Name")->isChecked());
        checkNoteLists("60 / C4");
        QCOMPARE(box("expression_cc_comboBox_ctl")->itemText(7), QString("7) Volume"));
    }

    void storedSettingsAppliedAtStart_data()
    {
        QTest::addColumn<QString>("noteName"); // empty: key missing
        QTest::addColumn<QString>("ccNames");  // empty: key missing
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("at60");
        QTest::addColumn<bool>("names");
        QTest::newRow("C3") << "C3"
                            << "true"
                            << "C3"
                            << "60 / C3" << true;
        QTest::newRow("C4") << "C4"
                            << "true"
                            << "C4"
                            << "60 / C4" << true;
        QTest::newRow("C5, numbers") << "C5"
                                     << "false"
                                     << "C5"
                                     << "60 / C5" << false;
        QTest::newRow("keys missing") << ""
                                      << ""
                                      << "C4"
                                      << "60 / C4" << true;
        // Unknown names check nothing and leave the lists as start-up filled them.
        QTest::newRow("C6") << "C6"
                            << "true"
                            << ""
                            << "60 / C4" << true;
        QTest::newRow("lower case c5") << "c5"
                                       << "false"
                                       << ""
                                       << "60 / C4" << false;
    }
    void storedSettingsAppliedAtStart()
    {
        QFETCH(QString, noteName);
        QFETCH(QString, ccNames);
        QFETCH(QString, checked);
        QFETCH(QString, at60);
        QFETCH(bool, names);
        storeSettings(noteName, ccNames);

        start();

        QCOMPARE(checkedConvention(), checked);
        checkNoteLists(at60);
        QCOMPARE(action("Show CC Name")->isChecked(), names);
        for (const char* name : {"expression_cc_comboBox_ctl", "switch_cc_comboBox_ctl"}) {
            QCOMPARE(box(name)->count(), 128);
            QCOMPARE(box(name)->itemText(64), names ? QString("64) Pedal (Sustain)") : QString("64"));
            QCOMPARE(box(name)->currentIndex(), 0);
        }
        // The hi-hat controller list follows the setting only from the first change on.
        QCOMPARE(box("hat_cc_comboBox_ctl")->itemText(64), QString("64) Pedal (Sustain)"));
        // Reading never rewrites the file.
        if (!noteName.isEmpty())
            QVERIFY(fileText().contains("selectedMIDIName=" + noteName));
        else
            QVERIFY(!fileText().contains("selectedMIDIName"));
    }

    void pickedConventionWrittenAtOnceAndKept_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("at60");
        QTest::newRow("C3") << "C3"
                            << "60 / C3";
        QTest::newRow("C4") << "C4"
                            << "60 / C4";
        QTest::newRow("C5") << "C5"
                            << "60 / C5";
    }
    void pickedConventionWrittenAtOnceAndKept()
    {
        QFETCH(QString, picked);
        QFETCH(QString, at60);
        // Start from a different convention, so that every row changes something.
        storeSettings(picked == "C5" ? "C3" : "C5", "true");
        start();

        action(picked)->trigger();
        QCOMPARE(checkedConvention(), picked);
        checkNoteLists(at60);
        QVERIFY2(fileText().contains("selectedMIDIName=" + picked), qPrintable(fileText()));

        restart();
        QCOMPARE(checkedConvention(), picked);
        checkNoteLists(at60);
    }

    void pickingTheCheckedConventionWritesAgain()
    {
        storeSettings("C4", "true");
        start();
        // Someone else changed the file meanwhile; picking C4 again writes C4.
        {
            QSettings other(settingsFilePath(), QSettings::IniFormat);
            other.setValue("selectedMIDIName", "C6");
        }
        QVERIFY(fileText().contains("selectedMIDIName=C6"));
        QVERIFY(action("C4")->isChecked());
        action("C4")->trigger();
        QVERIFY(action("C4")->isChecked());
        QVERIFY2(fileText().contains("selectedMIDIName=C4"), qPrintable(fileText()));
    }

    void conventionChangeKeepsEverySelectedNote()
    {
        storeSettings("C4", "true");
        start();
        const int notes[] = {60, 0, 127, 61, 11, 72};
        for (size_t i = 0; i < std::size(notes); ++i)
            box(conventionLists[i])->setCurrentIndex(notes[i]);
        box("hat_note_comboBox_ctl")->setCurrentIndex(60);

        action("C5")->trigger();

        const char* const expected[] = {"60 / C5", "0 / C0", "127 / G10", "61 / C#5", "11 / B0", "72 / C6"};
        for (size_t i = 0; i < std::size(notes); ++i) {
            QComboBox* list = box(conventionLists[i]);
            QVERIFY2(list->currentIndex() == notes[i], conventionLists[i]);
            QCOMPARE(list->currentText(), QString(expected[i]));
        }
        QCOMPARE(box("hat_note_comboBox_ctl")->currentText(), QString("60 / C4"));

        action("C3")->trigger();
        QCOMPARE(box("switch_note_comboBox_nno")->currentText(), QString("60 / C3"));
        QCOMPARE(box("hat_release_note")->currentText(), QString("72 / C4"));
    }

    void showCCNameWrittenAtOnceAndKept()
    {
        storeSettings("C4", "true");
        start();
        box("expression_cc_comboBox_ctl")->setCurrentIndex(64);
        box("switch_cc_comboBox_ctl")->setCurrentIndex(7);
        box("hat_cc_comboBox_ctl")->setCurrentIndex(127);

        action("Show CC Name")->trigger();
        QVERIFY(!action("Show CC Name")->isChecked());
        QVERIFY2(fileText().contains("showCCNameEnabled=false"), qPrintable(fileText()));
        // The same controllers stay selected, now shown as plain numbers, on all three lists.
        QCOMPARE(box("expression_cc_comboBox_ctl")->currentText(), QString("64"));
        QCOMPARE(box("switch_cc_comboBox_ctl")->currentText(), QString("7"));
        QCOMPARE(box("hat_cc_comboBox_ctl")->currentText(), QString("127"));
        for (const char* name :
             {"expression_cc_comboBox_ctl", "switch_cc_comboBox_ctl", "hat_cc_comboBox_ctl"})
            QCOMPARE(box(name)->count(), 128);

        restart();
        QVERIFY(!action("Show CC Name")->isChecked());
        QCOMPARE(box("expression_cc_comboBox_ctl")->itemText(7), QString("7"));
        QCOMPARE(box("switch_cc_comboBox_ctl")->itemText(7), QString("7"));
        QCOMPARE(box("hat_cc_comboBox_ctl")->itemText(7), QString("7) Volume"));

        box("switch_cc_comboBox_ctl")->setCurrentIndex(7);
        action("Show CC Name")->trigger();
        QVERIFY(action("Show CC Name")->isChecked());
        QVERIFY2(fileText().contains("showCCNameEnabled=true"), qPrintable(fileText()));
        QCOMPARE(box("switch_cc_comboBox_ctl")->currentText(), QString("7) Volume"));
        QCOMPARE(box("switch_cc_comboBox_ctl")->count(), 128);
    }

    // A list with nothing selected has nothing to restore: it ends on its first entry.
    void controllerDisplayChangeOnAnEmptyList()
    {
        storeSettings("C4", "true");
        start();
        box("hat_cc_comboBox_ctl")->clear();
        box("switch_cc_comboBox_ctl")->setCurrentIndex(100);
        action("Show CC Name")->trigger();
        QCOMPARE(box("hat_cc_comboBox_ctl")->count(), 128);
        QCOMPARE(box("hat_cc_comboBox_ctl")->currentIndex(), 0);
        QCOMPARE(box("switch_cc_comboBox_ctl")->currentText(), QString("100"));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
