#pragma once
#include "sys/files/ProvenPath.h"
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TRunRecords;

// The report file of a run (the "report" switch): a JSON document for deployment tools with
// the program's version, its switches, start and end time, the exit code, one record per
// element of the script and the counts per group (docs/report.schema.json). Written whole to
// a new file beside its place and renamed into place, so that a reader never sees half of one.
class TRunReport {
public:
    // Path as typed (empty: no report is wanted); Switches as the command line gave them.
    TRunReport(std::wstring Path, std::vector<std::wstring> Switches, bool Preview);

    bool Wanted() const { return !FTyped.empty(); }
    const std::wstring& Typed() const { return FTyped; }

    // Before the run: the file's folder is made and, when Announce, the report of a run under
    // way ("state": "running", no end, no exit code) replaces what was at the path; otherwise a
    // file is only tried there. Empty when so, else why not.
    std::wstring Prepare(bool Announce = true);
    // The file at the path is the report of a run under way (another instance's): a run that
    // steps aside leaves it alone.
    bool UnderWay() const;
    // The error that ended the run, or kept it from starting.
    void SetRunError(const std::wstring& Error) { FRunError = Error; }
    // Writes the report as the run stands now; Records may be none (the run never began).
    // Empty when it was written, else why not (also traced). Never raises.
    std::wstring Write(const TRunRecords* Records, int ExitCode) const;

private:
    // The document: a run under way when there is no exit code yet.
    std::string Text(const TRunRecords* Records, std::optional<int> ExitCode) const;

    std::wstring FTyped;
    std::optional<FileSystem::TProvenPath> FProven; // once prepared
    std::vector<std::wstring> FSwitches;
    bool FPreview;
    std::wstring FRunError;
    std::wstring FStarted;
};
