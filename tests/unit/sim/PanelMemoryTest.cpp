// The panel's record memory read over the wire (ER from address 2 to the 0xFF) and decoded
// here from the memory-format description, then compared with what the panel meant to store.

#include "ControlCommands.h"
#include "PanelModel.h"

#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <vector>

using namespace tq820sim;

namespace {

constexpr std::int64_t minute = 60'000;

PanelOptions fixedOptions() {
    PanelOptions o;
    o.clock = {2026, 3, 7, 14, 30, 0};
    o.seed = 3;
    return o;
}

std::string ask(PanelModel& panel, const std::string& request) {
    return panel.receiveAll(request + "\r\n");
}

void control(PanelModel& panel, const std::string& line) {
    const auto answer = applyControl(panel, line);
    ASSERT_TRUE(answer && answer->rfind("ok", 0) == 0) << line;
}

std::string address(int a) {
    return {char(0x30 + (a >> 8) % 16), char(0x30 + (a >> 4) % 16), char(0x30 + a % 16)};
}

int readByte(PanelModel& panel, int a) {
    const std::string reply = ask(panel, "ER" + address(a));
    EXPECT_EQ(reply.size(), 7u);
    EXPECT_EQ(reply.substr(1, 2), "ER");
    return (reply[3] - 0x30) * 16 + (reply[4] - 0x30);
}

// The memory from address 2 through the end marker, as the program downloads it.
std::vector<int> download(PanelModel& panel) {
    std::vector<int> bytes;
    for (int a = 2; a < 4096; ++a) {
        bytes.push_back(readByte(panel, a));
        if (bytes.back() == 0xFF)
            break;
    }
    return bytes;
}

struct Decoded {
    int month = 0, day = 0, hour = 0, minute = 0;
    int layout = 0;
    std::optional<int> temperature, humidity, pressure, speed, direction;
};

struct Block {
    int layout;
    int interval;
    int records;
};

struct Walk {
    std::vector<Decoded> records;
    std::vector<Block> blocks;
    bool wellFormed = true;
    std::string problem;
};

int bcd(int b, Walk& w) {
    if ((b >> 4) > 9 || (b & 15) > 9) {
        w.wellFormed = false;
        w.problem = "bad BCD";
    }
    return (b >> 4) * 10 + (b & 15);
}

int bit(int k, int n) {
    return (k >> n) & 1;
}

// Parts of each layout, in order: 'A' = THP, 'B' = TH, 'P' = P, 'W' = W.
const char* const layoutParts[7] = {"A", "AW", "W", "P", "PW", "B", "BW"};
const int layoutSizes[7] = {5, 8, 3, 2, 5, 3, 6};

Walk decode(const std::vector<int>& b) {
    Walk w;
    const auto fail = [&](const std::string& why) {
        w.wellFormed = false;
        if (w.problem.empty())
            w.problem = why;
    };
    if (b.empty() || b.back() != 0xFF) {
        fail("no end marker");
        return w;
    }
    const std::size_t end = b.size() - 1;
    for (std::size_t i = 0; i < end; ++i)
        if (b[i] == 0xFF)
            fail("0xFF before the end");
    if (end == 0)
        return w;
    if (b[0] != 0xF0) {
        fail("memory does not start with a block");
        return w;
    }
    std::size_t p = 0;
    while (p < end) {
        if (b[p] != 0xF0 || p + 6 > end) {
            fail("block header expected at " + std::to_string(p));
            return w;
        }
        int min = bcd(b[p + 1], w), hour = bcd(b[p + 2], w), day = bcd(b[p + 3], w);
        int month = b[p + 4] & 15;
        const int layout = b[p + 4] >> 4;
        const int interval = b[p + 5];
        if (min > 59 || hour > 23 || day < 1 || day > 31 || month < 1 || month > 12 || layout > 6 ||
            interval < 1 || interval > 239)
            fail("header out of range at " + std::to_string(p));
        if (layout > 6)
            return w;
        w.blocks.push_back({layout, interval, 0});
        p += 6;
        while (p < end && b[p] != 0xF0) {
            static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            min += interval;
            if (min >= 60) {
                hour += min / 60;
                min %= 60;
            }
            if (hour >= 24) {
                day += hour / 24;
                hour %= 24;
            }
            if (day > monthDays[month - 1]) {
                day = 1;
                month = month % 12 + 1;
            }
            if (p + std::size_t(layoutSizes[layout]) > end) {
                fail("record cut short by the end marker");
                return w;
            }
            Decoded r;
            r.month = month;
            r.day = day;
            r.hour = hour;
            r.minute = min;
            r.layout = layout;
            for (const char* part = layoutParts[layout]; *part; ++part) {
                if (*part == 'A' || *part == 'B') {
                    const int k = b[p], t = b[p + 1], h = b[p + 2];
                    r.temperature = t + 128 * bit(k, 3) + 256 * bit(k, 0) + 512 * bit(k, 1) +
                                    1024 * bit(k, 2) - 410;
                    r.humidity = h + 128 * bit(k, 6) + 256 * bit(k, 4) + 512 * bit(k, 5);
                    p += 3;
                }
                if (*part == 'A' || *part == 'P') {
                    const int p1 = b[p], p0 = b[p + 1];
                    r.pressure = 256 * (p1 & 0x7F) + (p1 & 0x80) + p0;
                    p += 2;
                }
                if (*part == 'W') {
                    const int k = b[p], s = b[p + 1], d = b[p + 2];
                    r.speed =
                        s + 128 * bit(k, 3) + 256 * bit(k, 0) + 512 * bit(k, 1) + 1024 * bit(k, 2);
                    r.direction = d + 128 * bit(k, 6) + 256 * bit(k, 4) + 512 * bit(k, 5);
                    p += 3;
                }
            }
            w.records.push_back(r);
            ++w.blocks.back().records;
        }
    }
    if (p != end)
        fail("walk overran the end marker");
    return w;
}

// The decoded memory must hold exactly the records the panel meant to store.
void expectMatches(const Walk& w, const std::vector<StoredRecord>& stored) {
    ASSERT_TRUE(w.wellFormed) << w.problem;
    ASSERT_EQ(w.records.size(), stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const Decoded& d = w.records[i];
        const StoredRecord& s = stored[i];
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(d.layout, s.layout);
        EXPECT_EQ(d.month, s.time.month);
        EXPECT_EQ(d.day, s.time.day);
        EXPECT_EQ(d.hour, s.time.hour);
        EXPECT_EQ(d.minute, s.time.minute);
        if (d.temperature) {
            EXPECT_EQ(*d.temperature, s.values.temperatureTenths);
            EXPECT_EQ(*d.humidity, s.values.humidityTenths);
        }
        if (d.pressure) {
            EXPECT_EQ(*d.pressure, s.values.pressureTenths);
        }
        if (d.speed) {
            EXPECT_EQ(*d.speed, s.values.speedTenths);
            EXPECT_EQ(*d.direction, s.values.directionDegrees);
        }
    }
}

bool isSpecialTemperature(int v) {
    return v >= -410 && v <= -406;
}
bool isSpecialTen(int v) {
    return v >= 1019 && v <= 1023;
}
bool isSpecialPressure(int v) {
    return v >= 32635 && v <= 32639;
}
bool isSpecialSpeed(int v) {
    return v >= 2043 && v <= 2047;
}

} // namespace

