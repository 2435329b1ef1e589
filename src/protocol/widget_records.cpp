// The record exchange with the controller (members of Widget): the buttons that query,
// set and delete message slots, the record built from the editor and loaded back into
// it, and the boxes that answer set and delete results.
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "app/vendor_site.h"
#include "curve/mycustomplot.h"
#include "device/serialport.h"
#include "protocol/frames.h"
#include "protocol/record_codec.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>

using Protocol::MsgSetPandelAsk;

// --- Control lookup ---

QComboBox* Widget::getselectComboBox(int type, int mode, int field)
{
    if (selectComboBoxes.isEmpty()) {
        // Type (1 expression, 2 switch, 3 hi-hat), event position in the page's event
        // selector (0: shared by all events), field (1 gain or trigger mode, 2 channel,
        // 3 controller or note, 4 minimum, 5 maximum; the trigger group 1..3 is level,
        // press note, release note).
        const struct {
            int type, mode, field;
            QComboBox* box;
        } table[] = {
            {1, 0, 1, ui->expression_trigger_level},
            {1, 0, 2, ui->expression_press_note},
            {1, 0, 3, ui->expression_release_note},
            {1, 1, 1, ui->expression_cc_comboBox_gain},
            {1, 1, 2, ui->expression_cc_comboBox_chl},
            {1, 1, 3, ui->expression_cc_comboBox_ctl},
            {1, 1, 4, ui->expression_cc_comboBox_valmin},
            {1, 1, 5, ui->expression_cc_comboBox_valmax},
            {1, 2, 1, ui->expression_note_comboBox_gain},
            {1, 2, 2, ui->expression_note_comboBox_chl},
            {1, 2, 3, ui->expression_note_comboBox_ctl},
            {1, 2, 4, ui->expression_note_comboBox_valmin},
            {1, 2, 5, ui->expression_note_comboBox_valmax},
            {1, 3, 1, ui->expression_pitch_comboBox_gain},
            {1, 3, 2, ui->expression_pitch_comboBox_chl},
            {1, 3, 4, ui->expression_pitch_comboBox_valmin},
            {1, 3, 5, ui->expression_pitch_comboBox_valmax},
            {1, 4, 1, ui->expression_ch_comboBox_gain},
            {1, 4, 2, ui->expression_ch_comboBox_chl},
            {1, 4, 3, ui->expression_ch_comboBox_val1},
            {1, 4, 4, ui->expression_ch_comboBox_val2},
            {2, 0, 1, ui->switch_status},
            {2, 0, 2, ui->switch_mode},
            {2, 1, 1, ui->switch_cc_comboBox_mode},
            {2, 1, 2, ui->switch_cc_comboBox_chl},
            {2, 1, 3, ui->switch_cc_comboBox_ctl},
            {2, 1, 4, ui->switch_cc_comboBox_valmin},
            {2, 1, 5, ui->switch_cc_comboBox_valmax},
            {2, 2, 1, ui->switch_pc_comboBox_mode},
            {2, 2, 2, ui->switch_pc_comboBox_chl},
            {2, 2, 4, ui->switch_pc_comboBox_valmin},
            {2, 2, 5, ui->switch_pc_comboBox_valmax},
            {2, 3, 1, ui->switch_note_comboBox_mode},
            {2, 3, 2, ui->switch_note_comboBox_chl},
            {2, 3, 3, ui->switch_note_comboBox_nno},
            {2, 3, 4, ui->switch_note_comboBox_valmin},
            {2, 3, 5, ui->switch_note_comboBox_valmax},
            {2, 4, 1, ui->switch_stop_comboBox_mode},
            {2, 5, 1, ui->switch_ctu_comboBox_mode},
            {2, 6, 1, ui->switch_start_comboBox_mode},
            {3, 0, 1, ui->hat_trigger_level},
            {3, 0, 2, ui->hat_press_note},
            {3, 0, 3, ui->hat_release_note},
            {3, 1, 1, ui->hat_cc_comboBox_gain},
            {3, 1, 2, ui->hat_cc_comboBox_chl},
            {3, 1, 3, ui->hat_cc_comboBox_ctl},
            {3, 1, 4, ui->hat_cc_comboBox_valmin},
            {3, 1, 5, ui->hat_cc_comboBox_valmax},
            {3, 2, 1, ui->hat_note_comboBox_gain},
            {3, 2, 2, ui->hat_note_comboBox_chl},
            {3, 2, 3, ui->hat_note_comboBox_ctl},
            {3, 2, 4, ui->hat_note_comboBox_valmin},
            {3, 2, 5, ui->hat_note_comboBox_valmax},
        };
        for (const auto& entry : table)
            selectComboBoxes.insert(
                QStringLiteral("%1_%2_%3").arg(entry.type).arg(entry.mode).arg(entry.field), entry.box);
    }
    return selectComboBoxes.value(QStringLiteral("%1_%2_%3").arg(type).arg(mode).arg(field));
}

