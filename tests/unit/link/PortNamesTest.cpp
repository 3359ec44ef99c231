#include "link/PortNames.h"

#include <gtest/gtest.h>

// The Linux names are tried against real links and ptys in tests/ui/link. On Windows
// COMn is the system's own device, and from COM10 on only the \\.\ form opens it.
#ifdef _WIN32
TEST(PortNames, WindowsNamesEveryNumberAsItsOwnDevice) {
    EXPECT_TRUE(PortNames::portFolder().empty());
    EXPECT_EQ(PortNames::devicePath(0), "");
    EXPECT_EQ(PortNames::devicePath(-1), "");
    EXPECT_EQ(PortNames::devicePath(1), "\\\\.\\COM1");
    EXPECT_EQ(PortNames::devicePath(9), "\\\\.\\COM9");
    EXPECT_EQ(PortNames::devicePath(10), "\\\\.\\COM10");
    EXPECT_EQ(PortNames::devicePath(256), "\\\\.\\COM256");
    EXPECT_EQ(PortNames::devicePath(PortNames::maxPortNumber), "\\\\.\\COM1024");
    EXPECT_TRUE(PortNames::deviceExists(256));
    EXPECT_FALSE(PortNames::deviceExists(0));
}
#endif
