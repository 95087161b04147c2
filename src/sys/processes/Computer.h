#pragma once
#include "sys/files/ProvenPath.h"
#include <windows.h>

#include <string>

// Operations on this computer. Never instantiated.
class TComputer {
public:
    TComputer() = delete;

    // Starts cmdline and waits up to Timeout ms for its exit code; failures raise a plain
    // Exception carrying the system's error text. Program is the program to start, proven out
    // of other users' reach (see LaunchProcess).
    static int LaunchAndWait(const std::wstring& cmdline, DWORD Timeout, WORD CmdShow,
                             const std::wstring& Path, const FileSystem::TProvenPath& Program);
    // NetBIOS name of this computer, "Unknown" when it cannot be read.
    static std::wstring GetComputerName();
};
