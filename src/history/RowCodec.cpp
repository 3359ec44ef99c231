#include "history/RowCodec.h"

#include <cstdint>

namespace {

constexpr char kVersion = 1;

void putVarint(std::string& out, std::uint32_t v) {
    while (v >= 0x80) {
        out += static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    out += static_cast<char>(v);
}

void putSigned(std::string& out, std::int32_t v) {
    putVarint(out, (static_cast<std::uint32_t>(v) << 1) ^ static_cast<std::uint32_t>(v >> 31));
}

// Reads from the front of `in`; false when it ends too soon or runs too long.
bool getVarint(std::string_view& in, std::uint32_t& v) {
    v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        if (in.empty()) {
            return false;
        }
        const auto byte = static_cast<std::uint8_t>(in.front());
        in.remove_prefix(1);
        v |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool getSigned(std::string_view& in, std::int32_t& v) {
    std::uint32_t u = 0;
    if (!getVarint(in, u)) {
        return false;
    }
    v = static_cast<std::int32_t>((u >> 1) ^ (~(u & 1) + 1));
    return true;
}

// A presence byte for up to eight values, then the known ones.
template <std::size_t N>
void putValues(std::string& out, const std::array<StoredValue, N>& values) {
    std::uint8_t present = 0;
    for (std::size_t i = 0; i < N; ++i) {
        present |= values[i] ? static_cast<std::uint8_t>(1u << i) : 0;
    }
    out += static_cast<char>(present);
    for (const StoredValue& v : values) {
        if (v) {
            putSigned(out, *v);
        }
    }
}

template <std::size_t N> bool getValues(std::string_view& in, std::array<StoredValue, N>& values) {
    if (in.empty()) {
        return false;
    }
    const auto present = static_cast<std::uint8_t>(in.front());
    in.remove_prefix(1);
    for (std::size_t i = 0; i < N; ++i) {
        values[i].reset();
        if ((present & (1u << i)) != 0) {
            std::int32_t v = 0;
            if (!getSigned(in, v)) {
                return false;
            }
            values[i] = v;
        }
    }
    return true;
}

} // namespace

namespace RowCodec {

std::string encodeValues(const std::array<StoredValue, 5>& values) {
    std::string out(1, kVersion);
    putValues(out, values);
    return out;
}

std::optional<std::array<StoredValue, 5>> decodeValues(std::string_view in) {
    std::array<StoredValue, 5> values;
    if (in.empty() || in.front() != kVersion) {
        return std::nullopt;
    }
    in.remove_prefix(1);
    if (!getValues(in, values) || !in.empty()) {
        return std::nullopt;
    }
    return values;
}

std::string encodeMinute(const MinuteRow& row) {
    std::string out(1, kVersion);
    for (const QuantityAggregate& a : row.quantities) {
        putVarint(out, static_cast<std::uint32_t>(a.count));
        putValues(out, std::array<StoredValue, 3>{a.min, a.mean, a.max});
    }
    putValues(out, std::array<StoredValue, 1>{row.directionAtMaxSpeed});
    return out;
}

bool decodeMinute(std::string_view in, MinuteRow& row) {
    if (in.empty() || in.front() != kVersion) {
        return false;
    }
    in.remove_prefix(1);
    for (QuantityAggregate& a : row.quantities) {
        std::uint32_t count = 0;
        std::array<StoredValue, 3> v;
        if (!getVarint(in, count) || !getValues(in, v)) {
            return false;
        }
        a = {static_cast<std::int32_t>(count), v[0], v[1], v[2]};
    }
    std::array<StoredValue, 1> direction;
    if (!getValues(in, direction) || !in.empty()) {
        return false;
    }
    row.directionAtMaxSpeed = direction[0];
    return true;
}

} // namespace RowCodec
