#include "editor/switch_modes.h"

#include <QComboBox>
#include <QHash>

namespace SwitchModes {

QStringList eventEntries(bool withTempo)
{
    QStringList entries = {
        QStringLiteral("Continuous Controllers (CC)"),
        QStringLiteral("Program Change (PC)"),
        QStringLiteral("NOTE"),
        QStringLiteral("Stop"),
        QStringLiteral("Continue"),
        QStringLiteral("Start"),
    };
    if (withTempo)
        entries << QStringLiteral("Tempo");
    return entries;
}

QString longPressText()
{
    return QStringLiteral("LongPress");
}

QStringList triggerModes()
{
    return {QStringLiteral("Single"),   QStringLiteral("Toggle"),   QStringLiteral("Reset"),
            QStringLiteral("Increase"), QStringLiteral("Decrease"), longPressText()};
}

SecondValue secondValueFor(const QString& mode)
{
    // Exact, case-sensitive texts; anything else (an emptied list) is left alone.
    static const QHash<QString, SecondValue> table = {
        {QStringLiteral("Single"), SecondValue::Hidden},  {longPressText(), SecondValue::Hidden},
        {QStringLiteral("Toggle"), SecondValue::Shown},   {QStringLiteral("Reset"), SecondValue::Shown},
        {QStringLiteral("Increase"), SecondValue::Shown}, {QStringLiteral("Decrease"), SecondValue::Shown},
    };
    return table.value(mode, SecondValue::Unknown);
}

bool usesBothValues(int modeIndex)
{
    return modeIndex != 0 && modeIndex != 5;
}

bool offersLongPress(const QString& model)
{
    return model.contains(QLatin1String("KX-1")) || model.contains(QLatin1String("KX-3"));
}

void setLongPressOffered(QComboBox* box, bool offered)
{
    const int entry = box->findText(longPressText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    const bool wasBlocked = box->blockSignals(true);
    if (offered && entry < 0) {
        box->addItem(longPressText());
    } else if (!offered && entry >= 0) {
        if (box->currentIndex() == entry)
            box->setCurrentIndex(0);
        box->removeItem(entry);
    }
    box->blockSignals(wasBlocked);
}

} // namespace SwitchModes
