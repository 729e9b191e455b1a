// The undo journal's byte stream. It lives in memory while small; a removal of
// many bytes (whose record holds them all) moves it to a file beside the working
// copy, so that the journal never needs memory in proportion to the file.
//
// The journal also knows where its records end, so that dropping the oldest
// record needs no walk. On file, dropping moves the start instead of the bytes:
// the dead front is given back when the journal is small enough to come back
// into memory, or rewritten once it outgrows what is alive.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/os.h"

namespace velmora::hex {

class UndoJournal {
public:
    static constexpr int64_t kMemoryLimit = 1 << 20;

    // The file goes by spillBase (or spillBase + a number when that name is taken).
    explicit UndoJournal(std::string spillBase) : spillBase_(std::move(spillBase)) {}
    ~UndoJournal() { Clear(); }
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    int64_t Size() const { return size_; }
    bool Spilled() const { return file_.IsOpen(); }
    const std::string& SpillPath() const { return spillPath_; }
    // Bytes of the spill file before the live start (given back later).
    int64_t DeadBytes() const { return base_; }
    void Append(const void* data, int64_t count);
    // Appends count bytes of a file, read from position on, through a small buffer.
    void AppendFrom(os::File& source, int64_t position, int64_t count);
    // The bytes appended since the last EndRecord form one record.
    void EndRecord() { recordEnds_.push_back(size_); }
    int32_t RecordCount() const { return static_cast<int32_t>(recordEnds_.size()); }
    void DropOldestRecord();
    // Cuts the journal back to size (a record that could not be completed).
    void TruncateTo(int64_t size);
    // The little-endian 32-bit value at position.
    int32_t IntAt(int64_t position);
    void Read(int64_t position, void* data, int32_t count);
    // Removes the first count bytes.
    void DropFront(int64_t count);
    void Clear();
    // The whole stream (for tests and checks).
    std::vector<uint8_t> Bytes();

private:
    void Spill();
    void Unspill();
    void Compact();

    std::string spillBase_;
    std::string spillPath_;
    std::vector<uint8_t> memory_;
    os::File file_;
    int64_t base_ = 0; // where the live bytes start in the file
    int64_t size_ = 0;
    std::deque<int64_t> recordEnds_;
};

} // namespace velmora::hex
