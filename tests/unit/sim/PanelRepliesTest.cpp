// The panel model's answers, checked against the command set as the protocol describes it.
// The expectations are written out here byte by byte, not taken from the model's encoders.

#include "ControlCommands.h"
#include "PanelModel.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <regex>

using namespace tq820sim;

namespace {

PanelOptions fixedOptions() {
    PanelOptions o;
    o.clock = {2026, 3, 7, 14, 30, 0};
    o.seed = 7;
    return o;
}

std::string ask(PanelModel& panel, const std::string& request) {
    return panel.receiveAll(request + "\r\n");
}

void control(PanelModel& panel, const std::string& line) {
    const auto answer = applyControl(panel, line);
    ASSERT_TRUE(answer.has_value()) << line;
    ASSERT_EQ(answer->rfind("ok", 0), 0u) << line << " -> " << *answer;
}

int hexDigit(char c) {
    return c - 0x30;
}

// The four status bytes of a "K" reply (positions 2..9, offset-hex pairs).
std::array<int, 4> statusOf(const std::string& reply) {
    std::array<int, 4> s{};
    for (int i = 0; i < 4; ++i)
        s[std::size_t(i)] =
            hexDigit(reply[std::size_t(2 + 2 * i)]) * 16 + hexDigit(reply[std::size_t(3 + 2 * i)]);
    return s;
}

} // namespace

struct ReplyCase {
    const char* request;
    const char* pattern; // whole reply, leading byte included
};

TEST(PanelReplies, EveryRequestGetsTheReplyTheProtocolFixes) {
    const ReplyCase cases[] = {
        {"K", R"(^.K[0-?]{8}\r\n$)"},
        {"A", R"(^.A[0-3][0-9]{2}\r\n$)"},
        {"V", R"(^.V[0-9]{4}\r\n$)"},
        {"H", R"(^.H[0-9]{4}\r\n$)"},
        {"P", R"(^.P[0-9]{5}\r\n$)"},
        {"T", R"(^.T(-?)[0-9]{4}\r\n$)"},
        {"F", "^.F<9\r\n$"}, // 2.01 = 201 = 0xC9
        {"I", "^.I00\r\n$"},
        {"L", R"(^.L[0-?]{4}\r\n$)"},
        {"N", R"(^.N[0-?]{4}\r\n$)"},
        {"Q", "^.Q0:\r\n$"},       // the history records every 10 minutes
        {"O", "^.O30140763\r\n$"}, // 14:30 on 7 March, year digit 6
        {"ER000", "^.ER0:\r\n$"},
        {"ER001", "^.ER10\r\n$"},   // layout 1, no maximum wind
        {"ER002", "^.ER\\?0\r\n$"}, // 0xF0: a block starts
        {"ER???", R"(^.ER[0-?]{2}\r\n$)"},
        {"EW00005", "^.EW\r\n$"},
        {"B090530", "^.B\r\n$"},
        {"C0703", "^.C\r\n$"},
        {"C2512", "^.C\r\n$"},
        {"G", "^.G\r\n$"},
        {"ES", "^.ES\r\n$"},
        {"J01", "^.J\r\n$"},
        {"JFE", "^.J\r\n$"},
    };
    for (const auto& c : cases) {
        PanelModel panel(fixedOptions());
        const std::string reply = ask(panel, c.request);
        EXPECT_TRUE(std::regex_match(reply, std::regex(c.pattern))) << c.request << " -> " << reply;
        EXPECT_NE(reply[0], '\r') << c.request;
    }
}

TEST(PanelReplies, UnknownOrMalformedRequestsGetNoReply) {
    const char* requests[] = {
        "",      "X",     "k",      "KK",       "K ",      " K",      "ER00",    "ER0000",
        "ERA02", "ER0@2", "EW0014", "EW001AB",  "EX",      "ESS",     "J0",      "J:1",
        "Jfe",   "J0G",   "B24000", "B2400000", "B240000", "B236000", "B235960", "C3202",
        "C0013", "C0000", "C3104",  "O1",       "G1",      "F0",      "B0905a0", "C07",
    };
    for (const char* r : requests) {
        PanelModel panel(fixedOptions());
        EXPECT_EQ(ask(panel, r), "") << '"' << r << '"';
    }
}

struct StatusCase {
    const char* setup; // control lines, ';'-separated
    std::array<int, 4> expected;
};

