#include "link/PortOpenFailure.h"

#include <gtest/gtest.h>

namespace {

// Tests run as root, whom no device refuses: the refusal is injected as accessDenied.
struct FailureCase {
    const char* name;
    std::string device;
    PortDriverError error;
    bool accessDenied;
    PortOpenFailure reason;
    std::string explanation;
};

class PortOpenFailureText : public ::testing::TestWithParam<FailureCase> {};

TEST_P(PortOpenFailureText, NamesTheDeviceAndTheRemedy) {
    const FailureCase& c = GetParam();
    const PortOpenFailure reason = classifyPortOpenFailure(c.device, c.error, c.accessDenied);
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(portOpenFailureExplanation(reason, c.device), c.explanation);
    // What the user reads first stays the port dialog's own text.
    EXPECT_EQ(portOpenFailureHeadline(12), "Nie można otworzyć portu COM12");
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortOpenFailureText,
    ::testing::Values(
        FailureCase{"NoPermission", "/dev/ttyUSB0", PortDriverError::Permission, true,
                    PortOpenFailure::PermissionDenied,
                    "Brak uprawnień do urządzenia /dev/ttyUSB0.\nDo portów szeregowych ma dostęp "
                    "grupa dialout. Dodaj do niej swoje konto poleceniem\n"
                    "    sudo usermod -a -G dialout $USER\n"
                    "a potem wyloguj się i zaloguj ponownie."},
        // A lock file or an exclusive open by another program: the same driver verdict.
        FailureCase{"HeldByAnotherProgram", "/dev/ttyS0", PortDriverError::Permission, false,
                    PortOpenFailure::InUse,
                    "Urządzenie /dev/ttyS0 jest używane przez inny program. Zamknij ten program "
                    "i spróbuj ponownie."},
        FailureCase{"Missing", "/dev/ttyACM3", PortDriverError::NotFound, false,
                    PortOpenFailure::NoDevice, "Urządzenie /dev/ttyACM3 nie istnieje."},
        FailureCase{"NumberWithoutDevice", "", PortDriverError::Other, false,
                    PortOpenFailure::NoDevice, ""},
        FailureCase{"NotASerialPort", "/tmp/plik", PortDriverError::Other, false,
                    PortOpenFailure::Other, ""}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

} // namespace

#ifndef _WIN32
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Lock files as the serial driver writes them (pid, program, host) and as
// older programs do (a padded pid alone).
TEST(PortHolder, NamesTheProgramOfTheLockFile) {
    const fs::path folder =
        fs::temp_directory_path() / ("tq820-locks-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::vector<std::string> folders{(folder / "none").string(), folder.string()};
    const auto lock = [&](const std::string& name, const std::string& content) {
        std::ofstream(folder / ("LCK.." + name)) << content;
    };
    lock("pts_7", std::to_string(::getpid()) + "\ntq820\nhost\n");
    lock("ttyUSB0", "     " + std::to_string(::getpid()) + "\n");
    lock("ttyS1", "999999999\ntq820ctl\nhost\n"); // no such process: a stale lock

    std::ifstream comm("/proc/self/comm");
    std::string self;
    std::getline(comm, self);
    const auto holder = portHolder("/dev/pts/7", folders);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(*holder, (PortHolder{::getpid(), self}));
    EXPECT_EQ(portHolder("/dev/ttyUSB0", folders), (PortHolder{::getpid(), self}));
    EXPECT_FALSE(portHolder("/dev/ttyS1", folders).has_value());
    EXPECT_FALSE(portHolder("/dev/ttyS2", folders).has_value());

    EXPECT_EQ(
        portOpenFailureExplanation(PortOpenFailure::InUse, "/dev/pts/7", PortHolder{4242, "tq820"}),
        "Urządzenie /dev/pts/7 jest używane przez program tq820 (PID 4242). Zamknij ten "
        "program i spróbuj ponownie.");
    fs::remove_all(folder);
}

} // namespace
#endif
