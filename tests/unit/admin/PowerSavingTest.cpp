#include "admin/PowerSaving.h"

#include <gtest/gtest.h>

namespace {

struct RegisterCase {
    int read;     // powerSavingFlags as decoded
    bool shownOn; // the box is ticked
    bool chosenOn;
    int written;
};

class PowerSavingRegister : public ::testing::TestWithParam<RegisterCase> {};

TEST_P(PowerSavingRegister, ShowsBit0AndWritesTheOtherBitsBack) {
    const RegisterCase& c = GetParam();
    const int reg = PowerSaving::registerFromReply(c.read);
    EXPECT_EQ(PowerSaving::isOn(reg), c.shownOn);
    EXPECT_EQ(PowerSaving::registerAfter(reg, c.chosenOn), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Register, PowerSavingRegister,
    ::testing::Values(RegisterCase{0x05, true, false, 0x04},  // unticked: 0x05 -> 0x04
                      RegisterCase{0x04, false, true, 0x05},  // ticked again: 0x05
                      RegisterCase{0x04, false, false, 0x04}, // no change, same byte
                      RegisterCase{0x05, true, true, 0x05}, RegisterCase{0x00, false, true, 0x01},
                      RegisterCase{0xFF, true, false, 0xFE}, RegisterCase{0xFE, false, true, 0xFF},
                      // A garbled reply is taken as the byte it leaves.
                      RegisterCase{0x1234, false, true, 0x35},
                      RegisterCase{-800, false, false, 0xE0}));

} // namespace
