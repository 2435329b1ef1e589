// Which pedal-type and event page is shown, and how the copies of each selector
// stay equal (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "protocol/frames.h"

#include <QHash>

namespace {

const QString ccText = QStringLiteral("Continuous Controllers (CC)");
const QString noteText = QStringLiteral("NOTE");
const QString pitchText = QStringLiteral("Pitch Bend");
const QString pressureText = QStringLiteral("Channel Pressure");

// Page of each selector text; matching is exact and case-sensitive.
const QHash<QString, int>& pedalTypePages()
{
    static const QHash<QString, int> pages = {
        {QStringLiteral("Expression"), 0}, {QStringLiteral("Switch"), 1}, {QStringLiteral("Hi-Hat"), 2}};
    return pages;
}

const QHash<QString, int>& expressionPages()
{
    static const QHash<QString, int> pages = {{ccText, 0}, {noteText, 1}, {pitchText, 2}, {pressureText, 3}};
    return pages;
}

const QHash<QString, int>& switchPages()
{
    static const QHash<QString, int> pages = {
        {ccText, 0},
        {noteText, 1},
        {QStringLiteral("Program Change (PC)"), 2},
        {QStringLiteral("Stop"), 3},
        {QStringLiteral("Continue"), 4},
        {QStringLiteral("Start"), 5},
        {QStringLiteral("Tempo"), 6},
    };
    return pages;
}

const QHash<QString, int>& hatPages()
{
    static const QHash<QString, int> pages = {{ccText, 0}, {noteText, 1}};
    return pages;
}

// "OFF", then "1" ... last: the trigger level list.
QStringList triggerLevels(int last)
{
    QStringList levels{QStringLiteral("OFF")};
    levels << Protocol::rangTxtArray(1, last);
    return levels;
}

// Sets a selector to the index without running its own handlers.
void setSilently(QComboBox* box, int index)
{
    const bool wasBlocked = box->blockSignals(true);
    box->setCurrentIndex(index);
    box->blockSignals(wasBlocked);
}

} // namespace

void Widget::pendal_type_init()
{
    const QStringList types = {QStringLiteral("Expression"), QStringLiteral("Switch"), QStringLiteral("Hi-Hat")};
    for (QComboBox* box : {ui->pendal_type_comboBox0, ui->pendal_type_comboBox1, ui->pendal_type_comboBox2})
        box->addItems(types);
}

void Widget::pedal_type_connect()
{
    for (QComboBox* box : {ui->pendal_type_comboBox0, ui->pendal_type_comboBox1, ui->pendal_type_comboBox2})
        connect(box, &QComboBox::currentTextChanged, this, &Widget::Changed_stack_type);
}

void Widget::setupComboBoxes_type()
{
    for (QComboBox* box : {ui->pendal_type_comboBox0, ui->pendal_type_comboBox1, ui->pendal_type_comboBox2})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &Widget::syncComboBoxIndexes_type);
}

int Widget::getPendalTypeComboBoxIndex()
{
    return ui->pendal_type_comboBox0->currentIndex() + 1;
}

void Widget::Changed_stack_type(const QString& text)
{
    const auto page = pedalTypePages().constFind(text);
    if (page == pedalTypePages().constEnd()) {
        qCDebug(lcEditor).noquote() << "Unknown option: " + text;
        return;
    }
    ui->pedal_type_stack->setCurrentIndex(page.value());
    // Refit the pedal picture once the new page is laid out (next pass of the event loop).
    QMetaObject::invokeMethod(this, &Widget::updatePedalScaling, Qt::QueuedConnection);
}

