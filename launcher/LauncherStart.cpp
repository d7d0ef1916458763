#include "launcher/CommandTail.h"
#include "launcher/WinMain.h"
#include "text/CharacterRules.h"

// The executable is linked without the C runtime's start-up code, which would cut the tail short
// at the first byte above 0x7F and mishandle quotes; this is the real entry point. No global
// constructors run before it, so nothing in the launcher depends on them.
extern "C" void WINAPI LauncherStart() {
    text::SetUpCharacterRules();
    char* tail = const_cast<char*>(CommandLineTail(GetCommandLineA()));
    ExitProcess(
        static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, tail, SW_SHOWDEFAULT)));
}
