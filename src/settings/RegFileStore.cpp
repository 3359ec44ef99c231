#include "settings/RegFileStore.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#define TQ820_POSIX 1
#endif

using namespace std::string_view_literals;

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRootName = "HKEY_CURRENT_USER\\";
// The platform's code for a write into a key that was deleted meanwhile.
constexpr std::uint32_t kErrorKeyDeleted = 1018;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoringCase(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to maxDigits hex digits, nothing else.
std::optional<std::uint32_t> parseHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

// A text as it may stand between quotes on one line of the file.
bool isWritableText(std::string_view s) {
    return isValidUtf8(s) && std::none_of(s.begin(), s.end(), [](char c) {
               return c == '\0' || c == '\n' || c == '\r';
           });
}

// A quoted text starting at s[pos] == '"', with \\ and \" as the only
// escapes. On success pos is just past the closing quote.
std::optional<std::string> parseQuoted(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                return std::nullopt;
            }
            out += s[++i];
        } else {
            out += c;
        }
    }
    return std::nullopt; // no closing quote: a cut-off line
}

std::optional<std::vector<unsigned char>> parseHexBytes(std::string_view s) {
    std::vector<unsigned char> bytes;
    s = trim(s);
    if (s.empty()) {
        return bytes;
    }
    while (true) {
        const auto comma = s.find(',');
        const auto byte = parseHexNumber(trim(s.substr(0, comma)), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<unsigned char>(*byte));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        s.remove_prefix(comma + 1);
    }
}

// The value after '=': "text", dword:hhhhhhhh, hex:bb,... or hex(t):bb,...
std::optional<regfile::Entry> parseValue(std::string_view s) {
    regfile::Entry entry;
    if (!s.empty() && s.front() == '"') {
        std::size_t pos = 0;
        auto text = parseQuoted(s, pos);
        if (!text || !trim(s.substr(pos)).empty() || !isWritableText(*text)) {
            return std::nullopt;
        }
        entry.type = RegistryStore::kTypeString;
        entry.data.assign(text->begin(), text->end());
        entry.data.push_back(0);
        return entry;
    }
    if (startsWithIgnoringCase(s, "dword:")) {
        const auto value = parseHexNumber(trim(s.substr(6)), 8);
        if (!value) {
            return std::nullopt;
        }
        entry.type = RegistryStore::kTypeDword;
        for (int shift = 0; shift < 32; shift += 8) {
            entry.data.push_back(static_cast<unsigned char>((*value >> shift) & 0xFF));
        }
        return entry;
    }
    std::string_view bytes;
    if (startsWithIgnoringCase(s, "hex:")) {
        entry.type = RegistryStore::kTypeBinary;
        bytes = s.substr(4);
    } else if (startsWithIgnoringCase(s, "hex(")) {
        const auto close = s.find("):");
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto type = parseHexNumber(s.substr(4, close - 4), 8);
        if (!type) {
            return std::nullopt;
        }
        entry.type = *type;
        bytes = s.substr(close + 2);
    } else {
        return std::nullopt;
    }
    auto data = parseHexBytes(bytes);
    if (!data) {
        return std::nullopt;
    }
    entry.data = std::move(*data);
    return entry;
}

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string hexBytes(const std::vector<unsigned char>& data) {
    std::string out;
    char buffer[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x", data[i]);
        out += buffer;
    }
    return out;
}

// The key path "SOFTWARE\A\B" as the parts A, B; nothing for a path that
// could leave the configuration folder.
std::vector<std::string> keyParts(const std::string& keyPath) {
    std::string_view rest = keyPath;
    constexpr std::string_view software = "SOFTWARE\\";
    if (startsWithIgnoringCase(rest, software)) {
        rest.remove_prefix(software.size());
    }
    std::vector<std::string> parts;
    while (true) {
        const auto slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "." || part == ".." ||
            part.find_first_of("/\0"sv) != std::string_view::npos) {
            return {};
        }
        parts.emplace_back(part);
        if (slash == std::string_view::npos) {
            return parts;
        }
        rest.remove_prefix(slash + 1);
    }
}

} // namespace

