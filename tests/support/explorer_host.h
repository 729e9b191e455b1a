// A stand-in for the window that holds the explorer's commands: real tree,
// list and file operations on a test's form, the rest recorded.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "explorer/dir_tree.h"
#include "explorer/explorer_actions.h"
#include "explorer/file_list_view.h"
#include "explorer/file_operations.h"

namespace testing_support {

class FakeExplorerHost : public velmora::explorer::IExplorerHost {
public:
    // The tree is made on first use, on `parent`.
    FakeExplorerHost(tk::TControl* parent, velmora::explorer::TFileListView& list,
                     velmora::explorer::TFileOperations& operations)
        : parent_(parent), list_(list), operations_(operations) {}

    velmora::explorer::TDirTree& Tree() override {
        if (!tree_) {
            velmora::explorer::TDirTree::Params p;
            p.parent = parent_;
            p.bounds = RECT{0, 0, 10, 10};
            p.visible = false;
            tree_ = std::make_unique<velmora::explorer::TDirTree>(p);
            tree_->Loaded();
        }
        return *tree_;
    }
    velmora::explorer::TFileListView& List() override { return list_; }
    velmora::explorer::TFileOperations& Operations() override { return operations_; }
    std::string AppFolder() const override { return appFolder; }
    std::string ArchiveFolder() const override { return archiveFolder; }
    void SetArchiveFolder(const std::string& folder) override { archiveFolder = folder; }
    void SetStatusText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < 2) status[panel] = text;
    }
    void AloneString() override { history.push_back(Tree().SelectedPath()); }
    void ShowTree(bool show) override { Tree().SetVisible(show); }

    std::string appFolder, archiveFolder;
    std::string status[2];
    std::vector<std::string> history;

private:
    tk::TControl* parent_;
    velmora::explorer::TFileListView& list_;
    velmora::explorer::TFileOperations& operations_;
    std::unique_ptr<velmora::explorer::TDirTree> tree_;
};

// A list's explorer commands on a stand-in host: file operations, the host,
// the commands bound into an action list of their own, and the list's keys on
// that list. Taken down in the reverse order.
struct ExplorerWiring {
    ExplorerWiring(tk::TControl* parent, velmora::explorer::TFileListView& list)
        : operations(list), host(parent, list, operations), commands(host) {
        commands.Bind(actions);
        list.SetKeyActions(&actions);
    }
    velmora::explorer::TFileOperations operations;
    FakeExplorerHost host;
    velmora::explorer::TExplorerCommands commands;
    tk::TActionList actions;
};

} // namespace testing_support
