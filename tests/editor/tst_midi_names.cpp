// Note and controller names: the naming unit and the window's list fillers.
#include "app/widget.h"
#include "editor/midi_names.h"
#include "support/fake_device_enumerator.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QSet>
#include <QTest>

#include <initializer_list>
#include <memory>
#include <utility>

namespace {

QStringList itemTexts(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace

class TestMidiNames : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator devices;
    std::unique_ptr<Widget> window;

private slots:
    void initTestCase()
    {
        applyApplicationLook();
        window = std::make_unique<Widget>();
    }
    void cleanupTestCase() { window.reset(); }

    void noteNames_data()
    {
        QTest::addColumn<int>("note");
        QTest::addColumn<int>("convention");
        QTest::addColumn<QString>("name");
        // Note 60 in the three conventions, and both ends of the range.
        QTest::newRow("60 C4") << 60 << 1 << "C4";
        QTest::newRow("60 C3") << 60 << 2 << "C3";
        QTest::newRow("60 C5") << 60 << 3 << "C5";
        QTest::newRow("0 C4") << 0 << 1 << "C-1";
        QTest::newRow("0 C3") << 0 << 2 << "C-2";
        QTest::newRow("0 C5") << 0 << 3 << "C0";
        QTest::newRow("127 C4") << 127 << 1 << "G9";
        QTest::newRow("127 C3") << 127 << 2 << "G8";
        QTest::newRow("127 C5") << 127 << 3 << "G10";
        // The octave changes between B and C.
        QTest::newRow("11 C4") << 11 << 1 << "B-1";
        QTest::newRow("12 C4") << 12 << 1 << "C0";
        QTest::newRow("23 C3") << 23 << 2 << "B-1";
        QTest::newRow("24 C3") << 24 << 2 << "C0";
        // Every pitch class, sharps only.
        const char* const classes[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
        for (int pc = 0; pc < 12; ++pc)
            QTest::addRow("%d C4", 60 + pc) << 60 + pc << 1 << QString("%1%2").arg(classes[pc]).arg(4);
        // Range first, then the convention.
        QTest::newRow("-1") << -1 << 1 << "Invalid Note";
        QTest::newRow("128") << 128 << 1 << "Invalid Note";
        QTest::newRow("128, no convention") << 128 << 0 << "Invalid Note";
        QTest::newRow("-1, no convention") << -1 << 7 << "Invalid Note";
        QTest::newRow("convention 0") << 60 << 0 << "";
        QTest::newRow("convention 4") << 60 << 4 << "";
        QTest::newRow("convention -1") << 0 << -1 << "";
    }
    void noteNames()
    {
        QFETCH(int, note);
        QFETCH(int, convention);
        QFETCH(QString, name);
        QCOMPARE(MidiNames::noteName(note, convention), name);
        QCOMPARE(window->getMidiNoteName(note, convention), name);
    }

    void noteEntries_data()
    {
        QTest::addColumn<int>("convention");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("middle");
        QTest::addColumn<QString>("last");
        QTest::newRow("C4") << 1 << "0 / C-1"
                            << "60 / C4"
                            << "127 / G9";
        QTest::newRow("C3") << 2 << "0 / C-2"
                            << "60 / C3"
                            << "127 / G8";
        QTest::newRow("C5") << 3 << "0 / C0"
                            << "60 / C5"
                            << "127 / G10";
    }
    void noteEntries()
    {
        QFETCH(int, convention);
        QFETCH(QString, first);
        QFETCH(QString, middle);
        QFETCH(QString, last);
        const QStringList entries = MidiNames::noteEntries(convention);
        QCOMPARE(entries.size(), 128);
        QCOMPARE(entries.first(), first);
        QCOMPARE(entries.at(60), middle);
        QCOMPARE(entries.last(), last);
        // The number in front is the index, so the editor can use the index as the note.
        for (int i = 0; i < entries.size(); ++i)
            QVERIFY2(entries.at(i).startsWith(QString::number(i) + " / "), qPrintable(entries.at(i)));
    }

    void populateNoteComboBoxReplacesTheList_data()
    {
        QTest::addColumn<int>("convention");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("at61");
        QTest::newRow("C5") << 3 << 128 << "61 / C#5";
        QTest::newRow("C3") << 2 << 128 << "61 / C#3";
        QTest::newRow("unknown convention empties it") << 0 << 0 << "";
        QTest::newRow("convention 4 empties it") << 4 << 0 << "";
    }
    void populateNoteComboBoxReplacesTheList()
    {
        QFETCH(int, convention);
        QFETCH(int, count);
        QFETCH(QString, at61);
        QComboBox box;
        box.addItems({"old", "entries"});
        window->populateNoteComboBox(&box, convention);
        QCOMPARE(box.count(), count);
        QCOMPARE(box.itemText(61), at61);
        QVERIFY(box.findText("old") < 0);
    }

    void controllerNames_data()
    {
        QTest::addColumn<int>("controller");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "Bank MSB";
        QTest::newRow("1") << 1 << "Modulation";
        QTest::newRow("7") << 7 << "Volume";
        QTest::newRow("10") << 10 << "PAN";
        QTest::newRow("11") << 11 << "Expression";
        QTest::newRow("64") << 64 << "Pedal (Sustain)";
        QTest::newRow("66") << 66 << "Pedal-Sostenuto";
        QTest::newRow("84") << 84 << "Portamento Ctrl";
        QTest::newRow("101") << 101 << "RPN MSB";
        QTest::newRow("121") << 121 << "Reset Cntrl";
        QTest::newRow("127") << 127 << "Poly On";
        QTest::newRow("3 unnamed") << 3 << "***";
        QTest::newRow("70 unnamed") << 70 << "***";
        QTest::newRow("119 unnamed") << 119 << "***";
        QTest::newRow("-1") << -1 << "Invalid CC";
        QTest::newRow("128") << 128 << "Invalid CC";
    }
    void controllerNames()
    {
        QFETCH(int, controller);
        QFETCH(QString, name);
        QCOMPARE(MidiNames::controllerName(controller), name);
        QCOMPARE(window->getMidiCCName(controller), name);
    }

    // The unnamed numbers are exactly 3, 9, 12-31, 33-37, 39-63, 68, 70, 75-83, 85-90, 102-119.
    void unnamedControllersAreExactlyTheListedRanges()
    {
        QSet<int> expected = {3, 9, 68, 70};
        const std::initializer_list<std::pair<int, int>> ranges = {{12, 31}, {33, 37}, {39, 63},
                                                                   {75, 83}, {85, 90}, {102, 119}};
        for (const auto& range : ranges)
            for (int n = range.first; n <= range.second; ++n)
                expected << n;
        QSet<int> unnamed;
        for (int n = 0; n < 128; ++n)
            if (MidiNames::controllerName(n) == "***")
                unnamed << n;
        QCOMPARE(unnamed, expected);
    }

    void populateComboBoxAppends()
    {
        QComboBox box;
        window->populateComboBox(&box);
        QCOMPARE(box.count(), 128);
        QCOMPARE(box.itemText(0), QString("0) Bank MSB"));
        QCOMPARE(box.itemText(3), QString("3) ***"));
        QCOMPARE(box.itemText(127), QString("127) Poly On"));
        window->populateComboBox(&box);
        QCOMPARE(box.count(), 256);
        QCOMPARE(itemTexts(&box).mid(128), itemTexts(&box).mid(0, 128));
    }

    void extractNumberFromString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("named entry") << "64) Pedal (Sustain)" << 64;
        QTest::newRow("unnamed entry") << "3) ***" << 3;
        QTest::newRow("blanks around the number") << "  7 ) Volume" << 7;
        QTest::newRow("first parenthesis counts") << "12) x) y" << 12;
        QTest::newRow("plain number") << "64" << -1;
        QTest::newRow("no number") << "Volume) 7" << -1;
        QTest::newRow("nothing before it") << ") Volume" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("digits and letters") << "6a) x" << -1;
    }
    void extractNumberFromString()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(window->extractNumberFromString(text), number);
    }
};

QTEST_MAIN(TestMidiNames)
#include "tst_midi_names.moc"
