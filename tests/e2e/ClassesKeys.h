// Association keys of the test's own, written where HKEY_CLASSES_ROOT shows them and removed again
// when the guard goes, also when the test fails half-way.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rig {

// Where a new key must be written to be read back through HKEY_CLASSES_ROOT. Windows merges the
// per-user branch (HKEY_CURRENT_USER\Software\Classes) into it and wants administrator rights for
// a key written through HKEY_CLASSES_ROOT itself; Wine merges nothing, and there
// HKEY_CLASSES_ROOT itself is writable. Probed once per run, and said once on standard output.
struct ClassesBranch {
    HKEY root;
    std::string prefix; // put in front of a path below HKEY_CLASSES_ROOT: "" or "Software\Classes\"
    std::string name;   // for messages
};
const ClassesBranch& WritableClasses();

// A name that no other test and no other run of the tests uses, for an extension (without its
// dot) or a class: the stem, this process's id and a counter, letters and digits only.
std::string UniqueClassesName(const std::string& stem);

// The default value of a key below HKEY_CLASSES_ROOT as text; empty when the key or value is
// absent.
std::string ReadClassesText(const std::string& path);

class ClassesKeys {
  public:
    ClassesKeys() = default;
    ClassesKeys(const ClassesKeys&) = delete;
    ClassesKeys& operator=(const ClassesKeys&) = delete;
    ~ClassesKeys(); // deletes the trees of every top-level key this guard made

    // Sets the default value of the key at the path below HKEY_CLASSES_ROOT, making the keys on
    // the way. Refuses (false) a path whose top-level key exists and was not made by this guard,
    // so that the machine's own associations are never changed.
    bool SetDefault(const std::string& path, const std::string& data, DWORD type = REG_SZ);
    // Makes the key (and the keys on the way) without setting any value.
    bool Create(const std::string& path);

  private:
    HKEY OpenForWriting(const std::string& path);
    std::vector<std::string> made_; // top-level keys made by this guard
};

} // namespace rig
