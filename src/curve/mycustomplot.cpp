#include "curve/mycustomplot.h"

#include "app/logging.h"
#include "curve/curve_model.h"

#include <QLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double kHandleWidth = 0.2;
constexpr double kHandleHeight = 12.7;
constexpr double kCaptionOffset = 20;
constexpr double kPressReach = 10;  // pixels between the press and a handle that still grabs it
// Maps the handle height 0 ... 127 onto the curve value -50 ... +50 (100 / 127).
constexpr double kCurvePerUnit = 0.7874015748031497;

QPoint truncated(const QPointF& p)
{
    return QPoint(static_cast<int>(p.x()), static_cast<int>(p.y()));
}

bool grabs(const QCPItemRect* handle, const QPointF& pos)
{
    if (!handle)
        return false;
    const double distance = handle->selectTest(pos, false);
    return distance >= 0 && distance < kPressReach;
}

// Moves the box so that it is centred on y, keeping its height.
void recentre(QCPItemRect* handle, double y)
{
    const QPointF tl = handle->topLeft->coords();
    const QPointF br = handle->bottomRight->coords();
    const double half = (br.y() - tl.y()) / 2;
    handle->topLeft->setCoords(tl.x(), y - half);
    handle->bottomRight->setCoords(br.x(), y + half);
}

void placeHandle(QCPItemRect* handle, double left, double top, double right, double bottom)
{
    if (!handle)
        return;
    handle->topLeft->setCoords(left, top);
    handle->bottomRight->setCoords(right, bottom);
}

}  // namespace

MyCustomPlot::MyCustomPlot(QWidget* parent) : QCustomPlot(parent) {}

MyCustomPlot* MyCustomPlot::rebuildIn(QWidget* container, double min, double max, double gain, double curve,
                                      const std::function<void(MyCustomPlot*)>& wire)
{
    if (QLayout* old = container->layout()) {
        while (QLayoutItem* item = old->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        delete old;
    }

    auto* plot = new MyCustomPlot(container);
    if (wire)
        wire(plot);
    plot->drawLineGraph(min, max, gain, curve);

    plot->applyEditorAppearance();
    auto* layout = new QVBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(plot);
    return plot;
}

void MyCustomPlot::drawLineGraph(double min, double max, double gain, double curve)
{
    minValue = min;
    maxValue = max;
    gainValue = gain;
    curveValue = curve;

    clearGraphs();
    addGraph();
    graph(0)->setPen(QPen(QColor(255, 165, 0), 2));

    styleAxes();
    setupGrid();

    xAxis->setRange(0, 1);
    yAxis->setRange(0, 127);
    xAxis->setTicks(false);
    yAxis->setTicks(false);

    initCircles(min, max);
    updateGraphData();
}

void MyCustomPlot::styleAxes()
{
    QFont tickFont = font();
    tickFont.setPointSize(10);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setTickPen(QPen(Qt::NoPen));
        axis->setSubTickPen(QPen(Qt::NoPen));
        axis->setTickLabelFont(tickFont);
        axis->setTickLabelColor(Qt::black);
    }
}

void MyCustomPlot::setupGrid()
{
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->grid()->setVisible(true);
        axis->grid()->setPen(QPen(QColor(Qt::gray), 1, Qt::SolidLine));
        axis->grid()->setSubGridVisible(false);
    }
}

