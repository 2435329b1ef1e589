#pragma once

#include "curve/qcustomplot_include.h"

#include <QPoint>
#include <QVector>

#include <functional>

// The curve editor: the response curve of one expression-type message with three
// handles (MIN at the left end, MAX at the right end, Curve in the middle) that the
// user drags to change minimum, maximum and curve. The curve comes from CurveModel.
class MyCustomPlot : public QCustomPlot
{
    Q_OBJECT

public:
    explicit MyCustomPlot(QWidget* parent = nullptr);

    // Deletes the editor held by `container` (through its layout) and builds a new, fully
    // drawn one there. `wire` connects the new editor before it draws for the first time.
    static MyCustomPlot* rebuildIn(QWidget* container, double min, double max, double gain, double curve,
                                   const std::function<void(MyCustomPlot*)>& wire = {});

    // First set-up: stores the values, styles the plot, creates the handles, draws.
    void drawLineGraph(double min, double max, double gain, double curve);
    // Recomputes the curve from the stored values and redraws curve, handles and labels.
    void updateGraphData();
    // Creates the handles that do not exist yet.
    void initCircles(double min, double max);
    void styleAxes();
    void setupGrid();
    // Look of a finished editor: transparent, no margins, fixed tickers, axis base pens,
    // mouse tracking and strong focus. The window applies it after drawLineGraph.
    void applyEditorAppearance();

    QCPItemRect* minHandle = nullptr;
    QCPItemRect* maxHandle = nullptr;
    QCPItemRect* curveHandle = nullptr;
    bool draggingMin = false;
    bool draggingMax = false;
    bool draggingCurve = false;

    // Model inputs. Callers store minimum and maximum again before every update: the
    // update leaves them in 7-bit units (see CurveModel::Result).
    double minValue = 0;
    double maxValue = 0;
    double gainValue = 0;
    double curveValue = 0;
    bool pitchBendMode = false;

    QVector<double> xData;
    QVector<double> yData;
    int sampleCount = 0;
    int reachPercent = 0;   // goes into every configuration record
    int effectiveMin = 0;   // value shown on the MIN handle
    int effectiveMax = 0;   // value shown on the MAX handle (7-bit)

signals:
    void update_max_min_gain(int max, int min, int gain, int cgain);
    void crical_is_move(bool flag);
    void circleCoordinatesUpdated(QPoint startCoord, QPoint endCoord);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void emitHandleCorners();
    void addLabel(const QString& text, const QPointF& position, const QColor& colour);
};
