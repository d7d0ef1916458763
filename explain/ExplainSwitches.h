// The explain tool's own switches, which come before the launcher's options on its command line.
#pragma once

#include <optional>
#include <string>

constexpr const char* kExplainUsage =
    "usage: launcher-explain [--run] [--as <path of launcher.exe>] /path <document> "
    "[/verb <verb>]";

struct ExplainSwitches {
    bool run = false;                        // --run: the program is really started
    std::optional<std::string> launcherPath; // --as: the launcher whose folder is emulated
    std::string launcherTail; // all that follows the switches, as the launcher reads it
    std::string error;        // one line; not empty when the switches are wrong
};

// Reads "--run" and "--as <path>" (a path with blanks in double quotes) from the start of the
// command-line tail, in any order, each separated by blanks. The first word that does not begin
// with "--" starts the launcher's tail, which is passed on untouched: a "--run" after it belongs
// to an option's value, as it would for the launcher. An unknown switch, an "--as" without a full
// path, or nothing left for the launcher is an error.
ExplainSwitches ReadExplainSwitches(const std::string& commandTail);
