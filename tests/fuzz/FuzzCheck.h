#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A promise broken under fuzzing: said on standard error and ended like a
// crash, so that libFuzzer keeps the input that led to it.
inline void fuzzCheck(bool kept, const char* promise, const std::string& detail = {}) {
    if (kept) {
        return;
    }
    std::fprintf(stderr, "fuzz check failed: %s%s%s\n", promise, detail.empty() ? "" : ": ",
                 detail.c_str());
    std::abort();
}
