// The application's own settings file, config.ini: note naming and controller
// names (members of Widget). The file itself is opened while the menus are built.
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "editor/midi_names.h"

#include <QAction>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString noteNameKey = QStringLiteral("selectedMIDIName");
const QString ccNamesKey = QStringLiteral("showCCNameEnabled");
const QString defaultNoteName = QStringLiteral("C4");
constexpr bool defaultCCNames = true;

} // namespace

void Widget::triggerCurrentMidiNoteAction()
{
    if (!settings) {
        qCWarning(lcStorage) << "Settings pointer is null!";
        return;
    }

    if (!QFileInfo::exists(settings->fileName())) {
        qCDebug(lcStorage) << "Config file does not exist. Creating default config.ini at:"
                           << settings->fileName();
        settings->setValue(noteNameKey, defaultNoteName);
        settings->setValue(ccNamesKey, defaultCCNames);
        settings->sync();
    }

    const QString noteName = settings->value(noteNameKey, defaultNoteName).toString();
    const bool ccNames = settings->value(ccNamesKey, defaultCCNames).toBool();

    const int switchNote = ui->switch_note_comboBox_nno->currentIndex();
    const int expressionNote = ui->expression_note_comboBox_ctl->currentIndex();

    // setChecked does not emit triggered, so the file is not written back here.
    // A name the program does not know checks nothing and keeps the start-up lists.
    const struct {
        const char* name;
        QAction* action;
        int convention;
    } conventions[] = {
        {"C3", actionNoteC3, MidiNames::ConventionC3},
        {"C4", actionNoteC4, MidiNames::ConventionC4},
        {"C5", actionNoteC5, MidiNames::ConventionC5},
    };
    for (const auto& convention : conventions) {
        if (noteName == QLatin1String(convention.name)) {
            convention.action->setChecked(true);
            applyNoteNamingConvention(convention.convention);
        }
    }

    ui->switch_note_comboBox_nno->setCurrentIndex(switchNote);
    ui->expression_note_comboBox_ctl->setCurrentIndex(expressionNote);

    // The hi-hat controller list keeps its names until the first display change.
    fillControllerList(ui->expression_cc_comboBox_ctl, ccNames);
    fillControllerList(ui->switch_cc_comboBox_ctl, ccNames);
}

void Widget::onMidiNoteGroupTriggered(QAction* action)
{
    if (!action) {
        qCWarning(lcStorage) << "Note naming: triggered without an action";
        return;
    }
    if (!settings)
        return;
    settings->setValue(noteNameKey, action->text());
    settings->sync();
}

void Widget::onShowCCNameTriggered(bool checked)
{
    applyControllerNames(checked);
    if (!settings)
        return;
    settings->setValue(ccNamesKey, checked);
    settings->sync();
}
