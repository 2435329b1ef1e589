// Curve editor hooks of the main window: building the two editors from the page
// controls and writing dragged values back into them.
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "curve/curve_model.h"
#include "curve/mycustomplot.h"

#include <QComboBox>

namespace {

// The controls that hold one event's curve settings.
struct CurveControls
{
    QComboBox* min = nullptr;
    QComboBox* max = nullptr;
    QComboBox* gain = nullptr;
    QComboBox* curve = nullptr;
};

CurveControls expressionControls(Ui::Widget* ui, int event)
{
    switch (event) {
    case 0:
        return {ui->expression_cc_comboBox_valmin, ui->expression_cc_comboBox_valmax, ui->expression_cc_comboBox_gain,
                ui->expression_cc_comboBox_ql};
    case 1:
        return {ui->expression_note_comboBox_valmin, ui->expression_note_comboBox_valmax,
                ui->expression_note_comboBox_gain, ui->expression_note_comboBox_ql};
    case 2:
        return {ui->expression_pitch_comboBox_valmin, ui->expression_pitch_comboBox_valmax,
                ui->expression_pitch_comboBox_gain, ui->expression_pitch_comboBox_ql};
    case 3:
        return {ui->expression_ch_comboBox_val1, ui->expression_ch_comboBox_val2, ui->expression_ch_comboBox_gain,
                ui->expression_ch_comboBox_ql};
    default:
        return {};
    }
}

CurveControls hatControls(Ui::Widget* ui, int event)
{
    if (event == 0)
        return {ui->hat_cc_comboBox_valmin, ui->hat_cc_comboBox_valmax, ui->hat_cc_comboBox_gain,
                ui->hat_cc_comboBox_ql};
    return {ui->hat_note_comboBox_valmin, ui->hat_note_comboBox_valmax, ui->hat_note_comboBox_gain,
            ui->hat_note_comboBox_ql};
}

double numberIn(const QComboBox* box)
{
    return box->currentText().toDouble();  // no number reads as 0
}

// Sets the index only when the list has it: an index the list lacks would empty the box.
void selectIfPresent(QComboBox* box, int index)
{
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}

}  // namespace

// Builds a new editor in `container`, wired to the window, in place of the old one.
static MyCustomPlot* buildEditor(Widget* window, QWidget* container, double min, double max, double gain,
                                 double curve, void (Widget::*receiver)(int, int, int, int))
{
    return MyCustomPlot::rebuildIn(container, min, max, gain, curve, [&](MyCustomPlot* plot) {
        QObject::connect(plot, &MyCustomPlot::update_max_min_gain, window, receiver);
        QObject::connect(plot, &MyCustomPlot::crical_is_move, window, &Widget::moveflagchange);
        QObject::connect(plot, &MyCustomPlot::circleCoordinatesUpdated, window, &Widget::drawCirclesOnWidget);
    });
}

void Widget::curve_draw()
{
    const int event = ui->expression_comboBox0->currentIndex();
    const CurveControls c = expressionControls(ui, event);

    // Without an event the editor shows a fresh page: 0 ... 127, gain 0, curve 0.
    double min = 0, max = 127, gain = 0, curve = 0;
    if (c.min) {
        min = numberIn(c.min);
        max = numberIn(c.max);
        if (event == 2) {
            min /= CurveModel::kPitchBendFactor;
            max /= CurveModel::kPitchBendFactor;
        }
        gain = numberIn(c.gain);
        curve = numberIn(c.curve);
    }

    expressionPlot = buildEditor(this, ui->widget_13, min, max, gain, curve, &Widget::rec_max_min_gain);
    expressionPlot->pitchBendMode = (event == 2);
}

void Widget::curve_draw_hat()
{
    const CurveControls c = hatControls(ui, ui->hat_comboBox0->currentIndex());
    hatPlot = buildEditor(this, ui->widget_14, numberIn(c.min), numberIn(c.max), numberIn(c.gain), numberIn(c.curve),
                          &Widget::rec_max_min_gain_hat);
}

void Widget::rec_max_min_gain(int max, int min, int gain, int cgain)
{
    Q_UNUSED(gain)
    const int event = ui->expression_comboBox0->currentIndex();
    const CurveControls c = expressionControls(ui, event);
    if (!c.min)
        return;
    selectIfPresent(c.max, max);
    selectIfPresent(c.min, min);
    if (cgain + 50 >= 0 && cgain + 50 <= 100)
        selectIfPresent(c.curve, cgain + 50);
}

void Widget::rec_max_min_gain_hat(int max, int min, int gain, int cgain)
{
    Q_UNUSED(gain)
    const CurveControls c = hatControls(ui, ui->hat_comboBox0->currentIndex());
    if (max >= 0 && max <= 127)
        c.max->setCurrentIndex(max);
    if (min >= 0 && min <= 127)
        c.min->setCurrentIndex(min);
    if (cgain + 50 >= 0 && cgain + 50 <= 100)
        c.curve->setCurrentIndex(cgain + 50);
}

void Widget::moveflagchange(bool flag)
{
    handleMoving = flag;
}

void Widget::drawCirclesOnWidget(QPoint startCoord, QPoint endCoord)
{
    // The corners have no further use; the container is only repainted.
    Q_UNUSED(startCoord)
    Q_UNUSED(endCoord)
    if (ui->widget_8 && ui->widget_8->isVisible())
        ui->widget_8->update();
    else
        qCDebug(lcEditor) << "widget_8 is not available or not visible.";
}

void Widget::updateCustomPlotData()
{
    if (!expressionPlotBuilt)
        return;
    if (expressionPlot && (expressionPlot->draggingMin || expressionPlot->draggingMax || expressionPlot->draggingCurve))
        return;

    MyCustomPlot* plot = nullptr;
    CurveControls c;
    switch (ui->pendal_type_comboBox0->currentIndex()) {
    case 0: {
        plot = expressionPlot;
        c = expressionControls(ui, ui->expression_comboBox0->currentIndex());
        break;
    }
    case 2: {
        plot = hatPlot;
        const int event = ui->hat_comboBox0->currentIndex();
        if (event == 0 || event == 1)
            c = hatControls(ui, event);
        break;
    }
    default:
        return;
    }
    if (!plot)
        return;
    if (!c.min) {
        plot->updateGraphData();
        return;
    }

    plot->gainValue = c.gain->currentIndex() - 50;
    plot->maxValue = c.max->currentIndex();
    plot->minValue = c.min->currentIndex();
    plot->curveValue = c.curve->currentIndex() - 50;
    plot->updateGraphData();
}
