#include "protocol/PollEngine.h"

#include "protocol/Requests.h"

#include <cmath>
#include <utility>

namespace {

constexpr const char* kMessageReadError = "Błąd w trakcie odczytu danych";
constexpr const char* kMessageOldFirmware =
    "Odczyt pamięci przez program jest możliwy dla paneli w wersji 2.01 lub nowszej.";
constexpr const char* kQuestionErase = "Chcesz usunąć zawartość pamięci?";
constexpr const char* kQuestionClockSet =
    "Zegar został ustawiony.\nRejestracja do pamięci została wstrzymana do momentu resetu "
    "panelu.\nChcesz zresetować panel teraz?";
constexpr const char* kMessageClockSetFailed = "Błąd przy próbie ustawienia zegara";
constexpr const char* kMessageResetDone = "Panel został zresetowany";
constexpr const char* kMessageResetFailed = "Błąd przy próbie resetu panelu";
constexpr const char* kQuestionErased =
    "Zawartość pamięci została usunięta.\nRejestracja została wstrzymana do chwili resetu "
    "panelu.\nChcesz zresetować panel teraz?";
constexpr const char* kMessageEraseFailed = "Błąd przy próbie usunięcia zawartości pamięci";
constexpr const char* kQuestionSettingsSaved =
    "Ustawienia zostały zapisane.\nZmiany będą zastosowane po resecie panelu.\nChcesz "
    "zresetować panel teraz?";
constexpr const char* kMessageSettingsFailed = "Błąd przy próbie zapisu ustawień.";

constexpr int kTicksBeforeLinkDown = 3;
constexpr int kMinimumFirmwareByte = 201; // version 2.01
constexpr int kFirstContentAddress = 2;   // addresses 0 and 1 hold the recording settings

} // namespace

// Marks an entry point as running. Prompts raised inside wait until the
// outermost step has finished, so a message box's nested event loop can never
// cut a step (parse, choose next, send) in half.
class PollEngine::Step {
public:
    explicit Step(PollEngine& engine) : engine_(engine) { ++engine_.stepDepth_; }
    ~Step() { --engine_.stepDepth_; }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

private:
    PollEngine& engine_;
};

PollEngine::PollEngine(PanelData& data, PollHost& host) : data_(data), host_(host) {}

void PollEngine::start() {
    {
        Step step(*this);
        linePos_ = 0;
        pollState_ = chooseNext(true);
        sendRequest();
    }
    flushPrompts();
}

void PollEngine::onByte(std::uint8_t byte) {
    {
        Step step(*this);
        consumeByte(byte);
    }
    flushPrompts();
}

int PollEngine::onBytes(const std::uint8_t* bytes, int count) {
    int used = 0;
    {
        Step step(*this);
        const std::uint64_t before = requestsSent_;
        while (used < count && requestsSent_ == before) {
            consumeByte(bytes[used++]);
        }
    }
    flushPrompts();
    return used;
}

void PollEngine::consumeByte(std::uint8_t byte) {
    ++linePos_;
    if (linePos_ >= kLineBufferSize) {
        // A line that has not ended after 89 bytes is noise: drop it with
        // this byte; the next byte starts a new line.
        linePos_ = 0;
    } else {
        line_[static_cast<std::size_t>(linePos_ - 1)] = byte;
        if (linePos_ >= 2 && line_[static_cast<std::size_t>(linePos_ - 2)] == '\r' &&
            byte == '\n') {
            const int length = linePos_;
            linePos_ = 0;
            handleLine(length);
        }
    }
}

void PollEngine::onTick() {
    {
        Step step(*this);
        ++missedTicks_;
        if (missedTicks_ > kTicksBeforeLinkDown) {
            if (downloadRunning() && memory_.canTakeMore()) {
                memory_.abort(DownloadEnd::Silent);
            }
            if (download_ != Download::Requested) {
                // A download whose request went unanswered has ended; one that
                // waits in the pending slot starts now.
                download_ = Download::Idle;
            }
            reportLink(false);
            missedTicks_ = 0;
            pollState_ = chooseNext(true);
            sendRequest();
        } else {
            // Exactly what went out before, even if a one-shot has changed
            // the addresses or values meanwhile: its reply is still the one
            // the state expects.
            host_.restartPollTimer();
            if (inFlight_.length > 0) {
                host_.sendBytes(inFlight_.bytes.data(), inFlight_.length);
            }
        }
    }
    flushPrompts();
}

