#include "base/os.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/os_faults.h"

namespace velmora::os {

std::string TempFolder() {
    const char* dir = std::getenv("TMPDIR");
    std::string result = (dir && *dir) ? dir : "/tmp";
    if (result.back() != '/') result += '/';
    return result;
}

uint32_t TickCount() {
    if (faults::FrozenTick() >= 0) return static_cast<uint32_t>(faults::FrozenTick());
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    if (failIfExists && FileExists(to)) return false;
    File in, out;
    if (!in.Open(from, File::Mode::Read) || !out.Open(to, File::Mode::Create)) return false;
    static constexpr int32_t kChunk = 1 << 20;
    std::string buffer(kChunk, '\0');
    for (;;) {
        int32_t n = in.Read(buffer.data(), kChunk);
        if (n < 0) return false;
        if (n == 0) return true;
        if (out.Write(buffer.data(), n) != n) return false;
    }
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
    if (FileExists(to)) return false; // as MoveFile: never replace
    return rename(from.c_str(), to.c_str()) == 0;
}

bool MoveFileOver(const std::string& newFile, const std::string& target) {
    if (faults::ReplaceFails()) return false;
    struct stat st {};
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false;
        // The permission bits the user gave the file (and its group when we may).
        if (chmod(newFile.c_str(), st.st_mode & 07777) != 0) return false;
        if (chown(newFile.c_str(), static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Not a member of that group: the file keeps ours.
        }
    } else if (errno != ENOENT) {
        return false;
    }
    if (rename(newFile.c_str(), target.c_str()) != 0) return false;
    // The new name itself reaches the disk with the folder.
    std::string folder = target.substr(0, target.find_last_of('/') + 1);
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        ::close(dir);
    }
    return true;
}

std::string FinalPath(const std::string& path) {
    // A symbolic link is saved through: the file it names is the one
    // replaced, also when that file is not there yet. Each step is read as the
    // kernel would follow it (a relative target from the link's own folder);
    // a loop ends at a link, which the replace then refuses.
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(4096, '\0');
        ssize_t n = readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
        target.resize(static_cast<size_t>(n));
        if (target[0] != '/') target = current.substr(0, current.find_last_of('/') + 1) + target;
        current = target;
    }
    return current;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    return st.st_size;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

char PathSeparator() { return '/'; }

namespace {

std::string Convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        char in = c, res = '?';
        char* inp = &in;
        char* outp = &res;
        size_t inLeft = 1, outLeft = 1;
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
            res = '?';
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        out += res;
    }
    iconv_close(cd);
    return out;
}

char LocaleChar(nl_item item, char fallback) {
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (!loc) return fallback;
    const char* s = nl_langinfo_l(item, loc);
    char c = (s && *s) ? *s : fallback;
    // A UTF-8 multi-byte separator (such as a no-break space) has no single cp1254 byte.
    if (static_cast<unsigned char>(c) >= 0x80) c = fallback;
    freelocale(loc);
    return c;
}

} // namespace

std::string ToOem(const std::string& text) { return Convert(text, "CP857", "CP1254"); }
std::string FromOem(const std::string& text) { return Convert(text, "CP1254", "CP857"); }

char ThousandSeparator() { return LocaleChar(THOUSEP, ','); }
char DecimalSeparator() { return LocaleChar(RADIXCHAR, '.'); }

bool File::Open(const std::string& path, Mode mode) {
    Close();
    if ((mode == Mode::Create || mode == Mode::CreateNew) && faults::CreateFails()) return false;
    int flags = mode == Mode::Read        ? O_RDONLY
                : mode == Mode::ReadWrite ? O_RDWR
                : mode == Mode::Create    ? (O_RDWR | O_CREAT | O_TRUNC)
                                          : (O_RDWR | O_CREAT | O_EXCL);
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

void File::Close() {
    if (handle_ != -1) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

int64_t File::Size() const {
    struct stat st {};
    if (handle_ == -1 || fstat(static_cast<int>(handle_), &st) != 0) return -1;
    return st.st_size;
}

bool File::Seek(int64_t position) {
    return handle_ != -1 && lseek(static_cast<int>(handle_), position, SEEK_SET) == position;
}

int32_t File::Read(void* buffer, int32_t count) {
    if (handle_ == -1 || count < 0) return -1;
    const int32_t allowed = faults::ReadAllowance(count);
    int32_t done = 0;
    while (done < allowed) {
        ssize_t n = ::read(static_cast<int>(handle_), static_cast<char*>(buffer) + done, allowed - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            faults::Read(done);
            return -1;
        }
        if (n == 0) break;
        done += static_cast<int32_t>(n);
    }
    faults::Read(done);
    // A read cut short by a test hook fails unless the file ended first.
    if (allowed < count && done == allowed) return -1;
    return done;
}

int32_t File::Write(const void* buffer, int32_t count) {
    if (handle_ == -1 || count < 0) return -1;
    const int32_t allowed = faults::WriteAllowance(count);
    int32_t done = 0;
    while (done < allowed) {
        ssize_t n =
            ::write(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, allowed - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<int32_t>(n);
    }
    faults::Wrote(done);
    return done == count ? done : -1;
}

bool File::Truncate(int64_t size) {
    if (handle_ == -1 || faults::TruncateFails()) return false;
    return ftruncate(static_cast<int>(handle_), size) == 0;
}

bool File::Flush() {
    if (handle_ == -1 || faults::FlushFails()) return false;
    return fsync(static_cast<int>(handle_)) == 0;
}

} // namespace velmora::os
