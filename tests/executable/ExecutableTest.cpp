// launcher.exe as a file: its headers, import tables and manifest, read from the bytes themselves,
// so that the same checks apply to the 32-bit build, which cannot run here.
//
// By default the launcher.exe next to this program is read and must be built for this program's
// machine. LAUNCHER_IMAGE names another file (a Windows path), and LAUNCHER_IMAGE_MACHINE ("i386"
// or "x64") the machine it must be built for.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kLargestLauncher = 18 * 1024;

std::string ThisProgramPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// The launcher.exe to read: the one named, else the one built next to this program.
std::string LauncherPath() {
    const char* named = std::getenv("LAUNCHER_IMAGE");
    if (named != nullptr && *named != '\0') {
        return named;
    }
    const std::string self = ThisProgramPath();
    return self.substr(0, self.find_last_of('\\') + 1) + "launcher.exe";
}

WORD ExpectedMachine() {
    const char* named = std::getenv("LAUNCHER_IMAGE_MACHINE");
    if (named != nullptr && std::strcmp(named, "i386") == 0) {
        return IMAGE_FILE_MACHINE_I386;
    }
    if (named != nullptr && std::strcmp(named, "x64") == 0) {
        return IMAGE_FILE_MACHINE_AMD64;
    }
#ifdef _WIN64
    return IMAGE_FILE_MACHINE_AMD64;
#else
    return IMAGE_FILE_MACHINE_I386;
#endif
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// What the headers of a PE file say, with the file's bytes to follow its tables in.
struct Image {
    std::vector<unsigned char> bytes;
    WORD machine = 0;
    WORD characteristics = 0;
    WORD magic = 0;
    WORD subsystem = 0;
    DWORD entryPoint = 0;
    std::vector<IMAGE_DATA_DIRECTORY> directories;
    std::vector<IMAGE_SECTION_HEADER> sections;
};

// The object of type T at that file offset; null when it does not lie wholly inside the file.
template <typename T> const T* At(const Image& image, std::size_t offset) {
    if (offset > image.bytes.size() || image.bytes.size() - offset < sizeof(T)) {
        return nullptr;
    }
    return reinterpret_cast<const T*>(image.bytes.data() + offset);
}

// The file offset of a relative virtual address; none when no section's file data holds it.
std::optional<std::size_t> OffsetOf(const Image& image, DWORD rva) {
    for (const IMAGE_SECTION_HEADER& section : image.sections) {
        if (rva >= section.VirtualAddress && rva - section.VirtualAddress < section.SizeOfRawData) {
            return std::size_t{section.PointerToRawData} + (rva - section.VirtualAddress);
        }
    }
    return std::nullopt;
}

template <typename T> const T* AtAddress(const Image& image, DWORD rva) {
    const std::optional<std::size_t> offset = OffsetOf(image, rva);
    return offset ? At<T>(image, *offset) : nullptr;
}

std::optional<std::string> TextAt(const Image& image, DWORD rva) {
    const std::optional<std::size_t> offset = OffsetOf(image, rva);
    if (!offset || *offset >= image.bytes.size()) {
        return std::nullopt;
    }
    const auto* first = reinterpret_cast<const char*>(image.bytes.data() + *offset);
    const std::size_t room = image.bytes.size() - *offset;
    const auto* end = static_cast<const char*>(std::memchr(first, '\0', room));
    if (end == nullptr) {
        return std::nullopt;
    }
    return std::string(first, end);
}

template <typename OptionalHeader> void ReadOptionalHeader(Image& image, std::size_t offset) {
    const auto* header = At<OptionalHeader>(image, offset);
    if (header == nullptr) {
        return;
    }
    image.subsystem = header->Subsystem;
    image.entryPoint = header->AddressOfEntryPoint;
    const DWORD count = header->NumberOfRvaAndSizes < IMAGE_NUMBEROF_DIRECTORY_ENTRIES
                            ? header->NumberOfRvaAndSizes
                            : IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    image.directories.assign(header->DataDirectory, header->DataDirectory + count);
}

// The file's headers; none when it cannot be read or is no PE file.
std::optional<Image> ReadImage(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    Image image;
    image.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());

    const auto* dos = At<IMAGE_DOS_HEADER>(image, 0);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0) {
        return std::nullopt;
    }
    const auto peOffset = static_cast<std::size_t>(dos->e_lfanew);
    const auto* signature = At<DWORD>(image, peOffset);
    const auto* fileHeader = At<IMAGE_FILE_HEADER>(image, peOffset + sizeof(DWORD));
    if (signature == nullptr || *signature != IMAGE_NT_SIGNATURE || fileHeader == nullptr) {
        return std::nullopt;
    }
    image.machine = fileHeader->Machine;
    image.characteristics = fileHeader->Characteristics;

    const std::size_t optionalOffset = peOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    const auto* magic = At<WORD>(image, optionalOffset);
    if (magic == nullptr) {
        return std::nullopt;
    }
    image.magic = *magic;
    if (image.magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        ReadOptionalHeader<IMAGE_OPTIONAL_HEADER64>(image, optionalOffset);
    } else if (image.magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        ReadOptionalHeader<IMAGE_OPTIONAL_HEADER32>(image, optionalOffset);
    }

    const std::size_t sectionsOffset = optionalOffset + fileHeader->SizeOfOptionalHeader;
    for (WORD index = 0; index < fileHeader->NumberOfSections; ++index) {
        const auto* section =
            At<IMAGE_SECTION_HEADER>(image, sectionsOffset + index * sizeof(IMAGE_SECTION_HEADER));
        if (section == nullptr) {
            return std::nullopt;
        }
        image.sections.push_back(*section);
    }
    return image;
}

