#include "launcher/CommandTail.h"

#include "text/CharacterRules.h"

namespace {

unsigned char ByteAt(const char* p) {
    return static_cast<unsigned char>(*p);
}

const char* SkipQuotedName(const char* p) {
    ++p; // the opening quote
    while (*p != '\0' && *p != '"') {
        p += (text::IsLeadByte(ByteAt(p)) && p[1] != '\0') ? 2 : 1;
    }
    return *p == '"' ? p + 1 : p;
}

const char* SkipUnquotedName(const char* p) {
    while (ByteAt(p) > ' ') {
        ++p;
    }
    return p;
}

} // namespace

const char* CommandLineTail(const char* commandLine) {
    const char* p =
        *commandLine == '"' ? SkipQuotedName(commandLine) : SkipUnquotedName(commandLine);
    while (*p != '\0' && ByteAt(p) <= ' ') {
        ++p;
    }
    return p;
}
