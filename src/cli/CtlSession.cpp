#include "cli/CtlSession.h"

#include "admin/AdminTexts.h"
#include "admin/PowerSaving.h"
#include "cli/CtlText.h"
#include "history/MeasurementHistory.h"
#include "link/CComPort.h"
#include "link/PortOpenFailure.h"
#include "link/TerminationSignals.h"
#include "protocol/LocalTime.h"
#include "recording/MemoryExport.h"
#include "recording/MemorySheet.h"
#include "recording/RecordLine.h"
#include "recording/RecordWriter.h"
#include "recording/RecordingRules.h"
#include "recording/ReportFile.h"
#include "recording/Workbook.h"
#include "settings/SettingsStore.h"
#include "text/Cp1250.h"

#include <QCoreApplication>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

bool isTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

// Every column of a recording line.
constexpr RecordColumns kAllColumns{};

// What a run that cannot ask says after a reset was offered and not taken.
constexpr const char* kNotReset =
    "Panel nie został zresetowany (zresetuje go opcja --reset albo polecenie tq820ctl reset).";

} // namespace

CtlSession::CtlSession(CtlCommand command, QObject* parent)
    : QObject(parent), command_(std::move(command)) {
    replyTimer_.setSingleShot(true);
    replyTimer_.setTimerType(Qt::PreciseTimer);
    replyTimer_.setInterval(kReplyWaitMs);
    connect(&replyTimer_, &QTimer::timeout, this, &CtlSession::onReplyTimeout);

    watchdog_.setSingleShot(true);
    watchdog_.setTimerType(Qt::PreciseTimer);
    watchdog_.setInterval(MemoryDownload::kWatchdogMs);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        // Nothing more is taken once the watchdog has given up.
        link_.memoryDownload().end();
        showProgress(true);
        printError(MemoryDownload::kTransferFailed);
        finish(ExitCode::PanelSilent);
    });

    recordTimer_.setTimerType(Qt::PreciseTimer);
    connect(&recordTimer_, &QTimer::timeout, this, &CtlSession::writeRecordLine);

    connect(&link_, &PanelLink::messageRaised, this, &CtlSession::onMessage);
    connect(&link_, &PanelLink::questionRaised, this, &CtlSession::onQuestion);
    connect(&link_, &PanelLink::confirmationJudged, this, &CtlSession::onVerdict);
}

CtlSession::~CtlSession() {
    link_.memoryDownload().setObserver(nullptr);
}

int CtlSession::exec() {
    if (!openPort()) {
        return static_cast<int>(ExitCode::Port);
    }
    if (command_.verb == CtlVerb::Watch || command_.verb == CtlVerb::Record) {
        // Ended by the user or the service manager: a normal end.
        termination_ = std::make_unique<TerminationSignals>();
        connect(termination_.get(), &TerminationSignals::terminationRequested, this,
                [this] { finish(ExitCode::Done); });
    }
    // Started once the event loop runs, so that finish() can end it.
    QMetaObject::invokeMethod(this, &CtlSession::begin, Qt::QueuedConnection);
    QCoreApplication::exec();
    link_.stop();
    if (history_) {
        // What the history was given reaches its file before the end.
        history_->stop();
    }
    // Messages the last engine step raised are still queued: they are told
    // before the program ends.
    QCoreApplication::sendPostedEvents();
    std::fflush(stdout);
    return static_cast<int>(exitCode_);
}

bool CtlSession::openPort() {
    int number = command_.port;
    if (number <= 0) {
        number = readStoredPortNumber(*makePlatformRegistryStore());
    }
    if (number <= 0) {
        printError("Nie wybrano żadnego portu.\nPodaj --port COMn albo wybierz port w programie "
                   "TQ820 (Ustawienia → Port szeregowy).");
        return false;
    }
    auto port = std::make_unique<CComPort>();
    if (!port->open(number)) {
        std::string text = portOpenFailureHeadline(number);
        const std::string why = portOpenFailureExplanation(
            port->lastOpenFailure(), port->devicePath(), port->lastOpenHolder());
        if (!why.empty()) {
            text += "\n" + why;
        }
        printError(text);
        return false;
    }
    link_.setPort(std::move(port));
    return true;
}

void CtlSession::begin() {
    link_.start();
    switch (command_.verb) {
    case CtlVerb::Info:
        runInfo();
        break;
    case CtlVerb::Watch:
        runWatch();
        break;
    case CtlVerb::Download:
        runDownload();
        break;
    case CtlVerb::Clock:
        runClock();
        break;
    case CtlVerb::Settings:
        runSettings();
        break;
    case CtlVerb::PowerSaving:
        runPowerSaving();
        break;
    case CtlVerb::Erase:
        awaitingVerdict_ = true;
        link_.engine().requestErase();
        break;
    case CtlVerb::Reset:
        awaitingVerdict_ = true;
        link_.engine().requestReset();
        break;
    case CtlVerb::Record:
        runRecord();
        break;
    case CtlVerb::Help:
    case CtlVerb::Version:
        finish(ExitCode::Done);
        break;
    }
}