void MyCustomPlot::applyEditorAppearance()
{
    setBackground(Qt::transparent);
    axisRect()->setBackground(Qt::transparent);
    // QCustomPlot declares itself opaque, which keeps Qt from painting the container's
    // background image beneath it; with a transparent plot that shows as black.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    axisRect()->setAutoMargins(QCP::msNone);
    axisRect()->setMargins(QMargins(0, 0, 0, 0));

    QPen basePen(QColor(55, 43, 35), 3);
    basePen.setCosmetic(true);  // same width at any scale
    for (QCPAxis* axis : {xAxis, yAxis}) {
        QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
        ticker->setTickStep(axis == xAxis ? 1.0 : 127.0);
        ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
        axis->setTicker(ticker);
        axis->setSubTicks(false);
        axis->setBasePen(basePen);
    }

    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void MyCustomPlot::initCircles(double min, double max)
{
    const QPen pen(QColor(128, 128, 128), 0, Qt::SolidLine);
    const QBrush brush(QColor(173, 216, 230, 128));
    auto make = [&](QCPItemRect*& handle) {
        if (handle)
            return;
        handle = new QCPItemRect(this);
        handle->setPen(pen);
        handle->setBrush(brush);
    };
    make(minHandle);
    make(maxHandle);
    make(curveHandle);

    // Provisional boxes; updateGraphData puts them on the curve.
    const double halfWidth = 0.025;
    const double halfHeight = 3.175;
    placeHandle(minHandle, -halfWidth, min + halfHeight, halfWidth, min - halfHeight);
    placeHandle(maxHandle, 1 - halfWidth, max + halfHeight, 1 + halfWidth, max - halfHeight);
    placeHandle(curveHandle, 0.4, 70.35, 0.6, 57.65);

    emitHandleCorners();
}

void MyCustomPlot::emitHandleCorners()
{
    if (!minHandle || !maxHandle)
        return;
    emit circleCoordinatesUpdated(truncated(minHandle->topLeft->pixelPosition()),
                                  truncated(maxHandle->topLeft->pixelPosition()));
}

void MyCustomPlot::addLabel(const QString& text, const QPointF& position, const QColor& colour)
{
    auto* label = new QCPItemText(this);
    label->setPositionAlignment(Qt::AlignCenter);
    label->position->setCoords(position);
    label->setFont(QFont(QStringLiteral("Arial"), 9));
    label->setColor(colour);
    label->setText(text);
}

void MyCustomPlot::updateGraphData()
{
    CurveModel::Inputs in;
    in.minValue = minValue;
    in.maxValue = maxValue;
    in.gainValue = gainValue;
    in.curveValue = curveValue;
    in.pitchBendMode = pitchBendMode;
    const CurveModel::Result r = CurveModel::compute(in);

    minValue = r.minValue;
    maxValue = r.maxValue;
    sampleCount = r.sampleCount;
    xData = r.xData;
    yData = r.yData;
    reachPercent = r.reachPercent;
    effectiveMin = r.effectiveMin;
    effectiveMax = r.effectiveMax;

    if (graphCount() == 0)
        addGraph();
    graph(0)->setData(xData, yData, false);
    graph(0)->setAntialiased(true);

    yAxis->setRange(0, 151);
    yAxis->grid()->setVisible(false);

    for (int i = itemCount() - 1; i >= 0; --i) {
        if (qobject_cast<QCPItemText*>(item(i)))
            removeItem(i);
    }

    // Each box is 0.2 wide, 12.7 high and stands on its anchor.
    const double yMax = r.maxAnchor.y();
    const QPointF lo = r.minAnchor;
    const QPointF mid = r.curveAnchor;
    placeHandle(maxHandle, 1.0, yMax, 1.0 - kHandleWidth, yMax + kHandleHeight);
    placeHandle(minHandle, lo.x(), lo.y(), lo.x() + kHandleWidth, lo.y() + kHandleHeight);
    placeHandle(curveHandle, mid.x() - kHandleWidth / 2, mid.y(), mid.x() + kHandleWidth / 2,
                mid.y() + kHandleHeight);

    // Captions above the boxes; values in the middle of them.
    const double maxX = (1.0 + (1.0 - kHandleWidth)) / 2;
    const double minX = (lo.x() + (lo.x() + kHandleWidth)) / 2;
    const double midX = ((mid.x() - kHandleWidth / 2) + (mid.x() + kHandleWidth / 2)) / 2;
    auto boxCentre = [](double bottom) { return (bottom + (bottom + kHandleHeight)) / 2; };
    const QColor valueColour(QStringLiteral("#000000"));
    const int maxShown = pitchBendMode ? static_cast<int>(r.effectiveMax * CurveModel::kPitchBendFactor)
                                       : r.effectiveMax;
    addLabel(tr("MAX"), QPointF(maxX, yMax + kCaptionOffset), Qt::black);
    addLabel(QString::number(maxShown), QPointF(maxX, boxCentre(yMax)), valueColour);
    addLabel(tr("MIN"), QPointF(minX, lo.y() + kCaptionOffset), Qt::black);
    addLabel(QString::number(r.effectiveMin), QPointF(minX, boxCentre(lo.y())), valueColour);
    addLabel(tr("Curve"), QPointF(midX, mid.y() + kCaptionOffset), Qt::black);
    addLabel(QString::number(static_cast<int>(curveValue)), QPointF(midX, boxCentre(mid.y())), valueColour);

    setAntialiasedElements(QCP::aeAll);
    replot(QCustomPlot::rpQueuedReplot);

    qCDebug(lcEditor) << "curve: reach" << reachPercent << "% min" << minValue << "max" << maxValue << "gain factor"
                      << r.gainFactor;
}

void MyCustomPlot::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = event->pos();
    if (grabs(minHandle, pos))
        draggingMin = true;
    else if (grabs(maxHandle, pos))
        draggingMax = true;
    else if (grabs(curveHandle, pos))
        draggingCurve = true;
    QCustomPlot::mousePressEvent(event);
}

