#include "base/safe_write.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/os.h"
#include "support/scratch_files.h"

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>

#include <cstdlib>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace velmora;

namespace {

// Files of one test.
class Scratch : public testing_support::ScratchFiles {
public:
    Scratch() : ScratchFiles("safe_write_test") {}
};

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(i * 31 + 7);
    return s;
}

} // namespace

TEST(SafeWrite, NewAndExistingTargets) {
    Scratch s;
    std::string fresh = s.Path("fresh.txt");
    ASSERT_TRUE(SafeWriteFile(fresh, std::string("hello")).Ok());
    EXPECT_EQ(Scratch::Read(fresh), "hello");

    std::string old = s.Write("old.bin", Pattern(3000));
    SafeFileWriter writer(old);
    ASSERT_TRUE(writer.Begin());
    const std::string temp = writer.NewFilePath();
    EXPECT_TRUE(os::FileExists(temp));
    EXPECT_NE(temp, old);
    EXPECT_EQ(temp.substr(0, temp.find_last_of("\\/")), old.substr(0, old.find_last_of("\\/")))
        << "the new file lies beside the target, so that moving it is a rename";
    EXPECT_EQ(Scratch::Read(old), Pattern(3000)) << "the target is untouched until the commit";
    ASSERT_TRUE(writer.Write("new ", 4));
    ASSERT_TRUE(writer.Write("bytes", 5));
    ASSERT_TRUE(writer.Commit().Ok());
    EXPECT_EQ(Scratch::Read(old), "new bytes");
    EXPECT_FALSE(os::FileExists(temp));

    // An empty content is a content too.
    ASSERT_TRUE(SafeWriteFile(old, std::string()).Ok());
    EXPECT_EQ(os::FileSize(old), 0);

    // A writer given up (or destroyed) before its commit leaves nothing behind.
    std::string kept;
    {
        SafeFileWriter dropped(old);
        ASSERT_TRUE(dropped.Begin());
        kept = dropped.NewFilePath();
        dropped.Write("xyz", 3);
    }
    EXPECT_FALSE(os::FileExists(kept));
    EXPECT_EQ(os::FileSize(old), 0);
}

// Every way a save can fail: the target stays byte for byte, the new file goes,
// and the caller learns why.
TEST(SafeWrite, AFailureLeavesTheTargetAsItWas) {
    const std::string original = Pattern(5 << 20);
    const std::string replacement(5 << 20, 'R');
    struct Case {
        const char* what;
        os::FileFaults faults;
        WriteFailure expected;
    };
    os::FileFaults halfWay, atOnce, flush, replace, create;
    halfWay.writeBytes = (5 << 20) / 2 + 3;
    atOnce.writeBytes = 0;
    flush.failFlush = true;
    replace.failReplace = true;
    create.failCreate = true;
    const Case cases[] = {
        {"disk full half-way", halfWay, WriteFailure::WriteFailed},
        {"disk full at once", atOnce, WriteFailure::WriteFailed},
        {"flush fails", flush, WriteFailure::FlushFailed},
        {"replace refused", replace, WriteFailure::ReplaceFailed},
        {"no new file", create, WriteFailure::CannotCreate},
    };
    for (const Case& c : cases) {
        Scratch s;
        std::string target = s.Write("target.dat", original);
        SafeFileWriter writer(target);
        os::InjectFileFaults(c.faults);
        std::string temp;
        if (writer.Begin()) {
            temp = writer.NewFilePath();
            for (size_t at = 0; at < replacement.size(); at += 1 << 20)
                writer.Write(replacement.data() + at, 1 << 20);
        }
        WriteResult result = writer.Commit();
        os::ClearFileFaults();
        EXPECT_FALSE(result.Ok()) << c.what;
        EXPECT_EQ(result.failure, c.expected) << c.what;
        EXPECT_FALSE(result.Text().empty()) << c.what;
        EXPECT_TRUE(Scratch::Read(target) == original) << c.what;
        if (!temp.empty()) {
            EXPECT_FALSE(os::FileExists(temp)) << c.what;
        }
    }

    // A source that cannot be read all the way is no content to save.
    Scratch s;
    std::string target = s.Write("target.dat", "keep me");
    std::string source = s.Write("source.dat", replacement);
    os::File in;
    ASSERT_TRUE(in.Open(source, os::File::Mode::Read));
    os::FileFaults readFault;
    readFault.readBytes = 3 << 20;
    os::InjectFileFaults(readFault);
    WriteResult result = SafeWriteFrom(in, static_cast<int64_t>(replacement.size()), target);
    os::ClearFileFaults();
    EXPECT_EQ(result.failure, WriteFailure::SourceFailed);
    EXPECT_EQ(Scratch::Read(target), "keep me");
    EXPECT_EQ(SafeCopyFile(s.Path("missing.dat"), target).failure, WriteFailure::SourceFailed);
    EXPECT_EQ(Scratch::Read(target), "keep me");
    // The same copy without the fault goes through.
    ASSERT_TRUE(SafeWriteFrom(in, 4, target).Ok());
    EXPECT_EQ(Scratch::Read(target), "RRRR");
    ASSERT_TRUE(SafeCopyFile(source, target).Ok());
    EXPECT_TRUE(Scratch::Read(target) == replacement);
}