void PollEngine::onConfirmationTimer(ConfirmationTimer timer) {
    {
        Step step(*this);
        const auto offerReset = [this](bool yes) {
            if (yes) {
                requestReset();
            }
        };
        const bool ok = confirmed(timer);
        switch (timer) {
        case ConfirmationTimer::ClockSet:
            if (ok) {
                raiseQuestion(kQuestionClockSet, offerReset);
            } else {
                raiseMessage(kMessageClockSetFailed);
            }
            break;
        case ConfirmationTimer::Reset:
            raiseMessage(ok ? kMessageResetDone : kMessageResetFailed);
            break;
        case ConfirmationTimer::Erase:
            if (ok) {
                raiseQuestion(kQuestionErased, offerReset);
            } else {
                raiseMessage(kMessageEraseFailed);
            }
            break;
        case ConfirmationTimer::SettingsWrite:
            if (ok) {
                raiseQuestion(kQuestionSettingsSaved, offerReset);
            } else {
                raiseMessage(kMessageSettingsFailed);
            }
            break;
        case ConfirmationTimer::PowerSavingWrite:
            // A successful write is not reported.
            if (!ok) {
                raiseMessage(kMessageSettingsFailed);
            }
            break;
        }
    }
    flushPrompts();
}

bool PollEngine::confirmed(ConfirmationTimer timer) const {
    switch (timer) {
    case ConfirmationTimer::ClockSet:
        return data_.dateSetAck != 0;
    case ConfirmationTimer::Reset:
        return data_.resetAck != 0;
    case ConfirmationTimer::Erase:
        return data_.eraseAck != 0;
    case ConfirmationTimer::SettingsWrite:
        return settingsSaved_;
    case ConfirmationTimer::PowerSavingWrite:
        return data_.powerSavingAck != 0;
    }
    return false;
}

void PollEngine::beginPanelInfo(PanelReplyListener& listener) {
    infoListener_ = &listener;
    setPending(READ_VERSION);
}

void PollEngine::endPanelInfo() {
    infoListener_ = nullptr;
}

void PollEngine::beginClockRead(PanelReplyListener& listener) {
    clockListener_ = &listener;
    data_.clockValid = 0;
    setPending(READ_CLOCK);
}

void PollEngine::endClockRead(bool ok, const DateTimeRecord& chosen) {
    clockListener_ = nullptr;
    if (!ok) {
        return;
    }
    clockToSet_ = chosen;
    data_.dateSetAck = 0;
    setPending(SET_TIME);
    host_.startConfirmationTimer(ConfirmationTimer::ClockSet);
}

void PollEngine::beginMemoryRead() {
    data_.memoryByteValid = 0;
    memory_.Reset();
    memoryAddress_ = kFirstContentAddress;
    setPending(READ_VERSION);
    pendingIsDownload_ = true;
    // The download has just been reset: whatever an earlier download still has
    // out is no longer wanted.
    download_ = Download::Requested;
}

void PollEngine::beginRecordingSettings(PanelReplyListener& listener) {
    settingsListener_ = &listener;
    data_.memoryByteValid = 0;
    memoryAddress_ = 1;
    setPending(READ_MEMORY);
}

void PollEngine::endRecordingSettings(bool ok, int intervalMinutes, int configByte) {
    settingsListener_ = nullptr;
    if (!ok) {
        return;
    }
    settingsSaved_ = false;
    writeInterval_ = intervalMinutes;
    writeConfig_ = configByte;
    writeIndex_ = 0;
    setPending(WRITE_MEMORY);
    host_.startConfirmationTimer(ConfirmationTimer::SettingsWrite);
}

void PollEngine::beginPowerSaving(PanelReplyListener& listener) {
    powerSavingListener_ = &listener;
    setPending(READ_POWER_SAVING);
}

void PollEngine::endPowerSaving(bool ok, int registerValue) {
    powerSavingListener_ = nullptr;
    if (!ok) {
        return;
    }
    data_.powerSavingAck = 0;
    powerSavingValue_ = registerValue;
    setPending(WRITE_POWER_SAVING);
    host_.startConfirmationTimer(ConfirmationTimer::PowerSavingWrite);
}

void PollEngine::requestReset() {
    data_.resetAck = 0;
    setPending(RESET_PANEL);
    host_.startConfirmationTimer(ConfirmationTimer::Reset);
}

