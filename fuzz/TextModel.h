// A plain model, over std::string, of how String reads text in the active code page: where
// characters begin, the copy rule, searches and trimming. The targets check the launcher's results
// against it; it follows String.h, not String.cpp.
#pragma once

#include "text/CharacterRules.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace fuzz {

inline bool IsLead(char byte) {
    return text::IsLeadByte(static_cast<unsigned char>(byte));
}

// White space that is a character of its own (a lead byte is never white space).
inline bool IsBlank(char byte) {
    return !IsLead(byte) && text::IsWhiteSpace(static_cast<unsigned char>(byte));
}

// Bytes from the character at index to the next: a lead byte with a byte after it begins a
// double-byte character.
inline std::size_t CharacterSize(const std::string& text, std::size_t at) {
    return IsLead(text[at]) && at + 1 < text.size() ? 2 : 1;
}

// The text a String made from text holds: every byte but a final lone lead byte.
inline std::string CopyRule(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (IsLead(text[at]) && at + 1 >= text.size()) {
            return text.substr(0, at);
        }
        at += CharacterSize(text, at);
    }
    return text;
}

// Find(character, start): characters read from start on; a lone lead byte ends the search.
inline int FindCharacter(const std::string& text, char wanted, int start) {
    const auto from = static_cast<std::size_t>(std::max(start, 0));
    for (std::size_t at = from; at < text.size();) {
        if (IsLead(text[at])) {
            if (at + 1 >= text.size()) {
                return -1;
            }
            at += 2;
        } else if (text[at] == wanted) {
            return static_cast<int>(at);
        } else {
            ++at;
        }
    }
    return -1;
}

// Find(text, start): tried at each character from start on; the empty text is found at start.
inline int FindText(const std::string& text, const std::string& wanted, int start) {
    const auto from = static_cast<std::size_t>(std::max(start, 0));
    if (from > text.size()) {
        return -1;
    }
    if (wanted.empty()) {
        return static_cast<int>(from);
    }
    for (std::size_t at = from; at + wanted.size() <= text.size(); at += CharacterSize(text, at)) {
        if (text.compare(at, wanted.size(), wanted) == 0) {
            return static_cast<int>(at);
        }
    }
    return -1;
}

inline std::string TrimmedLeft(const std::string& text) {
    std::size_t skipped = 0;
    while (skipped < text.size() && IsBlank(text[skipped])) {
        ++skipped;
    }
    return text.substr(skipped);
}

// Trailing white space ends where the last character that is not white space ends.
inline std::string TrimmedRight(const std::string& text) {
    std::size_t runStart = std::string::npos;
    for (std::size_t at = 0; at < text.size();) {
        if (IsBlank(text[at])) {
            runStart = std::min(runStart, at);
            ++at;
        } else {
            runStart = std::string::npos;
            at += CharacterSize(text, at);
        }
    }
    return runStart == std::string::npos ? text : text.substr(0, runStart);
}

} // namespace fuzz
