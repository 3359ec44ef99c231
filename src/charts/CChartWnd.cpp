#include "charts/CChartWnd.h"

#include "charts/CRangeDlg.h"
#include "charts/ChartBand.h"
#include "charts/ChartSheet.h"
#include "charts/ChartTable.h"
#include "charts/ChartTableModel.h"
#include "charts/ChartThinning.h"
#include "charts/HistoryChartRows.h"
#include "history/PanelRecords.h"
#include "history/QtZoneRules.h"
#include "recording/Workbook.h"
#include "text/Cp1250.h"
#include "widgets/DateTimeConversion.h"
#include "widgets/PolishMessageBox.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

namespace {

struct PlotSetup {
    Quantity quantity;
    const char* title;
    double low, high;         // the view when nothing is known
    double clipLow, clipHigh; // values beyond are drawn at the edge
};

// The plots from the top; the time axis is drawn under the last one.
constexpr std::array<PlotSetup, 5> kPlots{{
    {Quantity::TEMP, "Temperatura °C", -10, 30, -60, 70},
    {Quantity::RH, "Wilgotność względna %", 0, 100, 0, 100},
    {Quantity::PRESS, "Ciśnienie hPa", 980, 1040, 850, 1100},
    {Quantity::SPEED, "Prędkość wiatru m/s", 0, 10, 0, 75},
    {Quantity::ORIENT, "Kierunek wiatru", 0, 360, 0, 360},
}};

struct RangeButton {
    ChartRange range;
    const char* text;
    const char* name;
};
constexpr std::array<RangeButton, 6> kRangeButtons{{
    {ChartRange::LastHour, "Ostatnia godzina", "rangeHour"},
    {ChartRange::Day, "24 godziny", "rangeDay"},
    {ChartRange::Week, "7 dni", "rangeWeek"},
    {ChartRange::Month, "30 dni", "rangeMonth"},
    {ChartRange::Year, "Rok", "rangeYear"},
    {ChartRange::Custom, "Zakres…", "rangeCustom"},
}};

QColor qcolour(Colour c, int alpha = 255) {
    return QColor(colourRed(c), colourGreen(c), colourBlue(c), alpha);
}

std::int64_t nowSeconds() {
    return QDateTime::currentSecsSinceEpoch();
}

std::int32_t localDayOf(std::int64_t utc) {
    return static_cast<std::int32_t>(
        QDate(1970, 1, 1).daysTo(QDateTime::fromSecsSinceEpoch(utc).date()));
}

std::int64_t endOf(const ChartRow& row) {
    return row.utc + std::max(row.seconds, 1);
}

QString tickFormat(std::int64_t length) {
    if (length <= 2 * 86400) {
        return QStringLiteral("HH:mm");
    }
    if (length <= 14 * 86400) {
        return QStringLiteral("dd.MM\nHH:mm");
    }
    if (length <= 400LL * 86400) {
        return QStringLiteral("dd.MM");
    }
    return QStringLiteral("MM.yyyy");
}

// Columns as wide as their titles or a value: measuring the rows themselves
// would read all of a year's.
void fitColumns(QTableView* view) {
    const QFontMetrics metrics(view->font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    const int value = metrics.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00"));
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        const QString title = view->model()->headerData(c, Qt::Horizontal).toString();
        const int data = c == 0 ? value : metrics.horizontalAdvance(QStringLiteral("-0000.0"));
        view->horizontalHeader()->resizeSection(
            c, std::max(metrics.horizontalAdvance(title), data) + padding);
    }
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
}

QVector<double> toVector(const std::vector<double>& v) {
    return QVector<double>(v.begin(), v.end());
}

} // namespace

struct CChartWnd::Loaded {
    int generation = 0;
    TimeSpan span;
    Resolution resolution = Resolution::Minute;
    std::vector<ChartRow> rows;
    std::vector<ChartRow> records;
    std::vector<DayRow> days;
    std::string error;
};

