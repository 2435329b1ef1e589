// The pedal pictures beside the live tables: a fixed base and a moving pedal per
// pedal type, tilted by the values the live monitor hands over (members of Widget).
#include "app/widget.h"
#include "ui_widget.h"

#include "app/logging.h"
#include "monitor/live_decoder.h"
#include "monitor/mypixmapitem.h"
#include "monitor/pedal_angles.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsRotation>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPropertyAnimation>
#include <QResizeEvent>
#include <QStandardItem>
#include <QTimer>
#include <QVBoxLayout>
#include <QVector3D>

namespace {

const QSize baseBox(328, 130);
const qreal sceneLeft = -205;
const qreal sceneWidth = 410;
const qreal sceneHeight = 163;

// The largest size that fits the box, aspect ratio kept; null when the image is missing.
QPixmap fitted(const QString& path, const QSize& box)
{
    const QPixmap picture(path);
    if (picture.isNull())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// A scene and its view filling the container.
void buildView(QWidget* container, QGraphicsScene*& scene, QGraphicsView*& view)
{
    scene = new QGraphicsScene(container);
    view = new QGraphicsView(scene, container);
    view->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

// The base picture, centred on x = 0 and drawn above the pedal.
bool addBase(QGraphicsScene* scene, const QString& path, int& baseHeight)
{
    const QPixmap base = fitted(path, baseBox);
    if (base.isNull())
        return false;
    QGraphicsPixmapItem* item = scene->addPixmap(base);
    item->setPos(-(base.width() / 2), 0);
    item->setZValue(1);
    // The base never moves: keep it rendered at screen resolution instead of scaling
    // it again every time the pedal moves.
    item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    baseHeight = base.height();
    return true;
}

MyPixmapItem* addPedal(QGraphicsScene* scene, const QPixmap& pedal)
{
    auto* item = new MyPixmapItem(pedal);
    item->setZValue(0);
    scene->addItem(item);
    return item;
}

void finishScene(QGraphicsScene* scene, qreal top)
{
    scene->setSceneRect(sceneLeft, top, sceneWidth, sceneHeight);
    scene->setBackgroundBrush(QColor(190, 190, 190, 128));
}

void repaintView(QGraphicsView* view)
{
    view->viewport()->update();
    view->raise();
}

} // namespace

void Widget::initPedalView_ex()
{
    if (!ui->widget_4 || exView)
        return;
    buildView(ui->widget_4, exScene, exView);
    int baseHeight = 0;
    if (!addBase(exScene, QStringLiteral(":/IMG/n_ex_xh.png"), baseHeight))
        return;
    const QPixmap pedal = fitted(QStringLiteral(":/IMG/ext.png"), QSize(328, 130));
    if (pedal.isNull())
        return;
    exPedalItem = addPedal(exScene, pedal);
    exPedalItem->setPos(-pedal.width() / 2.0, 105 - baseHeight);
    finishScene(exScene, -48.9);
}

void Widget::initPedalView_sw()
{
    if (!ui->widget_5 || swView)
        return;
    buildView(ui->widget_5, swScene, swView);
    int baseHeight = 0;
    if (!addBase(swScene, QStringLiteral(":/IMG/swd.png"), baseHeight))
        return;
    const QPixmap pedal = fitted(QStringLiteral(":/IMG/n_sw_sh.png"), QSize(217, 68));
    if (pedal.isNull())
        return;
    swPedalItem = addPedal(swScene, pedal);
    swPedalItem->setPos(45 - pedal.width() / 2.0, 110 - baseHeight);
    // The plate hinges about its centre. A QGraphicsRotation turns about its own
    // origin, not the item's transform origin, so both are set to the centre.
    const QPointF centre = swPedalItem->boundingRect().center();
    swPedalItem->setTransformOriginPoint(centre);
    swRotation = new QGraphicsRotation(swScene);
    swRotation->setAxis(Qt::ZAxis);
    swRotation->setOrigin(QVector3D(float(centre.x()), float(centre.y()), 0));
    swPedalItem->setTransformations({swRotation});
    finishScene(swScene, -35.86);
}

void Widget::initPedalView_ht()
{
    if (!ui->widget_7 || htView)
        return;
    buildView(ui->widget_7, htScene, htView);
    int baseHeight = 0;
    if (!addBase(htScene, QStringLiteral(":/IMG/BgSub_n_ht_xh.png"), baseHeight)) {
        qCDebug(lcMonitor) << "hi-hat base picture missing";
        return;
    }
    const QPixmap pedal = fitted(QStringLiteral(":/IMG/n_ex_sh.png"), QSize(360, 138));
    if (pedal.isNull()) {
        qCDebug(lcMonitor) << "hi-hat pedal picture missing";
        return;
    }
    htPedalItem = addPedal(htScene, pedal);
    htPedalItem->setPos(-pedal.width() / 2.0, 97 - baseHeight);
    const QRectF box = htPedalItem->boundingRect();
    htPedalItem->setTransformOriginPoint(box.x() + 0.88 * box.width(), box.y() + 0.8 * box.height());
    htPedalItem->setRotation(PedalAngles::hiHatRest);
    htPedalItem->setTransformationMode(Qt::SmoothTransformation);
    finishScene(htScene, -32.6);
}

void Widget::pedal_play_ex(QStandardItem* item)
{
    if (!item || !exPedalItem)
        return;
    QComboBox* first = nullptr;
    QComboBox* second = nullptr;
    switch (ui->expression_comboBox0->currentIndex()) {
    case 0:
        first = ui->expression_cc_comboBox_valmax;
        second = ui->expression_cc_comboBox_valmin;
        break;
    case 1:
        first = ui->expression_note_comboBox_valmax;
        second = ui->expression_note_comboBox_valmin;
        break;
    case 2:
        first = ui->expression_pitch_comboBox_valmax;
        second = ui->expression_pitch_comboBox_valmin;
        break;
    case 3:
        first = ui->expression_ch_comboBox_val1;
        second = ui->expression_ch_comboBox_val2;
        break;
    default:
        return;
    }
    const auto angle = PedalAngles::expression(LiveDecoder::numberOf(item->text()), first->currentIndex(),
                                               second->currentIndex());
    if (!angle)
        return;
    const QRectF box = exPedalItem->boundingRect();
    exPedalItem->setTransformOriginPoint(box.x() + 0.65 * box.width(), box.y() + 0.5 * box.height());
    if (exPedalItem->rotation() != qreal(*angle))
        exPedalItem->setRotation(*angle);
    repaintView(exView);
}

void Widget::pedal_play_ht(QStandardItem* item)
{
    if (!item || !htPedalItem)
        return;
    const bool cc = ui->hat_comboBox0->currentIndex() == 0;
    const int a = (cc ? ui->hat_cc_comboBox_valmax : ui->hat_note_comboBox_valmax)->currentIndex();
    const int b = (cc ? ui->hat_cc_comboBox_valmin : ui->hat_note_comboBox_valmin)->currentIndex();
    const auto angle = PedalAngles::hiHat(LiveDecoder::numberOf(item->text()), a, b);
    if (!angle)
        return;
    const QRectF box = htPedalItem->boundingRect();
    htPedalItem->setTransformOriginPoint(box.x() + 0.88 * box.width(), box.y() + 0.8 * box.height());
    if (htPedalItem->rotation() != qreal(*angle))
        htPedalItem->setRotation(*angle);
    repaintView(htView);
}

void Widget::pedal_play_sw(QStandardItem* item)
{
    if (!item || !swRotation)
        return;
    const int value = LiveDecoder::numberOf(item->text());

    QComboBox* mode = nullptr;
    QComboBox* min = nullptr;
    QComboBox* max = nullptr;
    switch (ui->switch_comboBox0->currentIndex()) {
    case 0:
        mode = ui->switch_cc_comboBox_mode;
        min = ui->switch_cc_comboBox_valmin;
        max = ui->switch_cc_comboBox_valmax;
        break;
    case 1:
        mode = ui->switch_pc_comboBox_mode;
        min = ui->switch_pc_comboBox_valmin;
        max = ui->switch_pc_comboBox_valmax;
        break;
    case 2:
        mode = ui->switch_note_comboBox_mode;
        min = ui->switch_note_comboBox_valmin;
        max = ui->switch_note_comboBox_valmax;
        break;
    default:
        break;
    }
    const bool hasRange = mode && mode->currentIndex() != 0;

    // A new value takes over from a movement still under way; it starts where the
    // pedal is now, so nothing jumps.
    const QList<QPropertyAnimation*> running = swRotation->findChildren<QPropertyAnimation*>();
    for (QPropertyAnimation* animation : running)
        animation->stop();

    auto* animation = new QPropertyAnimation(swRotation, QByteArrayLiteral("angle"), swRotation);
    // The trigger mode lists mirror each other, so the CC page's one speaks for all.
    if (ui->switch_cc_comboBox_mode->currentIndex() == 2) {
        const float target = PedalAngles::switchTarget(value, hasRange, hasRange ? min->currentIndex() : -1,
                                                       hasRange ? max->currentIndex() : -1);
        animation->setDuration(PedalAngles::switchTravelMs);
        animation->setStartValue(swRotation->angle());
        animation->setEndValue(qreal(target));
    } else {
        animation->setDuration(PedalAngles::switchTapMs);
        animation->setStartValue(qreal(PedalAngles::switchPressed));
        animation->setEndValue(qreal(0));
    }
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    swView->raise();
}

void Widget::updatePedalScaling()
{
    const QList<QPair<QGraphicsView*, QGraphicsScene*>> views = {{exView, exScene}, {swView, swScene}, {htView, htScene}};
    for (const auto& entry : views) {
        QGraphicsView* view = entry.first;
        QGraphicsScene* scene = entry.second;
        if (!view || !scene)
            continue;
        const QRectF rect = scene->sceneRect();
        if (rect.width() <= 0 || rect.height() <= 0)
            continue;
        if (view->viewport()->width() < 1 || view->viewport()->height() < 1)
            continue;
        view->setAlignment(Qt::AlignCenter);
        view->resetTransform();
        view->fitInView(rect, Qt::KeepAspectRatio);
    }
}

void Widget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updatePedalScaling();
    // Once more after the layouts have settled to the new size.
    QTimer::singleShot(0, this, &Widget::updatePedalScaling);
}