int Widget::getComboBoxModeIndex(int type)
{
    switch (type) {
    case 1:
        return ui->expression_comboBox0->currentIndex() + 1;
    case 2:
        return ui->switch_comboBox0->currentIndex() + 1;
    case 3:
        return ui->hat_comboBox0->currentIndex() + 1;
    default:
        return -1;
    }
}

void Widget::setComboBoxIndex(QComboBox* box, int index)
{
    if (box)
        box->setCurrentIndex(index);
}

// --- Building a record from the editor ---

MsgSetPandelAsk Widget::getUiValue()
{
    RecordCodec::EditorValues v;
    v.pedal = ui->Pedal_Number->currentIndex();
    v.fourthPedal = ui->Pedal_Number->currentText() == QLatin1String("4");
    v.message = ui->Message_Number->currentIndex();
    v.reach = expressionPlot ? expressionPlot->reachPercent : 0;

    static const int pageTypes[] = {Protocol::ExpressionPedal, Protocol::SwitchPedal, Protocol::HiHatPedal};
    const int page = ui->pedal_type_stack->currentIndex();
    v.pageType = page >= 0 && page < 3 ? pageTypes[page] : 0;
    const QString typeText = ui->pendal_type_comboBox0->currentText();
    if (typeText == QLatin1String("Expression"))
        v.selectorType = Protocol::ExpressionPedal;
    else if (typeText == QLatin1String("Switch"))
        v.selectorType = Protocol::SwitchPedal;
    else if (typeText == QLatin1String("Hi-Hat"))
        v.selectorType = Protocol::HiHatPedal;
    else
        v.selectorType = 0;

    // Expression page: the controls of the event page shown.
    RecordCodec::ExpressionValues& ex = v.expression;
    ex.page = ui->expression_stackedWidget->currentIndex();
    ex.eventCode = eventCodeByName.value(ui->expression_comboBox0->currentText(), 0);
    const QList<QComboBox*> exChannels = {ui->expression_cc_comboBox_chl, ui->expression_note_comboBox_chl,
                                          ui->expression_pitch_comboBox_chl, ui->expression_ch_comboBox_chl};
    const int exChannel = ui->expression_comboBox2->currentIndex();
    ex.channel =
        exChannel >= 0 && exChannel < exChannels.size() ? exChannels.at(exChannel)->currentIndex() : 0;
    struct ExpressionPage {
        QComboBox *number, *first, *second, *gain, *curve;
    };
    const ExpressionPage exPages[] = {
        {ui->expression_cc_comboBox_ctl, ui->expression_cc_comboBox_valmin, ui->expression_cc_comboBox_valmax,
         ui->expression_cc_comboBox_gain, ui->expression_cc_comboBox_ql},
        {ui->expression_note_comboBox_ctl, ui->expression_note_comboBox_valmin,
         ui->expression_note_comboBox_valmax, ui->expression_note_comboBox_gain,
         ui->expression_note_comboBox_ql},
        {nullptr, ui->expression_pitch_comboBox_valmin, ui->expression_pitch_comboBox_valmax,
         ui->expression_pitch_comboBox_gain, ui->expression_pitch_comboBox_ql},
        {nullptr, ui->expression_ch_comboBox_val1, ui->expression_ch_comboBox_val2,
         ui->expression_ch_comboBox_gain, ui->expression_ch_comboBox_ql},
    };
    if (ex.page >= 0 && ex.page < 4) {
        const ExpressionPage& p = exPages[ex.page];
        ex.number = p.number ? p.number->currentIndex() : 0;
        ex.first = p.first->currentIndex();
        ex.second = p.second->currentIndex();
        ex.gain = p.gain->currentIndex();
        ex.curve = p.curve->currentIndex();
    }
    ex.invert = ui->ex_Evert_checkBox->isChecked();
    ex.triggerLevel = ui->expression_trigger_level->currentIndex();
    ex.pressNote = ui->expression_press_note->currentIndex();
    ex.releaseNote = ui->expression_release_note->currentIndex();

    // Switch page.
    RecordCodec::SwitchValues& sw = v.switchPedal;
    sw.page = ui->switch_stackedWidget->currentIndex();
    sw.eventCode = eventCodeByName.value(ui->switch_comboBox0->currentText(), 0);
    const QList<QComboBox*> swChannels = {ui->switch_cc_comboBox_chl, ui->switch_pc_comboBox_chl,
                                          ui->switch_note_comboBox_chl};
    const int swChannel = ui->switch_comboBox2->currentIndex();
    sw.channel =
        swChannel >= 0 && swChannel < swChannels.size() ? swChannels.at(swChannel)->currentIndex() : 0;
    const QList<QComboBox*> modes = {ui->switch_cc_comboBox_mode,   ui->switch_note_comboBox_mode,
                                     ui->switch_pc_comboBox_mode,   ui->switch_stop_comboBox_mode,
                                     ui->switch_ctu_comboBox_mode,  ui->switch_start_comboBox_mode,
                                     ui->switch_tempo_comboBox_mode};
    QComboBox* modeBox = sw.page >= 0 && sw.page < modes.size() ? modes.at(sw.page) : nullptr;
    sw.mode = modeBox ? modeBox->currentIndex() : 0;
    sw.modeIsLongPress = modeBox && modeBox->currentText() == QLatin1String("LongPress");
    sw.longPressModel = supportsLongPress();
    switch (sw.page) {
    case RecordCodec::SwitchCc:
        sw.number = ui->switch_cc_comboBox_ctl->currentIndex();
        sw.first = ui->switch_cc_comboBox_valmin->currentIndex();
        sw.second = ui->switch_cc_comboBox_valmax->currentIndex();
        break;
    case RecordCodec::SwitchNote:
        sw.number = ui->switch_note_comboBox_nno->currentIndex();
        sw.first = ui->switch_note_comboBox_valmin->currentIndex();
        sw.second = ui->switch_note_comboBox_valmax->currentIndex();
        break;
    case RecordCodec::SwitchPc:
        sw.first = ui->switch_pc_comboBox_valmin->currentIndex();
        sw.second = ui->switch_pc_comboBox_valmax->currentIndex();
        break;
    default:
        break;
    }
    sw.invert = ui->sw_Evert_checkBox->isChecked();
    sw.tempoSelected = ui->switch_comboBox6->currentText() == QLatin1String("Tempo");

    // Hi-hat page.
    RecordCodec::HatValues& hat = v.hat;
    hat.page = ui->hat_comboBox1->currentIndex();
    hat.eventCode = eventCodeByName.value(ui->hat_comboBox0->currentText(), 0);
    const int hatChannel = ui->hat_comboBox0->currentIndex();
    if (hatChannel == 0)
        hat.channel = ui->hat_cc_comboBox_chl->currentIndex();
    else if (hatChannel == 1)
        hat.channel = ui->hat_note_comboBox_chl->currentIndex();
    if (hat.page == RecordCodec::HatCc) {
        hat.number = ui->hat_cc_comboBox_ctl->currentIndex();
        hat.first = ui->hat_cc_comboBox_valmin->currentIndex();
        hat.second = ui->hat_cc_comboBox_valmax->currentIndex();
        hat.gain = ui->hat_cc_comboBox_gain->currentIndex();
        hat.curve = ui->hat_cc_comboBox_ql->currentIndex();
    } else if (hat.page == RecordCodec::HatNote) {
        hat.number = ui->hat_note_comboBox_ctl->currentIndex();
        hat.first = ui->hat_note_comboBox_valmin->currentIndex();
        hat.second = ui->hat_note_comboBox_valmax->currentIndex();
        hat.gain = ui->hat_note_comboBox_gain->currentIndex();
        hat.curve = ui->hat_note_comboBox_ql->currentIndex();
    }
    hat.invert = ui->ht_Evert_checkBox->isChecked();
    hat.triggerLevel = ui->hat_trigger_level->currentIndex();
    hat.pressNote = ui->hat_press_note->currentIndex();
    hat.releaseNote = ui->hat_release_note->currentIndex();

    return RecordCodec::buildRecord(v);
}

