// Operating-system services that portable code needs. One implementation for
// Win32 (os_win32.cpp) and one for POSIX (os_posix.cpp); the native build of
// the portable core is what keeps this file free of platform headers.
#pragma once
#include <cstdint>
#include <string>

namespace velmora::os {

// The temporary folder, always ending with the platform's separator.
std::string TempFolder();
// Milliseconds since some fixed point, wrapping like GetTickCount.
uint32_t TickCount();
// Copies a whole file; false when anything fails.
bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
bool RemoveFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);
// Moves newFile over target (which may be missing). newFile first takes what
// the user set on target: its attributes (hidden, system...) and access list,
// or its permission bits, and on Windows its creation time; a changed file
// gets the archive bit.
// False with target untouched when anything fails; newFile then stays.
bool MoveFileOver(const std::string& newFile, const std::string& target);
// The file a path stands for: a symbolic link's target (on POSIX also when
// that target does not exist yet; on Windows as the system resolves an
// existing file), the path itself otherwise. On Windows the owner may get a
// short name for a target the code page cannot spell.
std::string FinalPath(const std::string& path);
// True when both paths exist and name one file.
bool SameFile(const std::string& a, const std::string& b);
// -1 when the file cannot be opened.
int64_t FileSize(const std::string& path);
bool IsReadOnlyFile(const std::string& path);
// The platform's path separator ('\\' on Windows, '/' elsewhere).
char PathSeparator();

// Code page 1254 <-> OEM code page 857 (the Turkish DOS code page).
std::string ToOem(const std::string& text);
std::string FromOem(const std::string& text);

// Case mapping of code page 1254 text, byte by byte (no Turkish dotted/dotless
// special case: 'i' and 'ı' both go to 'I', 'I' and 'İ' both go to 'i').
char UpperAnsi(char c);
char LowerAnsi(char c);
std::string AnsiUpperCase(std::string text);
std::string AnsiLowerCase(std::string text);

// The user locale's number separators ('.' and ',' in Turkish).
char ThousandSeparator();
char DecimalSeparator();

// A binary file with 64-bit positions. Move-only; closes itself.
class File {
public:
    // Create makes the file anew (or empties it); CreateNew fails when it
    // exists, which is how a name is claimed against other processes.
    enum class Mode { Read, ReadWrite, Create, CreateNew };
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const;
    int64_t Size() const;
    bool Seek(int64_t position);
    // Return the number of bytes moved, -1 on error.
    int32_t Read(void* buffer, int32_t count);
    int32_t Write(const void* buffer, int32_t count);
    bool Truncate(int64_t size);
    bool Flush();

private:
    intptr_t handle_ = -1;
};

// Test hooks: file operations made to fail, and counts of what they did.
// They act on File (so CopyFileTo on POSIX) and MoveFileOver, in this process.
struct FileFaults {
    int64_t writeBytes = -1;    // writes fail once this many more bytes are written (-1 never)
    bool writeRecovers = false; // only the write that meets the limit fails
    int64_t readBytes = -1;     // the same for reads
    bool failTruncate = false;
    bool failFlush = false;
    bool failReplace = false;
    bool failCreate = false; // opening with Create or CreateNew
};
void InjectFileFaults(const FileFaults& faults);
void ClearFileFaults();

struct FileCounters {
    int64_t reads = 0, bytesRead = 0;
    int64_t writes = 0, bytesWritten = 0;
    int64_t truncates = 0, flushes = 0;
};
FileCounters Counters();

// TickCount returns value from now on (-1: the real clock again), so that a
// test can make two processes start in the same tick.
void FreezeTickCount(int64_t value);

} // namespace velmora::os
