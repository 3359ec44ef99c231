#include "protocol/Requests.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string bytesOf(const Request& r) {
    return std::string(reinterpret_cast<const char*>(r.bytes.data()),
                       static_cast<std::size_t>(r.length));
}

struct RequestCase {
    PollState state;
    RequestParams params;
    const char* expected; // CR LF included
};

RequestParams clock(int hour, int minute, int second, int day, int month, int year = 2026) {
    RequestParams p;
    p.clockToSet.hour = static_cast<std::uint16_t>(hour);
    p.clockToSet.minute = static_cast<std::uint16_t>(minute);
    p.clockToSet.second = static_cast<std::uint16_t>(second);
    p.clockToSet.day = static_cast<std::uint16_t>(day);
    p.clockToSet.month = static_cast<std::uint16_t>(month);
    p.clockToSet.year = static_cast<std::uint16_t>(year);
    return p;
}
RequestParams address(int a) {
    RequestParams p;
    p.memoryAddress = a;
    return p;
}
RequestParams write(int index, int interval, int config) {
    RequestParams p;
    p.writeIndex = index;
    p.writeInterval = interval;
    p.writeConfig = config;
    return p;
}
RequestParams power(int v) {
    RequestParams p;
    p.powerSavingValue = v;
    return p;
}

class Requests : public ::testing::TestWithParam<RequestCase> {};

TEST_P(Requests, HaveTheExactBytes) {
    const Request r = buildRequest(GetParam().state, GetParam().params);
    EXPECT_EQ(bytesOf(r), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Requests,
    ::testing::Values(
        RequestCase{READ_STATUS, {}, "K\r\n"}, RequestCase{READ_DIRECTION, {}, "A\r\n"},
        RequestCase{READ_SPEED, {}, "V\r\n"}, RequestCase{READ_HUMIDITY, {}, "H\r\n"},
        RequestCase{READ_PRESSURE, {}, "P\r\n"}, RequestCase{READ_TEMPERATURE, {}, "T\r\n"},
        RequestCase{READ_VERSION, {}, "F\r\n"}, RequestCase{READ_POWER_SAVING, {}, "I\r\n"},
        RequestCase{READ_SERIAL_CH2, {}, "L\r\n"}, RequestCase{READ_SERIAL_CH1, {}, "N\r\n"},
        RequestCase{READ_INTERVAL, {}, "Q\r\n"}, RequestCase{READ_CLOCK, {}, "O\r\n"},
        RequestCase{RESET_PANEL, {}, "G\r\n"}, RequestCase{ERASE_MEMORY, {}, "ES\r\n"},
        RequestCase{SET_TIME, clock(9, 5, 30, 1, 1), "B090530\r\n"},
        RequestCase{SET_TIME, clock(0, 0, 0, 1, 1), "B000000\r\n"},
        RequestCase{SET_TIME, clock(23, 59, 59, 1, 1), "B235959\r\n"},
        RequestCase{SET_DATE, clock(0, 0, 0, 7, 3), "C0703\r\n"},
        RequestCase{SET_DATE, clock(0, 0, 0, 25, 12), "C2512\r\n"},
        // No year: two years give the same request.
        RequestCase{SET_DATE, clock(0, 0, 0, 31, 12, 2025), "C3112\r\n"},
        RequestCase{SET_DATE, clock(0, 0, 0, 31, 12, 2031), "C3112\r\n"},
        RequestCase{READ_MEMORY, address(0), "ER000\r\n"},
        RequestCase{READ_MEMORY, address(2), "ER002\r\n"},
        RequestCase{READ_MEMORY, address(418), "ER1:2\r\n"},
        RequestCase{READ_MEMORY, address(4095), "ER???\r\n"},
        RequestCase{WRITE_MEMORY, write(0, 239, 72), "EW000>?\r\n"},
        RequestCase{WRITE_MEMORY, write(1, 239, 72), "EW00148\r\n"},
        RequestCase{WRITE_MEMORY, write(0, 0xAB, 0), "EW000:;\r\n"},
        RequestCase{WRITE_MEMORY, write(1, 0, 0xCD), "EW001<=\r\n"},
        RequestCase{WRITE_POWER_SAVING, power(1), "J01\r\n"},
        RequestCase{WRITE_POWER_SAVING, power(0xFE), "JFE\r\n"},
        RequestCase{WRITE_POWER_SAVING, power(0xAB), "JAB\r\n"},
        // Out-of-range values stay inside the documented forms.
        RequestCase{READ_MEMORY, address(4096), "ER000\r\n"},
        RequestCase{READ_MEMORY, address(-1), "ER???\r\n"},
        RequestCase{WRITE_MEMORY, write(0, 256 + 0x12, 0), "EW00012\r\n"},
        RequestCase{WRITE_MEMORY, write(0, -1, 0), "EW000??\r\n"},
        RequestCase{WRITE_MEMORY, write(7, 0, 0x48), "EW00148\r\n"},
        RequestCase{WRITE_POWER_SAVING, power(0x1FE), "JFE\r\n"},
        RequestCase{WRITE_POWER_SAVING, power(-1), "JFF\r\n"},
        RequestCase{SET_TIME, clock(100, 65535, 99, 1, 1), "B999999\r\n"},
        RequestCase{SET_DATE, clock(0, 0, 0, 400, 0), "C9900\r\n"}, RequestCase{NO_STATE, {}, ""},
        RequestCase{static_cast<PollState>(20), {}, ""},
        RequestCase{static_cast<PollState>(-3), {}, ""}));

TEST(Requests, EveryStateHasAShortPrintableRequestEndingInCrLf) {
    for (int s = kFirstPollState; s <= kLastPollState; ++s) {
        const Request r = buildRequest(static_cast<PollState>(s), clock(12, 34, 56, 21, 11));
        SCOPED_TRACE(s);
        EXPECT_TRUE(r.length == 3 || r.length == 4 || r.length == 5 || r.length == 7 ||
                    r.length == 9);
        ASSERT_GE(r.length, 3);
        EXPECT_EQ(r.bytes[static_cast<std::size_t>(r.length - 2)], '\r');
        EXPECT_EQ(r.bytes[static_cast<std::size_t>(r.length - 1)], '\n');
        for (int i = 0; i < r.length - 2; ++i) {
            EXPECT_GE(r.bytes[static_cast<std::size_t>(i)], 0x30);
            EXPECT_LE(r.bytes[static_cast<std::size_t>(i)], 'Z');
        }
    }
}

TEST(Requests, MemoryNibblesUseOffsetHexAndPowerSavingUsesLetters) {
    for (int v = 0; v < 256; ++v) {
        const std::string mem = bytesOf(buildRequest(WRITE_MEMORY, write(0, v, 0)));
        const std::string pow = bytesOf(buildRequest(WRITE_POWER_SAVING, power(v)));
        SCOPED_TRACE(v);
        EXPECT_EQ(mem[5], 0x30 + v / 16);
        EXPECT_EQ(mem[6], 0x30 + v % 16);
        EXPECT_EQ(std::stoi(pow.substr(1, 2), nullptr, 16), v);
        EXPECT_EQ(pow.find_first_of(":;<=>?abcdef"), std::string::npos);
    }
}

} // namespace
