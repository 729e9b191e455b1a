#include "base/read_file.h"

#include <algorithm>
#include <new>

#include "base/os.h"

namespace velmora {

namespace {

ReadResult Failed(ReadFailure failure) {
    ReadResult result;
    result.failure = failure;
    return result;
}

} // namespace

ReadResult ReadWholeFile(const std::string& path, int64_t limit) {
    os::File file;
    if (!file.Open(path, os::File::Mode::Read)) return Failed(ReadFailure::CannotOpen);
    const int64_t size = file.Size();
    if (size < 0) return Failed(ReadFailure::ReadFailed);
    ReadResult result;
    if (size > limit || static_cast<uint64_t>(size) > result.bytes.max_size())
        return Failed(ReadFailure::TooLarge);
    try {
        result.bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        return Failed(ReadFailure::TooLarge);
    }
    int64_t done = 0;
    while (done < size) {
        const int32_t chunk = static_cast<int32_t>(std::min<int64_t>(size - done, 1 << 24));
        const int32_t n = file.Read(result.bytes.data() + done, chunk);
        // Nothing more (the file was cut short meanwhile) is a failure too.
        if (n <= 0) return Failed(ReadFailure::ReadFailed);
        done += n;
    }
    return result;
}

} // namespace velmora
