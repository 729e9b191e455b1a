#include "hexedit/hex_document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <stdexcept>

#include "base/os.h"
#include "hexedit/grid_layout.h"
#include "hexedit/translation.h"
#include "support/scratch_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

using namespace velmora;
using namespace velmora::hex;

namespace {

// Files of one test.
class Scratch : public testing_support::ScratchFiles {
public:
    Scratch() : ScratchFiles("hexdoc_test") {}
};

int32_t IntAt(const std::vector<uint8_t>& j, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(j[at + i]) << (8 * i);
    return static_cast<int32_t>(v);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

// The search as defined byte by byte: leftmost match lying in start..endPos.
int32_t NaiveFind(const std::string& data, std::string pattern, int32_t start, int32_t endPos,
                  bool ignoreCase) {
    int32_t size = static_cast<int32_t>(data.size());
    int32_t count = static_cast<int32_t>(pattern.size());
    if (endPos >= size) endPos = size - 1;
    if (count < 1 || start + count > endPos + 1) return -1;
    auto fold = [&](char c) { return ignoreCase ? os::LowerAnsi(c) : c; };
    for (char& c : pattern)
        c = fold(c);
    int32_t i = 0, p = start, next = start + 1;
    while (p <= endPos) {
        char c = fold(data[p]);
        if (pattern[i] == c) {
            if (i == count - 1) return p - count + 1;
            if (i == 0) next = p + 1;
            ++p;
            ++i;
        } else {
            p = next;
            next = p + 1;
            i = 0;
        }
    }
    return -1;
}

} // namespace

TEST(HexDocument, LoadsAndReadsThroughTheWindow) {
    Scratch s;
    std::string data(200000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("big.bin", data)));
    EXPECT_EQ(doc.DataSize(), 200000);
    EXPECT_FALSE(doc.ReadOnlyDoc());
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(doc.LastUndoText(), "No Undo");
    // A screen of rows anywhere costs one window, recentred 32 KiB before the first row.
    int64_t loads = doc.WindowLoads();
    for (int32_t row = 6000; row < 6060; ++row)
        for (int32_t b = 0; b < 16; ++b)
            ASSERT_EQ(doc.ByteAt(row * 16 + b), static_cast<uint8_t>((row * 16 + b) * 7));
    EXPECT_EQ(doc.WindowLoads(), loads + 1);
    EXPECT_EQ(doc.WindowStart(), 6000 * 16 - 32768);
    // The working copy is a temp file named from the tick count.
    const std::string& work = doc.WorkingCopyPath();
    ASSERT_GE(work.size(), 13u);
    EXPECT_EQ(work.substr(work.size() - 5), ".KWTF");
    for (char c : work.substr(work.size() - 13, 8))
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(c));
    EXPECT_EQ(work.substr(0, os::TempFolder().size()), os::TempFolder());
}

TEST(HexDocument, WorkingCopiesAreDistinctAndRemoved) {
    Scratch s;
    std::string path = s.Write("a.bin", "abc");
    std::string first;
    {
        HexDocument a, b;
        EXPECT_NE(a.WorkingCopyPath(), b.WorkingCopyPath());
        ASSERT_TRUE(a.LoadFromFile(path));
        first = a.WorkingCopyPath();
        EXPECT_TRUE(os::FileExists(first));
    }
    EXPECT_FALSE(os::FileExists(first));
}

// Runs this test program again with only the given tests and one more
// environment variable; returns its exit code.
int RunThisProgram(const std::string& filter, const std::string& variable, const std::string& value) {
#ifdef _WIN32
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    SetEnvironmentVariableA(variable.c_str(), value.c_str());
    std::string command = "\"" + std::string(self) + "\" --gtest_filter=" + filter;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  &startup, &process);
    SetEnvironmentVariableA(variable.c_str(), nullptr);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
#else
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return -1;
    std::string filterArgument = "--gtest_filter=" + filter;
    char* argv[] = {self, filterArgument.data(), nullptr};
    setenv(variable.c_str(), value.c_str(), 1);
    pid_t child = 0;
    int failed = posix_spawn(&child, self, nullptr, nullptr, argv, environ);
    unsetenv(variable.c_str());
    if (failed) return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
#endif
}

// A load that does not go through never leaves the previous document under the
// new name: the editor is empty, read-only and nameless, and says why.
TEST(HexDocument, RefusedLoadsLeaveAnEmptyReadOnlyNamelessEditor) {
    Scratch s;
    const std::string content(3 << 20, 'c');
    const std::string path = s.Write("x.bin", content);
    const std::string huge = s.Path("huge.bin");
    {
        os::File f;
        ASSERT_TRUE(f.Open(huge, os::File::Mode::Create));
        ASSERT_TRUE(f.Truncate(int64_t{1} << 31)); // sparse: 2 GiB costs no disk
    }
    os::FileFaults tempFull, readError, noTempFile;
    tempFull.writeBytes = (3 << 20) / 2; // the working copy's disk fills half-way
    readError.readBytes = (3 << 20) - 1; // the last byte cannot be read
    noTempFile.failCreate = true;
    struct Case {
        const char* what;
        std::string name;
        os::FileFaults faults;
        HexError expected;
    };
    const Case cases[] = {
        {"missing", s.Path("missing.bin"), {}, HexError::NotFound},
        {"2 GiB", huge, {}, HexError::TooLarge},
        {"temp folder full", path, tempFull, HexError::CopyFailed},
        {"read error", path, readError, HexError::CopyFailed},
        {"no working copy", path, noTempFile, HexError::NoWorkingCopy},
    };
    for (const Case& c : cases) {
        HexDocument doc;
        ASSERT_TRUE(doc.LoadFromFile(s.Write("previous.bin", "previous")));
        doc.ChangeByte('p', 'P', 0);
        os::InjectFileFaults(c.faults);
        const bool loaded = doc.LoadFromFile(c.name);
        os::ClearFileFaults();
        EXPECT_FALSE(loaded) << c.what;
        EXPECT_EQ(doc.LastError(), c.expected) << c.what;
        EXPECT_FALSE(doc.LastErrorText().empty()) << c.what;
        EXPECT_EQ(doc.DataSize(), 0) << c.what;
        EXPECT_EQ(doc.RowCount(), 1) << c.what;
        EXPECT_TRUE(doc.ReadOnlyDoc()) << c.what;
        EXPECT_EQ(doc.FileName(), "") << c.what;
        EXPECT_FALSE(doc.Modified()) << c.what;
        EXPECT_EQ(doc.UndoRecordCount(), 0) << c.what;
        EXPECT_EQ(os::FileSize(doc.WorkingCopyPath()), 0)
            << c.what << ": the temp folder gets its space back";
        // The next load works as usual and clears the reason.
        ASSERT_TRUE(doc.LoadFromFile(path)) << c.what;
        EXPECT_EQ(doc.LastError(), HexError::None);
        EXPECT_EQ(doc.DataSize(), 3 << 20);
        EXPECT_EQ(doc.ByteAt((3 << 20) - 1), 'c');
    }
    EXPECT_TRUE(Scratch::Read(path) == content);
}

