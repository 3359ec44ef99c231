#pragma once

#include <array>
#include <cstdint>
#include <string>

// The logical font record of a tile's value font, field for field. Qt uses
// only some of the fields; the others are kept so that a record saved before
// a dialog and put back on cancel is restored exactly.
struct LogFont {
    std::int32_t height = 60;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0; // 0 default, 400 normal, 700 bold
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 238; // Central European
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    // UTF-8 and whole: unlike the Windows record's 31 characters, a family
    // name here may be longer (fontconfig names and aliases often are).
    std::string faceName = "Arial";

    friend bool operator==(const LogFont&, const LogFont&) = default;
};
