// The four expression event pages and the expression trigger group (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "curve/mycustomplot.h"
#include "protocol/frames.h"

#include <QMessageBox>

namespace {

const QStringList& values127()
{
    static const QStringList list = Protocol::rangTxtArray(0, 127);
    return list;
}

const QStringList& values16383()
{
    static const QStringList list = Protocol::rangTxtArray(0, 16383);
    return list;
}

const QStringList& gains()
{
    static const QStringList list = Protocol::rangTxtArray(-50, 50);
    return list;
}

// Fills an empty list and selects the default entry.
void fill(QComboBox* box, const QStringList& items, int selected)
{
    box->addItems(items);
    box->setCurrentIndex(selected);
}

} // namespace

void Widget::expression_status()
{
    const QStringList events = {QStringLiteral("Continuous Controllers (CC)"), QStringLiteral("NOTE"),
                                QStringLiteral("Pitch Bend"), QStringLiteral("Channel Pressure")};
    for (QComboBox* box :
         {ui->expression_comboBox0, ui->expression_comboBox1, ui->expression_comboBox2, ui->expression_comboBox3})
        box->addItems(events);

    ui->expression_trigger_level->addItem(QStringLiteral("OFF"));
    ui->expression_trigger_level->addItems(Protocol::rangTxtArray(1, 127));
    populateNoteComboBox(ui->expression_release_note, 1);
    populateNoteComboBox(ui->expression_press_note, 1);

    const QStringList channels = Protocol::rangTxtArray(1, 16);
    for (QComboBox* box : {ui->expression_cc_comboBox_chl, ui->expression_note_comboBox_chl,
                           ui->expression_pitch_comboBox_chl, ui->expression_ch_comboBox_chl})
        box->addItems(channels);
}

void Widget::expression_status_connect()
{
    for (QComboBox* box :
         {ui->expression_comboBox0, ui->expression_comboBox1, ui->expression_comboBox2, ui->expression_comboBox3})
        connect(box, &QComboBox::currentTextChanged, this, &Widget::Changed_stack);
}

void Widget::setupComboBoxes()
{
    for (QComboBox* box :
         {ui->expression_comboBox0, ui->expression_comboBox1, ui->expression_comboBox2, ui->expression_comboBox3})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &Widget::syncComboBoxIndexes);
}

void Widget::expression_init_CC()
{
    fill(ui->expression_cc_comboBox_gain, gains(), 50);
    fill(ui->expression_cc_comboBox_valmax, values127(), 127);
    fill(ui->expression_cc_comboBox_valmin, values127(), 0);
    fill(ui->expression_cc_comboBox_ql, gains(), 50);
    populateComboBox(ui->expression_cc_comboBox_ctl);
}

void Widget::expression_init_Note()
{
    fill(ui->expression_note_comboBox_gain, gains(), 50);
    fill(ui->expression_note_comboBox_valmax, values127(), 127);
    fill(ui->expression_note_comboBox_valmin, values127(), 0);
    fill(ui->expression_note_comboBox_ql, gains(), 50);
    populateNoteComboBox(ui->expression_note_comboBox_ctl, 1);
}

void Widget::expression_init_Pitch()
{
    fill(ui->expression_pitch_comboBox_gain, gains(), 50);
    fill(ui->expression_pitch_comboBox_valmax, values16383(), 16383);
    fill(ui->expression_pitch_comboBox_valmin, values16383(), 0);
    fill(ui->expression_pitch_comboBox_ql, gains(), 50);
}

void Widget::expression_init_CH()
{
    fill(ui->expression_ch_comboBox_gain, gains(), 50);
    fill(ui->expression_ch_comboBox_val1, values127(), 0);
    fill(ui->expression_ch_comboBox_val2, values127(), 127);
    fill(ui->expression_ch_comboBox_ql, gains(), 50);
}

