// Note and controller naming of the editor's lists (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "editor/midi_names.h"
#include "protocol/frames.h"

#include <QComboBox>

#include <iterator>

QString Widget::getMidiNoteName(int note, int convention)
{
    return MidiNames::noteName(note, convention);
}

QString Widget::getMidiCCName(int controller)
{
    return MidiNames::controllerName(controller);
}

void Widget::populateNoteComboBox(QComboBox* box, int convention)
{
    box->clear();
    box->addItems(MidiNames::noteEntries(convention));
}

void Widget::populateComboBox(QComboBox* box)
{
    // Appends; callers that refill clear the list first.
    box->addItems(MidiNames::controllerEntriesWithNames());
}

int Widget::extractNumberFromString(const QString& text)
{
    return MidiNames::controllerNumber(text);
}

void Widget::fillControllerList(QComboBox* box, bool withNames)
{
    box->clear();
    if (withNames)
        populateComboBox(box);
    else
        box->addItems(Protocol::rangTxtArray(0, 127));
}

void Widget::applyNoteNamingConvention(int convention)
{
    // hat_note_comboBox_ctl is not among them: it keeps the names it got at start-up.
    QComboBox* const lists[] = {ui->switch_note_comboBox_nno, ui->expression_note_comboBox_ctl,
                                ui->expression_press_note,    ui->expression_release_note,
                                ui->hat_press_note,           ui->hat_release_note};
    int kept[std::size(lists)];
    for (size_t i = 0; i < std::size(lists); ++i)
        kept[i] = lists[i]->currentIndex();
    for (QComboBox* box : lists)
        populateNoteComboBox(box, convention);
    // The index is the note number, so the same note stays selected under its new name.
    for (size_t i = 0; i < std::size(lists); ++i)
        lists[i]->setCurrentIndex(kept[i]);
    noteNamingConvention = convention;
}

void Widget::applyControllerNames(bool withNames)
{
    QComboBox* const lists[] = {ui->expression_cc_comboBox_ctl, ui->switch_cc_comboBox_ctl,
                                ui->hat_cc_comboBox_ctl};
    int kept[std::size(lists)];
    for (size_t i = 0; i < std::size(lists); ++i)
        kept[i] = lists[i]->currentIndex();
    for (QComboBox* box : lists)
        box->clear();
    for (QComboBox* box : lists) {
        if (withNames)
            populateComboBox(box);
        else
            box->addItems(Protocol::rangTxtArray(0, 127));
    }
    // A list that was empty before had nothing selected, so nothing is restored.
    for (size_t i = 0; i < std::size(lists); ++i) {
        if (kept[i] >= 0 && kept[i] < lists[i]->count())
            lists[i]->setCurrentIndex(kept[i]);
    }
    showCCNames = withNames;
}
