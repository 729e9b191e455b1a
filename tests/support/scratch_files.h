// Files for one test under the temp folder, removed (write protection first)
// by the destructor, which also clears injected file faults. Portable: the
// native suites use it as well as the Windows ones.
#pragma once
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/os.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace testing_support {

class ScratchFiles {
public:
    // Every name starts with the tag, so that test programs running side by
    // side never share a file.
    explicit ScratchFiles(const std::string& tag) {
        static int serial = 0;
        prefix_ = velmora::os::TempFolder() + tag + "_" + std::to_string(velmora::os::TickCount()) + "_" +
                  std::to_string(++serial) + "_";
    }
    ~ScratchFiles() {
        velmora::os::ClearFileFaults();
        for (const auto& f : files_) {
            MakeWritable(f);
            velmora::os::RemoveFile(f);
        }
    }
    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    std::string Write(const std::string& name, const std::string& data) {
        std::string path = Path(name);
        velmora::os::File f;
        EXPECT_TRUE(f.Open(path, velmora::os::File::Mode::Create));
        if (!data.empty()) {
            EXPECT_EQ(f.Write(data.data(), static_cast<int32_t>(data.size())),
                      static_cast<int32_t>(data.size()));
        }
        return path;
    }
    // A path the destructor removes; the file is not made.
    std::string Path(const std::string& name) {
        files_.insert(prefix_ + name);
        return prefix_ + name;
    }
    static std::string Read(const std::string& path) {
        velmora::os::File f;
        if (!f.Open(path, velmora::os::File::Mode::Read)) return "<missing>";
        std::string data(static_cast<size_t>(f.Size()), '\0');
        f.Read(data.data(), static_cast<int32_t>(data.size()));
        return data;
    }
    static void MakeReadOnly(const std::string& path) {
#ifdef _WIN32
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
        chmod(path.c_str(), 0444);
#endif
    }
    static void MakeWritable(const std::string& path) {
#ifdef _WIN32
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
        chmod(path.c_str(), 0644);
#endif
    }

private:
    std::string prefix_;
    std::set<std::string> files_;
};

} // namespace testing_support
