#include "uninstall/report/RunReport.h"

#include "core/Exception.h"
#include "core/Handle.h"
#include "core/SystemError.h"
#include "core/Text.h"
#include "logging/Logger.h"
#include "logging/appenders/ModuleInfo.h"
#include "logging/support/ProcessInfo.h"
#include "sys/files/RandomName.h"
#include "uninstall/engine/RunRecords.h"
#include "uninstall/report/OutputFile.h"

#include <nlohmann/json.hpp>

#include <windows.h>

using nlohmann::ordered_json;

namespace {

// Enough of a report to read its state; a longer file is read no further.
constexpr size_t MaxReportRead = 1 << 20;

// The time now in UTC, as ISO 8601: "2026-12-11T03:05:09Z".
std::wstring UtcNow() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    return text;
}

std::string Utf8(const std::wstring& Text) {
    return WideToUtf8(Text);
}

ordered_json TextList(const std::vector<std::wstring>& List) {
    ordered_json list = ordered_json::array();
    for (const auto& text : List)
        list.push_back(Utf8(text));
    return list;
}

ordered_json ItemJson(const TItemRecord& Item, bool Preview) {
    ordered_json item;
    item["group"] = Utf8(Item.Group);
    item["step"] = Utf8(Item.Step);
    item["item"] = Utf8(Item.Item);
    item["action"] = Utf8(ItemAction(Item, Preview));
    if (std::wstring reason = ItemReason(Item); !reason.empty())
        item["reason"] = Utf8(reason);
    item["errors"] = TextList(Item.Errors);
    item["scheduled"] = TextList(Item.Scheduled);
    item["excluded"] = TextList(Item.Excluded);
    item["entries"] = TextList(Item.Entries);
    item["afterRun"] = Item.AfterRun.empty() ? "not looked at" : Utf8(Item.AfterRun);
    if (!Item.StillThereBecause.empty())
        item["stillThereBecause"] = Utf8(Item.StillThereBecause);
    return item;
}

ordered_json GroupsJson(const TRunRecords& Records) {
    ordered_json groups = ordered_json::array();
    const std::vector<std::wstring> lines = Records.SummaryLines();
    const std::vector<TGroupCounts> counts = Records.Counts();
    for (size_t i = 0; i < counts.size(); ++i) {
        ordered_json group;
        group["group"] = Utf8(counts[i].Group);
        ordered_json list = ordered_json::array();
        for (const auto& count : counts[i].Counts) {
            ordered_json entry;
            entry["action"] = Utf8(count.Action);
            if (!count.Reason.empty())
                entry["reason"] = Utf8(count.Reason);
            entry["count"] = count.Count;
            list.push_back(entry);
        }
        group["counts"] = list;
        group["summary"] = Utf8(lines[i]);
        groups.push_back(group);
    }
    return groups;
}

