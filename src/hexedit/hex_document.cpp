#include "hexedit/hex_document.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>

namespace velmora::hex {

// ---------------------------------------------------------------- change map

bool ChangeMap::Test(int32_t index) const {
    if (index < 0) return false;
    auto it = pages_.find(index / kPageBits);
    if (it == pages_.end()) return false;
    int32_t bit = index % kPageBits;
    return (it->second[bit / 64] >> (bit % 64)) & 1u;
}

void ChangeMap::Set(int32_t index) {
    if (index < 0) return;
    auto [it, inserted] = pages_.try_emplace(index / kPageBits);
    if (inserted) it->second.fill(0);
    int32_t bit = index % kPageBits;
    it->second[bit / 64] |= uint64_t{1} << (bit % 64);
}

void ChangeMap::CutTo(int32_t index) {
    if (index < 0) index = 0;
    int32_t page = index / kPageBits;
    pages_.erase(pages_.upper_bound(page), pages_.end());
    auto it = pages_.find(page);
    if (it == pages_.end()) return;
    int32_t bit = index % kPageBits;
    Page& p = it->second;
    for (int32_t w = bit / 64 + 1; w < kPageBits / 64; ++w)
        p[w] = 0;
    if (bit % 64)
        p[bit / 64] &= (uint64_t{1} << (bit % 64)) - 1;
    else
        p[bit / 64] = 0;
    if (std::all_of(p.begin(), p.end(), [](uint64_t w) { return w == 0; })) pages_.erase(it);
}

// ------------------------------------------------------------ working copy

namespace {

// Names handed out in this process: two editors created within one tick must
// not share a working copy.
std::set<std::string>& NamesInUse() {
    static std::set<std::string> names;
    return names;
}
std::mutex namesMutex;

std::string Trim(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = text.find_last_not_of(" \t");
    return text.substr(b, e - b + 1);
}

std::string WorkingCopyName() {
    std::string folder = Trim(os::TempFolder());
    if (folder.size() > 260) folder.resize(260);
    if (folder.empty() || folder.back() != os::PathSeparator()) folder += os::PathSeparator();
    std::lock_guard<std::mutex> lock(namesMutex);
    uint32_t tick = os::TickCount();
    for (;;) {
        char digits[9];
        static const char hex[] = "0123456789ABCDEF";
        for (int i = 0; i < 8; ++i)
            digits[i] = hex[(tick >> (28 - 4 * i)) & 0xF];
        digits[8] = 0;
        std::string name = folder + digits + ".KWTF";
        if (!os::FileExists(name) && NamesInUse().insert(name).second) return name;
        uint32_t now = os::TickCount();
        tick = now != tick ? now : tick + 1;
    }
}

void PutInt(std::vector<uint8_t>& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

const char* const kUndoTexts[] = {"Byte changed",  "Byte(s) removed", "Insert buffer", "Replace selection",
                                  "Append buffer", "Insert nibble",   "Delete nibble", "Convert"};

constexpr int32_t kCopyChunk = 1 << 20;

// Restores the cursor whatever happens.
struct WaitCursor {
    DocumentView& view;
    explicit WaitCursor(DocumentView& v) : view(v) { view.BeginWait(); }
    ~WaitCursor() { view.EndWait(); }
};

} // namespace

HexDocument::HexDocument() : window_(kWindowSize) {
    markers_.fill(-1);
    workPath_ = WorkingCopyName();
    journal_ = std::make_unique<UndoJournal>(workPath_ + ".undo");
}

HexDocument::~HexDocument() {
    CloseWorkingCopy(true);
    if (os::FileExists(workPath_)) os::RemoveFile(workPath_);
    std::lock_guard<std::mutex> lock(namesMutex);
    NamesInUse().erase(workPath_);
}

void HexDocument::CloseWorkingCopy(bool truncate) {
    if (work_.IsOpen()) {
        if (truncate) work_.Truncate(0);
        work_.Close();
    }
    dataSize_ = 0;
    InvalidateWindow();
}

bool HexDocument::OpenWorkingCopy() {
    InvalidateWindow();
    if (!work_.Open(workPath_, os::File::Mode::ReadWrite)) {
        dataSize_ = 0;
        return false;
    }
    int64_t size = work_.Size();
    dataSize_ = static_cast<int32_t>(std::clamp<int64_t>(size, 0, kMaxDocumentSize));
    return true;
}

bool HexDocument::StreamCopy(const std::string& from, const std::string& to) {
    os::File in, out;
    if (!in.Open(from, os::File::Mode::Read) || !out.Open(to, os::File::Mode::Create)) return false;
    std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
    for (;;) {
        int32_t n = in.Read(buffer.get(), kCopyChunk);
        if (n < 0) return false;
        if (n == 0) return true;
        if (out.Write(buffer.get(), n) != n) return false;
    }
}

bool HexDocument::ReadAt(int64_t position, void* buffer, int32_t count) {
    return work_.IsOpen() && work_.Seek(position) && work_.Read(buffer, count) == count;
}

void HexDocument::Rebuild() {
    changes_.CutTo(dataSize_);
    InvalidateWindow();
    view_->RebuildGrid();
}

int32_t HexDocument::RowCount() const {
    if (dataSize_ <= 0) return 1;
    return static_cast<int32_t>((static_cast<int64_t>(dataSize_) + bytesPerLine_ - 1) / bytesPerLine_);
}

// -------------------------------------------------------------- read window

void HexDocument::CoverWindow(int32_t position) {
    if (windowStart_ >= 0 && position >= windowStart_ &&
        static_cast<int64_t>(windowStart_) + kWindowSize >= static_cast<int64_t>(position) + bytesPerLine_)
        return;
    windowStart_ = std::max(0, position - kWindowSize / 2);
    int32_t want =
        static_cast<int32_t>(std::min<int64_t>(kWindowSize, std::max<int64_t>(0, dataSize_ - windowStart_)));
    windowLength_ = 0;
    if (want > 0 && work_.IsOpen() && work_.Seek(windowStart_))
        windowLength_ = std::max(0, work_.Read(window_.data(), want));
    ++windowLoads_;
}

uint8_t HexDocument::ByteAt(int32_t index) {
    CoverWindow(index);
    int32_t at = index - windowStart_;
    return at >= 0 && at < windowLength_ ? window_[at] : 0;
}

// -------------------------------------------------------------- load / save

bool HexDocument::LoadFromFile(const std::string& name) {
    // Offsets are 32-bit: a file of 2 GiB or more is refused before anything changes.
    if (os::FileSize(name) > kMaxDocumentSize) return false;
    CloseWorkingCopy(true);
    readOnly_ = true;
    {
        os::File probe;
        if (!os::FileExists(name) || !probe.Open(name, os::File::Mode::Read)) {
            view_->RepaintAll();
            return false;
        }
    }
    {
        os::File probe;
        readOnly_ = !probe.Open(name, os::File::Mode::ReadWrite);
    }
    bool opened = false;
    {
        WaitCursor wait(*view_);
        StreamCopy(name, workPath_);
        opened = OpenWorkingCopy();
        if (opened) fileName_ = name;
    }
    ClearUndo();
    changes_.Clear();
    ClearSelection(false);
    Rebuild();
    SetModified(false);
    selecting_ = false;
    MoveCaret(Caret{});
    if (!opened) throw std::runtime_error("Cannot open file \"" + workPath_ + "\"");
    return true;
}

std::string HexDocument::BackupName(const std::string& name) const {
    size_t slash = name.find_last_of("\\/:");
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return name.substr(0, dot) + backupExtension_;
    return name + backupExtension_;
}

bool HexDocument::SaveToFile(const std::string& name) {
    bool result = false;
    {
        WaitCursor wait(*view_);
        bool backupOk = true;
        if (createBackup_ && modified_ && name == fileName_) backupOk = StreamCopy(name, BackupName(name));
        if (backupOk) {
            bool hadStream = work_.IsOpen();
            work_.Close();
            InvalidateWindow();
            result = StreamCopy(workPath_, name);
            if (hadStream || os::FileExists(workPath_))
                OpenWorkingCopy();
            else
                dataSize_ = 0;
            if (result) {
                changes_.Clear();
                modified_ = false;
                readOnly_ = false;
                fileName_ = name;
                ClearUndo();
            }
        }
    }
    view_->RepaintAll();
    return result;
}

void HexDocument::NewEmptyDocument(const std::string& name) {
    CloseWorkingCopy(true);
    fileName_ = name;
    ClearUndo();
    ClearSelection(false);
    changes_.Clear();
    Rebuild();
    SetModified(false);
    readOnly_ = true;
    MoveCaret(Caret{});
}

// ------------------------------------------------------------------- edits

void HexDocument::ChangeByte(uint8_t oldValue, uint8_t newValue, int32_t index) {
    if (oldValue == newValue || index < 0 || index >= dataSize_) return;
    if (!RecordUndo(0, index, 1)) return;
    if (!work_.Seek(index) || work_.Write(&newValue, 1) != 1) throw std::runtime_error("Stream write error");
    if (windowStart_ >= 0 && index >= windowStart_ && index < windowStart_ + windowLength_)
        window_[index - windowStart_] = newValue;
    changes_.Set(index);
    view_->RepaintByte(index);
}

void HexDocument::AppendBytes(const uint8_t* buffer, int32_t count) {
    if (count < 1 || buffer == nullptr) return;
    if (static_cast<int64_t>(dataSize_) + count > kMaxDocumentSize) return; // would pass the 32-bit offsets
    RecordUndo(4, dataSize_, count);
    changes_.CutTo(dataSize_);
    int32_t old = dataSize_;
    if (!work_.IsOpen()) {
        if (os::FileExists(workPath_)) os::RemoveFile(workPath_);
        if (!work_.Open(workPath_, os::File::Mode::Create))
            throw std::runtime_error("Cannot create file \"" + workPath_ + "\"");
        changes_.Clear();
        old = 0;
    }
    if (old == 0) changes_.Clear();
    if (!work_.Truncate(static_cast<int64_t>(old) + count) || !work_.Seek(old) ||
        work_.Write(buffer, count) != count)
        throw std::runtime_error("Stream write error");
    dataSize_ = old + count;
    Rebuild();
    Caret to = caret_;
    to.byte = old;
    to.hexCell = 0;
    MoveCaret(to);
    anchor_ = selStart_ = old;
    selEnd_ = old + count - 1;
    view_->PostStateChange();
    view_->RepaintAll();
}

void HexDocument::DeleteSelection() {
    if (dataSize_ <= 0) return;
    int32_t start, end;
    Caret target = caret_;
    if (!HasSelection()) {
        start = caret_.byte;
        end = start + 1;
    } else {
        start = selStart_;
        end = selEnd_ + 1;
        target.byte = start;
        target.hexCell = 0;
    }
    if (start < 0 || start >= dataSize_) return;
    end = std::min(end, dataSize_);
    changes_.CutTo(start);
    if (!RecordUndo(1, start, end - start)) return;
    // Move the tail down in chunks: the file may be far larger than memory we want to hold.
    if (end < dataSize_) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[kCopyChunk]);
        int64_t from = end, to = start;
        while (from < dataSize_) {
            int32_t n = static_cast<int32_t>(std::min<int64_t>(kCopyChunk, dataSize_ - from));
            if (!ReadAt(from, buffer.get(), n) || !work_.Seek(to) || work_.Write(buffer.get(), n) != n)
                throw std::runtime_error("Stream write error");
            from += n;
            to += n;
        }
    }
    dataSize_ -= end - start;
    work_.Truncate(dataSize_);
    InvalidateWindow();
    if (target.byte >= dataSize_) {
        target.byte = std::max(0, dataSize_ - 1);
        target.hexCell = 0;
    }
    Rebuild();
    MoveCaret(target);
    ClearSelection(false);
    view_->RepaintAll();
}

