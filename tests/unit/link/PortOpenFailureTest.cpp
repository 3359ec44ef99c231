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
