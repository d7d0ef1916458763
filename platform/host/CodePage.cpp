// Simulated machine: the system ANSI code page, its character classes and its case mappings.
//
// Each supported code page is described by a table of the 256 byte values (class, upper- and
// lower-case forms) and by its lead-byte ranges. Double-byte characters keep their bytes when
// mapped, except the letters of kDoubleByteCaseRuns (full-width Latin, and some Greek, Cyrillic
// and Roman numerals) and whatever a test sets up.
//
// File names are read through the same tables, but the file system compares names by its own
// upper-case table, which knows more double-byte letters, and takes the two encodings of a
// character that some code pages have for one character (kNameFoldRuns).
#include "platform/host/Internal.h"

#include <array>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ByteRange {
    BYTE first;
    BYTE last;
};

struct SingleByteTable {
    std::array<WORD, 256> type{};
    std::array<BYTE, 256> upper{};
    std::array<BYTE, 256> lower{};
};

UINT codePage = 1252;
bool cpInfoFails = false;
std::vector<ByteRange> reportedRanges;                         // empty: none reported
std::map<std::pair<BYTE, BYTE>, std::string> doubleByteUppers; // test overrides
SingleByteTable table;
void BuildTable();
const bool tableBuilt = (BuildTable(), true); // code page 1252 before any test sets one

constexpr WORD kUpperLetter = C1_UPPER | C1_ALPHA;
constexpr WORD kLowerLetter = C1_LOWER | C1_ALPHA;

// The lead-byte ranges that the double-byte code pages define.
std::vector<ByteRange> FixedLeadRanges(UINT page) {
    switch (page) {
    case 932:
        return {{0x81, 0x9F}, {0xE0, 0xFC}};
    case 936:
    case 949:
    case 950:
        return {{0x81, 0xFE}};
    case 1361:
        return {{0x81, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}};
    default:
        return {};
    }
}

// The lead bytes of the current code page as the machine treats them: those a test makes
// GetCPInfo report, else the code page's own.
std::vector<ByteRange> ActiveLeadRanges() {
    return reportedRanges.empty() ? FixedLeadRanges(codePage) : reportedRanges;
}

bool IsLead(BYTE byte) {
    for (const ByteRange& range : ActiveLeadRanges()) {
        if (byte >= range.first && byte <= range.last) {
            return true;
        }
    }
    return false;
}

void Pair(BYTE upperByte, BYTE lowerByte) {
    table.type[upperByte] = kUpperLetter;
    table.type[lowerByte] = kLowerLetter;
    table.lower[upperByte] = lowerByte;
    table.upper[lowerByte] = upperByte;
}

// A lower-case letter whose upper-case form is the byte given (itself when the code page has none).
void LowerOnly(BYTE lowerByte, BYTE upperForm) {
    table.type[lowerByte] = kLowerLetter;
    table.upper[lowerByte] = upperForm;
}

void SetType(BYTE first, BYTE last, WORD type) {
    for (int byte = first; byte <= last; ++byte) {
        table.type[byte] = type;
    }
}

void BuildAsciiTable() {
    for (int byte = 0; byte < 256; ++byte) {
        table.upper[byte] = static_cast<BYTE>(byte);
        table.lower[byte] = static_cast<BYTE>(byte);
    }
    table.type.fill(0);
    SetType(0x00, 0x1F, C1_CNTRL);
    SetType(0x09, 0x0D, C1_CNTRL | C1_SPACE);
    table.type[0x09] |= C1_BLANK;
    table.type[0x20] = C1_SPACE | C1_BLANK;
    SetType(0x21, 0x2F, C1_PUNCT);
    SetType(0x30, 0x39, C1_DIGIT | C1_XDIGIT);
    SetType(0x3A, 0x40, C1_PUNCT);
    SetType(0x5B, 0x60, C1_PUNCT);
    SetType(0x7B, 0x7E, C1_PUNCT);
    table.type[0x7F] = C1_CNTRL;
    for (BYTE letter = 'A'; letter <= 'Z'; ++letter) {
        Pair(letter, static_cast<BYTE>(letter + 0x20));
    }
    for (int byte = 'A'; byte <= 'F'; ++byte) {
        table.type[byte] |= C1_XDIGIT;
        table.type[byte + 0x20] |= C1_XDIGIT;
    }
}

