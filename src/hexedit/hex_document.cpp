#include "hexedit/hex_document.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
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

std::string Trim(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = text.find_last_not_of(" \t");
    return text.substr(b, e - b + 1);
}

// The temp folder, the tick count as 8 hex digits, ".KWTF". The file is made
// at once and exclusively, so that no other editor, in this process or in
// another one started in the same tick, ever gets the same working copy. When
// the folder takes no files the name is returned unclaimed (claimed = false).
std::string ClaimWorkingCopy(bool& claimed) {
    std::string folder = Trim(os::TempFolder());
    if (folder.size() > 260) folder.resize(260);
    if (folder.empty() || folder.back() != os::PathSeparator()) folder += os::PathSeparator();
    uint32_t tick = os::TickCount();
    std::string name;
    for (int tries = 0; tries < 100000; ++tries) {
        char digits[9];
        static const char hex[] = "0123456789ABCDEF";
        for (int i = 0; i < 8; ++i)
            digits[i] = hex[(tick >> (28 - 4 * i)) & 0xF];
        digits[8] = 0;
        name = folder + digits + ".KWTF";
        os::File file;
        if (file.Open(name, os::File::Mode::CreateNew)) {
            claimed = true;
            return name;
        }
        if (!os::FileExists(name)) break; // not taken, just not possible
        // The then current tick when it has moved past this one, else the next value.
        const uint32_t now = os::TickCount();
        tick = now - tick - 1 < 0x80000000u ? now : tick + 1;
    }
    claimed = false;
    return name;
}

void PutInt(std::vector<uint8_t>& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

const char* const kUndoTexts[] = {"Byte changed",  "Byte(s) removed", "Insert buffer", "Replace selection",
                                  "Append buffer", "Insert nibble",   "Delete nibble", "Convert"};

constexpr int32_t kCopyChunk = 1 << 20;
constexpr int32_t kRecordHeader = 33;

// Restores the cursor whatever happens.
struct WaitCursor {
    DocumentView& view;
    explicit WaitCursor(DocumentView& v) : view(v) { view.BeginWait(); }
    ~WaitCursor() { view.EndWait(); }
};

} // namespace

std::string HexErrorText(HexError error, WriteFailure detail) {
    switch (error) {
    case HexError::None:
        return {};
    case HexError::NotFound:
        return "Dosya bulunamadı.";
    case HexError::CannotRead:
        return "Dosya okunamadı.";
    case HexError::TooLarge:
        return "Dosya 2 GB ya da daha büyük olduğu için hex editörde açılamaz.";
    case HexError::CopyFailed:
        return "Dosyanın geçici kopyası tam olarak alınamadı (geçici klasörde yer kalmamış ya da dosya "
               "okunamamış olabilir); dosya açılmadı.";
    case HexError::NoWorkingCopy:
        return "Geçici klasörde çalışma dosyası oluşturulamadı; dosya açılmadı.";
    case HexError::BackupFailed:
        return "Yedek dosya yazılamadığı için dosya kaydedilmedi. " + WriteFailureText(detail);
    case HexError::SaveFailed:
        return WriteFailureText(detail);
    case HexError::EditFailed:
        return "Değişiklik çalışma dosyasına yazılamadı; belge değişmedi.";
    case HexError::Damaged:
        return "Çalışma dosyasına yazılamadığı için belge bozuldu; artık kaydedilemez.";
    }
    return {};
}

HexDocument::HexDocument() : window_(kWindowSize) {
    markers_.fill(-1);
    Claim();
}

HexDocument::~HexDocument() {
    CloseWorkingCopy(true);
    journal_->Clear();
    claim_.Close();
    if (workClaimed_) os::RemoveFile(workPath_);
}

void HexDocument::Claim() {
    workPath_ = ClaimWorkingCopy(workClaimed_);
    journal_ = std::make_unique<UndoJournal>(workPath_ + ".undo");
    // Held open for the editor's life: the start-up clean-up of another
    // instance removes only working copies that no process holds.
    if (workClaimed_) claim_.Open(workPath_, os::File::Mode::Read);
}