// Rebuilds the expression curve editor and hands it the values of a handler.
// Nothing happens before the editor has been built once.
void Widget::expressionCurveHandOver(const std::function<void(MyCustomPlot*)>& store)
{
    if (!expressionPlot)
        return;
    curve_draw();
    store(expressionPlot);
    if (!expressionPlotBuilt) {
        curve_draw();
        expressionPlotBuilt = true;
    }
    expressionPlot->updateGraphData();
}

// The minimum of a value range may not exceed its maximum. Returns whether the
// choice stands; an invalid one is refused with a warning and the restore.
bool Widget::checkRange(bool valid, const char* title, const char* text, QComboBox* restored, int restoreIndex,
                        bool blockWhileRestoring)
{
    if (valid)
        return true;
    QMessageBox::warning(this, tr(title), tr(text));
    // The remembered maximum may come from the 14-bit pitch-bend list; on a shorter
    // list it would leave nothing selected, so it is kept within the list.
    restoreIndex = qBound(0, restoreIndex, restored->count() - 1);
    const bool wasBlocked = blockWhileRestoring ? restored->blockSignals(true) : restored->signalsBlocked();
    restored->setCurrentIndex(restoreIndex);
    restored->blockSignals(wasBlocked);
    return false;
}

// Swallows the notification caused by filling a list: true when the handler must stop.
static bool firstNotification(bool& flag)
{
    if (!flag)
        return false;
    flag = false;
    return true;
}

static const char* const minAboveMax = QT_TRANSLATE_NOOP("Widget", "The minimum value cannot be greater than the maximum value!");
static const char* const maxBelowMin = QT_TRANSLATE_NOOP("Widget", "当前值不能小于最小值！");

void Widget::on_expression_cc_comboBox_valmin_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a1))
        return;
    if (!checkRange(ui->expression_cc_comboBox_valmax->currentIndex() >= index,
                    QT_TRANSLATE_NOOP("Widget", "Invalid1 selection"), minAboveMax, ui->expression_cc_comboBox_valmin,
                    previousValMinIndex, true))
        return;
    previousValMinIndex = 0;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->minValue = index; });
}

void Widget::on_expression_cc_comboBox_valmax_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a2))
        return;
    if (!checkRange(index >= ui->expression_cc_comboBox_valmin->currentIndex(),
                    QT_TRANSLATE_NOOP("Widget", "Invalid2 selection"), minAboveMax, ui->expression_cc_comboBox_valmax,
                    previousValMaxIndex, true))
        return;
    previousValMaxIndex = index;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->maxValue = index; });
}

void Widget::on_expression_note_comboBox_valmin_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a3))
        return;
    if (!checkRange(ui->expression_note_comboBox_valmax->currentIndex() >= index,
                    QT_TRANSLATE_NOOP("Widget", "Invalid3 selection"), minAboveMax,
                    ui->expression_note_comboBox_valmin, previousValMinIndex, false))
        return;
    previousValMinIndex = 0;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->minValue = index; });
}

void Widget::on_expression_note_comboBox_valmax_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a4))
        return;
    if (!checkRange(index >= ui->expression_note_comboBox_valmin->currentIndex(),
                    QT_TRANSLATE_NOOP("Widget", "Invalid4 selection"), maxBelowMin,
                    ui->expression_note_comboBox_valmax, previousValMaxIndex, true))
        return;
    previousValMaxIndex = index;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->maxValue = index; });
}

void Widget::on_expression_pitch_comboBox_valmin_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a5))
        return;
    if (!checkRange(ui->expression_pitch_comboBox_valmax->currentIndex() >= index,
                    QT_TRANSLATE_NOOP("Widget", "Invalid5 selection3"), minAboveMax,
                    ui->expression_pitch_comboBox_valmin, previousValMinIndex, false))
        return;
    previousValMinIndex = 0;
    const int min = ui->expression_pitch_comboBox_valmin->currentIndex();
    const int max = ui->expression_pitch_comboBox_valmax->currentIndex();
    expressionCurveHandOver([=](MyCustomPlot* plot) {
        plot->minValue = min;
        plot->maxValue = max;
        plot->minValue = index;
    });
}

