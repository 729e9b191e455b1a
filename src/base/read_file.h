// A whole file read into memory: all of its bytes or a failure, never a part
// of it taken for the whole.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

enum class ReadFailure {
    None,
    CannotOpen, // missing, a folder, or no access
    TooLarge,   // more bytes than the caller's limit, or than memory can hold
    ReadFailed, // an input/output error, or the file ended before its size
};

struct ReadResult {
    ReadFailure failure = ReadFailure::None;
    std::string bytes; // the whole file; empty on a failure
    bool Ok() const { return failure == ReadFailure::None; }
    explicit operator bool() const { return Ok(); }
};

// The file's bytes when it has at most `limit` of them and every one of them
// could be read.
ReadResult ReadWholeFile(const std::string& path, int64_t limit);

} // namespace velmora
