// The poll engine fed bytes, ticks, confirmation timers, answers and one-shot
// operations in any order, by a panel that answers properly, wrongly or not at
// all. Checked throughout: every request has a documented form and ends in
// CR LF; prompts come only after the request of the step that raised them;
// every stored memory byte answers the address it is stored for, read after
// the download began; and a download never ends short without a word.
//
// The input is a list of actions, one letter each (other bytes pick an action
// by their value), some followed by argument bytes: see act().
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "protocol/PanelData.h"
#include "protocol/PollEngine.h"
#include "unit/protocol/FakePollHost.h"
#include "unit/protocol/RequestForm.h"
#include "unit/protocol/ScriptedPanel.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace {

using requestform::readRequest;

// The recording host with a model of the memory dialog that watches what the
// engine does to it.
class CheckingHost : public FakePollHost {
public:
    // Set around each call into the engine: a call that handles a line or a
    // tick sends its request before it prompts.
    bool callSends = false;
    std::size_t sentBeforeCall = 0;
    // What the step under way brings to a version request that is out: a
    // well-formed answer, a wrong one or the fourth time-out, or nothing.
    enum class Verdict { None, Answered, Failed };
    Verdict verdict = Verdict::None;
    // The step under way is a time-out that repeats the request out.
    bool retry = false;

    void sendBytes(const std::uint8_t* data, int count) override {
        FakePollHost::sendBytes(data, count);
        const std::string& r = sent.back();
        fuzzCheck(badEndings == 0, "every request ends in CR LF", r);
        fuzzCheck(requestform::stateOfRequest(r) != NO_STATE, "every request has a documented form",
                  r);
        watchDownload(r);
    }
    // The engine has just begun a download (its reset).
    void downloadBegun() {
        phase = Phase::Starting;
        outAtReset = sent.empty() ? std::string() : sent.back();
        sentAtReset = sent.size();
    }
    void onByteStored() override {
        const std::string expected = readRequest(memoryByteCount() + 1);
        fuzzCheck(sent.size() > sentAtReset && sent.back() == expected,
                  "a stored byte answers the address it is stored for",
                  "out: " + sent.back() + ", stored as the answer to " + expected);
        FakePollHost::onByteStored();
    }
    void onDownloadAborted() override {
        FakePollHost::onDownloadAborted();
        phase = Phase::None;
    }
    void onDownloadFinished() override {
        FakePollHost::onDownloadFinished();
        phase = Phase::None;
    }
    void showMessage(const std::string& text) override {
        checkPromptOrder(text);
        FakePollHost::showMessage(text);
    }
    void askQuestion(const std::string& text, std::function<void(bool)> answer) override {
        checkPromptOrder(text);
        FakePollHost::askQuestion(text, std::move(answer));
    }
    // The dialog's watchdog or the user closed it; it reports that itself.
    void closeDialog() {
        setMemoryOpen(false);
        phase = Phase::None;
    }

private:
    enum class Phase { None, Starting, Version, Reading };

    void checkPromptOrder(const std::string& text) {
        fuzzCheck(!callSends || sent.size() > sentBeforeCall,
                  "a prompt comes after the request of its step", text);
    }

    // While the dialog waits for its bytes the engine sends nothing but what
    // the download needs, unless it has told the dialog that it is over.
    void watchDownload(const std::string& r) {
        if (!memoryOpen()) {
            return;
        }
        switch (phase) {
        case Phase::None:
            break;
        case Phase::Starting:
            if (retry) {
                fuzzCheck(r == outAtReset, "a time-out repeats the request out", r);
            } else {
                fuzzCheck(r == "F", "a download waiting to start is not dropped", r);
                phase = Phase::Version;
            }
            break;
        case Phase::Version:
            // A wrong or missing answer to the version leaves the dialog's own
            // watchdog to report; a proper one starts the download, or refuses
            // it (or gives way to another operation) with a message first.
            if (retry) {
                fuzzCheck(r == "F", "a time-out repeats the request out", r);
            } else if (verdict == Verdict::Failed) {
                phase = Phase::None;
            } else {
                fuzzCheck(verdict == Verdict::Answered && r == readRequest(2),
                          "a download is started or refused aloud", r);
                phase = Phase::Reading;
            }
            break;
        case Phase::Reading:
            fuzzCheck(r == readRequest(memoryByteCount() + 2),
                      "a download reads each address once, in order, to its end", r);
            break;
        }
    }

