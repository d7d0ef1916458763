// Times launcher.exe against the other ways of starting the program for the same document, and the
// launcher's resolution alone. It prints figures and asserts nothing: a loaded machine moves them.
//
//   launcher_bench [rounds [resolution-calls [idle-wait-ms]]]
//
// A launch figure is wall-clock time from CreateProcess to the end of the started process. Each
// round runs every case once, in an order rotated from round to round, so that a change in the
// machine's load falls on all cases alike; medians are taken over the rounds, and the ratios are
// given both between the medians and as the median of each round's own ratio.
//
// Under Wine, BENCH_WINESERVER_PID names the wine server's Linux process and BENCH_CLOCK_TICKS the
// Linux clock ticks per second (scripts/bench.sh sets both); the server's CPU time is then read
// from /proc, through drive Z:, around the idle wait.
#include "association/CommandTemplate.h"
#include "command/ProgramFile.h"
#include "launcher/DocumentPath.h"
#include "launcher/ReadOption.h"
#include "tests/e2e/ClassesKeys.h"
#include "text/CharacterRules.h"
#include "text/PathHelpers.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Milliseconds(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency);
}

// Runs that went wrong are kept as NaN, so that the rounds stay paired; they count nowhere.
double Median(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Minimum(const std::vector<double>& values) {
    double minimum = NAN;
    for (const double value : values) {
        minimum = std::isnan(minimum) || value < minimum ? value : minimum;
    }
    return minimum;
}

std::string Environment(const char* name) {
    char value[256];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return (length > 0 && length < sizeof value) ? std::string(value, length) : std::string();
}

std::string OwnFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string module(path, length);
    return module.substr(0, module.find_last_of('\\') + 1);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

double FileTimeMilliseconds(const FILETIME& time) {
    const ULONGLONG hundredNanoseconds =
        (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<double>(hundredNanoseconds) / 10000.0;
}

struct Run {
    bool ended = false;
    DWORD exitCode = 0;
    DWORD startError = 0; // GetLastError of a CreateProcess that failed
    double milliseconds = 0.0;
};

// Starts the command line and waits for that process (not its children) to end. Only the two calls
// are timed.
Run TimedRun(const std::string& commandLine, const std::string& folder, DWORD timeout = 60000) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    Run run;
    const LONGLONG begin = Now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        run.startError = GetLastError();
        return run;
    }
    run.ended = WaitForSingleObject(process.hProcess, timeout) == WAIT_OBJECT_0;
    run.milliseconds = Milliseconds(Now() - begin);
    if (run.ended) {
        GetExitCodeProcess(process.hProcess, &run.exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

std::vector<DWORD> RunningViewers() {
    std::vector<DWORD> viewers;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return viewers;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "viewer.exe") == 0) {
            viewers.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return viewers;
}

void EndViewers(const std::vector<DWORD>& viewers) {
    for (const DWORD id : viewers) {
        const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

// The launcher leaves its child running when it sees the window, and the next case must not share
// the machine with it: waits, untimed, until every viewer has ended, and ends one that will not.
void SettleViewers() {
    const ULONGLONG end = GetTickCount64() + 10000;
    for (std::vector<DWORD> viewers = RunningViewers(); !viewers.empty();
         viewers = RunningViewers()) {
        if (GetTickCount64() >= end) {
            EndViewers(viewers);
            return;
        }
        Sleep(2);
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

struct Case {
    std::string name;
    std::string commandLine;
    DWORD expectedExit;
    std::vector<double> times; // one per round, in round order
    int failures = 0;
};

// Wine keeps its own "start" as a program; on Windows it is a command of cmd.exe, whose own
// start-up then counts too.
std::string StartCommandLine(const std::string& document, std::string& shown) {
    char folder[MAX_PATH];
    const UINT systemLength = GetSystemDirectoryA(folder, MAX_PATH);
    const std::string system(folder, systemLength);
    const UINT windowsLength = GetWindowsDirectoryA(folder, MAX_PATH);
    const std::string windows(folder, windowsLength);
    for (const std::string& candidate :
         {system + "\\start.exe", windows + "\\command\\start.exe"}) {
        if (Exists(candidate)) {
            shown = candidate + " /wait";
            // A first quoted argument would be taken for a window title.
            return "\"" + candidate + "\" /wait " + document;
        }
    }
    shown = "cmd.exe /c start /wait";
    return "\"" + system + "\\cmd.exe\" /d /c start \"\" /wait \"" + document + "\"";
}

// Every launch case must start the viewer with the document: checked once, untimed, through the
// record the viewer writes.
bool CheckStartsViewer(const Case& launch, const std::string& folder, const std::string& scratch,
                       const std::string& documentName) {
    const std::string record = scratch + "record.txt";
    DeleteFileA(record.c_str());
    SetEnvironmentVariableA("VIEWER_RECORD", record.c_str());
    const Run run = TimedRun(launch.commandLine, folder);
    SettleViewers();
    SetEnvironmentVariableA("VIEWER_RECORD", nullptr);
    const std::string text = Lower(ReadWholeFile(record));
    DeleteFileA(record.c_str());
    if (!run.ended || run.exitCode != launch.expectedExit ||
        text.find(Lower(documentName)) == std::string::npos) {
        std::printf("FAILED: %s did not start viewer.exe with the document (exit %lu)\n  %s\n",
                    launch.name.c_str(), run.exitCode, launch.commandLine.c_str());
        return false;
    }
    return true;
}

// The cases in the order main lists them.
enum CaseIndex { kLauncher, kStart, kDirect, kIdle, kIdleUser32, kNotFound };

void PrintLaunchTable(const std::vector<Case>& cases, int rounds) {
    std::printf("\nLaunch, %d rounds: wall time from CreateProcess to the process's end\n", rounds);
    std::printf("  %-42s %9s %9s %10s %8s\n", "case", "median ms", "min ms", "/ start", "paired");
    for (const Case& launch : cases) {
        std::vector<double> paired;
        for (std::size_t round = 0; round < launch.times.size(); ++round) {
            paired.push_back(launch.times[round] / cases[kStart].times[round]);
        }
        std::printf("  %-42s %9.1f %9.1f %10.2f %8.2f", launch.name.c_str(), Median(launch.times),
                    Minimum(launch.times), Median(launch.times) / Median(cases[kStart].times),
                    Median(paired));
        if (launch.failures > 0) {
            std::printf("  (%d runs went wrong, left out)", launch.failures);
        }
        std::printf("\n");
    }
}

// Per round, the two cases combined; the median over the rounds.
template <typename Combine>
double PairedMedian(const Case& left, const Case& right, Combine combine) {
    std::vector<double> values;
    for (std::size_t round = 0; round < left.times.size(); ++round) {
        values.push_back(combine(left.times[round], right.times[round]));
    }
    return Median(values);
}

void PrintComparisons(const std::vector<Case>& cases) {
    const auto ratio = [](double left, double right) { return left / right; };
    const auto difference = [](double left, double right) { return left - right; };
    const Case& launcher = cases[kLauncher];
    std::printf("\nRatios: of the medians, and the median of each round's own ratio\n");
    std::printf("  %-42s %9s %9s\n", "", "medians", "paired");
    std::printf("  %-42s %9.2f %9.2f   target 0.85 or less\n", "launcher / start /wait",
                Median(launcher.times) / Median(cases[kStart].times),
                PairedMedian(launcher, cases[kStart], ratio));
    std::vector<double> paired;
    for (std::size_t round = 0; round < launcher.times.size(); ++round) {
        paired.push_back(launcher.times[round] /
                         (cases[kIdle].times[round] + cases[kDirect].times[round]));
    }
    std::printf("  %-42s %9.2f %9.2f   target 1.15 or less\n", "launcher / (do-nothing + direct)",
                Median(launcher.times) /
                    (Median(cases[kIdle].times) + Median(cases[kDirect].times)),
                Median(paired));
    std::printf("\nWhere the launcher's time goes: the median of each round's difference, ms\n");
    std::printf("  %-60s %7.1f\n", "launcher - direct start (what it adds to the program's start)",
                PairedMedian(launcher, cases[kDirect], difference));
    std::printf("  %-60s %7.1f\n", "launcher, document not found - do-nothing (its own start-up)",
                PairedMedian(cases[kNotFound], cases[kIdle], difference));
    std::printf("  %-60s %7.1f\n", "do-nothing binding user32 - do-nothing (binding user32)",
                PairedMedian(cases[kIdleUser32], cases[kIdle], difference));
}

// CPU time of a Linux process (utime + stime from /proc/<pid>/stat) in milliseconds; -1 when it
// cannot be read, as on Windows.
double LinuxProcessCpu(const std::string& pid, double ticksPerSecond) {
    if (pid.empty() || ticksPerSecond <= 0) {
        return -1.0;
    }
    const std::string stat = ReadWholeFile("Z:\\proc\\" + pid + "\\stat");
    const std::string::size_type nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) {
        return -1.0;
    }
    // After the name come the state (field 3) and the rest; utime and stime are fields 14 and 15.
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    for (int skip = 3; skip < 14; ++skip) {
        fields >> field;
    }
    double userTicks = 0;
    double systemTicks = 0;
    if (!(fields >> userTicks >> systemTicks)) {
        return -1.0;
    }
    return 1000.0 * (userTicks + systemTicks) / ticksPerSecond;
}

// CPU time (user and kernel, in milliseconds) of every running process, by id, from the system's
// process list. Under Wine the list reads Linux's /proc, and it is the one way there to another
// process's CPU time: Wine answers GetProcessTimes for any process with the caller's own times.
std::map<DWORD, double> ProcessCpuTimes() {
    std::vector<char> buffer(1 << 18);
    ULONG length = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), &length)) ==
               static_cast<NTSTATUS>(0xC0000004) && // STATUS_INFO_LENGTH_MISMATCH
           buffer.size() < (1u << 26)) {
        buffer.resize(buffer.size() * 2);
    }
    std::map<DWORD, double> times;
    if (status != 0) {
        return times;
    }
    for (std::size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[offset]);
        const auto id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId));
        times[id] =
            static_cast<double>(entry->UserTime.QuadPart + entry->KernelTime.QuadPart) / 10000.0;
        if (entry->NextEntryOffset == 0) {
            return times;
        }
        offset += entry->NextEntryOffset;
    }
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Everyone's CPU time at one moment.
struct CpuSnapshot {
    std::map<DWORD, double> processes;
    double server = -1.0; // the wine server; -1 when it cannot be read
};

