// Any bytes through the Windows-1250 codec, both ways. Checked against a UTF-8
// reader written out here: valid UTF-8 gives one byte per character, invalid
// input one '?' per byte it cannot use; the code page's bytes decode to valid
// UTF-8 and come back unchanged (the five unassigned ones as '?'); nothing the
// codec writes is an unassigned byte.
#include "FuzzCheck.h"
#include "text/Cp1250.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The number of characters of a valid UTF-8 text (shortest forms, no
// surrogates, nothing above U+10FFFF), or nothing.
std::optional<std::size_t> characters(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80         ? 1
                              : b >> 5 == 0x6  ? 2
                              : b >> 4 == 0xE  ? 3
                              : b >> 3 == 0x1E ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) {
            return std::nullopt;
        }
        std::uint32_t cp = n == 1 ? b : b & (0xFF >> (n + 1));
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = cp << 6 | (c & 0x3F);
        }
        static constexpr std::uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < shortest[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        i += n;
    }
    return count;
}

bool unassigned(unsigned char b) {
    return b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // The input as UTF-8.
    const std::string bytes = cp1250::fromUtf8(input);
    for (const char c : bytes) {
        fuzzCheck(!unassigned(static_cast<unsigned char>(c)), "no unassigned byte is written");
    }
    if (const auto n = characters(input)) {
        fuzzCheck(bytes.size() == *n, "valid UTF-8 gives one byte per character");
    } else {
        fuzzCheck(bytes.find('?') != std::string::npos, "invalid UTF-8 leaves a '?'");
    }

    // The input as Windows-1250.
    const std::string utf8 = cp1250::toUtf8(input);
    fuzzCheck(characters(utf8) == input.size(), "the code page decodes to valid UTF-8, a "
                                                "character a byte");
    std::string expected = input;
    for (char& c : expected) {
        if (unassigned(static_cast<unsigned char>(c))) {
            c = '?';
        }
    }
    fuzzCheck(cp1250::fromUtf8(utf8) == expected, "the code page's bytes come back unchanged");
    return 0;
}
