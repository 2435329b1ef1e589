// The minimum of a value range may not exceed its maximum: which warning appears,
// which control is restored to which index, and when a restore runs the check again.
#include "app/widget.h"
#include "support/fake_device_enumerator.h"
#include "support/modal_watcher.h"
#include "support/window_fixture.h"

#include <QComboBox>
#include <QTest>

#include <memory>

using Steps = QList<QPair<QString, int>>; // (control, index) in order
Q_DECLARE_METATYPE(Steps)

namespace {

const QString minAboveMax = QStringLiteral("The minimum value cannot be greater than the maximum value!");
const QString maxBelowMin = QString::fromUtf8("当前值不能小于最小值！");

} // namespace

class TestValueRanges : public QObject
{
    Q_OBJECT

private:
    FakeDeviceEnumerator bus;
    std::unique_ptr<Widget> window;

    QComboBox* box(const QString& name) { return window->findChild<QComboBox*>(name); }

private slots:
    void initTestCase() { applyApplicationLook(); }
    void init() { window = std::make_unique<Widget>(); }
    void cleanup() { window.reset(); }

    void ranges_data()
    {
        QTest::addColumn<Steps>("setup");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("titles"); // warnings in order
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<Steps>("after");

        // Expression pages.
        QTest::newRow("CC minimum above maximum")
            << Steps{{"expression_cc_comboBox_valmax", 100}} << "expression_cc_comboBox_valmin" << 101
            << QStringList{"Invalid1 selection"} << QStringList{minAboveMax}
            << Steps{{"expression_cc_comboBox_valmin", 0}, {"expression_cc_comboBox_valmax", 100}};
        QTest::newRow("CC minimum equal to maximum")
            << Steps{{"expression_cc_comboBox_valmax", 100}} << "expression_cc_comboBox_valmin" << 100
            << QStringList() << QStringList() << Steps{{"expression_cc_comboBox_valmin", 100}};
        QTest::newRow("CC maximum below minimum returns to 127")
            << Steps{{"expression_cc_comboBox_valmin", 40}} << "expression_cc_comboBox_valmax" << 30
            << QStringList{"Invalid2 selection"} << QStringList{minAboveMax}
            << Steps{{"expression_cc_comboBox_valmax", 127}, {"expression_cc_comboBox_valmin", 40}};
        QTest::newRow("CC maximum returns to the last maximum of any page")
            << Steps{{"hat_note_comboBox_valmax", 90}, {"expression_note_comboBox_valmax", 90},
                     {"expression_cc_comboBox_valmin", 40}}
            << "expression_cc_comboBox_valmax" << 30 << QStringList{"Invalid2 selection"} << QStringList{minAboveMax}
            << Steps{{"expression_cc_comboBox_valmax", 90}};
        // A remembered pitch-bend maximum does not fit a 0..127 list: the restore ends on 127.
        QTest::newRow("remembered pitch-bend maximum kept within the list")
            << Steps{{"expression_pitch_comboBox_valmax", 16000}, {"expression_cc_comboBox_valmin", 40}}
            << "expression_cc_comboBox_valmax" << 30 << QStringList{"Invalid2 selection"} << QStringList{minAboveMax}
            << Steps{{"expression_cc_comboBox_valmax", 127}};
        QTest::newRow("NOTE minimum above maximum")
            << Steps{{"expression_note_comboBox_valmax", 50}} << "expression_note_comboBox_valmin" << 60
            << QStringList{"Invalid3 selection"} << QStringList{minAboveMax}
            << Steps{{"expression_note_comboBox_valmin", 0}};
        QTest::newRow("NOTE maximum below minimum")
            << Steps{{"expression_note_comboBox_valmin", 60}} << "expression_note_comboBox_valmax" << 50
            << QStringList{"Invalid4 selection"} << QStringList{maxBelowMin}
            << Steps{{"expression_note_comboBox_valmax", 127}, {"expression_cc_comboBox_valmax", 127},
                     {"expression_note_comboBox_valmin", 60}};
        QTest::newRow("Pitch Bend minimum above maximum")
            << Steps{{"expression_pitch_comboBox_valmax", 4000}} << "expression_pitch_comboBox_valmin" << 8000
            << QStringList{"Invalid5 selection3"} << QStringList{minAboveMax}
            << Steps{{"expression_pitch_comboBox_valmin", 0}, {"expression_pitch_comboBox_valmax", 4000}};
        QTest::newRow("Pitch Bend maximum below minimum moves the minimum")
            << Steps{{"expression_pitch_comboBox_valmin", 8000}} << "expression_pitch_comboBox_valmax" << 4000
            << QStringList{"Invalid6 selection"} << QStringList{minAboveMax}
            << Steps{{"expression_pitch_comboBox_valmin", 0}, {"expression_pitch_comboBox_valmax", 4000}};
        QTest::newRow("Channel Pressure minimum above maximum")
            << Steps{{"expression_ch_comboBox_val2", 20}} << "expression_ch_comboBox_val1" << 30
            << QStringList{"Invalid7 selection5"} << QStringList{minAboveMax}
            << Steps{{"expression_ch_comboBox_val1", 0}, {"expression_ch_comboBox_val2", 20}};
        QTest::newRow("Channel Pressure maximum below minimum")
            << Steps{{"expression_ch_comboBox_val1", 30}} << "expression_ch_comboBox_val2" << 20
            << QStringList{"Invalid8 selection"} << QStringList{maxBelowMin}
            << Steps{{"expression_ch_comboBox_val2", 127}, {"expression_ch_comboBox_val1", 30}};
        // The remembered maximum comes from another page and is still too small:
        // the unblocked restore warns once more, then the sequence stops.
        QTest::newRow("Channel Pressure maximum warned twice")
            << Steps{{"expression_cc_comboBox_valmax", 10}, {"expression_ch_comboBox_val1", 30}}
            << "expression_ch_comboBox_val2" << 20 << QStringList{"Invalid8 selection", "Invalid8 selection"}
            << QStringList{maxBelowMin, maxBelowMin} << Steps{{"expression_ch_comboBox_val2", 10}};

        // Hi-hat pages.
        QTest::newRow("hi-hat CC minimum above maximum")
            << Steps{{"hat_cc_comboBox_valmax", 90}} << "hat_cc_comboBox_valmin" << 100
            << QStringList{"Invalid selection9"} << QStringList{minAboveMax}
            << Steps{{"hat_cc_comboBox_valmin", 0}, {"hat_cc_comboBox_valmax", 90}};
        QTest::newRow("hi-hat CC maximum below minimum moves the minimum")
            << Steps{{"hat_cc_comboBox_valmin", 70}, {"hat_note_comboBox_valmin", 5}} << "hat_cc_comboBox_valmax"
            << 60 << QStringList{"Invalid selection11"} << QStringList{maxBelowMin}
            << Steps{{"hat_cc_comboBox_valmax", 60}, {"hat_cc_comboBox_valmin", 0}, {"hat_note_comboBox_valmin", 5}};
        QTest::newRow("hi-hat NOTE minimum above maximum")
            << Steps{{"hat_note_comboBox_valmax", 40}} << "hat_note_comboBox_valmin" << 50
            << QStringList{"Invalid selection12"} << QStringList{minAboveMax}
            << Steps{{"hat_note_comboBox_valmin", 0}, {"hat_note_comboBox_valmax", 40}};
        QTest::newRow("hi-hat NOTE maximum is not checked")
            << Steps{{"hat_note_comboBox_valmin", 50}} << "hat_note_comboBox_valmax" << 10 << QStringList()
            << QStringList() << Steps{{"hat_note_comboBox_valmax", 10}, {"hat_note_comboBox_valmin", 50}};
    }
    void ranges()
    {
        QFETCH(Steps, setup);
        QFETCH(QString, control);
        QFETCH(int, index);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, texts);
        QFETCH(Steps, after);

        ModalWatcher watcher("OK");
        watcher.answerAll();
        for (const auto& step : setup)
            box(step.first)->setCurrentIndex(step.second);
        QVERIFY2(!watcher.seen(), "the set-up itself must be valid");

        box(control)->setCurrentIndex(index);
        QTest::qWait(30); // a second warning would still be on its way
        QCOMPARE(watcher.titles(), titles);
        QStringList seenTexts;
        for (const auto& seen : watcher.history())
            seenTexts << seen.text;
        QCOMPARE(seenTexts, texts);
        for (const auto& expected : after)
            QCOMPARE(box(expected.first)->currentIndex(), expected.second);
    }
};

QTEST_MAIN(TestValueRanges)
#include "tst_value_ranges.moc"