CpuSnapshot TakeCpuSnapshot(const std::string& serverPid, double ticks) {
    return {ProcessCpuTimes(), LinuxProcessCpu(serverPid, ticks)};
}

// CPU time spent between two snapshots, in milliseconds, by whom.
struct CpuSpent {
    double started = -1.0; // the started process; -1 when it is not in the list
    double viewers = 0.0;  // the viewers it started (none when it is the viewer itself)
    double server = -1.0;
    double others = 0.0; // every other process but this one
};

CpuSpent Between(const CpuSnapshot& before, const CpuSnapshot& after, DWORD started,
                 const std::vector<DWORD>& viewers) {
    CpuSpent spent;
    for (const auto& [id, cpu] : after.processes) {
        const auto earlier = before.processes.find(id);
        const double used = cpu - (earlier == before.processes.end() ? 0.0 : earlier->second);
        if (id == started) {
            spent.started = used;
        } else if (std::find(viewers.begin(), viewers.end(), id) != viewers.end()) {
            spent.viewers += used;
        } else if (id != GetCurrentProcessId()) {
            spent.others += used;
        }
    }
    if (before.server >= 0 && after.server >= 0) {
        spent.server = after.server - before.server;
    }
    return spent;
}

struct IdleSample {
    CpuSpent whole;       // from before the start to the end of the wait
    CpuSpent steady;      // from one second after the start to the end of the wait: the polls alone
    double ownCpu = -1.0; // the started process, from GetProcessTimes after it ended
};

