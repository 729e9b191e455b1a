// The pieces of the directory tree's capacity report.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace velmora::explorer {

// Bytes in the non-folder entries directly in the folder (hidden and system
// files included); 0 when it cannot be searched.
int64_t FilesSizeIn(const std::string& folder);

// Bytes in the non-folder entries of the folder and of every folder below it.
// Links (junctions, symbolic links: reparse points) are counted as entries but
// never entered, so a link back up does not make the walk endless; keepAlive
// runs every few hundred entries so the caller's windows stay answering.
int64_t FolderTreeBytes(const std::string& folder, const std::function<void()>& keepAlive = {});

// Handles the paint messages waiting now (at most every 100 ms): a long walk
// leaves its windows drawn, while nothing else runs in between.
void KeepWindowsPainted();

// The amount as the report shows it: a byte count between 1 and 1023 counts as
// 1 KB; above 99999 KB it is given in MB. Two decimals, digits grouped with the
// locale's separators ("1,00 KB", "200,00 MB" in Turkish).
std::string CapacityAmountText(int64_t bytes);

// The whole text of the report's information box.
std::string CapacityReportText(const std::string& title, int64_t bytes);

} // namespace velmora::explorer