// The other process of the test below: an editor made in the given tick loads
// a file and writes where its working copy is, and what it holds.
TEST(HexDocumentChild, EditorInTheGivenTick) {
    const char* job = std::getenv("VELMORA_HEXDOC_CHILD");
    if (job == nullptr) GTEST_SKIP() << "run by TwoProcessesInOneTickGetTwoWorkingCopies";
    std::string text = job;
    const size_t bar1 = text.find('|'), bar2 = text.find('|', bar1 + 1);
    os::FreezeTickCount(std::stoll(text.substr(0, bar1)));
    HexDocument doc;
    os::FreezeTickCount(-1);
    ASSERT_TRUE(doc.LoadFromFile(text.substr(bar1 + 1, bar2 - bar1 - 1)));
    const std::string report = doc.WorkingCopyPath() + "\n" + Scratch::Read(doc.WorkingCopyPath());
    os::File out;
    ASSERT_TRUE(out.Open(text.substr(bar2 + 1), os::File::Mode::Create));
    ASSERT_EQ(out.Write(report.data(), static_cast<int32_t>(report.size())),
              static_cast<int32_t>(report.size()));
}

// Working copies are named from the tick count; two editors in two processes
// started in one tick must still never share one.
TEST(HexDocument, TwoProcessesInOneTickGetTwoWorkingCopies) {
    Scratch s;
    const std::string mine = s.Write("mine.bin", "mine, not the other's");
    const std::string theirs = s.Write("theirs.bin", "the other process's");
    const std::string report = s.Path("report.txt");
    const int64_t tick = (os::TickCount() ^ 0x5A5A5A5Au) & 0x7FFFFFFF;
    os::FreezeTickCount(tick);
    HexDocument doc; // made first, loaded only after the other one has used its copy
    os::FreezeTickCount(-1);
    ASSERT_EQ(RunThisProgram("HexDocumentChild.*", "VELMORA_HEXDOC_CHILD",
                             std::to_string(tick) + "|" + theirs + "|" + report),
              0);
    const std::string answer = Scratch::Read(report);
    const size_t newline = answer.find('\n');
    ASSERT_NE(newline, std::string::npos) << answer;
    EXPECT_NE(answer.substr(0, newline), doc.WorkingCopyPath());
    EXPECT_EQ(answer.substr(newline + 1), "the other process's");
    ASSERT_TRUE(doc.LoadFromFile(mine));
    EXPECT_EQ(Scratch::Read(doc.WorkingCopyPath()), "mine, not the other's");
    EXPECT_FALSE(os::FileExists(answer.substr(0, newline))) << "the other editor took its copy away";
    EXPECT_TRUE(os::FileExists(doc.WorkingCopyPath()));

    // In one process the same: a second editor in the same tick takes the next name.
    os::FreezeTickCount(tick);
    HexDocument a, b;
    os::FreezeTickCount(-1);
    EXPECT_NE(a.WorkingCopyPath(), b.WorkingCopyPath());
}

// Once the journal lives on file (after a large removal), dropping its oldest
// record costs no file traffic: each edit costs what it costs without.
TEST(HexDocument, EditsAfterALargeRemovalCostWhatEditsCost) {
    Scratch s;
    std::string data(4 << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i % 251);
    const std::string path = s.Write("edits.bin", data);
    auto fill = [&](HexDocument& doc) { // a full journal of small records
        for (int32_t i = 0; i < HexDocument::kMaxUndoRecords; ++i)
            doc.ChangeByte(static_cast<uint8_t>(data[i]), static_cast<uint8_t>(~data[i]), i);
    };
    auto cost = [&](HexDocument& doc) {
        const os::FileCounters before = os::Counters();
        for (int32_t i = 1000; i < 1099; ++i)
            doc.ChangeByte(static_cast<uint8_t>(data[i]), static_cast<uint8_t>(data[i] ^ 0x40), i);
        const os::FileCounters after = os::Counters();
        return std::pair<int64_t, int64_t>{after.reads + after.writes - before.reads - before.writes,
                                           after.bytesRead + after.bytesWritten - before.bytesRead -
                                               before.bytesWritten};
    };
    HexDocument plain;
    ASSERT_TRUE(plain.LoadFromFile(path));
    fill(plain);
    const auto [plainCalls, plainBytes] = cost(plain);
    EXPECT_FALSE(plain.JournalSpilled());

    HexDocument spilled;
    ASSERT_TRUE(spilled.LoadFromFile(path));
    fill(spilled);
    spilled.SetSelStart(10000);
    spilled.SetSelEnd(10000 + (2 << 20) - 1);
    spilled.DeleteSelection();
    ASSERT_TRUE(spilled.JournalSpilled());
    const auto [calls, bytes] = cost(spilled);
    // Each edit adds its record to the journal's file: one write of 38 bytes.
    EXPECT_LE(calls, plainCalls + 99 * 2);
    EXPECT_LE(bytes, plainBytes + 99 * 38);
    EXPECT_EQ(spilled.UndoRecordCount(), 100);

    // When the large record is dropped in turn, the journal comes back into memory.
    const std::string spill = spilled.WorkingCopyPath() + ".undo";
    EXPECT_TRUE(os::FileExists(spill));
    for (int32_t i = 2000; i < 2002; ++i)
        spilled.ChangeByte(static_cast<uint8_t>(data[i]), 0, i);
    EXPECT_FALSE(spilled.JournalSpilled());
    EXPECT_FALSE(os::FileExists(spill));
    EXPECT_EQ(spilled.UndoRecordCount(), 100);
    EXPECT_EQ(spilled.JournalSize(), 100 * 38);
}

