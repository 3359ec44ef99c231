#pragma once

// The poll engine's step. The numbers are those of the panel protocol and are
// kept: 0 means "no state" in the pending slot.
enum PollState : int {
    NO_STATE = 0,
    READ_STATUS = 1,
    READ_DIRECTION = 2,
    READ_SPEED = 3,
    READ_HUMIDITY = 4,
    READ_PRESSURE = 5,
    READ_TEMPERATURE = 6,
    READ_VERSION = 7,
    READ_POWER_SAVING = 8,
    READ_SERIAL_CH2 = 9,
    READ_SERIAL_CH1 = 10,
    READ_INTERVAL = 11,
    SET_TIME = 12,
    SET_DATE = 13,
    READ_CLOCK = 14,
    READ_MEMORY = 15,
    WRITE_MEMORY = 16,
    RESET_PANEL = 17,
    ERASE_MEMORY = 18,
    WRITE_POWER_SAVING = 19,
};

constexpr int kFirstPollState = READ_STATUS;
constexpr int kLastPollState = WRITE_POWER_SAVING;