TEST(PanelReplies, StatusBytesFollowSensorsAndFaults) {
    const StatusCase cases[] = {
        {"", {0x00, 0x00, 0x00, 0x05}},
        {"ch1 tq231", {0x00, 0x00, 0x00, 0x03}},
        {"ch1 tq233", {0x00, 0x00, 0x00, 0x81}},
        {"ch1 nomodel", {0x00, 0x00, 0x00, 0x01}},
        {"ch1 none", {0x08, 0x00, 0x00, 0x01}},
        {"ch2 none", {0x80, 0x00, 0x00, 0x04}},
        {"ch2 nomodel", {0x00, 0x00, 0x00, 0x04}},
        {"ch1 none;ch2 none", {0x88, 0x00, 0x00, 0x00}},
        {"ch1 none;ch2 none;fault battery on", {0x88, 0x00, 0x40, 0x00}},
        {"fault ch2meas on", {0x20, 0x00, 0x00, 0x05}},
        {"fault ch1meas on", {0x02, 0x00, 0x00, 0x05}},
        {"fault pressure on", {0x00, 0x80, 0x00, 0x05}},
        {"fault ch1cal on", {0x00, 0x40, 0x00, 0x05}},
        {"fault temperature on", {0x00, 0x20, 0x00, 0x05}},
        {"fault humidity on", {0x00, 0x10, 0x00, 0x05}},
        {"fault memfull on", {0x00, 0x08, 0x00, 0x05}},
        {"fault ch2cal on", {0x00, 0x04, 0x00, 0x05}},
        {"fault speed on", {0x00, 0x02, 0x00, 0x05}},
        {"fault direction on", {0x00, 0x01, 0x00, 0x05}},
        {"fault cpu on", {0x00, 0x00, 0x80, 0x05}},
        {"fault battery on", {0x00, 0x00, 0x40, 0x05}},
        {"fault eeproma on", {0x00, 0x00, 0x10, 0x05}},
        {"fault eepromb on", {0x00, 0x00, 0x08, 0x05}},
        {"fault eeprom on", {0x00, 0x00, 0x18, 0x05}},
        {"fault clock on", {0x00, 0x00, 0x04, 0x05}},
        {"fault all on", {0x22, 0xFF, 0xDC, 0x05}},
        {"fault all on;fault all off", {0x00, 0x00, 0x00, 0x05}},
        {"fault cpu on;fault cpu off", {0x00, 0x00, 0x00, 0x05}},
    };
    for (const auto& c : cases) {
        PanelModel panel(fixedOptions());
        std::string setup = c.setup;
        for (std::size_t pos = 0; !setup.empty();) {
            pos = setup.find(';');
            control(panel, setup.substr(0, pos));
            setup = pos == std::string::npos ? "" : setup.substr(pos + 1);
        }
        const std::string reply = ask(panel, "K");
        ASSERT_EQ(reply.size(), 12u) << c.setup;
        EXPECT_EQ(statusOf(reply), c.expected) << c.setup << " -> " << reply;
    }
}

struct ValueCase {
    const char* control;
    const char* request;
    const char* reply; // without leading byte and CR LF
};

TEST(PanelReplies, ValuesAreEncodedAsTheProtocolSays) {
    const ValueCase cases[] = {
        {"value temperature 23.5", "T", "T0235"},
        {"value temperature -5.3", "T", "T-0053"},
        {"value temperature -0.04", "T", "T0000"},
        {"value temperature -38.9", "T", "T-0389"},
        {"value pressure 1013.2", "P", "P10132"},
        {"value pressure 987.04", "P", "P09870"},
        {"value direction 270", "A", "A270"},
        {"value direction 5", "A", "A005"},
        {"value direction 359.7", "A", "A000"},
        {"value speed 12.3", "V", "V0123"},
        {"value speed 0", "V", "V0000"},
        {"value humidity 100", "H", "H1000"},
        {"value humidity 45.66", "H", "H0457"},
        {"serial2 431", "L", "L01:?"},
        {"serial1 65535", "N", "N????"},
        {"serial1 0", "N", "N0000"},
        {"firmware 2.00", "F", "F<8"},
        {"firmware 1.5", "F", "F96"},
        {"power 0xFE", "I", "I?>"},
        {"power 5", "I", "I05"},
        {"ch1 none", "N", "N0000"},
        {"ch2 none", "L", "L0000"},
        {"clock 2026-12-25 09:05:00", "O", "O0509256<"},
        {"clock 2029-10-01 00:00:59", "O", "O0000019:"},
    };
    for (const auto& c : cases) {
        PanelModel panel(fixedOptions());
        control(panel, c.control);
        EXPECT_EQ(ask(panel, c.request), std::string("#") + c.reply + "\r\n") << c.control;
    }
}

