// Writing a user's file or a settings file without ever destroying what it
// replaces: the bytes go to a new file beside the target, which is flushed and
// then moved over the target, keeping the target's attributes (hidden, system)
// or permission bits. On any failure the target is untouched, the new file is
// removed and the caller is told why.
#pragma once
#include <cstdint>
#include <string>

#include "base/os.h"

namespace velmora {

enum class WriteFailure {
    None,
    TargetReadOnly, // the target is write-protected: a user unprotects it first
    TargetIsFolder,
    CannotCreate, // no new file could be made beside the target (missing or protected folder)
    WriteFailed,  // the disk is full, or an input/output error
    SourceFailed, // what was to be written could not be read
    FlushFailed,
    ReplaceFailed, // the target could not be replaced (in use by another program, access denied)
};

// One sentence for the user, in Turkish (code page 1254).
std::string WriteFailureText(WriteFailure failure);

struct WriteResult {
    WriteFailure failure = WriteFailure::None;
    bool Ok() const { return failure == WriteFailure::None; }
    explicit operator bool() const { return Ok(); }
    std::string Text() const { return WriteFailureText(failure); }
};

// The streaming form: Begin, any number of Write calls, then Commit. A writer
// destroyed before Commit leaves the target as it was.
class SafeFileWriter {
public:
    explicit SafeFileWriter(const std::string& target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Makes the new file beside the target.
    bool Begin();
    bool Write(const void* data, int64_t count);
    // The data to be written went wrong on the caller's side: nothing is replaced.
    void Fail(WriteFailure why);
    // Flushes the new file and moves it over the target.
    WriteResult Commit();
    // Removes the new file; the target stays as it was.
    void Abandon();

    WriteFailure Failure() const { return failure_; }
    // The file that is replaced: a symbolic link is saved through to its target.
    const std::string& Target() const { return target_; }
    // The new file while it is being written.
    const std::string& NewFilePath() const { return newPath_; }

private:
    std::string target_;
    std::string newPath_;
    os::File file_;
    WriteFailure failure_ = WriteFailure::None;
    bool begun_ = false;
};

WriteResult SafeWriteFile(const std::string& target, const void* data, int64_t size);
WriteResult SafeWriteFile(const std::string& target, const std::string& bytes);
// The first count bytes of an open file (read from position 0 on).
WriteResult SafeWriteFrom(os::File& source, int64_t count, const std::string& target);
// A whole file's bytes; the source is read to its end.
WriteResult SafeCopyFile(const std::string& source, const std::string& target);

} // namespace velmora