TEST(SafeWrite, TargetsThatAreNotToBeReplaced) {
    Scratch s;
    std::string locked = s.Write("locked.txt", "protected");
    Scratch::MakeReadOnly(locked);
    EXPECT_EQ(SafeWriteFile(locked, std::string("x")).failure, WriteFailure::TargetReadOnly);
    EXPECT_EQ(Scratch::Read(locked), "protected");
    EXPECT_TRUE(os::IsReadOnlyFile(locked));

    // A folder of that name, and a folder that is not there.
    std::string folder = os::TempFolder();
    folder.pop_back();
    EXPECT_EQ(SafeWriteFile(folder, std::string("x")).failure, WriteFailure::TargetIsFolder);
    std::string nowhere = s.Path("no_such_folder") + os::PathSeparator() + "x.txt";
    EXPECT_EQ(SafeWriteFile(nowhere, std::string("x")).failure, WriteFailure::CannotCreate);
    EXPECT_FALSE(os::FileExists(nowhere));

    // The texts tell the cases apart.
    std::set<std::string> texts;
    for (WriteFailure f : {WriteFailure::TargetReadOnly, WriteFailure::TargetIsFolder,
                           WriteFailure::CannotCreate, WriteFailure::WriteFailed, WriteFailure::SourceFailed,
                           WriteFailure::FlushFailed, WriteFailure::ReplaceFailed})
        texts.insert(WriteFailureText(f));
    EXPECT_EQ(texts.size(), 7u);
    EXPECT_EQ(WriteFailureText(WriteFailure::None), "");
}

#ifdef _WIN32
// CreateFile refuses to create over a hidden or system file; a save must not.
TEST(SafeWrite, HiddenAndSystemFilesAreSavedAndKeepTheirAttributes) {
    Scratch s;
    const DWORD kinds[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
    int serial = 0;
    for (DWORD kind : kinds) {
        std::string path = s.Write("attr" + std::to_string(++serial) + ".ini", "old");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), kind));
        // Make it older than now, so that a kept creation time shows.
        FILETIME past{};
        SYSTEMTIME st{2001, 2, 0, 3, 4, 5, 6, 0};
        SystemTimeToFileTime(&st, &past);
        {
            HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            SetFileTime(h, &past, nullptr, nullptr);
            CloseHandle(h);
        }
        // Wine on Linux keeps no creation times of its own: nothing to keep there.
        WIN32_FILE_ATTRIBUTE_DATA before{};
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &before));
        const bool keepsCreationTimes = CompareFileTime(&before.ftCreationTime, &past) == 0;
        WriteResult result = SafeWriteFile(path, std::string("new content"));
        ASSERT_TRUE(result.Ok()) << kind << ": " << result.Text();
        EXPECT_EQ(Scratch::Read(path), "new content");
        DWORD now = GetFileAttributesA(path.c_str());
        EXPECT_EQ(now & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), kind);
        EXPECT_TRUE(now & FILE_ATTRIBUTE_ARCHIVE) << "a changed file is marked for the next backup";
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
        if (keepsCreationTimes) {
            EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &past), 0);
        }
    }
}

// A symbolic link made by the build machine (the test's fixture), as the
// Windows program sees it: under Wine a link of the Linux file system.
TEST(SafeWrite, ALinkIsSavedThroughToItsTarget) {
    const char* folder = std::getenv("VELMORA_LINK_FIXTURE");
    if (!folder || !*folder) GTEST_SKIP() << "no link fixture";
    std::string dir = folder;
    if (dir[0] == '/') dir = "Z:" + dir;
    for (char& c : dir)
        if (c == '/') c = '\\';
    const std::string link = dir + "\\link.txt", target = dir + "\\target.txt";
    if (!os::FileExists(dir + "\\made")) GTEST_SKIP() << "the build machine made no link";
    ASSERT_TRUE(os::SameFile(link, target));
    EXPECT_EQ(os::FinalPath(target), target);
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const WriteResult result = SafeWriteFile(link, std::string("new"));
    ASSERT_TRUE(result.Ok()) << result.Text();
    EXPECT_EQ(Scratch::Read(target), "new");
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
    // Still a link to it.
    EXPECT_TRUE(os::SameFile(link, target));
    EXPECT_TRUE(lstrcmpiA(os::FinalPath(link).c_str(), target.c_str()) == 0) << os::FinalPath(link);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

// A protected access list of one entry (everyone, full access), or none.
struct AccessList {
    int entries = -1;
    bool isProtected = false;
    ACCESS_MASK mask = 0;
};

AccessList ReadAccessList(const std::string& path) {
    AccessList result;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return result;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    result.isProtected = (control & SE_DACL_PROTECTED) != 0;
    if (dacl) {
        result.entries = dacl->AceCount;
        void* ace = nullptr;
        if (dacl->AceCount > 0 && GetAce(dacl, 0, &ace))
            result.mask = static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask;
    }
    LocalFree(descriptor);
    return result;
}

} // namespace

