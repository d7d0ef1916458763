#include "command/CommandText.h"

#include "command/EnvironmentReferences.h"
#include "text/PathHelpers.h"

namespace {

// Shell programs that commands name without their extension; each name is eight bytes long.
struct ProgramName {
    const char* name;
    const char* fileName;
};
constexpr ProgramName kProgramNames[] = {
    {"rundll32", "rundll32.exe"},
    {"explorer", "explorer.exe"},
};
constexpr int kProgramNameLength = 8;

} // namespace

void CleanCommandText(String& text) {
    text.Replace("\"", "");
    ExpandEnvironmentReferences(text);
    for (const ProgramName& program : kProgramNames) {
        if (text.Left(kProgramNameLength).CompareNoCase(program.name) == 0) {
            text = ReplaceFirstNoCase(text, program.name, program.fileName);
        }
    }
}