// -------------------------------------------------------------- undo journal

bool HexDocument::RecordUndo(int kind, int32_t position, int32_t count) {
    bool allowed = dataSize_ > 0 || kind == 2 || kind == 4;
    if (allowed) {
        canUndo_ = true;
        lastUndoText_ = kUndoTexts[kind];
        ++undoCount_;
        if (undoCount_ > kMaxUndoRecords) DropOldestUndoRecord();
        std::vector<uint8_t> j;
        j.push_back(static_cast<uint8_t>(kind));
        j.push_back(kind == 0 && changes_.Test(position) ? 1 : 0);
        j.push_back(modified_ ? 1 : 0);
        PutInt(j, caret_.byte);
        j.push_back(caret_.charField ? 0 : static_cast<uint8_t>(caret_.hexCell));
        j.push_back(caret_.charField ? 1 : 0);
        PutInt(j, selStart_);
        PutInt(j, selEnd_);
        PutInt(j, anchor_);
        PutInt(j, position);
        PutInt(j, count);
        PutInt(j, 0);
        int32_t payload = 1;
        if (kind == 0) {
            uint8_t old = 0;
            if (!ReadAt(position, &old, 1)) old = 0;
            j.push_back(old);
            journal_->Append(j.data(), static_cast<int64_t>(j.size()));
        } else if (kind == 1) {
            // The removed bytes go straight from the working copy into the journal.
            payload = count;
            journal_->Append(j.data(), static_cast<int64_t>(j.size()));
            journal_->AppendFrom(work_, position, count);
        } else {
            j.push_back(0);
            journal_->Append(j.data(), static_cast<int64_t>(j.size()));
        }
        std::vector<uint8_t> tail;
        PutInt(tail,
               static_cast<int32_t>(37u + static_cast<uint32_t>(payload))); // wraps only past 2 GiB - 37
        journal_->Append(tail.data(), 4);
        if (kind == 1 || kind == 4) InvalidateWindow();
        modified_ = true;
    }
    view_->PostStateChange();
    return allowed;
}

