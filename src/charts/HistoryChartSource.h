#pragma once

#include "charts/ChartRows.h"

#include <QString>
#include <mutex>

// The chart window's past: the measurement history's file, read through a
// HistoryDatabase of its own for each call, in the calling worker thread (a
// database connection belongs to the thread that opened it). The file is the
// one the running history writes; while the history is off or has not made
// its file yet there is no past and no message.
class HistoryChartSource : public ChartSource {
public:
    // The running history's file; empty while it is off.
    void setPath(const QString& path);

    Rows rows(std::int64_t from, std::int64_t to, Resolution resolution) override;
    Rows panelRecords(std::int64_t from, std::int64_t to) override;
    Days days(std::int32_t fromDay, std::int32_t toDay) override;

private:
    QString path() const;

    mutable std::mutex mutex_;
    QString path_;
};
