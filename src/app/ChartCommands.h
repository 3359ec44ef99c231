#pragma once

#include "charts/ChartRange.h"
#include "charts/HistoryChartSource.h"
#include "display/Colour.h"
#include "protocol/Reading.h"

#include <QObject>
#include <array>
#include <memory>
#include <optional>

struct AppSettings;
class CChartWnd;
class QWidget;

// The main window's chart window "Wykresy": opened once on its remembered
// range and raised later, given the link's readings while it exists, its
// place, size and range kept in the settings when it closes.
class ChartCommands : public QObject {
    Q_OBJECT

public:
    // `settings` and `window` outlive this object.
    ChartCommands(AppSettings& settings, QWidget& window);
    ~ChartCommands() override;

    // The running history's file, which the chart window reads.
    void setHistoryPath(const QString& path);
    // Opens the chart window in the tiles' colours (by quantityIndex), or
    // raises it; on `span` when given, else a new window on its remembered
    // range.
    void show(const std::array<Colour, 5>& text, const std::array<Colour, 5>& background,
              std::optional<TimeSpan> span);
    void addReading(const Reading& reading);
    // The main window is closing.
    void close();

    CChartWnd* window() const { return chartWnd.get(); }

private:
    void storeSettings();

    AppSettings& settings;
    QWidget& mainWindow;
    std::shared_ptr<HistoryChartSource> source = std::make_shared<HistoryChartSource>();
    // A top-level window of its own, so that the memory dialog, modal to the
    // main window, does not block it.
    std::unique_ptr<CChartWnd> chartWnd;
};