void Widget::Changed_stack(const QString& text)
{
    curve_draw();

    const auto page = expressionPages().constFind(text);
    if (page == expressionPages().constEnd()) {
        qCDebug(lcEditor).noquote() << "Unknown option: " + text;
    } else {
        ui->expression_stackedWidget->setCurrentIndex(page.value());
        // Pitch bend triggers on a 14-bit level.
        static const QStringList sevenBit = triggerLevels(127);
        static const QStringList fourteenBit = triggerLevels(16383);
        ui->expression_trigger_level->clear();
        ui->expression_trigger_level->addItems(text == pitchText ? fourteenBit : sevenBit);
        const bool enabled = text != noteText;
        for (QComboBox* box : {ui->expression_trigger_level, ui->expression_press_note, ui->expression_release_note}) {
            box->setCurrentIndex(0);
            box->setEnabled(enabled);
        }
    }

    QString key = QStringLiteral("ch");
    if (text == ccText)
        key = QStringLiteral("cc");
    else if (text == noteText)
        key = QStringLiteral("note");
    else if (text == pitchText)
        key = QStringLiteral("pitch");
    cleanvalue(QStringLiteral("expression"), key);

    updateCustomPlotData();
}

void Widget::Changed_stack_hat(const QString& text)
{
    const auto page = hatPages().constFind(text);
    if (page == hatPages().constEnd()) {
        qCDebug(lcEditor).noquote() << "Unknown option: " + text;
    } else {
        ui->hat_stackedWidget->setCurrentIndex(page.value());
        const bool enabled = text == ccText;
        for (QComboBox* box : {ui->hat_trigger_level, ui->hat_press_note, ui->hat_release_note}) {
            box->setCurrentIndex(0);
            box->setEnabled(enabled);
        }
    }

    QString key;
    if (text == ccText)
        key = QStringLiteral("cc");
    else if (text == noteText)
        key = QStringLiteral("note");
    cleanvalue(QStringLiteral("hat"), key);
}

void Widget::Changed_stack_switch(const QString& text)
{
    const auto page = switchPages().constFind(text);
    if (page == switchPages().constEnd())
        qCDebug(lcEditor).noquote() << "Unknown option: " + text;
    else
        ui->switch_stackedWidget->setCurrentIndex(page.value());
    refreshSwitchModeUi();
}

void Widget::syncComboBoxIndexes_type(int index)
{
    for (QComboBox* box : {ui->pendal_type_comboBox0, ui->pendal_type_comboBox1, ui->pendal_type_comboBox2}) {
        if (box != sender() && box->currentIndex() != index)
            setSilently(box, index);
    }
}

void Widget::syncComboBoxIndexes_hat(int index)
{
    for (QComboBox* box : {ui->hat_comboBox0, ui->hat_comboBox1}) {
        if (box != sender() && box->currentIndex() != index)
            setSilently(box, index);
    }
}

void Widget::syncComboBoxIndexes(int index)
{
    // Not blocked: each copy that changes runs the page switch again, which gives
    // the same result however often it runs for one text.
    for (QComboBox* box :
         {ui->expression_comboBox0, ui->expression_comboBox1, ui->expression_comboBox2, ui->expression_comboBox3}) {
        if (box != sender() && box->currentIndex() != index)
            box->setCurrentIndex(index);
    }
}

void Widget::syncComboBoxIndexes_switch(int index)
{
    const QList<QComboBox*> selectors = {ui->switch_comboBox0, ui->switch_comboBox1, ui->switch_comboBox2,
                                         ui->switch_comboBox3, ui->switch_comboBox4, ui->switch_comboBox5,
                                         ui->switch_comboBox6};
    // Trigger mode selector of each copy's page.
    const QList<QComboBox*> modes = {ui->switch_cc_comboBox_mode,    ui->switch_note_comboBox_mode,
                                     ui->switch_pc_comboBox_mode,    ui->switch_stop_comboBox_mode,
                                     ui->switch_ctu_comboBox_mode,   ui->switch_start_comboBox_mode,
                                     ui->switch_tempo_comboBox_mode};
    for (int copy = 0; copy < selectors.size(); ++copy) {
        QComboBox* selector = selectors.at(copy);
        if (selector == sender() || selector->currentIndex() == index)
            continue;
        const bool wasBlocked = selector->blockSignals(true);
        QComboBox* mode = modes.at(copy);
        if (copy <= 2) {
            // Walk the mode through 0 and 1 and back so that the page's controls are
            // refreshed even when the mode ends where it was.
            const int kept = mode->currentIndex();
            mode->setCurrentIndex(0);
            mode->setCurrentIndex(1);
            mode->setCurrentIndex(kept);
        } else {
            mode->setCurrentIndex(0);
        }
        selector->setCurrentIndex(index);
        selector->blockSignals(wasBlocked);
    }
}