void PollEngine::requestErase() {
    {
        Step step(*this);
        raiseQuestion(kQuestionErase, [this](bool yes) {
            if (!yes) {
                return;
            }
            data_.eraseAck = 0;
            setPending(ERASE_MEMORY);
            host_.startConfirmationTimer(ConfirmationTimer::Erase);
        });
    }
    flushPrompts();
}

void PollEngine::handleLine(int length) {
    const bool valid = data_.parseReply(line_.data(), length, pollState_);
    PollState next = READ_STATUS;
    if (valid) {
        missedTicks_ = 0;
        if (pollState_ == READ_INTERVAL) {
            tellIntervalListeners();
        }
        if (pollState_ == READ_POWER_SAVING && powerSavingListener_ != nullptr) {
            powerSavingListener_->onPanelReply();
        }
        // Only the answer to the download's own current address is stored;
        // a read that another operation reused for its own address is not.
        if (downloadRunning() && sentAddress_ == downloadAddress_ && memory_.canTakeMore()) {
            // The 0xFF test uses the byte that is stored, so a malformed digit
            // can never store an end marker the engine does not see.
            const auto byte = static_cast<std::uint8_t>(data_.memoryByte & 0xFF);
            memory_.AppendByte(byte);
            // The address has three digits: past 4095 it would wrap onto the
            // settings bytes, so the last address ends the content.
            if (byte == 0xFF || downloadAddress_ >= kLastMemoryAddress) {
                download_ = Download::Idle;
                memory_.finish();
            }
        }
        if (pollState_ == WRITE_MEMORY && writeIndex_ == 1) {
            settingsSaved_ = true;
        }
        if (pollState_ == READ_CLOCK && clockListener_ != nullptr) {
            clockListener_->onPanelReply();
        }
        next = chooseNext(false);
    } else {
        // A reply that arrives after the download's observer has gone has
        // nobody to tell; the observer reported its own end.
        if (downloadRunning() && memory_.canTakeMore()) {
            raiseMessage(kMessageReadError);
            memory_.abort(DownloadEnd::ReadError);
        }
        if (download_ != Download::Requested) {
            // Nothing more is read; a dialog still waiting for its first byte
            // reports the silence itself.
            download_ = Download::Idle;
        }
        if (pollState_ == READ_INTERVAL) {
            tellIntervalListeners();
        }
        next = chooseNext(true);
    }
    pollState_ = next;
    if (next == READ_STATUS) {
        // Any answered request that leads back to the status poll means the
        // panel is talking, also after an invalid reply.
        reportLink(true);
    }
    sendRequest();
}

PollState PollEngine::chooseNext(bool failed) {
    if (pendingState_ != NO_STATE) {
        if (pendingIsDownload_) {
            download_ = Download::Version;
        } else if (download_ != Download::Idle) {
            // Another operation takes the line: the download cannot go on,
            // and its list must not end short without a word.
            endDownloadEarly();
        }
        pendingIsDownload_ = false;
        pollState_ = pendingState_;
        pendingState_ = NO_STATE;
        return pollState_;
    }
    if (failed) {
        return READ_STATUS;
    }
    switch (pollState_) {
    case READ_STATUS:
    case READ_DIRECTION:
    case READ_SPEED:
    case READ_HUMIDITY:
    case READ_PRESSURE:
        return nextMeasurement(pollState_);
    case READ_VERSION:
        return nextAfterVersion();
    case READ_POWER_SAVING:
        return READ_SERIAL_CH2;
    case READ_SERIAL_CH2:
        return READ_SERIAL_CH1;
    case READ_SERIAL_CH1:
        return READ_INTERVAL;
    case SET_TIME:
        return SET_DATE;
    case READ_MEMORY:
        return nextAfterMemoryRead();
    case WRITE_MEMORY:
        if (writeIndex_ != 0) {
            return READ_STATUS;
        }
        writeIndex_ = 1;
        return WRITE_MEMORY;
    default:
        return READ_STATUS;
    }
}

PollState PollEngine::nextMeasurement(PollState after) const {
    const bool wind = data_.ch2Present && data_.modelTq264;
    const bool tempHum = data_.ch1Present && (data_.modelTq231 || data_.modelTq232);
    const bool press = data_.ch1Present && (data_.modelTq232 || data_.modelTq233);
    for (int s = after + 1; s <= READ_TEMPERATURE; ++s) {
        switch (s) {
        case READ_DIRECTION:
        case READ_SPEED:
            if (wind) {
                return static_cast<PollState>(s);
            }
            break;
        case READ_HUMIDITY:
        case READ_TEMPERATURE:
            if (tempHum) {
                return static_cast<PollState>(s);
            }
            break;
        case READ_PRESSURE:
            if (press) {
                return static_cast<PollState>(s);
            }
            break;
        default:
            break;
        }
    }
    return READ_STATUS;
}