// --- Loading a record into the editor ---

namespace {

// Runs the steps of a range read back in their order; every index change fires the
// page's handlers as a pick by hand would.
void applyRange(QComboBox* minimum, QComboBox* maximum, QCheckBox* invert,
                const RecordCodec::RangeSteps& steps)
{
    for (const RecordCodec::RangeStep& step : steps) {
        switch (step.target) {
        case RecordCodec::RangeStep::Minimum:
            if (minimum)
                minimum->setCurrentIndex(step.value);
            break;
        case RecordCodec::RangeStep::Maximum:
            if (maximum)
                maximum->setCurrentIndex(step.value);
            break;
        case RecordCodec::RangeStep::Invert:
            invert->setChecked(step.value != 0);
            break;
        }
    }
}

} // namespace

void Widget::setUiData(MsgSetPandelAsk* record)
{
    if (!record)
        return;
    const MsgSetPandelAsk& r = *record;
    const int eventCode = r[MsgSetPandelAsk::Event];
    // A code past the nine known events names no page; loading the rest onto whatever
    // page is shown would put values where they do not belong, so the reply is dropped.
    if (!RecordCodec::knownEvent(eventCode)) {
        qCCritical(lcProtocol).noquote()
            << "query reply with unknown event code" << eventCode << "ignored:" << r.toByteArray().toHex(' ');
        return;
    }

    ui->Pedal_Number->setCurrentIndex(r[MsgSetPandelAsk::Pedal]);
    ui->Message_Number->setCurrentIndex(r[MsgSetPandelAsk::Message]);

    const int type = r[MsgSetPandelAsk::PedalType];
    if (type == Protocol::ExpressionPedal)
        initPedalView_ex();
    else if (type == Protocol::SwitchPedal)
        initPedalView_sw();
    else if (type == Protocol::HiHatPedal)
        initPedalView_ht();

    ui->Pedal_Type->setCurrentIndex(type - 1);
    ui->MIDI_Channel->setCurrentIndex(r[MsgSetPandelAsk::Channel]);
    ui->pendal_type_comboBox0->setCurrentIndex(type - 1); // switches the page

    const QString name = eventNames.value(eventCode);
    const QString typeText = ui->Pedal_Type->currentText();

    if (typeText == QLatin1String("Expression")) {
        ui->expression_comboBox0->setCurrentText(name); // switches the event page
        const int mode = getComboBoxModeIndex(1);
        setComboBoxIndex(getselectComboBox(1, mode, 1), r[MsgSetPandelAsk::Gain]);
        const QList<QComboBox*> curves = {ui->expression_cc_comboBox_ql, ui->expression_note_comboBox_ql,
                                          ui->expression_pitch_comboBox_ql, ui->expression_ch_comboBox_ql};
        setComboBoxIndex(curves.value(ui->expression_comboBox0->currentIndex()), r[MsgSetPandelAsk::Curve]);
        setComboBoxIndex(getselectComboBox(1, mode, 2), r[MsgSetPandelAsk::Channel]);
        setComboBoxIndex(getselectComboBox(1, mode, 3), r[MsgSetPandelAsk::Data1]);
        const int page = mode - 1;
        if (page == RecordCodec::ExpressionPressure)
            applyRange(getselectComboBox(1, mode, 3), getselectComboBox(1, mode, 4), ui->ex_Evert_checkBox,
                       RecordCodec::expressionRange(r, page));
        else
            applyRange(getselectComboBox(1, mode, 4), getselectComboBox(1, mode, 5), ui->ex_Evert_checkBox,
                       RecordCodec::expressionRange(r, page));
        ui->expression_trigger_level->setCurrentIndex(
            RecordCodec::expressionTriggerLevel(r, page == RecordCodec::ExpressionPitchBend));
        ui->expression_press_note->setCurrentIndex(r[MsgSetPandelAsk::PressNote]);
        ui->expression_release_note->setCurrentIndex(r[MsgSetPandelAsk::ReleaseNote]);
    } else if (typeText == QLatin1String("Switch")) {
        ui->switch_comboBox0->setCurrentText(name); // switches the event page
        ui->comboBox_SPS_status->setCurrentText(name);
        const int mode = getComboBoxModeIndex(2); // 1 CC, 2 PC, 3 NOTE, 4 Stop, 5 Continue, 6 Start, 7 Tempo
        setComboBoxIndex(getselectComboBox(2, mode, 1), r[MsgSetPandelAsk::Mode]);
        setComboBoxIndex(getselectComboBox(2, mode, 2), r[MsgSetPandelAsk::Channel]);
        if (mode == 1 || mode == 3)
            setComboBoxIndex(getselectComboBox(2, mode, 3), r[MsgSetPandelAsk::Data1]);
        applyRange(getselectComboBox(2, mode, 4), getselectComboBox(2, mode, 5), ui->sw_Evert_checkBox,
                   RecordCodec::switchRange(r, mode));
    } else if (typeText == QLatin1String("Hi-Hat")) {
        ui->hat_comboBox0->setCurrentText(name); // switches the event page
        const int mode = getComboBoxModeIndex(3);
        setComboBoxIndex(getselectComboBox(3, mode, 1), r[MsgSetPandelAsk::Gain]);
        setComboBoxIndex(getselectComboBox(3, mode, 2), r[MsgSetPandelAsk::Channel]);
        setComboBoxIndex(getselectComboBox(3, mode, 3), r[MsgSetPandelAsk::Data1]);
        applyRange(getselectComboBox(3, mode, 4), getselectComboBox(3, mode, 5), ui->ht_Evert_checkBox,
                   RecordCodec::hatRange(r));
        setComboBoxIndex(mode == 1 ? ui->hat_cc_comboBox_ql : ui->hat_note_comboBox_ql,
                         r[MsgSetPandelAsk::Curve]);
        ui->hat_trigger_level->setCurrentIndex(r[MsgSetPandelAsk::TriggerLow]);
        ui->hat_press_note->setCurrentIndex(r[MsgSetPandelAsk::PressNote]);
        ui->hat_release_note->setCurrentIndex(r[MsgSetPandelAsk::ReleaseNote]);
    }
}

