#include "recording/CMemoryDlg.h"

#include "recording/CSaveAsDlg.h"
#include "recording/MemoryDecoder.h"
#include "recording/MemoryListModel.h"
#include "widgets/PolishMessageBox.h"

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

CMemoryDlg::CMemoryDlg(QWidget* parent) : QDialog(parent) {
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
    connect(saveAsButton, &QPushButton::clicked, this, &CMemoryDlg::openSaveDialog);
    connect(closeButton, &QPushButton::clicked, this, &CMemoryDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveAsButton);
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

CMemoryDlg::~CMemoryDlg() = default;

void CMemoryDlg::startReading() {
    model->setRecords(nullptr);
    decoded.clear();
    progress->setRange(0, kProgressRange);
    progress->setValue(0);
    pages->setCurrentWidget(readingPage);
    saveAsButton->setEnabled(false);
    closeButton->setEnabled(true);
    watchdogTimer.start();
    open();
}

void CMemoryDlg::Reset() {
    // The buffer keeps its old bytes; only the length says what is current.
    memoryLength = 0;
    stopAsked = false;
    aborting = false;
}

void CMemoryDlg::AppendByte(std::uint8_t byte) {
    if (memoryLength >= kMemorySize) {
        return;
    }
    watchdogTimer.start();
    memoryBuffer[static_cast<std::size_t>(memoryLength)] = byte;
    ++memoryLength;
}

int CMemoryDlg::LastByte() const {
    return memoryLength == 0 ? 0xFF : memoryBuffer[static_cast<std::size_t>(memoryLength - 1)];
}

void CMemoryDlg::Abort() {
    aborting = true;
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

bool CMemoryDlg::canTakeMore() const {
    return isVisible() && isReading() && !aborting && memoryLength < kMemorySize;
}

std::vector<std::uint8_t> CMemoryDlg::storedBytes() const {
    return {memoryBuffer.begin(), memoryBuffer.begin() + memoryLength};
}

void CMemoryDlg::DecodeMemory() {
    watchdogTimer.stop();
    if (stopAsked) {
        // "Zamknij" was pressed while the last byte was on its way: the user
        // asked to close, and the greyed-out button could not do it any more.
        closeNow();
        return;
    }
    model->setRecords(nullptr);
    decoded = decodeMemory(memoryBuffer.data(), memoryLength);
    showList();
    if (decoded.empty()) {
        // Called inside a step of the poll engine: the message waits until
        // the step is over, and the dialog takes no byte meanwhile.
        aborting = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                PolishMessageBox::inform(this, QStringLiteral("Pamięć jest pusta"));
                closeNow();
            },
            Qt::QueuedConnection);
    }
}

void CMemoryDlg::showList() {
    model->setRecords(&decoded);
    pages->setCurrentWidget(list);
    saveAsButton->setEnabled(true);
    closeButton->setEnabled(true);
}

void CMemoryDlg::reject() {
    if (isReading() && !aborting && isVisible()) {
        // Bytes are still arriving: the engine closes the dialog through
        // Abort once it has handled the next one.
        stopAsked = true;
        closeButton->setEnabled(false);
        return;
    }
    closeNow();
}

void CMemoryDlg::closeNow() {
    watchdogTimer.stop();
    model->setRecords(nullptr);
    decoded.clear();
    if (isVisible()) {
        QDialog::reject();
    }
}

void CMemoryDlg::onWatchdog() {
    // No byte may be taken while the message is up.
    aborting = true;
    PolishMessageBox::inform(this, QStringLiteral("Błąd w trakcie przesyłania danych."));
    Abort();
}

void CMemoryDlg::openSaveDialog() {
    CSaveAsDlg dialog(decoded, this);
    dialog.exec();
}