constexpr DWORD kStartUpAllowance = 1000;

// Starts the command line, lets it run for the wait (reading everyone's CPU time once the start-up
// is surely over, and at the end), then ends the viewer (the launcher's child, or the program
// itself) and waits for the process to end.
IdleSample RunIdle(const std::string& commandLine, const std::string& folder, DWORD wait,
                   const std::string& serverPid, double ticks) {
    IdleSample sample;
    const CpuSnapshot before = TakeCpuSnapshot(serverPid, ticks);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        return sample;
    }
    Sleep(kStartUpAllowance);
    const CpuSnapshot started = TakeCpuSnapshot(serverPid, ticks);
    Sleep(wait - kStartUpAllowance);
    const CpuSnapshot after = TakeCpuSnapshot(serverPid, ticks);
    const std::vector<DWORD> viewers = RunningViewers();
    sample.whole = Between(before, after, process.dwProcessId, viewers);
    sample.steady = Between(started, after, process.dwProcessId, viewers);
    EndViewers(viewers);
    WaitForSingleObject(process.hProcess, 60000);
    FILETIME created, exited, kernel, user;
    if (!UnderWine() && GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user)) {
        sample.ownCpu = FileTimeMilliseconds(kernel) + FileTimeMilliseconds(user);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    SettleViewers();
    return sample;
}

