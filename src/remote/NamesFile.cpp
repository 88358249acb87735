#include "remote/NamesFile.h"

#include "base/Notation.h"

#include <algorithm>
#include <cstdint>

namespace tarnwick {
namespace {

// Far beyond the 18 characters a name box takes; it only bounds what is read.
constexpr std::size_t kMaxNameLine = 4096;
// A name must leave room for its two quotes, or the line written would be refused at the next start.
constexpr std::size_t kMaxNameBytes = kMaxNameLine - 2;

// Code points of the bytes 0x80..0x9F; the five bytes Windows-1252 leaves unassigned
// map to the control characters of the same number, as Windows itself does.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// One line, one name, whatever else a hand-edited line holds: the text between its first
// double quote and the next one (or the line's end), or the whole line, trimmed, if it
// holds no quote. A line longer than any written here costs its own name alone, which is empty.
std::string_view NextName(std::string_view bytes, std::size_t& pos) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end;
    if (pos < bytes.size() && bytes[pos++] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
    if (line.size() > kMaxNameLine) return {};
    if (const std::size_t open = line.find('"'); open != std::string_view::npos) {
        line.remove_prefix(open + 1);
        return line.substr(0, line.find('"'));
    }
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::string_view{};
    return line.substr(first, line.find_last_not_of(" \t") + 1 - first);
}

} // namespace

std::string SanitizeName(std::string_view name) {
    std::string clean;
    clean.reserve(name.size());
    for (char c : name)
        if (c != '"' && c != '\r' && c != '\n') clean.push_back(c);
    if (clean.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        // Back to the start of the character that would be split.
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;
        clean.resize(cut);
    }
    return clean;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) ||
            cp > 0x10FFFF)
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0) {
            AppendUtf8(out, kWindows1252High[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

int ParseNames(std::string_view bytes, DeviceNameTable& names) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
    int count = 0;
    std::size_t pos = 0;
    for (auto& house : names) {
        for (std::string& name : house) {
            if (pos >= bytes.size()) {
                name.clear();
                continue;
            }
            const std::string_view value = NextName(bytes, pos);
            // Decided line by line: one line saved in another editor leaves the others as they are.
            name = SanitizeName(IsValidUtf8(value) ? std::string(value) : Windows1252ToUtf8(value));
            ++count;
        }
    }
    return count;
}

std::string FormatNames(const DeviceNameTable& names) {
    NotationWriter writer;
    for (const auto& house : names) {
        for (const std::string& name : house) {
            std::string clean = SanitizeName(name);
            // Keeps the file readable as UTF-8, where one stray byte would turn every name into Windows-1252.
            if (!IsValidUtf8(clean)) clean = SanitizeName(Windows1252ToUtf8(name));
            writer.WriteString(clean);
        }
    }
    return writer.Take();
}

LineBound NamesLineBound() {
    // The byte-order mark stands before the first line and takes none of its length.
    return {kDeviceCount, kMaxNameLine + kUtf8Bom.size()};
}

} // namespace tarnwick
