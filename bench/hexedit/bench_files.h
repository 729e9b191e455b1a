// Large scratch files for the hex benchmarks, written in 1 MiB pieces.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/os.h"

namespace hexbench {

inline uint64_t NextRandom(uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

// Fills a file with pseudo-random bytes; returns false when it cannot be written.
inline bool WriteRandomFile(const std::string& path, int64_t size, uint64_t seed) {
    velmora::os::File f;
    if (!f.Open(path, velmora::os::File::Mode::Create)) return false;
    std::vector<uint64_t> block(1 << 17); // 1 MiB
    for (int64_t done = 0; done < size;) {
        for (uint64_t& w : block)
            w = NextRandom(seed);
        int32_t n = static_cast<int32_t>(std::min<int64_t>(size - done, 1 << 20));
        if (f.Write(block.data(), n) != n) return false;
        done += n;
    }
    return true;
}

} // namespace hexbench