// --- Replies ---

void Widget::handleSetResult(const QByteArray& frame)
{
    // An 8-byte result has F7 where the code would be: not a known code either.
    const int code = frame.size() > 7 ? quint8(frame.at(7)) : -1;
    switch (code) {
    case Protocol::SetStored:
        queueInformation(tr("Set pedal success!"));
        break;
    case Protocol::SetWrongPedalNumber:
        queueInformation(tr("The pedal number is wrong!"));
        break;
    case Protocol::SetWrongPedalType:
        queueInformation(tr("Wrong pedal type!"));
        break;
    case Protocol::SetTempoOnlyOnce:
        queueInformation(tr("Only one message configuration can be set in Tempo mode. "));
        break;
    default:
        QMetaObject::invokeMethod(this, &Widget::showLatestReleaseNotice, Qt::QueuedConnection);
        break;
    }
}

void Widget::handleDeleteResult()
{
    queueInformation(tr("Delete message success!"));
}

void Widget::handleQueryReply(const QByteArray& frame)
{
    MsgSetPandelAsk record = MsgSetPandelAsk::fromFrame(frame);
    setUiData(&record);
}

// Information boxes open after the receive path has returned, one per reply.
void Widget::queueInformation(const QString& text)
{
    QMetaObject::invokeMethod(
        this, [this, text] { QMessageBox::information(this, tr("Information"), text); },
        Qt::QueuedConnection);
}

