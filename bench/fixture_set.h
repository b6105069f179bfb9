#pragma once

// The folders and files every benchmark works on, made once per run in a
// temporary folder below the work folder.

#include <memory>
#include <string>

#include "fixtures.h"

namespace bench {

struct FixtureSet {
    explicit FixtureSet(const std::string& parent);

    TempFolder root;
    std::string settings9999;   // folder holding a velmora.ini with 9999 employees
    std::string settings50;     // ... with 50
    std::string settingsEmpty;  // ... with an empty one
    // The same for the start-up, whose files are never touched.
    std::string start9999;
    std::string start50;
    std::string startEmpty;
};

// Made on first use.
const FixtureSet& Fixtures();

void RegisterSettingsBenchmarks();
void RegisterWindowBenchmarks();
void RegisterStartupBenchmarks();

}  // namespace bench
