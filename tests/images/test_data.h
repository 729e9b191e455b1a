#pragma once
#include <string>
#include <vector>

#include "html/images/picture.h"

namespace images_test {

inline std::string DataPath(const std::string& name) {
    return std::string(VELMORA_TEST_DATA) + "/images/" + name;
}

inline std::vector<uint8_t> ReadData(const std::string& name) {
    std::vector<uint8_t> bytes;
    velmora::images::ReadWholeFile(DataPath(name), bytes);
    return bytes;
}

} // namespace images_test
