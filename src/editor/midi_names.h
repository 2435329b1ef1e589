#pragma once

#include <QString>
#include <QStringList>

// Names of MIDI controller numbers as the editor lists them.
namespace MidiNames {

// Table name of a controller number; "***" for unnamed numbers,
// "Invalid CC" outside 0..127.
QString controllerName(int controller);

// The 128 list entries "0) Bank MSB" ... "127) Poly On".
QStringList controllerEntriesWithNames();

} // namespace MidiNames