CChartWnd::CChartWnd(std::shared_ptr<ChartSource> source, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)), clock_(&nowSeconds) {
    setObjectName(QStringLiteral("chartWnd"));
    setWindowTitle(QStringLiteral("Wykresy"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // One reader thread that lives as long as the window: the history's file
    // is used from the thread that opened it.
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);

    auto* buttons = new QHBoxLayout;
    rangeButtons_ = new QButtonGroup(this);
    rangeButtons_->setExclusive(true);
    for (const RangeButton& b : kRangeButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.text), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setCheckable(b.range != ChartRange::Custom);
        button->setAutoDefault(false);
        rangeButtons_->addButton(button, static_cast<int>(b.range));
        buttons->addWidget(button);
    }
    connect(rangeButtons_, &QButtonGroup::idClicked, this, [this](int id) {
        const auto range = static_cast<ChartRange>(id);
        if (range == ChartRange::Custom) {
            chooseCustomRange();
        } else {
            showRange(range);
        }
    });
    buttons->addStretch();
    auto* saveChartButton = new QPushButton(QStringLiteral("Zapisz wykres…"), this);
    saveChartButton->setObjectName(QStringLiteral("saveChartButton"));
    saveChartButton->setAutoDefault(false);
    connect(saveChartButton, &QPushButton::clicked, this, &CChartWnd::chooseChartFile);
    auto* saveDataButton = new QPushButton(QStringLiteral("Zapisz dane…"), this);
    saveDataButton->setObjectName(QStringLiteral("saveDataButton"));
    saveDataButton->setAutoDefault(false);
    connect(saveDataButton, &QPushButton::clicked, this, &CChartWnd::chooseDataFile);
    buttons->addWidget(saveChartButton);
    buttons->addWidget(saveDataButton);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("chartMessage"));
    message_->setWordWrap(true);
    message_->hide();

    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("chartPlot"));
    plot_->setAccessibleName(QStringLiteral("Wykresy pomiarów"));
    plot_->setFocusPolicy(Qt::StrongFocus);
    plot_->setMinimumSize(400, 300);
    plot_->installEventFilter(this);
    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("readout"));
    readout_->setWordWrap(true);
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Two lines: a readout of every value is longer than most windows are wide.
    readout_->setMinimumHeight(2 * readout_->fontMetrics().lineSpacing() + 4);
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* plotPage = new QWidget(this);
    auto* plotLayout = new QVBoxLayout(plotPage);
    plotLayout->setContentsMargins(0, 0, 0, 0);
    plotLayout->addWidget(plot_, 1);
    plotLayout->addWidget(readout_);

    tableModel_ = new ChartTableModel(this);
    tableView_ = new QTableView(this);
    tableView_->setObjectName(QStringLiteral("chartTable"));
    tableView_->setAccessibleName(QStringLiteral("Tabela pomiarów"));
    tableView_->setModel(tableModel_);
    tableView_->verticalHeader()->hide();
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fitColumns(tableView_);

    dayModel_ = new DaySummaryModel(this);
    dayView_ = new QTableView(this);
    dayView_->setObjectName(QStringLiteral("daySummary"));
    dayView_->setAccessibleName(QStringLiteral("Podsumowanie dni"));
    dayView_->setModel(dayModel_);
    dayView_->verticalHeader()->hide();
    dayView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    dayView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fitColumns(dayView_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("chartTabs"));
    tabs_->addTab(plotPage, QStringLiteral("Wykres"));
    tabs_->addTab(tableView_, QStringLiteral("Tabela"));
    tabs_->addTab(dayView_, QStringLiteral("Podsumowanie dni"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(message_);
    layout->addWidget(tabs_, 1);

    buildPlots();
    std::array<Colour, 5> text{};
    std::array<Colour, 5> background{};
    for (std::size_t q = 0; q < 5; ++q) {
        text[q] = 0x000000;
        background[q] = 0xE0E0E0;
    }
    setColours(text, background);

    // The readings arrive about thirteen times a second; the plots are drawn
    // again once a second at most.
    liveTimer_.setInterval(1000);
    connect(&liveTimer_, &QTimer::timeout, this, &CChartWnd::onLiveTick);
    liveTimer_.start();
    dayTimer_.setInterval(60 * 1000);
    connect(&dayTimer_, &QTimer::timeout, this, &CChartWnd::refreshDays);
    dayTimer_.start();
    reloadTimer_.setSingleShot(true);
    reloadTimer_.setInterval(150);
    connect(&reloadTimer_, &QTimer::timeout, this, &CChartWnd::requestLoad);

    resize(1000, 760);
    view_ = spanOf(range_, clock_());
}

CChartWnd::~CChartWnd() {
    plot_->removeEventFilter(this);
    // The table's rows go before its model.
    tableModel_->setRows(nullptr, 0, 0);
    // No reading may outlive the window.
    worker_.clear();
    worker_.waitForDone();
}

void CChartWnd::setClock(Clock clock) {
    clock_ = clock ? std::move(clock) : Clock(&nowSeconds);
}

void CChartWnd::buildPlots() {
    plot_->plotLayout()->clear();
    plot_->setNoAntialiasingOnDrag(true);
    // Antialiased lines and fills cost four times as much to draw; the data
    // lines are drawn sharp, the axes and texts stay smooth.
    plot_->setNotAntialiasedElements(QCP::aePlottables | QCP::aeFills | QCP::aeScatters);
    plot_->setPlottingHint(QCP::phFastPolylines, true);
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeSpec(Qt::LocalTime);
    // Numbers with a decimal point, as the tiles, the readout and the table
    // show them; the dates are all digits.
    plot_->setLocale(QLocale::c());
    auto group = new QCPMarginGroup(plot_);
    for (std::size_t i = 0; i < kPlots.size(); ++i) {
        const PlotSetup& p = kPlots[i];
        auto* rect = new QCPAxisRect(plot_);
        plot_->plotLayout()->addElement(static_cast<int>(i), 0, rect);
        rect->setMarginGroup(QCP::msLeft | QCP::msRight, group);
        rect->setupFullAxesBox(false);
        QCPAxis* x = rect->axis(QCPAxis::atBottom);
        QCPAxis* y = rect->axis(QCPAxis::atLeft);
        x->setTicker(ticker);
        x->setTickLabels(i + 1 == kPlots.size());
        y->setLabel(QString::fromUtf8(p.title));
        y->setRange(p.low, p.high);
        const std::size_t q = static_cast<std::size_t>(quantityIndex(p.quantity));
        rects_[i] = rect;
        if (p.quantity == Quantity::ORIENT) {
            auto compass = QSharedPointer<QCPAxisTickerText>::create();
            compass->addTick(0, QStringLiteral("N"));
            compass->addTick(90, QStringLiteral("E"));
            compass->addTick(180, QStringLiteral("S"));
            compass->addTick(270, QStringLiteral("W"));
            compass->addTick(360, QStringLiteral("N"));
            y->setTicker(compass);
            means_[q] = plot_->addGraph(x, y);
            means_[q]->setLineStyle(QCPGraph::lsNone);
            means_[q]->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 3));
        } else {
            bands_[q] = new ChartBand(x, y);
            means_[q] = plot_->addGraph(x, y);
        }
        recordDots_[q] = plot_->addGraph(x, y);
        recordDots_[q]->setName(QStringLiteral("Rekordy pamięci panelu"));
        recordDots_[q]->setLineStyle(QCPGraph::lsNone);
        recordDots_[q]->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 7));
        auto* line = new QCPItemStraightLine(plot_);
        line->setClipAxisRect(rect);
        line->point1->setAxes(x, y);
        line->point2->setAxes(x, y);
        line->setPen(QPen(QColor(200, 0, 0), 1));
        line->setVisible(false);
        cursorLines_[i] = line;
    }
    QCPAxisRect* temperature = rects_[0];
    const auto tx = temperature->axis(QCPAxis::atBottom);
    const auto ty = temperature->axis(QCPAxis::atLeft);
    dewPoint_ = plot_->addGraph(tx, ty);
    dewPoint_->setName(QStringLiteral("Punkt rosy"));
    windChill_ = plot_->addGraph(tx, ty);
    windChill_->setName(QStringLiteral("Temperatura odczuwalna"));
    QCPAxisRect* speed = rects_[3];
    speedMax_ = plot_->addGraph(speed->axis(QCPAxis::atBottom), speed->axis(QCPAxis::atLeft));
    speedMax_->setName(QStringLiteral("Prędkość maks."));

    // A legend for the temperature plot's three lines, in a row of its own
    // above the plots: inside one it would hide the latest values.
    plot_->legend = new QCPLegend;
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(0, 0, plot_->legend);
    plot_->plotLayout()->setRowStretchFactor(0, 0.001);
    plot_->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot_->legend->setBorderPen(Qt::NoPen);
    plot_->legend->setMargins(QMargins(0, 0, 0, 0));
    plot_->legend->setLayer(QStringLiteral("legend"));
    plot_->legend->setVisible(true);
    means_[0]->setName(QStringLiteral("Temperatura"));
    means_[0]->addToLegend(plot_->legend);
    dewPoint_->addToLegend(plot_->legend);
    windChill_->addToLegend(plot_->legend);
    plot_->legend->setFont(font());
    plot_->legend->setBrush(QColor(255, 255, 255, 200));

    // Zoom and pan with the mouse through the same rules as the keyboard.
    connect(plot_, &QCustomPlot::mouseWheel, this, [this](QWheelEvent* event) {
        const QRect r = rects_[0]->rect();
        const double anchor = r.width() > 0 ? (event->position().x() - r.left()) / r.width() : 1.0;
        const double steps = event->angleDelta().y() / 120.0;
        const TimeSpan v = zoomed(view_, std::pow(0.8, steps), anchor);
        setView(v, following_ && v.to >= clock_());
    });
    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton) {
            dragX_ = qRound(event->position().x());
            dragStart_ = view_;
        }
    });
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent*) { dragX_ = -1; });
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        const double x = event->position().x();
        if (dragX_ >= 0 && (event->buttons() & Qt::LeftButton) != 0) {
            const double width = std::max(1, rects_[0]->width());
            const TimeSpan v = panned(dragStart_, -(x - dragX_) / width);
            setView(v, v.to >= clock_());
            return;
        }
        setCursor(rects_[0]->axis(QCPAxis::atBottom)->pixelToCoord(x));
    });
}

