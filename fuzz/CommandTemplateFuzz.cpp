// The registry search for a document type's command (LookupCommandTemplate) over a registry whose
// values come from the input: where each one is stored, its name, its type, and its bytes (text
// with or without its NUL, a NUL inside, or filled up to either side of the 4096-byte limit).
//
// Input: code page, options (the per-user branch, the extension prefix), faults of the registry
// calls, extension, verb, class name, application name, then registry entries until the input ends.
#include "association/CommandTemplate.h"
#include "association/RegistryText.h"
#include "fuzz/Harness.h"
#include "fuzz/TextModel.h"

namespace {

using fuzz::CopyRule;
using fuzz::Require;

const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

struct Names {
    std::string extensionKey;
    std::string verb;
    std::string className;
    std::string application;
};

struct Place {
    HKEY root;
    std::string key;
};

// Mostly the keys that the search reads, so that the input reaches the later steps of it.
Place PlaceOf(fuzz::Input& input, const Names& names) {
    const std::string verbCommand = "\\shell\\" + names.verb + "\\command";
    switch (input.Pick(10)) {
    case 0:
        return {HKEY_CLASSES_ROOT, names.extensionKey};
    case 1:
        return {HKEY_CLASSES_ROOT, names.className + verbCommand};
    case 2:
        return {HKEY_CLASSES_ROOT, names.className + "\\shell\\edit\\command"};
    case 3:
        return {HKEY_CLASSES_ROOT, names.className + "\\shell\\view\\command"};
    case 4:
        return {HKEY_CLASSES_ROOT, names.extensionKey + verbCommand};
    case 5:
        return {HKEY_CURRENT_USER, kFileExts + names.extensionKey};
    case 6:
        return {HKEY_CURRENT_USER, kFileExts + names.extensionKey + "\\OpenWithList"};
    case 7:
        return {HKEY_CLASSES_ROOT, "Applications\\" + names.application + verbCommand};
    case 8:
        return {HKEY_CLASSES_ROOT, "Applications\\" + names.application + "\\shell\\open\\command"};
    default: {
        const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
        const HKEY root = kRoots[input.Pick(3)];
        return {root, input.Text()};
    }
    }
}

std::string ValueName(fuzz::Input& input) {
    switch (input.Pick(8)) {
    case 1:
        return "Application";
    case 2:
        return "MRUList";
    case 3:
        return "a";
    case 4:
        return "b";
    case 5:
        return "c";
    case 6:
        return input.Text();
    default:
        return ""; // the default value
    }
}

DWORD ValueType(fuzz::Input& input) {
    constexpr DWORD kTypes[] = {REG_SZ,       REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
                                REG_MULTI_SZ, REG_NONE,      11 /* REG_QWORD */};
    const std::uint8_t byte = input.Byte();
    return byte < 0xF0 ? kTypes[byte % 7] : byte;
}

// Text filled with itself (or with "x") to exactly count bytes.
std::string FilledTo(const std::string& text, std::size_t count) {
    const std::string fill = text.empty() ? std::string("x") : text;
    std::string filled;
    while (filled.size() < count) {
        filled += fill;
    }
    return filled.substr(0, count);
}

std::string ValueData(fuzz::Input& input) {
    const std::string text = input.Text();
    const std::string nul(1, '\0');
    switch (input.Pick(8)) {
    case 0:
        return text; // no NUL of its own
    case 1:
        return text + nul;
    case 2:
        return text + nul + input.Text(); // bytes after the NUL
    case 3:
        return FilledTo(text, kRegistryDataLimit - 1);
    case 4:
        return FilledTo(text, kRegistryDataLimit);
    case 5:
        return FilledTo(text, kRegistryDataLimit + 1);
    case 6:
        return FilledTo(text, kRegistryDataLimit - 1) + nul;
    default:
        return FilledTo(text, kRegistryDataLimit) + nul;
    }
}

// The texts that the search may give: each stored value that fits the limit, up to its first NUL,
// as it was read or through the copy rule.
bool IsStoredText(const std::string& found, const std::vector<std::string>& stored) {
    for (const std::string& data : stored) {
        if (data.size() > kRegistryDataLimit) {
            continue;
        }
        const std::string text = data.substr(0, data.find('\0'));
        if (found == text || found == CopyRule(text)) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::FreshMachine(fuzz::CodePage(input));
    const std::uint8_t options = input.Byte();
    const bool useUserChoice = (options & 1) != 0;
    fuzz::InjectFaults(input, {sim::Op::RegOpenKeyExA, sim::Op::RegQueryValueExA});
    const std::string extension = input.Text();
    const std::string verb = input.Text();
    const std::string prefix = (options & 6) == 0 ? "" : (options & 6) == 2 ? input.Text() : ".";
    const Names names{prefix + extension, verb, input.Text(), input.Text()};

    std::vector<std::string> stored;
    while (!input.AtEnd()) {
        const Place place = PlaceOf(input, names);
        if (input.Pick(8) == 0) {
            sim::DenyRegistryKey(place.root, place.key);
            continue;
        }
        const std::string name = ValueName(input);
        const DWORD type = ValueType(input);
        stored.push_back(ValueData(input));
        sim::SetRegistryValue(place.root, place.key, name, type, stored.back());
    }

    const fuzz::Balance balance;
    {
        const String command =
            LookupCommandTemplate(extension.c_str(), verb.c_str(), useUserChoice, prefix.c_str());
        const std::string found = command.Text();
        Require(found.size() <= kRegistryDataLimit, "a command longer than the limit was read");
        Require(found.empty() || IsStoredText(found, stored), "a command was read that is stored "
                                                              "nowhere");
    }
    balance.Check();
    fuzz::CheckRegistryReadOnly();
    // The per-user keys are read only for the verb "open" (as the String compares it) when asked.
    const bool userBranch = useUserChoice && CopyRule(verb) == "open";
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        Require(call.kind != sim::RegistryCall::Open || call.root == HKEY_CLASSES_ROOT ||
                    (userBranch && call.root == HKEY_CURRENT_USER),
                "a key was read outside the roots the search may read");
    }
    fuzz::EndRun();
    return 0;
}