void CtlSession::finish(ExitCode code) {
    if (finished_) {
        return;
    }
    finished_ = true;
    exitCode_ = code;
    replyTimer_.stop();
    watchdog_.stop();
    recordTimer_.stop();
    QCoreApplication::exit(static_cast<int>(code));
}

void CtlSession::print(const std::string& line) {
    if (finished_ && exitCode_ == ExitCode::Done && std::ferror(stdout)) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        // Nobody reads any more: that ends the run, and is no error.
        finish(ExitCode::Done);
    }
}

void CtlSession::printError(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// --- one-shot reads ---------------------------------------------------------

void CtlSession::awaitReply(const char* failureText, std::function<void()> onReply) {
    replyFailure_ = failureText;
    replyHandler_ = std::move(onReply);
    awaitingReply_ = true;
    replyTimer_.start();
}

void CtlSession::onPanelReply() {
    if (!awaitingReply_) {
        return;
    }
    // The recording settings' hook follows the interval; without this
    // sequence's configuration byte it is not the panel's settings yet.
    if (command_.verb == CtlVerb::Settings && !link_.data().memoryByteValid) {
        return;
    }
    awaitingReply_ = false;
    replyTimer_.stop();
    // Not inside the engine's step: what follows may start a write.
    QMetaObject::invokeMethod(
        this, [this] { replyHandler_(); }, Qt::QueuedConnection);
}

void CtlSession::onReplyTimeout() {
    if (!awaitingReply_) {
        return;
    }
    awaitingReply_ = false;
    PollEngine& engine = link_.engine();
    engine.endPanelInfo();
    engine.endClockRead(false, {});
    engine.endRecordingSettings(false, 0, 0);
    engine.endPowerSaving(false, 0);
    printError(replyFailure_);
    finish(ExitCode::PanelSilent);
}

void CtlSession::runInfo() {
    link_.engine().beginPanelInfo(*this);
    awaitReply(AdminTexts::kSettingsUnreadable, [this] {
        link_.engine().endPanelInfo();
        print(command_.json ? CtlText::panelInfoJson(link_.data())
                            : CtlText::panelInfoText(link_.data()));
        finish(ExitCode::Done);
    });
}

void CtlSession::runClock() {
    link_.engine().beginClockRead(*this);
    awaitReply(AdminTexts::kClockUnreadable, [this] {
        const auto now = std::chrono::system_clock::now();
        print(CtlText::panelClockText(localDateTime(now), link_.data().clock));
        if (!command_.setClock) {
            link_.engine().endClockRead(false, {});
            finish(ExitCode::Done);
            return;
        }
        // --set-now is "Aktualny": the computer's time at this moment.
        const DateTimeRecord chosen = command_.clockTime
                                          ? *command_.clockTime
                                          : localDateTime(std::chrono::system_clock::now());
        awaitingVerdict_ = true;
        link_.engine().endClockRead(true, chosen);
    });
}

void CtlSession::runSettings() {
    link_.engine().beginRecordingSettings(*this);
    awaitReply(AdminTexts::kSettingsUnreadable, [this] {
        const PanelData& data = link_.data();
        if (!changesSettings(command_)) {
            link_.engine().endRecordingSettings(false, 0, 0);
            print(CtlText::recordingSettingsText(data.recordInterval, data.memoryByte));
            finish(ExitCode::Done);
            return;
        }
        const auto write = settingsWrite(command_, data.recordInterval, data.memoryByte);
        if (const auto* error = std::get_if<UsageError>(&write)) {
            link_.engine().endRecordingSettings(false, 0, 0);
            printError(error->message);
            finish(ExitCode::Usage);
            return;
        }
        const SettingsWrite& values = std::get<SettingsWrite>(write);
        awaitingVerdict_ = true;
        link_.engine().endRecordingSettings(true, values.intervalMinutes, values.configByte);
    });
}

void CtlSession::runPowerSaving() {
    link_.engine().beginPowerSaving(*this);
    awaitReply(AdminTexts::kSettingsUnreadable, [this] {
        const int value = PowerSaving::registerFromReply(link_.data().powerSavingFlags);
        if (!command_.powerSaving) {
            link_.engine().endPowerSaving(false, value);
            print(CtlText::powerSavingText(value));
            finish(ExitCode::Done);
            return;
        }
        awaitingVerdict_ = true;
        link_.engine().endPowerSaving(true,
                                      PowerSaving::registerAfter(value, *command_.powerSaving));
    });
}

// --- writes ----------------------------------------------------------------

void CtlSession::onMessage(const QString& text) {
    if (awaitingVerdict_) {
        // Where it goes depends on the verdict that follows it.
        heldMessage_ = text;
        return;
    }
    printError(text.toStdString());
}

void CtlSession::onQuestion(const QString& text, const std::function<void(bool yes)>& answer) {
    if (command_.verb == CtlVerb::Erase && !eraseConfirmed_) {
        // "Chcesz usunąć zawartość pamięci?": --yes has answered it.
        eraseConfirmed_ = true;
        answer(command_.yes);
        return;
    }
    // A reset offered after a write: answered once its verdict is in.
    heldQuestion_ = text;
    heldAnswer_ = answer;
}

void CtlSession::onVerdict(ConfirmationTimer timer, bool confirmed) {
    if (!awaitingVerdict_) {
        return;
    }
    const QString message = std::exchange(heldMessage_, QString());
    const QString question = std::exchange(heldQuestion_, QString());
    const auto answer = std::exchange(heldAnswer_, nullptr);
    if (!confirmed) {
        awaitingVerdict_ = false;
        if (!message.isEmpty()) {
            printError(message.toStdString());
        }
        finish(ExitCode::PanelSilent);
        return;
    }
    if (timer == ConfirmationTimer::PowerSavingWrite) {
        awaitingVerdict_ = false;
        print(CtlText::powerSavingText(link_.engine().powerSavingValue()));
        finish(ExitCode::Done);
        return;
    }
    if (!message.isEmpty()) {
        print(message.toStdString()); // "Panel został zresetowany"
    }
    if (!question.isEmpty() && answer) {
        // The reset offered after a write: taken only when --reset asks for it.
        print(CtlText::withoutQuestion(question.toStdString()));
        answer(command_.resetAfter);
        if (command_.resetAfter) {
            return; // the reset's own verdict follows
        }
        print(kNotReset);
    }
    awaitingVerdict_ = false;
    finish(ExitCode::Done);
}

// --- readings ---------------------------------------------------------------

void CtlSession::showStatusChanges() {
    connect(&link_, &PanelLink::statusUpdated, this, [this](const StatusUpdate& update) {
        if (!update.textChanged || finished_) {
            return;
        }
        if (command_.json) {
            print(CtlText::linkJson(link_.connection().linkUp(), update.text));
            return;
        }
        std::string text = update.text;
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        print(text);
    });
}

void CtlSession::runWatch() {
    showStatusChanges();
    connect(&link_, &PanelLink::readingArrived, this, [this](const Reading& reading) {
        if (finished_) {
            return;
        }
        if (command_.json) {
            print(CtlText::readingJson(reading, isoLocalTime(reading.time)));
        } else {
            // The recording file's text layout, as a terminal shows it.
            if (!headerShown_) {
                headerShown_ = true;
                print(CtlText::terminalLine(RecordLine::header(kAllColumns, false)));
            }
            print(CtlText::terminalLine(RecordLine::data(
                kAllColumns, false, localDateTime(reading.time), link_.data(), true)));
        }
        if (command_.count > 0 && ++readings_ >= command_.count) {
            finish(ExitCode::Done);
        }
    });
}

// --- memory download ----------------------------------------------------------

void CtlSession::runDownload() {
#ifndef _WIN32
    // A file that cannot be written is told before the panel is read, not
    // after.
    if (!command_.output.empty()) {
        const std::filesystem::path folder =
            std::filesystem::absolute(std::filesystem::path(command_.output)).parent_path();
        std::error_code ec;
        int error = 0;
        if (!std::filesystem::is_directory(folder, ec)) {
            error = ENOENT;
        } else if (::access(folder.c_str(), W_OK) != 0) {
            error = errno;
        }
        if (error != 0) {
            printError(std::string(MemoryExport::kFileUnavailable) + "\n" + command_.output + ": " +
                       describeFileError(error));
            finish(ExitCode::File);
            return;
        }
    }
#endif
    startHistory();
    progressOnTerminal_ = isTerminal(stderr);
    link_.engine().beginMemoryRead();
    link_.memoryDownload().setObserver(this);
    watchdog_.start();
    showProgress(false);
}

void CtlSession::onByteStored() {
    watchdog_.start();
    showProgress(false);
}

void CtlSession::onDownloadFinished() {
    watchdog_.stop();
    // Not inside the engine's step: writing the file takes its time.
    QMetaObject::invokeMethod(this, &CtlSession::finishDownload, Qt::QueuedConnection);
}

void CtlSession::onDownloadAborted() {
    watchdog_.stop();
    showProgress(true);
    // The engine's message for it is queued behind this step; it is told
    // before the program ends.
    finish(link_.memoryDownload().abortReason() == DownloadEnd::OldFirmware
               ? ExitCode::Failed
               : ExitCode::PanelSilent);
}

void CtlSession::showProgress(bool last) {
    if (!progressOnTerminal_) {
        return;
    }
    std::fprintf(stderr, "\r%s", CtlText::progressText(link_.memoryDownload().size()).c_str());
    if (last) {
        std::fputc('\n', stderr);
        progressOnTerminal_ = false;
    }
    std::fflush(stderr);
}

void CtlSession::finishDownload() {
    showProgress(true);
    const std::vector<MemoryRecord> records = link_.memoryDownload().decode();
    link_.memoryDownload().setObserver(nullptr);
    if (records.empty()) {
        printError(MemoryDownload::kMemoryEmpty);
        finish(ExitCode::Done);
        return;
    }
    if (history_) {
        history_->addMemoryRecords(records, std::chrono::system_clock::now());
    }
    writeDownload(records);
}

void CtlSession::startHistory() {
    AppSettings settings;
    readStoredHistorySettings(*makePlatformRegistryStore(), settings);
    if (settings.historyEnabled == 0) {
        return;
    }
    history_ = std::make_unique<MeasurementHistory>();
    // A history that cannot be kept is told; the command goes on.
    connect(history_.get(), &MeasurementHistory::failed, this,
            [this](const QString& text) { printError(text.toStdString()); });
    history_->configure(MeasurementHistory::settingsOf(settings));
}

void CtlSession::writeDownload(const std::vector<MemoryRecord>& records) {
    const std::string& path = command_.output;
    if (command_.format == ExportFormat::Xlsx) {
        const std::string error = Workbook::write(
            memorySheet(records, localDateTime(std::chrono::system_clock::now())), path);
        if (!error.empty()) {
            printError(MemoryExport::writeFailureMessage(path, error));
            finish(ExitCode::File);
            return;
        }
        finish(ExitCode::Done);
        return;
    }
    const std::string bytes = MemoryExport::allLines(records, command_.format == ExportFormat::Csv);
    if (path.empty()) {
        if (isTerminal(stdout)) {
            // Readable on the terminal; redirected, the bytes are the file's.
            std::size_t start = 0;
            while (start < bytes.size() && !finished_) {
                const std::size_t end = bytes.find("\r\n", start);
                print(CtlText::terminalLine(bytes.substr(start, end - start)));
                start = end == std::string::npos ? bytes.size() : end + 2;
            }
        } else {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
        }
        finish(ExitCode::Done);
        return;
    }
    ReportFile file;
    if (!file.open(path)) {
        printError(std::string(MemoryExport::kFileUnavailable) + "\n" + path + ": " +
                   file.errorText());
        finish(ExitCode::File);
        return;
    }
    // "Tak" appends; otherwise the new content replaces the old only once it
    // is whole on the disk.
    const bool written =
        command_.append || !file.existed() ? file.writeLine(bytes) : file.replaceContents(bytes);
    if (!written) {
        printError(MemoryExport::writeFailureMessage(path, file.errorText()));
        finish(ExitCode::File);
        return;
    }
    file.close();
    finish(ExitCode::Done);
}

// --- live recording -------------------------------------------------------------

void CtlSession::runRecord() {
    auto file = std::make_unique<ReportFile>();
    // As at the window's start-up: an existing file is appended to, no question.
    if (!file->open(command_.file)) {
        printError(std::string(RecordingRules::kFileUnavailable) + "\n" + command_.file + ": " +
                   file->errorText());
        finish(ExitCode::File);
        return;
    }
    recordFile_ = std::make_unique<RecordWriter>(std::move(file));
    startHistory();
    if (history_) {
        connect(&link_, &PanelLink::readingArrived, history_.get(),
                &MeasurementHistory::addReading);
    }
    link_.setRecordingInterval(command_.intervalSeconds);
    showStatusChanges();
    // The first line follows the first tick.
    recordTimer_.start(command_.intervalSeconds * 1000);
}

void CtlSession::writeRecordLine() {
    if (!recordFile_) {
        return;
    }
    const RecordWriter::Result result = recordFile_->write(
        command_.columns, command_.format == ExportFormat::Csv,
        localDateTime(std::chrono::system_clock::now()), link_.data(), link_.linkUp());
    // Once per streak of failed lines; recording goes on.
    if (result == RecordWriter::Result::FailureBegins) {
        printError(
            RecordingRules::writeFailureMessage(command_.file, recordFile_->file().errorText()));
    }
}
