#include "hexedit/undo_journal.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace velmora::hex {

namespace {
constexpr int32_t kChunk = 1 << 20;
constexpr int kSpillNameTries = 100;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}
} // namespace

void UndoJournal::Spill() {
    // Claimed like the working copy: never another process's file.
    for (int i = 0; i < kSpillNameTries && !file_.IsOpen(); ++i) {
        spillPath_ = i == 0 ? spillBase_ : spillBase_ + std::to_string(i);
        if (file_.Open(spillPath_, os::File::Mode::CreateNew)) break;
        if (!os::FileExists(spillPath_)) break;
    }
    if (!file_.IsOpen()) Fail("Cannot create file \"" + spillBase_ + "\"");
    base_ = 0;
    if (!memory_.empty() && file_.Write(memory_.data(), static_cast<int32_t>(memory_.size())) !=
                                static_cast<int32_t>(memory_.size())) {
        file_.Close();
        os::RemoveFile(spillPath_);
        Fail("Stream write error");
    }
    memory_.clear();
    memory_.shrink_to_fit();
}

void UndoJournal::Unspill() {
    std::vector<uint8_t> live(static_cast<size_t>(size_));
    if (size_ > 0 && (!file_.Seek(base_) ||
                      file_.Read(live.data(), static_cast<int32_t>(size_)) != static_cast<int32_t>(size_)))
        return; // stays on file
    file_.Close();
    os::RemoveFile(spillPath_);
    memory_ = std::move(live);
    base_ = 0;
}

void UndoJournal::Compact() {
    // Only when the dead front is larger than the live part: the copy never
    // overwrites live bytes, so a failure here loses nothing.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    for (int64_t done = 0; done < size_;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunk, size_ - done));
        if (!file_.Seek(base_ + done) || file_.Read(buffer.get(), n) != n || !file_.Seek(done) ||
            file_.Write(buffer.get(), n) != n)
            return;
        done += n;
    }
    base_ = 0;
    file_.Truncate(size_);
}

void UndoJournal::Append(const void* data, int64_t count) {
    if (count <= 0) return;
    if (!Spilled() && size_ + count > kMemoryLimit) Spill();
    if (Spilled()) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (!file_.Seek(base_ + size_)) Fail("Stream write error");
        for (int64_t done = 0; done < count;) {
            int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunk, count - done));
            if (file_.Write(bytes + done, n) != n) Fail("Stream write error");
            done += n;
        }
    } else {
        const auto* bytes = static_cast<const uint8_t*>(data);
        memory_.insert(memory_.end(), bytes, bytes + count);
    }
    size_ += count;
}

void UndoJournal::AppendFrom(os::File& source, int64_t position, int64_t count) {
    if (count <= 0) return;
    if (!Spilled() && size_ + count > kMemoryLimit) Spill();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(std::min<int64_t>(kChunk, count))]);
    for (int64_t done = 0; done < count;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunk, count - done));
        if (!source.Seek(position + done) || source.Read(buffer.get(), n) != n) Fail("Stream read error");
        Append(buffer.get(), n);
        done += n;
    }
}

void UndoJournal::Read(int64_t position, void* data, int32_t count) {
    if (position < 0 || count < 0 || position + count > size_) Fail("Stream read error");
    if (Spilled()) {
        if (!file_.Seek(base_ + position) || file_.Read(data, count) != count) Fail("Stream read error");
    } else {
        std::memcpy(data, memory_.data() + position, static_cast<size_t>(count));
    }
}

int32_t UndoJournal::IntAt(int64_t position) {
    uint8_t b[4];
    Read(position, b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void UndoJournal::DropOldestRecord() {
    if (!recordEnds_.empty()) DropFront(recordEnds_.front());
}

void UndoJournal::DropFront(int64_t count) {
    count = std::clamp<int64_t>(count, 0, size_);
    if (count == 0) return;
    while (!recordEnds_.empty() && recordEnds_.front() <= count)
        recordEnds_.pop_front();
    for (int64_t& end : recordEnds_)
        end -= count;
    size_ -= count;
    if (!Spilled()) {
        memory_.erase(memory_.begin(), memory_.begin() + static_cast<std::ptrdiff_t>(count));
        return;
    }
    base_ += count;
    if (size_ <= kMemoryLimit / 2)
        Unspill();
    else if (base_ > size_ && base_ >= kMemoryLimit)
        Compact();
}

void UndoJournal::TruncateTo(int64_t size) {
    size = std::clamp<int64_t>(size, 0, size_);
    while (!recordEnds_.empty() && recordEnds_.back() > size)
        recordEnds_.pop_back();
    size_ = size;
    if (Spilled())
        file_.Truncate(base_ + size_); // the size above is what counts if this fails
    else
        memory_.resize(static_cast<size_t>(size_));
}

void UndoJournal::Clear() {
    memory_.clear();
    memory_.shrink_to_fit();
    if (file_.IsOpen()) {
        file_.Close();
        os::RemoveFile(spillPath_);
    }
    base_ = 0;
    size_ = 0;
    recordEnds_.clear();
}

std::vector<uint8_t> UndoJournal::Bytes() {
    if (!Spilled()) return memory_;
    std::vector<uint8_t> all(static_cast<size_t>(size_));
    for (int64_t at = 0; at < size_;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunk, size_ - at));
        Read(at, all.data() + at, n);
        at += n;
    }
    return all;
}

} // namespace velmora::hex
