// The seven switch pages: their lists, the trigger modes and the rule between the
// first and the second value (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "editor/midi_names.h"
#include "editor/switch_modes.h"
#include "protocol/frames.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

namespace {

// The controls of a page that has a trigger mode and two values.
struct ValuePage {
    QComboBox* mode;
    QComboBox* first;
    QComboBox* second;
    QLabel* secondLabel;
};

ValuePage ccPage(Ui::Widget* ui)
{
    return {ui->switch_cc_comboBox_mode, ui->switch_cc_comboBox_valmin, ui->switch_cc_comboBox_valmax,
            ui->label_48};
}

ValuePage notePage(Ui::Widget* ui)
{
    return {ui->switch_note_comboBox_mode, ui->switch_note_comboBox_valmin, ui->switch_note_comboBox_valmax,
            ui->label_79};
}

ValuePage pcPage(Ui::Widget* ui)
{
    return {ui->switch_pc_comboBox_mode, ui->switch_pc_comboBox_valmin, ui->switch_pc_comboBox_valmax,
            ui->label_135};
}

// Event selectors and channel lists, appended to; the selectors in list order.
void fillEventLists(Ui::Widget* ui, bool withTempo)
{
    const QStringList events = SwitchModes::eventEntries(withTempo);
    for (QComboBox* box :
         {ui->switch_comboBox0, ui->switch_comboBox1, ui->switch_comboBox2, ui->switch_comboBox3,
          ui->switch_comboBox4, ui->switch_comboBox5, ui->switch_comboBox6})
        box->addItems(events);
    const QStringList channels = Protocol::rangTxtArray(1, 16);
    for (QComboBox* box :
         {ui->switch_cc_comboBox_chl, ui->switch_pc_comboBox_chl, ui->switch_note_comboBox_chl})
        box->addItems(channels);
}

// Trigger modes, then the second value on 127 and the first on 0.
void fillValuePage(const ValuePage& page)
{
    const QStringList values = Protocol::rangTxtArray(0, 127);
    page.mode->addItems(SwitchModes::triggerModes());
    page.second->addItems(values);
    page.second->setCurrentIndex(127);
    page.first->addItems(values);
    page.first->setCurrentIndex(0);
}

// Shows the second value only for the modes that send it.
void applyMode(const ValuePage& page, const QString& mode)
{
    switch (SwitchModes::secondValueFor(mode)) {
    case SwitchModes::SecondValue::Hidden:
        page.second->hide();
        page.secondLabel->setText(QString());
        break;
    case SwitchModes::SecondValue::Shown:
        page.second->show();
        page.secondLabel->setText(Widget::tr("Max"));
        break;
    case SwitchModes::SecondValue::Unknown:
        qCDebug(lcEditor).noquote() << "Unknown option: " + mode;
        break;
    }
}

} // namespace

// --- Filling ---

void Widget::switch_status_init()
{
    fillEventLists(ui, false);
}

void Widget::switch_status_connect()
{
    for (QComboBox* box :
         {ui->switch_comboBox0, ui->switch_comboBox1, ui->switch_comboBox2, ui->switch_comboBox3,
          ui->switch_comboBox4, ui->switch_comboBox5, ui->switch_comboBox6})
        connect(box, &QComboBox::currentTextChanged, this, &Widget::Changed_stack_switch);
}

void Widget::setupComboBoxes_switch()
{
    for (QComboBox* box :
         {ui->switch_comboBox0, ui->switch_comboBox1, ui->switch_comboBox2, ui->switch_comboBox3,
          ui->switch_comboBox4, ui->switch_comboBox5, ui->switch_comboBox6})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &Widget::syncComboBoxIndexes_switch);
}

void Widget::switch_init_CC()
{
    fillValuePage(ccPage(ui));
    populateComboBox(ui->switch_cc_comboBox_ctl);
}

void Widget::switch_init_PC()
{
    fillValuePage(pcPage(ui));
}

void Widget::switch_init_Note()
{
    fillValuePage(notePage(ui));
    populateNoteComboBox(ui->switch_note_comboBox_nno, MidiNames::ConventionC4);
}

void Widget::switch_init_other()
{
    const QStringList singleOrToggle = {QStringLiteral("Single"), QStringLiteral("Toggle")};
    const QStringList singleOnly = {QStringLiteral("Single")};
    ui->switch_stop_comboBox_mode->addItems(singleOrToggle);
    ui->switch_ctu_comboBox_mode->addItems(singleOnly);
    ui->switch_start_comboBox_mode->addItems(singleOrToggle);
    ui->switch_tempo_comboBox_mode->addItems(singleOnly);
}

void Widget::setupComboBoxes_modeswitch_()
{
    for (QComboBox* box :
         {ui->switch_cc_comboBox_mode, ui->switch_note_comboBox_mode, ui->switch_pc_comboBox_mode,
          ui->switch_start_comboBox_mode, ui->switch_tempo_comboBox_mode, ui->switch_stop_comboBox_mode,
          ui->switch_ctu_comboBox_mode})
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &Widget::syncComboBoxIndexes_modeswitch);
}