void HexDocument::SetFileName(const std::string& name) {
    fileName_ = name;
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

// Copies the file into the working copy and checks that all of it arrived: a
// short copy must never become a document that a save writes over the file.
HexError HexDocument::CopyIntoWorkingCopy(const std::string& name) {
    if (!workClaimed_) {
        Claim();
        if (!workClaimed_) return HexError::NoWorkingCopy;
    }
    os::File in, out;
    if (!in.Open(name, os::File::Mode::Read)) return HexError::CannotRead;
    if (!out.Open(workPath_, os::File::Mode::Create)) return HexError::NoWorkingCopy;
    const int64_t expected = in.Size();
    HexError result = expected < 0 ? HexError::CannotRead : HexError::None;
    int64_t copied = 0;
    std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
    while (result == HexError::None) {
        int32_t n = in.Read(buffer.get(), kCopyChunk);
        if (n < 0) result = HexError::CopyFailed;
        if (n <= 0) break;
        if (copied + n > kMaxDocumentSize)
            result = HexError::TooLarge; // it grew while being read
        else if (out.Write(buffer.get(), n) != n)
            result = HexError::CopyFailed;
        copied += n;
    }
    if (result == HexError::None && (copied < expected || out.Size() != copied))
        result = HexError::CopyFailed;
    if (result != HexError::None) out.Truncate(0); // give the temp folder its space back
    return result;
}

bool HexDocument::ReadAt(int64_t position, void* buffer, int32_t count) {
    return work_.IsOpen() && work_.Seek(position) && work_.Read(buffer, count) == count;
}

bool HexDocument::WriteAt(int64_t position, const void* buffer, int32_t count) {
    return work_.IsOpen() && work_.Seek(position) && work_.Write(buffer, count) == count;
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
    lastError_ = HexError::None;
    lastWriteFailure_ = WriteFailure::None;
    {
        os::File probe;
        if (!os::FileExists(name)) return Refuse(HexError::NotFound);
        // Offsets are 32-bit: a file of 2 GiB or more cannot be shown.
        if (os::FileSize(name) > kMaxDocumentSize) return Refuse(HexError::TooLarge);
        if (!probe.Open(name, os::File::Mode::Read)) return Refuse(HexError::CannotRead);
    }
    bool writable = false;
    {
        os::File probe;
        writable = probe.Open(name, os::File::Mode::ReadWrite);
    }
    HexError copy = HexError::None;
    {
        WaitCursor wait(*view_);
        CloseWorkingCopy(true);
        copy = CopyIntoWorkingCopy(name);
        if (copy == HexError::None && !OpenWorkingCopy()) copy = HexError::NoWorkingCopy;
    }
    if (copy != HexError::None) return Refuse(copy);
    fileName_ = name;
    readOnly_ = !writable;
    damaged_ = false;
    ClearUndo();
    changes_.Clear();
    ClearSelection(false);
    Rebuild();
    SetModified(false);
    selecting_ = false;
    MoveCaret(Caret{});
    return true;
}

// A refused load never leaves the previous document under the new name: the
// editor is emptied, read-only and nameless, and LastError says why.
bool HexDocument::Refuse(HexError reason) {
    NewEmptyDocument("");
    lastError_ = reason;
    return false;
}

std::string HexDocument::BackupName(const std::string& name) const {
    size_t slash = name.find_last_of("\\/:");
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return name.substr(0, dot) + backupExtension_;
    return name + backupExtension_;
}

bool HexDocument::SaveToFile(const std::string& name) {
    lastError_ = HexError::None;
    lastWriteFailure_ = WriteFailure::None;
    bool result = false;
    {
        WaitCursor wait(*view_);
        result = SaveTo(name);
    }
    view_->RepaintAll();
    return result;
}

bool HexDocument::SaveTo(const std::string& name) {
    auto fail = [this](HexError error, WriteFailure detail) {
        lastError_ = error;
        lastWriteFailure_ = detail;
        return false;
    };
    // The working copy no longer holds what the user made of the file.
    if (damaged_) return fail(HexError::Damaged, WriteFailure::None);
    if (os::SameFile(name, workPath_)) return fail(HexError::SaveFailed, WriteFailure::ReplaceFailed);
    // The new file is made first: a target that cannot be written gets no backup either.
    SafeFileWriter writer(name);
    if (!writer.Begin()) return fail(HexError::SaveFailed, writer.Failure());
    if (createBackup_ && modified_ && name == fileName_ && os::FileExists(name)) {
        // "x.bak" is its own backup name: copying it onto itself would only put it at risk.
        const std::string backup = BackupName(name);
        if (backup != name && !os::SameFile(backup, name)) {
            WriteResult copied = SafeCopyFile(name, backup);
            if (!copied) return fail(HexError::BackupFailed, copied.failure);
        }
    }
    // Exactly the bytes the user sees: DataSize bytes of the working copy.
    if (dataSize_ > 0 && (!work_.IsOpen() || !work_.Seek(0))) writer.Fail(WriteFailure::SourceFailed);
    std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
    for (int64_t done = 0; done < dataSize_ && writer.Failure() == WriteFailure::None;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kCopyChunk, dataSize_ - done));
        if (work_.Read(buffer.get(), n) != n) {
            writer.Fail(WriteFailure::SourceFailed);
            break;
        }
        writer.Write(buffer.get(), n);
        done += n;
    }
    WriteResult written = writer.Commit();
    if (!written) return fail(HexError::SaveFailed, written.failure);
    changes_.Clear();
    modified_ = false;
    readOnly_ = false;
    fileName_ = name;
    ClearUndo();
    return true;
}

