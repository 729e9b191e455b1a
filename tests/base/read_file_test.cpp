#include "base/read_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/os.h"
#include "support/scratch_files.h"

using namespace velmora;

namespace {

class Scratch : public testing_support::ScratchFiles {
public:
    Scratch() : ScratchFiles("read_file_test") {}
};

std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(i * 7 + i / 251);
    return s;
}

} // namespace

TEST(ReadWholeFile, AllOfAFileWithinTheLimitOrAFailure) {
    Scratch s;
    const std::string data = Pattern(70000);
    const std::string full = s.Write("full.bin", data);
    const std::string empty = s.Write("empty.bin", "");
    struct Case {
        const char* what;
        std::string path;
        int64_t limit;
        ReadFailure failure;
        std::string bytes;
    };
    const Case cases[] = {
        {"missing", s.Path("missing.bin"), 1 << 20, ReadFailure::CannotOpen, ""},
        {"over the limit", full, 69999, ReadFailure::TooLarge, ""},
        {"exactly the limit", full, 70000, ReadFailure::None, data},
        {"under the limit", full, 1 << 20, ReadFailure::None, data},
        {"empty", empty, 0, ReadFailure::None, ""},
    };
    for (const Case& c : cases) {
        const ReadResult read = ReadWholeFile(c.path, c.limit);
        EXPECT_EQ(read.failure, c.failure) << c.what;
        EXPECT_EQ(read.Ok(), c.failure == ReadFailure::None) << c.what;
        EXPECT_TRUE(read.bytes == c.bytes) << c.what << ": " << read.bytes.size() << " bytes";
    }
}

// A read that stops part way (an input/output error, or a file cut short
// after its size was taken) fails: the part read is never passed off as the file.
TEST(ReadWholeFile, APartReadIsAFailure) {
    Scratch s;
    const std::string path = s.Write("part.bin", Pattern(100000));
    for (int64_t readable : {int64_t(0), int64_t(1), int64_t(65536), int64_t(99999)}) {
        os::FileFaults faults;
        faults.readBytes = readable;
        os::InjectFileFaults(faults);
        const ReadResult read = ReadWholeFile(path, 1 << 20);
        os::ClearFileFaults();
        EXPECT_EQ(read.failure, ReadFailure::ReadFailed) << readable;
        EXPECT_TRUE(read.bytes.empty()) << readable;
    }
    EXPECT_EQ(ReadWholeFile(path, 1 << 20).bytes.size(), 100000u);
}

#ifndef _WIN32
// The real case: the kernel's files report a whole page and end long before it.
TEST(ReadWholeFile, AFileEndingBeforeItsSizeIsAFailure) {
    const std::string path = "/sys/devices/system/cpu/online";
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) GTEST_SKIP() << "no " << path;
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (os::FileSize(path) <= static_cast<int64_t>(content.size())) GTEST_SKIP() << path << " is not short";
    const ReadResult read = ReadWholeFile(path, 1 << 20);
    EXPECT_EQ(read.failure, ReadFailure::ReadFailed);
    EXPECT_TRUE(read.bytes.empty());
}
#endif