IMAGE_DATA_DIRECTORY Directory(const Image& image, int index) {
    return static_cast<std::size_t>(index) < image.directories.size()
               ? image.directories[static_cast<std::size_t>(index)]
               : IMAGE_DATA_DIRECTORY{};
}

// The DLLs named by the import table (bound when the program starts), upper-cased.
std::vector<std::string> ImportedDlls(const Image& image) {
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY table = Directory(image, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (table.VirtualAddress == 0) {
        return names;
    }
    for (DWORD at = table.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = AtAddress<IMAGE_IMPORT_DESCRIPTOR>(image, at);
        if (entry == nullptr || entry->Name == 0) {
            break;
        }
        names.push_back(Upper(TextAt(image, entry->Name).value_or("<unreadable name>")));
    }
    return names;
}

// The DLLs named by the delay-load table (bound on first use), upper-cased.
std::vector<std::string> DelayLoadedDlls(const Image& image) {
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY table = Directory(image, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
    if (table.VirtualAddress == 0) {
        return names;
    }
    for (DWORD at = table.VirtualAddress;; at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
        const auto* entry = AtAddress<IMAGE_DELAYLOAD_DESCRIPTOR>(image, at);
        if (entry == nullptr || entry->DllNameRVA == 0) {
            break;
        }
        names.push_back(Upper(TextAt(image, entry->DllNameRVA).value_or("<unreadable name>")));
    }
    return names;
}

// The resource directory entry with that id below the directory at offset (relative to the
// resource section); its OffsetToData, or none.
std::optional<DWORD> ResourceEntry(const Image& image, DWORD directory, WORD id) {
    const IMAGE_DATA_DIRECTORY resources = Directory(image, IMAGE_DIRECTORY_ENTRY_RESOURCE);
    const auto* header =
        AtAddress<IMAGE_RESOURCE_DIRECTORY>(image, resources.VirtualAddress + directory);
    if (header == nullptr) {
        return std::nullopt;
    }
    const int count = header->NumberOfNamedEntries + header->NumberOfIdEntries;
    for (int index = 0; index < count; ++index) {
        const DWORD at = resources.VirtualAddress + directory + sizeof(IMAGE_RESOURCE_DIRECTORY) +
                         static_cast<DWORD>(index) * 2 * sizeof(DWORD);
        const auto* name = AtAddress<DWORD>(image, at);
        const auto* data = AtAddress<DWORD>(image, at + sizeof(DWORD));
        if (name != nullptr && data != nullptr && *name == id) {
            return *data;
        }
    }
    return std::nullopt;
}

// The text of the manifest resource (type 24, id 1, the first language); none when there is none.
std::optional<std::string> Manifest(const Image& image) {
    constexpr DWORD kSubdirectory = 0x80000000u;
    const std::optional<DWORD> type = ResourceEntry(image, 0, 24);
    if (!type || !(*type & kSubdirectory)) {
        return std::nullopt;
    }
    const std::optional<DWORD> name = ResourceEntry(image, *type & ~kSubdirectory, 1);
    if (!name || !(*name & kSubdirectory)) {
        return std::nullopt;
    }
    const IMAGE_DATA_DIRECTORY resources = Directory(image, IMAGE_DIRECTORY_ENTRY_RESOURCE);
    const DWORD languages = resources.VirtualAddress + (*name & ~kSubdirectory);
    const auto* languageHeader = AtAddress<IMAGE_RESOURCE_DIRECTORY>(image, languages);
    if (languageHeader == nullptr ||
        languageHeader->NumberOfNamedEntries + languageHeader->NumberOfIdEntries == 0) {
        return std::nullopt;
    }
    const auto* dataOffset =
        AtAddress<DWORD>(image, languages + sizeof(IMAGE_RESOURCE_DIRECTORY) + sizeof(DWORD));
    if (dataOffset == nullptr || (*dataOffset & kSubdirectory)) {
        return std::nullopt;
    }
    const auto* data =
        AtAddress<IMAGE_RESOURCE_DATA_ENTRY>(image, resources.VirtualAddress + *dataOffset);
    if (data == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::size_t> offset = OffsetOf(image, data->OffsetToData);
    if (!offset || *offset > image.bytes.size() || image.bytes.size() - *offset < data->Size) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(image.bytes.data() + *offset), data->Size);
}

class LauncherExecutable : public ::testing::Test {
  protected:
    void SetUp() override {
        std::optional<Image> read = ReadImage(LauncherPath());
        ASSERT_TRUE(read.has_value()) << "no PE file at " << LauncherPath();
        image = std::move(*read);
    }
    Image image;
};

TEST_F(LauncherExecutable, IsAWindowsProgramForItsMachine) {
    const WORD machine = ExpectedMachine();
    EXPECT_EQ(image.machine, machine);
    EXPECT_EQ(image.magic, machine == IMAGE_FILE_MACHINE_I386 ? IMAGE_NT_OPTIONAL_HDR32_MAGIC
                                                              : IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(image.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI); // no console window
    EXPECT_TRUE(image.characteristics & IMAGE_FILE_EXECUTABLE_IMAGE);
    EXPECT_FALSE(image.characteristics & IMAGE_FILE_DLL);

    bool entryInCode = false;
    for (const IMAGE_SECTION_HEADER& section : image.sections) {
        entryInCode =
            entryInCode || ((section.Characteristics & IMAGE_SCN_MEM_EXECUTE) &&
                            image.entryPoint >= section.VirtualAddress &&
                            image.entryPoint - section.VirtualAddress < section.Misc.VirtualSize);
    }
    EXPECT_TRUE(entryInCode) << "entry point " << image.entryPoint;
}

TEST_F(LauncherExecutable, NamesNoDllButKernel32Advapi32AndUser32) {
    const std::set<std::string> allowed = {"KERNEL32.DLL", "ADVAPI32.DLL", "USER32.DLL"};
    const std::vector<std::string> imported = ImportedDlls(image);
    const std::vector<std::string> delayLoaded = DelayLoadedDlls(image);
    for (const std::string& name : imported) {
        EXPECT_TRUE(allowed.count(name)) << "imports " << name;
    }
    for (const std::string& name : delayLoaded) {
        EXPECT_TRUE(allowed.count(name)) << "delay-loads " << name;
    }
    EXPECT_EQ(std::set<std::string>(imported.begin(), imported.end()).count("KERNEL32.DLL"), 1u);
}

TEST_F(LauncherExecutable, LeavesUser32UnboundAtStartUp) {
    // user32 is wanted only for the wait on the child's window; bound at start-up it would cost
    // every run, including those that start no child.
    for (const std::string& name : ImportedDlls(image)) {
        EXPECT_NE(name, "USER32.DLL") << "user32 is bound when the program starts";
    }
}

TEST_F(LauncherExecutable, CarriesAnAsInvokerManifestForItsMachine) {
    const std::optional<std::string> manifest = Manifest(image);
    ASSERT_TRUE(manifest.has_value()) << "no manifest resource (type 24, id 1)";
    EXPECT_NE(manifest->find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << *manifest;
    const char* architecture = ExpectedMachine() == IMAGE_FILE_MACHINE_I386
                                   ? "processorArchitecture=\"x86\""
                                   : "processorArchitecture=\"amd64\"";
    EXPECT_NE(manifest->find(architecture), std::string::npos) << *manifest;
}

TEST_F(LauncherExecutable, StaysWithin18KiB) {
    EXPECT_LE(image.bytes.size(), kLargestLauncher);
}

// The reader itself: a program built with the C runtime, as this one is, names msvcrt, so a reader
// that found no import at all could not pass.
TEST(ImageReader, FindsTheImportsOfAProgramThatHasThem) {
    const std::optional<Image> self = ReadImage(ThisProgramPath());
    ASSERT_TRUE(self.has_value());
    const std::vector<std::string> imported = ImportedDlls(*self);
    const std::set<std::string> names(imported.begin(), imported.end());
    EXPECT_EQ(names.count("KERNEL32.DLL"), 1u);
    EXPECT_EQ(names.count("MSVCRT.DLL"), 1u);
}

} // namespace