// One line: the median over the samples of the whole wait, and of the steady share per second.
void PrintCpu(const char* label, const std::vector<IdleSample>& samples, double CpuSpent::*field,
              DWORD wait) {
    std::vector<double> whole;
    std::vector<double> steady;
    for (const IdleSample& sample : samples) {
        whole.push_back(sample.whole.*field);
        steady.push_back(sample.steady.*field);
    }
    if (Median(whole) < 0) {
        std::printf("  %-44s %9s\n", label, "n/a");
        return;
    }
    std::printf("  %-44s %9.0f %12.1f\n", label, Median(whole),
                Median(steady) * 1000.0 / (wait - kStartUpAllowance));
}

// The launcher's cost while it waits on a child that never shows a window, against the same child
// started alone: what the wine server and the other processes spend beyond the child's own needs
// is the launcher's polling.
void MeasureIdleWait(const std::string& launcherLine, const std::string& directLine,
                     const std::string& folder, DWORD wait, int repeats) {
    wait = std::max(wait, 2 * kStartUpAllowance);
    const std::string serverPid = Environment("BENCH_WINESERVER_PID");
    const double ticks = std::atof(Environment("BENCH_CLOCK_TICKS").c_str());
    SetEnvironmentVariableA("VIEWER_SCRIPT", "forever"); // no window; ended after the wait
    std::vector<IdleSample> launcher;
    std::vector<IdleSample> alone;
    for (int repeat = 0; repeat < repeats; ++repeat) {
        launcher.push_back(RunIdle(launcherLine, folder, wait, serverPid, ticks));
        alone.push_back(RunIdle(directLine, folder, wait, serverPid, ticks));
    }
    std::printf("\nIdle wait: a child that shows no window, ended after %lu ms (median of %d)\n",
                wait, repeats);
    std::printf("  %-44s %9s %12s\n", "CPU time of", "whole, ms", "ms per s *");
    std::printf(" while launcher.exe waits on the child:\n");
    PrintCpu("launcher.exe (process list)", launcher, &CpuSpent::started, wait);
    if (UnderWine()) {
        std::printf("  %-44s %9s\n", "launcher.exe (GetProcessTimes at its end)",
                    "n/a: Wine answers with the caller's own times");
    } else {
        std::vector<double> own;
        for (const IdleSample& sample : launcher) {
            own.push_back(sample.ownCpu);
        }
        std::printf("  %-44s %9.0f\n", "launcher.exe (GetProcessTimes at its end)", Median(own));
    }
    PrintCpu("the child", launcher, &CpuSpent::viewers, wait);
    PrintCpu("wine server (/proc)", launcher, &CpuSpent::server, wait);
    PrintCpu("every other process", launcher, &CpuSpent::others, wait);
    std::printf(" while the same child runs alone:\n");
    PrintCpu("the child", alone, &CpuSpent::started, wait);
    PrintCpu("wine server (/proc)", alone, &CpuSpent::server, wait);
    PrintCpu("every other process", alone, &CpuSpent::others, wait);
    std::printf("  * from %lu ms after the start to the end of the wait: the polls alone\n",
                kStartUpAllowance);
}