TEST(SafeWrite, TheTargetsAccessListIsKept) {
    Scratch s;
    const std::string path = s.Write("acl.txt", "old");
    BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    DWORD sidSize = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, sid, &sidSize));
    BYTE buffer[256] = {};
    PACL acl = reinterpret_cast<PACL>(buffer);
    ASSERT_TRUE(InitializeAcl(acl, sizeof buffer, ACL_REVISION));
    const ACCESS_MASK mask = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, mask, sid));
    std::string name = path;
    ASSERT_EQ(SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, acl, nullptr),
              DWORD(ERROR_SUCCESS));
    const AccessList before = ReadAccessList(path);
    if (before.entries != 1 || !before.isProtected) GTEST_SKIP() << "this file system keeps no access lists";
    ASSERT_TRUE(SafeWriteFile(path, std::string("new")).Ok());
    EXPECT_EQ(Scratch::Read(path), "new");
    const AccessList after = ReadAccessList(path);
    EXPECT_EQ(after.entries, 1);
    EXPECT_TRUE(after.isProtected);
    EXPECT_EQ(after.mask, before.mask);
}
#else
TEST(SafeWrite, ASymbolicLinkIsSavedThroughToItsTarget) {
    Scratch s;
    const std::string folder = s.Path("links");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string sub = folder + "/sub";
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    struct Case {
        const char* link;
        const char* points;  // the link's text
        const char* written; // the file that gets the bytes, in the folder
        bool exists;         // that file is there before the save
    };
    const Case cases[] = {
        {"absolute", "", "sub/a.txt", true}, // points: the full path of written
        {"relative", "b.txt", "b.txt", true},
        {"into_sub", "sub/c.txt", "sub/c.txt", true},
        {"chain", "relative", "b.txt", true}, // a link to a link
        {"dangling", "sub/new.txt", "sub/new.txt", false},
    };
    for (const Case& c : cases) {
        const std::string link = folder + "/" + c.link;
        const std::string written = folder + "/" + c.written;
        const std::string points = *c.points ? c.points : written;
        if (c.exists) {
            s.Write("links/" + std::string(c.written), "old");
            ASSERT_EQ(chmod(written.c_str(), 0640), 0);
        }
        if (access(link.c_str(), F_OK) != 0 || std::string(c.link) == "chain") {
            unlink(link.c_str());
            ASSERT_EQ(symlink(points.c_str(), link.c_str()), 0) << c.link;
        }
        const WriteResult result = SafeWriteFile(link, std::string("new ") + c.link);
        ASSERT_TRUE(result.Ok()) << c.link << ": " << result.Text();
        struct stat st {};
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.link << " is a link still";
        char text[4096] = {};
        EXPECT_EQ(std::string(text, static_cast<size_t>(readlink(link.c_str(), text, sizeof text))), points);
        EXPECT_EQ(Scratch::Read(written), std::string("new ") + c.link);
        ASSERT_EQ(stat(written.c_str(), &st), 0);
        if (c.exists) {
            EXPECT_EQ(st.st_mode & 0777, 0640u) << c.link;
        }
    }
    // A loop names no file: nothing is written, the links stay.
    const std::string one = folder + "/one", two = folder + "/two";
    ASSERT_EQ(symlink(two.c_str(), one.c_str()), 0);
    ASSERT_EQ(symlink(one.c_str(), two.c_str()), 0);
    EXPECT_FALSE(SafeWriteFile(one, std::string("x")).Ok());
    struct stat st {};
    ASSERT_EQ(lstat(one.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    for (const Case& c : cases) {
        unlink((folder + "/" + c.link).c_str());
        unlink((folder + "/" + c.written).c_str());
    }
    for (const std::string& name : {one, two, sub, folder}) {
        unlink(name.c_str());
        rmdir(name.c_str());
    }
}

TEST(SafeWrite, PermissionBitsAreKept) {
    Scratch s;
    std::string path = s.Write("mode.txt", "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(SafeWriteFile(path, std::string("new")).Ok());
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Scratch::Read(path), "new");
}
#endif
