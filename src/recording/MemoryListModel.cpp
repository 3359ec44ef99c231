#include "recording/MemoryListModel.h"

#include "recording/MemoryListText.h"

MemoryListModel::MemoryListModel(QObject* parent) : QAbstractTableModel(parent) {}

void MemoryListModel::setRecords(const std::vector<MemoryRecord>* records) {
    beginResetModel();
    shown = records;
    endResetModel();
}

int MemoryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || shown == nullptr) {
        return 0;
    }
    return static_cast<int>(shown->size());
}

int MemoryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kMemoryColumnCount;
}

QVariant MemoryListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const MemoryRecord& r = (*shown)[static_cast<std::size_t>(index.row())];
    return QString::fromStdString(
        memoryCellText(r, index.row(), static_cast<MemoryColumn>(index.column())));
}

QVariant MemoryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kMemoryColumnCount ||
        (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
        return {};
    }
    return QString::fromUtf8(memoryColumnTitle(static_cast<MemoryColumn>(section)));
}