void BuildWesternTable() { // 1252
    SetType(0x80, 0xBF, C1_PUNCT);
    for (BYTE unused : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        table.type[unused] = C1_CNTRL;
    }
    for (BYTE symbol : {0x80, 0x98, 0x99}) { // euro, small tilde, trade mark
        table.type[symbol] = 0;
    }
    table.type[0x88] = C1_ALPHA; // modifier circumflex
    table.type[0xA0] = C1_SPACE | C1_BLANK;
    table.type[0xAD] = C1_PUNCT | C1_CNTRL; // soft hyphen
    for (BYTE superscript : {0xB2, 0xB3, 0xB9}) {
        table.type[superscript] = C1_DIGIT | C1_PUNCT;
    }
    Pair(0x8A, 0x9A);
    Pair(0x8C, 0x9C);
    Pair(0x8E, 0x9E);
    Pair(0x9F, 0xFF);
    LowerOnly(0x83, 0x83); // small f with hook
    // Ordinal indicators and the micro sign: lower-case letters that are also punctuation, with no
    // upper-case form in the code page.
    for (BYTE letter : {0xAA, 0xB5, 0xBA}) {
        LowerOnly(letter, letter);
        table.type[letter] |= C1_PUNCT;
    }
    for (int byte = 0xC0; byte <= 0xDE; ++byte) {
        if (byte != 0xD7) {
            Pair(static_cast<BYTE>(byte), static_cast<BYTE>(byte + 0x20));
        }
    }
    table.type[0xD7] = C1_PUNCT;
    table.type[0xF7] = C1_PUNCT;
    LowerOnly(0xDF, 0xDF); // sharp s has no single upper-case letter
}

void BuildCyrillicTable() { // 1251
    SetType(0x80, 0xBF, C1_PUNCT);
    table.type[0x98] = C1_CNTRL;
    for (BYTE symbol : {0x88, 0x99, 0xB9}) { // euro, trade mark, numero
        table.type[symbol] = 0;
    }
    table.type[0xA0] = C1_SPACE | C1_BLANK;
    table.type[0xAD] = C1_PUNCT | C1_CNTRL; // soft hyphen
    Pair(0x80, 0x90);
    Pair(0x81, 0x83);
    Pair(0x8A, 0x9A);
    Pair(0x8C, 0x9C);
    Pair(0x8D, 0x9D);
    Pair(0x8E, 0x9E);
    Pair(0x8F, 0x9F);
    Pair(0xA1, 0xA2);
    Pair(0xA3, 0xBC);
    Pair(0xA5, 0xB4);
    Pair(0xA8, 0xB8);
    Pair(0xAA, 0xBA);
    Pair(0xAF, 0xBF);
    Pair(0xB2, 0xB3);
    Pair(0xBD, 0xBE);
    LowerOnly(0xB5, 0xB5); // micro sign
    table.type[0xB5] |= C1_PUNCT;
    for (int byte = 0xC0; byte <= 0xDF; ++byte) {
        Pair(static_cast<BYTE>(byte), static_cast<BYTE>(byte + 0x20));
    }
}

void BuildTable() {
    BuildAsciiTable();
    switch (codePage) {
    case 1252:
        BuildWesternTable();
        break;
    case 1251:
        BuildCyrillicTable();
        break;
    case 932:
        SetType(0x80, 0xFF, C1_PUNCT);
        SetType(0xA6, 0xDF, C1_ALPHA); // half-width katakana
        table.type[0x80] = C1_CNTRL;
        SetType(0xFD, 0xFF, 0); // unassigned
        table.type[0xA0] = 0;
        break;
    case 936:
    case 949:
    case 950:
        SetType(0x80, 0xFF, C1_PUNCT); // only lead bytes, apart from these two
        table.type[0x80] = codePage == 936 ? 0 : C1_CNTRL;
        table.type[0xFF] = 0;
        break;
    default: // 437, 1361 and unknown pages: ASCII letters only
        SetType(0x80, 0xFF, C1_PUNCT);
        break;
    }
}

