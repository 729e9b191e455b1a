// TFileListView: the list of drives (the drives view) or of one folder's
// entries (the folder view), on the platform's list view. Rows live in this
// object and the list view asks for their texts (a virtual list), so a folder
// of ten thousand files is listed in a blink.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "explorer/file_list_core.h"
#include "explorer/links.h"
#include "explorer/shell_info_cache.h"
#include "toolkit/actions.h"
#include "toolkit/control.h"
#include "toolkit/gdi.h"

namespace velmora::explorer {

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// What the file-name clipboard holds: nothing yet, names to copy or to move,
// or names being gathered (a refusal box may show meanwhile).
enum class TClipboardMode { cmNone, cmCopy, cmCut, cmFilling };

// The file operations the list carries (cut, copy, paste, delete, rename, new
// folder, view, find). They live in their own module; the list forwards its
// keys and its in-place caption editing to the one installed here.
class IFileListOperations {
public:
    virtual ~IFileListOperations() = default;
    virtual void CutCopy(TClipboardMode mode) = 0;
    virtual void Paste() = 0;
    virtual void DeleteSelected() = 0;
    virtual void RenameSelected() = 0;
    virtual void NewFolder() = 0;
    virtual void ViewFile() = 0;
    virtual void FindFile() = 0;
    // In-place editing of a row's caption: may it start, and the rename at its
    // end (true keeps the new caption).
    virtual bool CanEdit(int row) = 0;
    virtual bool Edit(int row, const std::string& newCaption) = 0;
};

class TFileListView : public tk::TControl, public IFileListLink {
public:
    struct Params {
        tk::TControl* parent = nullptr;
        RECT bounds{0, 0, 400, 300};
        tk::TAlign align = tk::TAlign::alNone;
        bool visible = true;
    };
    explicit TFileListView(const Params& params);
    ~TFileListView() override;

    // ---- Properties
    TDTFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TDTFormat format);
    const std::string& TimeFormatStr() const { return timeFormat_; }
    void SetTimeFormatStr(const std::string& format);
    bool HideFileExt() const { return hideFileExt_; }
    void SetHideFileExt(bool hide) { hideFileExt_ = hide; }
    std::string Directory() const override { return directory_; }
    void SetDirectory(const std::string& directory) override;
    IDirTreeLink* DirTree() const { return tree_; }
    void SetDirTree(IDirTreeLink* tree);
    bool DblClickToOpen() const { return dblClickToOpen_; }
    void SetDblClickToOpen(bool open) { dblClickToOpen_ = open; }
    TFileType FileType() const { return fileType_; }
    void SetFileType(TFileType type);
    const std::string& Mask() const { return mask_; }
    void SetMask(const std::string& mask);
    bool ShowFolders() const { return showFolders_; }
    void SetShowFolders(bool show);
    bool PopUpMenuEnabled() const { return popUpMenuEnabled_; }
    void SetPopUpMenuEnabled(bool enabled) { popUpMenuEnabled_ = enabled; }
    const std::string& SelectedFile() const { return selectedFile_; }
    void SetSelectedFile(const std::string& path) { selectedFile_ = path; }
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle style);
    // The date picture that DateFormat selects.
    const std::string& DateFormatText() const { return dateFormatText_; }

    // Free space of the shown folder's drive in KB (0 in the drives view).
    int64_t DriveFreeSpace() const;
    // Selected rows, or all rows when none is selected.
    int SelectedNumber() const;
    // Bytes in the selected entries (folders and drives count 0).
    int64_t SelectedSize() const;

    int SortColumn() const { return sortColumn_; }
    bool SortDescending() const { return sortDescending_; }
    bool IsDrivesView() const;

    // ---- Operations
    void UpdateFileList() override;
    void OneLevelUp();
    void OpenItem();
    void SelectAll();

    // The file operations (forwarded to the installed module, if any).
    void SetFileOperations(IFileListOperations* operations) { operations_ = operations; }
    IFileListOperations* FileOperations() const { return operations_; }
    void CutCopy(TClipboardMode mode);
    void Paste();
    void DeleteSelected();
    void RenameSelected();
    void NewFolder();
    void ViewFile();
    void FindFile();

    // The file-name clipboard the file operations fill.
    std::vector<std::string> FileClipboard;
    TClipboardMode ClipboardMode = TClipboardMode::cmNone;

    // The list's keys run these actions (the explorer's, by name); without
    // them the keys only do what the list view itself does.
    void SetKeyActions(const tk::TActionList* actions) { keyActions_ = actions; }

    // ---- Rows (in display order)
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const TFileListRow& Row(int index) const;
    bool IsSelected(int index) const;
    void SetSelected(int index, bool selected);
    // The first selected row, -1 when none.
    int SelectedIndex() const;
    int FocusedIndex() const;
    void SetFocusedIndex(int index);
    // Selects and focuses the first row captioned `name` (letter case ignored)
    // and takes `path` as the selected file; false when no row has that caption.
    bool SelectRowNamed(const std::string& name, const std::string& path);
    bool Editing() const { return editing_; }

    // The header's sort marks: up when descending, down when ascending.
    static constexpr int kMarkUp = 0;
    static constexpr int kMarkDown = 1;
    // The image indices of the own pictures in the system image lists.
    static int ParentImageIndex();
    static int HtmlFolderImageIndex();
    // Starts filling the shell's system image lists (and adding the own
    // pictures) on a thread of its own: the shell builds them on first use,
    // a good part of a start-up under Wine, while the window is still being
    // made. Lists made later wait for it where they need the pictures.
    static void PrepareImagesAhead();
    HIMAGELIST SmallImages() const { return smallImages_; }
    HIMAGELIST LargeImages() const { return largeImages_; }
    // The shell answers of the last folder listing (for measurements).
    int LastListingShellCalls() const { return lastShellCalls_; }
    // True while a row on screen still shows a stand-in for an icon the shell
    // gives per path (asked in the background as rows are drawn).
    bool IconsPending() const;

    // ---- Events
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    // A change of the rows or of the selection.
    std::function<void()> OnChange;
    std::function<void(WORD key)> OnKeyDown;
    std::function<void(WORD key)> OnKeyUp;
    std::function<void(UINT button, int x, int y)> OnMouseUp;
    // A caption accepted at the end of in-place editing.
    std::function<void(int row, const std::string& caption)> OnEdited;
    // Once for each row removed by a rebuild.
    std::function<void(const TFileListRow& row)> OnDeletion;
    // A rename or move made by the file operations went through: the file or
    // folder at `from` is now at `to`.
    std::function<void(const std::string& from, const std::string& to)> OnPathMoved;
    // Before a row is drawn: select a font into draw.nmcd.hdc, set colours and
    // return CDRF_NEWFONT, or return CDRF_DODEFAULT.
    std::function<LRESULT(int index, const TFileListRow& row, NMLVCUSTOMDRAW& draw)> OnCustomDrawItem;
    // Assigning either replaces the list's own sorting.
    std::function<int(const TFileListRow& a, const TFileListRow& b)> OnCompare;
    std::function<void(int column)> OnColumnClick;
    // The context menu request (screen position) while PopUpMenuEnabled.
    std::function<void(POINT screen)> OnContextPopup;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Framework hooks.
    virtual void Click();
    virtual void DblClick();
    virtual void KeyDown(WORD key);
    virtual void KeyUp(WORD key);

