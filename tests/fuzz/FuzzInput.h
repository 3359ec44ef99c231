#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

// Reads a fuzz input front to back; past its end every read gives zeros, so a
// target never needs to check the length before it takes an argument.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Two bytes, most significant first.
    int word() {
        const int high = byte();
        return (high << 8) | byte();
    }
    // Up to n bytes (fewer at the end).
    std::string bytes(std::size_t n) {
        const std::size_t take = pos_ < size_ ? std::min(n, size_ - pos_) : 0;
        std::string s(reinterpret_cast<const char*>(data_ + pos_), take);
        pos_ += take;
        return s;
    }
    // The bytes up to the next `end` (not included) or the end of the input.
    std::string until(char end) {
        std::string s;
        while (!empty()) {
            const char c = static_cast<char>(byte());
            if (c == end) {
                break;
            }
            s += c;
        }
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
