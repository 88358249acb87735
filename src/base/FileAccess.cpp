#include "base/FileAccess.h"

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

enum class Mode { Read, Write, Append, WriteOwnerOnly };

std::FILE* OpenStream(const fs::path& path, Mode mode) {
#ifdef _WIN32
    return _wfopen(path.c_str(), mode == Mode::Read ? L"rb" : mode == Mode::Append ? L"ab" : L"wb");
#else
    if (mode == Mode::WriteOwnerOnly) {
        // Made the owner's alone from the start, so that no other user can open it meanwhile.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return nullptr;
        std::FILE* stream = ::fdopen(fd, "wb");
        if (stream == nullptr) ::close(fd);
        return stream;
    }
    return std::fopen(path.c_str(), mode == Mode::Read ? "rb" : mode == Mode::Write ? "wb" : "ab");
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

fs::path FolderOf(const fs::path& file) {
    fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

} // namespace

fs::path TemporaryPathOf(const fs::path& path) {
    fs::path temporary = path;
    temporary += ".tarnwick-tmp";
    return temporary;
}

std::optional<std::string> ReadFile(const fs::path& path, LineBound bound) {
    try {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) return std::nullopt;
        std::FILE* stream = OpenStream(path, Mode::Read);
        if (stream == nullptr) return std::nullopt;
        LineCutter cutter(bound);
        std::string piece(std::size_t{1} << 16, '\0');
        for (std::size_t got = piece.size(); got == piece.size();) {
            got = std::fread(piece.data(), 1, piece.size(), stream);
            if (!cutter.Feed(std::string_view(piece).substr(0, got))) break;
        }
        // A read that failed partway is no end of the file: what came is not the file.
        const bool failed = std::ferror(stream) != 0;
        std::fclose(stream);
        if (failed) return std::nullopt;
        return cutter.Take();
    } catch (...) {
        return std::nullopt;
    }
}

namespace {

// Where the text goes: beside the file a link points to, so the link survives the rename.
// Nothing when the file may not be written.
std::optional<fs::path> WritableTarget(fs::path target) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path real = fs::canonical(target, ec);
        if (!ec) target = std::move(real);
    }
    const fs::path folder = FolderOf(target);
    if (!FolderWritable(folder, fs::status(folder, ec))) return std::nullopt;
    const fs::file_status status = fs::status(target, ec);
    if (fs::exists(status) && (!fs::is_regular_file(status) || !FileWritable(target, status)))
        return std::nullopt;
    return target;
}

// Writes the text, flushes it to the disk and closes the stream; false when any step failed.
bool WriteAndClose(std::FILE* stream, std::string_view text) {
    bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    ok = std::fflush(stream) == 0 && ok;
    ok = ok && SyncToDisk(stream);
    return std::fclose(stream) == 0 && ok;
}

} // namespace

bool CanWriteIn(const fs::path& folder) {
    std::error_code ec;
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    return FolderWritable(where, fs::status(where, ec));
}

bool AppendToFile(const fs::path& path, std::string_view text) {
    try {
        const std::optional<fs::path> target = WritableTarget(path);
        if (!target) return false;
        std::FILE* stream = OpenStream(*target, Mode::Append);
        return stream != nullptr && WriteAndClose(stream, text);
    } catch (...) {
        return false;
    }
}

bool WriteFileAtomically(const fs::path& path, std::string_view text, FileProtection protection) {
    std::error_code ec;
    try {
        const std::optional<fs::path> target = WritableTarget(path);
        if (!target) return false;
        const fs::path temporary = TemporaryPathOf(*target);
        const fs::file_status leftOver = fs::symlink_status(temporary, ec);
        // Left behind by a run that never finished its write.
        if (fs::exists(leftOver) && (!fs::is_regular_file(leftOver) || !fs::remove(temporary, ec)))
            return false;

        const bool ownerOnly = protection == FileProtection::OwnerOnly;
        std::FILE* stream = OpenStream(temporary, ownerOnly ? Mode::WriteOwnerOnly : Mode::Write);
        if (stream == nullptr) return false;
        bool ok = WriteAndClose(stream, text);
        if (ok) {
            // Keep the protection the user gave the file it replaces.
            const fs::file_status old = fs::status(*target, ec);
            if (ownerOnly)
                fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, ec);
            else if (fs::exists(old))
                fs::permissions(temporary, old.permissions(), ec);
            fs::rename(temporary, *target, ec);
            ok = !ec;
        }
        if (ok)
            SyncFolder(FolderOf(*target));
        else
            fs::remove(temporary, ec);
        return ok;
    } catch (...) {
        fs::remove(TemporaryPathOf(path), ec);
        return false;
    }
}

} // namespace tarnwick
