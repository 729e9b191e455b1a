#include "base/os.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "base/os_faults.h"

namespace velmora::os {

namespace {

struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
    CaseTables() {
        for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
        auto pair = [this](int up, int low) {
            upper[low] = static_cast<unsigned char>(up);
            lower[up] = static_cast<unsigned char>(low);
        };
        for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
        pair(0x8A, 0x9A); // S caron
        pair(0x8C, 0x9C); // OE
        pair(0x9F, 0xFF); // Y diaeresis
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7 && c != 0xDD) pair(c, c + 32);
        upper[0xFD] = 'I'; // dotless i
        lower[0xDD] = 'i'; // dotted capital I
    }
};

const CaseTables& Tables() {
    static const CaseTables tables;
    return tables;
}

} // namespace

char UpperAnsi(char c) { return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]); }
char LowerAnsi(char c) { return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]); }

std::string AnsiUpperCase(std::string text) {
    for (char& c : text) c = UpperAnsi(c);
    return text;
}

std::string AnsiLowerCase(std::string text) {
    for (char& c : text) c = LowerAnsi(c);
    return text;
}

// ------------------------------------------------------------- test hooks

namespace {
std::mutex faultMutex;
FileFaults activeFaults;
std::atomic<bool> faultsOn{false};
FileCounters counters;
std::atomic<int64_t> frozenTick{-1};

int32_t Allowance(int64_t FileFaults::*budget, int32_t count) {
    if (!faultsOn.load(std::memory_order_relaxed) || count <= 0) return count;
    std::lock_guard<std::mutex> lock(faultMutex);
    int64_t& left = activeFaults.*budget;
    if (left < 0) return count;
    int32_t allowed = static_cast<int32_t>(std::min<int64_t>(left, count));
    left -= allowed;
    // A passing fault: the write that meets it fails, later ones work again.
    if (allowed < count && budget == &FileFaults::writeBytes && activeFaults.writeRecovers) left = -1;
    return allowed;
}

bool Flag(bool FileFaults::*flag) {
    if (!faultsOn.load(std::memory_order_relaxed)) return false;
    std::lock_guard<std::mutex> lock(faultMutex);
    return activeFaults.*flag;
}
} // namespace

void InjectFileFaults(const FileFaults& faults) {
    std::lock_guard<std::mutex> lock(faultMutex);
    activeFaults = faults;
    faultsOn = true;
}

void ClearFileFaults() {
    std::lock_guard<std::mutex> lock(faultMutex);
    activeFaults = FileFaults{};
    faultsOn = false;
}

FileCounters Counters() {
    std::lock_guard<std::mutex> lock(faultMutex);
    return counters;
}

void FreezeTickCount(int64_t value) { frozenTick = value; }

namespace faults {
int32_t WriteAllowance(int32_t count) { return Allowance(&FileFaults::writeBytes, count); }
int32_t ReadAllowance(int32_t count) { return Allowance(&FileFaults::readBytes, count); }
void Wrote(int32_t count) {
    std::lock_guard<std::mutex> lock(faultMutex);
    ++counters.writes;
    if (count > 0) counters.bytesWritten += count;
}
void Read(int32_t count) {
    std::lock_guard<std::mutex> lock(faultMutex);
    ++counters.reads;
    if (count > 0) counters.bytesRead += count;
}
bool TruncateFails() {
    {
        std::lock_guard<std::mutex> lock(faultMutex);
        ++counters.truncates;
    }
    return Flag(&FileFaults::failTruncate);
}
bool FlushFails() {
    {
        std::lock_guard<std::mutex> lock(faultMutex);
        ++counters.flushes;
    }
    return Flag(&FileFaults::failFlush);
}
bool ReplaceFails() { return Flag(&FileFaults::failReplace); }
bool CreateFails() { return Flag(&FileFaults::failCreate); }
int64_t FrozenTick() { return frozenTick.load(); }
} // namespace faults

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

File::~File() { Close(); }

bool File::IsOpen() const { return handle_ != -1; }

} // namespace velmora::os
