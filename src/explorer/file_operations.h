// The file operations of the file list: the file-name clipboard (cut, copy,
// paste), delete, rename in place, new folder and new document, attributes,
// the fixed viewers, the shell's search, and sending the selection to a
// folder, to the platform clipboard or to a target of the shell's SendTo
// folder. Copying, moving, deleting and renaming are always the shell's.
//
// Only rows that name what they show are handed on: the " .." row (it names
// the parent folder) and drive rows are never cut, copied, deleted, renamed or
// sent, and a path the shell could read as a pattern never reaches it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "explorer/file_list_view.h"

namespace velmora::explorer {

// Options of FolderCopyMove.
enum TFolderCopyOption : unsigned {
    fcRenameOnCollision = 1,
    fcNoConfirmation = 2,
    fcSilent = 4,
    fcSimpleProgress = 8,
};

// One shell copy (mode 0) or move (mode 2) of a whole folder into a target
// folder, always undoable; a folder of the same name there is merged with it,
// the shell asking before it overwrites unless fcNoConfirmation is given. The
// shell's boxes are owned by owner. False when the source is no folder or the
// shell failed.
bool FolderCopyMove(const std::string& source, const std::string& targetFolder, int mode, unsigned options,
                    HWND owner = nullptr);

// The target path of a shell link file; empty when it cannot be read.
std::string ResolveLink(const std::string& linkPath);

class TFileOperations : public IFileListOperations {
public:
    // Installs itself as the list's operations; the destructor takes itself out.
    explicit TFileOperations(TFileListView& list);
    ~TFileOperations() override;
    TFileOperations(const TFileOperations&) = delete;
    TFileOperations& operator=(const TFileOperations&) = delete;

    TFileListView& List() const { return list_; }
    // When set, the shell asks its usual confirmations (overwrites, deletions);
    // when clear, nothing is asked. Deletions go to the recycle bin either way.
    bool ConfirmFileOps() const { return confirm_; }
    void SetConfirmFileOps(bool confirm) { confirm_ = confirm; }

    void CutCopy(TClipboardMode mode) override;
    void Paste() override;
    void DeleteSelected() override;
    void RenameSelected() override;
    void NewFolder() override;
    void ViewFile() override;
    void FindFile() override;
    bool CanEdit(int row) override;
    bool Edit(int row, const std::string& newCaption) override;

    void NewDocument();
    void ShowFileAttr();
    // 0 to a chosen folder, 1 as content, 2 as file names.
    void SendTo(int kind);
    void SendToTarget(const std::string& targetPath);
    void CopyToFolder(const std::string& folder);
    void CopyToDrive(const std::string& folder);

    // The full path of the row whose caption is being edited.
    const std::string& RenameSource() const { return renameSource_; }

    // Selected rows, in row order.
    std::vector<int> SelectedRows() const;
    // The selected rows' paths that file operations may be given (see above);
    // a row refused for its path is reported once.
    std::vector<std::string> OperablePaths() const;

private:
    HWND OwnerWindow() const;
    // Creates a folder or, with document set, a new document and starts its renaming.
    void CreateEntry(bool document);
    // The first selected row that names an entry of its own, -1 when none.
    int FirstOperableRow() const;

    TFileListView& list_;
    std::string renameSource_;
    bool confirm_ = false;
};

} // namespace velmora::explorer
