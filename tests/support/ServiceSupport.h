#pragma once
#include "support/TestSupport.h"

#include <windows.h>

#include <string>

namespace test {

// A service of the tests: a copy of service_helper.exe in a folder of its own, registered with
// the service control manager. When the object goes, the service is stopped (its process ended
// if it ignores the request), deleted, its key removed and its folder with it.
class TTestService {
public:
    enum TImagePath { Quoted, Unquoted };
    struct TOptions {
        // Follow the program in the image path ("-service", "-service -ignorestop").
        std::wstring Arguments = L"-service";
        // Below a folder with blanks ("...\\Program Files\\Suite\\").
        bool Blanks = false;
        TImagePath Form = Quoted;
        // Unique when not given; a script built with the tests names its services itself.
        std::wstring Name = L"";
        std::wstring ExeName = L"broker.exe";
        // Without it, only the service's key is written, as an installation may leave it
        // behind with no service the manager knows.
        bool Register = true;
    };
    TTestService();
    explicit TTestService(const TOptions& Options);
    ~TTestService();
    TTestService(const TTestService&) = delete;
    TTestService& operator=(const TTestService&) = delete;

    const std::wstring& Name() const { return FName; }
    const std::wstring& Exe() const { return FExe; }
    const std::wstring& ImagePath() const { return FImagePath; }
    // The temporary folder that holds the program's folder.
    const std::wstring& Root() const { return FFolder.Path(); }

    // Starts the service and waits up to 10 seconds for it to run; raises when it does not.
    void Start();
    // The state as the manager reports it; 0 when the service cannot be queried (deleted).
    DWORD State() const;
    bool KeyExists() const;
    // The command line the program recorded when it was run with -remove; empty when it was not.
    std::wstring RemovalCommandLine() const;

private:
    TTempFolder FFolder;
    std::wstring FName, FExe, FImagePath;
};

// The key of a service below HKLM\SYSTEM\CurrentControlSet\Services.
std::wstring ServiceKey(const std::wstring& Name);
// A file's content as UTF-16 text.
std::wstring ReadWideFile(const std::wstring& Path);

} // namespace test