// A run of double-byte letters whose upper- and lower-case forms lie in parallel runs.
struct DoubleByteCaseRun {
    UINT codePage;
    BYTE upperLead;
    BYTE upperTrail; // first trail byte of the upper-case run
    BYTE lowerLead;
    BYTE lowerTrail; // first trail byte of the lower-case run
    int length;
};

constexpr DoubleByteCaseRun kDoubleByteCaseRuns[] = {
    {932, 0x82, 0x60, 0x82, 0x81, 26}, // full-width Latin
    {932, 0x83, 0x9F, 0x83, 0xBF, 24}, // Greek
    {932, 0x84, 0x40, 0x84, 0x70, 15}, // Cyrillic (the lower-case run skips 0x7F)
    {932, 0x84, 0x4F, 0x84, 0x80, 18}, {936, 0xA3, 0xC1, 0xA3, 0xE1, 26}, // full-width Latin
    {936, 0xA2, 0xF1, 0xA2, 0xA1, 10},                                    // Roman numerals
    {949, 0xA3, 0xC1, 0xA3, 0xE1, 26},                                    // full-width Latin
    {950, 0xA2, 0xCF, 0xA2, 0xE9, 22},                                    // full-width Latin A-V
    {950, 0xA2, 0xE5, 0xA3, 0x40, 4},                                     // full-width Latin W-Z
    {950, 0xA3, 0x44, 0xA3, 0x5C, 24},                                    // Greek
};

// The run that holds the character in the given case, or null.
const DoubleByteCaseRun* FindCaseRun(BYTE lead, BYTE trail, bool upper) {
    if (!reportedRanges.empty()) {
        return nullptr; // an unknown code page: no letters known
    }
    for (const DoubleByteCaseRun& run : kDoubleByteCaseRuns) {
        const BYTE runLead = upper ? run.upperLead : run.lowerLead;
        const int first = upper ? run.upperTrail : run.lowerTrail;
        if (run.codePage == codePage && lead == runLead && trail >= first &&
            trail < first + run.length) {
            return &run;
        }
    }
    return nullptr;
}

// Case forms of one double-byte character. Returns false when the mapping fails.
bool MapDoubleByte(BYTE lead, BYTE trail, bool toUpper, std::string& out) {
    if (toUpper) {
        auto found = doubleByteUppers.find({lead, trail});
        if (found != doubleByteUppers.end()) {
            out += found->second;
            return !found->second.empty();
        }
    }
    if (const DoubleByteCaseRun* run = FindCaseRun(lead, trail, !toUpper)) {
        const int offset = trail - (toUpper ? run->lowerTrail : run->upperTrail);
        lead = toUpper ? run->upperLead : run->lowerLead;
        trail = static_cast<BYTE>((toUpper ? run->upperTrail : run->lowerTrail) + offset);
    }
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
    return true;
}

WORD DoubleByteType(BYTE lead, BYTE trail) {
    if (FindCaseRun(lead, trail, true) != nullptr) {
        return kUpperLetter;
    }
    if (FindCaseRun(lead, trail, false) != nullptr) {
        return kLowerLetter;
    }
    return C1_ALPHA;
}

// ---- File names ----

bool InRanges(BYTE byte, const std::vector<ByteRange>& ranges) {
    for (const ByteRange& range : ranges) {
        if (byte >= range.first && byte <= range.last) {
            return true;
        }
    }
    return false;
}

