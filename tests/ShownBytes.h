// Bytes as readable text for test messages: printable ASCII as is, every other byte (and the
// backslash) as \xNN, so that double-byte text and control bytes show exactly.
#pragma once

#include <cstdio>
#include <string>

inline std::string ShownBytes(const char* bytes) {
    if (bytes == nullptr) {
        return "(null)";
    }
    std::string shown;
    for (const char* at = bytes; *at != '\0'; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            shown += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown;
}
