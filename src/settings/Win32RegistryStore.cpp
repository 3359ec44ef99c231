#include "settings/Win32RegistryStore.h"

#define WIN32_LEAN_AND_MEAN
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    }
    return out;
}

std::string narrow(const wchar_t* text, std::size_t length) {
    if (length == 0) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                            nullptr);
    }
    return out;
}

HKEY rootKey(RegistryRoot) {
    return HKEY_CURRENT_USER;
}

} // namespace

Win32RegistryStore::~Win32RegistryStore() {
    Close();
}

int Win32RegistryStore::Create(RegistryRoot root, const std::string& path, const char*) {
    Close();
    HKEY created = nullptr;
    const LONG rc =
        RegCreateKeyExW(rootKey(root), widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &created, nullptr);
    setLastError(static_cast<std::uint32_t>(rc));
    if (rc != ERROR_SUCCESS) {
        return 0;
    }
    key = created;
    setKeyOpen(true);
    return 1;
}

int Win32RegistryStore::Open(RegistryRoot root, const std::string& path) {
    Close();
    HKEY opened = nullptr;
    const LONG rc = RegOpenKeyExW(rootKey(root), widen(path).c_str(), 0, KEY_ALL_ACCESS, &opened);
    setLastError(static_cast<std::uint32_t>(rc));
    if (rc != ERROR_SUCCESS) {
        return 0;
    }
    key = opened;
    setKeyOpen(true);
    return 1;
}

int Win32RegistryStore::Close() {
    if (!isOpen()) {
        return 0;
    }
    const LONG rc = RegCloseKey(static_cast<HKEY>(key));
    key = nullptr;
    setKeyOpen(false);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int Win32RegistryStore::QueryValue(const std::string& name, void* buffer, std::uint32_t size,
                                   std::uint32_t* typeOut, std::uint32_t* sizeOut) {
    if (!isOpen()) {
        setLastError(kErrorInvalidHandle);
        return 0;
    }
    const std::wstring wideName = widen(name);
    DWORD type = 0;
    DWORD stored = 0;
    LONG rc = RegQueryValueExW(static_cast<HKEY>(key), wideName.c_str(), nullptr, &type, nullptr,
                               &stored);
    if (rc != ERROR_SUCCESS) {
        setLastError(static_cast<std::uint32_t>(rc));
        return 0;
    }
    std::vector<unsigned char> data(stored);
    rc = RegQueryValueExW(static_cast<HKEY>(key), wideName.c_str(), nullptr, &type, data.data(),
                          &stored);
    if (rc != ERROR_SUCCESS) {
        setLastError(static_cast<std::uint32_t>(rc));
        return 0;
    }
    data.resize(stored);
    if (type == REG_SZ) {
        // UTF-16 in the registry, UTF-8 with its terminator for the caller.
        std::size_t chars = data.size() / sizeof(wchar_t);
        std::vector<wchar_t> wide(chars);
        std::memcpy(wide.data(), data.data(), chars * sizeof(wchar_t));
        while (chars > 0 && wide[chars - 1] == L'\0') {
            --chars;
        }
        const std::string utf8 = narrow(wide.data(), chars);
        data.assign(utf8.begin(), utf8.end());
        data.push_back(0);
    }
    if (typeOut != nullptr) {
        *typeOut = type;
    }
    if (sizeOut != nullptr) {
        *sizeOut = static_cast<std::uint32_t>(data.size());
    }
    if (data.size() > size) {
        setLastError(kErrorMoreData);
        return 0;
    }
    std::memcpy(buffer, data.data(), data.size());
    setLastError(kErrorSuccess);
    return 1;
}

int Win32RegistryStore::WriteValue(const std::string& name, const void* data, std::uint32_t type,
                                   std::uint32_t size) {
    if (!isOpen()) {
        setLastError(kErrorInvalidHandle);
        return 0;
    }
    LONG rc = ERROR_SUCCESS;
    if (type == REG_SZ) {
        const char* text = static_cast<const char*>(data);
        std::size_t length = size;
        while (length > 0 && text[length - 1] == '\0') {
            --length;
        }
        const std::wstring wide = widen(std::string(text, length));
        rc = RegSetValueExW(static_cast<HKEY>(key), widen(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    } else {
        rc = RegSetValueExW(static_cast<HKEY>(key), widen(name).c_str(), 0, type,
                            static_cast<const BYTE*>(data), size);
    }
    setLastError(static_cast<std::uint32_t>(rc));
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int Win32RegistryStore::DeleteKey(RegistryRoot root, const std::string& path) {
    const LONG rc = RegDeleteKeyW(rootKey(root), widen(path).c_str());
    setLastError(static_cast<std::uint32_t>(rc));
    return rc == ERROR_SUCCESS ? 1 : 0;
}
