// Live pedal data: the frame queue, decoding, the three "Pedal MIDI Data" tables and
// the hand-over to the pedal views (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "monitor/live_decoder.h"

#include <QEvent>
#include <QGraphicsView>
#include <QMetaObject>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTimer>

#include <algorithm>
#include <memory>

using LiveDecoder::Decoded;

void Widget::queuePedalFrame(const QByteArray& frame)
{
    QByteArray dropped;
    if (LiveDecoder::enqueueBounded(pedalFrameQueue, frame, LiveDecoder::maxQueuedFrames, &dropped))
        qCDebug(lcMonitor).noquote() << "live queue full, dropped" << dropped.toHex(' ').toUpper();
    if (pedalDrainScheduled)
        return;
    pedalDrainScheduled = true;
    QMetaObject::invokeMethod(this, &Widget::drainPedalFrames, Qt::QueuedConnection);
}

// One batch per pass of the event loop. Between batches the loop reads the port,
// repaints and takes the user's input, so a pedal played without pause never locks
// the window; frames that arrive meanwhile join the queue and this same drain.
void Widget::drainPedalFrames()
{
    // Painting is the dearest part of a frame: every row repaints the visible table
    // and every new angle the pedal picture. At line rate that would be hundreds of
    // times a second, so within one refresh interval of the last update the rows of
    // drained frames wait in pendingLiveRows and the pedal pictures take their new
    // angles without painting; the next update shows the latest state. A lone frame
    // is shown at once.
    const bool throttled = liveRowTimer && liveRowTimer->isActive();
    if (throttled)
        holdPedalViews(true);
    pedalDraining = true;
    for (int n = 0; n < LiveDecoder::drainBatch && !pedalFrameQueue.isEmpty(); ++n)
        processPedalUploadCmd(pedalFrameQueue.takeFirst());
    pedalDraining = false;
    if (!throttled)
        flushLiveRows();

    if (pedalFrameQueue.isEmpty())
        pedalDrainScheduled = false;
    else
        QMetaObject::invokeMethod(this, &Widget::drainPedalFrames, Qt::QueuedConnection);
}

void Widget::processPedalUploadCmd(const QByteArray& frame)
{
    qCDebug(lcMonitor).noquote() << "live frame" << frame.toHex(' ').toUpper();
    if (frame.isEmpty()) {
        qCDebug(lcMonitor) << "Frame size too small!";
        return;
    }

    const int pedalType = ui->pendal_type_comboBox0->currentIndex();
    const QCheckBox* filter = nullptr;
    switch (pedalType) {
    case LiveDecoder::ExpressionPedal:
        filter = ui->checkBox_ex;
        break;
    case LiveDecoder::SwitchPedal:
        filter = ui->checkBox_sw;
        break;
    case LiveDecoder::HiHatPedal:
        filter = ui->checkBox_ht;
        break;
    default:
        break;
    }

    const Decoded d = LiveDecoder::decode(frame, noteNamingConvention, showCCNames);
    if (!LiveDecoder::passesMessageFilter(pedalType, filter && filter->isChecked(), d.messageNumber,
                                          ui->Message_Number->currentIndex()))
        return;

    auto* event = new QStandardItem(d.event);
    auto* no = new QStandardItem(d.number);
    auto* value = new QStandardItem(d.value);
    auto* channel = new QStandardItem(d.channel);
    const std::unique_ptr<QStandardItem> data1(new QStandardItem(d.data1Text)); // carrier only

    if (d.realtime) {
        updateTableViews(event, no, value, channel);
        handleSpecialFormat(QStringList(), frame, data1.get());
        return;
    }

    LiveDecoder::RouteContext context;
    context.pedalType = pedalType;
    context.triggerLevelOff = ui->expression_trigger_level->currentText() == QLatin1String("OFF");
    context.triggerLevelIndex = ui->expression_trigger_level->currentIndex();
    context.expressionIsNote = ui->expression_comboBox0->currentIndex() == 1;
    context.hatIsControlChange = ui->hat_comboBox0->currentIndex() == 0;
    const LiveDecoder::Route route = LiveDecoder::route(d, context, pedalIgnoreCounter);

    switch (route.view) {
    case LiveDecoder::PedalView::Expression:
        handleExpressionMode(frame, value);
        break;
    case LiveDecoder::PedalView::Switch:
        handleSwitchMode(frame, no, value);
        break;
    case LiveDecoder::PedalView::HiHat:
        handleHiHatMode(frame, value);
        break;
    case LiveDecoder::PedalView::None:
        break;
    }

    if (route.listed) {
        updateTableViews(event, no, value, channel);
    } else {
        delete event;
        delete no;
        delete value;
        delete channel;
    }
    qCDebug(lcMonitor).noquote() << "live" << d.event << d.number << d.value << d.channel;
}

namespace {

const char* const scrollPending = "quillmarScrollPending";
constexpr int liveRowIntervalMs = 16; // about one display refresh

// A table on a hidden page is scrolled to its last row when its page is shown,
// instead of with every row that arrives while nobody can see it.
class ScrollWhenShown : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* view = qobject_cast<QAbstractItemView*>(watched);
            if (view && view->property(scrollPending).toBool()) {
                view->setProperty(scrollPending, false);
                view->scrollToBottom();
            }
        }
        return false;
    }
};

QList<QStandardItem*> makeRow(const QStringList& texts)
{
    QList<QStandardItem*> row;
    for (const QString& text : texts) {
        auto* item = new QStandardItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        row << item;
    }
    return row;
}

} // namespace