// --- Rebuilding the event lists on connect and disconnect ---

void Widget::switch_clearstatus()
{
    for (QComboBox* box :
         {ui->switch_comboBox0, ui->switch_comboBox1, ui->switch_comboBox2, ui->switch_comboBox3,
          ui->switch_comboBox4, ui->switch_comboBox5, ui->switch_comboBox6, ui->switch_cc_comboBox_chl,
          ui->switch_pc_comboBox_chl, ui->switch_note_comboBox_chl})
        box->clear();
}

void Widget::switch_status()
{
    fillEventLists(ui, true);
}

void Widget::switch_status_kx1()
{
    switch_status_init();
}

// --- Trigger modes ---

bool Widget::supportsLongPress() const
{
    return SwitchModes::offersLongPress(deviceModel);
}

void Widget::setDeviceModel(const QString& model)
{
    deviceModel = model;
    refreshSwitchLongPressAvailability();
}

void Widget::refreshSwitchLongPressAvailability()
{
    const bool offered = supportsLongPress();
    for (QComboBox* box :
         {ui->switch_cc_comboBox_mode, ui->switch_note_comboBox_mode, ui->switch_pc_comboBox_mode})
        SwitchModes::setLongPressOffered(box, offered);
    // The mode handlers did not run while the lists changed.
    refreshSwitchModeUi();
}

void Widget::refreshSwitchModeUi()
{
    on_switch_cc_comboBox_mode_currentIndexChanged(ui->switch_cc_comboBox_mode->currentText());
    on_switch_note_comboBox_mode_currentIndexChanged(ui->switch_note_comboBox_mode->currentText());
    on_switch_pc_comboBox_mode_currentIndexChanged(ui->switch_pc_comboBox_mode->currentText());
}

void Widget::on_switch_cc_comboBox_mode_currentIndexChanged(const QString& text)
{
    applyMode(ccPage(ui), text);
}

void Widget::on_switch_note_comboBox_mode_currentIndexChanged(const QString& text)
{
    applyMode(notePage(ui), text);
}

void Widget::on_switch_pc_comboBox_mode_currentIndexChanged(const QString& text)
{
    applyMode(pcPage(ui), text);
}

// --- First and second value ---
//
// Only checked while the mode sends both values. A refused choice is put back
// without blocking signals, so the handler runs once more for the restored index.

namespace {

void checkFirstValue(QWidget* parent, const ValuePage& page, int n, int& previousValMinIndex,
                     const QString& title)
{
    if (!SwitchModes::usesBothValues(page.mode->currentIndex()))
        return;
    const int second = page.second->count() == 0 ? 0 : page.second->currentIndex();
    if (second >= n) {
        previousValMinIndex = 0;
        return;
    }
    QMessageBox::warning(parent, title,
                         Widget::tr("The minimum value cannot be greater than the maximum value!"));
    page.first->setCurrentIndex(previousValMinIndex);
}

void checkSecondValue(QWidget* parent, const ValuePage& page, int n, int& previousValMaxIndex,
                      const QString& title)
{
    if (!SwitchModes::usesBothValues(page.mode->currentIndex()))
        return;
    if (n >= page.first->currentIndex()) {
        previousValMaxIndex = n;
        return;
    }
    QMessageBox::warning(parent, title, Widget::tr("当前值不能小于最小值！"));
    // The remembered maximum may come from the 14-bit Pitch Bend list; kept as it is,
    // it would leave this 7-bit list with nothing selected.
    page.second->setCurrentIndex(qBound(0, previousValMaxIndex, page.second->count() - 1));
}

} // namespace

void Widget::on_switch_cc_comboBox_valmin_currentIndexChanged(int index)
{
    checkFirstValue(this, ccPage(ui), index, previousValMinIndex, tr("Invalid selection13"));
}

void Widget::on_switch_cc_comboBox_valmax_currentIndexChanged(int index)
{
    checkSecondValue(this, ccPage(ui), index, previousValMaxIndex, tr("Invalid selection14"));
}

void Widget::on_switch_note_comboBox_valmin_currentIndexChanged(int index)
{
    checkFirstValue(this, notePage(ui), index, previousValMinIndex, tr("Invalid selection15"));
}

void Widget::on_switch_note_comboBox_valmax_currentIndexChanged(int index)
{
    checkSecondValue(this, notePage(ui), index, previousValMaxIndex, tr("Invalid selection16"));
}

void Widget::on_switch_pc_comboBox_valmin_currentIndexChanged(int index)
{
    checkFirstValue(this, pcPage(ui), index, previousValMinIndex, tr("Invalid selection17"));
}

void Widget::on_switch_pc_comboBox_valmax_currentIndexChanged(int index)
{
    checkSecondValue(this, pcPage(ui), index, previousValMaxIndex, tr("Invalid selection18"));
}
