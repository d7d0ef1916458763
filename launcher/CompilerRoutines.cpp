// The memory and string routines that compiled code calls for copies, fills, comparisons and
// lengths. launcher.exe is linked without the C runtime library, so that it imports nothing but
// system DLLs; these take the place of the library's. Plain loops: the texts are short, and the
// file is built so that the compiler does not turn the loops back into calls to these routines.
#include <cstddef>

extern "C" {

void* memcpy(void* destination, const void* source, std::size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    while (count-- > 0) {
        *to++ = *from++;
    }
    return destination;
}

void* memmove(void* destination, const void* source, std::size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    if (to < from) {
        while (count-- > 0) {
            *to++ = *from++;
        }
    } else {
        // From the end, so that an overlapping source is read before it is overwritten.
        while (count-- > 0) {
            to[count] = from[count];
        }
    }
    return destination;
}

void* memset(void* destination, int value, std::size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    while (count-- > 0) {
        *to++ = static_cast<unsigned char>(value);
    }
    return destination;
}

int memcmp(const void* left, const void* right, std::size_t count) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (; count > 0; --count, ++a, ++b) {
        if (*a != *b) {
            return *a < *b ? -1 : 1;
        }
    }
    return 0;
}

std::size_t strlen(const char* text) {
    const char* end = text;
    while (*end != '\0') {
        ++end;
    }
    return static_cast<std::size_t>(end - text);
}

} // extern "C"
