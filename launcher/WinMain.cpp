#include "launcher/WinMain.h"

#include "association/CommandTemplate.h"
#include "command/ProgramFile.h"
#include "launch/LaunchProgram.h"
#include "launcher/DocumentPath.h"
#include "launcher/ReadOption.h"
#include "text/PathHelpers.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int) {
    const String tail(commandTail);
    String documentPath = ReadOption(tail, "/path");
    String verb = ReadOption(tail, "/verb");

    const ResolvedDocument document = ResolveDocumentPath(documentPath);
    if (!document.found) {
        return -1;
    }
    documentPath = document.path;
    if (verb.IsEmpty()) {
        verb = "open";
    }
    // Taken over the whole path: a dot in a folder name counts when the file name has none.
    const String extension = AfterLast(documentPath, '.');

    // The application a user picked for the type is left aside: the registered class decides.
    const String commandTemplate = LookupCommandTemplate(extension, verb, false, ".");
    // Searched also for an empty command, which simply finds nothing.
    const String programFile = FindProgramFile(commandTemplate);

    // Without a program file the document is started as a program itself.
    if (programFile.IsEmpty()) {
        LaunchProgram(documentPath, String());
    } else {
        LaunchProgram(programFile, "\"" + documentPath + "\"");
    }
    return 0;
}
