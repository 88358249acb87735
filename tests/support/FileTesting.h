#pragma once
// Helpers for the data-file tests: a fresh folder removed afterwards, a file's
// lines, and byte strings no reader may crash on.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace tarnwick::testing {

class TempFolder {
public:
    TempFolder() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("tarnwick-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        // A test may have left the folder read-only.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

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
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

// The lines of a text whose every line ends in CR LF; a missing last line end is
// kept as an extra line so that a comparison shows it.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

// Pure noise, noise made of the notation's own characters, and very long lines.
inline std::vector<std::string> NoiseSamples(std::uint32_t seed, int count, std::size_t maxLength) {
    static const std::string kNotation = "\r\n,\"# -.:0123456789TRUEFALSE";
    std::mt19937 gen(seed);
    std::vector<std::string> samples;
    for (int i = 0; i < count; ++i) {
        std::string s(std::uniform_int_distribution<std::size_t>(0, maxLength)(gen), '\0');
        for (char& c : s) {
            c = i % 2 == 0
                    ? kNotation[std::uniform_int_distribution<std::size_t>(0, kNotation.size() - 1)(gen)]
                    : static_cast<char>(std::uniform_int_distribution<int>(0, 255)(gen));
        }
        samples.push_back(std::move(s));
    }
    samples.push_back(std::string(3'000'000, 'x'));
    samples.push_back(std::string(3'000'000, ' ').append("#00:00:00#\r\n"));
    samples.push_back(std::string(1, '"').append(3'000'000, ','));
    return samples;
}

} // namespace tarnwick::testing
