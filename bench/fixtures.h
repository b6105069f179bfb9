#pragma once

// The settings files the benchmarks run on, made by the benchmarks themselves:
// Windows-1252 with CR LF line ends, as the program and its Windows
// predecessor write them.

#include <string>
#include <vector>

#include "data/settings.h"
#include "temp_folder.h"

namespace bench {

// `count` employees numbered 0001 upwards, every one of the seventeen keys
// filled; names are German, many with umlauts or "ß".
std::vector<kolvaro::EmployeeRecord> MakeEmployees(int count);

// The bytes of a settings file holding [Global], [Export] and the employees.
// count 0 gives an empty file.
std::string SettingsFileBytes(int count);

// A fresh folder below a parent, removed again with everything in it.
using kolvaro::testing::TempFolder;

// Writes `bytes` to `path` plainly (no fsync): fixtures only.
void WriteFile(const std::string& path, const std::string& bytes);

// The folder the benchmarks work in: where fsync reaches the real disk.
const std::string& WorkFolder();
void SetWorkFolder(std::string folder);

}  // namespace bench