void CChartWnd::setColours(const std::array<Colour, 5>& text,
                           const std::array<Colour, 5>& background) {
    for (std::size_t q = 0; q < 5; ++q) {
        const QColor line = qcolour(text[q]);
        means_[q]->setPen(QPen(line, 1.0));
        if (bands_[q] != nullptr) {
            bands_[q]->setBrush(qcolour(background[q]));
        } else {
            means_[q]->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, line, line, 2));
        }
        recordDots_[q]->setScatterStyle(
            QCPScatterStyle(QCPScatterStyle::ssCircle, line, qcolour(background[q]), 6));
    }
    const std::size_t t = static_cast<std::size_t>(quantityIndex(Quantity::TEMP));
    const std::size_t s = static_cast<std::size_t>(quantityIndex(Quantity::SPEED));
    dewPoint_->setPen(QPen(qcolour(text[t], 170), 1.0, Qt::DashLine));
    windChill_->setPen(QPen(qcolour(text[t], 170), 1.0, Qt::DotLine));
    speedMax_->setPen(QPen(qcolour(text[s], 200), 1.0));
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void CChartWnd::showRange(ChartRange range) {
    range_ = range;
    if (QAbstractButton* b = rangeButtons_->button(static_cast<int>(range))) {
        b->setChecked(b->isCheckable());
    }
    setView(spanOf(range, clock_()), true);
}

