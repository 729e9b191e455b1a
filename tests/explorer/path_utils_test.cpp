#include "explorer/path_utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/win32_test_util.h"

using namespace velmora::explorer;
using testing_support::TempFolder;

namespace {

TEST(PathUtilsTest, FolderExistsForFoldersOnlyWithOrWithoutTheSlash) {
    TempFolder temp;
    std::string folder = temp.Folder("alt");
    std::string file = temp.File("dosya.txt", "x");
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {DelSlash(folder), true},
        {AddSlash(folder), true},
        {"C:\\", true},
        {"C:", true},
        {file, false},
        {AddSlash(file), false},
        {temp.Path() + "yok", false},
        {temp.Path() + "yok\\", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderExists(c.path), c.exists) << c.path;
}

TEST(PathUtilsTest, FolderSearchWalksEveryEntryOnce) {
    TempFolder temp;
    temp.Folder("klasör");
    temp.File("a.txt", "1");
    temp.File("b.dat", "22");
    std::vector<std::string> names, folders;
    int dots = 0;
    for (FolderSearch search(temp.Path() + "*.*"); search.Found(); search.Next()) {
        if (search.IsDots()) {
            ++dots;
            continue;
        }
        names.push_back(search.Entry().cFileName);
        if (search.IsFolder()) folders.push_back(search.Entry().cFileName);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.dat", "klasör"}));
    EXPECT_EQ(folders, (std::vector<std::string>{"klasör"}));
    EXPECT_EQ(dots, 2);

    // Nothing found: no entry, and Next stays at the end.
    FolderSearch none(temp.Path() + "*.xyz");
    EXPECT_FALSE(none.Found());
    EXPECT_FALSE(none.Next());
    EXPECT_TRUE(PathExists(temp.Path() + "a.txt"));
    EXPECT_FALSE(PathExists(temp.Path() + "c.txt"));
}

} // namespace