void Widget::syncComboBoxIndexes_modeswitch(int index)
{
    const auto follow = [this](QComboBox* box, int target) {
        if (box != sender() && box->currentIndex() != target)
            setSilently(box, target);
    };
    follow(ui->switch_cc_comboBox_mode, index);
    follow(ui->switch_note_comboBox_mode, index);
    follow(ui->switch_pc_comboBox_mode, index);
    // Start and Stop know only Single and Toggle; Continue and Tempo only Single.
    follow(ui->switch_start_comboBox_mode, index == 1 ? 1 : 0);
    follow(ui->switch_stop_comboBox_mode, index == 1 ? 1 : 0);
    follow(ui->switch_tempo_comboBox_mode, 0);
    follow(ui->switch_ctu_comboBox_mode, 0);
    refreshSwitchModeUi();
}

void Widget::cleanvalue(QString kind, QString pageKey)
{
    struct Reset
    {
        const char* key;
        QList<QPair<QComboBox*, int>> controls;
    };
    QList<Reset> rows;
    if (kind == QLatin1String("expression")) {
        rows = {
            {"cc",
             {{ui->expression_cc_comboBox_chl, 0},
              {ui->expression_cc_comboBox_ctl, 0},
              {ui->expression_cc_comboBox_valmin, 0},
              {ui->expression_cc_comboBox_valmax, 127},
              {ui->expression_cc_comboBox_gain, 50},
              {ui->expression_cc_comboBox_ql, 50}}},
            {"note",
             {{ui->expression_note_comboBox_chl, 0},
              {ui->expression_note_comboBox_ctl, 0},
              {ui->expression_note_comboBox_valmin, 0},
              {ui->expression_note_comboBox_valmax, 127},
              {ui->expression_note_comboBox_gain, 50},
              {ui->expression_note_comboBox_ql, 50}}},
            {"pitch",
             {{ui->expression_pitch_comboBox_chl, 0},
              {ui->expression_pitch_comboBox_valmin, 0},
              {ui->expression_pitch_comboBox_valmax, 16383},
              {ui->expression_pitch_comboBox_gain, 50},
              {ui->expression_pitch_comboBox_ql, 50}}},
            {"ch",
             {{ui->expression_ch_comboBox_chl, 0},
              {ui->expression_ch_comboBox_val1, 0},
              {ui->expression_ch_comboBox_val2, 127},
              {ui->expression_ch_comboBox_gain, 50},
              {ui->expression_ch_comboBox_ql, 50}}},
        };
    } else if (kind == QLatin1String("hat")) {
        rows = {
            {"cc",
             {{ui->hat_cc_comboBox_chl, 0},
              {ui->hat_cc_comboBox_ctl, 0},
              {ui->hat_cc_comboBox_valmin, 0},
              {ui->hat_cc_comboBox_valmax, 127},
              {ui->hat_cc_comboBox_gain, 50},
              {ui->hat_cc_comboBox_ql, 50}}},
            {"note",
             {{ui->hat_note_comboBox_chl, 0},
              {ui->hat_note_comboBox_ctl, 0},
              {ui->hat_note_comboBox_valmin, 0},
              {ui->hat_note_comboBox_valmax, 127},
              {ui->hat_note_comboBox_gain, 50},
              {ui->hat_note_comboBox_ql, 50}}},
        };
    }
    // The page the key names keeps its values; the others return to their defaults,
    // through ordinary index changes so that their handlers run.
    for (const Reset& row : qAsConst(rows)) {
        if (pageKey == QLatin1String(row.key))
            continue;
        for (const auto& control : row.controls)
            control.first->setCurrentIndex(control.second);
    }
}
