#pragma once

#include "protocol/MemoryRecord.h"

#include <QAbstractTableModel>
#include <vector>

// The rows of the memory list: one per decoded record, the texts made when a
// cell is shown, so that filling the list costs nothing per record.
class MemoryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit MemoryListModel(QObject* parent = nullptr);

    // Shows these records (nullptr: none). The vector must outlive its use
    // here; call again after changing it.
    void setRecords(const std::vector<MemoryRecord>* records);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const std::vector<MemoryRecord>* shown = nullptr;
};
