// How bytes of the active ANSI code page form characters: lead bytes, white space and case.
//
// Set up once, before any String exists, by SetUpCharacterRules(); read-only afterwards.
#pragma once

namespace text {

// Reads the active code page (GetACP), its lead-byte ranges (GetCPInfo) and its single-byte case
// classes and mappings (GetStringTypeA, LCMapStringA). Call again after the code page changed (host
// tests only).
void SetUpCharacterRules();

// True for the double-byte code pages and for any code page whose maximum character size is 2 or
// more.
bool IsMultibyteMode();
// True when the byte begins a double-byte character (never with multibyte mode off).
bool IsLeadByte(unsigned char byte);
// Exactly 0x09-0x0D and 0x20.
bool IsWhiteSpace(unsigned char byte);

enum class LetterCase { None, Upper, Lower };
// The byte's case in the single-byte case table, and the byte of the other case it is paired with
// (the byte itself when it has no case).
LetterCase CaseOf(unsigned char byte);
unsigned char CasePairOf(unsigned char byte);

// The code page's upper-case mapping of one double-byte character. Writes one or two bytes to
// mapped and returns how many; returns 0 when the mapping fails.
int UpperCaseDoubleByte(unsigned char lead, unsigned char trail, unsigned char mapped[2]);

} // namespace text
