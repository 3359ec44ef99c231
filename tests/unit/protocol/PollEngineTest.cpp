#include "EngineRig.h"

#include <algorithm>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

const std::string kReadError = "Błąd w trakcie odczytu danych";
const std::string kOldFirmware =
    "Odczyt pamięci przez program jest możliwy dla paneli w wersji 2.01 lub nowszej.";

// ---------------------------------------------------------------------------
// Regular cycle by the attached sensors.

struct CycleCase {
    const char* status;
    const char* cycle; // requests after the first "K"
};

class RegularCycle : public ::testing::TestWithParam<CycleCase> {};

TEST_P(RegularCycle, PollsOnlyWhatTheSensorsMeasure) {
    EngineRig rig;
    rig.panel.status = GetParam().status;
    rig.start();
    const std::string expected = GetParam().cycle;
    const int n = 1 + static_cast<int>(std::count(expected.begin(), expected.end(), ' '));
    EXPECT_EQ(rig.run(n), expected);
    EXPECT_TRUE(rig.engine.linkUp());
    EXPECT_EQ(rig.host.badEndings, 0);
    // Every return to the status poll reports the link up; nothing else does.
    const auto statusPolls = std::count(rig.host.sent.begin() + 1, rig.host.sent.end(), "K");
    EXPECT_EQ(static_cast<long>(rig.host.statusUpdates.size()), statusPolls);
    for (const bool up : rig.host.statusUpdates) {
        EXPECT_TRUE(up);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sensors, RegularCycle,
    ::testing::Values(CycleCase{"00000005", "A V H P T K A V H P T K"}, // TQ-232 + TQ-264
                      CycleCase{"80000002", "H T K H T K"},             // TQ-231 only
                      CycleCase{"80000080", "P K P K"},                 // TQ-233 only
                      CycleCase{"88000000", "K K K"},                   // no sensor
                      CycleCase{"08000001", "A V K A V K"},             // TQ-264 only
                      CycleCase{"00000003", "A V H T K"},               // TQ-231 + TQ-264
                      CycleCase{"00000081", "A V P K"},                 // TQ-233 + TQ-264
                      CycleCase{"00000000", "K K"},               // both present, no model flags
                      CycleCase{"08000000", "K K"},               // channel 2 without TQ-264
                      CycleCase{"80000004", "H P T K H P T K"})); // TQ-232 only

TEST(PollEngine, StartSendsStatusWithoutReportingTheLink) {
    EngineRig rig;
    rig.start();
    EXPECT_EQ(rig.host.log, (std::vector<std::string>{"timer", "send:K"}));
    EXPECT_EQ(rig.engine.pollState(), READ_STATUS);
    EXPECT_FALSE(rig.engine.linkUp());
}

TEST(PollEngine, ValuesOfTheCycleReachPanelData) {
    EngineRig rig;
    rig.panel.temperatureTenths = -53;
    rig.start();
    rig.run(6);
    EXPECT_DOUBLE_EQ(rig.data.temperature, -5.3);
    EXPECT_DOUBLE_EQ(rig.data.pressure, 1013.2);
    EXPECT_DOUBLE_EQ(rig.data.humidity, 45.6);
    EXPECT_DOUBLE_EQ(rig.data.windSpeed, 12.3);
    EXPECT_EQ(rig.data.windDirection, 270);
}

// ---------------------------------------------------------------------------
// One-shot operations: the exchanges they cause, the hooks and the timers.

struct OneShotCase {
    const char* name;
    std::function<void(EngineRig&)> begin;
    const char* exchanges; // requests sent until the cycle is back at "K"
    std::vector<std::string> hooks;
    std::vector<ConfirmationTimer> timers;
    std::function<void(const EngineRig&)> check;
};

void PrintTo(const OneShotCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::string> hooksOf(const FakePollHost& h) {
    std::vector<std::string> out;
    for (const auto& e : h.log) {
        if (e.rfind("hook:", 0) == 0 || e.rfind("mem:", 0) == 0) {
            out.push_back(e);
        }
    }
    return out;
}

class OneShot : public ::testing::TestWithParam<OneShotCase> {};

TEST_P(OneShot, RunsItsSequenceAndReturnsToStatus) {
    const OneShotCase& c = GetParam();
    EngineRig rig;
    rig.start();
    rig.run(6); // somewhere in the regular cycle
    c.begin(rig);
    rig.host.log.clear();
    EXPECT_EQ(rig.runToStatus(), c.exchanges);
    EXPECT_EQ(hooksOf(rig.host), c.hooks);
    EXPECT_EQ(rig.host.confirmationTimers, c.timers);
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_EQ(rig.engine.pendingState(), NO_STATE);
    if (c.check) {
        c.check(rig);
    }
}

void endClock(EngineRig& r) {
    r.engine.beginClockRead(r.host.panelClock);
    r.runToStatus();
    DateTimeRecord chosen;
    chosen.year = 2026;
    chosen.month = 3;
    chosen.day = 7;
    chosen.hour = 9;
    chosen.minute = 5;
    chosen.second = 30;
    r.engine.endClockRead(true, chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, OneShot,
    ::testing::Values(
        OneShotCase{"PanelInfo",
                    [](EngineRig& r) { r.engine.beginPanelInfo(r.host.panelInfo); },
                    "F I L N Q K",
                    {"hook:panelInfo"},
                    {},
                    [](const EngineRig& r) {
                        EXPECT_DOUBLE_EQ(r.data.firmwareVersion, 2.01);
                        EXPECT_EQ(r.data.serialCh2, 431);
                        EXPECT_EQ(r.data.serialCh1, 0x1234);
                        EXPECT_EQ(r.data.recordInterval, 10);
                        EXPECT_TRUE(r.engine.infoDialogOpen());
                    }},
        OneShotCase{"ClockRead",
                    [](EngineRig& r) { r.engine.beginClockRead(r.host.panelClock); },
                    "O K",
                    {"hook:panelClock"},
                    {},
                    [](const EngineRig& r) {
                        EXPECT_EQ(r.data.clockValid, 1);
                        EXPECT_EQ(r.data.clock.hour, 14);
                        EXPECT_EQ(r.data.clock.month, 3);
                    }},
        OneShotCase{"ClockSet",
                    endClock,
                    "B090530 C0703 K",
                    {},
                    {ConfirmationTimer::ClockSet},
                    [](const EngineRig& r) {
                        EXPECT_EQ(r.data.dateSetAck, 1);
                        EXPECT_EQ(r.panel.clockHour, 9);
                        EXPECT_EQ(r.panel.clockMonth, 3);
                    }},
        OneShotCase{"RecordingSettingsRead",
                    [](EngineRig& r) { r.engine.beginRecordingSettings(r.host.panelSettings); },
                    "ER001 Q K",
                    {"hook:panelSettings"},
                    {},
                    [](const EngineRig& r) {
                        EXPECT_EQ(r.data.memoryByte, 0x48);
                        EXPECT_EQ(r.data.recordInterval, 10);
                    }},
        OneShotCase{"RecordingSettingsWrite",
                    [](EngineRig& r) {
                        r.engine.beginRecordingSettings(r.host.panelSettings);
                        r.runToStatus();
                        r.engine.endRecordingSettings(true, 239, 72);
                    },
                    "EW000>? EW00148 K",
                    {},
                    {ConfirmationTimer::SettingsWrite},
                    [](const EngineRig& r) {
                        EXPECT_TRUE(r.engine.settingsSaved());
                        EXPECT_FALSE(r.engine.recordingDialogOpen());
                        EXPECT_EQ(r.panel.memory[0], 239);
                        EXPECT_EQ(r.panel.memory[1], 72);
                    }},
        OneShotCase{"PowerSavingRead",
                    [](EngineRig& r) {
                        r.panel.powerSaving = 1;
                        r.engine.beginPowerSaving(r.host.powerSaving);
                    },
                    "I L N Q K",
                    {"hook:powerSaving"},
                    {},
                    [](const EngineRig& r) { EXPECT_EQ(r.data.powerSavingFlags, 1); }},
        OneShotCase{"PowerSavingWrite",
                    [](EngineRig& r) {
                        r.engine.beginPowerSaving(r.host.powerSaving);
                        r.runToStatus();
                        r.engine.endPowerSaving(true, 0xFE);
                    },
                    "JFE K",
                    {},
                    {ConfirmationTimer::PowerSavingWrite},
                    [](const EngineRig& r) {
                        EXPECT_EQ(r.data.powerSavingAck, 1);
                        EXPECT_EQ(r.panel.powerSaving, 0xFE);
                        EXPECT_FALSE(r.engine.powerSavingDialogOpen());
                    }},
        OneShotCase{"Reset",
                    [](EngineRig& r) { r.engine.requestReset(); },
                    "G K",
                    {},
                    {ConfirmationTimer::Reset},
                    [](const EngineRig& r) { EXPECT_EQ(r.data.resetAck, 1); }},
        OneShotCase{"EraseAnsweredYes",
                    [](EngineRig& r) {
                        r.engine.requestErase();
                        ASSERT_EQ(r.host.questions.size(), 1u);
                        EXPECT_EQ(r.host.questions[0].text, "Chcesz usunąć zawartość pamięci?");
                        r.host.questions[0].answer(true);
                    },
                    "ES K",
                    {},
                    {ConfirmationTimer::Erase},
                    [](const EngineRig& r) { EXPECT_EQ(r.data.eraseAck, 1); }},
        OneShotCase{"MemoryRead",
                    [](EngineRig& r) {
                        const int content[] = {0xF0, 0x30, 0x14, 0x07, 0x03, 0x0A, 0x00, 0xFF};
                        for (int i = 0; i < 8; ++i) {
                            r.panel.memory[static_cast<std::size_t>(2 + i)] = content[i];
                        }
                        r.engine.beginMemoryRead();
                        r.host.setMemoryOpen(true); // the dialog runs
                    },
                    "F ER002 ER003 ER004 ER005 ER006 ER007 ER008 ER009 K",
                    {"mem:step", "mem:append:240", "mem:step", "mem:append:48", "mem:step",
                     "mem:append:20", "mem:step", "mem:append:7", "mem:step", "mem:append:3",
                     "mem:step", "mem:append:10", "mem:step", "mem:append:0", "mem:step",
                     "mem:append:255", "mem:finish", "mem:decode"},
                    {},
                    [](const EngineRig& r) {
                        EXPECT_EQ(r.host.memoryBytes().size(), 8u);
                        EXPECT_EQ(r.host.memory.aborts, 0);
                    }},
        OneShotCase{"MemoryEmpty",
                    [](EngineRig& r) {
                        r.engine.beginMemoryRead();
                        r.host.setMemoryOpen(true);
                    },
                    "F ER002 K",
                    {"mem:step", "mem:append:255", "mem:finish", "mem:decode"},
                    {},
                    nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PollEngine, SecondOneShotBeforeTheFirstIsTakenReplacesIt) {
    EngineRig rig;
    rig.start();
    rig.engine.beginPanelInfo(rig.host.panelInfo);
    rig.engine.requestReset();
    EXPECT_EQ(rig.runToStatus(), "G K");
}

TEST(PollEngine, SettingsWriteFailingAtTheFirstByteIsReported) {
    EngineRig rig;
    rig.start();
    rig.engine.endRecordingSettings(true, 5, 0x10);
    rig.exchange(); // K answered, EW000 goes out
    ASSERT_EQ(rig.host.sent.back(), "EW00005");
    rig.panel.nextReplyOverride = "xEX\r\n";
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_FALSE(rig.engine.settingsSaved());
    rig.engine.onConfirmationTimer(ConfirmationTimer::SettingsWrite);
    EXPECT_EQ(rig.host.messages, std::vector<std::string>{"Błąd przy próbie zapisu ustawień."});
}

TEST(PollEngine, AfterADownloadNoWriteFollows) {
    EngineRig rig;
    rig.start();
    rig.engine.endRecordingSettings(true, 5, 0x10);
    rig.engine.requestReset(); // the write is never taken: writeIndex stays 0
    rig.runToStatus();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    EXPECT_EQ(rig.runToStatus(), "F ER002 K");
}

// ---------------------------------------------------------------------------
// Memory download: firmware check, errors, stop, bounds.

struct FirmwareCase {
    int versionByte;
    bool proceeds;
};

class Firmware : public ::testing::TestWithParam<FirmwareCase> {};

TEST_P(Firmware, OnlyVersion201AndNewerIsDownloaded) {
    EngineRig rig;
    rig.panel.versionByte = GetParam().versionByte;
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    const std::string seq = rig.runToStatus();
    if (GetParam().proceeds) {
        EXPECT_EQ(seq, "F ER002 K");
        EXPECT_TRUE(rig.host.messages.empty());
    } else {
        EXPECT_EQ(seq, "F K");
        EXPECT_EQ(rig.host.messages, std::vector<std::string>{kOldFirmware});
        EXPECT_EQ(rig.host.memory.aborts, 1);
        // The message comes only after the step's request has gone out.
        EXPECT_LT(rig.host.indexOf("send:K"), rig.host.indexOf("message:" + kOldFirmware));
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, Firmware,
                         ::testing::Values(FirmwareCase{200, false}, FirmwareCase{201, true},
                                           FirmwareCase{0, false}, FirmwareCase{255, true}));

TEST(MemoryDownload, InvalidReplyAbortsWithMessageAfterTheNextRequest) {
    EngineRig rig;
    rig.panel.memory[2] = 0xF0;
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    EXPECT_EQ(rig.run(3), "F ER002 ER003");
    rig.panel.nextReplyOverride = "xES\r\n";
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_EQ(rig.host.messages, std::vector<std::string>{kReadError});
    EXPECT_EQ(rig.host.memory.aborts, 1);
    EXPECT_EQ(rig.host.statusUpdates.back(), true);
    EXPECT_LT(rig.host.indexOf("send:K"), rig.host.indexOf("message:" + kReadError));
}

TEST(MemoryDownload, StopRequestAbortsAfterTheNextByte) {
    EngineRig rig;
    for (int a = 2; a < 20; ++a) {
        rig.panel.memory[static_cast<std::size_t>(a)] = 0x11;
    }
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    EXPECT_EQ(rig.run(3), "F ER002 ER003");
    rig.host.requestMemoryStop();
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_EQ(rig.host.memory.aborts, 1);
    EXPECT_EQ(rig.host.memoryBytes().size(), 2u);
    EXPECT_TRUE(rig.host.messages.empty());
}

TEST(MemoryDownload, ClosedDialogEndsTheDownloadWithoutFurtherHooks) {
    EngineRig rig;
    for (int a = 2; a < 20; ++a) {
        rig.panel.memory[static_cast<std::size_t>(a)] = 0x11;
    }
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    rig.run(3);
    rig.host.setMemoryOpen(false); // the watchdog closed it
    const auto hooksBefore = hooksOf(rig.host).size();
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_EQ(hooksOf(rig.host).size(), hooksBefore);

    // A rejected reply from a dialog that has gone brings no message either.
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    rig.run(2);
    rig.host.setMemoryOpen(false);
    rig.panel.nextReplyOverride = "x\r\n";
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_EQ(rig.host.memory.aborts, 0);
}

TEST(MemoryDownload, NeverReadsPastTheLastAddress) {
    EngineRig rig;
    for (std::size_t a = 2; a < rig.panel.memory.size(); ++a) {
        rig.panel.memory[a] = 0x22; // no end marker anywhere
    }
    rig.panel.memory[2] = 0xF0;
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    rig.runToStatus(10000);
    ASSERT_GE(rig.host.sent.size(), 3u);
    EXPECT_EQ(rig.host.sent[rig.host.sent.size() - 2], "ER???");
    EXPECT_EQ(rig.host.sent.back(), "K");
    EXPECT_EQ(std::count(rig.host.sent.begin(), rig.host.sent.end(), "ER000"), 0);
    EXPECT_EQ(std::count(rig.host.sent.begin(), rig.host.sent.end(), "ER001"), 0);
    EXPECT_EQ(rig.host.memoryBytes().size(), 4094u);
    EXPECT_EQ(rig.host.memory.finishes, 1);
    EXPECT_EQ(rig.host.memory.decodes, 1);
    EXPECT_EQ(rig.engine.memoryAddress(), PollEngine::kLastMemoryAddress);
}

TEST(MemoryDownload, MalformedDigitsWhoseStoredByteIsFFEndTheDownload) {
    EngineRig rig;
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    rig.run(2); // K and F answered, ER002 out
    // 'O' - 0x30 = 31: 31 * 16 + 15 = 511, stored as 0xFF.
    rig.panel.nextReplyOverride = "xERO?\r\n";
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_EQ(rig.host.memoryBytes(), std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(rig.host.memory.decodes, 1);
}

TEST(MemoryDownload, FourthTimeOutAbortsWithoutMessage) {
    EngineRig rig;
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    rig.panel.memory[2] = 0xF0;
    rig.run(3);
    ASSERT_EQ(rig.host.sent.back(), "ER003");
    for (int i = 0; i < 4; ++i) {
        rig.engine.onTick();
    }
    EXPECT_EQ(rig.host.memory.aborts, 1);
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_EQ(rig.host.sent.back(), "K");
    EXPECT_EQ(rig.host.statusUpdates.back(), false);
}

// ---------------------------------------------------------------------------
// Every stored byte answers the address it is stored for: downloads that start
// while another request is out, and operations that break into a download.

constexpr std::array<int, 8> kContent{0xF0, 0x30, 0x14, 0x07, 0x03, 0x0A, 0x00, 0xFF};

void loadContent(EngineRig& rig) {
    for (std::size_t i = 0; i < kContent.size(); ++i) {
        rig.panel.memory[2 + i] = kContent[i];
    }
}

// The stored bytes are the memory from address 2 on, none skipped, shifted or twice.
::testing::AssertionResult storedInOrder(const FakePollHost& host) {
    const auto& bytes = host.memoryBytes();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i >= kContent.size() || bytes[i] != kContent[i]) {
            return ::testing::AssertionFailure()
                   << "byte " << i << " is " << int(bytes[i]) << " of " << bytes.size();
        }
    }
    return ::testing::AssertionSuccess();
}

struct EarlierRequestCase {
    const char* name;
    std::function<void(EngineRig&)> arrange; // leaves a request out
};

void PrintTo(const EarlierRequestCase& c, std::ostream* os) {
    *os << c.name;
}

// A download whose watchdog closed the dialog while ER00<address> was out.
std::function<void(EngineRig&)> earlierDownloadAt(int address) {
    return [address](EngineRig& r) {
        r.engine.beginMemoryRead();
        r.host.setMemoryOpen(true);
        r.run(address);
        ASSERT_EQ(r.host.sent.back(), "ER00" + std::to_string(address));
        r.host.setMemoryOpen(false);
    };
}

class DownloadStart : public ::testing::TestWithParam<EarlierRequestCase> {};

TEST_P(DownloadStart, NeverStoresTheReplyToAnEarlierRequest) {
    EngineRig rig;
    loadContent(rig);
    rig.start();
    GetParam().arrange(rig);
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    EXPECT_EQ(rig.runToStatus(), "F ER002 ER003 ER004 ER005 ER006 ER007 ER008 ER009 K");
    EXPECT_TRUE(storedInOrder(rig.host));
    EXPECT_EQ(rig.host.memoryBytes().size(), kContent.size());
    EXPECT_EQ(rig.host.memory.decodes, 1);
    EXPECT_TRUE(rig.host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    InFlight, DownloadStart,
    ::testing::Values(EarlierRequestCase{"RecordingSettingsRead",
                                         [](EngineRig& r) {
                                             r.engine.beginRecordingSettings(r.host.panelSettings);
                                             r.exchange();
                                             ASSERT_EQ(r.host.sent.back(), "ER001");
                                         }},
                      EarlierRequestCase{"EarlierDownloadAtAddress4", earlierDownloadAt(4)},
                      EarlierRequestCase{"EarlierDownloadAtAddress2", earlierDownloadAt(2)}),
    [](const auto& info) { return std::string(info.param.name); });

struct InterruptCase {
    const char* name;
    std::function<void(EngineRig&)> interrupt; // once the download is asked for
    const char* requests;                      // until the cycle is back at "K"
    bool message;                              // the read error is reported
};

void PrintTo(const InterruptCase& c, std::ostream* os) {
    *os << c.name;
}

// `interrupt` while ER004 is out.
std::function<void(EngineRig&)> atAddress4(std::function<void(EngineRig&)> interrupt) {
    return [interrupt](EngineRig& r) {
        r.run(4);
        ASSERT_EQ(r.host.sent.back(), "ER004");
        interrupt(r);
    };
}

class InterruptedDownload : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(InterruptedDownload, EndsWithTheReadErrorNeverWithACutList) {
    const InterruptCase& c = GetParam();
    EngineRig rig;
    loadContent(rig);
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    c.interrupt(rig);
    EXPECT_EQ(rig.runToStatus(), c.requests);
    EXPECT_TRUE(storedInOrder(rig.host));
    EXPECT_EQ(rig.host.memory.aborts, 1);
    EXPECT_EQ(rig.host.memory.decodes, 0);
    if (c.message) {
        ASSERT_EQ(rig.host.messages, std::vector<std::string>{kReadError});
        // Reported once the step that broke in has sent its own request.
        const int message = rig.host.indexOf("message:" + kReadError);
        EXPECT_EQ(rig.host.log[static_cast<std::size_t>(message) - 1].rfind("send:", 0), 0u);
        EXPECT_LT(rig.host.indexOf("mem:abort"), message);
    } else {
        EXPECT_TRUE(rig.host.messages.empty());
    }
    // The engine is back in its regular cycle and no later reply is stored.
    const auto stored = rig.host.memoryBytes().size();
    rig.run(6);
    EXPECT_EQ(rig.host.memoryBytes().size(), stored);
}

INSTANTIATE_TEST_SUITE_P(
    OneShots, InterruptedDownload,
    ::testing::Values(InterruptCase{"ResetFromATakAnswer",
                                    atAddress4([](EngineRig& r) { r.engine.requestReset(); }),
                                    "G K", true},
                      // The pending slot holds the reset before the version request went out.
                      InterruptCase{"ResetBeforeTheDownloadBegan",
                                    [](EngineRig& r) { r.engine.requestReset(); }, "G K", true},
                      InterruptCase{"RecordingSettingsRead", atAddress4([](EngineRig& r) {
                                        r.engine.beginRecordingSettings(r.host.panelSettings);
                                    }),
                                    "ER001 Q K", true},
                      InterruptCase{"PanelInfoClosedBeforeTheVersionCame",
                                    atAddress4([](EngineRig& r) {
                                        r.engine.beginPanelInfo(r.host.panelInfo);
                                        r.exchange(); // ER004 answered, F out
                                        r.engine.endPanelInfo();
                                    }),
                                    "K", true},
                      InterruptCase{"EraseAnsweredYes", atAddress4([](EngineRig& r) {
                                        r.engine.requestErase();
                                        r.host.questions.at(0).answer(true);
                                    }),
                                    "ES K", true},
                      InterruptCase{"ResetAfterTheUserAskedToStop", atAddress4([](EngineRig& r) {
                                        r.host.requestMemoryStop();
                                        r.engine.requestReset();
                                    }),
                                    "G K", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemoryDownload, ARetryRepeatsTheReadThatIsOutThoughTheAddressWasReused) {
    EngineRig rig;
    loadContent(rig);
    rig.start();
    rig.engine.beginMemoryRead();
    rig.host.setMemoryOpen(true);
    rig.run(4); // ER004 out
    rig.engine.beginRecordingSettings(rig.host.panelSettings);
    rig.engine.onTick();
    ASSERT_EQ(rig.host.sent.back(), "ER004");
    rig.exchange(); // its byte is stored, then the settings read breaks in
    EXPECT_TRUE(storedInOrder(rig.host));
    EXPECT_EQ(rig.host.memoryBytes().size(), 3u);
    EXPECT_EQ(rig.host.memory.aborts, 1);
    EXPECT_EQ(rig.host.messages, std::vector<std::string>{kReadError});
    // The settings read then runs as it would have on its own.
    EXPECT_EQ(rig.host.sent.back(), "ER001");
    EXPECT_EQ(rig.runToStatus(), "Q K");
    EXPECT_EQ(rig.host.count("hook:panelSettings"), 1);
}

TEST(PollEngine, ARetryRepeatsTheRequestThatIsOut) {
    EngineRig rig;
    rig.start();
    rig.engine.endClockRead(true, {});
    rig.exchange(); // K answered: B000000 out
    ASSERT_EQ(rig.host.sent.back(), "B000000");
    DateTimeRecord later;
    later.hour = 12;
    rig.engine.endClockRead(true, later); // a second "OK" before the first is answered
    rig.engine.onTick();
    EXPECT_EQ(rig.host.sent.back(), "B000000");
    EXPECT_EQ(rig.runToStatus(), "B120000 C0000 K");
}

TEST(PollEngine, LateVersionReplyAfterTheInfoDialogClosedStartsNoDownload) {
    EngineRig rig;
    rig.panel.versionByte = 150;
    rig.start();
    rig.engine.beginPanelInfo(rig.host.panelInfo);
    rig.run(1); // F out
    rig.engine.endPanelInfo();
    EXPECT_EQ(rig.run(1), "K");
    EXPECT_TRUE(rig.host.messages.empty());
    EXPECT_EQ(rig.host.memory.aborts, 0);
}

// ---------------------------------------------------------------------------
// Time-outs and the link state.

TEST(PollEngine, SilentPanelReportsLinkDownEveryFourthTick) {
    EngineRig rig;
    rig.start();
    std::vector<int> downAt;
    for (int tick = 1; tick <= 12; ++tick) {
        const auto before = rig.host.statusUpdates.size();
        rig.engine.onTick();
        if (rig.host.statusUpdates.size() != before) {
            EXPECT_FALSE(rig.host.statusUpdates.back());
            downAt.push_back(tick);
        }
        EXPECT_EQ(rig.host.sent.back(), "K");
    }
    EXPECT_EQ(downAt, (std::vector<int>{4, 8, 12}));
    EXPECT_EQ(rig.host.sent.size(), 13u);
    EXPECT_EQ(rig.host.timerRestarts, 13);
    EXPECT_FALSE(rig.engine.linkUp());
}

struct TimeoutCase {
    const char* name;
    const char* reply; // fed after three ticks
};

void PrintTo(const TimeoutCase& c, std::ostream* os) {
    *os << c.name;
}

class TimeOuts : public ::testing::TestWithParam<TimeoutCase> {};

// The "J" acknowledgement and every other rejected reply lead back to the
// status poll without resetting the count: one more tick reports the link down.
TEST_P(TimeOuts, InvalidRepliesDoNotResetTheCount) {
    EngineRig rig;
    rig.start();
    rig.engine.beginPowerSaving(rig.host.powerSaving);
    rig.runToStatus();
    rig.engine.endPowerSaving(true, 1);
    rig.exchange(); // K answered: J is in flight
    ASSERT_EQ(rig.host.sent.back(), "J01");
    for (int i = 0; i < 3; ++i) {
        rig.engine.onTick();
    }
    EXPECT_EQ(std::count(rig.host.statusUpdates.begin(), rig.host.statusUpdates.end(), false), 0);
    rig.feed(GetParam().reply);
    EXPECT_EQ(rig.engine.missedTicks(), 3);
    EXPECT_EQ(rig.host.sent.back(), "K");
    EXPECT_TRUE(rig.host.statusUpdates.back());
    rig.engine.onTick();
    EXPECT_FALSE(rig.host.statusUpdates.back());
    EXPECT_FALSE(rig.engine.linkUp());
    EXPECT_EQ(rig.engine.missedTicks(), 0);
}

INSTANTIATE_TEST_SUITE_P(Replies, TimeOuts,
                         ::testing::Values(TimeoutCase{"JAcknowledgement", "xJ\r\n"},
                                           TimeoutCase{"JTooLong", "xJ0\r\n"},
                                           TimeoutCase{"LoneCrLf", "\r\n"},
                                           TimeoutCase{"WrongLetter", "xA090\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PollEngine, ThreeTimeOutsThenAValidReplyKeepTheLinkUp) {
    EngineRig rig;
    rig.start();
    for (int i = 0; i < 3; ++i) {
        rig.engine.onTick();
    }
    rig.exchange();
    EXPECT_EQ(rig.engine.missedTicks(), 0);
    for (int i = 0; i < 3; ++i) {
        rig.engine.onTick();
    }
    EXPECT_EQ(std::count(rig.host.statusUpdates.begin(), rig.host.statusUpdates.end(), false), 0);
}

TEST(PollEngine, FourthTimeOutTakesThePendingOneShot) {
    EngineRig rig;
    rig.start();
    rig.engine.requestReset();
    for (int i = 0; i < 4; ++i) {
        rig.engine.onTick();
    }
    EXPECT_EQ(rig.host.sent.back(), "G");
    EXPECT_EQ(rig.engine.pendingState(), NO_STATE);
}

// ---------------------------------------------------------------------------
// Line assembly.

TEST(LineAssembly, LoneCrLfIsAnInvalidReplyThatStillMeansALiveLink) {
    EngineRig rig;
    rig.start();
    rig.run(2); // A V ... in flight is V
    rig.feed("\r\n");
    EXPECT_EQ(rig.host.sent.back(), "K");
    EXPECT_TRUE(rig.engine.linkUp());
    EXPECT_EQ(rig.data.lastLineLength, 2);
}

TEST(LineAssembly, EightyNineByteLineIsHandled) {
    EngineRig rig;
    rig.start();
    rig.feed(std::string(87, 'z') + "\r\n");
    EXPECT_EQ(rig.data.lastLineLength, 89);
    EXPECT_EQ(rig.host.sent.size(), 2u);
    EXPECT_EQ(rig.engine.linePos(), 0);
}

TEST(LineAssembly, NinetiethByteIsDroppedWithTheLine) {
    EngineRig rig;
    rig.start();
    // 88 bytes, then CR as the 89th and LF as the 90th: the LF goes with the line.
    rig.feed(std::string(88, 'z') + "\r");
    EXPECT_EQ(rig.engine.linePos(), 89);
    rig.feed("\n");
    EXPECT_EQ(rig.engine.linePos(), 0);
    EXPECT_EQ(rig.host.sent.size(), 1u);
    EXPECT_EQ(rig.data.lastLineLength, 0);
    // The 91st byte starts a new line: a status reply is accepted.
    rig.feed("xK00000005\r\n");
    EXPECT_EQ(rig.data.lastLineLength, 12);
    EXPECT_EQ(rig.host.sent.back(), "A");
}

TEST(LineAssembly, RepliesSplitAnywhereAssembleTheSameLine) {
    EngineRig rig;
    rig.start();
    rig.feed("xK000");
    EXPECT_EQ(rig.host.sent.size(), 1u);
    rig.feed("00005\r");
    EXPECT_EQ(rig.host.sent.size(), 1u);
    rig.feed("\n");
    EXPECT_EQ(rig.host.sent.back(), "A");
}

// ---------------------------------------------------------------------------
// Confirmation verdicts.

struct VerdictCase {
    const char* name;
    ConfirmationTimer timer;
    std::function<void(EngineRig&)> arrange; // sets or leaves the flag
    const char* question;                    // nullptr: no question
    const char* message;                     // nullptr: no message
};

void PrintTo(const VerdictCase& c, std::ostream* os) {
    *os << c.name;
}

class Verdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(Verdict, ReportsTheOutcomeWithTheExactText) {
    const VerdictCase& c = GetParam();
    EngineRig rig;
    rig.start();
    c.arrange(rig);
    rig.host.messages.clear();
    rig.host.questions.clear();
    rig.engine.onConfirmationTimer(c.timer);
    if (c.message) {
        EXPECT_EQ(rig.host.messages, std::vector<std::string>{c.message});
    } else {
        EXPECT_TRUE(rig.host.messages.empty());
    }
    if (!c.question) {
        EXPECT_TRUE(rig.host.questions.empty());
        return;
    }
    ASSERT_EQ(rig.host.questions.size(), 1u);
    EXPECT_EQ(rig.host.questions[0].text, c.question);
    // No: nothing follows. Yes: the Reset operation starts.
    rig.host.questions[0].answer(false);
    EXPECT_EQ(rig.engine.pendingState(), NO_STATE);
    rig.data.resetAck = 1;
    const auto timers = rig.host.confirmationTimers.size();
    rig.host.questions[0].answer(true);
    EXPECT_EQ(rig.engine.pendingState(), RESET_PANEL);
    EXPECT_EQ(rig.data.resetAck, 0);
    ASSERT_EQ(rig.host.confirmationTimers.size(), timers + 1);
    EXPECT_EQ(rig.host.confirmationTimers.back(), ConfirmationTimer::Reset);
    EXPECT_EQ(rig.runToStatus(), "G K");
}

void noAck(EngineRig&) {}

INSTANTIATE_TEST_SUITE_P(
    Timers, Verdict,
    ::testing::Values(
        VerdictCase{"ClockSetAcked", ConfirmationTimer::ClockSet,
                    [](EngineRig& r) { r.data.dateSetAck = 1; },
                    "Zegar został ustawiony.\nRejestracja do pamięci została wstrzymana do "
                    "momentu resetu panelu.\nChcesz zresetować panel teraz?",
                    nullptr},
        VerdictCase{"ClockSetFailed", ConfirmationTimer::ClockSet, noAck, nullptr,
                    "Błąd przy próbie ustawienia zegara"},
        VerdictCase{"ResetAcked", ConfirmationTimer::Reset,
                    [](EngineRig& r) { r.data.resetAck = 1; }, nullptr, "Panel został zresetowany"},
        VerdictCase{"ResetFailed", ConfirmationTimer::Reset, noAck, nullptr,
                    "Błąd przy próbie resetu panelu"},
        VerdictCase{"EraseAcked", ConfirmationTimer::Erase,
                    [](EngineRig& r) { r.data.eraseAck = 1; },
                    "Zawartość pamięci została usunięta.\nRejestracja została wstrzymana do "
                    "chwili resetu panelu.\nChcesz zresetować panel teraz?",
                    nullptr},
        VerdictCase{"EraseFailed", ConfirmationTimer::Erase, noAck, nullptr,
                    "Błąd przy próbie usunięcia zawartości pamięci"},
        VerdictCase{"SettingsSaved", ConfirmationTimer::SettingsWrite,
                    [](EngineRig& r) {
                        r.engine.endRecordingSettings(true, 1, 2);
                        r.runToStatus();
                    },
                    "Ustawienia zostały zapisane.\nZmiany będą zastosowane po resecie "
                    "panelu.\nChcesz zresetować panel teraz?",
                    nullptr},
        VerdictCase{"SettingsFailed", ConfirmationTimer::SettingsWrite, noAck, nullptr,
                    "Błąd przy próbie zapisu ustawień."},
        VerdictCase{"PowerSavingAcked", ConfirmationTimer::PowerSavingWrite,
                    [](EngineRig& r) { r.data.powerSavingAck = 1; }, nullptr, nullptr},
        VerdictCase{"PowerSavingFailed", ConfirmationTimer::PowerSavingWrite, noAck, nullptr,
                    "Błąd przy próbie zapisu ustawień."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PollEngine, EraseAnsweredNoSendsNothing) {
    EngineRig rig;
    rig.start();
    rig.engine.requestErase();
    ASSERT_EQ(rig.host.questions.size(), 1u);
    rig.host.questions[0].answer(false);
    EXPECT_EQ(rig.engine.pendingState(), NO_STATE);
    EXPECT_TRUE(rig.host.confirmationTimers.empty());
    EXPECT_EQ(rig.runToStatus(), "A V H P T K");
}

TEST(PollEngine, OneShotFlagsAreClearedBeforeTheRequest) {
    EngineRig rig;
    rig.data.clockValid = rig.data.memoryByteValid = rig.data.dateSetAck = 1;
    rig.data.powerSavingAck = rig.data.resetAck = 1;
    rig.engine.beginClockRead(rig.host.panelClock);
    EXPECT_EQ(rig.data.clockValid, 0);
    rig.engine.beginMemoryRead();
    EXPECT_EQ(rig.data.memoryByteValid, 0);
    EXPECT_EQ(rig.engine.memoryAddress(), 2);
    rig.data.memoryByteValid = 1;
    rig.engine.beginRecordingSettings(rig.host.panelSettings);
    EXPECT_EQ(rig.data.memoryByteValid, 0);
    EXPECT_EQ(rig.engine.memoryAddress(), 1);
    EXPECT_TRUE(rig.engine.recordingDialogOpen());
    rig.engine.endClockRead(true, {});
    EXPECT_EQ(rig.data.dateSetAck, 0);
    rig.engine.endPowerSaving(true, 3);
    EXPECT_EQ(rig.data.powerSavingAck, 0);
    EXPECT_EQ(rig.engine.powerSavingValue(), 3);
    rig.engine.requestReset();
    EXPECT_EQ(rig.data.resetAck, 0);
    // Cancelled dialogs change nothing but their open flags.
    rig.engine.beginPowerSaving(rig.host.powerSaving);
    rig.engine.endPowerSaving(false, 9);
    rig.engine.endRecordingSettings(false, 9, 9);
    rig.engine.endClockRead(false, {});
    EXPECT_EQ(rig.engine.pendingState(), READ_POWER_SAVING);
    EXPECT_FALSE(rig.engine.powerSavingDialogOpen());
    EXPECT_FALSE(rig.engine.recordingDialogOpen());
    EXPECT_EQ(rig.engine.powerSavingValue(), 3);
}

// A host that re-enters the engine from inside showMessage, as a modal
// message box's nested event loop would: the outer step has already sent.
class ReentrantHost : public FakePollHost {
public:
    PollEngine* engine = nullptr;
    std::size_t sentWhenShown = 0;
    void showMessage(const std::string& text) override {
        FakePollHost::showMessage(text);
        sentWhenShown = sent.size();
        for (const char c : std::string("xK00000005\r\n")) {
            engine->onByte(static_cast<std::uint8_t>(c));
        }
    }
};

TEST(PollEngine, MessageBoxLoopCannotInterruptAStep) {
    PanelData data;
    ReentrantHost host;
    PollEngine engine(data, host);
    host.engine = &engine;
    host.attach(engine.memoryDownload());
    engine.start();
    engine.beginMemoryRead();
    host.setMemoryOpen(true);
    for (const char c : std::string("xK00000005\r\nxF<8\r\n")) {
        engine.onByte(static_cast<std::uint8_t>(c));
    }
    ASSERT_EQ(host.messages, std::vector<std::string>{kOldFirmware});
    EXPECT_EQ(host.sentWhenShown, 3u); // K, F, and the K of the refusing step
    EXPECT_EQ(host.sent, (std::vector<std::string>{"K", "F", "K", "A"}));
}

} // namespace
