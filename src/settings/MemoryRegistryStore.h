#pragma once

#include "settings/RegistryStore.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// A registry held in memory, for tests: keys by path, values by name, with a
// log of the writes and switches that make operations fail.
class MemoryRegistryStore : public RegistryStore {
public:
    struct Value {
        std::uint32_t type = 0;
        std::vector<unsigned char> data;
        friend bool operator==(const Value&, const Value&) = default;
    };
    using Key = std::map<std::string, Value>;

    ~MemoryRegistryStore() override;

    int Create(RegistryRoot root, const std::string& path,
               const char* className = nullptr) override;
    int Open(RegistryRoot root, const std::string& path) override;
    int Close() override;
    int QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                   std::uint32_t* typeOut = nullptr, std::uint32_t* sizeOut = nullptr) override;
    int WriteValue(const std::string& name, const void* data, std::uint32_t type,
                   std::uint32_t size) override;
    int DeleteKey(RegistryRoot root, const std::string& path) override;

    // Direct access for tests.
    bool hasKey(const std::string& path) const { return keys.count(path) != 0; }
    const Key* key(const std::string& path) const;
    void setDword(const std::string& path, const std::string& name, std::int32_t value);
    void setString(const std::string& path, const std::string& name, const std::string& text);
    void setRaw(const std::string& path, const std::string& name, Value value);
    // Names written since the store was made, in order.
    const std::vector<std::string>& writeLog() const { return writes; }

    bool failCreate = false;
    std::set<std::string> failingWrites; // names whose writes fail

private:
    std::map<std::string, Key> keys;
    std::string openPath;
    std::vector<std::string> writes;
};
