#pragma once

// The employee list as the document reader gives it: every section that
// counts, looked up by its name key by key. The list read in one pass over
// the bytes must say exactly the same for any file; the fuzz target and the
// table of tricky files both hold it to that.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "data/profile_file.h"
#include "data/settings.h"
#include "data/time_text.h"

namespace kolvaro::reference {

inline EmployeeList EmployeeListOf(const ProfileDocument& document) {
    std::vector<std::pair<int, std::string>> found;
    std::vector<bool> used(10000, false);
    for (const ProfileDocument::SectionEntry& section : document.Sections()) {
        const std::string name(section.name);
        if (name.size() != 4 ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const int i = std::stoi(name);
        const std::optional<std::string> number = document.Value(name, "Nummer");
        if (i == 0 || !number || number->empty()) {
            continue;
        }
        used[static_cast<std::size_t>(i)] = true;
        found.emplace_back(i, ListEntry(*number, document.ReadString(name, "Name", "")));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    EmployeeList list;
    for (auto& [i, entry] : found) {
        list.entries.push_back(std::move(entry));
    }
    for (int i = 1; i <= 9999; ++i) {
        if (!used[static_cast<std::size_t>(i)]) {
            list.freeNumber = ZeroPad(i, 4);
            break;
        }
    }
    return list;
}

}  // namespace kolvaro::reference