TEST(HexDocument, JournalRecordLayoutAndTheHundredFirstRecord) {
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("j.bin", std::string(300, 'x'))));
    doc.MoveCaret(Caret{5, false, 1});
    doc.ChangeByte('x', 'y', 5);
    EXPECT_EQ(Scratch::Read(doc.WorkingCopyPath()).substr(4, 3), "xyx");
    std::vector<uint8_t> j = doc.JournalBytes();
    ASSERT_EQ(j.size(), 38u);
    EXPECT_EQ(j[0], 0);         // kind
    EXPECT_EQ(j[1], 0);         // not marked before
    EXPECT_EQ(j[2], 0);         // Modified before
    EXPECT_EQ(IntAt(j, 3), 5);  // caret byte
    EXPECT_EQ(j[7], 1);         // second hex cell
    EXPECT_EQ(j[8], 0);         // hex field
    EXPECT_EQ(IntAt(j, 9), -1); // no selection
    EXPECT_EQ(IntAt(j, 13), -1);
    EXPECT_EQ(IntAt(j, 17), -1);
    EXPECT_EQ(IntAt(j, 21), 5); // position
    EXPECT_EQ(IntAt(j, 25), 1); // count
    EXPECT_EQ(IntAt(j, 29), 0);
    EXPECT_EQ(j[33], 'x');       // old byte
    EXPECT_EQ(IntAt(j, 34), 38); // total length
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(doc.CanUndo());
    EXPECT_EQ(doc.LastUndoText(), "Byte changed");
    EXPECT_TRUE(doc.IsChanged(5));

    // Changing it again records that it was already marked and modified.
    doc.ChangeByte('y', 'z', 5);
    j = doc.JournalBytes();
    ASSERT_EQ(j.size(), 76u);
    EXPECT_EQ(j[38 + 1], 1);
    EXPECT_EQ(j[38 + 2], 1);
    EXPECT_EQ(j[38 + 33], 'y');

    // A removal holds the removed bytes; then fill to 101 records.
    doc.SetSelEnd(8); // caret on 5: selects 5..8
    doc.DeleteSelection();
    j = doc.JournalBytes();
    ASSERT_EQ(doc.UndoRecordCount(), 3);
    EXPECT_EQ(j[76], 1);
    EXPECT_EQ(IntAt(j, 76 + 9), 5);
    EXPECT_EQ(IntAt(j, 76 + 13), 8);
    EXPECT_EQ(IntAt(j, 76 + 17), 5);
    EXPECT_EQ(IntAt(j, 76 + 25), 4);
    EXPECT_EQ(std::string(j.begin() + 76 + 33, j.begin() + 76 + 37), "zxxx");
    EXPECT_EQ(IntAt(j, 76 + 37), 41);
    EXPECT_EQ(doc.LastUndoText(), "Byte(s) removed");
    for (int i = 0; i < 97; ++i)
        doc.ChangeByte(doc.ByteAt(100 + i), '0', 100 + i);
    EXPECT_EQ(doc.UndoRecordCount(), 100);
    EXPECT_EQ(doc.JournalSize(), 38 * 99 + 41);
    doc.ChangeByte(doc.ByteAt(250), '1', 250); // the 101st drops the oldest
    j = doc.JournalBytes();
    EXPECT_EQ(doc.UndoRecordCount(), 100);
    EXPECT_EQ(j.size(), 38u * 99 + 41);
    // Walk back from the end: 100 records, the oldest now being the second change.
    size_t pos = j.size();
    int records = 0;
    size_t startOfOldest = 0;
    while (pos > 0) {
        int32_t length = IntAt(j, pos - 4);
        ASSERT_TRUE(length == 38 || length == 41);
        pos -= static_cast<size_t>(length);
        startOfOldest = pos;
        ++records;
    }
    EXPECT_EQ(records, 100);
    EXPECT_EQ(startOfOldest, 0u);
    EXPECT_EQ(j[33], 'y');
    EXPECT_EQ(IntAt(j, j.size() - 38 + 21), 250);

    // Modified := False drops the colouring, keeps the journal and its text.
    doc.SetModified(false);
    EXPECT_FALSE(doc.IsChanged(250));
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.LastUndoText(), "Byte changed");
    EXPECT_EQ(doc.UndoRecordCount(), 100);
}

TEST(HexDocument, LargeRemovalsKeepTheJournalOnDisk) {
    Scratch s;
    std::string data(3 << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i / 1000);
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("large.bin", data)));
    doc.ChangeByte(doc.ByteAt(7), 0x55, 7);
    EXPECT_FALSE(doc.JournalSpilled());
    doc.SetSelStart(1000);
    doc.SetSelEnd(1000 + (2 << 20) - 1); // 2 MiB
    doc.DeleteSelection();
    EXPECT_TRUE(doc.JournalSpilled());
    EXPECT_EQ(doc.DataSize(), (3 << 20) - (2 << 20));
    EXPECT_EQ(doc.ByteAt(1000), static_cast<uint8_t>((1000 + (2 << 20)) / 1000));
    std::vector<uint8_t> j = doc.JournalBytes();
    ASSERT_EQ(j.size(), 38u + 37 + (2u << 20));
    EXPECT_EQ(j[38], 1);
    EXPECT_EQ(IntAt(j, 38 + 25), 2 << 20);
    EXPECT_EQ(std::string(j.begin() + 38 + 33, j.end() - 4), data.substr(1000, 2 << 20));
    EXPECT_EQ(IntAt(j, j.size() - 4), 37 + (2 << 20));
    const std::string spill = doc.WorkingCopyPath() + ".undo";
    EXPECT_TRUE(os::FileExists(spill));
    // Dropping the oldest record works on the file too.
    for (int i = 0; i < 99; ++i)
        doc.ChangeByte(doc.ByteAt(100 + i), 0xEE, 100 + i);
    EXPECT_EQ(doc.UndoRecordCount(), 100);
    EXPECT_EQ(doc.JournalSize(), 37 + (2 << 20) + 38 * 99);
    EXPECT_EQ(doc.JournalBytes()[0], 1);
    // A save clears the journal and its file.
    ASSERT_TRUE(doc.SaveToFile(s.Path("large.out")));
    EXPECT_EQ(doc.JournalSize(), 0);
    EXPECT_FALSE(os::FileExists(spill));

    // A file that already goes by the journal's name is someone else's: the
    // journal takes the next name and leaves it alone.
    HexDocument other;
    const std::string taken = s.Write("taken", "not the journal's");
    const std::string otherSpill = other.WorkingCopyPath() + ".undo";
    ASSERT_TRUE(os::RenameFile(taken, otherSpill));
    ASSERT_TRUE(other.LoadFromFile(s.Path("large.bin")));
    other.SetSelStart(0);
    other.SetSelEnd((2 << 20) - 1);
    other.DeleteSelection();
    EXPECT_TRUE(other.JournalSpilled());
    EXPECT_EQ(Scratch::Read(otherSpill), "not the journal's");
    EXPECT_TRUE(os::FileExists(otherSpill + "1"));
    other.SetModified(false);
    other.NewEmptyDocument("yeni");
    EXPECT_FALSE(os::FileExists(otherSpill + "1"));
    os::RemoveFile(otherSpill);
}

