#include "launcher/ReadOption.h"

String ReadOption(String text, String name) {
    String value;
    const int found = text.Find(name);
    if (found < 0) {
        return value;
    }
    const int first = found + name.Length();
    int end = text.Find('/', first);
    if (end < 0) {
        end = text.Length();
    }
    value = text.Mid(first, end - first);
    value.TrimLeft();
    value.TrimRight();
    return value;
}
