#include "base/IniFile.h"

#include <algorithm>
#include <cctype>

namespace tarnwick {
namespace {

std::string Trim(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string Lower(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string OneLine(std::string_view text) {
    std::string line(text);
    std::ranges::replace(line, '\r', ' ');
    std::ranges::replace(line, '\n', ' ');
    return Trim(line);
}

} // namespace

IniFile::Line IniFile::Read(std::string text, const std::string& section) {
    Line line{std::move(text), section, {}, {}};
    const std::string trimmed = Trim(line.text);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return line;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
        line.section = Lower(Trim(std::string_view(trimmed).substr(1, trimmed.size() - 2)));
        return line;
    }
    const auto eq = trimmed.find('=');
    if (eq == std::string::npos || eq == 0) return line;
    line.key = Lower(Trim(std::string_view(trimmed).substr(0, eq)));
    line.value = Trim(std::string_view(trimmed).substr(eq + 1));
    return line;
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile file;
    std::string section;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        Line line = Read(std::string(raw), section);
        section = line.section;
        file.lines_.push_back(std::move(line));
    }
    return file;
}

std::string IniFile::Format() const {
    std::string text;
    for (const Line& line : lines_) text += line.text + "\r\n";
    return text;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const std::string s = Lower(std::string(section)), k = Lower(std::string(key));
    // The last one counts, as a hand-edited file's reader expects.
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it)
        if (it->section == s && it->key == k) return it->value;
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string s = Lower(OneLine(section)), k = Lower(OneLine(key)), v = OneLine(value);
    const std::string text = k + "=" + v;
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
        if (it->section == s && it->key == k) {
            *it = Read(text, s);
            return;
        }
    }
    // After the last line of the section, or a new section at the end.
    auto at = std::find_if(lines_.rbegin(), lines_.rend(), [&](const Line& l) { return l.section == s; });
    if (at == lines_.rend()) {
        lines_.push_back(Read("[" + s + "]", s));
        lines_.push_back(Read(text, s));
        return;
    }
    lines_.insert(at.base(), Read(text, s));
}

void IniFile::Remove(std::string_view section, std::string_view key) {
    const std::string s = Lower(std::string(section)), k = Lower(std::string(key));
    std::erase_if(lines_, [&](const Line& l) { return l.section == s && l.key == k; });
}

std::optional<bool> ParseBool(std::string_view text) {
    const std::string t = Lower(Trim(text));
    if (t == "true" || t == "yes" || t == "on" || t == "1") return true;
    if (t == "false" || t == "no" || t == "off" || t == "0") return false;
    return std::nullopt;
}

} // namespace tarnwick