// A removal whose tail move or shrink fails is refused: the working copy, the
// journal and the flags are as before, and the user is told. Only when the
// bytes cannot even be put back does the document turn read-only for good,
// showing what the working copy holds, and refuse every save.
TEST(HexDocument, AFailedRemovalIsRefusedOrNeverSaved) {
    std::string original(3 << 20, '\0');
    for (size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<char>(i * 7 + i / 251);
    const int32_t size = static_cast<int32_t>(original.size());
    struct Case {
        const char* what;
        int32_t start, count;
        int64_t failAfter; // bytes of the tail move before the failing write, -1: none
        bool recovers;     // only that write fails
        bool failTruncate;
    };
    const Case cases[] = {
        {"small gap, first chunk", 100, 10, 0, true, false},
        {"small gap, third chunk half written", 100, 10, (2 << 20) + 4000, true, false},
        {"gap wider than a chunk, second chunk", 1000, (1 << 20) + 5000, (1 << 20) + (1 << 20) / 3, true,
         false},
        {"shrink fails", 5000, 300000, -1, true, true},
        {"disk gone for good", 100, 10, (1 << 20) + 77, false, false},
    };
    for (const Case& c : cases) {
        Scratch s;
        const std::string path = s.Write("r.bin", original);
        HexDocument doc;
        ASSERT_TRUE(doc.LoadFromFile(path));
        doc.ChangeByte(doc.ByteAt(7), 0x11, 7);
        const std::vector<uint8_t> journal = doc.JournalBytes();
        doc.SetSelStart(c.start);
        doc.SetSelEnd(c.start + c.count - 1);
        // The record of a large removal goes to the journal's file before the move.
        const int64_t journalWrites =
            33 + int64_t{c.count} + 4 > UndoJournal::kMemoryLimit ? 38 + 37 + c.count : 0;
        os::FileFaults faults;
        if (c.failAfter >= 0) faults.writeBytes = journalWrites + c.failAfter;
        faults.writeRecovers = c.recovers;
        faults.failTruncate = c.failTruncate;
        const os::FileCounters before = os::Counters();
        os::InjectFileFaults(faults);
        EXPECT_THROW(doc.DeleteSelection(), std::runtime_error) << c.what;
        os::ClearFileFaults();
        // The move got as far as meant before it failed.
        const int64_t tail = size - (c.start + c.count);
        EXPECT_GE(os::Counters().bytesWritten - before.bytesWritten,
                  journalWrites + (c.failAfter >= 0 ? c.failAfter : tail))
            << c.what;
        std::string expected = original;
        expected[7] = 0x11;
        if (c.recovers) {
            EXPECT_EQ(doc.LastError(), HexError::EditFailed) << c.what;
            EXPECT_FALSE(doc.Damaged()) << c.what;
            EXPECT_EQ(doc.DataSize(), size) << c.what;
            EXPECT_TRUE(Scratch::Read(doc.WorkingCopyPath()) == expected) << c.what;
            EXPECT_TRUE(doc.JournalBytes() == journal) << c.what;
            EXPECT_EQ(doc.UndoRecordCount(), 1) << c.what;
            EXPECT_EQ(doc.LastUndoText(), "Byte changed") << c.what;
            EXPECT_TRUE(doc.IsChanged(7)) << c.what;
            EXPECT_EQ(doc.ByteAt(c.start + c.count), static_cast<uint8_t>(original[c.start + c.count]))
                << c.what;
            // The document goes on: the same removal now works and is saved.
            doc.DeleteSelection();
            expected.erase(c.start, c.count);
            ASSERT_TRUE(doc.SaveToFile(path)) << c.what;
            EXPECT_TRUE(Scratch::Read(path) == expected) << c.what;
        } else {
            EXPECT_EQ(doc.LastError(), HexError::Damaged) << c.what;
            EXPECT_TRUE(doc.Damaged()) << c.what;
            EXPECT_TRUE(doc.ReadOnlyDoc()) << c.what;
            const std::string working = Scratch::Read(doc.WorkingCopyPath());
            ASSERT_EQ(doc.DataSize(), static_cast<int32_t>(working.size())) << c.what;
            for (int32_t i : {0, 7, c.start, c.start + 1, (1 << 20) + 80, doc.DataSize() - 1})
                EXPECT_EQ(doc.ByteAt(i), static_cast<uint8_t>(working[i]))
                    << c.what << " shows what it holds, at " << i;
            EXPECT_FALSE(doc.SaveToFile(path)) << c.what;
            EXPECT_FALSE(doc.SaveToFile(s.Path("elsewhere.bin"))) << c.what;
            EXPECT_EQ(doc.LastError(), HexError::Damaged) << c.what;
            EXPECT_TRUE(Scratch::Read(path) == original) << c.what;
            // A new load is a fresh start.
            ASSERT_TRUE(doc.LoadFromFile(path));
            EXPECT_FALSE(doc.Damaged());
        }
    }

    // A byte that cannot be written is no change either.
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("b.bin", "abc")));
    os::FileFaults faults;
    faults.writeBytes = 0;
    os::InjectFileFaults(faults);
    EXPECT_THROW(doc.ChangeByte('b', 'B', 1), std::runtime_error);
    EXPECT_THROW(doc.AppendBytes(reinterpret_cast<const uint8_t*>("de"), 2), std::runtime_error);
    os::ClearFileFaults();
    EXPECT_EQ(doc.LastError(), HexError::EditFailed);
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.IsChanged(1));
    EXPECT_EQ(doc.UndoRecordCount(), 0);
    EXPECT_EQ(doc.DataSize(), 3);
    EXPECT_EQ(doc.ByteAt(1), 'b');
    EXPECT_EQ(Scratch::Read(doc.WorkingCopyPath()), "abc");
}

TEST(HexDocument, EqualByteIsNoChange) {
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("e.bin", "\x3C")));
    doc.ChangeByte(0x3C, 0x3C, 0);
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.IsChanged(0));
    EXPECT_EQ(doc.JournalSize(), 0);
}