void Widget::showLatestReleaseNotice()
{
    QMessageBox box;
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(tr("Information"));
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                Qt::LinksAccessibleByKeyboard);
    const QString site = VendorSite::host().toHtmlEscaped();
    box.setText(tr("This software is the latest release. Please ensure that your product is using the latest "
                   "firmware. Download the latest firmware from the official website: ")
                    .toHtmlEscaped() +
                QStringLiteral("<a href=\"%1\"><span style=\"color:#FFA500;\">%1</span></a>").arg(site));
    for (QLabel* label : box.findChildren<QLabel*>())
        label->setOpenExternalLinks(true);
    box.exec();
}

// --- Buttons ---

void Widget::on_checkButton_clicked()
{
    const int pedal = ui->Pedal_Number->currentIndex();
    const int message = ui->Message_Number->currentIndex();
    if (RecordCodec::wantsLongQuery(ui->comboBox_ComDevices->currentText(), pedal, serialPort->deviceCaps))
        serialPort->write(Protocol::queryLong(pedal, message, ui->pendal_type_comboBox0->currentIndex()));
    else
        serialPort->write(Protocol::queryShort(pedal, message));
}

void Widget::on_checkButton_2_clicked()
{
    serialPort->write(
        Protocol::queryShort(ui->Pedal_Number->currentIndex(), ui->Message_Number->currentIndex()));
}

