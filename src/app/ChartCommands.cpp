#include "app/ChartCommands.h"

#include "charts/CChartWnd.h"
#include "settings/AppSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

ChartCommands::ChartCommands(AppSettings& settings, QWidget& window)
    : settings(settings), mainWindow(window) {}

ChartCommands::~ChartCommands() = default;

void ChartCommands::setHistoryPath(const QString& path) {
    source->setPath(path);
}

void ChartCommands::show(const std::array<Colour, 5>& text, const std::array<Colour, 5>& background,
                         std::optional<TimeSpan> span) {
    if (chartWnd == nullptr) {
        chartWnd = std::make_unique<CChartWnd>(source);
        chartWnd->setWindowIcon(mainWindow.windowIcon());
        const WindowRect& r = settings.chartRect;
        const QRect rect(r.left, r.top, r.width(), r.height());
        // A place on no screen (a monitor gone since) gives way to the
        // window's default place on the main window's screen.
        if (QGuiApplication::screenAt(rect.center()) != nullptr) {
            chartWnd->setGeometry(rect);
        } else {
            chartWnd->resize(rect.size().boundedTo(mainWindow.screen()->availableSize()));
        }
        connect(chartWnd.get(), &CChartWnd::closed, this, &ChartCommands::storeSettings);
    }
    chartWnd->setColours(text, background);
    const bool wasOpen = chartWnd->isVisible();
    chartWnd->show();
    chartWnd->raise();
    chartWnd->activateWindow();
    if (span) {
        chartWnd->showSpan(*span);
    } else if (wasOpen) {
        return;
    } else if (settings.chartRange == static_cast<int>(ChartRange::Custom)) {
        chartWnd->showSpan({settings.chartFrom, settings.chartTo});
    } else {
        chartWnd->showRange(static_cast<ChartRange>(settings.chartRange));
    }
}

void ChartCommands::addReading(const Reading& reading) {
    if (chartWnd != nullptr) {
        chartWnd->addReading(reading);
    }
}

void ChartCommands::close() {
    if (chartWnd != nullptr && chartWnd->isVisible()) {
        chartWnd->close();
    }
}

void ChartCommands::storeSettings() {
    const QRect g = chartWnd->geometry();
    settings.chartRect = {g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
    settings.chartRange = static_cast<int>(chartWnd->range());
    settings.chartFrom = chartWnd->view().from;
    settings.chartTo = chartWnd->view().to;
}
