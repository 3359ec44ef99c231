#include "history/RecordFileParser.h"

#include "recording/RecordLine.h"
#include "text/Cp1250.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

constexpr std::string_view kDateCaption = "Data i Godzina";
constexpr std::size_t kStampLength = 19; // "YYYY.MM.DD hh:mm:ss"

std::string_view withoutLineEnd(std::string_view s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

std::optional<int> digits(std::string_view s, std::size_t at, std::size_t count) {
    int value = 0;
    const char* begin = s.data() + at;
    for (std::size_t i = 0; i < count; ++i) {
        if (begin[i] < '0' || begin[i] > '9') {
            return std::nullopt;
        }
    }
    std::from_chars(begin, begin + count, value);
    return value;
}

std::optional<LocalDateTime> stamp(std::string_view s) {
    if (s.size() < kStampLength || s[4] != '.' || s[7] != '.' || s[10] != ' ' || s[13] != ':' ||
        s[16] != ':') {
        return std::nullopt;
    }
    const auto year = digits(s, 0, 4);
    const auto month = digits(s, 5, 2);
    const auto day = digits(s, 8, 2);
    const auto hour = digits(s, 11, 2);
    const auto minute = digits(s, 14, 2);
    const auto second = digits(s, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    const LocalDateTime t{*year, *month, *day, *hour, *minute, *second};
    return isValid(t) ? std::optional(t) : std::nullopt;
}

// A value as the recorder writes it: "???", or a decimal number with the
// column's decimals at most ("21.5", "-0.3", "270").
bool value(std::string_view field, int decimals, StoredValue& out) {
    if (field == "???") {
        out.reset();
        return true;
    }
    double v = 0.0;
    const auto [end, error] =
        std::from_chars(field.data(), field.data() + field.size(), v, std::chars_format::fixed);
    const std::size_t point = field.find('.');
    const bool tooPrecise = point != std::string_view::npos &&
                            field.size() - point - 1 > static_cast<std::size_t>(decimals);
    if (field.empty() || error != std::errc{} || end != field.data() + field.size() || tooPrecise ||
        !std::isfinite(v) || std::fabs(v) > 1e8) {
        return false;
    }
    out = toTenths(v);
    return true;
}

const RecordLine::Column* columnOf(Quantity q) {
    for (const RecordLine::Column& c : RecordLine::columns()) {
        if (c.quantity == q) {
            return &c;
        }
    }
    return nullptr;
}

} // namespace

std::optional<RawRow> RecordFileParser::line(std::string_view bytes) {
    bytes = withoutLineEnd(bytes);
    if (bytes.empty()) {
        return std::nullopt;
    }
    if (bytes.substr(0, kDateCaption.size()) == kDateCaption) {
        if (!readHeader(cp1250::toUtf8(bytes))) {
            // Lines under a header that cannot be read cannot be read either.
            header_.reset();
            ++skipped_;
        }
        return std::nullopt;
    }
    std::optional<RawRow> row = readData(bytes);
    if (row) {
        ++read_;
    } else {
        ++skipped_;
    }
    return row;
}

bool RecordFileParser::readHeader(std::string_view text) {
    text.remove_prefix(kDateCaption.size());
    const std::string_view padding = "     "; // the text layout pads to a time stamp's width
    Header h;
    if (text.substr(0, padding.size()) == padding && text.size() > padding.size() &&
        text[padding.size()] == '\t') {
        h.separator = '\t';
        text.remove_prefix(padding.size());
    } else if (!text.empty() && text.front() == ',') {
        h.separator = ',';
    } else {
        return false;
    }
    while (!text.empty()) {
        text.remove_prefix(1); // the separator
        const std::size_t end = text.find(h.separator);
        const std::string_view caption = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
        const RecordLine::Column* found = nullptr;
        for (const RecordLine::Column& c : RecordLine::columns()) {
            if (c.caption == caption) {
                found = &c;
            }
        }
        if (found == nullptr || h.count == 5) {
            return false;
        }
        for (int i = 0; i < h.count; ++i) {
            if (h.quantities[static_cast<std::size_t>(i)] == found->quantity) {
                return false;
            }
        }
        h.quantities[static_cast<std::size_t>(h.count++)] = found->quantity;
    }
    if (h.count == 0) {
        return false;
    }
    header_ = h;
    return true;
}

std::optional<RawRow> RecordFileParser::readData(std::string_view bytes) {
    if (!header_) {
        return std::nullopt;
    }
    const std::optional<LocalDateTime> local = stamp(bytes);
    if (!local || bytes.size() <= kStampLength || bytes[kStampLength] != header_->separator) {
        return std::nullopt;
    }
    std::string_view rest = bytes.substr(kStampLength + 1);
    RawRow row;
    for (int i = 0; i < header_->count; ++i) {
        const std::size_t end = rest.find(header_->separator);
        const bool last = i + 1 == header_->count;
        if (last != (end == std::string_view::npos)) {
            return std::nullopt; // too few or too many fields
        }
        const std::string_view field = trimmed(rest.substr(0, end));
        const Quantity q = header_->quantities[static_cast<std::size_t>(i)];
        if (!value(field, columnOf(q)->decimals, row.values[slot(q)])) {
            return std::nullopt;
        }
        rest = last ? std::string_view{} : rest.substr(end + 1);
    }
    const ZonedTime at = resolver_.resolve(*local);
    row.utc = at.utc;
    row.offset = at.offset;
    return row;
}