void CChartWnd::showSpan(TimeSpan span) {
    range_ = ChartRange::Custom;
    if (QAbstractButton* checked = rangeButtons_->checkedButton()) {
        rangeButtons_->setExclusive(false);
        checked->setChecked(false);
        rangeButtons_->setExclusive(true);
    }
    setView(sanitized(span), false);
}

void CChartWnd::setView(TimeSpan view, bool follow) {
    view = sanitized(view);
    following_ = follow;
    if (!everLoaded_ || !coveredBy(view, loadedSpan_, loadedResolution_)) {
        view_ = view;
        // Drawn at once from what there is; the rows follow.
        redraw();
        loading_ = true;
        if (!everLoaded_) {
            requestLoad();
        } else {
            reloadTimer_.start();
        }
        return;
    }
    view_ = view;
    redraw();
    updateTable();
}

void CChartWnd::requestLoad() {
    reloadTimer_.stop();
    const TimeSpan load = loadSpanFor(view_);
    const Resolution resolution = resolutionFor(view_);
    const std::int32_t fromDay = localDayOf(view_.from);
    const std::int32_t toDay = localDayOf(view_.to);
    const int generation = ++generation_;
    loading_ = true;
    auto source = source_;
    worker_.start([this, source, load, resolution, fromDay, toDay, generation] {
        auto result = std::make_shared<Loaded>();
        result->generation = generation;
        result->span = load;
        result->resolution = resolution;
        if (source) {
            ChartSource::Rows rows = source->rows(load.from, load.to, resolution);
            // Seconds are kept for a few days only: older parts of a short
            // view come from the minutes.
            if (resolution == Resolution::Raw && rows.error.empty() &&
                (rows.rows.empty() || rows.rows.front().utc > load.from + 60)) {
                const std::int64_t until = rows.rows.empty() ? load.to : rows.rows.front().utc;
                ChartSource::Rows minutes = source->rows(load.from, until, Resolution::Minute);
                minutes.rows.insert(minutes.rows.end(), rows.rows.begin(), rows.rows.end());
                rows.rows = std::move(minutes.rows);
            }
            result->rows = std::move(rows.rows);
            result->error = rows.error;
            if (result->error.empty()) {
                ChartSource::Rows records = source->panelRecords(load.from, load.to);
                result->records = std::move(records.rows);
                ChartSource::Days days = source->days(fromDay, toDay);
                result->days = std::move(days.days);
                result->error = days.error.empty() ? records.error : days.error;
            }
        }
        QMetaObject::invokeMethod(
            this, [this, result] { onLoaded(result); }, Qt::QueuedConnection);
    });
}

