// The two-way link between the file list and the directory tree, as small
// interfaces so that neither control's header needs the other's.
#pragma once
#include <string>

namespace velmora::explorer {

class IDirTreeLink;

// What the tree calls on its linked file list.
class IFileListLink {
public:
    virtual ~IFileListLink() = default;
    virtual std::string Directory() const = 0;
    virtual void SetDirectory(const std::string& directory) = 0;
    virtual void UpdateFileList() = 0;
    // The linked tree is being destroyed: forget it without calling it back.
    virtual void TreeDestroyed(IDirTreeLink* tree) = 0;
};

// What the file list calls on its linked tree.
class IDirTreeLink {
public:
    virtual ~IDirTreeLink() = default;
    virtual void OpenPath(const std::string& path) = 0;
    virtual void ReloadTree() = 0;
    // The tree's FileList property (null breaks the link).
    virtual void SetFileList(IFileListLink* list) = 0;
    // The linked list is being destroyed: forget it without calling it back.
    virtual void FileListDestroyed(IFileListLink* list) = 0;
};

} // namespace velmora::explorer
