#include "monitor/live_decoder.h"

#include "editor/midi_names.h"

namespace LiveDecoder {

namespace {

QString pair(int number, const QString& name)
{
    return QStringLiteral("%1/%2").arg(number).arg(name);
}

QString realtimeName(int status)
{
    switch (status) {
    case 0xF8:
        return QStringLiteral("Tempo");
    case 0xFA:
        return QStringLiteral("Start");
    case 0xFB:
        return QStringLiteral("Continue");
    case 0xFC:
        return QStringLiteral("Stop");
    default:
        return QString();
    }
}

} // namespace

QString placeholder()
{
    return QStringLiteral("--");
}

Decoded decode(const QByteArray& frame, int noteConvention, bool withControllerNames)
{
    Decoded d;
    d.event = d.number = d.value = d.channel = d.data1Text = placeholder();
    if (frame.isEmpty())
        return d;

    d.empty = false;
    d.messageNumber = quint8(frame.at(0)) >> 4;
    d.status = frame.size() > 1 ? quint8(frame.at(1)) : 0;
    d.data1 = frame.size() > 2 ? quint8(frame.at(2)) : 0;
    d.data2 = frame.size() > 3 ? quint8(frame.at(3)) : 0;

    const QString realtime = realtimeName(d.status);
    if (!realtime.isEmpty()) {
        d.realtime = true;
        d.event = realtime;
        return d;
    }

    const QString unknown = QStringLiteral("Unknown");
    switch (d.status & 0xF0) {
    case 0x80:
        d.event = QStringLiteral("Note Off");
        d.number = pair(d.data1, MidiNames::noteName(d.data1, noteConvention));
        d.value = QString::number(d.data2);
        break;
    case 0x90:
        d.event = QStringLiteral("Note On");
        d.number = pair(d.data1, MidiNames::noteName(d.data1, noteConvention));
        d.value = QString::number(d.data2);
        break;
    case 0xB0:
        d.event = QStringLiteral("CC");
        d.number = withControllerNames ? pair(d.data1, MidiNames::controllerName(d.data1)) : QString::number(d.data1);
        d.value = QString::number(d.data2);
        break;
    case 0xC0:
        d.event = QStringLiteral("PC");
        d.number = QString::number(d.data1);
        break;
    case 0xD0:
        d.event = QStringLiteral("CH");
        d.value = QString::number(d.data1);
        break;
    case 0xE0:
        d.event = QStringLiteral("Pitch Bend");
        d.value = QString::number(d.data1 + 128 * d.data2);
        break;
    default: // 0xAn (polyphonic pressure), data bytes as status, system bytes
        d.event = unknown;
        break;
    }
    d.channel = QString::number((d.status & 0x0F) + 1);
    if (frame.size() >= 3)
        d.data1Text = QString::number(d.data1);
    return d;
}

bool passesMessageFilter(int pedalType, bool filterChecked, int messageNumber, int selectedMessage)
{
    const bool knownPage = pedalType == ExpressionPedal || pedalType == SwitchPedal || pedalType == HiHatPedal;
    if (filterChecked || !knownPage)
        return messageNumber == selectedMessage;
    return true;
}

int numberOf(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? n : 0;
}

Route route(const Decoded& frame, const RouteContext& context, int& ignoreCounter)
{
    Route r;
    const bool isNote = frame.event.contains(QLatin1String("Note"));
    switch (context.pedalType) {
    case ExpressionPedal:
        if (context.triggerLevelOff) {
            r.view = PedalView::Expression;
        } else if (context.expressionIsNote) {
            if (ignoreCounter > 0) {
                --ignoreCounter;
            } else if (numberOf(frame.value) == context.triggerLevelIndex) {
                r.view = PedalView::Expression;
                r.listed = false;
                ignoreCounter = 2;
            } else {
                r.view = PedalView::Expression;
            }
        } else if (!isNote) {
            r.view = PedalView::Expression;
        }
        break;
    case SwitchPedal:
        r.view = PedalView::Switch;
        break;
    case HiHatPedal:
        if (!(context.hatIsControlChange && isNote))
            r.view = PedalView::HiHat;
        break;
    default:
        break;
    }
    return r;
}

bool enqueueBounded(QList<QByteArray>& queue, const QByteArray& frame, int capacity, QByteArray* dropped)
{
    bool overflow = false;
    while (queue.size() >= capacity && !queue.isEmpty()) {
        const QByteArray oldest = queue.takeFirst();
        if (dropped)
            *dropped = oldest;
        overflow = true;
    }
    queue.append(frame);
    return overflow;
}

} // namespace LiveDecoder
