#include "settings/MemoryRegistryStore.h"

#include <cstring>

MemoryRegistryStore::~MemoryRegistryStore() {
    Close();
}

int MemoryRegistryStore::Create(RegistryRoot, const std::string& path, const char*) {
    Close();
    if (failCreate) {
        setLastError(kErrorAccessDenied);
        return 0;
    }
    keys[path];
    openPath = path;
    setKeyOpen(true);
    setLastError(kErrorSuccess);
    return 1;
}

int MemoryRegistryStore::Open(RegistryRoot, const std::string& path) {
    Close();
    if (keys.count(path) == 0) {
        setLastError(kErrorFileNotFound);
        return 0;
    }
    openPath = path;
    setKeyOpen(true);
    setLastError(kErrorSuccess);
    return 1;
}

int MemoryRegistryStore::Close() {
    if (!isOpen()) {
        return 0;
    }
    setKeyOpen(false);
    openPath.clear();
    return 1;
}

int MemoryRegistryStore::QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                                    std::uint32_t* typeOut, std::uint32_t* sizeOut) {
    if (!isOpen()) {
        setLastError(kErrorInvalidHandle);
        return 0;
    }
    const auto keyIt = keys.find(openPath);
    if (keyIt == keys.end()) {
        setLastError(kErrorFileNotFound);
        return 0;
    }
    const auto it = keyIt->second.find(name);
    if (it == keyIt->second.end()) {
        setLastError(kErrorFileNotFound);
        return 0;
    }
    const auto stored = static_cast<std::uint32_t>(it->second.data.size());
    if (typeOut != nullptr) {
        *typeOut = it->second.type;
    }
    if (sizeOut != nullptr) {
        *sizeOut = stored;
    }
    if (stored > size) {
        setLastError(kErrorMoreData);
        return 0;
    }
    if (stored > 0) {
        std::memcpy(buffer, it->second.data.data(), stored);
    }
    setLastError(kErrorSuccess);
    return 1;
}

int MemoryRegistryStore::WriteValue(const std::string& name, const void* data, std::uint32_t type,
                                    std::uint32_t size) {
    if (!isOpen()) {
        setLastError(kErrorInvalidHandle);
        return 0;
    }
    const auto keyIt = keys.find(openPath);
    if (keyIt == keys.end() || failingWrites.count(name) != 0) {
        setLastError(keyIt == keys.end() ? kErrorFileNotFound : kErrorWriteFault);
        return 0;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    keyIt->second[name] = Value{type, std::vector<unsigned char>(bytes, bytes + size)};
    writes.push_back(name);
    setLastError(kErrorSuccess);
    return 1;
}

int MemoryRegistryStore::DeleteKey(RegistryRoot, const std::string& path) {
    if (keys.erase(path) == 0) {
        setLastError(kErrorFileNotFound);
        return 0;
    }
    setLastError(kErrorSuccess);
    return 1;
}

const MemoryRegistryStore::Key* MemoryRegistryStore::key(const std::string& path) const {
    const auto it = keys.find(path);
    return it == keys.end() ? nullptr : &it->second;
}

void MemoryRegistryStore::setDword(const std::string& path, const std::string& name,
                                   std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    setRaw(path, name,
           Value{kTypeDword,
                 {static_cast<unsigned char>(bits & 0xFF),
                  static_cast<unsigned char>((bits >> 8) & 0xFF),
                  static_cast<unsigned char>((bits >> 16) & 0xFF),
                  static_cast<unsigned char>((bits >> 24) & 0xFF)}});
}

void MemoryRegistryStore::setString(const std::string& path, const std::string& name,
                                    const std::string& text) {
    Value value{kTypeString, std::vector<unsigned char>(text.begin(), text.end())};
    value.data.push_back(0);
    setRaw(path, name, std::move(value));
}

void MemoryRegistryStore::setRaw(const std::string& path, const std::string& name, Value value) {
    keys[path][name] = std::move(value);
}
