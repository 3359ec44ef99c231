#pragma once

#include "recording/MemoryRecord.h"

#include <QDialog>
#include <QTimer>
#include <array>
#include <cstdint>
#include <vector>

class MemoryListModel;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeView;

// "Pamięć": shows the progress of a panel memory download, then the decoded
// records, which "Zapisz jako" writes to a file. The poll engine does the
// transfer and hands each byte over through the hooks below. One object
// lives as long as the main window and is reused for every download.
class CMemoryDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMemorySize = 4096;
    static constexpr int kProgressRange = 2048;
    // A download with no byte stored for this long has failed.
    static constexpr int kWatchdogMs = 5000;

    explicit CMemoryDlg(QWidget* parent = nullptr);
    ~CMemoryDlg() override;

    // Opens the dialog for a download (after Reset): the progress from 0, the
    // list hidden, "Zapisz jako" disabled, the watchdog running. Returns at
    // once; the dialog is modal to its parent.
    void startReading();

    // Hooks of the poll engine.
    void Reset();
    // Stores a byte and restarts the watchdog; a byte beyond 4096 is dropped.
    void AppendByte(std::uint8_t byte);
    // The last stored byte, 0xFF when none is stored.
    int LastByte() const;
    // Closes the dialog because the download failed.
    void Abort();
    // Decodes the stored bytes into the list, or reports an empty memory.
    void DecodeMemory();
    void StepProgress();
    void FinishProgress();
    bool stopRequested() const { return stopAsked; }
    // The dialog is open, reading and not being closed, and has room for
    // another byte: only then may the engine go on with the download.
    bool canTakeMore() const;

    bool isReading() const;
    const std::vector<MemoryRecord>& records() const { return decoded; }
    // The bytes of the last download, as stored.
    std::vector<std::uint8_t> storedBytes() const;

public slots:
    // "Zamknij", Escape and the close box: while bytes arrive this asks the
    // engine to stop after the next one; otherwise it closes.
    void reject() override;
    // "Zapisz jako".
    void openSaveDialog();

private:
    void onWatchdog();
    void closeNow();
    void showList();

    std::array<std::uint8_t, kMemorySize> memoryBuffer{};
    int memoryLength = 0;
    bool stopAsked = false;
    bool aborting = false;
    std::vector<MemoryRecord> decoded;
    QTimer watchdogTimer;

    QStackedWidget* pages = nullptr;
    QWidget* readingPage = nullptr;
    QLabel* waitText = nullptr;
    QProgressBar* progress = nullptr;
    QTreeView* list = nullptr;
    MemoryListModel* model = nullptr;
    QPushButton* saveAsButton = nullptr;
    QPushButton* closeButton = nullptr;
};
