#pragma once

#include "admin/PanelAdmin.h"
#include "app/ChartCommands.h"
#include "app/HistoryCommands.h"
#include "app/PortOwner.h"
#include "app/WindowSizeTracker.h"
#include "charts/ChartRange.h"
#include "display/TileStyle.h"
#include "history/MeasurementHistory.h"
#include "link/CComPort.h"
#include "link/PanelLink.h"
#include "protocol/Quantity.h"
#include "recording/LiveRecorder.h"
#include "settings/AppSettings.h"
#include "widgets/FramePlacement.h"

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>

class CChartWnd;
class CValueTile;
class QAction;
class QLineEdit;

// The program's only top-level window: the status line, the five value tiles
// and the menu. It shows what the panel link signals, answers the link's
// messages and questions with message boxes, routes the menu's commands to the
// link and the subsystems, and keeps the window rectangle for the settings.
class CMeteoDlg : public QMainWindow, public PortOwner {
    Q_OBJECT

public:
    // Qt reports no dialog-frame width; 3 pixels is the Windows dialog frame of
    // the standard themes, which the layout was drawn for.
    static constexpr int kDialogFrameWidth = 3;

    explicit CMeteoDlg(QWidget* parent = nullptr);
    ~CMeteoDlg() override;

    // The settings record and the tile styles (indexed by quantityIndex); the
    // settings are loaded into them before initialise and saved from them
    // after the window has closed.
    AppSettings& settings() { return appSettings; }
    const AppSettings& settings() const { return appSettings; }
    std::array<TileStyle, 5> tileStyles() const;
    void setTileStyles(const std::array<TileStyle, 5>& styles);

    // The start-up sequence, run once before the window is first shown: the
    // port, the tiles, the placement, the first status and the poll engine.
    void initialise();

    CValueTile* tile(Quantity q) const { return tiles[quantityIndex(q)]; }
    QLineEdit* statusLine() const { return statusEdit; }
    PanelLink& link() { return panelLink; }
    const PanelLink& link() const { return panelLink; }
    const LiveRecorder& liveRecorder() const { return recorder; }
    MeasurementHistory& measurementHistory() { return history; }
    int statusLineHeight() const { return statusHeight; }

    // Commands of the menu, also reachable by their actions' object names.
    void toggleTopmost();
    void showAbout();
    // "Wykresy": opens the chart window (once; later it is raised) on its
    // remembered range, or on `span` when given.
    void showCharts(std::optional<TimeSpan> span = std::nullopt);
    CChartWnd* chartWindow() const { return chartCommands.window(); }

    // PortOwner: the port is the link's.
    QWidget* dialogParent() override { return this; }
    CComPort* port() const override { return panelLink.port(); }
    void setPort(std::unique_ptr<CComPort> newPort) override {
        panelLink.setPort(std::move(newPort));
    }
    int portNumberSetting() const override { return appSettings.portNumber; }
    void setPortNumberSetting(int n) override { appSettings.portNumber = n; }

signals:
    // The window has closed; the settings may be saved now.
    void closed();
    // "Pomoc" and "Odinstaluj": the program's, not the window's.
    void helpRequested();
    void uninstallRequested();

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
    void applyStatus(const StatusUpdate& update);
    // The status line's new text; focus goes back to the first tile.
    void showStatusText(const QString& text);
    void onReading(const Reading& reading);

    AppSettings appSettings;

    QLineEdit* statusEdit = nullptr;
    std::array<CValueTile*, 5> tiles{}; // by quantityIndex
    QAction* topmostAction = nullptr;

    int statusHeight = 21;
    bool initializing = true;
    FramePlacement framePlacement{*this};
    WindowSizeTracker sizeTracker;

    PanelLink panelLink;
    PanelAdmin panelAdmin; // after the link: its dialogs observe the link's objects
    LiveRecorder recorder;
    MeasurementHistory history;
    HistoryCommands historyCommands{history, appSettings, this};
    ChartCommands chartCommands{appSettings, *this};
};
