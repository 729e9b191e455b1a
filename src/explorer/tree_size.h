// The pieces of the directory tree's capacity report.
#pragma once
#include <cstdint>
#include <string>

namespace velmora::explorer {

// Bytes in the non-folder entries directly in the folder (hidden and system
// files included); 0 when it cannot be searched.
int64_t FilesSizeIn(const std::string& folder);

// The amount as the report shows it: a byte count between 1 and 1023 counts as
// 1 KB; above 99999 KB it is given in MB. Two decimals, digits grouped with the
// locale's separators ("1,00 KB", "200,00 MB" in Turkish).
std::string CapacityAmountText(int64_t bytes);

// The whole text of the report's information box.
std::string CapacityReportText(const std::string& title, int64_t bytes);

} // namespace velmora::explorer
