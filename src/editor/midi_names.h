#pragma once

#include <QString>
#include <QStringList>

// Names of MIDI note and controller numbers as the editor lists them.
namespace MidiNames {

// Which octave note 60 belongs to: 1 names it C4, 2 names it C3, 3 names it C5.
enum NoteConvention { ConventionC4 = 1, ConventionC3 = 2, ConventionC5 = 3 };

// Name of a note number, e.g. "C#4"; "Invalid Note" outside 0..127 (checked first),
// empty for a convention other than 1, 2 or 3.
QString noteName(int note, int convention);

// The 128 list entries "0 / C-1" ... "127 / G9" of a convention; empty for an
// unknown convention.
QStringList noteEntries(int convention);

// Table name of a controller number; "***" for unnamed numbers,
// "Invalid CC" outside 0..127.
QString controllerName(int controller);

// The 128 list entries "0) Bank MSB" ... "127) Poly On".
QStringList controllerEntriesWithNames();

// The number in front of the first ")" of a controller entry; -1 when there is
// no ")" or no number in front of it.
int controllerNumber(const QString& entry);

} // namespace MidiNames