TEST(PanelReplies, WritesAreReadBack) {
    PanelModel panel(fixedOptions());
    EXPECT_EQ(ask(panel, "JFE"), "#J\r\n");
    EXPECT_EQ(ask(panel, "I"), "#I?>\r\n");
    EXPECT_EQ(ask(panel, "J01"), "#J\r\n");
    EXPECT_EQ(ask(panel, "I"), "#I01\r\n");
    // Interval 239 to address 0, configuration 0x48 to address 1.
    EXPECT_EQ(ask(panel, "EW000>?"), "#EW\r\n");
    EXPECT_EQ(ask(panel, "EW00148"), "#EW\r\n");
    EXPECT_EQ(ask(panel, "ER000"), "#ER>?\r\n");
    EXPECT_EQ(ask(panel, "ER001"), "#ER48\r\n");
    EXPECT_EQ(ask(panel, "Q"), "#Q>?\r\n");
    EXPECT_EQ(ask(panel, "EW??????"), "");       // one digit too many
    EXPECT_EQ(ask(panel, "EW???5:"), "#EW\r\n"); // address 4095
    EXPECT_EQ(ask(panel, "ER???"), "#ER5:\r\n");
}

TEST(PanelReplies, TheClockRunsAndCanBeSet) {
    PanelModel panel(fixedOptions());
    EXPECT_EQ(ask(panel, "B123456"), "#B\r\n");
    EXPECT_EQ(ask(panel, "C2512"), "#C\r\n");
    EXPECT_EQ(ask(panel, "O"), "#O3412256<\r\n");
    panel.advanceTo(3'000);
    EXPECT_EQ(ask(panel, "O"), "#O3412256<\r\n"); // 12:34:59
    panel.advanceTo(4'000);
    EXPECT_EQ(ask(panel, "O"), "#O3512256<\r\n"); // 12:35:00
    panel.advanceTo(4'000 + 12 * 3600'000);
    EXPECT_EQ(ask(panel, "O"), "#O3500266<\r\n"); // 00:35 the next day
    // Setting the date keeps the time of day.
    EXPECT_EQ(ask(panel, "C0102"), "#C\r\n");
    EXPECT_EQ(ask(panel, "O"), "#O35000162\r\n");
    // 29 February does not exist in 2026.
    EXPECT_EQ(ask(panel, "C2902"), "");
    EXPECT_EQ(ask(panel, "C2802"), "#C\r\n");
}

TEST(PanelReplies, ReadingsDriftPlausiblyAndRepeatWithTheSeed) {
    PanelOptions options = fixedOptions();
    PanelModel a(options);
    PanelModel b(options);
    options.seed = 8;
    PanelModel other(options);

    double tMin = 1e9, tMax = -1e9, dMin = 1e9, dMax = -1e9;
    int differences = 0;
    const auto number = [](const std::string& reply, std::size_t from) {
        return std::stod(reply.substr(from, reply.size() - 2 - from));
    };
    // A week of readings every 10 minutes.
    for (std::int64_t ms = 0; ms <= 7 * 86400'000LL; ms += 600'000) {
        for (PanelModel* p : {&a, &b, &other})
            p->advanceTo(ms);
        for (const char* r : {"T", "H", "P", "V", "A"}) {
            const std::string ra = ask(a, r);
            ASSERT_EQ(ra, ask(b, r)) << "same seed, same weather";
            differences += ra != ask(other, r);
        }
        const std::string t = ask(a, "T");
        const double temperature = t[2] == '-' ? -number(t, 3) / 10 : number(t, 2) / 10;
        const double humidity = number(ask(a, "H"), 2) / 10;
        const double pressure = number(ask(a, "P"), 2) / 10;
        const double speed = number(ask(a, "V"), 2) / 10;
        const double direction = number(ask(a, "A"), 2);
        EXPECT_GE(temperature, -40.0);
        EXPECT_LE(temperature, 40.0);
        EXPECT_GE(humidity, 15.0);
        EXPECT_LE(humidity, 100.0);
        EXPECT_GE(pressure, 940.0);
        EXPECT_LE(pressure, 1060.0);
        EXPECT_GE(speed, 0.0);
        EXPECT_LE(speed, 45.0);
        EXPECT_LT(direction, 360.0);
        tMin = std::min(tMin, temperature);
        tMax = std::max(tMax, temperature);
        dMin = std::min(dMin, direction);
        dMax = std::max(dMax, direction);
    }
    EXPECT_GT(tMax - tMin, 5.0) << "a week has warm days and cold nights";
    EXPECT_GT(dMax - dMin, 20.0) << "the wind turns";
    EXPECT_GT(differences, 100) << "another seed, other weather";
}

TEST(PanelReplies, WinterNightsFreeze) {
    PanelOptions options = fixedOptions();
    options.clock = {2027, 1, 15, 0, 0, 0};
    bool negative = false;
    for (std::uint64_t seed = 1; seed <= 5 && !negative; ++seed) {
        options.seed = seed;
        PanelModel panel(options);
        for (std::int64_t ms = 0; ms <= 10 * 86400'000LL && !negative; ms += 3600'000) {
            panel.advanceTo(ms);
            const std::string t = ask(panel, "T");
            negative = t.size() == 9 && t[2] == '-';
        }
    }
    EXPECT_TRUE(negative) << "January in Poland: some night must go below zero";
}

TEST(PanelReplies, GarbageIsSkippedUpToTheNextLineEnd) {
    PanelModel panel(fixedOptions());
    // Garbage in front of a request spoils that line only.
    EXPECT_EQ(panel.receiveAll(std::string("\x00\xff\x13K\r\nK\r\n", 9)).size(), 12u);
    // A lone CR or LF is just a byte of the line.
    EXPECT_EQ(panel.receiveAll("K\rK\r\n"), "");
    EXPECT_EQ(panel.receiveAll("\nK\r\n"), "");
    EXPECT_EQ(panel.receiveAll("K\r\r\n"), "");
    EXPECT_EQ(ask(panel, "F"), "#F<9\r\n");
    // An overlong line, then a good request.
    EXPECT_EQ(panel.receiveAll(std::string(5000, 'K') + "\r\n"), "");
    EXPECT_EQ(panel.receiveAll(std::string(5000, 'K') + "\r"), "");
    EXPECT_EQ(panel.receiveAll("\nF\r\n"), "#F<9\r\n");
    // A request cut off half-way (the line went dead) is forgotten, not completed later.
    EXPECT_EQ(panel.receiveAll("ES"), "");
    panel.dropPartialRequest();
    EXPECT_EQ(panel.receiveAll("\r\n"), "");
    EXPECT_EQ(ask(panel, "ER002"), "#ER?0\r\n") << "memory not erased";

    // Random bytes never crash the panel or make it answer anything but whole replies.
    std::mt19937 random(42);
    std::string noise;
    for (int i = 0; i < 200'000; ++i)
        noise += random() % 16 == 0 ? (random() % 2 ? '\r' : '\n') : char(random());
    const std::string replies = panel.receiveAll(noise);
    std::size_t start = 0;
    while (start < replies.size()) {
        const std::size_t end = replies.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        EXPECT_LE(end + 2 - start, 12u);
        EXPECT_GE(end + 2 - start, 4u);
        start = end + 2;
    }
    EXPECT_EQ(panel.receiveAll("\r\nK\r\n").size(), 12u);
}

struct ControlCase {
    const char* line;
    const char* answerPrefix; // nullptr: not a panel command
};

TEST(PanelControl, ControlLinesAnswerOkOrError) {
    const ControlCase cases[] = {
        {"ch1 tq231", "ok ch1 tq231"},
        {"  ch2   none  ", "ok ch2 none"},
        {"ch1 tq999", "error"},
        {"ch1", "error"},
        {"ch2 tq232", "error"},
        {"fault humidity on", "ok"},
        {"fault humidity maybe", "error"},
        {"fault nothing on", "error"},
        {"firmware 2.00", "ok"},
        {"firmware two", "error"},
        {"firmware 3.00", "error"},
        {"memory empty", "ok"},
        {"memory history", "ok"},
        {"memory full", "error"},
        {"state", "ok state ch1="},
        {"serial1 70000", "error"},
        {"power 0x1FF", "error"},
        {"clock 2026-02-29 10:00:00", "error"},
        {"clock 2028-02-29 10:00:00", "ok"},
        {"value speed 3.5", "ok"},
        {"value speed fast", "error"},
        {"value wind 3", "error"},
        {"value speed auto", "ok"},
        {"speedup 0", "error"},
        {"speedup 120", "ok"},
        {"speedup 1e-300", "error"}, // beyond the model's milliseconds
        {"speedup 0.0009", "error"},
        {"speedup 0.001", "ok"},
        {"speedup 1000000", "ok"},
        {"speedup 1e7", "error"},
        {"speedup inf", "error"},
        {"speedup nan", "error"},
        {"settings 10 0x48", "ok"},
        {"settings 300 0", "error"},
        {"reset", "ok"},
        {"silent on", nullptr},
        {"unplug", nullptr},
        {"stats", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        PanelModel panel(fixedOptions());
        const auto answer = applyControl(panel, c.line);
        if (!c.answerPrefix) {
            EXPECT_FALSE(answer.has_value()) << c.line;
            continue;
        }
        ASSERT_TRUE(answer.has_value()) << c.line;
        EXPECT_EQ(answer->rfind(c.answerPrefix, 0), 0u) << c.line << " -> " << *answer;
        EXPECT_EQ(answer->find('\n'), std::string::npos) << "one line only";
    }
}
