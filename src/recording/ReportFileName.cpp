#include "recording/ReportFileName.h"

#include <string_view>

namespace {

// True when the last component of the path has a dot with something after it.
bool hasExtension(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    return dot != std::string_view::npos && dot + 1 < base.size();
}

bool endsWith(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() && name.substr(name.size() - ending.size()) == ending;
}

} // namespace

ReportFileChoice applyReportFileRules(std::string name, ReportFilter selected, bool currentCsv) {
    if (!name.empty() && !hasExtension(name)) {
        name += selected == ReportFilter::Csv ? ".csv" : ".txt";
    }
    bool csv = currentCsv;
    if (endsWith(name, "txt") || endsWith(name, "TXT")) {
        csv = false;
    } else if (endsWith(name, "csv") || endsWith(name, "CSV")) {
        csv = true;
    }
    return {std::move(name), csv};
}
