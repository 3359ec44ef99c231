#include "app/HistoryCommands.h"

#include "app/CHistoryDlg.h"
#include "history/HistoryDatabase.h"
#include "settings/AppSettings.h"
#include "widgets/PolishMessageBox.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <chrono>

namespace {

constexpr int kProgressSteps = 1000;

QString localText(std::int64_t utc) {
    return QLocale(QLocale::Polish, QLocale::Poland)
        .toString(QDateTime::fromSecsSinceEpoch(utc), QStringLiteral("d MMMM yyyy, HH:mm"));
}

} // namespace

HistoryCommands::HistoryCommands(MeasurementHistory& history, AppSettings& settings,
                                 QWidget* window)
    : history(history), settings(settings), window(window) {
    connect(&history, &MeasurementHistory::failed, this,
            [this](const QString& text) { showMessage(text, QMessageBox::Warning); });
    connect(&history, &MeasurementHistory::importProgress, this, [this](qint64 done, qint64 total) {
        if (importProgress && total > 0) {
            importProgress->setValue(static_cast<int>(done * kProgressSteps / total));
        }
    });
    connect(&history, &MeasurementHistory::importFinished, this,
            &HistoryCommands::onImportFinished);
}

void HistoryCommands::start() {
    history.configure(MeasurementHistory::settingsOf(settings));
}

void HistoryCommands::storeMemoryRecords(const std::vector<MemoryRecord>& records) {
    history.addMemoryRecords(records, std::chrono::system_clock::now());
}

QString HistoryCommands::summaryOf(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return QStringLiteral("Historia jest pusta.");
    }
    HistoryDatabase db;
    if (!db.open(path, HistoryDatabase::Mode::Read)) {
        return QStringLiteral("Nie można odczytać historii (%1).").arg(db.lastFailure().text);
    }
    const HistoryDatabase::Extent e = db.extent();
    const QString size =
        QLocale(QLocale::Polish, QLocale::Poland)
            .formattedDataSize(HistoryDatabase::fileSize(path), 1, QLocale::DataSizeSIFormat);
    if (!e.first) {
        return QStringLiteral("Historia jest pusta. Plik zajmuje %1.").arg(size);
    }
    return QStringLiteral("Zapisane pomiary: od %1 do %2.\nPlik zajmuje %3.")
        .arg(localText(*e.first), localText(*e.last), size);
}

void HistoryCommands::settingsDialog() {
    const MeasurementHistory::Settings before = MeasurementHistory::settingsOf(settings);
    const QString currentFile = MeasurementHistory::pathOf(before);
    CHistoryDlg dialog(window);
    dialog.setValues({before.enabled, before.rawHours, currentFile});
    dialog.setSummary(currentFile, summaryOf(currentFile));
    connect(&dialog, &CHistoryDlg::clearRequested, this, [this, &dialog, currentFile] {
        const bool ok = clearNow(currentFile);
        dialog.setSummary(currentFile, summaryOf(currentFile));
        PolishMessageBox::inform(&dialog,
                                 ok ? QStringLiteral("Historia pomiarów została usunięta.")
                                    : QStringLiteral("Nie udało się usunąć historii pomiarów."),
                                 ok ? QMessageBox::Information : QMessageBox::Warning);
    });
    if (dialog.exec() != QDialog::Accepted || shuttingDown) {
        return;
    }
    const CHistoryDlg::Values v = dialog.values();
    MeasurementHistory::storeInto({v.enabled, v.path, v.rawHours}, settings);
    history.configure(MeasurementHistory::settingsOf(settings));
}

bool HistoryCommands::clearNow(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return true; // nothing was kept there
    }
    // The running history empties its own file; a file not in use is opened
    // for the purpose.
    MeasurementHistory temporary;
    MeasurementHistory* target = &history;
    if (!history.running() || history.path() != path) {
        MeasurementHistory::Settings s = MeasurementHistory::settingsOf(settings);
        s.enabled = true;
        s.path = path;
        temporary.configure(s);
        connect(&temporary, &MeasurementHistory::failed, this,
                [this](const QString& text) { showMessage(text, QMessageBox::Warning); });
        target = &temporary;
    }
    bool ok = false;
    QEventLoop wait;
    connect(target, &MeasurementHistory::cleared, &wait, [&](bool done) {
        ok = done;
        wait.quit();
    });
    target->clear();
    wait.exec();
    return ok;
}

