#pragma once

#include "charts/ChartRows.h"

#include <QAbstractTableModel>
#include <vector>

// "Tabela": the rows of the range shown, one line each, with the time and the
// columns of kTableColumns. The rows belong to the chart window; the model
// shows rows [first, last) of them.
class ChartTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ChartTableModel(QObject* parent = nullptr);

    void setRows(const std::vector<ChartRow>* rows, std::size_t first, std::size_t last);
    // Rows appended to the vector up to `last` are shown too.
    void extendTo(std::size_t last);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The local time of a row as the table writes it: seconds for seconds,
    // minutes for minutes, the date for days.
    static QString timeText(const ChartRow& row);

private:
    const std::vector<ChartRow>* rows_ = nullptr;
    std::size_t first_ = 0;
    std::size_t last_ = 0;
};

// "Podsumowanie dni": one line a day with each quantity's extremes, the
// moments they occurred and its mean, and the highest wind speed with its
// direction.
class DaySummaryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DaySummaryModel(QObject* parent = nullptr);

    void setDays(std::vector<DayRow> days);
    // A day's new summary replaces its line (today's, as the day goes on), or
    // is added in date order.
    void updateDay(const DayRow& day);
    const std::vector<DayRow>& days() const { return days_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<DayRow> days_;
};