TEST(HexDocument, RemovalDropsMarksFromTheRemovalPoint) {
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("r.bin", "0123456789")));
    for (int32_t i : {1, 4, 6, 8})
        doc.ChangeByte(doc.ByteAt(i), 'x', i);
    doc.MoveCaret(Caret{5, true, 0});
    doc.DeleteSelection(); // caret byte alone
    EXPECT_EQ(Scratch::Read(doc.WorkingCopyPath()), "0x23xx7x9");
    EXPECT_EQ(doc.DataSize(), 9);
    EXPECT_TRUE(doc.IsChanged(1));
    EXPECT_TRUE(doc.IsChanged(4));
    EXPECT_FALSE(doc.IsChanged(5));
    EXPECT_FALSE(doc.IsChanged(7));
    EXPECT_EQ(doc.CaretPos().byte, 5);
    EXPECT_TRUE(doc.CaretPos().charField);

    // Removing the last byte puts the caret on the new last byte; removing everything empties.
    doc.MoveCaret(Caret{8, false, 1});
    doc.DeleteSelection();
    EXPECT_EQ(doc.CaretPos().byte, 7);
    doc.SetSelStart(0);
    doc.SetSelEnd(7);
    doc.DeleteSelection();
    EXPECT_EQ(doc.DataSize(), 0);
    EXPECT_EQ(doc.RowCount(), 1);
    EXPECT_FALSE(doc.HasSelection());
    doc.DeleteSelection(); // nothing left: nothing happens
    EXPECT_EQ(doc.UndoRecordCount(), 3 + 4);
}

TEST(HexDocument, EmptyFileThenAppend) {
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("empty.bin", "")));
    EXPECT_EQ(doc.DataSize(), 0);
    EXPECT_EQ(doc.RowCount(), 1);
    const uint8_t ff = 0xFF;
    doc.AppendBytes(&ff, 1);
    EXPECT_EQ(doc.DataSize(), 1);
    EXPECT_TRUE(doc.IsSelected(0));
    EXPECT_EQ(doc.SelectionAnchor(), 0);
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.LastUndoText(), "Append buffer");
    EXPECT_EQ(doc.JournalSize(), 38);
    EXPECT_EQ(doc.JournalBytes()[33], 0);
    EXPECT_EQ(Scratch::Read(doc.WorkingCopyPath()), "\xFF");

    // A new empty document: read-only, then append creates the working copy anew.
    doc.NewEmptyDocument("yeni");
    EXPECT_EQ(doc.FileName(), "yeni");
    EXPECT_TRUE(doc.ReadOnlyDoc());
    EXPECT_EQ(doc.DataSize(), 0);
    const uint8_t three[] = {1, 2, 3};
    doc.AppendBytes(three, 3);
    doc.AppendBytes(three, 2);
    EXPECT_EQ(doc.DataSize(), 5);
    EXPECT_EQ(doc.SelectionStart(), 3);
    EXPECT_EQ(doc.SelectionEnd(), 4);
    EXPECT_EQ(doc.CaretPos().byte, 3);
    EXPECT_TRUE(doc.ReadOnlyDoc());
    EXPECT_EQ(Scratch::Read(doc.WorkingCopyPath()), Bytes({1, 2, 3, 1, 2}));
}

TEST(HexDocument, SaveMakesBackupOnlyForModifiedSameName) {
    Scratch s;
    HexDocument doc;
    std::string data = s.Write("data.bin", "ABCD");
    std::string bak = s.Path("data.bak");
    ASSERT_TRUE(doc.LoadFromFile(data));
    // Not modified: no backup.
    ASSERT_TRUE(doc.SaveToFile(data));
    EXPECT_FALSE(os::FileExists(bak));
    doc.ChangeByte('B', 'b', 1);
    ASSERT_TRUE(doc.SaveToFile(data));
    EXPECT_EQ(Scratch::Read(bak), "ABCD");
    EXPECT_EQ(Scratch::Read(data), "AbCD");
    EXPECT_FALSE(doc.Modified());
    EXPECT_FALSE(doc.IsChanged(1));
    EXPECT_EQ(doc.LastUndoText(), "No Undo");
    // Another name: no backup there, and the document follows the new name.
    doc.ChangeByte('C', 'c', 2);
    std::string other = s.Path("other.dat");
    ASSERT_TRUE(doc.SaveToFile(other));
    EXPECT_FALSE(os::FileExists(s.Path("other.bak")));
    EXPECT_EQ(Scratch::Read(other), "AbcD");
    EXPECT_EQ(doc.FileName(), other);
    EXPECT_EQ(Scratch::Read(data), "AbCD");
    // Edits go on after a save.
    doc.ChangeByte('D', 'd', 3);
    EXPECT_EQ(doc.ByteAt(3), 'd');

    // Backup names.
    EXPECT_EQ(doc.BackupName("C:\\dir.x\\data.bin"), "C:\\dir.x\\data.bak");
    EXPECT_EQ(doc.BackupName("C:\\dir.x\\noext"), "C:\\dir.x\\noext.bak");
    EXPECT_EQ(doc.BackupName("a.tar.gz"), "a.tar.bak");
    // A failing save (no such folder) reports false and changes nothing.
    EXPECT_FALSE(doc.SaveToFile(s.Path("nofolder") + "/x/y.bin"));
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(doc.FileName(), other);
    EXPECT_EQ(doc.ByteAt(3), 'd');
}

// A save that fails at any point leaves the file byte for byte as it was, says
// so, and keeps the document with its edits for another try.
TEST(HexDocument, AFailedSaveLeavesTheFileAsItWas) {
    const std::string original = [] {
        std::string d(3 << 20, '\0');
        for (size_t i = 0; i < d.size(); ++i)
            d[i] = static_cast<char>(i * 13 + i / 7);
        return d;
    }();
    const int64_t size = static_cast<int64_t>(original.size());
    struct Case {
        const char* what;
        bool backup;
        os::FileFaults faults;
        HexError expected;
        WriteFailure detail;
    };
    os::FileFaults halfSave, halfBackup, afterBackup, replace, flush;
    halfSave.writeBytes = size / 2;
    halfBackup.writeBytes = size / 2;
    afterBackup.writeBytes = size + size / 2; // the backup goes through, the save does not
    replace.failReplace = true;
    flush.failFlush = true;
    const Case cases[] = {
        {"disk full half-way", false, halfSave, HexError::SaveFailed, WriteFailure::WriteFailed},
        {"backup fails half-way", true, halfBackup, HexError::BackupFailed, WriteFailure::WriteFailed},
        {"save fails after the backup", true, afterBackup, HexError::SaveFailed, WriteFailure::WriteFailed},
        {"file in use", false, replace, HexError::SaveFailed, WriteFailure::ReplaceFailed},
        {"flush fails", false, flush, HexError::SaveFailed, WriteFailure::FlushFailed},
    };
    for (const Case& c : cases) {
        Scratch s;
        const std::string path = s.Write("data.bin", original);
        const std::string bak = s.Write("data.bak", "older backup");
        HexDocument doc;
        doc.SetCreateBackup(c.backup);
        ASSERT_TRUE(doc.LoadFromFile(path));
        doc.ChangeByte(doc.ByteAt(10), 0xAA ^ doc.ByteAt(10), 10);
        doc.SetSelStart(100);
        doc.SetSelEnd(199);
        doc.DeleteSelection();
        os::InjectFileFaults(c.faults);
        const bool saved = doc.SaveToFile(path);
        os::ClearFileFaults();
        EXPECT_FALSE(saved) << c.what;
        EXPECT_EQ(doc.LastError(), c.expected) << c.what;
        EXPECT_EQ(doc.LastWriteFailure(), c.detail) << c.what;
        EXPECT_FALSE(doc.LastErrorText().empty()) << c.what;
        EXPECT_TRUE(Scratch::Read(path) == original) << c.what;
        if (c.expected == HexError::BackupFailed) {
            EXPECT_EQ(Scratch::Read(bak), "older backup") << c.what;
        }
        EXPECT_TRUE(doc.Modified()) << c.what;
        EXPECT_TRUE(doc.IsChanged(10)) << c.what;
        EXPECT_EQ(doc.FileName(), path) << c.what;
        EXPECT_EQ(doc.DataSize(), size - 100) << c.what;
        // The same save without the fault goes through.
        ASSERT_TRUE(doc.SaveToFile(path)) << c.what;
        std::string expected = original;
        expected[10] = static_cast<char>(expected[10] ^ 0xAA);
        expected.erase(100, 100);
        EXPECT_TRUE(Scratch::Read(path) == expected) << c.what;
        if (c.backup) {
            EXPECT_TRUE(Scratch::Read(bak) == original) << c.what;
        }
    }
}