void HexDocument::DropOldestUndoRecord() {
    int64_t pos = journal_->Size();
    int64_t oldestEnd = 0;
    while (pos >= 4) {
        int32_t length = journal_->IntAt(pos - 4);
        oldestEnd = pos;
        if (length < 37 || length > pos) break; // a broken journal: stop walking
        pos -= length;
    }
    journal_->DropFront(oldestEnd);
    --undoCount_;
}

void HexDocument::ClearUndo() {
    canUndo_ = false;
    lastUndoText_ = "No Undo";
    undoCount_ = 0;
    journal_->Clear();
    view_->StateChangedNow();
}

// ------------------------------------------------------------------ search

int32_t HexDocument::Find(uint8_t* buffer, int32_t count, int32_t start, int32_t endPos, bool ignoreCase,
                          bool translate) {
    if (endPos >= dataSize_) endPos = dataSize_ - 1;
    if (start < 0) start = 0; // a negative start would read before the file
    if (buffer == nullptr || count < 1 ||
        static_cast<int64_t>(start) + count > static_cast<int64_t>(endPos) + 1)
        return -1;
    WaitCursor wait(*view_);
    if (translate && translation_ != TTranslationType::ttAnsi) TranslateBuffer(translation_, buffer, count);
    uint8_t lower[256];
    for (int i = 0; i < 256; ++i)
        lower[i] = static_cast<uint8_t>(os::LowerAnsi(static_cast<char>(i)));
    if (ignoreCase)
        for (int32_t i = 0; i < count; ++i)
            buffer[i] = lower[buffer[i]];

    // Leftmost match lying wholly in start..endPos, read through chunks that
    // overlap by count - 1 bytes so that no match is cut.
    const int32_t chunk = std::max<int32_t>(kWindowSize, 2 * count);
    std::unique_ptr<uint8_t[]> data(new uint8_t[chunk]);
    std::unique_ptr<std::boyer_moore_horspool_searcher<const uint8_t*>> searcher;
    if (count > 16)
        searcher =
            std::make_unique<std::boyer_moore_horspool_searcher<const uint8_t*>>(buffer, buffer + count);
    // Ignoring case, a short pattern is looked for by the few bytes that fold to
    // its first byte, without folding the whole chunk.
    uint8_t variants[3];
    int variantCount = 0;
    bool foldChunk = ignoreCase && searcher != nullptr;
    if (ignoreCase && !searcher) {
        for (int b = 0; b < 256 && variantCount <= 3; ++b)
            if (lower[b] == buffer[0]) {
                if (variantCount < 3) variants[variantCount] = static_cast<uint8_t>(b);
                ++variantCount;
            }
        if (variantCount > 3) foldChunk = true;
    }
    auto matchesFolded = [&](const uint8_t* p) {
        for (int32_t j = 1; j < count; ++j)
            if (lower[p[j]] != buffer[j]) return false;
        return true;
    };
    // Index of the leftmost match in data[0..n), or -1.
    auto searchChunk = [&](const uint8_t* begin, int32_t n) -> int64_t {
        const uint8_t* last = begin + n - count; // last possible start
        if (searcher) {
            const uint8_t* hit = std::search(begin, begin + n, *searcher);
            return hit != begin + n ? hit - begin : -1;
        }
        if (ignoreCase && !foldChunk) {
            const uint8_t* next[3] = {nullptr, nullptr, nullptr};
            const size_t span = static_cast<size_t>(last - begin) + 1;
            for (int k = 0; k < variantCount; ++k)
                next[k] = static_cast<const uint8_t*>(std::memchr(begin, variants[k], span));
            for (;;) {
                int best = -1;
                for (int k = 0; k < variantCount; ++k)
                    if (next[k] && (best < 0 || next[k] < next[best])) best = k;
                if (best < 0) return -1;
                const uint8_t* p = next[best];
                if (matchesFolded(p)) return p - begin;
                next[best] = p < last ? static_cast<const uint8_t*>(
                                            std::memchr(p + 1, variants[best], static_cast<size_t>(last - p)))
                                      : nullptr;
            }
        }
        const uint8_t first = buffer[0];
        const uint8_t* p = begin;
        while (p <= last) {
            p = static_cast<const uint8_t*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
            if (p == nullptr) return -1;
            if (std::memcmp(p + 1, buffer + 1, static_cast<size_t>(count - 1)) == 0) return p - begin;
            ++p;
        }
        return -1;
    };
    int64_t pos = start;
    const int64_t stop = static_cast<int64_t>(endPos) + 1;
    while (pos + count <= stop) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(chunk, stop - pos));
        if (!ReadAt(pos, data.get(), n)) return -1;
        if (foldChunk)
            for (int32_t i = 0; i < n; ++i)
                data[i] = lower[data[i]];
        int64_t hit = searchChunk(data.get(), n);
        if (hit >= 0) return static_cast<int32_t>(pos + hit);
        if (pos + n >= stop) break;
        pos += n - (count - 1);
    }
    return -1;
}

