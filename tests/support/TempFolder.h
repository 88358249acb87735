#pragma once
// A temporary folder for a test's data files, removed with everything in it.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

namespace tarnwick::testing {

namespace fs = std::filesystem;

struct TempFolder {
    TempFolder() : path_(::mkdtemp((fs::temp_directory_path() / "tarnwick-test-XXXXXX").string().data())) {}
    ~TempFolder() {
        std::error_code ec; // a test may have left the folder read-only
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Everything in the folder, sorted; a stray temporary file shows up here.
    std::vector<std::string> Contents() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path path_;
};

} // namespace tarnwick::testing
