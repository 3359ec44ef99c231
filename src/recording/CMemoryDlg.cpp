#include "recording/CMemoryDlg.h"

#include "recording/CSaveAsDlg.h"
#include "recording/MemoryListModel.h"
#include "recording/MemorySheet.h"
#include "recording/Workbook.h"
#include "widgets/DateTimeConversion.h"
#include "widgets/PolishMessageBox.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Column widths of the list in pixels ("Nr", then the six others), widened
// when the font needs more room.
constexpr int kNumberWidth = 24;
constexpr int kColumnWidth = 76;

} // namespace

CMemoryDlg::CMemoryDlg(MemoryDownload& download, QWidget* parent)
    : QDialog(parent), download(download) {
    setObjectName(QStringLiteral("memoryDlg"));
    setWindowTitle(QStringLiteral("Pamięć"));

    readingPage = new QWidget(this);
    waitText =
        new QLabel(QStringLiteral("Proszę czekać. Trwa odczyt zawartości pamięci."), readingPage);
    waitText->setObjectName(QStringLiteral("waitText"));
    waitText->setAlignment(Qt::AlignCenter);
    progress = new QProgressBar(readingPage);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setRange(0, kProgressRange);
    progress->setTextVisible(false);
    progress->setAccessibleName(QStringLiteral("Postęp odczytu pamięci"));
    auto* readingLayout = new QVBoxLayout(readingPage);
    readingLayout->addStretch();
    readingLayout->addWidget(waitText);
    readingLayout->addWidget(progress);
    readingLayout->addStretch();

    model = new MemoryListModel(this);
    list = new QTreeView(this);
    list->setObjectName(QStringLiteral("recordList"));
    list->setAccessibleName(QStringLiteral("Rekordy pamięci panelu"));
    list->setModel(model);
    // A plain report list: no tree decoration, whole rows selected.
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    const QFontMetrics metrics(list->font());
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    list->header()->resizeSection(
        0, std::max(kNumberWidth, metrics.horizontalAdvance(QStringLiteral("0000")) + padding));
    for (int c = 1; c < model->columnCount(); ++c) {
        const QString caption = model->headerData(c, Qt::Horizontal).toString();
        list->header()->resizeSection(
            c, std::max({kColumnWidth, metrics.horizontalAdvance(caption) + padding,
                         metrics.horizontalAdvance(QStringLiteral("Błąd kalibracji")) + padding}));
    }

    pages = new QStackedWidget(this);
    pages->addWidget(readingPage);
    pages->addWidget(list);

    saveAsButton = new QPushButton(QStringLiteral("Zapisz jako"), this);
    saveAsButton->setObjectName(QStringLiteral("saveAsButton"));
    saveAsButton->setAutoDefault(false);
    closeButton = new QPushButton(QStringLiteral("Zamknij"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setDefault(true);
    // Beside "Zapisz jako": the records on the chart and as a workbook.
    chartButton = new QPushButton(QStringLiteral("Wykres"), this);
    chartButton->setObjectName(QStringLiteral("chartButton"));
    chartButton->setAutoDefault(false);
    sheetButton = new QPushButton(QStringLiteral("Arkusz…"), this);
    sheetButton->setObjectName(QStringLiteral("sheetButton"));
    sheetButton->setAutoDefault(false);
    connect(saveAsButton, &QPushButton::clicked, this, &CMemoryDlg::openSaveDialog);
    connect(chartButton, &QPushButton::clicked, this, [this] {
        if (chartHandler) {
            chartHandler(decoded, downloadTime);
        }
    });
    connect(sheetButton, &QPushButton::clicked, this, &CMemoryDlg::chooseSheetFile);
    connect(closeButton, &QPushButton::clicked, this, &CMemoryDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveAsButton);
    buttons->addWidget(chartButton);
    buttons->addWidget(sheetButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages, 1);
    layout->addLayout(buttons);

    int listWidth = 2 * list->frameWidth() + 24; // frame and a vertical scroll bar
    for (int c = 0; c < model->columnCount(); ++c) {
        listWidth += list->header()->sectionSize(c);
    }
    resize(listWidth + 2 * layout->contentsMargins().left(), 360);

    // A coarse timer may fire up to 5 % early.
    watchdogTimer.setTimerType(Qt::PreciseTimer);
    watchdogTimer.setSingleShot(true);
    watchdogTimer.setInterval(kWatchdogMs);
    connect(&watchdogTimer, &QTimer::timeout, this, &CMemoryDlg::onWatchdog);
}

CMemoryDlg::~CMemoryDlg() {
    download.setObserver(nullptr);
}

void CMemoryDlg::startReading() {
    model->setRecords(nullptr);
    decoded.clear();
    progress->setRange(0, kProgressRange);
    progress->setValue(0);
    pages->setCurrentWidget(readingPage);
    saveAsButton->setEnabled(false);
    chartButton->setEnabled(false);
    sheetButton->setEnabled(false);
    closeButton->setEnabled(true);
    watchdogTimer.start();
    download.setObserver(this);
    open();
}

void CMemoryDlg::onByteStored() {
    watchdogTimer.start();
    StepProgress();
}

void CMemoryDlg::onDownloadFinished() {
    FinishProgress();
    DecodeMemory();
}

void CMemoryDlg::onDownloadAborted() {
    Abort();
}

void CMemoryDlg::Abort() {
    download.end();
    watchdogTimer.stop();
    if (isVisible()) {
        reject();
    }
}

void CMemoryDlg::StepProgress() {
    // Contents beyond 2048 bytes leave the bar full.
    progress->setValue(std::min(progress->value() + 1, kProgressRange));
}

void CMemoryDlg::FinishProgress() {
    progress->setValue(kProgressRange);
}

bool CMemoryDlg::isReading() const {
    return pages->currentWidget() == readingPage;
}

void CMemoryDlg::DecodeMemory() {
    watchdogTimer.stop();
    if (download.stopRequested()) {
        // "Zamknij" was pressed while the last byte was on its way: the user
        // asked to close, and the greyed-out button could not do it any more.
        closeNow();
        return;
    }
    model->setRecords(nullptr);
    decoded = download.decode();
    const QDateTime now = QDateTime::currentDateTime();
    downloadTime = toDateTimeRecord(now.date(), now.time());
    showList();
    if (!decoded.empty()) {
        emit recordsDecoded(decoded);
        return;
    }
    // Called inside a step of the poll engine: the message waits until the
    // step is over.
    QMetaObject::invokeMethod(
        this,
        [this] {
            PolishMessageBox::inform(this, QString::fromUtf8(MemoryDownload::kMemoryEmpty));
            closeNow();
        },
        Qt::QueuedConnection);
}

void CMemoryDlg::showList() {
    model->setRecords(&decoded);
    pages->setCurrentWidget(list);
    saveAsButton->setEnabled(true);
    chartButton->setEnabled(static_cast<bool>(chartHandler));
    sheetButton->setEnabled(true);
    closeButton->setEnabled(true);
}

void CMemoryDlg::reject() {
    if (isReading() && !download.ended() && isVisible()) {
        // Bytes are still arriving: the engine closes the dialog through
        // Abort once it has handled the next one.
        download.requestStop();
        closeButton->setEnabled(false);
        return;
    }
    closeNow();
}

void CMemoryDlg::closeNow() {
    watchdogTimer.stop();
    // Nobody shows the download any more: the engine reads no further byte.
    download.setObserver(nullptr);
    model->setRecords(nullptr);
    decoded.clear();
    if (isVisible()) {
        QDialog::reject();
    }
}

void CMemoryDlg::onWatchdog() {
    // No byte may be taken while the message is up.
    download.end();
    PolishMessageBox::inform(this, QString::fromUtf8(MemoryDownload::kTransferFailed));
    Abort();
}

void CMemoryDlg::openSaveDialog() {
    CSaveAsDlg dialog(decoded, this);
    dialog.exec();
}

void CMemoryDlg::setChartHandler(ChartHandler handler) {
    chartHandler = std::move(handler);
    chartButton->setEnabled(chartHandler && !isReading());
}

QString CMemoryDlg::saveSheet(const QString& path) const {
    const std::string error =
        Workbook::write(memorySheet(decoded, downloadTime), path.toStdString());
    if (error.empty()) {
        return {};
    }
    return QStringLiteral("Nie można zapisać pliku %1: %2")
        .arg(QDir::toNativeSeparators(path), QString::fromStdString(error));
}

void CMemoryDlg::chooseSheetFile() {
    QString filter = QStringLiteral("Skoroszyt Excel (*.xlsx)");
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Zapisz arkusz"), QString(),
                                                filter, &filter, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".xlsx");
    }
    if (QFileInfo::exists(path) &&
        !PolishMessageBox::ask(this, QStringLiteral("Plik %1 już istnieje.\nCzy go zastąpić?")
                                         .arg(QDir::toNativeSeparators(path)))) {
        return;
    }
    const QString error = saveSheet(path);
    if (!error.isEmpty()) {
        PolishMessageBox::inform(this, error, QMessageBox::Warning);
    }
}