// ------------------------------------------------------------ caret, select

void HexDocument::MoveCaret(const Caret& to) {
    Caret old = caret_;
    caret_ = to;
    if (!caret_.charField)
        caret_.hexCell = caret_.hexCell ? 1 : 0;
    else
        caret_.hexCell = 0;
    view_->CaretMoved(old);
}

bool HexDocument::Seek(int32_t offset, int32_t origin, bool strict) {
    int64_t base = SelStart();
    int64_t target;
    switch (origin) {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<int64_t>(offset) + base;
        break;
    case 2:
        target = static_cast<int64_t>(offset) + dataSize_ - 1;
        break;
    default:
        target = base;
        break;
    }
    if (dataSize_ <= 0) return false;
    if (target < 0) {
        if (strict) return false;
        target = 0;
    }
    if (target >= dataSize_) {
        if (strict) return false;
        target = dataSize_ - 1;
    }
    SetSelStart(static_cast<int32_t>(target));
    return true;
}

int32_t HexDocument::SelStart() const {
    if (dataSize_ <= 0) return 0;
    return std::clamp(caret_.byte, 0, dataSize_ - 1);
}

void HexDocument::SetSelStart(int32_t value) {
    if (value < 0 || value >= dataSize_) throw std::runtime_error("Invalid SelStart");
    ClearSelection(true);
    Caret to = caret_;
    to.byte = value;
    to.hexCell = 0;
    MoveCaret(to);
}

