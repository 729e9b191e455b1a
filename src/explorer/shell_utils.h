// Shell and drive routines shared by the explorer controls: drive readiness,
// disk sizes, the Windows version, shell execution and shell file operations.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace velmora::explorer {

// True when the drive's root can be queried. An invalid letter shows
// "Geçersiz sürücü adı"; a drive that is not ready beeps and shows the
// "Disket takılı değil" message when showMessage is set. Critical-error boxes
// of the system are switched off meanwhile.
bool DriveReady(char letter, bool showMessage);

// Size and free space of the drive whose root is given ("C:\"), in KB rounded
// to the nearest integer; 0 when the query fails. 64-bit so that today's disks
// are reported whole.
int64_t DiskSizeKB(const std::string& root);
int64_t DiskFreeKB(const std::string& root);

// "95", "98" or "NT"; empty for any other platform.
std::string GetWinVersion();

// Asks the shell to perform verb on file (owned by the main window). A result
// of 32 or less shows "Bu dosya işletilemedi.  " + file in the error box.
INT_PTR ExecuteFile(const std::string& verb, const std::string& file, const std::string& parameters,
                    const std::string& folder, int showCommand);

// The flags of a shell file operation: undo always (a deletion goes to the
// recycle bin, and the shell warns before one that cannot). With confirm the
// shell asks its usual confirmations; without, nothing is asked and existing
// targets are overwritten.
FILEOP_FLAGS ShellFileOperationFlags(UINT function, bool confirm);

// A path as the system's wide path, with each short (8.3) name in it widened
// to the long name it stands for: a name the code page cannot spell reaches
// the shell whole. A path that does not exist is only widened.
std::wstring LongWidePath(const std::string& path);

// One SHFileOperation (FO_COPY, FO_MOVE, FO_DELETE or FO_RENAME) of one source
// path to one target path (empty for FO_DELETE), flags from
// ShellFileOperationFlags. The shell gets the source's long name. True when
// the shell succeeded and nothing was aborted.
bool ShellFileOperation(HWND owner, UINT function, const std::string& source, const std::string& target,
                        bool confirm);
// The same with the caller's own flags.
bool ShellFileOperation(HWND owner, UINT function, const std::wstring& source, const std::wstring& target,
                        FILEOP_FLAGS flags);
// A copy or move of source into folder under the source's own long name,
// also when the list knows the source only by its short name.
bool ShellCopyInto(HWND owner, UINT function, const std::string& source, const std::string& folder,
                   bool confirm);

} // namespace velmora::explorer
