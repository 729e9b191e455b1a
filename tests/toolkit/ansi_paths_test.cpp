// Paths from the system's UTF-16 calls in the code page: the folder browser's
// choice and dropped files, on real folders.
#include "toolkit/ansi_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "support/win32_test_util.h"

using testing_support::TempFolder;

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return wide;
}

std::wstring LongName(const std::string& path) {
    wchar_t result[MAX_PATH * 2] = {};
    GetLongPathNameW(Wide(path).c_str(), result, MAX_PATH * 2);
    return result;
}

} // namespace

TEST(AnsiPaths, NamesTheCodePageCannotSpellGoByTheirShortNamesNeverByALookAlike) {
    ASSERT_EQ(GetACP(), 1254u);
    TempFolder temp;
    const std::wstring base = Wide(temp.Path());
    // 'Şirket_o' is spelled as it is; 'Şirket_ő' would be 'Şirket_o' by the
    // system's own conversion, which is the other folder.
    const std::wstring names[] = {L"\u015Eirket_o", L"\u015Eirket_\u0151", L"\u03A9mega"};
    for (const std::wstring& name : names)
        ASSERT_TRUE(CreateDirectoryW((base + name).c_str(), nullptr));

    struct Case {
        const wchar_t* name;
        bool spelledAsItIs;
    };
    for (const Case& c :
         {Case{names[0].c_str(), true}, Case{names[1].c_str(), false}, Case{names[2].c_str(), false}}) {
        const std::wstring wide = base + c.name;
        const std::string path = tk::AnsiPath(wide);
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.find('?'), std::string::npos) << path;
        EXPECT_EQ(LongName(path), wide) << path; // the folder itself
        if (c.spelledAsItIs) {
            EXPECT_EQ(path, temp.Path() + "Şirket_o");
        }

        // The folder browser's choice comes as an item list.
        LPITEMIDLIST list = nullptr;
        ASSERT_EQ(SHParseDisplayName(wide.c_str(), nullptr, &list, 0, nullptr), S_OK);
        std::string chosen, shown;
        EXPECT_TRUE(tk::AnsiPathFromItemList(list, chosen, shown));
        CoTaskMemFree(list);
        EXPECT_EQ(LongName(chosen), wide) << chosen;
        EXPECT_TRUE(shown.empty());
    }
    // For a message only: "?" where a letter cannot be spelled.
    EXPECT_EQ(tk::AnsiPathForMessage(L"C:\\\u015Eirket_\u0151"), "C:\\Şirket_?");
    EXPECT_EQ(tk::AnsiPath(L""), "");
    std::string chosen, shown;
    EXPECT_FALSE(tk::AnsiPathFromItemList(nullptr, chosen, shown));
}
