#include "editor/midi_names.h"

#include <QHash>

namespace MidiNames {

namespace {

const QHash<int, QString>& namedControllers()
{
    static const QHash<int, QString> names = {
        {0, QStringLiteral("Bank MSB")},
        {1, QStringLiteral("Modulation")},
        {2, QStringLiteral("Breath")},
        {4, QStringLiteral("Foot Controller")},
        {5, QStringLiteral("Portamento Time")},
        {6, QStringLiteral("Data Entry MSB")},
        {7, QStringLiteral("Volume")},
        {8, QStringLiteral("Balance")},
        {10, QStringLiteral("PAN")},
        {11, QStringLiteral("Expression")},
        {32, QStringLiteral("Bank LSB")},
        {38, QStringLiteral("Data Entry LSB")},
        {64, QStringLiteral("Pedal (Sustain)")},
        {65, QStringLiteral("Portamento")},
        {66, QStringLiteral("Pedal-Sostenuto")},
        {67, QStringLiteral("Pedal-Soft")},
        {69, QStringLiteral("Hold 2")},
        {71, QStringLiteral("Harmonic Content")},
        {72, QStringLiteral("Release Time")},
        {73, QStringLiteral("Attack Time")},
        {74, QStringLiteral("Brightness")},
        {84, QStringLiteral("Portamento Ctrl")},
        {91, QStringLiteral("Reverb Depth")},
        {92, QStringLiteral("Tremolo Depth")},
        {93, QStringLiteral("Chorus Depth")},
        {94, QStringLiteral("Celeste Depth")},
        {95, QStringLiteral("Phaser Depth")},
        {96, QStringLiteral("Data Increment")},
        {97, QStringLiteral("Data Decrement")},
        {98, QStringLiteral("NRPN LSB")},
        {99, QStringLiteral("NRPN MSB")},
        {100, QStringLiteral("RPN LSB")},
        {101, QStringLiteral("RPN MSB")},
        {120, QStringLiteral("All Sound Off")},
        {121, QStringLiteral("Reset Cntrl")},
        {122, QStringLiteral("Local Cntrl")},
        {123, QStringLiteral("All Notes Off")},
        {124, QStringLiteral("Omni Off")},
        {125, QStringLiteral("Omni On")},
        {126, QStringLiteral("Mono On")},
        {127, QStringLiteral("Poly On")},
    };
    return names;
}

} // namespace

QString controllerName(int controller)
{
    if (controller < 0 || controller > 127)
        return QStringLiteral("Invalid CC");
    return namedControllers().value(controller, QStringLiteral("***"));
}

QStringList controllerEntriesWithNames()
{
    QStringList entries;
    entries.reserve(128);
    for (int n = 0; n < 128; ++n)
        entries << QStringLiteral("%1) %2").arg(n).arg(controllerName(n));
    return entries;
}

} // namespace MidiNames
