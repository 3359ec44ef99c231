#pragma once

#include "protocol/PollEngine.h"
#include "protocol/PollHost.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A PollHost that records every call in order, with a small model of the
// memory dialog (open/closed, up to 4096 stored bytes, stop request).
class FakePollHost : public PollHost {
public:
    struct Question {
        std::string text;
        std::function<void(bool)> answer;
    };

    // Everything in call order, e.g. "send:K", "timer", "status:1",
    // "message:...", "hook:panelInfo", "mem:append:255".
    std::vector<std::string> log;
    std::vector<std::string> sent; // requests without their CR LF
    int badEndings = 0;            // requests that did not end in CR LF
    int timerRestarts = 0;
    std::vector<ConfirmationTimer> confirmationTimers;
    std::vector<bool> statusUpdates;
    std::vector<std::string> messages;
    std::vector<Question> questions;

    struct MemoryDialog {
        bool open = false;
        std::vector<std::uint8_t> bytes;
        bool stopRequested = false;
        int steps = 0;
        int finishes = 0;
        int decodes = 0;
        int aborts = 0;
        int resets = 0;
    } memory;

    void sendBytes(const std::uint8_t* data, int count) override {
        std::string s(reinterpret_cast<const char*>(data), static_cast<std::size_t>(count));
        if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) {
            s.resize(s.size() - 2);
        } else {
            ++badEndings;
        }
        sent.push_back(s);
        log.push_back("send:" + s);
    }
    void restartPollTimer() override {
        ++timerRestarts;
        log.push_back("timer");
    }
    void startConfirmationTimer(ConfirmationTimer timer) override {
        confirmationTimers.push_back(timer);
        log.push_back("confirm:" + std::to_string(static_cast<int>(timer)));
    }
    void updateStatus(bool linkUp) override {
        statusUpdates.push_back(linkUp);
        log.push_back(linkUp ? "status:1" : "status:0");
    }
    void showMessage(const std::string& text) override {
        messages.push_back(text);
        log.push_back("message:" + text);
    }
    void askQuestion(const std::string& text, std::function<void(bool)> answer) override {
        questions.push_back({text, std::move(answer)});
        log.push_back("question:" + text);
    }
    void showPanelInfo() override { log.push_back("hook:panelInfo"); }
    void showPanelSettings() override { log.push_back("hook:panelSettings"); }
    void showPowerSaving() override { log.push_back("hook:powerSaving"); }
    void showPanelClock() override { log.push_back("hook:panelClock"); }

    void memoryStepProgress() override {
        ++memory.steps;
        log.push_back("mem:step");
    }
    void memoryAppendByte(std::uint8_t byte) override {
        if (memory.bytes.size() < 4096) {
            memory.bytes.push_back(byte);
        }
        log.push_back("mem:append:" + std::to_string(byte));
    }
    void memoryFinishProgress() override {
        ++memory.finishes;
        log.push_back("mem:finish");
    }
    void memoryDecode() override {
        ++memory.decodes;
        log.push_back("mem:decode");
        // An empty memory closes the dialog after its message.
        if (memory.bytes.size() < 6 || memory.bytes.front() != 0xF0) {
            memory.open = false;
        }
    }
    int memoryLastByte() const override {
        return memory.bytes.empty() ? 0xFF : memory.bytes.back();
    }
    void memoryAbort() override {
        ++memory.aborts;
        memory.open = false;
        log.push_back("mem:abort");
    }
    void memoryReset() override {
        ++memory.resets;
        memory.bytes.clear();
        memory.stopRequested = false;
        log.push_back("mem:reset");
    }
    bool memoryStopRequested() const override { return memory.stopRequested; }
    bool memoryCanTakeMore() const override { return memory.open && memory.bytes.size() < 4096; }

    int count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : log) {
            n += e == entry ? 1 : 0;
        }
        return n;
    }
    // Index of the first log entry equal to `entry` at or after `from`, or -1.
    int indexOf(const std::string& entry, std::size_t from = 0) const {
        for (std::size_t i = from; i < log.size(); ++i) {
            if (log[i] == entry) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};
