// The String value: buffers from the process heap, byte counts, double-byte aware scans.
#include "text/String.h"

#include "platform/Platform.h"
#include "text/CharacterRules.h"

#include <cstring>

namespace {

// STATUS_NO_MEMORY: the launcher cannot go on without a buffer, so it ends at once rather than
// write through a null pointer.
constexpr UINT kNoMemory = 0xC0000017u;
constexpr long long kLargestLength = 0x7FFFFFFE; // a length whose buffer size still fits an int

char* AllocateBlock(long long length) {
    if (length < 0 || length > kLargestLength) {
        ExitProcess(kNoMemory);
    }
    void* block = HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(length) + 1);
    if (block == nullptr) {
        ExitProcess(kNoMemory);
    }
    return static_cast<char*>(block);
}

int TextLength(const char* text) {
    return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

void CopyBytes(char* destination, const char* source, int count) {
    if (count > 0) {
        std::memcpy(destination, source, static_cast<std::size_t>(count));
    }
}

unsigned char ByteAt(const char* text, int index) {
    return static_cast<unsigned char>(text[index]);
}

// Whether the character at index is a lead byte together with its trail byte.
bool IsDoubleByteAt(const char* text, int index) {
    return text::IsLeadByte(ByteAt(text, index)) && text[index + 1] != '\0';
}

// Bytes from the character at index to the next one; a lead byte before the terminator is one.
int CharacterSize(const char* text, int index) {
    return IsDoubleByteAt(text, index) ? 2 : 1;
}

bool IsWhiteSpaceAt(const char* text, int index) {
    const unsigned char byte = ByteAt(text, index);
    return !text::IsLeadByte(byte) && text::IsWhiteSpace(byte);
}

// The bytes of a text that the copy rule keeps: all of them, except a final lone lead byte.
int CopyableLength(const char* text) {
    const int length = TextLength(text);
    if (!text::IsMultibyteMode()) {
        return length;
    }
    int at = 0;
    while (at < length) {
        if (text::IsLeadByte(ByteAt(text, at))) {
            if (at + 1 >= length) {
                return at;
            }
            at += 2;
        } else {
            ++at;
        }
    }
    return length;
}

constexpr int kMappingFailed = -1;

enum class Folding { Exact, IgnoreCase };

// The value of the character at text + *at for comparisons, advancing *at past it; a lone lead
// byte counts as the terminator. Ignoring case, single-byte letters count in lower case and
// double-byte characters in upper case, and kMappingFailed tells that the code page cannot map
// a double-byte character.
int CharacterValue(const char* text, int* at, Folding folding) {
    const unsigned char byte = ByteAt(text, *at);
    if (byte == 0) {
        return 0;
    }
    if (!text::IsLeadByte(byte)) {
        *at += 1;
        const bool fold =
            folding == Folding::IgnoreCase && text::CaseOf(byte) == text::LetterCase::Upper;
        return fold ? text::CasePairOf(byte) : byte;
    }
    const unsigned char trail = ByteAt(text, *at + 1);
    if (trail == 0) {
        return 0;
    }
    *at += 2;
    if (folding == Folding::Exact) {
        return byte * 256 + trail;
    }
    unsigned char mapped[2];
    const int count = text::UpperCaseDoubleByte(byte, trail, mapped);
    if (count == 0) {
        return kMappingFailed;
    }
    return count == 1 ? mapped[0] : mapped[0] * 256 + mapped[1];
}

unsigned char FoldAsciiUpper(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

} // namespace

String::String() : buffer_(nullptr) {
    AllocateBuffer(0);
}

String::String(const char* text) : buffer_(nullptr) {
    CopyFrom(text);
}

String::String(const String& other) : buffer_(nullptr) {
    CopyFrom(other.buffer_);
}

String& String::operator=(const String& other) {
    return Assign(other);
}

String::~String() {
    HeapFree(GetProcessHeap(), 0, buffer_);
}

String& String::Assign(const String& other) {
    if (other.buffer_ != buffer_) {
        AssignBytes(other.Length(), other.buffer_);
    }
    return *this;
}

String& String::Assign(const char* text) {
    AssignBytes(TextLength(text), text);
    return *this;
}

int String::Length() const {
    return TextLength(buffer_);
}

bool String::IsEmpty() const {
    return Length() < 1;
}

int String::Find(char character, int start) const {
    if (start < 0) {
        start = 0;
    }
    if (start >= Length()) {
        return -1;
    }
    const auto wanted = static_cast<unsigned char>(character);
    for (int at = start; buffer_[at] != '\0';) {
        const unsigned char byte = ByteAt(buffer_, at);
        if (text::IsLeadByte(byte)) {
            if (buffer_[at + 1] == '\0') {
                return -1;
            }
            at += 2;
        } else if (byte == wanted) {
            return at;
        } else {
            ++at;
        }
    }
    return -1;
}

int String::Find(const char* text, int start) const {
    if (start < 0) {
        start = 0;
    }
    const int length = Length();
    if (start > length) {
        return -1;
    }
    const int textLength = TextLength(text);
    if (textLength == 0) {
        return start;
    }
    const int lastCandidate = length - textLength;
    for (int at = start; at <= lastCandidate; at += CharacterSize(buffer_, at)) {
        if (std::memcmp(buffer_ + at, text, static_cast<std::size_t>(textLength)) == 0) {
            return at;
        }
    }
    return -1;
}

int String::Compare(const char* text) const {
    const char* other = text == nullptr ? "" : text;
    int at = 0;
    int otherAt = 0;
    for (;;) {
        const int value = CharacterValue(buffer_, &at, Folding::Exact);
        const int otherValue = CharacterValue(other, &otherAt, Folding::Exact);
        if (value != otherValue) {
            return value > otherValue ? 1 : -1;
        }
        if (value == 0) {
            return 0;
        }
    }
}

int String::CompareNoCase(const char* text) const {
    const char* other = text == nullptr ? "" : text;
    if (!text::IsMultibyteMode()) {
        for (int at = 0;; ++at) {
            const unsigned char byte = FoldAsciiUpper(ByteAt(buffer_, at));
            const unsigned char otherByte = FoldAsciiUpper(ByteAt(other, at));
            if (byte != otherByte) {
                return byte > otherByte ? 1 : -1;
            }
            if (byte == 0) {
                return 0;
            }
        }
    }
    int at = 0;
    int otherAt = 0;
    for (;;) {
        const int value = CharacterValue(buffer_, &at, Folding::IgnoreCase);
        if (value == kMappingFailed) {
            return 2147483647;
        }
        const int otherValue = CharacterValue(other, &otherAt, Folding::IgnoreCase);
        if (otherValue == kMappingFailed) {
            return 2147483647;
        }
        if (value != otherValue) {
            return value > otherValue ? 1 : -1;
        }
        if (value == 0) {
            return 0;
        }
    }
}

String String::Left(int count) const {
    if (count < 0) {
        count = 0;
    }
    if (count < Length()) {
        String part;
        CopyRange(part, count, 0);
        return String(part);
    }
    return String(*this);
}

String String::Mid(int first, int count) const {
    if (first < 0) {
        first = 0;
    }
    if (count < 0) {
        count = 0;
    }
    const int length = Length();
    if (static_cast<long long>(first) + count > length) {
        count = length - first;
    }
    if (first > length) {
        count = 0;
    }
    if (first == 0 && count == length) {
        return String(*this);
    }
    String part;
    CopyRange(part, count, first);
    return String(part);
}

String String::Right(int count) const {
    if (count < 0) {
        count = 0;
    }
    const int length = Length();
    if (count < length) {
        String part;
        CopyRange(part, count, length - count);
        return String(part);
    }
    return String(*this);
}

void String::MakeUpper() {
    int at = 0;
    while (buffer_[at] != '\0') {
        const unsigned char byte = ByteAt(buffer_, at);
        if (!text::IsLeadByte(byte)) {
            if (text::CaseOf(byte) == text::LetterCase::Lower) {
                buffer_[at] = static_cast<char>(text::CasePairOf(byte));
            }
            ++at;
            continue;
        }
        const unsigned char trail = ByteAt(buffer_, at + 1);
        if (trail == 0) {
            return; // a lone lead byte is no character to map
        }
        unsigned char mapped[2];
        const int count = text::UpperCaseDoubleByte(byte, trail, mapped);
        if (count == 0) {
            return;
        }
        buffer_[at] = static_cast<char>(mapped[0]);
        if (count == 2) {
            buffer_[at + 1] = static_cast<char>(mapped[1]);
            at += 2;
        } else {
            at += 1; // the trail byte now stands alone and is read as a character of its own
        }
    }
}

void String::TrimLeft() {
    int skipped = 0;
    while (IsWhiteSpaceAt(buffer_, skipped)) {
        ++skipped;
    }
    if (skipped == 0) {
        return;
    }
    const int rest = TextLength(buffer_ + skipped);
    std::memmove(buffer_, buffer_ + skipped, static_cast<std::size_t>(rest) + 1);
}

void String::TrimRight() {
    int runStart = -1;
    int at = 0;
    while (buffer_[at] != '\0') {
        if (IsWhiteSpaceAt(buffer_, at)) {
            if (runStart < 0) {
                runStart = at;
            }
            ++at;
        } else {
            runStart = -1;
            at += CharacterSize(buffer_, at);
        }
    }
    if (runStart >= 0) {
        buffer_[runStart] = '\0';
    }
}

int String::Replace(char oldCharacter, char newCharacter) {
    if (oldCharacter == newCharacter) {
        return 0;
    }
    const int end = Length();
    int count = 0;
    for (int at = 0; at < end;) {
        if (buffer_[at] == oldCharacter) {
            buffer_[at] = newCharacter;
            ++count;
        }
        // The byte now in place decides whether a trail byte follows; a trail byte is never
        // compared.
        at += text::IsLeadByte(ByteAt(buffer_, at)) ? 2 : 1;
    }
    return count;
}

int String::Replace(const char* oldText, const char* newText) {
    const int oldLength = TextLength(oldText);
    if (oldLength == 0) {
        return 0;
    }
    int count = 0;
    for (int at = Find(oldText, 0); at >= 0; at = Find(oldText, at + oldLength)) {
        ++count;
    }
    if (count == 0) {
        return 0;
    }

    const int newLength = TextLength(newText);
    const int length = Length();
    const long long grownLength =
        length + static_cast<long long>(newLength - oldLength) * static_cast<long long>(count);
    if (grownLength > kLargestLength) {
        ExitProcess(kNoMemory);
    }
    if (grownLength > length) {
        GrowBuffer(static_cast<int>(grownLength));
    }

    int searchFrom = 0;
    int textLength = length;
    for (int replaced = 0; replaced < count; ++replaced) {
        const int at = Find(oldText, searchFrom);
        if (at < 0) {
            break;
        }
        const int tailFrom = at + oldLength;
        const int tailLength = textLength - tailFrom;
        std::memmove(buffer_ + at + newLength, buffer_ + tailFrom,
                     static_cast<std::size_t>(tailLength) + 1);
        CopyBytes(buffer_ + at, newText, newLength);
        textLength += newLength - oldLength;
        searchFrom = at + newLength;
    }
    return count;
}

String operator+(const String& left, const String& right) {
    String joined;
    joined.JoinTexts(left.buffer_, right.buffer_);
    return String(joined);
}

String operator+(const String& left, const char* right) {
    String joined;
    joined.JoinTexts(left.buffer_, right);
    return String(joined);
}

String operator+(const char* left, const String& right) {
    String joined;
    joined.JoinTexts(left, right.buffer_);
    return String(joined);
}

void String::AllocateBuffer(int length) {
    char* fresh = AllocateBlock(length);
    fresh[length] = '\0';
    if (buffer_ != nullptr) {
        HeapFree(GetProcessHeap(), 0, buffer_);
    }
    buffer_ = fresh;
}

void String::GrowBuffer(int length) {
    void* grown = HeapReAlloc(GetProcessHeap(), 0, buffer_, static_cast<SIZE_T>(length) + 1);
    if (grown == nullptr) {
        ExitProcess(kNoMemory);
    }
    buffer_ = static_cast<char*>(grown);
    buffer_[length] = '\0';
}

void String::AssignBytes(int count, const char* source) {
    // The new buffer is filled before the old one is released, so a source inside this String's
    // own buffer is still read safely.
    char* fresh = AllocateBlock(count);
    CopyBytes(fresh, source, count);
    fresh[count] = '\0';
    if (buffer_ != nullptr) {
        HeapFree(GetProcessHeap(), 0, buffer_);
    }
    buffer_ = fresh;
}

void String::CopyRange(String& destination, int count, int start) const {
    if (count == 0) {
        return;
    }
    destination.AllocateBuffer(count);
    CopyBytes(destination.buffer_, buffer_ + start, count);
}

void String::JoinTexts(const char* left, const char* right) {
    const int leftLength = TextLength(left);
    const int rightLength = TextLength(right);
    const long long joinedLength = static_cast<long long>(leftLength) + rightLength;
    if (joinedLength > kLargestLength) {
        ExitProcess(kNoMemory);
    }
    AllocateBuffer(static_cast<int>(joinedLength));
    CopyBytes(buffer_, left, leftLength);
    CopyBytes(buffer_ + leftLength, right, rightLength);
}

void String::CopyFrom(const char* text) {
    AssignBytes(CopyableLength(text), text);
}
