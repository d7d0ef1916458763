// The String value in code pages 1252, 932 and 936: operations and their arguments chosen by the
// input, run on four values in turn. Every result is checked against a plain model of what
// String.h promises, written over std::string: where characters begin (the lead bytes of the code
// page), the copy rule (a value made from text drops a final lone lead byte; Assign copies bytes
// exactly), and the clamping of counts and indices.
//
// Input: code page, up to two double-byte upper-case mappings, up to two faults of LCMapStringA,
// four starting texts, then operations until the input ends.
#include "fuzz/Harness.h"
#include "fuzz/TextModel.h"
#include "text/String.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using fuzz::CopyRule;
using fuzz::FindCharacter;
using fuzz::FindText;
using fuzz::IsLead;
using fuzz::Require;
using fuzz::TrimmedLeft;
using fuzz::TrimmedRight;

constexpr int kSlots = 4;
constexpr std::size_t kLongest = 1 << 16; // no value grows longer, so that a run stays short
constexpr int kMostOperations = 256;

// A NUL-ended copy in a block of exactly its size, so that the sanitizer sees any read past it.
class ExactText {
  public:
    explicit ExactText(const std::string& text) : bytes_(new char[text.size() + 1]) {
        std::memcpy(bytes_.get(), text.c_str(), text.size() + 1);
    }
    const char* Get() const { return bytes_.get(); }

  private:
    std::unique_ptr<char[]> bytes_;
};

// ---- The model ---------------------------------------------------------------------------------

// The exact order: character by character, a double-byte character as lead * 256 + trail, a lone
// lead byte as the end.
std::vector<int> CharacterValues(const std::string& text) {
    std::vector<int> values;
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (IsLead(text[at])) {
            if (at + 1 >= text.size()) {
                break;
            }
            values.push_back(byte * 256 + static_cast<unsigned char>(text[at + 1]));
            at += 2;
        } else {
            values.push_back(byte);
            ++at;
        }
    }
    values.push_back(0);
    return values;
}

int Order(const std::string& left, const std::string& right) {
    const std::vector<int> a = CharacterValues(left);
    const std::vector<int> b = CharacterValues(right);
    for (std::size_t at = 0;; ++at) {
        if (a[at] != b[at]) {
            return a[at] > b[at] ? 1 : -1;
        }
        if (a[at] == 0) {
            return 0;
        }
    }
}

// Without double-byte characters, case is ignored for the ASCII letters only.
int OrderIgnoringAsciiCase(const std::string& left, const std::string& right) {
    const auto fold = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
    };
    for (std::size_t at = 0;; ++at) {
        const int a = at < left.size() ? fold(left[at]) : 0;
        const int b = at < right.size() ? fold(right[at]) : 0;
        if (a != b) {
            return a > b ? 1 : -1;
        }
        if (a == 0) {
            return 0;
        }
    }
}

// Character replacement: the byte in place after the change decides whether a trail byte follows.
// The text ends at the first NUL written.
std::string ReplacedCharacters(std::string text, char from, char to, int& count) {
    count = 0;
    if (from == to) {
        return text;
    }
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == from) {
            text[at] = to;
            ++count;
        }
        at += IsLead(text[at]) ? 2 : 1;
    }
    return text.substr(0, text.find('\0'));
}

// Text replacement: each occurrence, searched for from just after the one before, replaced; the
// replacement itself is never searched. Returns the count, and the result unless it would be
// longer than kLongest.
int ReplaceTexts(const std::string& text, const std::string& from, const std::string& to,
                 std::string& result) {
    result.clear();
    if (from.empty()) {
        result = text;
        return 0;
    }
    int count = 0;
    std::size_t kept = 0;
    for (int at = FindText(text, from, 0); at >= 0;
         at = FindText(text, from, at + static_cast<int>(from.size()))) {
        ++count;
        if (result.size() <= kLongest) {
            result.append(text, kept, static_cast<std::size_t>(at) - kept).append(to);
        }
        kept = static_cast<std::size_t>(at) + from.size();
    }
    result.append(text, kept, std::string::npos);
    return count;
}

