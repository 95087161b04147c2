#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What the run did with each element of the script, in the script's order: the account a
// deployment tool reads back (the report file) and the quiet run's summary lines.

// One element of the script and what became of it.
struct TItemRecord {
    std::wstring Group; // "Folders"
    std::wstring Step;  // "Folder"
    std::wstring Item;  // what the element names, as the step resolved it
    // The verb of a step that did its work: "removed", "stopped", "unregistered", "run".
    std::wstring Verb;
    // Set when the step left the item alone on purpose: "not found", "excluded", "protected",
    // "local-only", "developer workstation".
    std::wstring KeptReason;
    std::vector<std::wstring> Errors;    // the error lines shown while the step ran
    std::vector<std::wstring> Scheduled; // handed to the restart (a preview: would be)
    std::vector<std::wstring> Stays;     // of those, what the restart list refused
    std::vector<std::wstring> Excluded;  // folders an exclusion kept
    // What a search removed (a preview: would remove): files, shortcuts, keys, servers.
    std::vector<std::wstring> Entries;
    // After the run: whether anything of the item is still there. Empty when it cannot be
    // looked at again (a command, a share).
    std::function<bool()> StillThere;
    // The result of that look: "" (not looked at), "gone" or "still there", and why.
    std::wstring AfterRun;
    std::wstring StillThereBecause;
};

// The record's action: "kept", "failed", "scheduled" or the step's verb; a preview puts
// "would-" before a verb and says "would-schedule".
std::wstring ItemAction(const TItemRecord& Record, bool Preview);
// The action's reason where it has one: why an item was kept.
std::wstring ItemReason(const TItemRecord& Record);

// How many items of one group ended with one action (and reason).
struct TActionCount {
    std::wstring Action;
    std::wstring Reason;
    size_t Count = 0;
};
struct TGroupCounts {
    std::wstring Group;
    std::vector<TActionCount> Counts; // in the order the actions first occur
};

class TRunRecords {
public:
    explicit TRunRecords(bool Preview = false) : FPreview(Preview) {}
    void SetPreview(bool On) { FPreview = On; }
    bool Preview() const { return FPreview; }

    // A new element starts; what the steps say until the next one belongs to it.
    void Begin(const std::wstring& Group, const std::wstring& Step, const std::wstring& Verb);
    // No element runs now (the steps are over): what is said then belongs to none.
    void End() { FOpen = false; }
    // The element running now, or none.
    TItemRecord* Current();

    // A path the restart list refused, with its error line, belongs to the item that handed it
    // over.
    void PathStays(const std::wstring& Path, const std::wstring& Error);
    // A path handed to the restart was moved to Now before the system took it, or (Now empty)
    // went at once: the item's record names what really waits for the restart.
    void PathMoved(const std::wstring& Path, const std::wstring& Now);
    // The restart list took Path: a path an item handed over, or a folder it added above the
    // entries of one or more items, which then name it too. So each item's Scheduled is what
    // the system holds because of it.
    void PathTaken(const std::wstring& Path);

    // Looks again at every item the run meant to remove; returns the lines to trace for those
    // still there.
    std::vector<std::wstring> CheckWhatIsLeft();

    const std::vector<TItemRecord>& Items() const { return FItems; }
    std::vector<TGroupCounts> Counts() const;
    // "Folders: 12 removed, 2 kept (excluded), 1 waits for the restart", a line per group.
    std::vector<std::wstring> SummaryLines() const;

private:
    std::vector<TItemRecord> FItems;
    bool FOpen = false;
    bool FPreview = false;
};
