#pragma once

#include "settings/RegistryStore.h"

// The Windows registry. Texts cross the boundary as UTF-16 (the W functions),
// so any character survives; inside the program they are UTF-8.
class Win32RegistryStore : public RegistryStore {
public:
    Win32RegistryStore() = default;
    ~Win32RegistryStore() override;

    int Create(RegistryRoot root, const std::string& path,
               const char* className = nullptr) override;
    int Open(RegistryRoot root, const std::string& path) override;
    int Close() override;
    int QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                   std::uint32_t* typeOut = nullptr, std::uint32_t* sizeOut = nullptr) override;
    int WriteValue(const std::string& name, const void* data, std::uint32_t type,
                   std::uint32_t size) override;
    int DeleteKey(RegistryRoot root, const std::string& path) override;

private:
    void* key = nullptr; // HKEY
};