private:
    // IFileListLink
    void TreeDestroyed(IDirTreeLink* tree) override;

    void BuildFolderColumns();
    void BuildDriveColumns();
    void SetColumns(const struct ColumnSpec* specs, int count);
    void ListDrives();
    // One search: folder rows (with the directory bit added to the mask)
    // and/or file rows, folders first; true when a row was added.
    bool AddFolderEntries(const std::string& pattern, uint32_t mask, bool folders, bool files,
                          ShellInfoCache& shell);
    void SortRows(bool keepSelection);
    void UpdateHeaderMarks();
    void ColumnClick(int column);
    void ClearSelection();
    void SyncItemCount();
    // A read-only question to the list view (selection and focus states).
    LRESULT Query(UINT msg, WPARAM wParam, LPARAM lParam) const;
    // Per-path icons: rows move or go, so answers asked before are void.
    void ForgetIconRequests();
    void AskIcon(int row);
    void TakeIcons();
    bool RowOnScreen(int row) const;
    bool NotifyFromList(NMHDR* header, LRESULT& result);

    TDTFormat dateFormat_ = df_ddMMyyyy;
    std::string dateFormatText_ = "dd/MM/yyyy";
    std::string timeFormat_ = "HH:mm:ss";
    bool hideFileExt_ = false;
    std::string directory_ = "Drives";
    IDirTreeLink* tree_ = nullptr;
    bool dblClickToOpen_ = true;
    TFileType fileType_{ftReadOnly, ftHidden, ftSystem, ftArchive};
    std::string mask_ = "*.*";
    bool showFolders_ = true;
    bool popUpMenuEnabled_ = true;
    std::string selectedFile_;
    TViewStyle viewStyle_ = TViewStyle::vsReport;

    int sortColumn_ = 0;
    bool sortDescending_ = true;
    bool sortingEnabled_ = false;
    bool editing_ = false;
    bool mouseUpSeen_ = false;
    int quietChanges_ = 0; // OnChange held back while above 0

    std::vector<TFileListRow> rows_;
    // How the listed rows' dates read: the pictures and separators of the
    // listing, kept for the texts written later.
    struct TListedDates {
        std::string datePicture, timePicture, dateSeparator, timeSeparator;
    } listedDates_;
    // Writes a row's pending size and modified texts.
    TFileListRow& WithTexts(size_t index) const;
    IFileListOperations* operations_ = nullptr;
    const tk::TActionList* keyActions_ = nullptr;
    HIMAGELIST smallImages_ = nullptr;
    HIMAGELIST largeImages_ = nullptr;
    int lastShellCalls_ = 0;
    bool listed_ = false; // a listing happened: property changes list again
    std::unique_ptr<ShellIconResolver> icons_;
    uint32_t iconTicket_ = 0;
    std::unordered_set<int> iconsAsked_; // rows waiting for the shell's answer
    // pmFileListIcons with this wParam sets the asking thread to work.
    static constexpr WPARAM kWakeIcons = 1;
    bool wakePosted_ = false;

    tk::FontHandle font_;
    // "Bmp_Up" and "Bmp_Down", in this order.
    tk::ImageListHandle sortMarks_;
};

} // namespace velmora::explorer
