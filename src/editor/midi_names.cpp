#include "editor/midi_names.h"

#include <QHash>
#include <QVector>

#include <array>

namespace MidiNames {

namespace {

bool isKnownConvention(int convention)
{
    return convention == ConventionC4 || convention == ConventionC3 || convention == ConventionC5;
}

// Octave number of note 0 in each convention.
int lowestOctave(int convention)
{
    switch (convention) {
    case ConventionC3:
        return -2;
    case ConventionC5:
        return 0;
    default:
        return -1;
    }
}

// The 128 names of one convention, built once; pitch classes are spelled with sharps.
const QVector<QString>& noteNameTable(int convention)
{
    static const std::array<QVector<QString>, 3> tables = [] {
        static const char* const pitchClasses[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                     "F#", "G",  "G#", "A",  "A#", "B"};
        std::array<QVector<QString>, 3> built;
        for (int convention = ConventionC4; convention <= ConventionC5; ++convention) {
            QVector<QString>& names = built[size_t(convention - 1)];
            names.reserve(128);
            for (int note = 0; note < 128; ++note)
                names << QLatin1String(pitchClasses[note % 12]) +
                             QString::number(note / 12 + lowestOctave(convention));
        }
        return built;
    }();
    return tables[size_t(convention - 1)];
}

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

QString noteName(int note, int convention)
{
    if (note < 0 || note > 127)
        return QStringLiteral("Invalid Note");
    if (!isKnownConvention(convention))
        return QString();
    return noteNameTable(convention).at(note);
}

QStringList noteEntries(int convention)
{
    QStringList entries;
    if (!isKnownConvention(convention))
        return entries;
    const QVector<QString>& names = noteNameTable(convention);
    entries.reserve(128);
    for (int note = 0; note < 128; ++note)
        entries << QStringLiteral("%1 / %2").arg(note).arg(names.at(note));
    return entries;
}

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

int controllerNumber(const QString& entry)
{
    const int end = entry.indexOf(QLatin1Char(')'));
    if (end < 0)
        return -1;
    bool ok = false;
    const int number = entry.left(end).trimmed().toInt(&ok, 10);
    return ok ? number : -1;
}

} // namespace MidiNames
