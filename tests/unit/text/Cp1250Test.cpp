#include "text/Cp1250.h"

#include <gtest/gtest.h>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <cstring>
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

#ifdef _WIN32
// On Windows the system's own code page 1250 is the reference: the conversions the
// tests need, refusing what does not convert exactly, as iconv does. Windows maps the
// five bytes the code page leaves unassigned (0x81, 0x83, 0x88, 0x90, 0x98) to the C1
// controls of the same number; like iconv and Unicode's table, the codec holds them
// unassigned, so they count as not converting here.
bool iconvConvert(const char* to, const char* from, const std::string& in, std::string& out) {
    const UINT fromPage = std::strcmp(from, "UTF-8") == 0 ? CP_UTF8 : 1250;
    const int inSize = static_cast<int>(in.size());
    const int wideSize =
        MultiByteToWideChar(fromPage, MB_ERR_INVALID_CHARS, in.data(), inSize, nullptr, 0);
    if (wideSize <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(fromPage, MB_ERR_INVALID_CHARS, in.data(), inSize, wide.data(), wideSize);
    const bool c1Control =
        wide.find_first_of(L"\u0081\u0083\u0088\u0090\u0098") != std::wstring::npos;
    if (std::strcmp(to, "UTF-32LE") == 0) {
        out.assign(wide.size() * 2, '\0'); // only success is looked at
        return true;
    }
    const bool toUtf8 = std::strcmp(to, "UTF-8") == 0;
    if (c1Control)
        return false;
    const UINT toPage = toUtf8 ? CP_UTF8 : 1250;
    const DWORD flags = toUtf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int outSize = WideCharToMultiByte(toPage, flags, wide.data(), wideSize, nullptr, 0,
                                            nullptr, toUtf8 ? nullptr : &usedDefault);
    if (outSize <= 0 || usedDefault)
        return false;
    out.assign(static_cast<std::size_t>(outSize), '\0');
    WideCharToMultiByte(toPage, flags, wide.data(), wideSize, out.data(), outSize, nullptr,
                        nullptr);
    return true;
}
#else
// Converts with the C library's iconv, the reference the codec is held to.
bool iconvConvert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::string buffer(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        return false;
    }
    out.assign(buffer.data(), buffer.size() - dstLeft);
    return true;
}
#endif

std::string utf8Of(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

} // namespace

TEST(Cp1250, EveryBmpCodePointMatchesIconv) {
    int mapped = 0;
    for (char32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            continue;
        }
        const std::string utf8 = utf8Of(cp);
        std::string expected;
        if (!iconvConvert("WINDOWS-1250", "UTF-8", utf8, expected)) {
            expected = "?";
        } else {
            ++mapped;
        }
        ASSERT_EQ(cp1250::fromUtf8(utf8), expected) << "code point " << static_cast<unsigned>(cp);
    }
    EXPECT_EQ(mapped, 250); // ASCII 1..127 and the 123 assigned high bytes
}

TEST(Cp1250, EveryByteDecodesAsIconvAndRoundTrips) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        std::string expected;
        if (!iconvConvert("UTF-8", "WINDOWS-1250", byte, expected)) {
            EXPECT_EQ(cp1250::toUtf8(byte), "\xEF\xBF\xBD") << "byte " << b;
            continue;
        }
        EXPECT_EQ(cp1250::toUtf8(byte), expected) << "byte " << b;
        EXPECT_EQ(cp1250::fromUtf8(expected), byte) << "byte " << b;
    }
}

TEST(Cp1250, PolishTextAndBrokenInput) {
    struct Case {
        std::string utf8;
        std::string expected;
    };
    const Case cases[] = {
        {"Ciśnienie hPa", "Ci\x9cnienie hPa"},
        {"Temperatura °C", "Temperatura \xB0"
                           "C"},
        {"Prędkość", "Pr\xEA"
                     "dko\x9c\xE6"},
        {"\xE2\x82", "??"}, // cut-off sequence
        {"\xFF"
         "a",
         "?a"},                    // invalid lead byte
        {"\xF0\x9F\x98\x80", "?"}, // outside the code page
        {"日本", "??"},
        // Overlong forms are not the characters they spell.
        {"\xC0\xAF", "??"},
        {"\xC1\xBD", "??"},
        {"\xE0\x80\x80", "???"},
        {"\xE0\x81\x9A", "???"},
        {"\xE0\x9F\xBF"
         "a",
         "???a"},
        {"\xF0\x80\x80\xAF", "????"},
        {"\xF0\x8F\xBF\xBF", "????"},
        // Surrogates and code points above U+10FFFF.
        {"\xED\xA0\x80", "???"},
        {"\xED\xBF\xBF", "???"},
        {"\xF4\x90\x80\x80", "????"},
        {"\xF7\xBF\xBF\xBF", "????"},
        {"\xF8\x88\x80\x80\x80", "?????"},
        // The nearest valid neighbours still convert.
        {"\xED\x9F\xBF", "?"},                // U+D7FF
        {"\xF4\x8F\xBF\xBF", "?"},            // U+10FFFF
        {"\xC2\xA0\xE2\x82\xAC", "\xA0\x80"}, // NBSP, euro sign
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp1250::fromUtf8(c.utf8), c.expected) << c.utf8;
    }
}

namespace {

// Every two-, three- and four-byte pattern of a lead byte and continuation
// bytes: what iconv refuses as UTF-8 becomes one '?' per byte, what it accepts
// converts as iconv converts it (or to one '?' outside the code page).
void checkAllSequences(int leadFrom, int leadTo, int continuations) {
    std::string in(static_cast<std::size_t>(continuations + 1), '\0');
    const int combinations = 1 << (6 * continuations);
    for (int lead = leadFrom; lead <= leadTo; ++lead) {
        in[0] = static_cast<char>(lead);
        for (int c = 0; c < combinations; ++c) {
            for (int k = 0; k < continuations; ++k) {
                in[static_cast<std::size_t>(k + 1)] =
                    static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
            }
            std::string utf32;
            std::string expected;
            if (!iconvConvert("UTF-32LE", "UTF-8", in, utf32)) {
                expected.assign(in.size(), '?');
            } else if (!iconvConvert("WINDOWS-1250", "UTF-8", in, expected) || expected.empty()) {
                // (glibc drops the tag characters U+E0000..U+E007F silently.)
                expected = "?";
            }
            ASSERT_EQ(cp1250::fromUtf8(in), expected)
                << "lead " << lead << " continuation pattern " << c;
        }
    }
}

} // namespace

TEST(Cp1250, EveryMultiByteSequenceIsJudgedAsIconvJudgesIt) {
    checkAllSequences(0xC0, 0xDF, 1);
    checkAllSequences(0xE0, 0xEF, 2);
    checkAllSequences(0xF0, 0xF7, 3);
}