// The trail bytes a double-byte code page defines. A lead byte takes the next byte whatever it
// is; a pair with any other trail byte is one the code page cannot read. Code pages the machine
// has no table for (1361, and those a test reports) take every trail byte.
std::vector<ByteRange> TrailRanges() {
    if (!reportedRanges.empty()) {
        return {{0x00, 0xFF}};
    }
    switch (codePage) {
    case 932:
        return {{0x40, 0x7E}, {0x80, 0xFC}};
    case 936:
        return {{0x40, 0x7E}, {0x80, 0xFE}};
    case 949:
        return {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}};
    case 950:
        return {{0x40, 0x7E}, {0xA1, 0xFE}};
    default:
        return {{0x00, 0xFF}};
    }
}

// A pair's place in the sequence of readable pairs (lead by lead, skipping the bytes that are no
// trail bytes), so that a run of characters can step over those gaps and from one lead byte to
// the next.
int Ordinal(BYTE lead, BYTE trail, const std::vector<ByteRange>& trails, int perLead) {
    int index = 0;
    for (const ByteRange& range : trails) {
        if (trail > range.last) {
            index += range.last - range.first + 1;
        } else {
            index += trail - range.first;
            break;
        }
    }
    return lead * perLead + index;
}

std::string PairAt(int ordinal, const std::vector<ByteRange>& trails, int perLead) {
    int index = ordinal % perLead;
    for (const ByteRange& range : trails) {
        const int size = range.last - range.first + 1;
        if (index < size) {
            return {static_cast<char>(ordinal / perLead), static_cast<char>(range.first + index)};
        }
        index -= size;
    }
    return {};
}

// Double-byte characters whose name form is another pair: lower-case letters (to their upper-case
// form, as the file system upper-cases them) and second encodings of one character (to the
// encoding the code page converts that character back to). Runs step through readable pairs.
struct NameFoldRun {
    UINT codePage;
    BYTE lead;
    BYTE trail;
    BYTE formLead;
    BYTE formTrail;
    int length;
};

constexpr NameFoldRun kNameFoldRuns[] = {
    // 932: full-width Latin, Greek and Cyrillic letters.
    {932, 0x82, 0x81, 0x82, 0x60, 26},
    {932, 0x83, 0xBF, 0x83, 0x9F, 24},
    {932, 0x84, 0x70, 0x84, 0x40, 33},
    // 932: signs of row 13 that row 2 has too.
    {932, 0x87, 0x90, 0x81, 0xE0, 1},
    {932, 0x87, 0x91, 0x81, 0xDF, 1},
    {932, 0x87, 0x92, 0x81, 0xE7, 1},
    {932, 0x87, 0x95, 0x81, 0xE3, 1},
    {932, 0x87, 0x96, 0x81, 0xDB, 1},
    {932, 0x87, 0x97, 0x81, 0xDA, 1},
    {932, 0x87, 0x9A, 0x81, 0xE6, 1},
    {932, 0x87, 0x9B, 0x81, 0xBF, 1},
    {932, 0x87, 0x9C, 0x81, 0xBE, 1},
    // 932: rows 89-92, which rows 115-119 have too; their small Roman numerals upper-cased to the
    // capitals of row 13; and the signs of rows 115-119 that other rows have.
    {932, 0xED, 0x40, 0xFA, 0x5C, 188},
    {932, 0xEE, 0x40, 0xFB, 0x5C, 172},
    {932, 0xEE, 0xEF, 0x87, 0x54, 10},
    {932, 0xEE, 0xF9, 0x81, 0xCA, 1},
    {932, 0xEE, 0xFA, 0xFA, 0x55, 3},
    {932, 0xFA, 0x40, 0x87, 0x54, 10},
    {932, 0xFA, 0x4A, 0x87, 0x54, 10},
    {932, 0xFA, 0x54, 0x81, 0xCA, 1},
    {932, 0xFA, 0x58, 0x87, 0x8A, 1},
    {932, 0xFA, 0x59, 0x87, 0x82, 1},
    {932, 0xFA, 0x5A, 0x87, 0x84, 1},
    {932, 0xFA, 0x5B, 0x81, 0xE6, 1},
    // 936: Roman numerals, full-width Latin, Greek, Cyrillic.
    {936, 0xA2, 0xA1, 0xA2, 0xF1, 10},
    {936, 0xA3, 0xE1, 0xA3, 0xC1, 26},
    {936, 0xA6, 0xC1, 0xA6, 0xA1, 24},
    {936, 0xA7, 0xD1, 0xA7, 0xA1, 33},
    // 949: full-width Latin, Roman numerals, Greek, the Latin letters whose two cases it has,
    // Cyrillic.
    {949, 0xA3, 0xE1, 0xA3, 0xC1, 26},
    {949, 0xA5, 0xA1, 0xA5, 0xB0, 10},
    {949, 0xA5, 0xE1, 0xA5, 0xC1, 24},
    {949, 0xA9, 0xA1, 0xA8, 0xA1, 1},
    {949, 0xA9, 0xA3, 0xA8, 0xA2, 1},
    {949, 0xA9, 0xA4, 0xA8, 0xA4, 1},
    {949, 0xA9, 0xA6, 0xA8, 0xA6, 1},
    {949, 0xA9, 0xA8, 0xA8, 0xA8, 4},
    {949, 0xA9, 0xAD, 0xA8, 0xAD, 3},
    {949, 0xAC, 0xD1, 0xAC, 0xA1, 33},
    // 950: box drawing and two numerals that it has twice; full-width Latin (a-v, then w-z on the
    // next lead byte) and Greek letters.
    {950, 0xA2, 0xA4, 0xF9, 0xF9, 1},
    {950, 0xA2, 0xA5, 0xF9, 0xE9, 3},
    {950, 0xF9, 0xFA, 0xA2, 0x7E, 4},
    {950, 0xA2, 0xCC, 0xA4, 0x51, 1},
    {950, 0xA2, 0xCE, 0xA4, 0xCA, 1},
    {950, 0xA2, 0xE9, 0xA2, 0xCF, 22},
    {950, 0xA3, 0x40, 0xA2, 0xE5, 4},
    {950, 0xA3, 0x5C, 0xA3, 0x44, 24},
};