TEST(PanelMemory, HistoryIsWellFormedAndHoldsEveryLayout) {
    PanelModel panel(fixedOptions());
    const Walk w = decode(download(panel));
    expectMatches(w, panel.storedRecords());

    std::set<int> layouts;
    int emptyBlocks = 0;
    for (const Block& b : w.blocks) {
        layouts.insert(b.layout);
        emptyBlocks += b.records == 0;
    }
    EXPECT_EQ(layouts.size(), 7u);
    EXPECT_GE(emptyBlocks, 1) << "two headers in a row";
    std::set<int> intervals;
    for (const Block& b : w.blocks)
        intervals.insert(b.interval);
    EXPECT_GE(intervals.size(), 4u);

    // Each of the five special codes appears somewhere; every other value is plausible.
    std::set<int> specials;
    for (const Decoded& r : w.records) {
        if (r.temperature) {
            if (isSpecialTemperature(*r.temperature)) {
                specials.insert(*r.temperature + 410);
            } else {
                EXPECT_TRUE(*r.temperature > -400 && *r.temperature < 400);
            }
            if (isSpecialTen(*r.humidity)) {
                specials.insert(1023 - *r.humidity);
            } else {
                EXPECT_LE(*r.humidity, 1000);
            }
        }
        if (r.pressure) {
            if (isSpecialPressure(*r.pressure)) {
                specials.insert(32639 - *r.pressure);
            } else {
                EXPECT_TRUE(*r.pressure > 9000 && *r.pressure < 11000);
            }
        }
        if (r.speed) {
            if (isSpecialSpeed(*r.speed)) {
                specials.insert(2047 - *r.speed);
            } else {
                EXPECT_LE(*r.speed, 450);
            }
            if (!isSpecialTen(*r.direction)) {
                EXPECT_LT(*r.direction, 360);
            }
        }
    }
    EXPECT_EQ(specials, (std::set<int>{0, 1, 2, 3, 4}));

    // The stored settings are those of the running block.
    EXPECT_EQ(readByte(panel, 0), w.blocks.back().interval);
    EXPECT_EQ(readByte(panel, 1) >> 4, w.blocks.back().layout);
}

