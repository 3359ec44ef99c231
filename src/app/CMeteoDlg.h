#pragma once

#include "admin/PanelAdmin.h"
#include "settings/AppSettings.h"
#include "app/WindowSizeTracker.h"
#include "display/TileStyle.h"
#include "protocol/ConnectionStatus.h"
#include "protocol/PanelData.h"
#include "protocol/PollEngine.h"
#include "protocol/PollHost.h"
#include "protocol/Quantity.h"
#include "recording/LiveRecorder.h"
#include "app/PortOwner.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class CComPort;
class CMemoryDlg;
class CValueTile;
class QAction;
class QLineEdit;

// The program's only top-level window: the status line, the five value tiles
// and the menu. It hosts the poll engine (timers, received bytes, messages)
// and the connection status, owns the serial driver and keeps the window
// rectangle for the settings.
class CMeteoDlg : public QMainWindow, public PollHost, public PortOwner {
    Q_OBJECT

public:
    static constexpr int kPollPeriodMs = 1500;
    static constexpr int kConfirmationMs = 1500;
    // Qt reports no dialog-frame width; 3 pixels is the Windows dialog frame of
    // the standard themes, which the layout was drawn for.
    static constexpr int kDialogFrameWidth = 3;
    // A frame the window manager reports later than this after the first show
    // no longer moves the window back to its stored place.
    static constexpr int kFrameFitWindowMs = 2000;

    explicit CMeteoDlg(QWidget* parent = nullptr);
    ~CMeteoDlg() override;

    // The settings record and the tile styles (indexed by quantityIndex); the
    // settings are loaded into them before initialise and saved from them
    // after the window has closed.
    AppSettings& settings() { return appSettings; }
    const AppSettings& settings() const { return appSettings; }
    std::array<TileStyle, 5> tileStyles() const;
    void setTileStyles(const std::array<TileStyle, 5>& styles);

    // Deletes the stored settings for "Odinstaluj"; true on success.
    void setUninstaller(std::function<bool()> uninstall) { uninstaller = std::move(uninstall); }

    // The start-up sequence, run once before the window is first shown: the
    // port, the tiles, the placement, the first status and the poll engine.
    void initialise();

    CValueTile* tile(Quantity q) const { return tiles[quantityIndex(q)]; }
    QLineEdit* statusLine() const { return statusEdit; }
    const PanelData& panelData() const { return data; }
    const PollEngine& pollEngine() const { return engine; }
    const LiveRecorder& liveRecorder() const { return recorder; }
    int statusLineHeight() const { return statusHeight; }

    // Commands of the menu, also reachable by their actions' object names.
    void toggleTopmost();
    void showAbout();
    void openHelp();
    void uninstall();
    void resetPanel();
    void eraseMemory();
    void startMemoryRead();

    // PollHost
    void sendBytes(const std::uint8_t* bytes, int count) override;
    void restartPollTimer() override;
    void startConfirmationTimer(ConfirmationTimer timer) override;
    void updateStatus(bool linkUp) override;
    void showMessage(const std::string& text) override;
    void askQuestion(const std::string& text, std::function<void(bool yes)> answer) override;
    // The administration dialogs' hooks go to the dialog that waits.
    void showPanelInfo() override { panelAdmin.showPanelInfo(); }
    void showPanelSettings() override { panelAdmin.showPanelSettings(); }
    void showPowerSaving() override { panelAdmin.showPowerSaving(); }
    void showPanelClock() override { panelAdmin.showPanelClock(); }
    // The memory hooks go to the memory dialog ("Pamięć"), once it exists.
    void memoryStepProgress() override;
    void memoryAppendByte(std::uint8_t byte) override;
    void memoryFinishProgress() override;
    void memoryDecode() override;
    int memoryLastByte() const override;
    void memoryAbort() override;
    void memoryReset() override;
    bool memoryStopRequested() const override;
    bool memoryCanTakeMore() const override;

    // PortOwner
    QWidget* dialogParent() override { return this; }
    CComPort* port() const override { return serialPort.get(); }
    void setPort(std::unique_ptr<CComPort> newPort) override;
    int portNumberSetting() const override { return appSettings.portNumber; }
    void setPortNumberSetting(int n) override { appSettings.portNumber = n; }

signals:
    // The window has closed; the settings may be saved now.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    // The tiles in the order TEMP, RH, PRESS, SPEED, ORIENT, for the dialogs.
    std::array<CValueTile*, 5> tilesInOrder() const;
    void onClientResized(ResizeKind kind, ClientSize size);
    void layoutTiles(ClientSize size);
    void storeWindowRect();
    void placeWindow();
    void fitFrameToStoredRect();
    void applyStatus(const StatusUpdate& update);
    void shutDownLink();
    void refreshStatusText();
    // The status line's new text; focus goes back to the first tile.
    void showStatusText(const std::string& text);

    AppSettings appSettings;
    std::function<bool()> uninstaller;

    QLineEdit* statusEdit = nullptr;
    std::array<CValueTile*, 5> tiles{}; // by quantityIndex
    QAction* topmostAction = nullptr;

    int statusHeight = 21;
    bool initializing = true;
    bool frameFitted = false;
    WindowRect placement; // where start-up put the window, frame included
    QElapsedTimer shownClock;
    WindowSizeTracker sizeTracker;

    PanelData data;
    PollEngine engine;
    PanelAdmin panelAdmin;
    ConnectionStatus connection;
    std::unique_ptr<CComPort> serialPort;
    QTimer pollTimer;
    std::array<QTimer, 5> confirmationTimers; // by ConfirmationTimer

    CMemoryDlg* memoryDlg = nullptr; // made at the first download, then reused
    LiveRecorder recorder;
};
