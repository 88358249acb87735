#include "base/DataFiles.h"

#include <algorithm>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tarnwick {
namespace fs = std::filesystem;

namespace {

std::FILE* OpenStream(const fs::path& path, bool forWriting) {
#ifdef _WIN32
    return _wfopen(path.c_str(), forWriting ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), forWriting ? "wb" : "rb");
#endif
}

bool HasWriteBit(const fs::file_status& status) {
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & kAnyWrite) != fs::perms::none;
}

// The mode bits count as well as the access check: a process running as root
// passes every access check, yet a file the user made read-only must stay so.
bool FileWritable(const fs::path& path, const fs::file_status& status) {
    if (!HasWriteBit(status)) return false;
#ifndef _WIN32
    if (::access(path.c_str(), W_OK) != 0) return false;
#endif
    return true;
}

bool FolderWritable(const fs::path& folder, const fs::file_status& status) {
    if (!fs::is_directory(status)) return false;
#ifdef _WIN32
    // The read-only attribute of a Windows folder does not stop files being created in it.
    (void)folder;
    return true;
#else
    return FileWritable(folder, status);
#endif
}

bool SyncToDisk(std::FILE* stream) {
#ifdef _WIN32
    return _commit(_fileno(stream)) == 0;
#else
    return ::fsync(fileno(stream)) == 0;
#endif
}

// Makes the rename itself durable; a failure here leaves a complete file either way.
void SyncFolder(const fs::path& folder) {
#ifndef _WIN32
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

fs::path TemporaryFor(const fs::path& file) {
    fs::path temporary = file;
    temporary += ".tarnwick-tmp";
    return temporary;
}

fs::path FolderOf(const fs::path& file) {
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

} // namespace

FileTable::FileTable(fs::path folder) : folder_(std::move(folder)) {}

FileTable::~FileTable() {
    for (int i = 0; i < kMaxOpenFiles; ++i)
        if (slots_[i].stream != nullptr) Abandon(static_cast<std::int16_t>(i + 1));
}

fs::path FileTable::PathOf(const std::string& fname) const {
    return folder_.empty() ? fs::path(fname) : folder_ / fname;
}

fs::path FileTable::TemporaryPathOf(const std::string& fname) const {
    return TemporaryFor(PathOf(fname));
}

FileTable::Slot* FileTable::Find(std::int16_t n) {
    if (n < 1 || n > kMaxOpenFiles) return nullptr;
    Slot& slot = slots_[static_cast<std::size_t>(n - 1)];
    return slot.stream != nullptr ? &slot : nullptr;
}

std::int16_t FileTable::FreeNumber() const {
    for (int i = 0; i < kMaxOpenFiles; ++i)
        if (slots_[i].stream == nullptr) return static_cast<std::int16_t>(i + 1);
    return 0;
}

void FileTable::Release(Slot& slot) {
    slot = Slot{};
}

std::int16_t FileTable::Open_File_Input(const std::string& fname) {
    try {
        const std::int16_t n = FreeNumber();
        if (n == 0) return 0;
        const fs::path path = PathOf(fname);
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) return 0;
        std::FILE* stream = OpenStream(path, false);
        if (stream == nullptr) return 0;
        Slot& slot = slots_[static_cast<std::size_t>(n - 1)];
        slot.stream = stream;
        slot.output = false;
        slot.target = path;
        return n;
    } catch (...) {
        return 0;
    }
}

std::int16_t FileTable::Open_File_Output(const std::string& fname) {
    try {
        const std::int16_t n = FreeNumber();
        if (n == 0) return 0;
        std::error_code ec;
        fs::path target = PathOf(fname);
        fs::path temporary = TemporaryPathOf(fname);
        // Write beside the file a link points to, so the link survives the rename.
        if (fs::is_symlink(fs::symlink_status(target, ec))) {
            fs::path real = fs::canonical(target, ec);
            if (!ec) {
                target = real;
                temporary = TemporaryFor(real);
            }
        }
        for (const Slot& other : slots_)
            if (other.stream != nullptr && other.output && other.target == target) return 0;

        const fs::path folder = FolderOf(target);
        if (!FolderWritable(folder, fs::status(folder, ec))) return 0;
        const fs::file_status targetStatus = fs::status(target, ec);
        if (fs::exists(targetStatus)) {
            if (!fs::is_regular_file(targetStatus) || !FileWritable(target, targetStatus)) return 0;
        }
        const fs::file_status temporaryStatus = fs::symlink_status(temporary, ec);
        if (fs::exists(temporaryStatus)) {
            // Left behind by a run that never finished its write.
            if (!fs::is_regular_file(temporaryStatus) || !fs::remove(temporary, ec)) return 0;
        }

        std::FILE* stream = OpenStream(temporary, true);
        if (stream == nullptr) return 0;
        Slot& slot = slots_[static_cast<std::size_t>(n - 1)];
        slot.stream = stream;
        slot.output = true;
        slot.failed = false;
        slot.target = std::move(target);
        slot.temporary = std::move(temporary);
        return n;
    } catch (...) {
        return 0;
    }
}

