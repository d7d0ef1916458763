#include "launcher/DocumentPath.h"

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kNotFound = "(not found)";

struct PathCase {
    std::string value;
    std::string resolved; // kNotFound when the document cannot be found
};

// One machine: a launcher somewhere, documents around it, and a current folder of its own that
// also holds some of them.
void SetUpMachine(const std::string& launcher) {
    sim::Reset();
    text::SetUpCharacterRules();
    sim::SetModulePath(launcher);
    sim::SetCurrentDirectory("C:\\Work\\");
    for (const char* file :
         {"E:\\Kit\\Bin\\a.txt", "E:\\Kit\\Bin\\docs\\a.txt", "E:\\Kit\\docs\\a.txt",
          "E:\\docs\\a.txt", "E:\\a.txt", "D:\\x\\a.txt", "C:\\Work\\a.txt", "C:\\Work\\cwd\\a.txt",
          "E:\\Kit\\Bin\\cwd\\a.txt", "E:\\Kit\\Bin\\only\\a.txt", "\\\\srv\\share\\Kit\\a.txt",
          "\\\\srv\\share\\docs\\a.txt", "E:\\Kit\\Bin\\My Docs\\a b.txt"}) {
        sim::AddFile(file);
    }
    for (const char* folder : {"E:\\Kit\\Bin", "E:\\Kit", "E:\\Kit\\Bin\\docs", "C:\\Work"}) {
        sim::AddFolder(folder);
    }
}

std::string Resolve(const std::string& value) {
    const ResolvedDocument document = ResolveDocumentPath(value.c_str());
    return document.found ? std::string(document.path.Text()) : kNotFound;
}

void ExpectResolutions(const std::string& launcher, const std::vector<PathCase>& cases) {
    for (const PathCase& c : cases) {
        SetUpMachine(launcher);
        const int heapBlocks = sim::LiveHeapBlocks();
        EXPECT_EQ(Resolve(c.value), c.resolved) << "value: " << c.value;
        EXPECT_EQ(sim::OpenHandles(), 0) << "value: " << c.value;
        EXPECT_EQ(sim::LiveHeapBlocks(), heapBlocks) << "value: " << c.value;
    }
}

TEST(ResolveDocumentPath, LauncherThreeFoldersDeep) {
    ExpectResolutions(
        "E:\\Kit\\Bin\\launcher.exe",
        {
            // A bare name is taken from the launcher's folder, never from the current one.
            {"a.txt", "E:\\Kit\\Bin\\a.txt"},
            {"b.txt", kNotFound},
            // A relative path with a folder is tried from the current folder first.
            {"cwd\\a.txt", "cwd\\a.txt"},
            {"only\\a.txt", "E:\\Kit\\Bin\\only\\a.txt"},
            {"none\\a.txt", kNotFound},
            {".\\docs\\a.txt", "E:\\Kit\\Bin\\docs\\a.txt"},
            {"..\\docs\\a.txt", "E:\\Kit\\docs\\a.txt"},
            {"..\\..\\docs\\a.txt", "E:\\docs\\a.txt"},
            // Surplus "..\" end at the root of the launcher's drive.
            {"..\\..\\..\\docs\\a.txt", "E:\\docs\\a.txt"},
            {"..\\..\\..\\..\\..\\docs\\a.txt", "E:\\docs\\a.txt"},
            {"\\docs\\a.txt", "E:\\docs\\a.txt"},
            // Dots inside the value are left for the file system.
            {".\\..\\docs\\a.txt", "E:\\Kit\\Bin\\..\\docs\\a.txt"},
            {"..\\.\\docs\\a.txt", "E:\\Kit\\.\\docs\\a.txt"},
            {"D:\\x\\a.txt", "D:\\x\\a.txt"},
            {"D:\\x\\missing.txt", kNotFound},
            {"My Docs\\a b.txt", "E:\\Kit\\Bin\\My Docs\\a b.txt"},
            // Folders are not documents.
            {"", kNotFound},
            {".\\", kNotFound},
            {"..\\", kNotFound},
            {".", kNotFound},
            {"..", kNotFound},
            {"docs", kNotFound},
            // Not a parent chain: three dots, and a "..\" after a folder name.
            {"...\\a.txt", kNotFound},
            {"docs\\..\\..\\Bin\\a.txt", "E:\\Kit\\Bin\\docs\\..\\..\\Bin\\a.txt"},
            // Quotes are part of the value, so no such file exists.
            {"\"E:\\Kit\\Bin\\a.txt\"", kNotFound},
        });
}

TEST(ResolveDocumentPath, LauncherAtDriveRoot) {
    ExpectResolutions("E:\\launcher.exe", {
                                              {"a.txt", "E:\\a.txt"},
                                              {".\\a.txt", "E:\\a.txt"},
                                              {"..\\a.txt", "E:\\a.txt"},
                                              {"..\\..\\docs\\a.txt", "E:\\docs\\a.txt"},
                                              {"\\docs\\a.txt", "E:\\docs\\a.txt"},
                                              {"..\\", kNotFound},
                                          });
}