// The resolution alone, as WinMain does it, in this process: options read, document found,
// command looked up, program file found. Nothing is started.
void MeasureResolution(const std::string& tailText, int calls) {
    text::SetUpCharacterRules();
    const String tail(tailText.c_str());
    std::vector<double> options, document, lookup, program, total;
    String found;
    for (int call = 0; call < calls; ++call) {
        const LONGLONG begin = Now();
        const String path = ReadOption(tail, "/path");
        String verb = ReadOption(tail, "/verb");
        const LONGLONG optionsRead = Now();
        const ResolvedDocument resolved = ResolveDocumentPath(path);
        const LONGLONG documentFound = Now();
        if (verb.IsEmpty()) {
            verb = "open";
        }
        const String commandTemplate =
            LookupCommandTemplate(AfterLast(resolved.path, '.'), verb, false, ".");
        const LONGLONG templateRead = Now();
        found = FindProgramFile(commandTemplate);
        const LONGLONG programFound = Now();
        options.push_back(Milliseconds(optionsRead - begin));
        document.push_back(Milliseconds(documentFound - optionsRead));
        lookup.push_back(Milliseconds(templateRead - documentFound));
        program.push_back(Milliseconds(programFound - templateRead));
        total.push_back(Milliseconds(programFound - begin));
        if (call == 0) {
            std::printf("\nResolution in-process, %d calls (median ms per call)\n", calls);
            std::printf("  tail     %s\n  template %s\n  program  \"%s\"\n", tailText.c_str(),
                        commandTemplate.Text(), found.Text());
        }
    }
    std::printf("  %-44s %9.3f\n", "ReadOption (/path and /verb)", Median(options));
    std::printf("  %-44s %9.3f\n", "ResolveDocumentPath", Median(document));
    std::printf("  %-44s %9.3f\n", "LookupCommandTemplate", Median(lookup));
    std::printf("  %-44s %9.3f\n", "FindProgramFile", Median(program));
    std::printf("  %-44s %9.3f  (min %.3f)\n", "options to program file", Median(total),
                Minimum(total));
    if (found.IsEmpty()) {
        std::printf("FAILED: the resolution found no program file\n");
    }
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = Argument(argc, argv, 1, 30);
    const int resolutionCalls = Argument(argc, argv, 2, 2000);
    const DWORD idleWait = static_cast<DWORD>(Argument(argc, argv, 3, 5000));
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    const std::string folder = OwnFolder();
    for (const char* program : {"launcher.exe", "viewer.exe", "idle.exe", "idle-user32.exe"}) {
        if (!Exists(folder + program)) {
            std::printf("FAILED: %s is not beside this program\n", program);
            return 1;
        }
    }

    // A type of this run's own: an extension and a class that nothing else registers.
    const std::string extension = Lower(rig::UniqueClassesName("lbench"));
    const std::string className = rig::UniqueClassesName("LauncherBench");
    const std::string scratchName = "bench-" + std::to_string(GetCurrentProcessId());
    const std::string scratch = folder + scratchName + "\\";
    const std::string documentName = "document." + extension;
    const std::string document = scratch + documentName;
    CreateDirectoryA(scratch.c_str(), nullptr);
    std::ofstream(document, std::ios::binary) << "A document for the benchmark.\n";

    int status = 0;
    {
        rig::ClassesKeys keys;
        const std::string viewerCommand = "\"" + folder + "viewer.exe\" \"%1\"";
        if (!keys.SetDefault("." + extension, className) ||
            !keys.SetDefault(className + "\\shell\\open\\command", viewerCommand)) {
            std::printf("FAILED: the association could not be registered\n");
            status = 1;
        }

        // The viewer shows its window at once and ends: every launch case ends with it.
        SetEnvironmentVariableA("VIEWER_RECORD", nullptr);
        SetEnvironmentVariableA("VIEWER_ECHO", nullptr);
        SetEnvironmentVariableA("VIEWER_SCRIPT", "window:BenchViewer:Bench document");

        std::string startShown;
        const std::string relative = ".\\" + scratchName + "\\" + documentName;
        const std::string launcher = "\"" + folder + "launcher.exe\" /path ";
        std::vector<Case> cases = {
            {"launcher.exe, registered document", launcher + relative, 0, {}},
            {"", StartCommandLine(document, startShown), 0, {}},
            {"direct CreateProcess of viewer.exe",
             "\"" + folder + "viewer.exe\" \"" + document + "\"",
             0,
             {}},
            {"do-nothing program (kernel32 only)", "\"" + folder + "idle.exe\"", 0, {}},
            {"do-nothing program binding user32", "\"" + folder + "idle-user32.exe\"", 0, {}},
            {"launcher.exe, document not found",
             launcher + ".\\" + scratchName + "\\missing." + extension,
             0xFFFFFFFFu,
             {}},
        };
        cases[kStart].name = startShown;

        std::printf("Registered .%s -> %s -> %s\n", extension.c_str(), className.c_str(),
                    viewerCommand.c_str());
        for (const CaseIndex which : {kLauncher, kStart, kDirect}) {
            if (status == 0 && !CheckStartsViewer(cases[which], folder, scratch, documentName)) {
                status = 1;
            }
        }

        if (status == 0) {
            for (int round = 0; round < rounds; ++round) {
                for (std::size_t step = 0; step < cases.size(); ++step) {
                    Case& launch = cases[(round + step) % cases.size()];
                    const Run run = TimedRun(launch.commandLine, folder);
                    SettleViewers();
                    const bool right = run.ended && run.exitCode == launch.expectedExit;
                    if (!right && launch.failures++ == 0) {
                        std::printf("%s went wrong (started: error %lu, ended: %d, exit %lu)\n",
                                    launch.name.c_str(), run.startError, run.ended ? 1 : 0,
                                    run.exitCode);
                    }
                    launch.times.push_back(right ? run.milliseconds : NAN);
                }
            }
            PrintLaunchTable(cases, rounds);
            PrintComparisons(cases);

            MeasureResolution("/path " + relative, resolutionCalls);
            MeasureIdleWait(launcher + relative, cases[kDirect].commandLine, folder, idleWait, 3);
        }
    }

    DeleteFileA(document.c_str());
    RemoveDirectoryA(scratch.c_str());
    return status;
}
