#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The one-shot timers that judge a write 1500 ms after it was asked for.
enum class ConfirmationTimer {
    ClockSet,         // date and time "OK"
    Reset,            // reset request
    Erase,            // erase request
    SettingsWrite,    // recording settings "OK"
    PowerSavingWrite, // power-saving "OK"
};

// The transport the poll engine runs on. The panel link implements it with a
// port and QTimers; tests implement it with a fake that records calls and a
// scripted or simulated panel.
class PollHost {
public:
    virtual ~PollHost() = default;

    // Hand one whole request to the serial driver. Does nothing when no port
    // is open (the engine's timing goes on regardless).
    virtual void sendBytes(const std::uint8_t* data, int count) = 0;
    // Stop and restart the 1500 ms reply time-out.
    virtual void restartPollTimer() = 0;
    // Start (or restart) a 1500 ms one-shot confirmation timer; when it fires
    // the host calls PollEngine::onConfirmationTimer.
    virtual void startConfirmationTimer(ConfirmationTimer timer) = 0;
    // The poll cycle is back at the status request, or the link was lost:
    // refresh the status and the readings from PanelData with this link state.
    virtual void updateStatus(bool linkUp) = 0;

    // A Polish message with an OK button. The engine calls it only after the
    // step that raised it has completed; the host still shows it through a
    // queued call, never from inside the caller.
    virtual void showMessage(const std::string& text) = 0;
    // A Polish Yes/No question; the host calls `answer` with true for Yes.
    // Same ordering rules as showMessage.
    virtual void askQuestion(const std::string& text, std::function<void(bool yes)> answer) = 0;
};