namespace regfile {

std::vector<Entry> parse(std::string_view content, std::string_view keyName, bool* unreadable) {
    bool skipped = false;
    const auto result = [&](std::vector<Entry> entries) {
        if (unreadable != nullptr) {
            *unreadable = skipped;
        }
        return entries;
    };
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        content.remove_prefix(3);
    }
    // Logical lines: hex values may continue over lines ending in '\'. Whether
    // a line is a hex value is decided once, on its first piece, so a value
    // continued over many lines is joined in time linear in its length.
    std::vector<std::string> lines;
    std::string pending;
    bool hexValue = false;
    while (!content.empty()) {
        const auto end = content.find('\n');
        const std::string_view piece = trim(content.substr(0, end));
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (pending.empty()) {
            hexValue = piece.find("=hex") != std::string_view::npos;
        }
        pending += piece;
        if (hexValue && !pending.empty() && pending.back() == '\\') {
            pending.pop_back();
        } else {
            lines.push_back(std::move(pending));
            pending.clear();
        }
    }
    if (!pending.empty()) {
        lines.push_back(std::move(pending));
    }

    struct Occurrence {
        std::string name;
        std::optional<Entry> entry;
    };
    std::vector<Occurrence> found;
    bool headerSeen = false;
    bool inKey = false;
    for (const std::string& line : lines) {
        if (!headerSeen) {
            if (line.empty()) {
                continue;
            }
            if (line != kHeader) {
                skipped = true;
                return result({});
            }
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            inKey = line.back() == ']' &&
                    equalsIgnoringCase(std::string_view(line).substr(1, line.size() - 2), keyName);
            skipped = skipped || !inKey; // another key, or no key at all
            continue;
        }
        if (!inKey || line.front() != '"') {
            skipped = true;
            continue;
        }
        std::size_t pos = 0;
        auto name = parseQuoted(line, pos);
        if (!name) {
            skipped = true;
            continue;
        }
        std::string_view rest = trim(std::string_view(line).substr(pos));
        if (rest.empty() || rest.front() != '=') {
            skipped = true;
            continue;
        }
        auto entry = parseValue(trim(rest.substr(1)));
        if (entry) {
            entry->name = *name;
        } else {
            skipped = true;
        }
        found.push_back({std::move(*name), std::move(entry)});
    }

    std::map<std::string, int> counts;
    for (const Occurrence& o : found) {
        ++counts[o.name];
    }
    std::vector<Entry> entries;
    for (Occurrence& o : found) {
        int& count = counts[o.name];
        if (count > 1) {
            // Two values under one name: neither can be trusted.
            Entry ambiguous;
            ambiguous.name = o.name;
            ambiguous.ambiguous = true;
            entries.push_back(std::move(ambiguous));
            skipped = true;
            count = 0;
        } else if (count == 1 && o.entry) {
            entries.push_back(std::move(*o.entry));
        }
    }
    return result(std::move(entries));
}

