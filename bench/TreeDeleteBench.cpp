// Deleting a folder tree of 20,000 files in 400 folders: the uninstaller itself
// ("uninstall.exe /quiet /trace" with a script of one Folder step), the same step hosted in this
// process without a trace, the platform's own "rd /s /q", and a plain walk by path (find,
// delete the file, remove the folder), each on a fresh copy of the same tree in the same run.
// Prints the times and their ratios, and how long the program takes with nothing to delete.
//   tree_delete_bench UNINSTALLER   the program built with tree-script.xml
#include "RunMode.h"
#include "support/RunRecorder.h"
#include "support/ScriptSupport.h"
#include "support/TestSupport.h"
#include "sys/com/ComInit.h"
#include "uninstall/engine/Engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Folders = 400;
constexpr int FilesPerFolder = 50;
// Where tree-script.xml looks.
const std::wstring TreeRoot = L"C:\\BenchTree";

void MakeTree(const std::wstring& Root) {
    CreateDirectoryW(Root.c_str(), nullptr);
    for (int f = 0; f < Folders; ++f) {
        std::wstring folder = Root + L"\\d" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = 0; i < FilesPerFolder; ++i)
            test::WriteTextFile(folder + L"\\f" + std::to_wstring(i) + L".dat", "x");
    }
}

void PathWalk(const std::wstring& Folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                PathWalk(Folder + L"\\" + name);
            else
                DeleteFileW((Folder + L"\\" + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(Folder.c_str());
}

// Starts a program and waits for its end, its output going nowhere: no pipe, whose other end a
// process it starts may hold.
DWORD StartAndWait(const std::wstring& CommandLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = CommandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        std::fprintf(stderr, "cannot start a program\n");
        std::exit(1);
    }
    TKernelHandle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.Get(), &code);
    return code;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(const std::function<void()>& Work) {
    auto start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// One way of deleting a fresh tree, in milliseconds.
double Measure(const std::wstring& Root, const std::function<void(const std::wstring&)>& Delete) {
    MakeTree(Root);
    double ms = Milliseconds([&] { Delete(Root); });
    if (test::FileExists(Root)) {
        std::fprintf(stderr, "the tree was not deleted\n");
        std::exit(1);
    }
    return ms;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tree_delete_bench UNINSTALLER\n");
        return 2;
    }
    PrintRunMode();
    const std::wstring uninstaller = argv[1];
    TComInit com;
    // The trace is left off: a console program would echo every line to its standard output,
    // which the uninstaller (a window program) never does, and the lines are the same for every
    // way of walking the tree.
    const std::wstring& root = TreeRoot;
    const std::string script = "<?xml version=\"1.0\"?><NorvaUninstall Version=\"1.0\"><Folders>"
                               "<Folder Path=\"" +
                               std::string(root.begin(), root.end()) +
                               "\"/></Folders></NorvaUninstall>";
    test::TScriptModule module(script);

    auto step = [&](const std::wstring&) {
        test::TRecordingView view;
        TUninstallEngine engine(view, module.Handle());
        engine.LoadXml();
        engine.RunScript();
    };
    const std::wstring programLine = L"\"" + uninstaller + L"\" /quiet /trace";
    auto program = [&](const std::wstring&) {
        if (DWORD code = StartAndWait(programLine); code != 0) {
            std::fprintf(stderr, "the uninstaller ended with %lu\n", code);
            std::exit(1);
        }
    };
    auto rd = [](const std::wstring& Root) {
        test::Run(L"cmd /c rd /s /q \"" + Root + L"\"", {}, 600000);
    };
    // Rounds of every way one after the other: a machine that is busier for a while slows the
    // ways of the same round alike, and the ratios are taken within each round.
    constexpr int Rounds = 5;
    std::vector<double> walkMs, stepMs, programMs, rdMs, programToWalk, stepToWalk, programToRd;
    for (int round = 0; round < Rounds; ++round) {
        walkMs.push_back(Measure(root, PathWalk));
        stepMs.push_back(Measure(root, step));
        programMs.push_back(Measure(root, program));
        rdMs.push_back(Measure(root, rd));
        programToWalk.push_back(programMs.back() / walkMs.back());
        stepToWalk.push_back(stepMs.back() / walkMs.back());
        programToRd.push_back(programMs.back() / rdMs.back());
    }
    // The start: the program with nothing to delete (the script's folder is missing), from
    // the process's creation to its end, against a bare program of the platform.
    std::vector<double> startMs, bareMs;
    for (int round = 0; round < Rounds; ++round) {
        startMs.push_back(Milliseconds([&] { StartAndWait(programLine); }));
        bareMs.push_back(Milliseconds([] { StartAndWait(L"cmd /c exit"); }));
    }
    std::printf("tree of %d files in %d folders (median of %d rounds; ratios are the median of "
                "each round's ratio):\n",
                Folders * FilesPerFolder, Folders, Rounds);
    std::printf("  uninstall.exe /quiet /trace %6.0f ms  (the whole program, started and ended)\n",
                Median(programMs));
    std::printf("  Folder step in this process %6.0f ms\n", Median(stepMs));
    std::printf("  rd /s /q                    %6.0f ms\n", Median(rdMs));
    std::printf("  path walk                   %6.0f ms\n", Median(walkMs));
    std::printf("ratio uninstall.exe / rd /s /q:   %.2f\n", Median(programToRd));
    std::printf("ratio uninstall.exe / path walk:  %.2f\n", Median(programToWalk));
    std::printf("ratio Folder step / path walk:    %.2f\n", Median(stepToWalk));
    std::printf("uninstall.exe /quiet /trace with nothing to delete, started and ended: %.0f ms "
                "(a bare \"cmd /c exit\": %.0f ms)\n",
                Median(startMs), Median(bareMs));
    return 0;
}
