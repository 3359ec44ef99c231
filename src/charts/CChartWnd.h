#pragma once

#include "charts/ChartRange.h"
#include "charts/ChartRows.h"
#include "display/Colour.h"
#include "protocol/DateTimeRecord.h"
#include "protocol/MemoryRecord.h"
#include "protocol/Reading.h"

#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

class ChartBand;
class ChartTableModel;
class DaySummaryModel;
class QButtonGroup;
class QCPAxisRect;
class QCPGraph;
class QCPItemStraightLine;
class QCustomPlot;
class QLabel;
class QTabWidget;
class QTableView;

// "Wykresy": the readings over a range of time as stacked plots on one time
// axis, as a table and as daily summaries. The past comes from a ChartSource
// (read in a worker thread, so that a long range never holds up the window or
// the polling); the readings of the running link are added as they arrive.
// Non-modal; the main window opens it and hands it the readings.
class CChartWnd : public QWidget {
    Q_OBJECT

public:
    // Keys of the window: arrows move the cursor, with Ctrl ten times as far;
    // + and - (or Up and Down) zoom around it; Page Up and Page Down pan by half
    // a view; Home and End put the cursor at the view's ends.
    explicit CChartWnd(std::shared_ptr<ChartSource> source, QWidget* parent = nullptr);
    ~CChartWnd() override;

    // The plots' colours: the tiles' text colours (lines, dots) and background
    // colours (the bands), by quantityIndex.
    void setColours(const std::array<Colour, 5>& text, const std::array<Colour, 5>& background);

    // A button's range, ending now; the view follows the clock.
    void showRange(ChartRange range);
    // A range of its own; the view stays where it is.
    void showSpan(TimeSpan span);
    ChartRange range() const { return range_; }
    TimeSpan view() const { return view_; }

    // A reading of the running link.
    void addReading(const Reading& reading);

    // Records just downloaded from the panel's memory, drawn as points and
    // shown over their range.
    void showPanelRecords(std::vector<ChartRow> records);
    // The memory dialog's records at the times the history gives them.
    static std::vector<ChartRow> rowsOfMemory(const std::vector<MemoryRecord>& records,
                                              const DateTimeRecord& downloadedAt);

    // The cursor's moment (NaN: none) and the readout line under the plots.
    double cursor() const { return cursor_; }
    void setCursor(double t);
    QString readout() const;

    // Done once the rows of the current view have been read.
    bool isLoading() const { return loading_; }
    // The rows the window holds (the past and the readings since it opened).
    const std::vector<ChartRow>& rows() const { return rows_; }

    QCustomPlot* plot() const { return plot_; }
    QTableView* table() const { return tableView_; }
    QTableView* daySummary() const { return dayView_; }
    QTabWidget* tabs() const { return tabs_; }

    // "Zapisz wykres…" and "Zapisz dane…" without the file chooser: true on success,
    // else `error` holds the Polish reason.
    bool saveChart(const QString& path, QString& error);
    bool saveData(const QString& path, QString& error);

    // The plots drawn again for the current view (thinned, then replotted).
    void redraw();

    // Now, in seconds since 1970; tests set their own clock.
    using Clock = std::function<std::int64_t()>;
    void setClock(Clock clock);

signals:
    // The rows of a view have been read (or the reading failed).
    void loaded();
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Loaded;
    void buildPlots();
    void setView(TimeSpan view, bool follow);
    void requestLoad();
    void onLoaded(const std::shared_ptr<Loaded>& result);
    void refreshDays();
    void updateTable();
    void updateReadout();
    void moveCursorBy(double columns);
    int plotColumns() const;
    void chooseCustomRange();
    void chooseChartFile();
    void chooseDataFile();
    void showMessage(const QString& text);
    void onLiveTick();

    std::shared_ptr<ChartSource> source_;
    QThreadPool worker_;
    Clock clock_;

    ChartRange range_ = ChartRange::Day;
    TimeSpan view_;
    bool following_ = true;
    TimeSpan loadedSpan_;
    Resolution loadedResolution_ = Resolution::Minute;
    bool everLoaded_ = false;
    bool loading_ = false;
    int generation_ = 0;
    std::vector<ChartRow> rows_;
    std::vector<ChartRow> records_;
    std::vector<ChartRow> live_;       // at most one a second, since the window opened
    std::vector<ChartRow> downloaded_; // records of the memory dialog
    double cursor_ = std::numeric_limits<double>::quiet_NaN();
    bool liveDirty_ = false;
    std::int64_t lastLiveDraw_ = 0;
    QTimer liveTimer_;
    QTimer dayTimer_;
    QTimer reloadTimer_;
    int dragX_ = -1;
    TimeSpan dragStart_;

    QButtonGroup* rangeButtons_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QCustomPlot* plot_ = nullptr;
    std::array<QCPAxisRect*, 5> rects_{};
    std::array<ChartBand*, 5> bands_{};
    std::array<QCPGraph*, 5> means_{}, recordDots_{};
    QCPGraph* speedMax_ = nullptr;
    QCPGraph* dewPoint_ = nullptr;
    QCPGraph* windChill_ = nullptr;
    std::array<QCPItemStraightLine*, 5> cursorLines_{};
    QLabel* readout_ = nullptr;
    QLabel* message_ = nullptr;
    QTableView* tableView_ = nullptr;
    ChartTableModel* tableModel_ = nullptr;
    QTableView* dayView_ = nullptr;
    DaySummaryModel* dayModel_ = nullptr;
};
