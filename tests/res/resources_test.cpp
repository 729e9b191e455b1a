// The program's resources as Windows reads them: version, icon, manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/resource_ids.h"
#include "base/version.h"

namespace {

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string Resource(LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(nullptr, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    return data ? std::string(data, SizeofResource(nullptr, found)) : std::string();
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

} // namespace

TEST(Resources, VersionIsTheProgramsVersion) {
    EXPECT_STREQ(VELMORA_VERSION_TEXT, "3.10");
    const std::string path = OwnPath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(VELMORA_VERSION_MINOR, VELMORA_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(VELMORA_VERSION_MINOR, VELMORA_VERSION_MAJOR));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(translation->language, 0x041F); // Turkish
    EXPECT_EQ(translation->codePage, 1254);
    const char* strings[][2] = {
        {"FileVersion", "3.10"},        {"ProductVersion", "3.10"},          {"ProductName", "velmora"},
        {"FileDescription", "velmora"}, {"OriginalFilename", "velmora.exe"},
    };
    for (const auto& s : strings) {
        char* value = nullptr;
        std::string key = std::string("\\StringFileInfo\\041F04E6\\") + s[0];
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << s[0];
        EXPECT_STREQ(value, s[1]) << s[0];
    }
}

TEST(Resources, IconHasEverySizeTheShellAsksFor) {
    const std::string group = Resource("MAINICON", MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
    ASSERT_EQ(group.size(), 6u + count * sizeof(GroupIconEntry));
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const auto* e =
            reinterpret_cast<const GroupIconEntry*>(group.data() + 6 + i * sizeof(GroupIconEntry));
        EXPECT_EQ(e->bitCount, 32);
        sizes.push_back(e->width == 0 ? 256 : e->width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));
    // The window class takes the 32 and 16 pixel images.
    for (int size : {16, 32, 48}) {
        HICON icon =
            static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(icon, &ii));
        BITMAP bm{};
        GetObjectA(ii.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        EXPECT_EQ(bm.bmHeight, size);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, ManifestAsksForCommonControlsSixAndNoDpiAwareness) {
    const std::string manifest = Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("version=\"3.10.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(sizeof(void*) == 8 ? "processorArchitecture=\"amd64\""
                                               : "processorArchitecture=\"x86\""),
              std::string::npos);
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);

    // Windows are laid out in pixels: the system is asked to scale them.
    EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">true</gdiScaling>"), std::string::npos);

    // What the system made of it: the common controls loaded are the side-by-side
    // version 6 (Wine's says 5 through DllGetVersion, so the file is asked).
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    EXPECT_NE(std::string(CharLowerA(path)).find("microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos)
        << path;
}
