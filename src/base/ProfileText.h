// SPDX-License-Identifier: GPL-3.0-or-later
// Text rules of the profile (sections-and-keys) files: line split, trimming, quoting, escaping
// and comma lists. Texts are UTF-8 byte strings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zul {

// One line of a profile file taken apart.
struct ProfileLine {
    std::string text;     // the line without its comment, trimmed
    std::string key;      // unquoted key; empty without "="
    std::string value;    // unquoted value
    std::string comment;  // from the ";" to the end, trimmed; empty if none
    bool hasSeparator = false;
};

// Removes blanks, tabs and ideographic spaces (U+3000) from both ends.
std::string_view TrimView(std::string_view text);
std::string TrimText(std::string_view text);

// Splits one line (it is cut at its first CR or LF first). Outside double quotes the first "="
// separates key and value and a ";" starts the comment; a doubled quote inside quotes is a
// literal quote.
ProfileLine SplitProfileLine(std::string_view line);

// A text that begins with a double quote loses its quote characters; a doubled quote inside
// quotes becomes one. Other texts are returned unchanged.
std::string UnquoteText(std::string_view text);

// True when a key or value must be written in double quotes to read back unchanged.
bool NeedsQuotes(std::string_view text);

// The text in double quotes with inner quotes doubled when NeedsQuotes, else unchanged.
std::string QuoteText(std::string_view text);

// Line breaks, backslashes and control characters as backslash sequences (\n, \r, \\, \xhh).
std::string EscapeText(std::string_view text);

// The inverse of EscapeText; also accepts \X, and a backslash before any other character
// stands for that character. A lone backslash at the end is dropped.
std::string UnescapeText(std::string_view text);

// Splits at separators outside double quotes; quotes are removed, a doubled quote inside quotes
// gives one quote. An empty text gives an empty list; a trailing separator adds no element.
std::vector<std::string> SplitCommaList(std::string_view text, char separator = ',');

// ASCII case-insensitive equality.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace zul
