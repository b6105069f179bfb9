#pragma once

// The month-end run's fixtures and a single run, for the benchmark and for
// bench/run's measurement of peak memory in a process of its own.

#include <string>

namespace bench {

// FOLDER/velmora.ini with `count` employees and a full January 2025 month
// file for each.
void WriteMonthEndFixture(const std::string& folder, int count);

// Runs month-end over FOLDER into FOLDER/Journal_012025.pdf; 0 when every
// employee got a page.
int RunMonthEndOnce(const std::string& folder);

void RegisterMonthEndBenchmarks();

}  // namespace bench