std::string write(const std::vector<Entry>& entries, std::string_view keyName) {
    std::string out;
    out += kHeader;
    out += "\n\n[";
    out += keyName;
    out += "]\n";
    for (const Entry& e : entries) {
        if (e.ambiguous) {
            continue;
        }
        out += quote(e.name);
        out += '=';
        const std::string_view text(reinterpret_cast<const char*>(e.data.data()), e.data.size());
        if (e.type == RegistryStore::kTypeDword && e.data.size() == 4) {
            char buffer[16];
            const std::uint32_t v = static_cast<std::uint32_t>(e.data[0]) |
                                    (static_cast<std::uint32_t>(e.data[1]) << 8) |
                                    (static_cast<std::uint32_t>(e.data[2]) << 16) |
                                    (static_cast<std::uint32_t>(e.data[3]) << 24);
            std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(v));
            out += buffer;
        } else if (e.type == RegistryStore::kTypeString && !text.empty() && text.back() == '\0' &&
                   isWritableText(text.substr(0, text.size() - 1))) {
            out += quote(text.substr(0, text.size() - 1));
        } else if (e.type == RegistryStore::kTypeBinary) {
            out += "hex:" + hexBytes(e.data);
        } else {
            // Any other type or shape keeps its bytes and width.
            char buffer[24];
            std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(e.type));
            out += buffer + hexBytes(e.data);
        }
        out += '\n';
    }
    out += '\n';
    return out;
}

} // namespace regfile

RegFileStore::RegFileStore(std::filesystem::path dir) : configDir(std::move(dir)) {}

RegFileStore::~RegFileStore() {
    Close();
}

std::filesystem::path RegFileStore::defaultConfigDir() {
#if defined(_WIN32)
    if (const char* appData = std::getenv("APPDATA"); appData != nullptr && *appData != '\0') {
        return std::filesystem::path(appData);
    }
#endif
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        return std::filesystem::path(xdg);
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".config";
    }
#if defined(TQ820_POSIX)
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        return std::filesystem::path(user->pw_dir) / ".config";
    }
#endif
    return std::filesystem::path(".config");
}

std::filesystem::path RegFileStore::fileFor(const std::string& keyPath) const {
    const std::vector<std::string> parts = keyParts(keyPath);
    if (parts.empty()) {
        return {};
    }
    std::filesystem::path file = configDir;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        file /= parts[i];
    }
    file /= parts.back() + ".reg";
    return file;
}

bool RegFileStore::load(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    entries.clear();
    keepAside = false;
    if (ec) {
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    if (size > kMaxFileSize) {
        keepAside = true;
        return true; // not a settings file: every value reads as missing
    }
    const std::string content((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    entries = regfile::parse(content, openKeyName, &keepAside);
    return true;
}

int RegFileStore::Create(RegistryRoot, const std::string& path, const char*) {
    Close();
    const std::filesystem::path file = fileFor(path);
    if (file.empty()) {
        setLastError(kErrorInvalidParameter);
        return 0;
    }
    openKeyName = std::string(kRootName) + path;
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        if (!load(file)) {
            setLastError(kErrorAccessDenied);
            return 0;
        }
        openFile = file;
    } else {
        // A new key exists at once, empty, as a new file.
        std::filesystem::create_directories(file.parent_path(), ec);
        entries.clear();
        keepAside = false;
        openFile = file;
        if (!save()) {
            openFile.clear();
            setLastError(kErrorAccessDenied);
            return 0;
        }
    }
    dirty = false;
    setKeyOpen(true);
    setLastError(kErrorSuccess);
    return 1;
}

int RegFileStore::Open(RegistryRoot, const std::string& path) {
    Close();
    const std::filesystem::path file = fileFor(path);
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
        setLastError(kErrorFileNotFound);
        return 0;
    }
    openKeyName = std::string(kRootName) + path;
    if (!load(file)) {
        setLastError(kErrorAccessDenied);
        return 0;
    }
    openFile = file;
    dirty = false;
    setKeyOpen(true);
    setLastError(kErrorSuccess);
    return 1;
}

int RegFileStore::Close() {
    if (!isOpen()) {
        return 0;
    }
    int result = 1;
    if (dirty) {
        std::error_code ec;
        if (!std::filesystem::exists(openFile, ec)) {
            // The key was deleted while open: like the registry, keep it gone.
            setLastError(kErrorKeyDeleted);
            result = 0;
        } else if (!save()) {
            setLastError(kErrorWriteFault);
            result = 0;
        }
    }
    setKeyOpen(false);
    openFile.clear();
    entries.clear();
    dirty = false;
    keepAside = false;
    return result;
}

int RegFileStore::QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                             std::uint32_t* typeOut, std::uint32_t* sizeOut) {
    if (!isOpen()) {
        setLastError(kErrorInvalidHandle);
        return 0;
    }
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const regfile::Entry& e) { return e.name == name; });
    if (it == entries.end() || it->ambiguous) {
        setLastError(it == entries.end() ? kErrorFileNotFound : kErrorInvalidData);
        return 0;
    }
    const auto stored = static_cast<std::uint32_t>(it->data.size());
    if (typeOut != nullptr) {
        *typeOut = it->type;
    }
    if (sizeOut != nullptr) {
        *sizeOut = stored;
    }
    if (stored > size) {
        setLastError(kErrorMoreData);
        return 0;
    }
    std::copy(it->data.begin(), it->data.end(), static_cast<unsigned char*>(buffer));
    setLastError(kErrorSuccess);
    return 1;
}