std::string FileTable::Read(std::int16_t n, std::size_t maxBytes) {
    std::string bytes;
    try {
        Slot* slot = Find(n);
        if (slot == nullptr || slot->output) return bytes;
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(slot->target, ec);
        constexpr std::size_t kChunk = 1 << 16;
        // One read takes a file of the expected size whole; the extra byte finds its end.
        std::size_t step =
            ec ? kChunk : static_cast<std::size_t>(std::min<std::uintmax_t>(size, maxBytes)) + 1;
        while (bytes.size() < maxBytes) {
            const std::size_t before = bytes.size();
            const std::size_t want = std::min(step, maxBytes - before);
            bytes.resize(before + want);
            const std::size_t got = std::fread(bytes.data() + before, 1, want, slot->stream);
            bytes.resize(before + got);
            if (got < want) break;
            step = kChunk;
        }
    } catch (...) {
        // What was read so far stands; the caller treats a short read as the file's end.
    }
    return bytes;
}

bool FileTable::Write(std::int16_t n, std::string_view text) {
    Slot* slot = Find(n);
    if (slot == nullptr || !slot->output) return false;
    if (slot->failed) return false;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), slot->stream) != text.size())
        slot->failed = true;
    return !slot->failed;
}

bool FileTable::Close(std::int16_t n) {
    Slot* slot = Find(n);
    if (slot == nullptr) return false;
    if (!slot->output) {
        std::fclose(slot->stream);
        Release(*slot);
        return true;
    }
    bool ok = !slot->failed;
    if (std::fflush(slot->stream) != 0) ok = false;
    if (ok && !SyncToDisk(slot->stream)) ok = false;
    if (std::fclose(slot->stream) != 0) ok = false;
    slot->stream = nullptr;
    std::error_code ec;
    try {
        if (ok) {
            // Keep the protection the user gave the file it replaces.
            const fs::file_status old = fs::status(slot->target, ec);
            if (fs::exists(old)) fs::permissions(slot->temporary, old.permissions(), ec);
            fs::rename(slot->temporary, slot->target, ec);
            if (ec) ok = false;
        }
        if (ok) {
            SyncFolder(FolderOf(slot->target));
        } else {
            fs::remove(slot->temporary, ec);
        }
    } catch (...) {
        ok = false;
        fs::remove(slot->temporary, ec);
    }
    Release(*slot);
    return ok;
}

void FileTable::Abandon(std::int16_t n) {
    Slot* slot = Find(n);
    if (slot == nullptr) return;
    std::fclose(slot->stream);
    if (slot->output) {
        std::error_code ec;
        fs::remove(slot->temporary, ec);
    }
    Release(*slot);
}

void FileTable::CloseAll() {
    for (int i = 0; i < kMaxOpenFiles; ++i)
        if (slots_[i].stream != nullptr) Close(static_cast<std::int16_t>(i + 1));
}

std::optional<std::string> FileTable::ReadFile(const std::string& fname, std::size_t maxBytes) {
    const std::int16_t n = Open_File_Input(fname);
    if (n == 0) return std::nullopt;
    std::string bytes = Read(n, maxBytes);
    Close(n);
    return bytes;
}

bool FileTable::WriteFile(const std::string& fname, std::string_view text) {
    const std::int16_t n = Open_File_Output(fname);
    if (n == 0) return false;
    Write(n, text);
    return Close(n);
}

} // namespace tarnwick
