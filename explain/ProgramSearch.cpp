#include "explain/ProgramSearch.h"

#include <climits>

namespace {

// The folder as the launcher takes it from the query: none when the call failed or did not fit.
std::string QueriedFolder(const CallLog& log, bool systemFolder, int from) {
    for (const FolderQuery& query : log.folderQueries) {
        if (query.order >= from && query.systemFolder == systemFolder) {
            return query.folder;
        }
    }
    return std::string();
}

bool IsBelow(const std::string& folder, const std::string& beginning, const std::string& path) {
    return !folder.empty() && !beginning.empty() && path == folder + "\\" + beginning;
}

} // namespace

int FirstRegistryRead(const CallLog& log) {
    return log.registryReads.empty() ? INT_MAX : log.registryReads.front().order;
}

int FirstFolderQuery(const CallLog& log) {
    return log.folderQueries.empty() ? INT_MAX : log.folderQueries.front().order;
}

int FirstProgramStart(const CallLog& log) {
    return log.starts.empty() ? INT_MAX : log.starts.front().order;
}

ProgramSearch ReadProgramSearch(const CallLog& log) {
    ProgramSearch search;
    const int begin = FirstFolderQuery(log);
    const int end = FirstProgramStart(log);
    search.searched = begin != INT_MAX;
    search.systemFolder = QueriedFolder(log, true, begin);
    search.windowsFolder = QueriedFolder(log, false, begin);

    std::string beginning;
    ProgramPlace last = ProgramPlace::AsWritten;
    for (const FileTest& test : log.fileTests) {
        if (test.order < begin || test.order > end) {
            continue;
        }
        ProgramPlace place = ProgramPlace::AsWritten;
        if (last == ProgramPlace::AsWritten && IsBelow(search.systemFolder, beginning, test.path)) {
            place = ProgramPlace::SystemFolder;
        } else if (last != ProgramPlace::WindowsFolder &&
                   IsBelow(search.windowsFolder, beginning, test.path)) {
            place = ProgramPlace::WindowsFolder;
        } else {
            beginning = test.path;
        }
        last = place;
        search.tests.push_back({test.path, place, test.opened});
    }
    return search;
}