void CChartWnd::onLoaded(const std::shared_ptr<Loaded>& result) {
    if (result->generation != generation_) {
        return; // a newer view asked in the meantime
    }
    loading_ = false;
    everLoaded_ = true;
    loadedSpan_ = result->span;
    loadedResolution_ = result->resolution;
    rows_ = std::move(result->rows);
    records_ = std::move(result->records);
    // The readings of the running link that the history has not given.
    const std::int64_t after = rows_.empty() ? loadedSpan_.from : endOf(rows_.back());
    auto live = std::lower_bound(live_.begin(), live_.end(), after,
                                 [](const ChartRow& r, std::int64_t t) { return r.utc < t; });
    for (; live != live_.end() && live->utc < loadedSpan_.to + 86400; ++live) {
        rows_.push_back(*live);
    }
    dayModel_->setDays(std::move(result->days));
    if (!result->error.empty()) {
        showMessage(QStringLiteral("Historia pomiarów jest niedostępna: %1")
                        .arg(QString::fromStdString(result->error)));
    } else {
        showMessage({});
    }
    redraw();
    updateTable();
    emit loaded();
}

void CChartWnd::refreshDays() {
    if (!source_ || !isVisible()) {
        return;
    }
    const std::int64_t now = clock_();
    if (now < view_.from || now > view_.to + 86400) {
        return; // today is not shown
    }
    const std::int32_t today = localDayOf(now);
    auto source = source_;
    worker_.start([this, source, today] {
        auto days = std::make_shared<ChartSource::Days>(source->days(today, today));
        QMetaObject::invokeMethod(
            this,
            [this, days] {
                for (const DayRow& d : days->days) {
                    dayModel_->updateDay(d);
                }
            },
            Qt::QueuedConnection);
    });
}

void CChartWnd::addReading(const Reading& reading) {
    ChartRow row;
    row.utc =
        std::chrono::duration_cast<std::chrono::seconds>(reading.time.time_since_epoch()).count();
    row.offset = QDateTime::fromSecsSinceEpoch(row.utc).offsetFromUtc();
    row.seconds = 1;
    for (std::size_t q = 0; q < 5; ++q) {
        const QuantityReading& r = reading.values[q];
        if (r.known && !r.faulty) {
            row.values[q] = Band::of(r.value);
        }
    }
    // The last reading of a second stands for it.
    if (!live_.empty() && live_.back().utc == row.utc) {
        live_.back() = row;
    } else if (live_.empty() || live_.back().utc < row.utc) {
        live_.push_back(row);
    } else {
        return; // the clock went back: the history sorts that out
    }
    if (!rows_.empty() && rows_.back().seconds == 1 && rows_.back().utc == row.utc) {
        rows_.back() = row;
    } else if (rows_.empty() || row.utc >= endOf(rows_.back())) {
        rows_.push_back(row);
    }
    liveDirty_ = true;
}

void CChartWnd::showPanelRecords(std::vector<ChartRow> records) {
    std::sort(records.begin(), records.end(),
              [](const ChartRow& a, const ChartRow& b) { return a.utc < b.utc; });
    downloaded_ = std::move(records);
    if (downloaded_.empty()) {
        redraw();
        return;
    }
    // The records' range with a little room on each side, at least an hour.
    const std::int64_t from = downloaded_.front().utc;
    const std::int64_t to = downloaded_.back().utc + 1;
    const std::int64_t margin = std::max<std::int64_t>((to - from) / 20, 1800);
    showSpan({from - margin, to + margin});
}

std::vector<ChartRow> CChartWnd::rowsOfMemory(const std::vector<MemoryRecord>& records,
                                              const DateTimeRecord& downloadedAt) {
    // The times the history gives the same records when it stores them.
    const LocalDateTime download{downloadedAt.year, downloadedAt.month,  downloadedAt.day,
                                 downloadedAt.hour, downloadedAt.minute, downloadedAt.second};
    const QtZoneRules zone;
    std::vector<ChartRow> rows;
    for (const PanelRecordRow& r : panelRecordRows(records, download, zone).rows) {
        rows.push_back(chartRowOf(r));
    }
    return rows;
}