TEST(HexDocument, SavingABackupFileAndReadOnlyTargets) {
    Scratch s;
    // "x.bak" with the backup extension ".bak" is its own backup name.
    const std::string bak = s.Write("x.bak", "backup bytes");
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(bak));
    doc.ChangeByte('b', 'B', 0);
    ASSERT_TRUE(doc.SaveToFile(bak)) << doc.LastErrorText();
    EXPECT_EQ(Scratch::Read(bak), "Backup bytes");
    doc.ChangeByte('a', 'A', 1);
    doc.SetBackupExtension(".BAK"); // the same file where names ignore case; another one elsewhere
    ASSERT_TRUE(doc.SaveToFile(bak)) << doc.LastErrorText();
    EXPECT_EQ(Scratch::Read(bak), "BAckup bytes");

    doc.SetBackupExtension(".bak");

    // A save to a read-only file is refused with the file untouched, and
    // without a backup made for nothing.
    const std::string locked = s.Write("locked.bin", "locked");
    s.MakeReadOnly(locked);
    ASSERT_TRUE(doc.LoadFromFile(locked));
    doc.ChangeByte('l', 'L', 0);
    EXPECT_FALSE(doc.SaveToFile(locked));
    EXPECT_EQ(doc.LastError(), HexError::SaveFailed);
    EXPECT_EQ(doc.LastWriteFailure(), WriteFailure::TargetReadOnly);
    EXPECT_EQ(Scratch::Read(locked), "locked");
    EXPECT_FALSE(os::FileExists(s.Path("locked.bak")));

    // A backup that cannot be written stops the save.
    const std::string data = s.Write("data.bin", "data");
    const std::string lockedBackup = s.Write("data.bak", "old backup");
    s.MakeReadOnly(lockedBackup);
    ASSERT_TRUE(doc.LoadFromFile(data));
    doc.ChangeByte('d', 'D', 0);
    EXPECT_FALSE(doc.SaveToFile(data));
    EXPECT_EQ(doc.LastError(), HexError::BackupFailed);
    EXPECT_EQ(Scratch::Read(data), "data");
    EXPECT_EQ(Scratch::Read(lockedBackup), "old backup");
    // A file deleted meanwhile has nothing to back up: the edits are still saved.
    os::RemoveFile(data);
    EXPECT_TRUE(doc.SaveToFile(data)) << doc.LastErrorText();
    EXPECT_EQ(Scratch::Read(data), "Data");
}

#ifdef _WIN32
// Creating over a hidden or system file is refused by Windows; saving it is not.
TEST(HexDocument, HiddenAndSystemFilesAreSaved) {
    Scratch s;
    for (DWORD kind : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM}}) {
        const std::string path = s.Write(kind == FILE_ATTRIBUTE_HIDDEN ? "hidden.dat" : "system.dat", "abc");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), kind));
        HexDocument doc;
        ASSERT_TRUE(doc.LoadFromFile(path));
        EXPECT_FALSE(doc.ReadOnlyDoc());
        doc.ChangeByte('b', 'B', 1);
        ASSERT_TRUE(doc.SaveToFile(path)) << doc.LastErrorText();
        EXPECT_EQ(Scratch::Read(path), "aBc");
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), kind);
        EXPECT_EQ(Scratch::Read(s.Path(kind == FILE_ATTRIBUTE_HIDDEN ? "hidden.bak" : "system.bak")), "abc");
    }
}
#endif

TEST(HexDocument, FindEdgeCases) {
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("f.bin", "xaaabyyMZTabTAB")));
    struct Case {
        std::string pattern;
        int32_t start, endPos;
        bool ignoreCase;
        int32_t expected;
    } cases[] = {
        {"aab", 0, 100, false, 2},  // overlapping candidates; end clamped
        {"aab", 0, 4, false, 2},    // match ends exactly at endPos
        {"aab", 0, 3, false, -1},   // would end after endPos
        {"aab", 3, 100, false, -1}, // starts before start
        {"b", 4, 4, false, 4},
        {"mz", 0, 100, true, 7},
        {"mz", 0, 100, false, -1},
        {"tab", 8, 100, true, 9},
        {"tab", 10, 100, true, 12},
        {"xaaabyyMZTabTAB", 0, 100, false, 0},
        {"xaaabyyMZTabTABz", 0, 100, false, -1}, // longer than the document
        {"", 0, 100, false, -1},
        {"x", -5, 100, false, 0},
    };
    for (const Case& c : cases) {
        std::string buffer = c.pattern;
        EXPECT_EQ(doc.Find(reinterpret_cast<uint8_t*>(buffer.data()), static_cast<int32_t>(buffer.size()),
                           c.start, c.endPos, c.ignoreCase, false),
                  c.expected)
            << c.pattern << " from " << c.start;
    }
    // The caller's buffer is left lower-cased.
    std::string pattern = "TaB";
    EXPECT_EQ(doc.Find(reinterpret_cast<uint8_t*>(pattern.data()), 3, 0, doc.DataSize() - 1, true, false), 9);
    EXPECT_EQ(pattern, "tab");
    // With a translation the pattern is typed through it.
    doc.SetTranslation(TTranslationType::ttEBCDIC);
    std::string ebcdic = "MZ";
    EXPECT_EQ(doc.Find(reinterpret_cast<uint8_t*>(ebcdic.data()), 2, 0, 100, false, true), -1);
    EXPECT_EQ(ebcdic, Bytes({0xD4, 0xE9}));
    // An empty document finds nothing.
    doc.NewEmptyDocument("e");
    EXPECT_EQ(doc.Find(reinterpret_cast<uint8_t*>(pattern.data()), 1, 0, 0, false, false), -1);
}