TEST(PanelMemory, RecordingAppendsARecordEveryInterval) {
    PanelModel panel(fixedOptions());
    const std::size_t before = panel.storedRecords().size();
    // The history's running block records every 10 minutes; its next record is 3 min away.
    panel.advanceTo(3 * minute - 1);
    EXPECT_EQ(panel.storedRecords().size(), before);
    panel.advanceTo(3 * minute);
    EXPECT_EQ(panel.storedRecords().size(), before + 1);
    panel.advanceTo(63 * minute);
    EXPECT_EQ(panel.storedRecords().size(), before + 7);
    const Walk w = decode(download(panel));
    expectMatches(w, panel.storedRecords());
    // The newest record is stamped 14:33 + 60 min.
    EXPECT_EQ(w.records.back().hour, 15);
    EXPECT_EQ(w.records.back().minute, 33);
}

TEST(PanelMemory, SpeedUpShortensTheInterval) {
    PanelOptions o = fixedOptions();
    o.memory = MemoryPreset::Empty;
    o.speedUp = 60;
    PanelModel panel(o);
    EXPECT_EQ(ask(panel, "EW0000:"), "#EW\r\n"); // every 10 minutes
    EXPECT_EQ(ask(panel, "EW00100"), "#EW\r\n"); // layout 0
    EXPECT_EQ(ask(panel, "G"), "#G\r\n");
    panel.advanceTo(100'000); // 100 s at 60x = 1000 min of recording
    const Walk w = decode(download(panel));
    expectMatches(w, panel.storedRecords());
    ASSERT_EQ(w.blocks.size(), 1u);
    EXPECT_EQ(w.blocks[0].records, 10);
    EXPECT_EQ(w.records.back().hour, 16);
    EXPECT_EQ(w.records.back().minute, 10);
}

TEST(PanelMemory, SlowestAndFastestSpeedUpsKeepTheRecordingPace) {
    struct Case {
        const char* factor;
        std::int64_t advanceMs;
        std::size_t records; // new records of the running 10-minute block
    };
    // The next record is 3 panel minutes away, then one every 10 minutes.
    for (const Case c :
         {Case{"0.001", 179'000'000, 0}, Case{"0.001", 181'000'000, 1}, Case{"1000000", 60, 100}}) {
        PanelModel panel(fixedOptions());
        const std::size_t before = panel.storedRecords().size();
        ASSERT_EQ(applyControl(panel, std::string("speedup ") + c.factor).value().rfind("ok", 0),
                  0u);
        panel.advanceTo(c.advanceMs);
        // (Whole milliseconds: at a million times a record may come a step early.)
        EXPECT_NEAR(double(panel.storedRecords().size() - before), double(c.records), 2.0)
            << c.factor;
        // A refused factor leaves the pace alone.
        EXPECT_EQ(applyControl(panel, "speedup 1e-300").value().rfind("error", 0), 0u);
        EXPECT_EQ(panel.speedUp(), std::stod(c.factor));
    }
}

TEST(PanelMemory, SettingsTakeEffectAtTheNextReset) {
    PanelModel panel(fixedOptions());
    ASSERT_EQ(ask(panel, "EW00005"), "#EW\r\n");
    ASSERT_EQ(ask(panel, "EW00150"), "#EW\r\n");
    EXPECT_EQ(ask(panel, "Q"), "#Q05\r\n");
    panel.advanceTo(13 * minute); // two more records of the old block
    Walk w = decode(download(panel));
    EXPECT_EQ(w.blocks.back().layout, 1);
    EXPECT_EQ(w.blocks.back().interval, 10);

    ASSERT_EQ(ask(panel, "G"), "#G\r\n");
    panel.advanceTo(18 * minute);
    w = decode(download(panel));
    expectMatches(w, panel.storedRecords());
    ASSERT_EQ(w.blocks.back().layout, 5);
    EXPECT_EQ(w.blocks.back().interval, 5);
    EXPECT_EQ(w.blocks.back().records, 1);
    EXPECT_EQ(w.records.back().hour, 14);
    EXPECT_EQ(w.records.back().minute, 48); // reset at 14:43, one interval later

    // Interval 0 or an unknown layout: the panel does not record.
    // "EW00000" sets interval 0; "EW00170" the configuration byte 0x70 (layout 7).
    for (const char* config : {"EW00000", "EW00170"}) {
        PanelModel p(fixedOptions());
        ASSERT_EQ(ask(p, "EW0000:"), "#EW\r\n");
        ASSERT_EQ(ask(p, config), "#EW\r\n");
        ASSERT_EQ(ask(p, "G"), "#G\r\n");
        const std::size_t count = p.storedRecords().size();
        p.advanceTo(600 * minute);
        EXPECT_EQ(p.storedRecords().size(), count) << config;
        expectMatches(decode(download(p)), p.storedRecords());
    }
}

TEST(PanelMemory, EraseEmptiesAndSuspendsUntilReset) {
    PanelModel panel(fixedOptions());
    ASSERT_EQ(ask(panel, "ES"), "#ES\r\n");
    EXPECT_EQ(download(panel), std::vector<int>{0xFF});
    panel.advanceTo(120 * minute);
    EXPECT_EQ(download(panel), std::vector<int>{0xFF});
    ASSERT_EQ(ask(panel, "G"), "#G\r\n");
    EXPECT_EQ(readByte(panel, 2), 0xF0);
    panel.advanceTo(130 * minute);
    const Walk w = decode(download(panel));
    expectMatches(w, panel.storedRecords());
    ASSERT_EQ(w.blocks.size(), 1u);
    EXPECT_EQ(w.blocks[0].records, 1);
}

TEST(PanelMemory, SettingTheClockSuspendsUntilResetAndStampsTheNewBlock) {
    for (const char* set : {"B080000", "C0105"}) {
        PanelModel panel(fixedOptions());
        ASSERT_EQ(ask(panel, set).substr(2), "\r\n");
        const std::size_t count = panel.storedRecords().size();
        panel.advanceTo(60 * minute);
        EXPECT_EQ(panel.storedRecords().size(), count) << set;
        ASSERT_EQ(ask(panel, "G"), "#G\r\n");
        panel.advanceTo(70 * minute);
        const Walk w = decode(download(panel));
        expectMatches(w, panel.storedRecords());
        const Decoded& last = w.records.back();
        if (std::string(set) == "B080000") {
            EXPECT_EQ(last.hour, 9);
            EXPECT_EQ(last.minute, 10);
            EXPECT_EQ(last.day, 7);
        } else {
            EXPECT_EQ(last.month, 5);
            EXPECT_EQ(last.day, 1);
            EXPECT_EQ(last.hour, 15);
            EXPECT_EQ(last.minute, 40);
        }
    }
}

struct LiveCase {
    const char* setup;
    int layout;
    int temperature, humidity, pressure, speed, direction; // 0 = an ordinary value
};

TEST(PanelMemory, LiveRecordsCarryTheSpecialCodesOfFaultsAndMissingSensors) {
    const LiveCase cases[] = {
        {"ch2 none", 1, 0, 0, 0, 2043, 1019},
        {"ch2 nomodel", 1, 0, 0, 0, 2043, 1019},
        {"ch1 tq231", 1, 0, 0, 32635, 0, 0},
        {"ch1 tq233", 1, -406, 1019, 0, 0, 0},
        {"ch1 none", 1, -406, 1019, 32635, 0, 0},
        {"fault temperature on", 1, -407, 0, 0, 0, 0},
        {"fault ch1meas on", 1, -407, 1020, 32636, 0, 0},
        {"fault ch1cal on", 1, -408, 1021, 32637, 0, 0},
        {"fault ch2cal on", 1, 0, 0, 0, 2045, 1021},
        {"fault speed on", 2, 0, 0, 0, 2044, 0},
        {"fault direction on", 4, 0, 0, 0, 0, 1020},
        {"fault pressure on", 3, 0, 0, 32636, 0, 0},
        {"fault humidity on", 5, 0, 1020, 0, 0, 0},
        {"fault ch2meas on", 6, 0, 0, 0, 2044, 1020},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        PanelModel panel(fixedOptions());
        control(panel, c.setup);
        control(panel, "settings 10 " + std::to_string(c.layout << 4));
        control(panel, "reset");
        panel.advanceTo(10 * minute);
        const Walk w = decode(download(panel));
        expectMatches(w, panel.storedRecords());
        const Decoded& r = w.records.back();
        ASSERT_EQ(r.layout, c.layout);
        const auto check = [](const std::optional<int>& v, int expected, bool (*special)(int)) {
            if (!v)
                return;
            if (expected) {
                EXPECT_EQ(*v, expected);
            } else {
                EXPECT_FALSE(special(*v)) << *v;
            }
        };
        check(r.temperature, c.temperature, isSpecialTemperature);
        check(r.humidity, c.humidity, isSpecialTen);
        check(r.pressure, c.pressure, isSpecialPressure);
        check(r.speed, c.speed, isSpecialSpeed);
        check(r.direction, c.direction, isSpecialTen);
    }
}

TEST(PanelMemory, MaximumWindIsNeverBelowTheInstantWind) {
    PanelModel plain(fixedOptions());
    PanelModel gusts(fixedOptions());
    for (auto [panel, config] : {std::pair{&plain, "0x20"}, std::pair{&gusts, "0x28"}}) {
        control(*panel, std::string("settings 15 ") + config);
        control(*panel, "reset");
        panel->advanceTo(24 * 60 * minute);
    }
    const Walk a = decode(download(plain));
    const Walk b = decode(download(gusts));
    expectMatches(b, gusts.storedRecords());
    ASSERT_EQ(a.records.size(), b.records.size());
    int higher = 0;
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        if (!a.records[i].speed || a.records[i].layout != 2)
            continue;
        EXPECT_GE(*b.records[i].speed, *a.records[i].speed);
        higher += *b.records[i].speed > *a.records[i].speed;
    }
    EXPECT_GT(higher, 48) << "gusts within 15 minutes beat the wind at the end of most of them";
}