void HexDocument::NewEmptyDocument(const std::string& name) {
    CloseWorkingCopy(true);
    fileName_ = name;
    damaged_ = false;
    ClearUndo();
    ClearSelection(false);
    changes_.Clear();
    Rebuild();
    SetModified(false);
    readOnly_ = true;
    MoveCaret(Caret{});
}

// ------------------------------------------------------------------- edits

HexDocument::UndoState HexDocument::SaveUndoState() const {
    return UndoState{canUndo_, modified_, lastUndoText_};
}

// Takes back the record of an edit that could not be made.
void HexDocument::RestoreUndoState(const UndoState& state) {
    journal_->TruncateTo(lastRecordStart_);
    canUndo_ = state.canUndo;
    modified_ = state.modified;
    lastUndoText_ = state.lastText;
}

void HexDocument::ChangeByte(uint8_t oldValue, uint8_t newValue, int32_t index) {
    if (oldValue == newValue || index < 0 || index >= dataSize_) return;
    const UndoState before = SaveUndoState();
    if (!RecordUndo(0, index, 1)) return;
    if (!WriteAt(index, &newValue, 1)) {
        RestoreUndoState(before);
        lastError_ = HexError::EditFailed;
        throw std::runtime_error(LastErrorText());
    }
    if (windowStart_ >= 0 && index >= windowStart_ && index < windowStart_ + windowLength_)
        window_[index - windowStart_] = newValue;
    changes_.Set(index);
    KeepUndoLimit();
    view_->RepaintByte(index);
}

void HexDocument::AppendBytes(const uint8_t* buffer, int32_t count) {
    if (count < 1 || buffer == nullptr) return;
    if (static_cast<int64_t>(dataSize_) + count > kMaxDocumentSize) return; // would pass the 32-bit offsets
    const UndoState before = SaveUndoState();
    RecordUndo(4, dataSize_, count);
    int32_t old = dataSize_;
    auto failed = [&](HexError error) {
        if (work_.IsOpen()) work_.Truncate(old);
        InvalidateWindow();
        RestoreUndoState(before);
        lastError_ = error;
        throw std::runtime_error(LastErrorText());
    };
    if (!work_.IsOpen()) {
        if (!workClaimed_) Claim();
        if (!workClaimed_ || !work_.Open(workPath_, os::File::Mode::Create)) failed(HexError::NoWorkingCopy);
        old = 0;
    }
    if (!work_.Truncate(static_cast<int64_t>(old) + count) || !WriteAt(old, buffer, count))
        failed(HexError::EditFailed);
    changes_.CutTo(old);
    if (old == 0) changes_.Clear();
    dataSize_ = old + count;
    Rebuild();
    Caret to = caret_;
    to.byte = old;
    to.hexCell = 0;
    MoveCaret(to);
    anchor_ = selStart_ = old;
    selEnd_ = old + count - 1;
    KeepUndoLimit();
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
    const UndoState before = SaveUndoState();
    if (!RecordUndo(1, start, end - start)) return;
    const int64_t recordStart = lastRecordStart_;
    const int64_t oldSize = dataSize_;
    // Move the tail down in chunks: the file may be far larger than memory we want to hold.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kCopyChunk]);
    int64_t from = end, to = start;
    int32_t pending = 0; // bytes of a chunk whose write failed
    bool ok = true;
    while (ok && from < oldSize) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kCopyChunk, oldSize - from));
        if (!ReadAt(from, buffer.get(), n)) {
            ok = false;
        } else if (!WriteAt(to, buffer.get(), n)) {
            ok = false;
            pending = n;
        } else {
            from += n;
            to += n;
        }
    }
    if (ok && !work_.Truncate(oldSize - (end - start))) ok = false;
    if (!ok) {
        // The removal is refused: the bytes go back where they were. Should
        // that fail too, the document shows the working copy as it is and is
        // never saved.
        const bool restored =
            RestoreAfterFailedMove(start, end, oldSize, to, buffer.get(), pending, recordStart);
        RestoreUndoState(before);
        InvalidateWindow();
        if (restored) {
            lastError_ = HexError::EditFailed;
        } else {
            MarkDamaged();
            lastError_ = HexError::Damaged;
        }
        view_->RepaintAll();
        throw std::runtime_error(LastErrorText());
    }
    changes_.CutTo(start);
    KeepUndoLimit();
    dataSize_ -= end - start;
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