    Phase phase = Phase::None;
    std::string outAtReset;
    std::size_t sentAtReset = 0;
};

class Driver {
public:
    Driver() {
        host.attach(engine.memoryDownload());
        // A short memory, so that downloads end within a fuzz input.
        for (std::size_t a = 2; a < 40; ++a) {
            panel.memory[a] = static_cast<int>((a * 37) & 0x7F);
        }
        panel.memory[40] = 0xFF;
        call(true, [this] { engine.start(); });
    }

    void act(FuzzInput& in) {
        static constexpr char kActions[] = "aaaantotcdsYXIiCkMRrPpGESVez";
        const auto code = static_cast<char>(in.byte());
        const char* known = std::strchr(kActions, code);
        const char action =
            code != 0 && known != nullptr
                ? code
                : kActions[static_cast<unsigned char>(code) % (sizeof kActions - 1)];
        switch (action) {
        case 'a': // the panel answers the request that is out
            feed(panel.answer(host.sent.back()));
            break;
        case 'n': // noise of up to 255 bytes
            feed(in.bytes(in.byte()));
            break;
        case 'o': { // a well-formed reply to some other request
            static const char* const others[] = {
                "K", "A", "V", "H",  "P",     "T",       "F",       "I",     "L",  "N",
                "Q", "O", "G", "ES", "ER002", "EW00000", "B000000", "C0101", "J00"};
            feed(panel.answer(others[in.byte() % (sizeof others / sizeof others[0])]));
            break;
        }
        case 't':
            // Three time-outs repeat the request; the fourth gives up on it.
            host.retry = engine.missedTicks() < 3;
            if (!host.retry && host.sent.back() == "F") {
                host.verdict = CheckingHost::Verdict::Failed;
            }
            call(true, [this] { engine.onTick(); });
            host.verdict = CheckingHost::Verdict::None;
            host.retry = false;
            break;
        case 'c': {
            const auto timer = static_cast<ConfirmationTimer>(in.byte() % 5);
            call(false, [this, timer] { engine.onConfirmationTimer(timer); });
            break;
        }
        case 'd':
            if (host.memoryOpen()) {
                host.closeDialog();
            } else {
                host.setMemoryOpen(true);
            }
            break;
        case 's':
            host.requestMemoryStop(); // "Zamknij" while bytes arrive
            break;
        case 'Y':
        case 'X': {
            auto questions = std::move(host.questions);
            host.questions.clear();
            for (auto& q : questions) {
                call(false, [&q, action] { q.answer(action == 'Y'); });
            }
            break;
        }
        default:
            oneShot(action, in);
            break;
        }
        if (trace) {
            // What happened, for reading a failing input: TQ820_FUZZ_TRACE=1.
            std::fprintf(stderr, "[%c]", action);
            for (; traced < host.log.size(); ++traced) {
                std::fprintf(stderr, " %s", host.log[traced].c_str());
            }
            std::fprintf(stderr, "\n");
        }
        checkState();
    }

private:
    void oneShot(char action, FuzzInput& in) {
        switch (action) {
        case 'I':
            engine.beginPanelInfo(host.panelInfo);
            break;
        case 'i':
            engine.endPanelInfo();
            break;
        case 'C':
            engine.beginClockRead(host.panelClock);
            break;
        case 'k': {
            DateTimeRecord t;
            t.hour = static_cast<std::uint16_t>(in.word());
            t.minute = static_cast<std::uint16_t>(in.word());
            t.second = static_cast<std::uint16_t>(in.byte());
            t.day = static_cast<std::uint16_t>(in.byte());
            t.month = static_cast<std::uint16_t>(in.byte());
            const bool ok = in.byte() % 2 == 0;
            engine.endClockRead(ok, t);
            break;
        }
        case 'M':
            host.downloadBegun();
            engine.beginMemoryRead();
            host.setMemoryOpen(true); // the dialog runs
            break;
        case 'R':
            engine.beginRecordingSettings(host.panelSettings);
            break;
        case 'r': {
            const int interval = in.word() - 0x8000;
            const int config = in.word() - 0x8000;
            const bool ok = in.byte() % 2 == 0;
            engine.endRecordingSettings(ok, interval, config);
            break;
        }
        case 'P':
            engine.beginPowerSaving(host.powerSaving);
            break;
        case 'p': {
            const bool ok = in.byte() % 2 == 0;
            engine.endPowerSaving(ok, in.word() - 0x8000);
            break;
        }
        case 'G':
            engine.requestReset();
            break;
        case 'E':
            call(false, [this] { engine.requestErase(); });
            break;
        case 'S': // the panel's status bytes from here on
            panel.status.clear();
            for (int i = 0; i < 8; ++i) {
                panel.status += static_cast<char>(0x30 + (in.byte() & 0x0F));
            }
            break;
        case 'V':
            panel.versionByte = in.byte();
            break;
        case 'e': { // where the memory's content ends
            const int end = 2 + in.word() % 4094;
            for (int a = 2; a < 4096; ++a) {
                panel.memory[static_cast<std::size_t>(a)] = a < end    ? (a * 37) & 0x7F
                                                            : a == end ? 0xFF
                                                                       : 0x11;
            }
            break;
        }
        default: // 'z': one memory byte
            panel.memory[static_cast<std::size_t>(2 + in.word() % 4094)] = in.byte();
            break;
        }
    }

