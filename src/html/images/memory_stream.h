// The stream an application hands to the picture cache (OnImageRequest).
#pragma once
#include <cstdint>
#include <vector>

namespace velmora::images {

class TMemoryStream {
public:
    std::vector<uint8_t>& Data() { return data_; }
    const std::vector<uint8_t>& Data() const { return data_; }
    size_t Size() const { return data_.size(); }
    size_t Position() const { return position_; }
    void SetPosition(size_t p) { position_ = p < data_.size() ? p : data_.size(); }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

} // namespace velmora::images
