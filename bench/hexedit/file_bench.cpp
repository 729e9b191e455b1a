// Load, search, edit 1,000 scattered bytes and save a 1 GiB file: the times
// against a plain file copy, and the peak resident memory above the baseline.
// Then the window reads that painting one screen of rows costs.
//
// A save writes a new file beside the target, flushes it to the disk and
// renames it over the target; the plain copy it is held against leaves its
// bytes in the page cache. The same copy with a flush at the end shows what
// the flush itself costs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <unistd.h>

#include "bench_files.h"
#include "hexedit/hex_document.h"

using velmora::hex::HexDocument;
namespace os = velmora::os;

namespace {

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Each timed step starts with the dirty pages of the previous ones written out,
// so that the writeback of one step is not charged to the next.
template <typename F> double Seconds(F&& f) {
    sync();
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The plain copy, then its bytes flushed to the disk.
bool CopyAndFlush(const std::string& from, const std::string& to) {
    os::File in, out;
    if (!in.Open(from, os::File::Mode::Read) || !out.Open(to, os::File::Mode::Create)) return false;
    std::string buffer(1 << 20, '\0');
    for (;;) {
        int32_t n = in.Read(buffer.data(), 1 << 20);
        if (n < 0) return false;
        if (n == 0) break;
        if (out.Write(buffer.data(), n) != n) return false;
    }
    return out.Flush();
}

} // namespace

int main() {
    const int64_t size = int64_t{1} << 30;
    const std::string dir = os::TempFolder();
    const std::string source = dir + "hexedit_file_bench.bin";
    const std::string copy = dir + "hexedit_file_bench.copy";
    const std::string saved = dir + "hexedit_file_bench.saved";
    if (!hexbench::WriteRandomFile(source, size, 12345)) {
        std::printf("cannot write %s\n", source.c_str());
        return 1;
    }

    ResetPeak();
    const long baseline = StatusKb("VmHWM:");
    double copyTime = 1e9, copyBeforeSave = 1e9, copyOver = 1e9, flushedCopy = 1e9, byHand = 1e9,
           loadTime = 1e9, saveTime = 1e9, findTime = 1e9, editTime = 1e9;
    long worstPaintReads = 0;
    for (int round = 0; round < 3; ++round) {
        // The save replaces an existing file, as the editor's saves do.
        if (!os::CopyFileTo(source, saved, false)) std::abort();
        copyTime = std::min(copyTime, Seconds([&] { os::CopyFileTo(source, copy, false); }));
        os::RemoveFile(copy);
        HexDocument doc;
        loadTime = std::min(loadTime, Seconds([&] {
                                if (!doc.LoadFromFile(source)) std::abort();
                            }));
        uint8_t pattern[8] = {'v', 'E', 'l', 'M', 'o', 'R', 'a', '!'};
        findTime =
            std::min(findTime, Seconds([&] { doc.Find(pattern, 8, 0, doc.DataSize() - 1, false, false); }));
        editTime =
            std::min(editTime, Seconds([&] {
                         for (int i = 0; i < 1000; ++i) {
                             int32_t at = static_cast<int32_t>((size / 1000) * i + (i * 7919) % 4096);
                             doc.ChangeByte(doc.ByteAt(at), static_cast<uint8_t>(doc.ByteAt(at) ^ 0x5A), at);
                         }
                     }));
        // The save against copies of the same working copy, in turns. Each
        // timed write follows the removal of a file as large (or replaces one),
        // so that all of them reuse pages just given back: on this machine new
        // pages cost several times more, which no real disk would show.
        for (int turn = 0; turn < 2; ++turn) {
            copyBeforeSave = std::min(copyBeforeSave,
                                      Seconds([&] { os::CopyFileTo(doc.WorkingCopyPath(), copy, false); }));
            copyOver =
                std::min(copyOver, Seconds([&] { os::CopyFileTo(doc.WorkingCopyPath(), copy, false); }));
            os::RemoveFile(copy);
            flushedCopy = std::min(flushedCopy, Seconds([&] {
                                       if (!CopyAndFlush(doc.WorkingCopyPath(), copy)) std::abort();
                                   }));
            os::RemoveFile(copy);
            // What any safe save must do at least: the flushed copy, then a rename over the file.
            byHand =
                std::min(byHand, Seconds([&] {
                             if (!CopyAndFlush(doc.WorkingCopyPath(), copy) || !os::MoveFileOver(copy, saved))
                                 std::abort();
                         }));
            saveTime = std::min(saveTime, Seconds([&] {
                                    if (!doc.SaveToFile(saved)) std::abort();
                                }));
        }
        // Painting: one screen of 60 rows anywhere reads at most one window.
        uint64_t seed = 99 + round;
        for (int screen = 0; screen < 200; ++screen) {
            int32_t top = static_cast<int32_t>(hexbench::NextRandom(seed) % (size / 16 - 60));
            int64_t before = doc.WindowLoads();
            for (int32_t row = top; row < top + 60; ++row) {
                doc.CoverWindow(row * 16);
                for (int b = 0; b < 16; ++b)
                    (void)doc.ByteAt(row * 16 + b);
            }
            worstPaintReads = std::max<long>(worstPaintReads, static_cast<long>(doc.WindowLoads() - before));
        }
        os::RemoveFile(saved);
    }
    const long peak = StatusKb("VmHWM:");
    std::printf("file size                 1 GiB\n");
    std::printf("plain copy                %.3f s\n", copyTime);
    std::printf("LoadFromFile              %.3f s  (%.2fx copy)\n", loadTime, loadTime / copyTime);
    std::printf("Find absent, 8 bytes      %.3f s\n", findTime);
    std::printf("1,000 scattered edits     %.3f s\n", editTime);
    std::printf("plain copy before save    %.3f s\n", copyBeforeSave);
    std::printf("plain copy over the copy  %.3f s  (the old file's pages given back first)\n", copyOver);
    std::printf("plain copy + flush        %.3f s  (the flush costs %.3f s)\n", flushedCopy,
                flushedCopy - copyBeforeSave);
    std::printf("flushed copy + rename     %.3f s  (over the saved file)\n", byHand);
    std::printf("SaveToFile                %.3f s  (%.2fx the copy before it, %.2fx the copy over a file, "
                "%.2fx the flushed copy, %.2fx flushed copy + rename)\n",
                saveTime, saveTime / copyBeforeSave, saveTime / copyOver, saveTime / flushedCopy,
                saveTime / byHand);
    std::printf("peak RSS above baseline   %.2f MiB (baseline %.2f MiB)\n", (peak - baseline) / 1024.0,
                baseline / 1024.0);
    std::printf("window reads per screen   at most %ld (200 random screens x 3)\n", worstPaintReads);
    os::RemoveFile(source);
    return 0;
}