void CChartWnd::onLiveTick() {
    if (!liveDirty_ || !isVisible()) {
        return;
    }
    const std::int64_t now = clock_();
    // The plots change a pixel column at a time: they are drawn again once a
    // column's time has passed (at most every 5 s), the readout every second.
    const std::int64_t perColumn = std::clamp<std::int64_t>(view_.length() / plotColumns(), 1, 5);
    const bool draw = now - lastLiveDraw_ >= perColumn || now < lastLiveDraw_;
    if (following_) {
        const TimeSpan moved{now - view_.length(), now};
        if (moved.to > view_.to) {
            if (!coveredBy(moved, loadedSpan_, loadedResolution_)) {
                setView(moved, true);
                return;
            }
            // The view slides with the clock: the table grows at its end
            // instead of starting again, so a reader keeps its place.
            view_ = moved;
        }
    }
    if (draw) {
        liveDirty_ = false;
        lastLiveDraw_ = now;
        redraw();
    } else {
        updateReadout();
    }
    tableModel_->extendTo(rows_.size());
}

int CChartWnd::plotColumns() const {
    const int width = rects_[0]->width() > 0 ? rects_[0]->width() : plot_->width() - 80;
    return std::max(width, 100);
}

void CChartWnd::redraw() {
    const ChartSeries s = thinRows(rows_, view_, plotColumns());
    const QVector<double> keys = toVector(s.keys);
    for (std::size_t i = 0; i < kPlots.size(); ++i) {
        const PlotSetup& p = kPlots[i];
        const std::size_t q = static_cast<std::size_t>(quantityIndex(p.quantity));
        QCPAxisRect* rect = rects_[i];
        rect->axis(QCPAxis::atBottom)
            ->setRange(static_cast<double>(view_.from), static_cast<double>(view_.to));
        QVector<double> recordKeys;
        QVector<double> recordValues;
        for (const auto* set : {&records_, &downloaded_}) {
            for (const ChartRow& r : *set) {
                if (r.utc >= view_.from && r.utc < view_.to && r.values[q].known()) {
                    recordKeys.push_back(static_cast<double>(r.utc));
                    recordValues.push_back(
                        std::clamp<double>(r.values[q].mean, p.clipLow, p.clipHigh));
                }
            }
        }
        recordDots_[q]->setData(recordKeys, recordValues, true);
        if (p.quantity == Quantity::ORIENT) {
            means_[q]->setData(toVector(s.directionKeys), toVector(s.directions), true);
            continue;
        }
        // The value axis fits what is shown, within the quantity's sound range.
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        const auto clip = [&](const std::vector<double>& v) {
            QVector<double> out(static_cast<qsizetype>(v.size()));
            for (std::size_t k = 0; k < v.size(); ++k) {
                const double x = v[k];
                if (!std::isnan(x)) {
                    low = std::min(low, x);
                    high = std::max(high, x);
                }
                out[static_cast<qsizetype>(k)] =
                    std::isnan(x) ? x : std::clamp(x, p.clipLow, p.clipHigh);
            }
            return out;
        };
        bands_[q]->setData(keys, clip(s.min[q]), clip(s.max[q]));
        means_[q]->setData(keys, clip(s.mean[q]), true);
        if (p.quantity == Quantity::TEMP) {
            dewPoint_->setData(keys, clip(s.dewPoint), true);
            windChill_->setData(keys, clip(s.windChill), true);
        }
        if (p.quantity == Quantity::SPEED) {
            speedMax_->setData(keys, clip(s.max[q]), true);
        }
        for (const double v : recordValues) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
        if (!(low <= high)) {
            low = p.low;
            high = p.high;
        }
        low = std::max(low, p.clipLow);
        high = std::min(high, p.clipHigh);
        const double pad = std::max((high - low) * 0.08, 0.5);
        rect->axis(QCPAxis::atLeft)->setRange(low - pad, high + pad);
    }
    auto ticker =
        qSharedPointerCast<QCPAxisTickerDateTime>(rects_[0]->axis(QCPAxis::atBottom)->ticker());
    ticker->setDateTimeFormat(tickFormat(view_.length()));
    for (std::size_t i = 0; i < cursorLines_.size(); ++i) {
        cursorLines_[i]->setVisible(!std::isnan(cursor_));
        cursorLines_[i]->point1->setCoords(cursor_, 0);
        cursorLines_[i]->point2->setCoords(cursor_, 1);
    }
    if (rows_.empty() && records_.empty() && downloaded_.empty() && !loading_ &&
        message_->isHidden()) {
        message_->setText(QStringLiteral("Brak pomiarów w tym zakresie."));
        message_->show();
    } else if (!rows_.empty() &&
               message_->text() == QStringLiteral("Brak pomiarów w tym zakresie.")) {
        message_->hide();
        message_->clear();
    }
    plot_->replot();
    updateReadout();
}