void Widget::on_expression_pitch_comboBox_valmax_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a6))
        return;
    // An invalid maximum stays: the minimum moves to its first entry instead.
    if (!checkRange(index >= ui->expression_pitch_comboBox_valmin->currentIndex(),
                    QT_TRANSLATE_NOOP("Widget", "Invalid6 selection"), minAboveMax,
                    ui->expression_pitch_comboBox_valmin, previousValMinIndex, false))
        return;
    previousValMaxIndex = index;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->maxValue = index; });
}

void Widget::on_expression_ch_comboBox_val1_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a7))
        return;
    const int max = qMax(0, ui->expression_ch_comboBox_val2->currentIndex()); // an empty list counts as 0
    if (!checkRange(max >= index, QT_TRANSLATE_NOOP("Widget", "Invalid7 selection5"), minAboveMax,
                    ui->expression_ch_comboBox_val1, previousValMinIndex, false))
        return;
    previousValMinIndex = 0;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->minValue = index; });
}

void Widget::on_expression_ch_comboBox_val2_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a8))
        return;
    if (!checkRange(index >= ui->expression_ch_comboBox_val1->currentIndex(),
                    QT_TRANSLATE_NOOP("Widget", "Invalid8 selection"), maxBelowMin, ui->expression_ch_comboBox_val2,
                    previousValMaxIndex, false))
        return;
    previousValMaxIndex = index;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->maxValue = index; });
}

void Widget::on_expression_cc_comboBox_gain_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->gainValue = index - 50; });
}

void Widget::on_expression_cc_comboBox_ql_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->curveValue = index - 50; });
}

void Widget::on_expression_note_comboBox_gain_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    const int min = ui->expression_note_comboBox_valmin->currentIndex();
    const int max = ui->expression_note_comboBox_valmax->currentIndex();
    expressionCurveHandOver([=](MyCustomPlot* plot) {
        plot->minValue = min;
        plot->maxValue = max;
        plot->gainValue = index - 50;
    });
}

void Widget::on_expression_note_comboBox_ql_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->curveValue = index - 50; });
}

void Widget::on_expression_pitch_comboBox_gain_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    const int min = ui->expression_pitch_comboBox_valmin->currentIndex();
    const int max = ui->expression_pitch_comboBox_valmax->currentIndex();
    expressionCurveHandOver([=](MyCustomPlot* plot) {
        plot->minValue = min;
        plot->maxValue = max;
        plot->gainValue = index - 50;
    });
}

void Widget::on_expression_pitch_comboBox_ql_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    const int min = ui->expression_pitch_comboBox_valmin->currentIndex();
    const int max = ui->expression_pitch_comboBox_valmax->currentIndex();
    expressionCurveHandOver([=](MyCustomPlot* plot) {
        plot->minValue = min;
        plot->maxValue = max;
        plot->curveValue = index - 50;
    });
}

void Widget::on_expression_ch_comboBox_gain_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunValmax))
        return;
    const int min = ui->expression_ch_comboBox_val1->currentIndex();
    const int max = ui->expression_ch_comboBox_val2->currentIndex();
    expressionCurveHandOver([=](MyCustomPlot* plot) {
        plot->minValue = min;
        plot->maxValue = max;
        plot->gainValue = index - 50;
    });
}

void Widget::on_expression_ch_comboBox_ql_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    expressionCurveHandOver([index](MyCustomPlot* plot) { plot->curveValue = index - 50; });
}

// Press and release notes apply only while a trigger level is set.
void Widget::on_expression_trigger_level_currentIndexChanged(const QString& text)
{
    const bool on = text != QLatin1String("OFF");
    ui->expression_press_note->setEnabled(on);
    ui->expression_release_note->setEnabled(on);
}

void Widget::on_expression_trigger_level_activated(const QString& text)
{
    on_expression_trigger_level_currentIndexChanged(text);
}

void Widget::on_expression_cc_comboBox_ctl_currentIndexChanged(const QString& text)
{
    qCDebug(lcEditor) << "Selected controller:" << extractNumberFromString(text);
}