std::string NameForm(BYTE lead, BYTE trail) {
    const std::vector<ByteRange> trails = TrailRanges();
    if (!InRanges(trail, trails)) {
        // The code page's default character: a middle dot in 932, which names may hold; a
        // question mark elsewhere, which they may not.
        return codePage == 932 ? "\x81\x45" : "?";
    }
    if (reportedRanges.empty()) {
        int perLead = 0;
        for (const ByteRange& range : trails) {
            perLead += range.last - range.first + 1;
        }
        const int ordinal = Ordinal(lead, trail, trails, perLead);
        for (const NameFoldRun& run : kNameFoldRuns) {
            const int first = Ordinal(run.lead, run.trail, trails, perLead);
            if (run.codePage == codePage && ordinal >= first && ordinal < first + run.length) {
                return PairAt(Ordinal(run.formLead, run.formTrail, trails, perLead) + ordinal -
                                  first,
                              trails, perLead);
            }
        }
    }
    return {static_cast<char>(lead), static_cast<char>(trail)};
}

int SourceLength(LPCSTR source, int count) {
    return count < 0 ? static_cast<int>(std::strlen(source)) + 1 : count;
}

} // namespace

namespace sim {

void SetCodePage(UINT page) {
    codePage = page;
    BuildTable();
}

void SetCPInfoFails(bool fails) {
    cpInfoFails = fails;
}

void SetReportedLeadByteRanges(const std::vector<std::pair<BYTE, BYTE>>& ranges) {
    reportedRanges.clear();
    for (const auto& range : ranges) {
        if (reportedRanges.size() < 5) {
            reportedRanges.push_back({range.first, range.second});
        }
    }
}

void SetDoubleByteUpper(BYTE lead, BYTE trail, const std::string& mapped) {
    doubleByteUppers[{lead, trail}] = mapped;
}

namespace detail {

std::vector<NameCharacter> ReadName(const std::string& name) {
    std::vector<NameCharacter> characters;
    const auto* bytes = reinterpret_cast<const BYTE*>(name.data());
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (IsLead(bytes[at]) && at + 1 < name.size()) {
            characters.push_back({name.substr(at, 2), NameForm(bytes[at], bytes[at + 1])});
            ++at;
        } else {
            // A lead byte that ends the name is a character of its own.
            characters.push_back(
                {name.substr(at, 1), std::string(1, static_cast<char>(table.upper[bytes[at]]))});
        }
    }
    return characters;
}

void ResetCodePage() {
    cpInfoFails = false;
    reportedRanges.clear();
    doubleByteUppers.clear();
    SetCodePage(1252);
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;

UINT WINAPI GetACP() {
    EnterCall(Op::GetACP); // cannot fail on Windows
    return codePage;
}

BOOL WINAPI GetCPInfo(UINT page, LPCPINFO info) {
    if (EnterCall(Op::GetCPInfo) || cpInfoFails || info == nullptr) {
        return FALSE;
    }
    if (page != CP_ACP && page != codePage) {
        return FALSE; // the machine knows only its own code page
    }
    std::memset(info, 0, sizeof *info);
    info->DefaultChar[0] = '?';
    const std::vector<ByteRange> ranges = ActiveLeadRanges();
    info->MaxCharSize = ranges.empty() ? 1 : 2;
    int at = 0;
    for (const ByteRange& range : ranges) {
        info->LeadByte[at++] = range.first;
        info->LeadByte[at++] = range.last;
    }
    return TRUE;
}

BOOL WINAPI GetStringTypeA(LCID, DWORD infoType, LPCSTR source, int count, LPWORD types) {
    if (EnterCall(Op::GetStringTypeA) || infoType != CT_CTYPE1 || source == nullptr ||
        types == nullptr || count == 0) {
        return FALSE;
    }
    const int length = SourceLength(source, count);
    const auto* bytes = reinterpret_cast<const BYTE*>(source);
    for (int at = 0; at < length; ++at) {
        if (IsLead(bytes[at]) && at + 1 < length) {
            types[at] = types[at + 1] = DoubleByteType(bytes[at], bytes[at + 1]);
            ++at;
        } else if (IsLead(bytes[at])) {
            types[at] = 0; // a lead byte without its trail byte is no character
        } else {
            types[at] = table.type[bytes[at]];
        }
    }
    return TRUE;
}

int WINAPI LCMapStringA(LCID, DWORD flags, LPCSTR source, int sourceCount, LPSTR destination,
                        int destinationCount) {
    if (EnterCall(Op::LCMapStringA)) {
        return 0;
    }
    if (source == nullptr || sourceCount == 0 || destinationCount < 0 ||
        (destinationCount > 0 && destination == nullptr) ||
        (flags != LCMAP_UPPERCASE && flags != LCMAP_LOWERCASE)) {
        return 0; // ERROR_INVALID_PARAMETER / ERROR_INVALID_FLAGS
    }
    const bool toUpper = flags == LCMAP_UPPERCASE;
    const int length = SourceLength(source, sourceCount);
    const auto* bytes = reinterpret_cast<const BYTE*>(source);
    std::string mapped;
    for (int at = 0; at < length; ++at) {
        if (IsLead(bytes[at]) && at + 1 < length) {
            if (!MapDoubleByte(bytes[at], bytes[at + 1], toUpper, mapped)) {
                return 0;
            }
            ++at;
        } else {
            mapped += static_cast<char>(toUpper ? table.upper[bytes[at]] : table.lower[bytes[at]]);
        }
    }
    const int needed = static_cast<int>(mapped.size());
    if (destinationCount == 0) {
        return needed;
    }
    if (destinationCount < needed) {
        return 0; // ERROR_INSUFFICIENT_BUFFER
    }
    std::memcpy(destination, mapped.data(), mapped.size());
    return needed;
}