// ---- The run -----------------------------------------------------------------------------------

void RequireValue(const String& value, const std::string& expected, const char* what) {
    Require(value.Length() == static_cast<int>(std::strlen(value.Text())), "Length is not strlen");
    Require(value.IsEmpty() == (value.Length() == 0), "IsEmpty disagrees with Length");
    Require(expected == value.Text(), what);
}

// A text argument: a value's text or a text of the input.
std::string Argument(fuzz::Input& input, const String (&slots)[kSlots]) {
    if (input.Flag()) {
        return slots[input.Pick(kSlots)].Text();
    }
    return input.Text();
}

void RunOperation(fuzz::Input& input, String (&slots)[kSlots]) {
    const std::size_t operation = input.Pick(19);
    String& target = slots[input.Pick(kSlots)];
    const std::string before = target.Text();
    switch (operation) {
    case 0: { // made from text
        const ExactText text(input.Text());
        target = String(text.Get());
        RequireValue(target, CopyRule(text.Get()), "String(text) broke the copy rule");
        break;
    }
    case 1: { // copied from a value
        const String& source = slots[input.Pick(kSlots)];
        const std::string expected = CopyRule(source.Text());
        const String copy(source);
        target = copy;
        RequireValue(target, expected, "String(String) broke the copy rule");
        break;
    }
    case 2: { // assigned a value, itself included: exact bytes
        const String& source = slots[input.Pick(kSlots)];
        const std::string expected = source.Text();
        target.Assign(source);
        RequireValue(target, expected, "Assign(String) did not copy exactly");
        break;
    }
    case 3: {
        const ExactText text(input.Text());
        target.Assign(text.Get());
        RequireValue(target, text.Get(), "Assign(text) did not copy exactly");
        break;
    }
    case 4: {
        const char wanted = static_cast<char>(input.Byte());
        const int start = input.Number();
        Require(target.Find(wanted, start) == FindCharacter(before, wanted, start),
                "Find(character) found another place");
        break;
    }
    case 5: {
        const ExactText wanted(Argument(input, slots));
        const int start = input.Number();
        Require(target.Find(wanted.Get(), start) == FindText(before, wanted.Get(), start),
                "Find(text) found another place");
        break;
    }
    case 6: {
        const ExactText other(Argument(input, slots));
        const int order = target.Compare(other.Get());
        Require(order == Order(before, other.Get()), "Compare gave another order");
        Require(target.Compare(target.Text()) == 0, "Compare with itself is not 0");
        break;
    }
    case 7: {
        const ExactText other(Argument(input, slots));
        const int order = target.CompareNoCase(other.Get());
        const int self = target.CompareNoCase(target.Text());
        Require(order == -1 || order == 0 || order == 1 || order == INT_MAX,
                "CompareNoCase gave an unknown result");
        Require(self == 0 || self == INT_MAX, "CompareNoCase with itself is not 0");
        if (!text::IsMultibyteMode()) {
            Require(order == OrderIgnoringAsciiCase(before, other.Get()),
                    "CompareNoCase gave another order");
        } else if (order != INT_MAX) {
            const String reversed(other.Get());
            const int back = reversed.CompareNoCase(before.c_str());
            Require(back == INT_MAX || back == -order, "CompareNoCase is not antisymmetric");
        }
        break;
    }
    case 8: {
        const int count = input.Number();
        const std::size_t kept = std::min<std::size_t>(std::max(count, 0), before.size());
        target = target.Left(count);
        RequireValue(target, CopyRule(before.substr(0, kept)), "Left kept other bytes");
        break;
    }
    case 9: {
        const int first = input.Number();
        const int count = input.Number();
        const std::size_t from = std::max(first, 0);
        const std::string piece =
            from > before.size() ? std::string() : before.substr(from, std::max(count, 0));
        target = target.Mid(first, count);
        RequireValue(target, CopyRule(piece), "Mid kept other bytes");
        break;
    }
    case 10: {
        const int count = input.Number();
        const std::size_t kept = std::min<std::size_t>(std::max(count, 0), before.size());
        target = target.Right(count);
        RequireValue(target, CopyRule(before.substr(before.size() - kept)),
                     "Right kept other bytes");
        break;
    }
    case 11: {
        target.MakeUpper();
        const std::string after = target.Text();
        Require(after.size() == before.size(), "MakeUpper changed the length");
        if (!text::IsMultibyteMode()) {
            for (std::size_t at = 0; at < before.size(); ++at) {
                const auto byte = static_cast<unsigned char>(before[at]);
                const bool lower = text::CaseOf(byte) == text::LetterCase::Lower;
                Require(static_cast<unsigned char>(after[at]) ==
                            (lower ? text::CasePairOf(byte) : byte),
                        "MakeUpper mapped a byte wrongly");
            }
        }
        break;
    }
    case 12:
        target.TrimLeft();
        RequireValue(target, TrimmedLeft(before), "TrimLeft kept other bytes");
        break;
    case 13:
        target.TrimRight();
        RequireValue(target, TrimmedRight(before), "TrimRight kept other bytes");
        break;
    case 14: {
        const char from = static_cast<char>(input.Byte());
        const char to = static_cast<char>(input.Byte());
        int expectedCount = 0;
        const std::string expected = ReplacedCharacters(before, from, to, expectedCount);
        Require(target.Replace(from, to) == expectedCount, "Replace(character) miscounted");
        RequireValue(target, expected, "Replace(character) changed other bytes");
        break;
    }
    case 15: {
        const ExactText from(Argument(input, slots));
        const ExactText to(Argument(input, slots));
        std::string expected;
        const int expectedCount = ReplaceTexts(before, from.Get(), to.Get(), expected);
        if (expected.size() > kLongest) {
            break;
        }
        Require(target.Replace(from.Get(), to.Get()) == expectedCount, "Replace(text) miscounted");
        RequireValue(target, expected, "Replace(text) changed other bytes");
        break;
    }
    case 16: {
        const String& left = slots[input.Pick(kSlots)];
        const String& right = slots[input.Pick(kSlots)];
        const std::string joined = std::string(left.Text()) + right.Text();
        if (joined.size() <= kLongest) {
            target = left + right;
            RequireValue(target, CopyRule(joined), "String + String joined other bytes");
        }
        break;
    }
    case 17: {
        const ExactText right(input.Text());
        const std::string joined = before + right.Get();
        if (joined.size() <= kLongest) {
            target = target + right.Get();
            RequireValue(target, CopyRule(joined), "String + text joined other bytes");
        }
        break;
    }
    case 18: {
        const ExactText left(input.Text());
        const std::string joined = left.Get() + before;
        if (joined.size() <= kLongest) {
            target = left.Get() + target;
            RequireValue(target, CopyRule(joined), "text + String joined other bytes");
        }
        break;
    }
    }
}

void Run(fuzz::Input& input) {
    String slots[kSlots];
    for (String& slot : slots) {
        const ExactText text(input.Text());
        slot = String(text.Get());
    }
    for (int operation = 0; operation < kMostOperations && !input.AtEnd(); ++operation) {
        RunOperation(input, slots);
    }
}

// Mappings a code page may have besides its own: one double-byte character to one or two bytes
// (never NUL, which no code page maps a character to).
void AddDoubleByteMappings(fuzz::Input& input) {
    const std::size_t mappings = input.Pick(3);
    for (std::size_t mapping = 0; mapping < mappings; ++mapping) {
        const BYTE lead = input.Byte();
        const BYTE trail = input.Byte();
        std::string mapped(1 + input.Pick(2), '\0');
        for (char& byte : mapped) {
            byte = static_cast<char>(input.Byte() | 1);
        }
        sim::SetDoubleByteUpper(lead, trail, mapped);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::FreshMachine(fuzz::CodePage(input));
    AddDoubleByteMappings(input);
    fuzz::InjectFaults(input, {sim::Op::LCMapStringA});
    const fuzz::Balance balance;
    Run(input);
    balance.Check();
    fuzz::EndRun();
    return 0;
}
