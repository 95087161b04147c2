#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test {

// A name no other test of the run uses: Prefix followed by a fresh GUID.
std::wstring UniqueName(const std::wstring& Prefix);

// Walks up from the test program's folder until Relative names an existing file there.
std::wstring FindUpwards(const std::wstring& Relative);

// Full path of a helper program built for the tests (tests/helpers).
std::wstring HelperPath(const std::wstring& ExeName);

// A new empty folder inside the prefix's temporary folder, removed with everything in it
// when the object goes.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // With a trailing backslash.
    const std::wstring& Path() const { return FPath; }

private:
    std::wstring FPath;
};

// Deletes a folder tree; read-only entries are made writable first.
void RemoveTree(const std::wstring& Path);
void WriteTextFile(const std::wstring& Path, const std::string& Content);
std::string ReadTextFile(const std::wstring& Path);
bool FileExists(const std::wstring& Path);

struct TRunResult {
    DWORD ExitCode = 0;
    std::string Output; // standard output and standard error together
};

// Runs a command line and waits for it. Extra entries "NAME=value" are added to the
// environment the program gets.
TRunResult Run(const std::wstring& CommandLine, const std::vector<std::wstring>& ExtraEnv = {},
               DWORD TimeoutMs = 60000);

// Lets everyone change the entry at Path: write, delete and rename it, and (a folder) delete
// its children. Where the file system keeps no descriptors (Wine), the entry becomes writable
// by all, which the system reports the same way.
void LetEveryoneChange(const std::wstring& Path);

// The deletions the system will carry out at its next start, in order, without the "\??\"
// prefix.
std::vector<std::wstring> PendingDeletions();

// What Wine has printed so far on its debug channels, by this test program and the programs
// it started (tests registered with CAPTURE_STDERR).
std::string CapturedStderr();

} // namespace test