PollState PollEngine::nextAfterVersion() {
    if (download_ != Download::Version) {
        // Asked for by the information dialog. A late reply after that dialog
        // gave up starts nothing.
        return infoListener_ != nullptr ? READ_POWER_SAVING : READ_STATUS;
    }
    download_ = Download::Idle;
    if (!memory_.canTakeMore()) {
        return READ_STATUS; // the memory dialog has gone meanwhile
    }
    if (std::lround(data_.firmwareVersion * 100.0) >= kMinimumFirmwareByte) {
        download_ = Download::Reading;
        memoryAddress_ = downloadAddress_ = kFirstContentAddress;
        return READ_MEMORY;
    }
    raiseMessage(kMessageOldFirmware);
    memory_.abort(DownloadEnd::OldFirmware);
    return READ_STATUS;
}

PollState PollEngine::nextAfterMemoryRead() {
    if (!downloadRunning()) {
        // The recording settings' byte, or the last read of a download that
        // has ended (end marker or last address stored and decoded).
        return sentAddress_ == 1 ? READ_INTERVAL : READ_STATUS;
    }
    // The dialog closed (its watchdog, an abort) or is full: nobody takes the
    // bytes any more.
    if (!memory_.canTakeMore()) {
        download_ = Download::Idle;
        return READ_STATUS;
    }
    if (memory_.stopRequested()) {
        download_ = Download::Idle;
        memory_.abort(DownloadEnd::Stopped);
        return READ_STATUS;
    }
    ++downloadAddress_;
    memoryAddress_ = downloadAddress_;
    data_.memoryByteValid = 0;
    return READ_MEMORY;
}

bool PollEngine::downloadRunning() const {
    // While reading, the engine sends nothing but the download's reads.
    return download_ == Download::Reading;
}

void PollEngine::setPending(PollState state) {
    pendingState_ = state;
    pendingIsDownload_ = false;
}

void PollEngine::endDownloadEarly() {
    download_ = Download::Idle;
    if (!memory_.canTakeMore()) {
        return; // the dialog has gone and reported its own end
    }
    // A stop the user asked for needs no error.
    if (!memory_.stopRequested()) {
        raiseMessage(kMessageReadError);
    }
    memory_.abort(memory_.stopRequested() ? DownloadEnd::Stopped : DownloadEnd::ReadError);
}

void PollEngine::sendRequest() {
    host_.restartPollTimer();
    RequestParams params;
    params.memoryAddress = memoryAddress_;
    sentAddress_ = pollState_ == READ_MEMORY ? memoryAddress_ : 0;
    params.writeIndex = writeIndex_;
    params.writeInterval = writeInterval_;
    params.writeConfig = writeConfig_;
    params.powerSavingValue = powerSavingValue_;
    params.clockToSet = clockToSet_;
    inFlight_ = buildRequest(pollState_, params);
    ++requestsSent_;
    if (inFlight_.length > 0) {
        host_.sendBytes(inFlight_.bytes.data(), inFlight_.length);
    }
}

void PollEngine::tellIntervalListeners() {
    // The interval is the last reply of both the information and the
    // recording settings sequences.
    if (infoListener_ != nullptr) {
        infoListener_->onPanelReply();
    }
    if (settingsListener_ != nullptr) {
        settingsListener_->onPanelReply();
    }
}

void PollEngine::reportLink(bool up) {
    linkUp_ = up;
    host_.updateStatus(up);
}

void PollEngine::raiseMessage(std::string text) {
    prompts_.push_back({std::move(text), {}});
}

void PollEngine::raiseQuestion(std::string text, std::function<void(bool yes)> answer) {
    prompts_.push_back({std::move(text), std::move(answer)});
}

void PollEngine::flushPrompts() {
    if (stepDepth_ != 0) {
        return;
    }
    while (!prompts_.empty()) {
        std::vector<Prompt> batch;
        batch.swap(prompts_);
        for (Prompt& p : batch) {
            if (p.answer) {
                host_.askQuestion(p.text, std::move(p.answer));
            } else {
                host_.showMessage(p.text);
            }
        }
    }
}
