#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/MemoryDownload.h"
#include "protocol/MemoryRecord.h"

#include <QDialog>
#include <QTimer>
#include <functional>
#include <vector>

class MemoryListModel;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeView;

// "Pamięć": shows the progress of a panel memory download, then the decoded
// records, which "Zapisz jako" writes to a file. The poll engine does the
// transfer into the link's MemoryDownload, which this dialog observes. One
// object lives as long as the main window and is reused for every download.
class CMemoryDlg : public QDialog, public MemoryDownloadObserver {
    Q_OBJECT

public:
    static constexpr int kProgressRange = MemoryDownload::kProgressRange;
    static constexpr int kWatchdogMs = MemoryDownload::kWatchdogMs;

    explicit CMemoryDlg(MemoryDownload& download, QWidget* parent = nullptr);
    ~CMemoryDlg() override;

    // Opens the dialog for a download the engine has just begun: the progress
    // from 0, the list hidden, "Zapisz jako" disabled, the watchdog running.
    // Returns at once; the dialog is modal to its parent.
    void startReading();

    // MemoryDownloadObserver
    void onByteStored() override;
    void onDownloadFinished() override;
    void onDownloadAborted() override;

    // Closes the dialog because the download failed.
    void Abort();
    // Decodes the stored bytes into the list, or reports an empty memory.
    void DecodeMemory();
    void StepProgress();
    void FinishProgress();

    bool isReading() const;
    const std::vector<MemoryRecord>& records() const { return decoded; }
    // The local time the records were decoded at: their year is the latest
    // that puts them at or before it.
    const DateTimeRecord& downloadedAt() const { return downloadTime; }

    // "Wykres": shows the records in the chart window (its owner's). Without
    // one the button stays disabled.
    using ChartHandler =
        std::function<void(const std::vector<MemoryRecord>&, const DateTimeRecord& downloadedAt)>;
    void setChartHandler(ChartHandler handler);

    // "Arkusz…" without the file chooser: the list as a workbook; an empty
    // text on success, else the Polish reason.
    QString saveSheet(const QString& path) const;

signals:
    // A download ended and decoded into at least one record; the list shows them.
    void recordsDecoded(const std::vector<MemoryRecord>& records);

public slots:
    // "Zamknij", Escape and the close box: while bytes arrive this asks the
    // engine to stop after the next one; otherwise it closes.
    void reject() override;
    // "Zapisz jako".
    void openSaveDialog();
    // "Arkusz…".
    void chooseSheetFile();

private:
    void onWatchdog();
    void closeNow();
    void showList();

    MemoryDownload& download;
    std::vector<MemoryRecord> decoded;
    DateTimeRecord downloadTime;
    ChartHandler chartHandler;
    QTimer watchdogTimer;

    QStackedWidget* pages = nullptr;
    QWidget* readingPage = nullptr;
    QLabel* waitText = nullptr;
    QProgressBar* progress = nullptr;
    QTreeView* list = nullptr;
    MemoryListModel* model = nullptr;
    QPushButton* saveAsButton = nullptr;
    QPushButton* chartButton = nullptr;
    QPushButton* sheetButton = nullptr;
    QPushButton* closeButton = nullptr;
};
