#include "charts/ChartBand.h"

#include <cmath>

ChartBand::ChartBand(QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis) {
    setPen(Qt::NoPen);
}

void ChartBand::setData(QVector<double> keys, QVector<double> lows, QVector<double> highs) {
    keys_ = std::move(keys);
    lows_ = std::move(lows);
    highs_ = std::move(highs);
}

double ChartBand::selectTest(const QPointF&, bool, QVariant*) const {
    return -1;
}

QCPRange ChartBand::getKeyRange(bool& foundRange, QCP::SignDomain) const {
    foundRange = !keys_.isEmpty();
    return foundRange ? QCPRange(keys_.front(), keys_.back()) : QCPRange();
}

QCPRange ChartBand::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const {
    QCPRange range;
    foundRange = false;
    for (qsizetype i = 0; i < keys_.size(); ++i) {
        if (std::isnan(lows_[i]) || std::isnan(highs_[i])) {
            continue;
        }
        if (!foundRange) {
            range = QCPRange(lows_[i], highs_[i]);
            foundRange = true;
        } else {
            range.expand(QCPRange(lows_[i], highs_[i]));
        }
    }
    return range;
}

void ChartBand::draw(QCPPainter* painter) {
    QCPAxis* keyAxis = mKeyAxis.data();
    QCPAxis* valueAxis = mValueAxis.data();
    if (keyAxis == nullptr || valueAxis == nullptr || keys_.isEmpty()) {
        return;
    }
    QVector<QLineF> lines;
    lines.reserve(keys_.size());
    QVector<QPolygonF> quads;
    const auto known = [this](qsizetype i) {
        return !std::isnan(lows_[i]) && !std::isnan(highs_[i]);
    };
    for (qsizetype i = 0; i < keys_.size(); ++i) {
        if (!known(i)) {
            continue;
        }
        const double x = keyAxis->coordToPixel(keys_[i]);
        const double low = valueAxis->coordToPixel(lows_[i]);
        const double high = valueAxis->coordToPixel(highs_[i]);
        lines.push_back(QLineF(x, low, x, high));
        if (i + 1 < keys_.size() && known(i + 1)) {
            const double next = keyAxis->coordToPixel(keys_[i + 1]);
            if (next - x > 1.0) {
                quads.push_back(QPolygonF{
                    QPointF(x, high), QPointF(next, valueAxis->coordToPixel(highs_[i + 1])),
                    QPointF(next, valueAxis->coordToPixel(lows_[i + 1])), QPointF(x, low)});
            }
        }
    }
    applyFillAntialiasingHint(painter);
    painter->setPen(Qt::NoPen);
    painter->setBrush(mBrush);
    for (const QPolygonF& q : quads) {
        painter->drawPolygon(q);
    }
    painter->setPen(QPen(mBrush.color(), 1));
    painter->drawLines(lines);
}

void ChartBand::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const {
    painter->setPen(Qt::NoPen);
    painter->setBrush(mBrush);
    painter->drawRect(rect);
}
