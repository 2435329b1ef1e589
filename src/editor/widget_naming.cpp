// Controller naming of the editor's lists (members of Widget).
#include "app/widget.h"

#include "editor/midi_names.h"
#include "protocol/frames.h"

#include <QComboBox>

void Widget::populateComboBox(QComboBox* box)
{
    box->addItems(MidiNames::controllerEntriesWithNames());
}

void Widget::fillControllerList(QComboBox* box, bool withNames)
{
    box->clear();
    if (withNames)
        populateComboBox(box);
    else
        box->addItems(Protocol::rangTxtArray(0, 127));
}
