#include "explain/ShownText.h"

#include "platform/Platform.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Error codes that the file tests, registry reads and program starts give, as Windows names them.
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kInvalidName = 123;
constexpr unsigned long kBadExeFormat = 193;

} // namespace

std::string Shown(const std::string& text) {
    std::string shown = "<";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += kHexDigits[byte >> 4];
            shown += kHexDigits[byte & 0x0F];
        } else {
            shown += c;
        }
    }
    return shown + ">";
}

std::string ErrorText(unsigned long error) {
    std::string meaning;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        meaning = ": no such file";
        break;
    case kPathNotFound:
        meaning = ": no such folder";
        break;
    case ERROR_ACCESS_DENIED:
        meaning = ": access denied (a folder, say)";
        break;
    case ERROR_SHARING_VIOLATION:
        meaning = ": in use by another program";
        break;
    case kInvalidName:
        meaning = ": not a valid name";
        break;
    case kBadExeFormat:
        meaning = ": not a program";
        break;
    default:
        break;
    }
    return "error " + std::to_string(error) + meaning;
}
