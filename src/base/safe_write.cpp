#include "base/safe_write.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace velmora {

namespace {

constexpr int32_t kChunk = 1 << 20;
constexpr int kNameTries = 1000;

std::string FolderOf(const std::string& path) {
    const char* separators = os::PathSeparator() == '\\' ? "\\/:" : "/";
    size_t at = path.find_last_of(separators);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// A short name, so that a long target path still leaves room for it.
std::string NewFileName(const std::string& folder, uint32_t serial) {
    static const char hex[] = "0123456789ABCDEF";
    std::string name = folder + "~vlm";
    for (int i = 0; i < 8; ++i)
        name += hex[(serial >> (28 - 4 * i)) & 0xF];
    return name + ".tmp";
}

std::atomic<uint32_t> nextSerial{0};

} // namespace

std::string WriteFailureText(WriteFailure failure) {
    switch (failure) {
    case WriteFailure::None:
        return {};
    case WriteFailure::TargetReadOnly:
        return "Dosya salt okunur olduğu için kaydedilemedi.";
    case WriteFailure::TargetIsFolder:
        return "Bu adda bir klasör var; dosya kaydedilemedi.";
    case WriteFailure::CannotCreate:
        return "Dosyanın klasöründe yeni dosya oluşturulamadı; dosya kaydedilemedi.";
    case WriteFailure::WriteFailed:
        return "Dosya yazılırken hata oluştu (disk dolu olabilir); dosyanın önceki hali korundu.";
    case WriteFailure::SourceFailed:
        return "Kaydedilecek veri okunamadı; dosyanın önceki hali korundu.";
    case WriteFailure::FlushFailed:
        return "Dosya diske yazılamadı; dosyanın önceki hali korundu.";
    case WriteFailure::ReplaceFailed:
        return "Dosya başka bir program tarafından kullanılıyor ya da erişim engellendi; dosyanın önceki "
               "hali "
               "korundu.";
    }
    return {};
}

SafeFileWriter::SafeFileWriter(const std::string& target) : target_(os::FinalPath(target)) {}

SafeFileWriter::~SafeFileWriter() {
    if (begun_) Abandon();
}

bool SafeFileWriter::Begin() {
    if (begun_ || failure_ != WriteFailure::None) return failure_ == WriteFailure::None;
    if (os::FolderExists(target_)) {
        failure_ = WriteFailure::TargetIsFolder;
        return false;
    }
    if (os::FileExists(target_) && os::IsReadOnlyFile(target_)) {
        failure_ = WriteFailure::TargetReadOnly;
        return false;
    }
    const std::string folder = FolderOf(target_);
    if (nextSerial == 0) nextSerial = os::TickCount() | 1u;
    for (int i = 0; i < kNameTries; ++i) {
        std::string candidate = NewFileName(folder, nextSerial++);
        if (file_.Open(candidate, os::File::Mode::CreateNew)) {
            newPath_ = candidate;
            begun_ = true;
            return true;
        }
        // Another file of that name (ours from another process, or left by a
        // crash): the next name. Anything else will not get better.
        if (!os::FileExists(candidate)) break;
    }
    failure_ = WriteFailure::CannotCreate;
    return false;
}

bool SafeFileWriter::Write(const void* data, int64_t count) {
    if (!begun_ || failure_ != WriteFailure::None) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (int64_t done = 0; done < count;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunk * 64, count - done));
        if (file_.Write(bytes + done, n) != n) {
            failure_ = WriteFailure::WriteFailed;
            return false;
        }
        done += n;
    }
    return true;
}

void SafeFileWriter::Fail(WriteFailure why) {
    if (failure_ == WriteFailure::None) failure_ = why;
}

WriteResult SafeFileWriter::Commit() {
    if (!begun_ && failure_ == WriteFailure::None) Begin();
    if (!begun_) return {failure_};
    if (failure_ == WriteFailure::None && !file_.Flush()) failure_ = WriteFailure::FlushFailed;
    file_.Close();
    if (failure_ == WriteFailure::None && !os::MoveFileOver(newPath_, target_))
        failure_ = WriteFailure::ReplaceFailed;
    if (failure_ != WriteFailure::None) {
        Abandon();
        return {failure_};
    }
    begun_ = false;
    newPath_.clear();
    return {};
}

void SafeFileWriter::Abandon() {
    file_.Close();
    if (begun_ && !newPath_.empty()) os::RemoveFile(newPath_);
    begun_ = false;
    newPath_.clear();
}

WriteResult SafeWriteFile(const std::string& target, const void* data, int64_t size) {
    SafeFileWriter writer(target);
    if (writer.Begin()) writer.Write(data, size);
    return writer.Commit();
}

WriteResult SafeWriteFile(const std::string& target, const std::string& bytes) {
    return SafeWriteFile(target, bytes.data(), static_cast<int64_t>(bytes.size()));
}

WriteResult SafeWriteFrom(os::File& source, int64_t count, const std::string& target) {
    SafeFileWriter writer(target);
    if (!writer.Begin()) return {writer.Failure()};
    if (!source.IsOpen() || !source.Seek(0)) writer.Fail(WriteFailure::SourceFailed);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    for (int64_t done = 0; done < count && writer.Failure() == WriteFailure::None;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(kChunk, count - done));
        if (source.Read(buffer.get(), n) != n) {
            writer.Fail(WriteFailure::SourceFailed);
            break;
        }
        writer.Write(buffer.get(), n);
        done += n;
    }
    return writer.Commit();
}

WriteResult SafeCopyFile(const std::string& source, const std::string& target) {
    os::File in;
    if (!in.Open(source, os::File::Mode::Read)) return {WriteFailure::SourceFailed};
    SafeFileWriter writer(target);
    if (!writer.Begin()) return {writer.Failure()};
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    for (;;) {
        int32_t n = in.Read(buffer.get(), kChunk);
        if (n < 0) writer.Fail(WriteFailure::SourceFailed);
        if (n <= 0 || !writer.Write(buffer.get(), n)) break;
    }
    return writer.Commit();
}

} // namespace velmora