void CChartWnd::setCursor(double t) {
    cursor_ = t;
    for (QCPItemStraightLine* line : cursorLines_) {
        line->setVisible(!std::isnan(t));
        line->point1->setCoords(t, 0);
        line->point2->setCoords(t, 1);
    }
    plot_->replot(QCustomPlot::rpQueuedReplot);
    updateReadout();
}

QString CChartWnd::readout() const {
    return readout_->text();
}

void CChartWnd::updateReadout() {
    QString text;
    int index = -1;
    if (std::isnan(cursor_)) {
        // Without a cursor: the latest row shown.
        const auto end =
            std::lower_bound(rows_.begin(), rows_.end(), view_.to,
                             [](const ChartRow& r, std::int64_t t) { return r.utc < t; });
        if (end != rows_.begin() && (end - 1)->utc >= view_.from) {
            index = static_cast<int>(end - 1 - rows_.begin());
        }
    } else {
        index = rowAt(rows_, cursor_);
    }
    if (index >= 0) {
        const ChartRow& row = rows_[static_cast<std::size_t>(index)];
        text =
            QString::fromStdString(readoutText(ChartTableModel::timeText(row).toStdString(), row));
    } else if (!std::isnan(cursor_)) {
        text = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(cursor_)))
                   .toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) +
               QStringLiteral(": brak pomiarów");
    } else {
        text = QStringLiteral("Brak pomiarów w tym zakresie");
    }
    if (text != readout_->text()) {
        readout_->setText(text);
        // Heard by a screen reader while the plots have the focus.
        plot_->setAccessibleDescription(text);
    }
}

void CChartWnd::moveCursorBy(double columns) {
    const double step = static_cast<double>(view_.length()) / plotColumns();
    double t = std::isnan(cursor_) ? static_cast<double>(view_.to) - step / 2 : cursor_;
    t += columns * step;
    if (t < static_cast<double>(view_.from)) {
        setView(panned(view_, (t - view_.from) / static_cast<double>(view_.length())), false);
    } else if (t >= static_cast<double>(view_.to)) {
        const TimeSpan v =
            panned(view_, (t - view_.to + step) / static_cast<double>(view_.length()));
        setView(v, following_ && v.to >= clock_());
    }
    setCursor(std::clamp(t, static_cast<double>(view_.from), static_cast<double>(view_.to) - 1e-3));
}

