#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// A small stand-in for the panel: answers each request with the well-formed
// reply line built from its own state. Written from the wire format alone,
// independent of the engine's parser and request builder.
class ScriptedPanel {
public:
    std::string status = "00000005"; // TQ-232 and TQ-264, no errors
    int direction = 270;
    int speedTenths = 123;
    int humidityTenths = 456;
    int pressureTenths = 10132;
    int temperatureTenths = 235; // negative: the 9-byte form
    int versionByte = 201;
    int powerSaving = 0;
    int serialCh2 = 431;
    int serialCh1 = 0x1234;
    int clockMinute = 30, clockHour = 14, clockDay = 7, clockMonth = 3;
    std::array<int, 4096> memory{};
    bool silent = false;
    char lead = 'x';
    // Replaces the next reply (one time), e.g. a malformed line.
    std::optional<std::string> nextReplyOverride;

    ScriptedPanel() {
        memory.fill(0xFF);
        memory[0] = 10;
        memory[1] = 0x48;
    }

    static char hex(int nibble) { return static_cast<char>(0x30 + (nibble & 0x0F)); }
    static std::string hexByte(int v) { return {hex(v >> 4), hex(v)}; }
    static std::string dec(int v, int digits) {
        std::string s(static_cast<std::size_t>(digits), '0');
        for (int i = digits - 1; i >= 0; --i, v /= 10) {
            s[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
        }
        return s;
    }
    static int offsetHexValue(const std::string& s, std::size_t pos, int count) {
        int v = 0;
        for (int i = 0; i < count; ++i) {
            v = v * 16 + (s[pos + static_cast<std::size_t>(i)] - 0x30);
        }
        return v;
    }

    // The line (with CR LF) answering `request` (given without its CR LF), or
    // an empty string when the panel keeps silent.
    std::string answer(const std::string& request) {
        if (silent) {
            return {};
        }
        if (nextReplyOverride) {
            std::string r = *nextReplyOverride;
            nextReplyOverride.reset();
            return r;
        }
        return std::string(1, lead) + body(request) + "\r\n";
    }

private:
    std::string body(const std::string& r) {
        if (r == "K") {
            return "K" + status;
        }
        if (r == "A") {
            return "A" + dec(direction, 3);
        }
        if (r == "V") {
            return "V" + dec(speedTenths, 4);
        }
        if (r == "H") {
            return "H" + dec(humidityTenths, 4);
        }
        if (r == "P") {
            return "P" + dec(pressureTenths, 5);
        }
        if (r == "T") {
            return temperatureTenths < 0 ? "T-" + dec(-temperatureTenths, 4)
                                         : "T" + dec(temperatureTenths, 4);
        }
        if (r == "F") {
            return "F" + hexByte(versionByte);
        }
        if (r == "I") {
            return "I" + hexByte(powerSaving);
        }
        if (r == "L") {
            return "L" + hexByte(serialCh2 >> 8) + hexByte(serialCh2);
        }
        if (r == "N") {
            return "N" + hexByte(serialCh1 >> 8) + hexByte(serialCh1);
        }
        if (r == "Q") {
            return "Q" + hexByte(memory[0]);
        }
        if (r == "O") {
            return "O" + dec(clockMinute, 2) + dec(clockHour, 2) + dec(clockDay, 2) + "5" +
                   std::string(1, hex(clockMonth));
        }
        if (r == "G") {
            return "G";
        }
        if (r == "ES") {
            for (std::size_t a = 2; a < memory.size(); ++a) {
                memory[a] = 0xFF;
            }
            return "ES";
        }
        if (r.size() == 7 && r[0] == 'B') {
            clockHour = std::stoi(r.substr(1, 2));
            clockMinute = std::stoi(r.substr(3, 2));
            return "B";
        }
        if (r.size() == 5 && r[0] == 'C') {
            clockDay = std::stoi(r.substr(1, 2));
            clockMonth = std::stoi(r.substr(3, 2));
            return "C";
        }
        if (r.size() == 5 && r.compare(0, 2, "ER") == 0) {
            return "ER" + hexByte(memory[static_cast<std::size_t>(offsetHexValue(r, 2, 3))]);
        }
        if (r.size() == 7 && r.compare(0, 2, "EW") == 0) {
            memory[static_cast<std::size_t>(offsetHexValue(r, 2, 3))] = offsetHexValue(r, 5, 2);
            return "EW";
        }
        if (r.size() == 3 && r[0] == 'J') {
            powerSaving = std::stoi(r.substr(1), nullptr, 16);
            return "J";
        }
        return "?";
    }
};
