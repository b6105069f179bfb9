#pragma once

// What every fuzz target needs: a check that stops the run with a readable
// reason (libFuzzer then keeps the input that broke it), and the test that a
// failure is one the user may see.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/failure.h"

namespace kolvaro::fuzz {

[[noreturn]] inline void Broken(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "\n*** %s: '%.*s'\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

inline void Check(bool ok, const char* what, std::string_view detail = {}) {
    if (!ok) {
        Broken(what, detail);
    }
}

// The message of a failed conversion: the pattern with the whole text given.
// what() is a C string, so a text holding a NUL byte shows only up to it.
inline void CheckMessage(const Failure& failure, std::string_view pattern, std::string_view text) {
    const std::string expected = FormatMessage(pattern, text);
    Check(std::string_view(failure.what()) == expected.c_str(), "unexpected failure message",
          failure.what());
}

}  // namespace kolvaro::fuzz
