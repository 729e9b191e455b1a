// The undo journal's byte stream. It lives in memory while small; a removal of
// many bytes (whose record holds them all) moves it to a file beside the working
// copy, so that the journal never needs memory in proportion to the file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/os.h"

namespace velmora::hex {

class UndoJournal {
public:
    static constexpr int64_t kMemoryLimit = 1 << 20;

    explicit UndoJournal(std::string spillPath) : spillPath_(std::move(spillPath)) {}
    ~UndoJournal() { Clear(); }
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    int64_t Size() const { return size_; }
    bool Spilled() const { return file_.IsOpen(); }
    void Append(const void* data, int64_t count);
    // Appends count bytes of a file, read from position on, through a small buffer.
    void AppendFrom(os::File& source, int64_t position, int64_t count);
    // The little-endian 32-bit value at position.
    int32_t IntAt(int64_t position);
    // Removes the first count bytes, moving the rest to the front.
    void DropFront(int64_t count);
    void Clear();
    // The whole stream (for tests and checks).
    std::vector<uint8_t> Bytes();

private:
    void Spill();
    void Read(int64_t position, void* data, int32_t count);

    std::string spillPath_;
    std::vector<uint8_t> memory_;
    os::File file_;
    int64_t size_ = 0;
};

} // namespace velmora::hex