void Widget::updateTableViews(QStandardItem* event, QStandardItem* no, QStandardItem* value, QStandardItem* channel)
{
    QList<QStandardItem*> first = {event, no, value, channel};
    for (QStandardItem*& item : first) {
        if (!item)
            item = new QStandardItem(LiveDecoder::placeholder());
        item->setTextAlignment(Qt::AlignCenter);
    }

    if (pedalDraining) {
        // Listed when the drain flushes its rows; the texts are all a row needs.
        QStringList texts;
        for (QStandardItem* item : qAsConst(first))
            texts << item->text();
        qDeleteAll(first);
        pendingLiveRows.append(texts);
        if (pendingLiveRows.size() > LiveDecoder::maxTableRows)
            pendingLiveRows.removeFirst();
        return;
    }

    const QList<QStandardItemModel*> models = {exTableModel, swTableModel, htTableModel};
    for (int t = 0; t < models.size(); ++t) {
        QList<QStandardItem*> row;
        if (t == 0) {
            row = first;
        } else {
            for (const QStandardItem* item : qAsConst(first))
                row << item->clone();
        }
        QStandardItemModel* model = models.at(t);
        if (model->rowCount() >= LiveDecoder::maxTableRows) {
            trimmingLiveTables = true;
            model->removeRow(0);
            trimmingLiveTables = false;
        }
        model->appendRow(row);
    }
    scrollLiveTables();
}

void Widget::flushLiveRows()
{
    if (!liveRowTimer) {
        liveRowTimer = new QTimer(this);
        liveRowTimer->setSingleShot(true);
        liveRowTimer->setInterval(liveRowIntervalMs);
        connect(liveRowTimer, &QTimer::timeout, this, &Widget::flushLiveRows);
        // Whoever empties the tables (Clear, disconnecting) drops the rows still on
        // their way too, so nothing from before reappears.
        for (QStandardItemModel* model : {exTableModel, swTableModel, htTableModel}) {
            connect(model, &QAbstractItemModel::rowsRemoved, this, [this, model] {
                if (!trimmingLiveTables && model->rowCount() == 0)
                    pendingLiveRows.clear();
            });
        }
    }
    holdPedalViews(false);
    if (pendingLiveRows.isEmpty())
        return; // nothing waited: the next rows may come at once

    const QList<QStringList> rows = pendingLiveRows;
    pendingLiveRows.clear();
    for (QStandardItemModel* model : {exTableModel, swTableModel, htTableModel}) {
        const int excess = model->rowCount() + rows.size() - LiveDecoder::maxTableRows;
        if (excess > 0) {
            trimmingLiveTables = true;
            model->removeRows(0, std::min(excess, model->rowCount()));
            trimmingLiveTables = false;
        }
        for (const QStringList& texts : rows)
            model->appendRow(makeRow(texts));
    }
    scrollLiveTables();
    liveRowTimer->start(); // the next rows wait for the interval to pass
}

void Widget::holdPedalViews(bool hold)
{
    for (QGraphicsView* view : {exView, swView, htView}) {
        if (view && view->updatesEnabled() == hold)
            view->setUpdatesEnabled(!hold); // enabling repaints it
    }
}

void Widget::scrollLiveTables()
{
    const QList<QTableView*> views = {ui->tableView, ui->tableView_2, ui->tableView_3};
    if (!liveTableWatcher) {
        liveTableWatcher = new ScrollWhenShown(this);
        for (QTableView* view : views)
            view->installEventFilter(liveTableWatcher);
    }
    for (QTableView* view : views) {
        if (view->isVisible())
            view->scrollToBottom();
        else
            view->setProperty(scrollPending, true);
    }
}

void Widget::handleExpressionMode(const QByteArray& frame, QStandardItem* value)
{
    if (frame.isEmpty()) {
        qCWarning(lcMonitor) << "Frame is empty, skipping processing.";
        return;
    }
    if (ui->pendal_type_comboBox0->currentIndex() != LiveDecoder::ExpressionPedal)
        return;
    if ((quint8(frame.at(0)) >> 4) == ui->Message_Number->currentIndex())
        pedal_play_ex(value);
}

void Widget::handleSwitchMode(const QByteArray& frame, QStandardItem* no, QStandardItem* value)
{
    if (frame.isEmpty()) {
        qCWarning(lcMonitor) << "Frame is empty, skipping processing.";
        return;
    }
    // A program change shows its number, the other events their value.
    pedal_play_sw(ui->switch_comboBox0->currentIndex() == 1 ? no : value);
}

void Widget::handleHiHatMode(const QByteArray& frame, QStandardItem* value)
{
    if (frame.isEmpty()) {
        qCWarning(lcMonitor) << "Frame is empty, skipping processing.";
        return;
    }
    if ((quint8(frame.at(0)) >> 4) == ui->Message_Number->currentIndex())
        pedal_play_ht(value);
}

void Widget::handleSpecialFormat(const QStringList& parts, const QByteArray& frame, QStandardItem* item)
{
    Q_UNUSED(parts)
    if (frame.isEmpty()) {
        qCWarning(lcMonitor) << "Frame is empty, skipping processing.";
        return;
    }
    if (frame.size() < 4)
        return;
    // Start, Continue and Stop tap the switch picture on every page; the clock does not.
    const quint8 status = quint8(frame.at(1));
    if (status != 0xFA && status != 0xFB && status != 0xFC)
        return;
    if ((quint8(frame.at(0)) >> 4) == ui->Message_Number->currentIndex())
        pedal_play_sw(item);
}

void Widget::on_clearButton_clicked()
{
    pendingLiveRows.clear();
    clearLiveTables();
}

void Widget::on_clearButton_2_clicked()
{
    pendingLiveRows.clear();
    clearLiveTables();
}

void Widget::on_clearButton_3_clicked()
{
    pendingLiveRows.clear();
    clearLiveTables();
}
