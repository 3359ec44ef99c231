#pragma once

#include <string>
#include <string_view>

// Windows-1250, the code page of the recording and export files. Text inside
// the program is UTF-8; it is converted once, where a file line is written.
namespace cp1250 {

// UTF-8 to Windows-1250. A character the code page cannot hold becomes '?',
// and so does every byte of a sequence that is not valid UTF-8 (cut off,
// overlong, a surrogate or above U+10FFFF).
std::string fromUtf8(std::string_view utf8);

// Windows-1250 to UTF-8. The five unassigned bytes become U+FFFD.
std::string toUtf8(std::string_view bytes);

} // namespace cp1250