TEST(HexDocument, FindAgreesWithTheByteByByteDefinition) {
    Scratch s;
    std::mt19937 random(1234);
    // Few distinct letters give many partial and overlapping matches; matches are
    // planted across the 64 KiB chunk borders too.
    // 'i', 'I' and the dotted capital I all fold to 'i'.
    const char alphabet[] = "aAiI\xDD";
    std::string data(300000, 'a');
    for (char& c : data)
        c = alphabet[random() % 5];
    std::string planted = "aiAI";
    for (int32_t at : {65530, 65536 - 2, 131070, 299996})
        data.replace(at, planted.size(), planted);
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("rand.bin", data)));
    for (int trial = 0; trial < 150; ++trial) {
        int32_t length = 1 + static_cast<int32_t>(random() % (trial % 10 == 0 ? 40 : 9));
        std::string pattern;
        for (int32_t i = 0; i < length; ++i)
            pattern += alphabet[random() % 5];
        int32_t start = static_cast<int32_t>(random() % data.size());
        if (trial % 3 == 0) start = static_cast<int32_t>(random() % 70000);
        int32_t endPos = start + static_cast<int32_t>(random() % 200000);
        bool ignoreCase = trial % 2 == 1;
        std::string buffer = pattern;
        int32_t got =
            doc.Find(reinterpret_cast<uint8_t*>(buffer.data()), length, start, endPos, ignoreCase, false);
        ASSERT_EQ(got, NaiveFind(data, pattern, start, endPos, ignoreCase))
            << pattern << " " << start << ".." << endPos << " ignoreCase " << ignoreCase;
    }
}

TEST(HexDocument, SeekAndSelectionBounds) {
    Scratch s;
    HexDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(s.Write("s.bin", std::string(40, 'q'))));
    EXPECT_FALSE(doc.Seek(-1, 0, true));
    EXPECT_TRUE(doc.Seek(-1, 0, false));
    EXPECT_EQ(doc.SelStart(), 0);
    EXPECT_TRUE(doc.Seek(0, 2, true));
    EXPECT_EQ(doc.SelStart(), 39);
    EXPECT_TRUE(doc.Seek(-9, 1, true));
    EXPECT_EQ(doc.SelStart(), 30);
    EXPECT_FALSE(doc.Seek(40, 0, true));
    EXPECT_TRUE(doc.Seek(400, 0, false));
    EXPECT_EQ(doc.SelStart(), 39);

    EXPECT_THROW(
        try { doc.SetSelStart(40); } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Invalid SelStart");
            throw;
        },
        std::runtime_error);
    EXPECT_THROW(doc.SetSelEnd(-1), std::runtime_error);
    doc.SetSelStart(39);
    EXPECT_EQ(doc.CaretPos().byte, 39);
    // SelEnd reaches back; reading it gives the end that is not the anchor.
    doc.SetSelStart(20);
    doc.SetSelEnd(10);
    EXPECT_EQ(doc.SelectionStart(), 10);
    EXPECT_EQ(doc.SelectionEnd(), 20);
    EXPECT_EQ(doc.SelEnd(), 10);
    EXPECT_EQ(doc.SelStart(), 20);
    doc.SetSelEnd(25);
    EXPECT_EQ(doc.SelEnd(), 25);
    doc.ClearSelection(true);
    EXPECT_EQ(doc.SelEnd(), 20);

    // BytesPerLine bounds.
    doc.SetBytesPerLine(256);
    EXPECT_EQ(doc.RowCount(), 1);
    EXPECT_THROW(doc.SetBytesPerLine(257), std::runtime_error);
    EXPECT_THROW(doc.SetBytesPerLine(0), std::runtime_error);
    EXPECT_EQ(doc.BytesPerLine(), 256);
    // Markers.
    EXPECT_THROW(doc.SetMarker(10, 1), std::runtime_error);
    doc.SetBytesPerLine(16);
    EXPECT_EQ(doc.Marker(3), 1); // unset: the caret row
    doc.SetMarker(3, 2);
    doc.SetMarker(5, 2);
    EXPECT_EQ(doc.MarkerOfRow(2), 3);
}

TEST(Translation, MacTableIsOneToOneWithTheListedPairs) {
    const ByteTable& mac = MacToAnsiTable();
    const ByteTable& back = AnsiToMacTable();
    std::set<int> seen;
    for (int b = 0; b < 256; ++b) {
        seen.insert(mac[b]);
        EXPECT_EQ(back[mac[b]], b);
        if (b < 128) {
            EXPECT_EQ(mac[b], b);
        }
    }
    EXPECT_EQ(seen.size(), 256u);
    const int pairs[][2] = {
        {0xA0, 0xDD}, {0xA5, 0x80}, {0xAA, 0x81}, {0xAD, 0x82}, {0xB0, 0x83}, {0xB2, 0xBE}, {0xB3, 0x84},
        {0xB6, 0x8F}, {0xB7, 0x85}, {0xB8, 0xBD}, {0xB9, 0xBC}, {0xBA, 0x86}, {0xBD, 0x87}, {0xC3, 0x88},
        {0xC4, 0x9F}, {0xC5, 0x89}, {0xC6, 0x90}, {0xC9, 0x8A}, {0xCE, 0x91}, {0xCF, 0xA6}, {0xD0, 0xAD},
        {0xD1, 0x8B}, {0xD2, 0xB3}, {0xD3, 0xB2}, {0xD4, 0x8C}, {0xD5, 0xB9}, {0xD7, 0xD7}, {0xD9, 0x8D},
        {0xDA, 0x8E}, {0xDB, 0xA4}, {0xDC, 0xD0}, {0xDD, 0xF0}, {0xDE, 0xDE}, {0xDF, 0xFE}, {0xE0, 0xFD},
        {0xE2, 0x92}, {0xE3, 0x93}, {0xE4, 0x94}, {0xF0, 0x95}, {0xF5, 0x9E}, {0xF6, 0x96}, {0xF7, 0x97},
        {0xF9, 0x98}, {0xFA, 0x99}, {0xFB, 0x9A}, {0xFD, 0x9B}, {0xFE, 0x9C}, {0xFF, 0x9D}};
    for (const auto& p : pairs)
        EXPECT_EQ(mac[p[0]], p[1]) << std::hex << p[0];
    // A few of the Latin-1 ones.
    EXPECT_EQ(mac[0x80], 0xC4); // Ä
    EXPECT_EQ(mac[0xA7], 0xDF); // ß
    EXPECT_EQ(mac[0xCA], 0xA0); // no-break space
    EXPECT_EQ(mac[0xD8], 0xFF); // ÿ
    EXPECT_EQ(mac[0xF8], 0xAF); // macron
    EXPECT_EQ(DisplayChar(TTranslationType::ttMac, 0x41), 'A');
    EXPECT_EQ(DisplayChar(TTranslationType::ttMac, 0x1F), '.');
    EXPECT_EQ(TypedValue(TTranslationType::ttMac, 0xC4), 0x80);
}

