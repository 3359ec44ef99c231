#pragma once

#include <QVector>
#include <qcustomplot.h>

// A band from a lowest to a highest value over time. Where the points stand
// a pixel or closer, each is a vertical line; farther apart, neighbours are
// joined by a filled quadrilateral. QCustomPlot's own fill between two graphs
// takes a fifth of a second for a year of minutes; this takes a millisecond.
class ChartBand : public QCPAbstractPlottable {
public:
    ChartBand(QCPAxis* keyAxis, QCPAxis* valueAxis);

    // NaN in lows or highs: no band there.
    void setData(QVector<double> keys, QVector<double> lows, QVector<double> highs);

    double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details) const override;
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain,
                           const QCPRange& inKeyRange) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    QVector<double> keys_, lows_, highs_;
};
