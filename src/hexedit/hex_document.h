// The hex editor's document: a working copy of the file in the temp folder,
// a 64 KiB read window over it, the change map, the undo journal, the
// selection, the markers and the caret byte. Portable: the Win32 control
// (hex_editor.h) draws it and turns keys and mouse into these operations.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/os.h"
#include "base/safe_write.h"
#include "hexedit/translation.h"
#include "hexedit/undo_journal.h"

namespace velmora::hex {

// Bytes changed since the last load or save, one bit per byte. Sparse (pages of
// 4096 bits) so that a few edits in a huge file cost a few pages.
class ChangeMap {
public:
    bool Test(int32_t index) const;
    void Set(int32_t index);
    // Drops every mark at or after index.
    void CutTo(int32_t index);
    void Clear() { pages_.clear(); }
    bool Empty() const { return pages_.empty(); }

private:
    static constexpr int32_t kPageBits = 4096;
    using Page = std::array<uint64_t, kPageBits / 64>;
    std::map<int32_t, Page> pages_;
};

// Where the caret is: a byte, a field and, in the hex field, which of the
// byte's two hex cells.
struct Caret {
    int32_t byte = 0;
    bool charField = false;
    int32_t hexCell = 0; // 0 first hex cell, 1 second; 0 in the character field
};

// What the document asks of its view. The default does nothing (tests, benchmarks).
class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void RebuildGrid() {}
    virtual void RepaintByte(int32_t /*index*/) {}
    virtual void RepaintRows(int32_t /*firstRow*/, int32_t /*lastRow*/) {}
    virtual void RepaintAll() {}
    // The caret moved by the document (load, seek, append, removal...).
    virtual void CaretMoved(const Caret& /*old*/) {}
    virtual void PostStateChange() {}
    virtual void StateChangedNow() {}
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

// Why the last load, save or edit did not go through.
enum class HexError {
    None,
    NotFound,
    CannotRead,
    TooLarge,      // 2 GiB or more: offsets are 32-bit
    CopyFailed,    // the working copy came out short (temp folder full, read error)
    NoWorkingCopy, // no working copy could be made in the temp folder
    BackupFailed,  // the backup could not be written: nothing was saved
    SaveFailed,    // the file could not be written: it is as it was
    EditFailed,    // an edit could not be written to the working copy: the document is as it was
    Damaged,       // the working copy could not be put right after a failed edit: it is no longer saved
};

// One sentence for the user, in Turkish (code page 1254).
std::string HexErrorText(HexError error, WriteFailure detail = WriteFailure::None);

class HexDocument {
public:
    static constexpr int32_t kWindowSize = 65536;
    static constexpr int32_t kMaxUndoRecords = 100;
    static constexpr int64_t kMaxDocumentSize = 0x7FFFFFFF; // offsets are 32-bit signed

    HexDocument();
    ~HexDocument();
    HexDocument(const HexDocument&) = delete;
    HexDocument& operator=(const HexDocument&) = delete;

    void SetView(DocumentView* view) { view_ = view ? view : &nullView_; }

    bool LoadFromFile(const std::string& name);
    bool SaveToFile(const std::string& name);
    void NewEmptyDocument(const std::string& name);
    void AppendBytes(const uint8_t* buffer, int32_t count);
    void DeleteSelection();
    void ChangeByte(uint8_t oldValue, uint8_t newValue, int32_t index);
    // Forward search; the buffer is translated and lower-cased in place as asked.
    int32_t Find(uint8_t* buffer, int32_t count, int32_t start, int32_t endPos, bool ignoreCase,
                 bool translate);
    bool Seek(int32_t offset, int32_t origin, bool strict);

    int32_t SelStart() const;
    void SetSelStart(int32_t value);
    int32_t SelEnd() const;
    void SetSelEnd(int32_t value);

    int32_t DataSize() const { return dataSize_; }
    const std::string& FileName() const { return fileName_; }
    // The file was renamed or moved: the document goes by its new name (the
    // next save writes there, with its backup beside it). Nothing on disk changes.
    void SetFileName(const std::string& name);
    const std::string& WorkingCopyPath() const { return workPath_; }
    bool Modified() const { return modified_; }
    void SetModified(bool value);
    bool ReadOnlyDoc() const { return readOnly_; }
    void SetReadOnlyDoc(bool value);
    bool CanUndo() const { return canUndo_; }
    const std::string& LastUndoText() const { return lastUndoText_; }
    // The journal's bytes, oldest record first (read back whole: for tests and checks).
    std::vector<uint8_t> JournalBytes() const { return journal_->Bytes(); }
    int64_t JournalSize() const { return journal_->Size(); }
    bool JournalSpilled() const { return journal_->Spilled(); }
    int32_t UndoRecordCount() const { return journal_->RecordCount(); }

