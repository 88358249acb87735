#pragma once
// The numbered data files of one folder. Reading is sequential from the start of
// the file. Writing is atomic: the text goes to a temporary file beside the data
// file and replaces it only when the file is closed after every write succeeded, so
// a crash, a full disk or a failed write leaves the previous file as it was.

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

class FileTable {
public:
    // An empty folder means the process's current working directory.
    explicit FileTable(std::filesystem::path folder = {});
    // Files still open for output are abandoned: their text was never finished.
    ~FileTable();
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;

    // A file number (1..kMaxOpenFiles) for the named file, or 0 when it cannot be
    // opened; nothing is reported and nothing is thrown.
    std::int16_t Open_File_Input(const std::string& fname);
    // Also 0, with the file left untouched, when the folder or the existing file is
    // read-only, when the name is a folder, or when the name is already open for output.
    std::int16_t Open_File_Output(const std::string& fname);

    // Up to maxBytes more bytes of an input file; fewer at its end or on a read error.
    std::string Read(std::int16_t n, std::size_t maxBytes);
    // False once any write to this output file has failed.
    bool Write(std::int16_t n, std::string_view text);
    // An output file replaces the data file here; false (data file untouched, no
    // temporary file left) when anything on the way failed.
    bool Close(std::int16_t n);
    // An output file is dropped: the data file stays as it was.
    void Abandon(std::int16_t n);
    void CloseAll();

    // Open, read up to maxBytes, close; nullopt when the file cannot be opened.
    std::optional<std::string> ReadFile(const std::string& fname, std::size_t maxBytes);
    // Open for output, write, close; false (file untouched) when any step failed.
    bool WriteFile(const std::string& fname, std::string_view text);

    std::filesystem::path PathOf(const std::string& fname) const;
    // Where an output file's text waits until Close.
    std::filesystem::path TemporaryPathOf(const std::string& fname) const;

    static constexpr int kMaxOpenFiles = 255;

private:
    struct Slot {
        std::FILE* stream = nullptr;
        bool output = false;
        bool failed = false;
        std::filesystem::path target;
        std::filesystem::path temporary;
    };

    Slot* Find(std::int16_t n);
    std::int16_t FreeNumber() const;
    void Release(Slot& slot);

    std::filesystem::path folder_;
    std::array<Slot, kMaxOpenFiles> slots_{};
};

} // namespace tarnwick