void MyCustomPlot::mouseMoveEvent(QMouseEvent* event)
{
    if (!draggingMin && !draggingMax && !draggingCurve) {
        QCustomPlot::mouseMoveEvent(event);
        return;
    }

    const double y = std::clamp(yAxis->pixelToCoord(event->pos().y()), 0.0, 127.0);
    const double f = CurveModel::kPitchBendFactor;

    // A minimum above the maximum (or the reverse) is refused silently: the box follows
    // the mouse, nothing else changes.
    if (draggingMin) {
        recentre(minHandle, y);
        if (y > maxValue)
            return;
        if (pitchBendMode) {
            minValue = y * f;
            maxValue = maxValue * f;
        } else {
            minValue = y;
        }
    } else if (draggingMax) {
        recentre(maxHandle, y);
        if (minValue > y)
            return;
        if (pitchBendMode) {
            minValue = minValue * f;
            maxValue = y * f;
        } else {
            maxValue = y;
        }
    } else {
        recentre(curveHandle, y);
        if (pitchBendMode) {
            if (maxValue <= 127)
                maxValue *= f;
            if (minValue <= 127)
                minValue *= f;
        }
        curveValue = y * kCurvePerUnit - 50;
    }
    updateGraphData();

    replot(QCustomPlot::rpRefreshHint);
    emitHandleCorners();
    emit crical_is_move(true);

    if (pitchBendMode) {
        emit update_max_min_gain(static_cast<int>(maxValue) * static_cast<int>(f),
                                 static_cast<int>(minValue) * static_cast<int>(f), static_cast<int>(gainValue),
                                 static_cast<int>(curveValue));
    } else {
        // Out-of-range values are reported as -1.
        if (maxValue < 0 || maxValue > 127)
            maxValue = -1;
        if (minValue < 0 || minValue > 127)
            minValue = -1;
        if (gainValue < -50 || gainValue > 50)
            gainValue = -1;
        emit update_max_min_gain(static_cast<int>(maxValue), static_cast<int>(minValue), static_cast<int>(gainValue),
                                 static_cast<int>(curveValue));
    }
    emit crical_is_move(true);
    QCustomPlot::mouseMoveEvent(event);
}

void MyCustomPlot::mouseReleaseEvent(QMouseEvent* event)
{
    draggingMin = false;
    draggingMax = false;
    draggingCurve = false;
    QCustomPlot::mouseReleaseEvent(event);
    emit crical_is_move(false);
}
