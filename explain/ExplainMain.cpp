// launcher-explain.exe: a console program shipped beside launcher.exe that tells, step by step,
// what the launcher would do with the same command-line tail in the same folder.
#include "explain/Explain.h"
#include "launcher/CommandTail.h"
#include "platform/Platform.h"
#include "text/CharacterRules.h"

#include <cstdio>

int main() {
    text::SetUpCharacterRules();
    // The tail as the launcher takes it, not the C runtime's arguments: its quoting differs.
    const Explanation explanation = Explain(CommandLineTail(GetCommandLineA()));
    std::fputs(explanation.output.c_str(), stdout);
    std::fputs(explanation.error.c_str(), stderr);
    return explanation.exitCode;
}
