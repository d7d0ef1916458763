#include "launcher/WinMain.h"

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

    // The association of the extension and the verb, and the program file it names, are looked up
    // here; until then no program file is known and the document itself is started.
    const String programFile;

    if (programFile.IsEmpty()) {
        LaunchProgram(documentPath, String());
    } else {
        LaunchProgram(programFile, "\"" + documentPath + "\"");
    }
    return 0;
}
