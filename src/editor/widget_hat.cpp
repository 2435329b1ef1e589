// The two hi-hat event pages and the hi-hat trigger group (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "curve/mycustomplot.h"
#include "protocol/frames.h"

namespace {

void fill(QComboBox* box, const QStringList& items, int selected)
{
    box->addItems(items);
    box->setCurrentIndex(selected);
}

bool firstNotification(bool& flag)
{
    if (!flag)
        return false;
    flag = false;
    return true;
}

const char* const minAboveMax =
    QT_TRANSLATE_NOOP("Widget", "The minimum value cannot be greater than the maximum value!");
const char* const maxBelowMin = QT_TRANSLATE_NOOP("Widget", "当前值不能小于最小值！");

} // namespace

void Widget::hat_init_CC()
{
    const QStringList gains = Protocol::rangTxtArray(-50, 50);
    const QStringList values = Protocol::rangTxtArray(0, 127);
    fill(ui->hat_cc_comboBox_gain, gains, 50);
    fill(ui->hat_cc_comboBox_valmax, values, 127);
    fill(ui->hat_cc_comboBox_valmin, values, 0);
    fill(ui->hat_cc_comboBox_ql, gains, 50);
    populateComboBox(ui->hat_cc_comboBox_ctl);
}

void Widget::hat_init_Note()
{
    const QStringList gains = Protocol::rangTxtArray(-50, 50);
    const QStringList values = Protocol::rangTxtArray(0, 127);
    fill(ui->hat_note_comboBox_gain, gains, 50);
    fill(ui->hat_note_comboBox_valmax, values, 127);
    fill(ui->hat_note_comboBox_valmin, values, 0);
    fill(ui->hat_note_comboBox_ql, gains, 50);
    populateNoteComboBox(ui->hat_note_comboBox_ctl, 1);
}

void Widget::hat_status()
{
    const QStringList events = {QStringLiteral("Continuous Controllers (CC)"), QStringLiteral("NOTE")};
    ui->hat_comboBox0->addItems(events);
    ui->hat_comboBox1->addItems(events);
    ui->hat_trigger_level->addItem(QStringLiteral("OFF"));
    ui->hat_trigger_level->addItems(Protocol::rangTxtArray(1, 127));
    populateNoteComboBox(ui->hat_release_note, 1);
    populateNoteComboBox(ui->hat_press_note, 1);
    const QStringList channels = Protocol::rangTxtArray(1, 16);
    ui->hat_cc_comboBox_chl->addItems(channels);
    ui->hat_note_comboBox_chl->addItems(channels);
}

void Widget::hat_status_connect()
{
    for (QComboBox* box : {ui->hat_comboBox0, ui->hat_comboBox1})
        connect(box, &QComboBox::currentTextChanged, this, &Widget::Changed_stack_hat);
}

void Widget::setupComboBoxes_hat()
{
    for (QComboBox* box : {ui->hat_comboBox0, ui->hat_comboBox1})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &Widget::syncComboBoxIndexes_hat);
}

// Rebuilds the hi-hat curve editor and hands it a handler's values. The gate is the
// editor that must already exist: some handlers wait for the expression editor,
// which is how the hi-hat editor gets built the first time.
void Widget::hatCurveHandOver(MyCustomPlot* gate, const std::function<void(MyCustomPlot*)>& store)
{
    if (!gate)
        return;
    curve_draw_hat();
    store(hatPlot);
    if (!hatPlotBuilt) {
        curve_draw_hat();
        hatPlotBuilt = true;
    }
    hatPlot->updateGraphData();
}

void Widget::on_hat_cc_comboBox_valmin_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a9))
        return;
    if (!checkRange(ui->hat_cc_comboBox_valmax->currentIndex() >= index,
                    QT_TRANSLATE_NOOP("Widget", "Invalid selection9"), minAboveMax, ui->hat_cc_comboBox_valmin,
                    previousValMinIndex, false))
        return;
    previousValMinIndex = 0;
    const int curve = ui->hat_cc_comboBox_ql->currentIndex() - 50;
    hatCurveHandOver(hatPlot, [=](MyCustomPlot* plot) {
        plot->minValue = index;
        plot->curveValue = curve;
    });
}

void Widget::on_hat_cc_comboBox_valmax_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a10))
        return;
    // An invalid maximum stays: the minimum moves to its first entry instead.
    if (!checkRange(index >= ui->hat_cc_comboBox_valmin->currentIndex(),
                    QT_TRANSLATE_NOOP("Widget", "Invalid selection11"), maxBelowMin, ui->hat_cc_comboBox_valmin,
                    previousValMinIndex, false))
        return;
    previousValMinIndex = 0;
    const int curve = ui->hat_cc_comboBox_ql->currentIndex() - 50;
    hatCurveHandOver(expressionPlot, [=](MyCustomPlot* plot) {
        plot->maxValue = index;
        plot->curveValue = curve;
    });
}

void Widget::on_hat_note_comboBox_valmin_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(a11))
        return;
    if (!checkRange(ui->hat_note_comboBox_valmax->currentIndex() >= index,
                    QT_TRANSLATE_NOOP("Widget", "Invalid selection12"), minAboveMax, ui->hat_note_comboBox_valmin,
                    previousValMinIndex, false))
        return;
    previousValMinIndex = 0;
    const int curve = ui->hat_note_comboBox_ql->currentIndex() - 50;
    hatCurveHandOver(hatPlot, [=](MyCustomPlot* plot) {
        plot->minValue = index;
        plot->curveValue = curve;
    });
}

void Widget::on_hat_note_comboBox_valmax_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunValmax))
        return;
    const int curve = ui->hat_note_comboBox_ql->currentIndex() - 50;
    hatCurveHandOver(expressionPlot, [=](MyCustomPlot* plot) {
        plot->maxValue = index;
        plot->curveValue = curve;
    });
}

void Widget::on_hat_cc_comboBox_gain_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    const int curve = ui->hat_cc_comboBox_ql->currentIndex() - 50;
    hatCurveHandOver(expressionPlot, [=](MyCustomPlot* plot) {
        plot->gainValue = index - 50;
        plot->curveValue = curve;
    });
}

void Widget::on_hat_cc_comboBox_ql_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    hatCurveHandOver(hatPlot, [index](MyCustomPlot* plot) { plot->curveValue = index - 50; });
}

void Widget::on_hat_note_comboBox_gain_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    const int curve = ui->hat_note_comboBox_ql->currentIndex() - 50;
    hatCurveHandOver(expressionPlot, [=](MyCustomPlot* plot) {
        plot->gainValue = index - 50;
        plot->curveValue = curve;
    });
}

void Widget::on_hat_note_comboBox_ql_currentIndexChanged(int index)
{
    if (handleMoving || firstNotification(isFirstRunGain))
        return;
    hatCurveHandOver(hatPlot, [index](MyCustomPlot* plot) { plot->curveValue = index - 50; });
}

void Widget::on_hat_trigger_level_currentIndexChanged(const QString& text)
{
    const bool on = text != QLatin1String("OFF");
    ui->hat_press_note->setEnabled(on);
    ui->hat_release_note->setEnabled(on);
}
