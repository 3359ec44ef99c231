#pragma once

#include "protocol/MemoryDownload.h"
#include "protocol/PanelReplyListener.h"
#include "protocol/PollEngine.h"
#include "protocol/PollHost.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A PollHost that records every call in order, the listeners of the one-shot
// reads, and a small model of the memory dialog observing the engine's
// download (open/closed; an empty memory or an abort closes it).
class FakePollHost : public PollHost, public MemoryDownloadObserver {
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

    // Who waits for the one-shot reads' replies: each logs "hook:<name>".
    struct Listener : PanelReplyListener {
        Listener(std::vector<std::string>& log, std::string entry)
            : log(log), entry(std::move(entry)) {}
        void onPanelReply() override { log.push_back(entry); }
        std::vector<std::string>& log;
        std::string entry;
    };
    Listener panelInfo{log, "hook:panelInfo"};
    Listener panelSettings{log, "hook:panelSettings"};
    Listener powerSaving{log, "hook:powerSaving"};
    Listener panelClock{log, "hook:panelClock"};

    // What the memory dialog was told.
    struct MemoryDialog {
        int steps = 0;
        int finishes = 0;
        int decodes = 0;
        int aborts = 0;
    } memory;

    // The engine's download, observed by this host while "the dialog is open".
    void attach(MemoryDownload& d) { download = &d; }
    void setMemoryOpen(bool open) {
        memoryOpen_ = open;
        download->setObserver(open ? this : nullptr);
    }
    bool memoryOpen() const { return memoryOpen_; }
    std::vector<std::uint8_t> memoryBytes() const { return download->bytes(); }
    int memoryByteCount() const { return download->size(); }
    void requestMemoryStop() { download->requestStop(); }

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
    void onByteStored() override {
        ++memory.steps;
        log.push_back("mem:step");
        log.push_back("mem:append:" + std::to_string(download->LastByte()));
    }
    void onDownloadFinished() override {
        ++memory.finishes;
        ++memory.decodes;
        log.push_back("mem:finish");
        log.push_back("mem:decode");
        // An empty memory closes the dialog after its message.
        const std::vector<std::uint8_t> bytes = download->bytes();
        if (bytes.size() < 6 || bytes.front() != 0xF0) {
            setMemoryOpen(false);
        }
    }
    void onDownloadAborted() override {
        ++memory.aborts;
        setMemoryOpen(false);
        log.push_back("mem:abort");
    }

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

private:
    MemoryDownload* download = nullptr;
    bool memoryOpen_ = false;
};