// Text as a new file at Temporary, then renamed to Path (replacing what was there: a link
// there is replaced, never written through). Raises with the system's text.
void WriteWholeFile(const FileSystem::TProvenPath& Proven, const std::wstring& Temporary,
                    const std::string& Text) {
    if (std::wstring changed = Proven.ChangedReason(); !changed.empty())
        throw Exception(changed);
    const std::wstring& Path = Proven.Path();
    {
        TKernelHandle file(CreateFileW(Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            RaiseSystemError(L"\"" + Temporary + L"\" cannot be made", GetLastError());
        DWORD written = 0;
        if (!WriteFile(file.Get(), Text.data(), static_cast<DWORD>(Text.size()), &written,
                       nullptr) ||
            written != Text.size() || !FlushFileBuffers(file.Get())) {
            const DWORD error = GetLastError();
            file.Reset();
            DeleteFileW(Temporary.c_str());
            RaiseSystemError(L"\"" + Temporary + L"\" cannot be written", error);
        }
    }
    if (!MoveFileExW(Temporary.c_str(), Path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(Temporary.c_str());
        RaiseSystemError(L"it cannot replace the file there", error);
    }
}

// Beside the report, under a name no other user can guess and take first.
std::wstring TemporaryName(const std::wstring& Path) {
    const std::wstring name = FileSystem::RandomName();
    if (name.empty())
        throw Exception(L"no name for a temporary file");
    return Path + L"." + name + L".tmp";
}

} // namespace

TRunReport::TRunReport(std::wstring Path, std::vector<std::wstring> Switches, bool Preview)
    : FTyped(std::move(Path)), FSwitches(std::move(Switches)), FPreview(Preview),
      FStarted(UtcNow()) {}

std::wstring TRunReport::Prepare(bool Announce) {
    if (!Wanted())
        return {};
    try {
        FProven = PreparedOutputFile(FTyped);
        const std::wstring& path = FProven->Path();
        // The report of a run under way, replacing an earlier run's at once: a run that never
        // ends (a crash, a kill, a power cut) leaves a report that says so, not the last one's.
        // A folder that takes no new file fails now, before anything is removed.
        if (Announce) {
            WriteWholeFile(*FProven, TemporaryName(path), Text(nullptr, std::nullopt));
        } else {
            const std::wstring trial = TemporaryName(path);
            TKernelHandle file(CreateFileW(trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE,
                                           nullptr));
            if (!file)
                RaiseSystemError(L"no file can be made in its folder", GetLastError());
        }
    } catch (const std::exception& e) {
        FProven.reset();
        return ExceptionMessage(e);
    }
    return {};
}

bool TRunReport::UnderWay() const {
    if (!Wanted())
        return false;
    std::string text;
    {
        TFileHandle file(CreateFileW(FTyped.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0 &&
               text.size() < MaxReportRead)
            text.append(buffer, read);
    }
    const ordered_json report = ordered_json::parse(text, nullptr, false);
    return report.is_object() && report.value("state", "") == "running";
}

std::string TRunReport::Text(const TRunRecords* Records, std::optional<int> ExitCode) const {
    ordered_json report;
    report["program"] = Utf8(ProcessInfo::ApplicationId());
    std::wstring version;
    try {
        version = GetModuleVersion(ProcessInfo::ExePath(), L"FileVersion");
    } catch (const std::exception&) {
        // A build without a version resource says so by an empty version.
    }
    report["version"] = Utf8(version);
    report["switches"] = TextList(FSwitches);
    report["preview"] = FPreview;
    report["state"] = ExitCode ? "ended" : "running";
    report["started"] = Utf8(FStarted);
    report["ended"] = ExitCode ? ordered_json(Utf8(UtcNow())) : ordered_json(nullptr);
    report["exitCode"] = ExitCode ? ordered_json(*ExitCode) : ordered_json(nullptr);
    if (!FRunError.empty())
        report["error"] = Utf8(FRunError);
    ordered_json items = ordered_json::array();
    if (Records)
        for (const auto& item : Records->Items())
            items.push_back(ItemJson(item, FPreview));
    report["items"] = items;
    report["groups"] = Records ? GroupsJson(*Records) : ordered_json::array();
    return report.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

std::wstring TRunReport::Write(const TRunRecords* Records, int ExitCode) const {
    if (!FProven)
        return Wanted() ? L"the path was not prepared" : L"";
    const std::wstring& path = FProven->Path();
    try {
        WriteWholeFile(*FProven, TemporaryName(path), Text(Records, ExitCode));
        GetLogger().Write(TSenderText{L"Main"}, L"Report written to \"%s\"", {path}, ttInformation);
    } catch (const std::exception& e) {
        const std::wstring reason = ExceptionMessage(e);
        GetLogger().Write(TSenderText{L"Main"}, L"The report \"%s\" cannot be written (%s)",
                          {path, reason}, ttError);
        return reason;
    }
    return {};
}
