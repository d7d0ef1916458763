// The process command line: the tail after the program name (CommandLineTail), then the option
// values read from it (ReadOption) for the launcher's own names and for a name of the input.
//
// Input: code page, a name, then the whole command line.
#include "fuzz/Harness.h"
#include "fuzz/TextModel.h"
#include "launcher/CommandTail.h"
#include "launcher/ReadOption.h"

#include <cstring>
#include <memory>

namespace {

using fuzz::IsLead;
using fuzz::Require;

// A byte that ends an unquoted program name and separates the tail from the name.
bool IsSeparator(char byte) {
    return static_cast<unsigned char>(byte) <= ' ';
}

// Where the program name ends: an unquoted one at the first byte of 32 or less, a quoted one just
// after the next quote that is no trail byte (or at the end of the line).
std::size_t NameEnd(const char* line, std::size_t length) {
    std::size_t at = 0;
    if (line[0] != '"') {
        while (at < length && !IsSeparator(line[at])) {
            ++at;
        }
        return at;
    }
    at = 1;
    while (at < length && line[at] != '"') {
        at += IsLead(line[at]) && at + 1 < length ? 2 : 1;
    }
    return at < length ? at + 1 : length;
}

// The tail is what follows the program name and the separators (bytes of 32 or less) after it.
void CheckTail(const char* line, std::size_t length, const char* tail) {
    Require(tail >= line && tail <= line + length, "the tail lies outside the command line");
    const auto offset = static_cast<std::size_t>(tail - line);
    Require(offset == length || !IsSeparator(*tail), "the tail begins with a separator");
    const std::size_t nameEnd = NameEnd(line, length);
    Require(offset >= nameEnd, "the tail begins inside the program name");
    for (std::size_t at = nameEnd; at < offset; ++at) {
        Require(IsSeparator(line[at]),
                "the tail skipped more than the separators after the program name");
    }
}

// What ReadOption.h promises: the bytes after the first occurrence of the name up to the next "/"
// or the end, trimmed at both ends; the tail and the name are Strings, so each has lost a final
// lone lead byte.
std::string OptionValue(const std::string& tail, const std::string& name) {
    const std::string text = fuzz::CopyRule(tail);
    const std::string searched = fuzz::CopyRule(name);
    const int found = fuzz::FindText(text, searched, 0);
    if (found < 0) {
        return std::string();
    }
    const int first = found + static_cast<int>(searched.size());
    int end = fuzz::FindCharacter(text, '/', first);
    if (end < 0) {
        end = static_cast<int>(text.size());
    }
    const std::string value = fuzz::CopyRule(text.substr(first, end - first));
    return fuzz::TrimmedRight(fuzz::TrimmedLeft(value));
}

void Run(fuzz::Input& input) {
    const std::string name = input.Text();
    const std::string commandLine = input.RestAsText();
    const std::unique_ptr<char[]> line = fuzz::ExactBlock(commandLine);
    const char* tail = CommandLineTail(line.get());
    CheckTail(line.get(), commandLine.size(), tail);

    const String tailText(tail);
    for (const std::string& option : {std::string("/path"), std::string("/verb"), name}) {
        Require(OptionValue(tail, option) == ReadOption(tailText, option.c_str()).Text(),
                "ReadOption read another value");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::FreshMachine(fuzz::CodePage(input));
    const fuzz::Balance balance;
    Run(input);
    balance.Check();
    fuzz::EndRun();
    return 0;
}
