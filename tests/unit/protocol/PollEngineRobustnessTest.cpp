#include "EngineRig.h"
#include "RequestForm.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

using requestform::stateOfRequest;

class Fuzzer {
public:
    explicit Fuzzer(unsigned seed) : rng_(seed) {}

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    std::string randomBytes(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            const int r = pick(0, 9);
            s += r == 0 ? '\r' : r == 1 ? '\n' : static_cast<char>(pick(0, 255));
        }
        return s;
    }

    // One random thing happening to the engine.
    void act(EngineRig& rig) {
        const int roll = pick(0, 99);
        if (roll < 40) {
            rig.exchange(); // the panel answers properly
        } else if (roll < 55) {
            rig.feed(randomBytes(pick(1, 16)));
        } else if (roll < 62) {
            // A well-formed reply to some other request.
            static const char* others[] = {"K",     "A",       "V",       "H",     "P",  "T", "F",
                                           "I",     "L",       "N",       "Q",     "O",  "G", "ES",
                                           "ER002", "EW00000", "B000000", "C0101", "J00"};
            rig.feed(rig.panel.answer(others[pick(0, 18)]));
        } else if (roll < 65) {
            rig.feed(randomBytes(pick(60, 300)));
        } else if (roll < 77) {
            rig.engine.onTick();
        } else if (roll < 80) {
            rig.host.setMemoryOpen(!rig.host.memoryOpen());
            if (pick(0, 3) == 0) {
                rig.host.requestMemoryStop();
            }
        } else if (roll < 84) {
            answerQuestions(rig);
        } else {
            oneShot(rig);
        }
    }

private:
    void answerQuestions(EngineRig& rig) {
        auto questions = std::move(rig.host.questions);
        rig.host.questions.clear();
        for (auto& q : questions) {
            q.answer(pick(0, 1) == 1);
        }
    }

    void oneShot(EngineRig& rig) {
        PollEngine& e = rig.engine;
        switch (pick(0, 13)) {
        case 0:
            e.beginPanelInfo(rig.host.panelInfo);
            break;
        case 1:
            e.endPanelInfo();
            break;
        case 2:
            e.beginClockRead(rig.host.panelClock);
            break;
        case 3: {
            DateTimeRecord t;
            t.hour = static_cast<std::uint16_t>(pick(0, 65535));
            t.minute = static_cast<std::uint16_t>(pick(0, 65535));
            t.second = static_cast<std::uint16_t>(pick(0, 65535));
            t.day = static_cast<std::uint16_t>(pick(0, 65535));
            t.month = static_cast<std::uint16_t>(pick(0, 65535));
            e.endClockRead(pick(0, 1) == 1, t);
            break;
        }
        case 4:
            e.beginMemoryRead();
            rig.host.setMemoryOpen(true);
            break;
        case 5:
            e.beginRecordingSettings(rig.host.panelSettings);
            break;
        case 6:
            e.endRecordingSettings(pick(0, 1) == 1, pick(-1000, 1000), pick(-1000, 1000));
            break;
        case 7:
            e.beginPowerSaving(rig.host.powerSaving);
            break;
        case 8:
            e.endPowerSaving(pick(0, 1) == 1, pick(-100000, 100000));
            break;
        case 9:
            e.requestReset();
            break;
        case 10:
            e.requestErase();
            break;
        default:
            e.onConfirmationTimer(static_cast<ConfirmationTimer>(pick(0, 4)));
            break;
        }
    }

    std::mt19937 rng_;
};

TEST(PollEngineRobustness, RandomStreamsKeepEveryInvariant) {
    constexpr int kStreams = 150;
    constexpr int kActions = 2500;
    int linesParsed = 0;
    for (int stream = 0; stream < kStreams; ++stream) {
        Fuzzer fuzz(static_cast<unsigned>(1234 + stream));
        EngineRig rig;
        // Random sensors and contents so that every branch of the cycle runs.
        rig.panel.status = "";
        for (int i = 0; i < 8; ++i) {
            rig.panel.status += static_cast<char>(0x30 + fuzz.pick(0, 15));
        }
        rig.panel.versionByte = fuzz.pick(190, 210);
        for (std::size_t a = 2; a < rig.panel.memory.size(); ++a) {
            rig.panel.memory[a] = fuzz.pick(0, 40) == 0 ? 0xFF : fuzz.pick(0, 254);
        }
        rig.start();
        std::size_t checked = 0;
        for (int i = 0; i < kActions; ++i) {
            fuzz.act(rig);
            const PollEngine& e = rig.engine;
            ASSERT_GE(e.linePos(), 0);
            ASSERT_LT(e.linePos(), PanelData::kMaxLineLength + 1);
            ASSERT_GE(static_cast<int>(e.pollState()), kFirstPollState);
            ASSERT_LE(static_cast<int>(e.pollState()), kLastPollState);
            ASSERT_GE(static_cast<int>(e.pendingState()), 0);
            ASSERT_LE(static_cast<int>(e.pendingState()), kLastPollState);
            ASSERT_GE(e.missedTicks(), 0);
            ASSERT_LE(e.missedTicks(), 3);
            ASSERT_LE(e.memoryAddress(), PollEngine::kLastMemoryAddress);
            ASSERT_GE(rig.data.lastLineLength, 0);
            ASSERT_LE(rig.data.lastLineLength, PanelData::kMaxLineLength);
            ASSERT_EQ(rig.host.badEndings, 0);
            for (; checked < rig.host.sent.size(); ++checked) {
                ASSERT_NE(stateOfRequest(rig.host.sent[checked]), NO_STATE)
                    << "request " << rig.host.sent[checked];
            }
            // What went out last is the request of the state now waiting.
            ASSERT_EQ(stateOfRequest(rig.host.sent.back()), e.pollState());
            // Never more bytes stored than the dialog holds.
            ASSERT_LE(rig.host.memoryBytes().size(), 4096u);
        }
        linesParsed += static_cast<int>(rig.host.sent.size());
    }
    EXPECT_GT(linesParsed, kStreams * kActions / 2);
}

} // namespace