int32_t HexDocument::SelEnd() const {
    if (!HasSelection()) return SelStart();
    return anchor_ == selEnd_ ? selStart_ : selEnd_;
}

void HexDocument::SetSelEnd(int32_t value) {
    if (value < 0 || value >= dataSize_) throw std::runtime_error("Invalid SelEnd");
    ClearSelection(true);
    anchor_ = SelStart();
    selStart_ = std::min(anchor_, value);
    selEnd_ = std::max(anchor_, value);
    view_->RepaintRows(selStart_ / bytesPerLine_, selEnd_ / bytesPerLine_);
    view_->PostStateChange();
}

void HexDocument::ClearSelection(bool repaint) {
    selecting_ = false;
    int32_t oldStart = selStart_, oldEnd = selEnd_;
    anchor_ = selStart_ = selEnd_ = -1;
    if (repaint && oldStart >= 0) view_->RepaintRows(oldStart / bytesPerLine_, oldEnd / bytesPerLine_);
    view_->PostStateChange();
}

void HexDocument::ExtendSelection(int32_t fromByte, int32_t toByte) {
    int32_t g = toByte;
    const int32_t bpl = bytesPerLine_;
    if (anchor_ < 0) {
        anchor_ = fromByte;
        selStart_ = std::min(g, anchor_);
        selEnd_ = std::max(g, anchor_);
        view_->RepaintRows(selStart_ / bpl, selEnd_ / bpl);
    } else {
        int32_t oldStart = selStart_, oldEnd = selEnd_;
        if (g < anchor_) {
            selStart_ = g;
            selEnd_ = anchor_;
        } else {
            selStart_ = anchor_;
            selEnd_ = g;
        }
        view_->RepaintRows(std::min(oldStart, selStart_) / bpl, std::max(oldStart, selStart_) / bpl);
        view_->RepaintRows(std::min(oldEnd, selEnd_) / bpl, std::max(oldEnd, selEnd_) / bpl);
    }
    view_->PostStateChange();
}

