#include "settings/RegistryStore.h"

#include <array>
#include <cstdint>
#include <vector>

int RegistryStore::ReadDword(const std::string& name, std::int32_t& value,
                             std::uint32_t* errorOut) {
    std::array<unsigned char, 4> data{};
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    int ok = QueryValue(name, data.data(), 4, &type, &size);
    // A text or a short value under a number's name is not a number.
    if (ok != 0 && (type != kTypeDword || size != 4)) {
        setLastError(kErrorInvalidData);
        ok = 0;
    }
    if (ok != 0) {
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(data[0]) |
                                          (static_cast<std::uint32_t>(data[1]) << 8) |
                                          (static_cast<std::uint32_t>(data[2]) << 16) |
                                          (static_cast<std::uint32_t>(data[3]) << 24));
    }
    if (errorOut != nullptr) {
        *errorOut = lastError();
    }
    return ok;
}

int RegistryStore::ReadString(const std::string& name, char* buffer, std::uint32_t size,
                              std::uint32_t* errorOut) {
    if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    std::uint32_t type = 0;
    std::uint32_t stored = 0;
    int ok = (buffer != nullptr && size > 0) ? QueryValue(name, buffer, size, &type, &stored) : 0;
    if (ok != 0 && type != kTypeString) {
        setLastError(kErrorInvalidData);
        ok = 0;
    }
    // The registry does not promise a terminator: add one if there is room.
    if (ok != 0 && (stored == 0 || buffer[stored - 1] != '\0')) {
        if (stored < size) {
            buffer[stored] = '\0';
        } else {
            setLastError(kErrorMoreData);
            ok = 0;
        }
    }
    if (ok == 0 && buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    if (errorOut != nullptr) {
        *errorOut = lastError();
    }
    return ok;
}

int RegistryStore::ReadText(const std::string& name, std::string& text, std::uint32_t* errorOut) {
    std::uint32_t type = 0;
    std::uint32_t stored = 0;
    char probe = '\0';
    int ok = QueryValue(name, &probe, 1, &type, &stored);
    if ((ok != 0 || lastError() == kErrorMoreData) && stored < UINT32_MAX) {
        // One byte more for a terminator the registry may lack.
        std::vector<char> buffer(std::size_t{stored} + 1);
        ok = ReadString(name, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
        if (ok != 0) {
            text.assign(buffer.data());
        }
    } else {
        ok = 0;
    }
    if (errorOut != nullptr) {
        *errorOut = lastError();
    }
    return ok;
}

int RegistryStore::WriteString(const std::string& name, const std::string& text,
                               std::uint32_t* errorOut) {
    const int ok =
        WriteValue(name, text.c_str(), kTypeString, static_cast<std::uint32_t>(text.size() + 1));
    if (errorOut != nullptr) {
        *errorOut = lastError();
    }
    return ok;
}

int RegistryStore::WriteDword(const std::string& name, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::array<unsigned char, 4> data{static_cast<unsigned char>(bits & 0xFF),
                                            static_cast<unsigned char>((bits >> 8) & 0xFF),
                                            static_cast<unsigned char>((bits >> 16) & 0xFF),
                                            static_cast<unsigned char>((bits >> 24) & 0xFF)};
    return WriteValue(name, data.data(), kTypeDword, 4);
}
