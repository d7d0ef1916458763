#include "explain/ExplainSwitches.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string::size_type SkipBlanks(const std::string& text, std::string::size_type at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

// The word at "at", up to the next blank; in double quotes, up to the closing quote.
std::string ReadWord(const std::string& text, std::string::size_type& at) {
    if (at < text.size() && text[at] == '"') {
        const std::string::size_type close = text.find('"', at + 1);
        const std::string::size_type end = close == std::string::npos ? text.size() : close;
        std::string word = text.substr(at + 1, end - at - 1);
        at = close == std::string::npos ? end : close + 1;
        return word;
    }
    const std::string::size_type begin = at;
    while (at < text.size() && !IsBlank(text[at])) {
        ++at;
    }
    return text.substr(begin, at - begin);
}

// A drive and its root ("E:\"), or a network share ("\\server\share\").
bool IsFullPath(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    const bool share = path.size() >= 3 && path.compare(0, 2, "\\\\") == 0;
    return drive || share;
}

ExplainSwitches Refuse(const std::string& reason) {
    ExplainSwitches switches;
    switches.error = "launcher-explain: " + reason + "; " + kExplainUsage;
    return switches;
}

} // namespace

ExplainSwitches ReadExplainSwitches(const std::string& commandTail) {
    ExplainSwitches switches;
    std::string::size_type at = SkipBlanks(commandTail, 0);
    while (commandTail.compare(at, 2, "--") == 0) {
        const std::string word = ReadWord(commandTail, at);
        if (word == "--run") {
            switches.run = true;
        } else if (word == "--as") {
            at = SkipBlanks(commandTail, at);
            const std::string path = ReadWord(commandTail, at);
            if (!IsFullPath(path)) {
                return Refuse("--as needs the full path of a launcher.exe");
            }
            switches.launcherPath = path;
        } else {
            return Refuse("unknown switch " + word);
        }
        at = SkipBlanks(commandTail, at);
    }
    switches.launcherTail = commandTail.substr(at);
    if (switches.launcherTail.empty()) {
        return Refuse("nothing to explain");
    }
    return switches;
}
