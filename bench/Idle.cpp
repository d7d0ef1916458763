// The floor of every figure: a program that does nothing, with its own entry point and no runtime
// start-up, importing kernel32 alone. What it costs is what any process costs Windows to start and
// end; a launch can never cost less than two of them.
#include <windows.h>

extern "C" [[noreturn]] void WINAPI IdleStart() {
    ExitProcess(0);
}
