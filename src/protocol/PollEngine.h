#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/MemoryDownload.h"
#include "protocol/PanelData.h"
#include "protocol/PanelReplyListener.h"
#include "protocol/PollHost.h"
#include "protocol/PollState.h"
#include "protocol/Requests.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Sequences the requests to the panel: the regular cycle of status and
// measurements, the one-shot operations asked for from the menu, reply
// time-outs and the link state. It reaches the world only through PollHost,
// the memory download's observer and the one-shot reads' listeners, so a whole
// exchange runs in a test without a window, a port or a clock.
class PollEngine {
public:
    static constexpr int kLineBufferSize = 90;
    static constexpr int kLastMemoryAddress = 4095;

    PollEngine(PanelData& data, PollHost& host);

    // Empty the receive line, start the poll timer, choose the first state
    // (READ_STATUS unless something is pending) and send it.
    void start();
    // One received byte.
    void onByte(std::uint8_t byte);
    // Every byte that is waiting, consumed one by one in order until a request
    // goes out in reply: sending purges the line, so the bytes after that
    // point are stale. Returns how many were consumed.
    int onBytes(const std::uint8_t* bytes, int count);
    // The 1500 ms poll timer fired.
    void onTick();
    // A confirmation timer fired (the host has stopped it).
    void onConfirmationTimer(ConfirmationTimer timer);
    // What that timer finds: the panel acknowledged the write, reset or
    // erase it judges.
    bool confirmed(ConfirmationTimer timer) const;

    // One-shot operations. `begin...` runs before the command's dialog opens
    // and names who waits for the reply; `end...` runs after it has closed
    // (`ok` = the dialog ended with OK) and nobody waits any more.
    void beginPanelInfo(PanelReplyListener& listener);
    void endPanelInfo();
    void beginClockRead(PanelReplyListener& listener);
    void endClockRead(bool ok, const DateTimeRecord& chosen);
    // Resets the memory download and asks for the firmware version; the
    // download's observer shows it.
    void beginMemoryRead();
    void beginRecordingSettings(PanelReplyListener& listener);
    void endRecordingSettings(bool ok, int intervalMinutes, int configByte);
    void beginPowerSaving(PanelReplyListener& listener);
    void endPowerSaving(bool ok, int registerValue);
    // Reset: sent without a question.
    void requestReset();
    // Erase: asks "Chcesz usunąć zawartość pamięci?" first; No sends nothing.
    void requestErase();

    PollState pollState() const { return pollState_; }
    PollState pendingState() const { return pendingState_; }
    int missedTicks() const { return missedTicks_; }
    bool linkUp() const { return linkUp_; }
    int memoryAddress() const { return memoryAddress_; }
    int writeIndex() const { return writeIndex_; }
    bool settingsSaved() const { return settingsSaved_; }
    bool infoDialogOpen() const { return infoListener_ != nullptr; }
    bool recordingDialogOpen() const { return settingsListener_ != nullptr; }
    bool powerSavingDialogOpen() const { return powerSavingListener_ != nullptr; }
    MemoryDownload& memoryDownload() { return memory_; }
    const MemoryDownload& memoryDownload() const { return memory_; }
    const DateTimeRecord& clockToSet() const { return clockToSet_; }
    int writeInterval() const { return writeInterval_; }
    int writeConfig() const { return writeConfig_; }
    int powerSavingValue() const { return powerSavingValue_; }
    // Bytes of the reply line assembled so far (0..89).
    int linePos() const { return linePos_; }

private:
    // Implementation details are the engine's own; see PollEngine.cpp.
    class Step;

    // Where a memory download stands. Replies are matched to the request they
    // answer, so a byte is stored only for the address it was read from.
    enum class Download {
        Idle,      // none, or the last one has ended
        Requested, // its version request waits in the pending slot
        Version,   // its version request is out
        Reading,   // its reads are out, one address after the other
    };

    // A message or question raised inside a step, handed to the host once the
    // step has sent its request.
    struct Prompt {
        std::string text;
        std::function<void(bool yes)> answer; // empty: a plain message
    };

    void consumeByte(std::uint8_t byte);
    void handleLine(int length);
    PollState chooseNext(bool failed);
    PollState nextMeasurement(PollState after) const;
    PollState nextAfterVersion();
    PollState nextAfterMemoryRead();
    bool downloadRunning() const;
    void setPending(PollState state);
    void endDownloadEarly();
    void sendRequest();
    void tellIntervalListeners();
    void reportLink(bool up);
    void raiseMessage(std::string text);
    void raiseQuestion(std::string text, std::function<void(bool yes)> answer);
    void flushPrompts();

    PanelData& data_;
    PollHost& host_;

    PollState pollState_ = NO_STATE;
    PollState pendingState_ = NO_STATE;
    int missedTicks_ = 0;
    bool linkUp_ = false;
    std::array<std::uint8_t, kLineBufferSize> line_{};
    int linePos_ = 0;
    int memoryAddress_ = 0;
    int writeIndex_ = 0;
    bool settingsSaved_ = false;
    int writeInterval_ = 0;
    int writeConfig_ = 0;
    int powerSavingValue_ = 0;
    DateTimeRecord clockToSet_;
    // Who waits for each one-shot read's reply; nullptr: nobody.
    PanelReplyListener* infoListener_ = nullptr;
    PanelReplyListener* clockListener_ = nullptr;
    PanelReplyListener* settingsListener_ = nullptr;
    PanelReplyListener* powerSavingListener_ = nullptr;

    MemoryDownload memory_;
    Download download_ = Download::Idle;
    bool pendingIsDownload_ = false; // the pending slot holds the download's start
    int downloadAddress_ = 0;        // the address whose byte the download stores next
    int sentAddress_ = 0;            // the address of the read request that is out
    Request inFlight_;               // the request that is out, repeated on a time-out
    std::uint64_t requestsSent_ = 0;

    std::vector<Prompt> prompts_;
    int stepDepth_ = 0;
};
