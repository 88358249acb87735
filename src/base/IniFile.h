#pragma once
// A small settings file of [section] headers and key=value lines. Lines it does not
// understand, and keys it is not asked about, are kept as they stand, so a setting written
// by a newer program survives an older one.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class IniFile {
public:
    // Reads any bytes; a line that is neither a header nor a key=value line is kept as it is.
    static IniFile Parse(std::string_view text);
    // Lines end CR LF, as the data files' do.
    std::string Format() const;

    // The value of key in section, spaces trimmed; nothing when it is not there.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Sets the value, in place when the key is there, else at the end of its section (a new
    // section at the end of the file). Line breaks in the value are taken out.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Takes out every line of the key in the section.
    void Remove(std::string_view section, std::string_view key);

private:
    struct Line {
        std::string text;
        std::string section; // the section it stands in
        std::string key;     // empty for headers, comments and lines not understood
        std::string value;
    };
    static Line Read(std::string text, const std::string& section);
    std::vector<Line> lines_;
};

// "true"/"false" and their usual spellings; nothing for anything else.
std::optional<bool> ParseBool(std::string_view text);

} // namespace tarnwick