void Widget::sendSetRequest()
{
    const MsgSetPandelAsk record = getUiValue();
    qCDebug(lcProtocol).noquote() << "set request" << record.toByteArray().toHex(' ');
    serialPort->write(record.toByteArray());
}

void Widget::on_setButton_6_clicked()
{
    sendSetRequest();
}

void Widget::on_setButton_9_clicked()
{
    sendSetRequest();
}

void Widget::on_setButton_7_clicked()
{
    const MsgSetPandelAsk record = getUiValue();
    qCDebug(lcProtocol) << "hi-hat set: type" << record[MsgSetPandelAsk::PedalType] << "event"
                        << record[MsgSetPandelAsk::Event] << "values" << record[MsgSetPandelAsk::Data3]
                        << record[MsgSetPandelAsk::Data4] << "trigger" << record[MsgSetPandelAsk::TriggerLow];
    serialPort->write(record.toByteArray());
}

void Widget::sendDeleteRequest()
{
    // A delete clears every message slot of the pedal; it names no message.
    serialPort->write(Protocol::deleteRequest(ui->Pedal_Number->currentIndex()));
}

void Widget::on_pushButton_clicked()
{
    sendDeleteRequest();
}

void Widget::on_pushButton_2_clicked()
{
    sendDeleteRequest();
}

void Widget::on_pushButton_3_clicked()
{
    sendDeleteRequest();
}

void Widget::on_deleteButton_clicked()
{
    sendDeleteRequest();
}
