#pragma once

#include <cstdint>
#include <string>

// The root of a key path. Only the per-user hive is used.
enum class RegistryRoot { CurrentUser };

// A key-value store with the registry's operations, one open key at a time.
// Every operation returns 1 on success and 0 on failure; reads and writes fail
// when no key is open. Texts are UTF-8 with a terminating zero byte.
class RegistryStore {
public:
    // Value types, numbered as the registry numbers them.
    static constexpr std::uint32_t kTypeString = 1; // REG_SZ
    static constexpr std::uint32_t kTypeBinary = 3; // REG_BINARY
    static constexpr std::uint32_t kTypeDword = 4;  // REG_DWORD

    // Error codes kept in lastError, numbered as the platform numbers them.
    static constexpr std::uint32_t kErrorSuccess = 0;
    static constexpr std::uint32_t kErrorFileNotFound = 2;
    static constexpr std::uint32_t kErrorAccessDenied = 5;
    static constexpr std::uint32_t kErrorInvalidHandle = 6;
    static constexpr std::uint32_t kErrorInvalidData = 13;
    static constexpr std::uint32_t kErrorWriteFault = 29;
    static constexpr std::uint32_t kErrorInvalidParameter = 87;
    static constexpr std::uint32_t kErrorMoreData = 234;

    RegistryStore() = default;
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;
    virtual ~RegistryStore() = default; // backends close their key

    // Creates the key or opens it if it exists. Needs a store without an open
    // key.
    virtual int Create(RegistryRoot root, const std::string& path,
                       const char* className = nullptr) = 0;
    // Closes any open key, then opens an existing key.
    virtual int Open(RegistryRoot root, const std::string& path) = 0;
    // Closes the open key; 0 when none was open.
    virtual int Close() = 0;
    // Reads the raw data of a value into buffer without looking at its type;
    // data longer than size fails. typeOut and sizeOut, when given, receive
    // the stored type and the stored size (also when the data does not fit).
    virtual int QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                           std::uint32_t* typeOut = nullptr, std::uint32_t* sizeOut = nullptr) = 0;
    // Stores raw data of a registry type under a name.
    virtual int WriteValue(const std::string& name, const void* data, std::uint32_t type,
                           std::uint32_t size) = 0;
    // Deletes a key with all its values; needs no open key.
    virtual int DeleteKey(RegistryRoot root, const std::string& path) = 0;

    // A 32-bit number. Only a number value of exactly 4 bytes is accepted.
    int ReadDword(const std::string& name, std::int32_t& value, std::uint32_t* errorOut = nullptr);
    // A text into a buffer of size bytes (terminator included); the buffer
    // holds the empty text unless the read succeeds. Only a text value is
    // accepted.
    int ReadString(const std::string& name, char* buffer, std::uint32_t size,
                   std::uint32_t* errorOut = nullptr);
    // A text of any length, as long as the store holds it: the stored size
    // is asked first. The text ends at its first zero byte.
    int ReadText(const std::string& name, std::string& text, std::uint32_t* errorOut = nullptr);
    // Writes a text value of length + 1 bytes.
    int WriteString(const std::string& name, const std::string& text,
                    std::uint32_t* errorOut = nullptr);
    // Convenience for numbers: WriteValue of type 4, 4 bytes little-endian.
    int WriteDword(const std::string& name, std::int32_t value);

    bool isOpen() const { return m_keyOpen; }
    std::uint32_t lastError() const { return m_lastError; }

protected:
    void setKeyOpen(bool open) { m_keyOpen = open; }
    void setLastError(std::uint32_t error) { m_lastError = error; }

private:
    bool m_keyOpen = false;
    std::uint32_t m_lastError = kErrorSuccess;
};