    // One call into the engine; `sends`: it handles a line or a tick.
    template <typename F> void call(bool sends, F&& f) {
        host.callSends = sends;
        host.sentBeforeCall = host.sent.size();
        f();
        host.callSends = false;
    }

    void feed(const std::string& bytes) {
        for (const char c : bytes) {
            // The line as the engine assembles it: at most 89 bytes, ended by CR LF.
            line += c;
            if (line.size() >= PollEngine::kLineBufferSize) {
                line.clear();
            } else if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
                if (host.sent.back() == "F") {
                    const bool wellFormed = line.size() == 6 && line[1] == 'F';
                    host.verdict = wellFormed ? CheckingHost::Verdict::Answered
                                              : CheckingHost::Verdict::Failed;
                }
                line.clear();
            }
            call(true, [this, c] { engine.onByte(static_cast<std::uint8_t>(c)); });
            host.verdict = CheckingHost::Verdict::None;
        }
    }

    void checkState() {
        fuzzCheck(requestform::stateOfRequest(host.sent.back()) == engine.pollState(),
                  "the request out is the one of the state that waits", host.sent.back());
        fuzzCheck(engine.linePos() >= 0 && engine.linePos() < PollEngine::kLineBufferSize,
                  "the line stays within its buffer");
        fuzzCheck(engine.missedTicks() >= 0 && engine.missedTicks() <= 3,
                  "the fourth time-out resets the count");
        fuzzCheck(engine.pendingState() >= NO_STATE && engine.pendingState() <= kLastPollState,
                  "the pending slot holds a state or nothing");
        fuzzCheck(engine.memoryAddress() <= PollEngine::kLastMemoryAddress,
                  "a download never passes the last address");
        fuzzCheck(data.lastLineLength >= 0 && data.lastLineLength <= PanelData::kMaxLineLength,
                  "the last reply kept fits its buffer");
    }

    const bool trace = std::getenv("TQ820_FUZZ_TRACE") != nullptr;
    std::size_t traced = 0;
    std::string line; // the reply line being assembled
    PanelData data;
    CheckingHost host;
    PollEngine engine{data, host};
    ScriptedPanel panel;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Driver driver;
    while (!in.empty()) {
        driver.act(in);
    }
    return 0;
}
