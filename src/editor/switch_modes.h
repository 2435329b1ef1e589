#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// Rules of the switch pages that need no window: the event and trigger mode lists,
// what a trigger mode shows, and which models offer the long-press mode.
namespace SwitchModes {

// Event selector entries in list order (not page order); "Tempo" only for the
// models that send it.
QStringList eventEntries(bool withTempo);

// Trigger modes of the CC, NOTE and PC pages, in record code order, "LongPress" last.
QStringList triggerModes();
QString longPressText();

// What a trigger mode does to the page's second value control.
enum class SecondValue { Hidden, Shown, Unknown };
SecondValue secondValueFor(const QString& mode);

// Single and LongPress send the first value only, so the range rule leaves them alone.
bool usesBothValues(int modeIndex);

// The models that know the long-press mode, by the model line they report.
bool offersLongPress(const QString& model);

// Adds or removes the "LongPress" entry of a mode selector without notifying anyone;
// a selected "LongPress" that goes away falls back to "Single".
void setLongPressOffered(QComboBox* box, bool offered);

} // namespace SwitchModes