TEST(ResolveDocumentPath, LauncherOnNetworkShare) {
    ExpectResolutions("\\\\srv\\share\\Kit\\launcher.exe",
                      {
                          {"a.txt", "\\\\srv\\share\\Kit\\a.txt"},
                          {".\\a.txt", "\\\\srv\\share\\Kit\\a.txt"},
                          {"..\\docs\\a.txt", "\\\\srv\\share\\docs\\a.txt"},
                          // A leading "\" and surplus "..\" end at the share, not the server.
                          {"..\\..\\..\\docs\\a.txt", "\\\\srv\\share\\docs\\a.txt"},
                          {"\\docs\\a.txt", "\\\\srv\\share\\docs\\a.txt"},
                          {"E:\\docs\\a.txt", "E:\\docs\\a.txt"},
                      });
}

TEST(ResolveDocumentPath, NetworkPathValueIsNotGivenTheDriveRoot) {
    ExpectResolutions("E:\\Kit\\Bin\\launcher.exe",
                      {
                          {"\\\\srv\\share\\docs\\a.txt", "\\\\srv\\share\\docs\\a.txt"},
                          {"\\\\srv\\share\\docs\\b.txt", kNotFound},
                      });
}

// A climb past the root that leaves a doubled backslash ("\\docs") is no network path: the root of
// the launcher's drive or share still comes first, and the file system reads the doubled
// separator as one. Taken for a network path, it would open E:\Kit\Bin\docs\a.txt instead.
TEST(ResolveDocumentPath, ClimbPastRootBeforeDoubledBackslashStaysOnLauncherRoot) {
    ExpectResolutions("E:\\Kit\\Bin\\launcher.exe",
                      {
                          {"..\\..\\..\\\\docs\\a.txt", "E:\\\\docs\\a.txt"},
                          {"..\\..\\..\\..\\\\docs\\a.txt", "E:\\\\docs\\a.txt"},
                      });
    ExpectResolutions("\\\\srv\\share\\Kit\\launcher.exe",
                      {
                          {"..\\..\\\\docs\\a.txt", "\\\\srv\\share\\\\docs\\a.txt"},
                      });
}

// In code page 932 the name 0x95 0x5C ends in a byte that looks like a backslash.
TEST(ResolveDocumentPath, LauncherFolderEndingInTrailByteBackslash) {
    SetUpMachine("E:\\Kit\\\x95\x5C\\launcher.exe");
    sim::SetCodePage(932);
    text::SetUpCharacterRules();
    sim::AddFile("E:\\Kit\\\x95\x5C\\b.txt");
    sim::AddFile("E:\\Kit\\b.txt");
    EXPECT_EQ(Resolve("b.txt"), "E:\\Kit\\\x95\x5C\\b.txt");
    EXPECT_EQ(Resolve(".\\b.txt"), "E:\\Kit\\\x95\x5C\\b.txt");
    EXPECT_EQ(Resolve("..\\b.txt"), "E:\\Kit\\b.txt");
}

// Without the launcher's folder (the module path cannot be had, or does not fit MAX_PATH) a
// relative value names no document; read against the current drive and folder it could open
// another file. A value that names a file by itself still does.
TEST(ResolveDocumentPath, WithoutLauncherFolderOnlyPathsThatNameAFileByThemselves) {
    for (const std::optional<std::string>& modulePath :
         {std::optional<std::string>(),
          std::optional<std::string>("E:\\Kit\\Bin\\" + std::string(MAX_PATH, 'x'))}) {
        SetUpMachine("E:\\Kit\\Bin\\launcher.exe");
        sim::SetModulePath(modulePath);
        sim::SetCurrentDirectory("C:\\Work\\");
        sim::AddFile("C:\\Bin\\a.txt");
        sim::AddFile("C:\\a.txt");
        sim::AddFile("C:\\docs\\a.txt");
        for (const char* value : {"a.txt", ".\\a.txt", "..\\a.txt", "..\\..\\docs\\a.txt",
                                  "\\a.txt", "\\docs\\a.txt", "missing\\a.txt", ""}) {
            EXPECT_EQ(Resolve(value), kNotFound) << value;
        }
        for (const char* value :
             {"E:\\Kit\\Bin\\a.txt", "\\\\srv\\share\\docs\\a.txt", "cwd\\a.txt"}) {
            EXPECT_EQ(Resolve(value), value);
        }
        EXPECT_EQ(sim::OpenHandles(), 0);
    }
}

// However long the chain of "..\\", it is taken off at once: the buffers made do not grow with it.
TEST(ResolveDocumentPath, LongParentChainCostsNoMoreBuffersThanShortOne) {
    int buffers[2] = {0, 0};
    const int chains[2] = {4, 8000};
    for (int i = 0; i < 2; ++i) {
        SetUpMachine("E:\\Kit\\Bin\\launcher.exe");
        std::string value;
        for (int climb = 0; climb < chains[i]; ++climb) {
            value += "..\\";
        }
        value += "docs\\a.txt";
        const int before = sim::Calls(sim::Op::HeapAlloc);
        EXPECT_EQ(Resolve(value), "E:\\docs\\a.txt");
        buffers[i] = sim::Calls(sim::Op::HeapAlloc) - before;
    }
    EXPECT_EQ(buffers[0], buffers[1]);
}

TEST(ResolveDocumentPath, LockedDocumentIsNotFound) {
    SetUpMachine("E:\\Kit\\Bin\\launcher.exe");
    sim::AddLockedFile("E:\\Kit\\Bin\\held.txt");
    EXPECT_EQ(Resolve("held.txt"), kNotFound);
    EXPECT_EQ(sim::OpenHandles(), 0);
}

} // namespace