    int32_t BytesPerLine() const { return bytesPerLine_; }
    void SetBytesPerLine(int32_t value);
    TTranslationType Translation() const { return translation_; }
    void SetTranslation(TTranslationType value);
    bool CreateBackup() const { return createBackup_; }
    void SetCreateBackup(bool value) { createBackup_ = value; }
    const std::string& BackupExtension() const { return backupExtension_; }
    void SetBackupExtension(const std::string& value) { backupExtension_ = value; }
    // Name with its extension replaced by the backup extension.
    std::string BackupName(const std::string& name) const;

    // Why the last LoadFromFile, SaveToFile or failed edit did not go through
    // (None after one that did), and the file system's side of a failed save.
    HexError LastError() const { return lastError_; }
    WriteFailure LastWriteFailure() const { return lastWriteFailure_; }
    std::string LastErrorText() const { return HexErrorText(lastError_, lastWriteFailure_); }
    // A failed edit left the working copy unlike the document: it is read-only and never saved.
    bool Damaged() const { return damaged_; }

    // Byte at index through the read window (index < DataSize).
    uint8_t ByteAt(int32_t index);
    // Makes the window cover position .. position + BytesPerLine.
    void CoverWindow(int32_t position);
    int32_t WindowStart() const { return windowStart_; }
    int64_t WindowLoads() const { return windowLoads_; }
    bool IsChanged(int32_t index) const { return changes_.Test(index); }

    // Selection.
    bool HasSelection() const { return anchor_ >= 0; }
    int32_t SelectionAnchor() const { return anchor_; }
    int32_t SelectionStart() const { return selStart_; }
    int32_t SelectionEnd() const { return selEnd_; }
    bool IsSelected(int32_t index) const { return anchor_ >= 0 && selStart_ <= index && index <= selEnd_; }
    bool Selecting() const { return selecting_; }
    void SetSelecting(bool value) { selecting_ = value; }
    void ClearSelection(bool repaint);
    void ExtendSelection(int32_t fromByte, int32_t toByte);

    // Markers (grid rows).
    void SetMarker(int32_t index, int32_t row);
    int32_t Marker(int32_t index) const; // the caret row when unset
    int32_t RawMarker(int32_t index) const { return markers_.at(index); }
    // The lowest marker bound to row, or -1.
    int32_t MarkerOfRow(int32_t row) const;

    const Caret& CaretPos() const { return caret_; }
    // Moves the caret and tells the view.
    void MoveCaret(const Caret& to);
    int32_t CaretRow() const { return caret_.byte / bytesPerLine_; }
    int32_t RowCount() const;

private:
    // What an edit changes besides the working copy, to be put back when it fails.
    struct UndoState {
        bool canUndo;
        bool modified;
        std::string lastText;
    };
    UndoState SaveUndoState() const;
    void RestoreUndoState(const UndoState& state);
    bool RecordUndo(int kind, int32_t position, int32_t count);
    void KeepUndoLimit();
    void ClearUndo();
    void InvalidateWindow() { windowStart_ = -1; }
    bool ReadAt(int64_t position, void* buffer, int32_t count);
    bool WriteAt(int64_t position, const void* buffer, int32_t count);
    // Chooses the working copy's name, makes the file and holds it open.
    void Claim();
    void CloseWorkingCopy(bool truncate);
    bool OpenWorkingCopy();
    HexError CopyIntoWorkingCopy(const std::string& name);
    bool Refuse(HexError reason);
    bool SaveTo(const std::string& name);
    // After a failed tail move: puts the bytes from start to the end of the old
    // document back as they were. See DeleteSelection.
    bool RestoreAfterFailedMove(int32_t start, int32_t end, int64_t oldSize, int64_t movedTo,
                                const uint8_t* pending, int32_t pendingCount, int64_t recordStart);
    void MarkDamaged();
    void Rebuild();

    DocumentView nullView_;
    DocumentView* view_ = &nullView_;
    std::string workPath_;
    bool workClaimed_ = false;
    os::File claim_; // open (reading, shared) while the working copy is ours
    os::File work_;
    std::string fileName_ = "Untitled";
    int32_t dataSize_ = 0;
    std::vector<uint8_t> window_;
    int32_t windowStart_ = -1;
    int32_t windowLength_ = 0;
    int64_t windowLoads_ = 0;
    ChangeMap changes_;
    bool modified_ = false;
    bool readOnly_ = true;
    std::unique_ptr<UndoJournal> journal_;
    HexError lastError_ = HexError::None;
    WriteFailure lastWriteFailure_ = WriteFailure::None;
    bool damaged_ = false;
    int64_t lastRecordStart_ = 0; // where the journal's last record begins
    bool canUndo_ = false;
    std::string lastUndoText_ = "No Undo";
    int32_t anchor_ = -1, selStart_ = -1, selEnd_ = -1;
    bool selecting_ = false;
    std::array<int32_t, 10> markers_;
    Caret caret_;
    TTranslationType translation_ = TTranslationType::ttAnsi;
    bool createBackup_ = true;
    std::string backupExtension_ = ".bak";
    int32_t bytesPerLine_ = 16;
};

} // namespace velmora::hex