bool CChartWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plot_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const double far = (key->modifiers() & Qt::ControlModifier) != 0 ? 10.0 : 1.0;
        const double anchor = std::isnan(cursor_)
                                  ? 1.0
                                  : (cursor_ - view_.from) / static_cast<double>(view_.length());
        switch (key->key()) {
        case Qt::Key_Left:
            moveCursorBy(-far);
            return true;
        case Qt::Key_Right:
            moveCursorBy(far);
            return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
        case Qt::Key_Up:
            setView(zoomed(view_, 0.5, anchor), following_ && anchor >= 1.0);
            return true;
        case Qt::Key_Minus:
        case Qt::Key_Down:
            setView(zoomed(view_, 2.0, anchor), following_ && anchor >= 1.0);
            return true;
        case Qt::Key_PageUp:
            setView(panned(view_, -0.5), false);
            return true;
        case Qt::Key_PageDown: {
            const TimeSpan v = panned(view_, 0.5);
            setView(v, v.to >= clock_());
            return true;
        }
        case Qt::Key_Home:
            setCursor(static_cast<double>(view_.from));
            return true;
        case Qt::Key_End:
            setCursor(static_cast<double>(view_.to) - 1e-3);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CChartWnd::updateTable() {
    const auto first =
        std::lower_bound(rows_.begin(), rows_.end(), view_.from,
                         [](const ChartRow& r, std::int64_t t) { return r.utc < t; });
    const auto last = std::lower_bound(first, rows_.end(), view_.to,
                                       [](const ChartRow& r, std::int64_t t) { return r.utc < t; });
    tableModel_->setRows(&rows_, static_cast<std::size_t>(first - rows_.begin()),
                         static_cast<std::size_t>(last - rows_.begin()));
}

void CChartWnd::showMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

void CChartWnd::chooseCustomRange() {
    CRangeDlg dialog(view_, this);
    if (dialog.exec() == QDialog::Accepted) {
        showSpan(dialog.span());
    } else if (range_ != ChartRange::Custom) {
        rangeButtons_->button(static_cast<int>(range_))->setChecked(true);
    }
}

bool CChartWnd::saveChart(const QString& path, QString& error) {
    const bool pdf =
        QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
    const bool ok = pdf ? plot_->savePdf(path, plot_->width(), plot_->height())
                        : plot_->savePng(path, plot_->width(), plot_->height());
    if (!ok) {
        error = QStringLiteral("Nie można zapisać pliku %1.").arg(QDir::toNativeSeparators(path));
    }
    return ok;
}

bool CChartWnd::saveData(const QString& path, QString& error) {
    const auto first =
        std::lower_bound(rows_.begin(), rows_.end(), view_.from,
                         [](const ChartRow& r, std::int64_t t) { return r.utc < t; });
    const auto last = std::lower_bound(first, rows_.end(), view_.to,
                                       [](const ChartRow& r, std::int64_t t) { return r.utc < t; });
    if (QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0) {
        std::vector<DateTimeRecord> times;
        times.reserve(static_cast<std::size_t>(last - first));
        for (auto it = first; it != last; ++it) {
            const QDateTime t =
                QDateTime::fromSecsSinceEpoch(it->utc, Qt::OffsetFromUTC, it->offset);
            times.push_back(toDateTimeRecord(t.date(), t.time()));
        }
        const std::string cause = Workbook::write(
            chartSheet(std::span<const ChartRow>(rows_.data() + (first - rows_.begin()),
                                                 static_cast<std::size_t>(last - first)),
                       times),
            path.toStdString());
        if (!cause.empty()) {
            error = QStringLiteral("Nie można zapisać pliku %1: %2")
                        .arg(QDir::toNativeSeparators(path), QString::fromStdString(cause));
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Nie można zapisać pliku %1: %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    std::string text = csvHeader();
    for (auto it = first; it != last; ++it) {
        const ChartRow& row = *it;
        const QDateTime t = QDateTime::fromSecsSinceEpoch(row.utc, Qt::OffsetFromUTC, row.offset);
        text += csvLine(t.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")).toStdString(), row);
    }
    const std::string bytes = cp1250::fromUtf8(text);
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        error = QStringLiteral("Nie można zapisać pliku %1: %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

namespace {

// A file name from Qt's chooser with the chosen filter's extension when it has none.
QString chooseFile(QWidget* parent, const QString& title, const QStringList& filters,
                   const QStringList& suffixes) {
    QString selected = filters.front();
    QString path =
        QFileDialog::getSaveFileName(parent, title, QString(), filters.join(QStringLiteral(";;")),
                                     &selected, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        return {};
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path +=
            QLatin1Char('.') + suffixes.value(std::max<qsizetype>(0, filters.indexOf(selected)));
    }
    if (QFileInfo::exists(path) &&
        !PolishMessageBox::ask(parent, QStringLiteral("Plik %1 już istnieje.\nCzy go zastąpić?")
                                           .arg(QDir::toNativeSeparators(path)))) {
        return {};
    }
    return path;
}

} // namespace

void CChartWnd::chooseChartFile() {
    const QString path =
        chooseFile(this, QStringLiteral("Zapisz wykres"),
                   {QStringLiteral("Obraz PNG (*.png)"), QStringLiteral("Dokument PDF (*.pdf)")},
                   {QStringLiteral("png"), QStringLiteral("pdf")});
    QString error;
    if (!path.isEmpty() && !saveChart(path, error)) {
        PolishMessageBox::inform(this, error, QMessageBox::Warning);
    }
}

void CChartWnd::chooseDataFile() {
    const QString path = chooseFile(
        this, QStringLiteral("Zapisz dane"),
        {QStringLiteral("Skoroszyt Excel (*.xlsx)"), QStringLiteral("Lista CSV (*.csv)")},
        {QStringLiteral("xlsx"), QStringLiteral("csv")});
    QString error;
    if (!path.isEmpty() && !saveData(path, error)) {
        PolishMessageBox::inform(this, error, QMessageBox::Warning);
    }
}

void CChartWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (everLoaded_) {
        QMetaObject::invokeMethod(
            this, [this] { redraw(); }, Qt::QueuedConnection);
    }
}

void CChartWnd::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}