// The tail from end on was being moved down to start, chunk by chunk; every
// chunk up to movedTo is done, and the write of the chunk held in pending
// failed part-way. Every byte the move may have touched, start ..
// movedTo + pendingCount, is written back from where its old value now lives:
// a removed byte in the journal's record, a tail byte already moved at its
// position minus the removed length, a tail byte of the failed chunk in
// pending. Going from the top down, no source is overwritten before it is read.
bool HexDocument::RestoreAfterFailedMove(int32_t start, int32_t end, int64_t oldSize, int64_t movedTo,
                                         const uint8_t* pending, int32_t pendingCount, int64_t recordStart) {
    const int64_t gap = end - start;
    const int64_t from = movedTo + gap; // the first tail byte not moved for good
    const int64_t limit = std::min(oldSize, movedTo + pendingCount);
    std::unique_ptr<uint8_t[]> chunk(new uint8_t[kCopyChunk]);
    try {
        for (int64_t top = limit; top > start;) {
            const int64_t bottom = std::max<int64_t>(start, top - kCopyChunk);
            for (int64_t q = bottom; q < top;) {
                uint8_t* out = chunk.get() + (q - bottom);
                if (q >= from) {
                    std::memcpy(out, pending + (q - from), static_cast<size_t>(top - q));
                    q = top;
                } else if (q >= end) {
                    const int64_t stop = std::min(top, from);
                    if (!ReadAt(q - gap, out, static_cast<int32_t>(stop - q))) return false;
                    q = stop;
                } else {
                    const int64_t stop = std::min<int64_t>(top, end);
                    journal_->Read(recordStart + kRecordHeader + (q - start), out,
                                   static_cast<int32_t>(stop - q));
                    q = stop;
                }
            }
            // A write that failed once may go through again; the chunk is computed, so
            // writing it twice is harmless.
            const int32_t n = static_cast<int32_t>(top - bottom);
            if (!WriteAt(bottom, chunk.get(), n) && !WriteAt(bottom, chunk.get(), n)) return false;
            top = bottom;
        }
    } catch (const std::exception&) {
        return false; // the journal could not be read
    }
    return work_.Size() == oldSize;
}

// The working copy is no longer what the document was: show it as it is, and
// never let it be saved over the file.
void HexDocument::MarkDamaged() {
    damaged_ = true;
    SetReadOnlyDoc(true);
    const int64_t size = work_.IsOpen() ? work_.Size() : 0;
    dataSize_ = static_cast<int32_t>(std::clamp<int64_t>(size, 0, kMaxDocumentSize));
    ClearSelection(false);
    Rebuild();
    if (caret_.byte >= dataSize_) {
        Caret to = caret_;
        to.byte = std::max(0, dataSize_ - 1);
        to.hexCell = 0;
        MoveCaret(to);
    }
}

// -------------------------------------------------------------- undo journal

bool HexDocument::RecordUndo(int kind, int32_t position, int32_t count) {
    bool allowed = dataSize_ > 0 || kind == 2 || kind == 4;
    if (allowed) {
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
        const int32_t payload = kind == 1 ? count : 1;
        if (kind == 0) {
            uint8_t old = 0;
            if (!ReadAt(position, &old, 1)) old = 0;
            j.push_back(old);
        } else if (kind != 1) {
            j.push_back(0);
        }
        std::vector<uint8_t> tail;
        PutInt(tail,
               static_cast<int32_t>(37u + static_cast<uint32_t>(payload))); // wraps only past 2 GiB - 37
        lastRecordStart_ = journal_->Size();
        try {
            if (kind == 1) {
                // The removed bytes go straight from the working copy into the journal.
                journal_->Append(j.data(), static_cast<int64_t>(j.size()));
                journal_->AppendFrom(work_, position, count);
                journal_->Append(tail.data(), 4);
            } else {
                j.insert(j.end(), tail.begin(), tail.end());
                journal_->Append(j.data(), static_cast<int64_t>(j.size()));
            }
            journal_->EndRecord();
        } catch (const std::exception&) {
            // Nothing has changed yet: the edit is refused.
            journal_->TruncateTo(lastRecordStart_);
            lastError_ = HexError::EditFailed;
            view_->PostStateChange();
            throw std::runtime_error(LastErrorText());
        }
        canUndo_ = true;
        lastUndoText_ = kUndoTexts[kind];
        if (kind == 1 || kind == 4) InvalidateWindow();
        modified_ = true;
    }
    view_->PostStateChange();
    return allowed;
}

// The oldest record goes once a change has been made for good, so that a
// refused change leaves the journal as it was.
void HexDocument::KeepUndoLimit() {
    while (journal_->RecordCount() > kMaxUndoRecords)
        journal_->DropOldestRecord();
}

void HexDocument::ClearUndo() {
    canUndo_ = false;
    lastUndoText_ = "No Undo";
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
