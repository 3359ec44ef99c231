#include "charts/ChartTableModel.h"

#include "charts/ChartTable.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>

namespace {

QDateTime localTime(std::int64_t utc, std::int32_t offset) {
    return QDateTime::fromSecsSinceEpoch(utc, Qt::OffsetFromUTC, offset);
}

QDate dateOfDay(std::int32_t day) {
    return QDate(1970, 1, 1).addDays(day);
}

// The kind of a day summary column: which quantity, and what of it.
enum class DayPart { Min, MinTime, Max, MaxTime, Mean };

struct DayColumn {
    Quantity quantity;
    DayPart part;
    const char* title;
    int decimals;
};

constexpr DayColumn kDayColumns[] = {
    {Quantity::TEMP, DayPart::Min, "Temperatura min. °C", 1},
    {Quantity::TEMP, DayPart::MinTime, "Godzina temperatury min.", 0},
    {Quantity::TEMP, DayPart::Max, "Temperatura maks. °C", 1},
    {Quantity::TEMP, DayPart::MaxTime, "Godzina temperatury maks.", 0},
    {Quantity::TEMP, DayPart::Mean, "Temperatura średnia °C", 1},
    {Quantity::RH, DayPart::Min, "Wilgotność min. %", 1},
    {Quantity::RH, DayPart::MinTime, "Godzina wilgotności min.", 0},
    {Quantity::RH, DayPart::Max, "Wilgotność maks. %", 1},
    {Quantity::RH, DayPart::MaxTime, "Godzina wilgotności maks.", 0},
    {Quantity::RH, DayPart::Mean, "Wilgotność średnia %", 1},
    {Quantity::PRESS, DayPart::Min, "Ciśnienie min. hPa", 1},
    {Quantity::PRESS, DayPart::MinTime, "Godzina ciśnienia min.", 0},
    {Quantity::PRESS, DayPart::Max, "Ciśnienie maks. hPa", 1},
    {Quantity::PRESS, DayPart::MaxTime, "Godzina ciśnienia maks.", 0},
    {Quantity::PRESS, DayPart::Mean, "Ciśnienie średnie hPa", 1},
    {Quantity::SPEED, DayPart::Max, "Prędkość maks. m/s", 1},
    {Quantity::SPEED, DayPart::MaxTime, "Godzina prędkości maks.", 0},
    {Quantity::ORIENT, DayPart::Max, "Kierunek przy prędkości maks. °", 0},
    {Quantity::SPEED, DayPart::Mean, "Prędkość średnia m/s", 1},
    {Quantity::ORIENT, DayPart::Mean, "Kierunek średni °", 0},
};
constexpr int kDayColumnCount = static_cast<int>(std::size(kDayColumns));

} // namespace

ChartTableModel::ChartTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ChartTableModel::setRows(const std::vector<ChartRow>* rows, std::size_t first,
                              std::size_t last) {
    beginResetModel();
    rows_ = rows;
    first_ = first;
    last_ = std::max(first, last);
    endResetModel();
}

void ChartTableModel::extendTo(std::size_t last) {
    if (rows_ == nullptr || last <= last_) {
        return;
    }
    beginInsertRows({}, static_cast<int>(last_ - first_), static_cast<int>(last - first_ - 1));
    last_ = last;
    endInsertRows();
}

int ChartTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || rows_ == nullptr ? 0 : static_cast<int>(last_ - first_);
}

int ChartTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + static_cast<int>(kTableColumns.size());
}

QString ChartTableModel::timeText(const ChartRow& row) {
    const QDateTime t = localTime(row.utc, row.offset);
    if (row.seconds >= 86400) {
        return t.toString(QStringLiteral("dd.MM.yyyy"));
    }
    if (row.seconds == 60 || row.seconds == 0) {
        return t.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    }
    return t.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QVariant ChartTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || rows_ == nullptr || index.row() >= rowCount()) {
        return {};
    }
    const ChartRow& row = (*rows_)[first_ + static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole) {
        return index.column() == 0 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    if (index.column() == 0) {
        return timeText(row);
    }
    return QString::fromStdString(
        columnText(row, kTableColumns[static_cast<std::size_t>(index.column() - 1)]));
}

QVariant ChartTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section == 0) {
        return QStringLiteral("Data i czas");
    }
    return QString::fromUtf8(columnTitle(kTableColumns[static_cast<std::size_t>(section - 1)]));
}

DaySummaryModel::DaySummaryModel(QObject* parent) : QAbstractTableModel(parent) {}

void DaySummaryModel::setDays(std::vector<DayRow> days) {
    beginResetModel();
    days_ = std::move(days);
    endResetModel();
}

void DaySummaryModel::updateDay(const DayRow& day) {
    auto it = std::lower_bound(days_.begin(), days_.end(), day.day,
                               [](const DayRow& d, std::int32_t n) { return d.day < n; });
    const int row = static_cast<int>(it - days_.begin());
    if (it != days_.end() && it->day == day.day) {
        *it = day;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return;
    }
    beginInsertRows({}, row, row);
    days_.insert(it, day);
    endInsertRows();
}

int DaySummaryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(days_.size());
}

int DaySummaryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + kDayColumnCount;
}

QVariant DaySummaryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return index.column() == 0 ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) {
        return {};
    }
    const DayRow& day = days_[static_cast<std::size_t>(index.row())];
    if (index.column() == 0) {
        return dateOfDay(day.day).toString(QStringLiteral("dd.MM.yyyy"));
    }
    const DayColumn& c = kDayColumns[index.column() - 1];
    const DayValue& v = day[c.quantity];
    const auto time = [](double value, std::int64_t utc) {
        return std::isnan(value)
                   ? QStringLiteral("???")
                   : QDateTime::fromSecsSinceEpoch(utc).toString(QStringLiteral("HH:mm"));
    };
    double value = kUnknown;
    switch (c.part) {
    case DayPart::Min:
        value = v.min;
        break;
    case DayPart::Max:
        value = c.quantity == Quantity::ORIENT ? day.directionAtMaxSpeed : v.max;
        break;
    case DayPart::Mean:
        value = v.mean;
        break;
    case DayPart::MinTime:
        return time(v.min, v.minUtc);
    case DayPart::MaxTime:
        return time(v.max, v.maxUtc);
    }
    return QString::fromStdString(valueText(value, c.decimals));
}

QVariant DaySummaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section == 0) {
        return QStringLiteral("Dzień");
    }
    return QString::fromUtf8(kDayColumns[section - 1].title);
}