TEST(Translation, EbcdicTablesFollowTheList) {
    const ByteTable& shown = EbcdicDisplayTable();
    const ByteTable& typed = EbcdicTypingTable();
    for (int b = 0; b < 0x40; ++b)
        EXPECT_EQ(shown[b], 0);
    // Every listed ANSI character types to an EBCDIC byte that shows it back.
    std::string listed;
    for (int c = 0x20; c <= 0x5A; ++c)
        listed += static_cast<char>(c);
    for (int c = 0x61; c <= 0x7A; ++c)
        listed += static_cast<char>(c);
    listed += "\\_`|~";
    int mapped = 0;
    for (int c = 0; c < 256; ++c) {
        bool inList = listed.find(static_cast<char>(c)) != std::string::npos;
        if (c == 0xFE) {
            EXPECT_EQ(typed[c], 0x4F);
            continue;
        }
        if (!inList) {
            EXPECT_EQ(typed[c], 0) << c;
            continue;
        }
        ++mapped;
        ASSERT_NE(typed[c], 0) << c;
        EXPECT_EQ(shown[typed[c]], c) << c;
    }
    EXPECT_EQ(mapped, 59 + 26 + 5);
    EXPECT_EQ(typed[' '], 0x40);
    EXPECT_EQ(typed['A'], 0xC1);
    EXPECT_EQ(typed['J'], 0xD1);
    EXPECT_EQ(typed['S'], 0xE2);
    EXPECT_EQ(typed['a'], 0x81);
    EXPECT_EQ(typed['s'], 0xA2);
    EXPECT_EQ(typed['0'], 0xF0);
    EXPECT_EQ(typed['!'], 0x5A);
    EXPECT_EQ(typed['&'], 0x50);
    EXPECT_EQ(typed['|'], 0x6A);
    EXPECT_EQ(typed['~'], 0xA1);
    EXPECT_EQ(typed['\\'], 0xE0);
    for (char c : std::string("[]^{}"))
        EXPECT_EQ(typed[static_cast<uint8_t>(c)], 0);
    EXPECT_EQ(shown[0x4F], 0xFE);
    EXPECT_EQ(shown[0x51], '&');
    EXPECT_EQ(DisplayChar(TTranslationType::ttEBCDIC, 0x4A), '.');
    EXPECT_EQ(TypedValue(TTranslationType::ttEBCDIC, '['), 0);
    uint8_t pattern[] = {'A', '[', 0xFE};
    TranslateBuffer(TTranslationType::ttEBCDIC, pattern, 3);
    EXPECT_EQ(pattern[0], 0xC1);
    EXPECT_EQ(pattern[1], 0);
    EXPECT_EQ(pattern[2], 0x4F);
}

TEST(Translation, AnsiDosAndAscii) {
    EXPECT_EQ(DisplayChar(TTranslationType::ttAnsi, 0x1F), '.');
    EXPECT_EQ(DisplayChar(TTranslationType::ttAnsi, 0xE7), static_cast<char>(0xE7));
    EXPECT_EQ(DisplayChar(TTranslationType::ttASCII, 0xE7), '.');
    EXPECT_EQ(TypedValue(TTranslationType::ttAnsi, 'a'), 'a');
    EXPECT_EQ(TypedValue(TTranslationType::ttAnsi, 0x1B), 0);
    EXPECT_EQ(TypedValue(TTranslationType::ttASCII, 0xE7), 0);
    // ç is 0x87 in the DOS code page.
    EXPECT_EQ(TypedValue(TTranslationType::ttDos8, 0xE7), 0x87);
    EXPECT_EQ(DisplayChar(TTranslationType::ttDos8, 0x87), static_cast<char>(0xE7));
}

TEST(GridLayout, OffsetsCellsAndWidths) {
    using S = TOffsetDisplayStyle;
    EXPECT_EQ(OffsetWidthChars(S::odHex, 255), 5);
    EXPECT_EQ(OffsetText(S::odHex, 0xF0, 5, ':'), "0xF0:");
    EXPECT_EQ(OffsetWidthChars(S::odHex, 256), 6);
    EXPECT_EQ(OffsetText(S::odHex, 0, 6, ':'), "0x000:");
    EXPECT_EQ(OffsetWidthChars(S::odHex, 0), 4);
    EXPECT_EQ(OffsetWidthChars(S::odDec, 1000), 5);
    EXPECT_EQ(OffsetText(S::odDec, 16, 5, ':'), "0016:");
    EXPECT_EQ(OffsetWidthChars(S::odNone, 1000), 0);
    // 16 bytes a line, groups of 2: 8 8 8 16 in character widths of 8.
    std::string widths;
    for (int32_t c = 2; c < 10; ++c)
        widths += std::to_string(ColumnWidthChars(c, 16, 2, 5, true));
    EXPECT_EQ(widths, "11121112");
    EXPECT_EQ(ColumnWidthChars(1, 16, 2, 5, false), 0);
    EXPECT_EQ(ColumnWidthChars(0, 16, 2, 5, true), 5);
    EXPECT_EQ(ColumnWidthChars(34, 16, 2, 5, true), 1);
    // Cells and bytes.
    EXPECT_EQ(ByteIndexOfCell(2, 1, 16), 16);
    EXPECT_EQ(ByteIndexOfCell(5, 1, 16), 17);
    EXPECT_EQ(ByteIndexOfCell(35, 1, 16), 16);
    EXPECT_EQ(ByteIndexOfCell(0, 0, 16), 0);
    EXPECT_EQ(CellOfByte(17, false, 16).col, 4);
    EXPECT_EQ(CellOfByte(17, true, 16).col, 36);
    EXPECT_EQ(TwinColumn(36, 16), 4);
    EXPECT_EQ(TwinColumn(5, 16), 36);
    EXPECT_EQ(SeparatorColumn(16), 34);
}
