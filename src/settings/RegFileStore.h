#pragma once

#include "settings/RegistryStore.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The reading and writing of a REGEDIT4 file that holds one key.
namespace regfile {

struct Entry {
    std::string name;
    std::uint32_t type = 0;
    std::vector<unsigned char> data; // as the registry keeps it: texts end in 0
    bool ambiguous = false;          // the name appeared more than once
    friend bool operator==(const Entry&, const Entry&) = default;
};

// The values of the section [keyName] of a file's text, in file order. A line
// that cannot be read is skipped; a name that appears more than once is kept
// once, marked ambiguous; a text without the REGEDIT4 header gives nothing.
// Time and memory are linear in the text's length. `unreadable`, when given,
// tells whether anything but blank lines and comments was skipped or ambiguous:
// writing the values back would lose it.
std::vector<Entry> parse(std::string_view content, std::string_view keyName,
                         bool* unreadable = nullptr);

// The file's text: header, section, one line per value. Numbers as
// dword:%08x, texts quoted with \\ and \" escaped, anything else as hex.
std::string write(const std::vector<Entry>& entries, std::string_view keyName);

} // namespace regfile

// The settings key as a REGEDIT4 file (UTF-8): key path "SOFTWARE\A\B" is the
// file <config>/A/B.reg, and the key exists when the file does. Writes are
// collected and written at Close, atomically (temporary file, then rename).
// A file that could not be read whole (damaged, binary, too large) is kept as
// <file>.bad, replacing an older copy, before it is first written over.
class RegFileStore : public RegistryStore {
public:
    explicit RegFileStore(std::filesystem::path configDir);
    ~RegFileStore() override;

    // $XDG_CONFIG_HOME, else ~/.config.
    static std::filesystem::path defaultConfigDir();
    // The file that holds a key path, or an empty path for an unusable one.
    std::filesystem::path fileFor(const std::string& keyPath) const;

    int Create(RegistryRoot root, const std::string& path,
               const char* className = nullptr) override;
    int Open(RegistryRoot root, const std::string& path) override;
    int Close() override;
    int QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                   std::uint32_t* typeOut = nullptr, std::uint32_t* sizeOut = nullptr) override;
    int WriteValue(const std::string& name, const void* data, std::uint32_t type,
                   std::uint32_t size) override;
    int DeleteKey(RegistryRoot root, const std::string& path) override;

    // Files larger than this are not settings files and read as empty.
    static constexpr std::uintmax_t kMaxFileSize = 1 << 20;
    // Appended to the name of a file kept aside.
    static constexpr const char* kDamagedSuffix = ".bad";

private:
    bool load(const std::filesystem::path& file);
    bool save();
    static bool keepDamagedFile(const std::filesystem::path& file);

    std::filesystem::path configDir;
    std::filesystem::path openFile;
    std::string openKeyName;
    std::vector<regfile::Entry> entries;
    bool dirty = false;
    bool keepAside = false; // the open file could not be read whole
};