int RegFileStore::WriteValue(const std::string& name, const void* data, std::uint32_t type,
                             std::uint32_t size) {
    if (!isOpen()) {
        setLastError(kErrorInvalidHandle);
        return 0;
    }
    // A name must fit on one line of the file.
    if (name.find_first_of("\r\n\0"sv) != std::string::npos || (data == nullptr && size > 0)) {
        setLastError(kErrorInvalidParameter);
        return 0;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    regfile::Entry entry{name, type, std::vector<unsigned char>(bytes, bytes + size), false};
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [&](const regfile::Entry& e) { return e.name == name; });
    if (it == entries.end()) {
        entries.push_back(std::move(entry));
    } else {
        *it = std::move(entry);
    }
    dirty = true;
    setLastError(kErrorSuccess);
    return 1;
}

int RegFileStore::DeleteKey(RegistryRoot, const std::string& path) {
    const std::filesystem::path file = fileFor(path);
    std::error_code ec;
    if (file.empty() || !std::filesystem::remove(file, ec)) {
        setLastError(ec ? kErrorAccessDenied : kErrorFileNotFound);
        return 0;
    }
    setLastError(kErrorSuccess);
    return 1;
}

bool RegFileStore::keepDamagedFile(const std::filesystem::path& file) {
    std::filesystem::path copy = file;
    copy += kDamagedSuffix;
    std::error_code ec;
    std::filesystem::remove(copy, ec); // an older copy gives way
    // A second name for the same data costs nothing, even for a huge file;
    // where links are not possible the file is copied.
    std::filesystem::create_hard_link(file, copy, ec);
    if (ec) {
        ec.clear();
        std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing,
                                   ec);
    }
    return !ec;
}

bool RegFileStore::save() {
    const std::string content = regfile::write(entries, openKeyName);
    // A settings file linked from elsewhere (a dotfiles folder) is replaced
    // where it really lives, so the link survives.
    std::error_code ec;
    std::filesystem::path target = openFile;
    if (std::filesystem::is_symlink(openFile, ec)) {
        target = std::filesystem::canonical(openFile, ec);
        if (ec) {
            return false;
        }
    }
    std::filesystem::path temp = target;
    temp += ".tmp";
#if defined(TQ820_POSIX)
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        written += ok ? static_cast<std::size_t>(n) : 0;
    }
    // On disk before the rename, so a crash leaves the old file or the new.
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
#else
    bool ok = false;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        ok = static_cast<bool>(out);
    }
#endif
    // The file on disk could not be read whole: it is kept before it is
    // replaced, so that nothing the user had is lost.
    if (ok && keepAside && std::filesystem::exists(target, ec)) {
        ok = keepDamagedFile(target);
    }
    if (ok) {
        std::filesystem::rename(temp, target, ec);
        ok = !ec;
        keepAside = keepAside && !ok;
    }
    if (!ok) {
        std::filesystem::remove(temp, ec);
    }
    return ok;
}
