#pragma once
#include <string>
#include <vector>

#include "base/read_file.h"
#include "html/images/picture.h"

namespace images_test {

inline std::string DataPath(const std::string& name) {
    return std::string(VELMORA_TEST_DATA) + "/images/" + name;
}

inline std::vector<uint8_t> ReadData(const std::string& name) {
    const velmora::ReadResult read = velmora::ReadWholeFile(DataPath(name), velmora::images::kMaxFileBytes);
    return std::vector<uint8_t>(read.bytes.begin(), read.bytes.end());
}

} // namespace images_test
