// The character rules of the active code page, filled once at start-up.
//
// Plain arrays only: the executable starts without running global constructors, so every table
// here is zero at load and filled by SetUpCharacterRules().
#include "text/CharacterRules.h"

#include "platform/Platform.h"

namespace text {
namespace {

bool multibyteMode;
bool leadBytes[256];
LetterCase letterCases[256];
unsigned char casePairs[256];

void MarkLeadBytes(unsigned first, unsigned last) {
    for (unsigned byte = first; byte <= last && byte < 256; ++byte) {
        leadBytes[byte] = true;
    }
}

// The double-byte code pages whose lead bytes are known without asking the system.
bool MarkFixedLeadBytes(UINT codePage) {
    switch (codePage) {
    case 932:
        MarkLeadBytes(0x81, 0x9F);
        MarkLeadBytes(0xE0, 0xFC);
        return true;
    case 936:
    case 949:
    case 950:
        MarkLeadBytes(0x81, 0xFE);
        return true;
    case 1361:
        MarkLeadBytes(0x81, 0xD3);
        MarkLeadBytes(0xD8, 0xDE);
        MarkLeadBytes(0xE0, 0xF9);
        return true;
    default:
        return false;
    }
}

void MarkReportedLeadBytes(const CPINFO& info) {
    for (int at = 0; at + 1 < MAX_LEADBYTES; at += 2) {
        const unsigned first = info.LeadByte[at];
        const unsigned last = info.LeadByte[at + 1];
        if (first == 0 && last == 0) {
            break;
        }
        MarkLeadBytes(first, last);
    }
}

// Maps one byte with LCMapStringA; false unless the result is exactly one byte.
bool MapSingleByte(unsigned char byte, DWORD flags, unsigned char& mapped) {
    const char source = static_cast<char>(byte);
    char result[2];
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, flags, &source, 1, result, 2) != 1) {
        return false;
    }
    mapped = static_cast<unsigned char>(result[0]);
    return true;
}

void SetCase(unsigned char byte, LetterCase letterCase, unsigned char pair) {
    letterCases[byte] = letterCase;
    casePairs[byte] = pair;
}

void BuildCaseTableFromSystem() {
    for (unsigned value = 1; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        if (leadBytes[byte]) {
            continue;
        }
        const char source = static_cast<char>(byte);
        WORD type = 0;
        if (!GetStringTypeA(LOCALE_SYSTEM_DEFAULT, CT_CTYPE1, &source, 1, &type)) {
            continue;
        }
        unsigned char pair = 0;
        if ((type & C1_UPPER) != 0 && MapSingleByte(byte, LCMAP_LOWERCASE, pair)) {
            SetCase(byte, LetterCase::Upper, pair);
        } else if ((type & C1_LOWER) != 0 && MapSingleByte(byte, LCMAP_UPPERCASE, pair)) {
            SetCase(byte, LetterCase::Lower, pair);
        }
    }
}

void BuildAsciiCaseTable() {
    for (unsigned char letter = 'A'; letter <= 'Z'; ++letter) {
        const auto lower = static_cast<unsigned char>(letter + ('a' - 'A'));
        SetCase(letter, LetterCase::Upper, lower);
        SetCase(lower, LetterCase::Lower, letter);
    }
}

} // namespace

void SetUpCharacterRules() {
    multibyteMode = false;
    for (unsigned byte = 0; byte < 256; ++byte) {
        leadBytes[byte] = false;
        letterCases[byte] = LetterCase::None;
        casePairs[byte] = static_cast<unsigned char>(byte);
    }

    const UINT codePage = GetACP();
    CPINFO info;
    const bool haveInfo = GetCPInfo(codePage, &info) != FALSE;
    if (MarkFixedLeadBytes(codePage)) {
        multibyteMode = true;
    } else if (haveInfo && info.MaxCharSize >= 2) {
        multibyteMode = true;
        MarkReportedLeadBytes(info);
    }

    if (haveInfo) {
        BuildCaseTableFromSystem();
    } else {
        BuildAsciiCaseTable();
    }
}

bool IsMultibyteMode() {
    return multibyteMode;
}

bool IsLeadByte(unsigned char byte) {
    return leadBytes[byte];
}

bool IsWhiteSpace(unsigned char byte) {
    return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D);
}

LetterCase CaseOf(unsigned char byte) {
    return letterCases[byte];
}

unsigned char CasePairOf(unsigned char byte) {
    return letterCases[byte] == LetterCase::None ? byte : casePairs[byte];
}

int UpperCaseDoubleByte(unsigned char lead, unsigned char trail, unsigned char mapped[2]) {
    const char source[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    char result[2];
    const int count = LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_UPPERCASE, source, 2, result, 2);
    if (count != 1 && count != 2) {
        return 0;
    }
    mapped[0] = static_cast<unsigned char>(result[0]);
    mapped[1] = count == 2 ? static_cast<unsigned char>(result[1]) : 0;
    return count;
}

} // namespace text