TEST(PanelMemory, FullMemoryStopsRecordingAndRaisesTheFlag) {
    PanelOptions o = fixedOptions();
    o.speedUp = 1000;
    PanelModel panel(o);
    control(panel, "settings 1 0x10");
    control(panel, "reset");
    panel.advanceTo(24 * 60 * minute);
    const std::vector<int> bytes = download(panel);
    EXPECT_GT(bytes.size(), 4080u);
    EXPECT_LE(bytes.size(), 4094u);
    expectMatches(decode(bytes), panel.storedRecords());
    const std::string status = ask(panel, "K");
    EXPECT_EQ(status.substr(4, 2), "08") << status;
    ASSERT_EQ(ask(panel, "ES"), "#ES\r\n");
    EXPECT_EQ(ask(panel, "K").substr(4, 2), "00");
}

TEST(PanelMemory, EmptyPresetAndControlLines) {
    PanelOptions o = fixedOptions();
    o.memory = MemoryPreset::Empty;
    PanelModel panel(o);
    EXPECT_EQ(download(panel), std::vector<int>{0xFF});
    EXPECT_TRUE(panel.storedRecords().empty());
    control(panel, "memory history");
    expectMatches(decode(download(panel)), panel.storedRecords());
    EXPECT_GT(panel.storedRecords().size(), 100u);
    control(panel, "memory empty");
    EXPECT_EQ(download(panel), std::vector<int>{0xFF});
}
