// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ProfileText.h"

#include <cstdio>

namespace zul {

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool StartsWithBlank(std::string_view text, size_t& length) {
    if (text.empty()) {
        return false;
    }
    if (text[0] == ' ' || text[0] == '\t') {
        length = 1;
        return true;
    }
    if (text.substr(0, kIdeographicSpace.size()) == kIdeographicSpace) {
        length = kIdeographicSpace.size();
        return true;
    }
    return false;
}

bool EndsWithBlank(std::string_view text, size_t& length) {
    if (text.empty()) {
        return false;
    }
    if (text.back() == ' ' || text.back() == '\t') {
        length = 1;
        return true;
    }
    if (text.size() >= kIdeographicSpace.size() &&
        text.substr(text.size() - kIdeographicSpace.size()) == kIdeographicSpace) {
        length = kIdeographicSpace.size();
        return true;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::string_view TrimView(std::string_view text) {
    size_t length = 0;
    while (StartsWithBlank(text, length)) {
        text.remove_prefix(length);
    }
    while (EndsWithBlank(text, length)) {
        text.remove_suffix(length);
    }
    return text;
}

std::string TrimText(std::string_view text) {
    return std::string(TrimView(text));
}

ProfileLine SplitProfileLine(std::string_view line) {
    size_t cut = line.find_first_of("\r\n");
    if (cut != std::string_view::npos) {
        line = line.substr(0, cut);
    }
    bool inQuotes = false;
    size_t separator = std::string_view::npos;
    size_t commentStart = std::string_view::npos;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
                ++i;  // a literal quote inside quotes
                continue;
            }
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            if (c == '=' && separator == std::string_view::npos) {
                separator = i;
            } else if (c == ';') {
                commentStart = i;
                break;
            }
        }
    }
    ProfileLine result;
    std::string_view body = line;
    if (commentStart != std::string_view::npos) {
        result.comment = TrimText(line.substr(commentStart));
        body = line.substr(0, commentStart);
    }
    result.text = TrimText(body);
    if (separator != std::string_view::npos) {
        result.hasSeparator = true;
        result.key = UnquoteText(TrimView(body.substr(0, separator)));
        result.value = UnquoteText(TrimView(body.substr(separator + 1)));
    }
    return result;
}

std::string UnquoteText(std::string_view text) {
    if (text.empty() || text[0] != '"') {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    bool inQuotes = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            if (inQuotes && i + 1 < text.size() && text[i + 1] == '"') {
                out += '"';
                ++i;
                continue;
            }
            inQuotes = !inQuotes;
            continue;
        }
        out += c;
    }
    return out;
}

bool NeedsQuotes(std::string_view text) {
    // ";" would start a comment, and blanks at either end (also U+3000) would be trimmed away.
    if (text.find_first_of("\t \"=,[]{}()<>;") != std::string_view::npos) {
        return true;
    }
    return TrimView(text).size() != text.size();
}

std::string QuoteText(std::string_view text) {
    if (!NeedsQuotes(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (u < 0x20 || u == 0x7F || u == 0xFF) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            break;  // a backslash at the very end is dropped
        }
        char next = text[++i];
        if (next == 'n') {
            out += '\n';
        } else if (next == 'r') {
            out += '\r';
        } else if ((next == 'x' || next == 'X') && i + 2 < text.size() &&
                   HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += next;
        }
    }
    return out;
}

std::vector<std::string> SplitCommaList(std::string_view text, char separator) {
    std::vector<std::string> items;
    if (text.empty()) {
        return items;
    }
    std::string current;
    bool inQuotes = false;
    size_t itemStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            if (inQuotes && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
        } else if (c == separator && !inQuotes) {
            items.push_back(std::move(current));
            current.clear();
            itemStart = i + 1;
        } else {
            current += c;
        }
    }
    if (itemStart < text.size()) {
        items.push_back(std::move(current));
    }
    return items;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace zul