void HistoryCommands::importRecordFile() {
    if (importProgress || shuttingDown) {
        return;
    }
    if (!history.running()) {
        PolishMessageBox::inform(
            window,
            QStringLiteral("Historia pomiarów jest wyłączona. Włącz ją w menu „Ustawienia” → "
                           "„Historia pomiarów”, aby zaimportować plik rejestracji."),
            QMessageBox::Information);
        return;
    }
    QFileDialog chooser(window, QStringLiteral("Importuj plik rejestracji"));
    chooser.setObjectName(QStringLiteral("importFileChooser"));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setOptions(QFileDialog::DontUseNativeDialog);
    chooser.setNameFilters(QStringList{QStringLiteral("Pliki rejestracji (*.txt *.csv)"),
                                       QStringLiteral("Wszystkie pliki (*)")});
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty() || shuttingDown ||
        !history.running()) {
        return;
    }
    const QString file = chooser.selectedFiles().constFirst();
    auto* progress =
        new QProgressDialog(QStringLiteral("Trwa import pliku rejestracji do historii pomiarów…"),
                            QStringLiteral("Przerwij"), 0, kProgressSteps, window);
    progress->setObjectName(QStringLiteral("importProgress"));
    progress->setWindowTitle(QStringLiteral("Importuj plik rejestracji"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(progress, &QProgressDialog::canceled, &history, &MeasurementHistory::cancelImport);
    importProgress = progress;
    progress->setValue(0);
    history.importRecordFile(file);
}

void HistoryCommands::onImportFinished(const QString& file, int linesRead, int linesSkipped,
                                       int newMinutes, const QString& error) {
    if (importProgress) {
        importProgress->close();
    }
    if (shuttingDown) {
        return;
    }
    QString text =
        error.isEmpty()
            ? QStringLiteral("Plik rejestracji\n%1\nzostał zaimportowany do historii "
                             "pomiarów.")
                  .arg(QDir::toNativeSeparators(file))
            : QStringLiteral("Nie udało się zaimportować całego pliku rejestracji\n%1\n%2")
                  .arg(QDir::toNativeSeparators(file), error);
    text += QStringLiteral("\n\nZaimportowane wiersze: %1\nPominięte wiersze (nie można ich "
                           "odczytać): %2\nNowe minuty w historii: %3")
                .arg(linesRead)
                .arg(linesSkipped)
                .arg(newMinutes);
    if (linesRead > 0 && newMinutes == 0 && error.isEmpty()) {
        text += QStringLiteral("\n\nWszystkie minuty z tego pliku były już w historii.");
    }
    showMessage(text, error.isEmpty() ? QMessageBox::Information : QMessageBox::Warning);
}

void HistoryCommands::showMessage(const QString& text, int icon) {
    if (shuttingDown) {
        return;
    }
    messages << text;
    icons << icon;
    // Not from inside the signal that brought it: a box runs its own loop.
    QMetaObject::invokeMethod(this, &HistoryCommands::showNextMessage, Qt::QueuedConnection);
}

void HistoryCommands::showNextMessage() {
    // One box at a time; those that came meanwhile follow.
    if (messageOpen) {
        return;
    }
    messageOpen = true;
    while (!messages.isEmpty() && !shuttingDown) {
        const QString text = messages.takeFirst();
        const auto icon = static_cast<QMessageBox::Icon>(icons.takeFirst());
        PolishMessageBox::inform(window, text, icon);
    }
    messageOpen = false;
}

void HistoryCommands::shutDown() {
    shuttingDown = true;
    if (importProgress) {
        importProgress->close();
    }
    history.stop();
}