// ----------------------------------------------------------------- markers

void HexDocument::SetMarker(int32_t index, int32_t row) {
    if (index < 0 || index > 9) throw std::runtime_error("SetMarker : Invalid marker index");
    if (markers_[index] != row) {
        markers_[index] = row;
        view_->RepaintAll();
    }
}

int32_t HexDocument::Marker(int32_t index) const {
    int32_t row = markers_.at(index);
    return row < 0 ? CaretRow() : row;
}

int32_t HexDocument::MarkerOfRow(int32_t row) const {
    for (int32_t i = 0; i < 10; ++i)
        if (markers_[i] == row) return i;
    return -1;
}

// -------------------------------------------------------------- properties

void HexDocument::SetModified(bool value) {
    modified_ = value;
    if (!value) {
        changes_.Clear();
        canUndo_ = false;
        view_->RepaintAll();
    }
}

void HexDocument::SetReadOnlyDoc(bool value) {
    if (value && !readOnly_) {
        readOnly_ = true;
        view_->PostStateChange();
    }
}

void HexDocument::SetBytesPerLine(int32_t value) {
    if (value <= 0 || value > 256) throw std::runtime_error("Invalid BytesPerLine argument");
    if (value == bytesPerLine_) return;
    bytesPerLine_ = value;
    Rebuild();
    MoveCaret(caret_);
}

void HexDocument::SetTranslation(TTranslationType value) {
    if (value == translation_) return;
    translation_ = value;
    view_->RepaintAll();
}

} // namespace velmora::hex
