#include "uninstall/engine/RunRecords.h"

#include "core/Exception.h"
#include "core/Text.h"

#include <algorithm>

namespace {

// The verbs of the steps, as done ("removed") and as a preview names them ("remove").
const struct {
    const wchar_t* Done;
    const wchar_t* Base;
} Verbs[] = {{L"removed", L"remove"},
             {L"stopped", L"stop"},
             {L"unregistered", L"unregister"},
             {L"run", L"run"}};

// A verb as a preview says it: "would-remove".
std::wstring WouldForm(const std::wstring& Verb) {
    for (const auto& verb : Verbs)
        if (Verb == verb.Done)
            return std::wstring(L"would-") + verb.Base;
    return L"would-" + Verb;
}

// "2 removed", "1 waits for the restart", "3 would be removed".
std::wstring CountText(const TActionCount& Count) {
    const std::wstring n = std::to_wstring(Count.Count);
    if (Count.Action == L"kept")
        return n + L" kept (" + Count.Reason + L")";
    if (Count.Action == L"scheduled")
        return n + (Count.Count == 1 ? L" waits" : L" wait") + L" for the restart";
    if (Count.Action == L"would-schedule")
        return n + L" would wait for the restart";
    for (const auto& verb : Verbs)
        if (Count.Action == std::wstring(L"would-") + verb.Base)
            return n + L" would be " + verb.Done;
    return n + L" " + Count.Action;
}

// One path, however its letter case and a folder's closing backslash are written.
bool SamePathKey(const std::wstring& A, const std::wstring& B) {
    return SameText(WithoutTrailingBackslash(A), WithoutTrailingBackslash(B));
}

bool HoldsPath(const std::vector<std::wstring>& List, const std::wstring& Path) {
    return std::any_of(List.begin(), List.end(),
                       [&](const std::wstring& entry) { return SamePathKey(entry, Path); });
}

} // namespace

std::wstring ItemAction(const TItemRecord& Record, bool Preview) {
    if (!Record.KeptReason.empty())
        return L"kept";
    if (!Record.Errors.empty())
        return L"failed";
    if (!Record.Excluded.empty())
        return L"kept";
    if (!Record.Scheduled.empty())
        return Preview ? L"would-schedule" : L"scheduled";
    return Preview ? WouldForm(Record.Verb) : Record.Verb;
}

std::wstring ItemReason(const TItemRecord& Record) {
    if (!Record.KeptReason.empty())
        return Record.KeptReason;
    if (Record.Errors.empty() && !Record.Excluded.empty())
        return L"excluded";
    return L"";
}

void TRunRecords::Begin(const std::wstring& Group, const std::wstring& Step,
                        const std::wstring& Verb) {
    TItemRecord record;
    record.Group = Group;
    record.Step = Step;
    record.Verb = Verb;
    FItems.push_back(std::move(record));
    FOpen = true;
}

TItemRecord* TRunRecords::Current() {
    return FOpen && !FItems.empty() ? &FItems.back() : nullptr;
}

void TRunRecords::PathStays(const std::wstring& Path, const std::wstring& Error) {
    for (auto& item : FItems)
        if (HoldsPath(item.Scheduled, Path)) {
            item.Stays.push_back(Path);
            item.Errors.push_back(Error);
            return;
        }
}

void TRunRecords::PathMoved(const std::wstring& Path, const std::wstring& Now) {
    for (auto& item : FItems) {
        auto at = std::find_if(item.Scheduled.begin(), item.Scheduled.end(),
                               [&](const std::wstring& entry) { return SamePathKey(entry, Path); });
        if (at == item.Scheduled.end())
            continue;
        if (Now.empty())
            item.Scheduled.erase(at);
        else
            *at = Now;
        return;
    }
}

void TRunRecords::PathTaken(const std::wstring& Path) {
    if (std::any_of(FItems.begin(), FItems.end(),
                    [&](const TItemRecord& item) { return HoldsPath(item.Scheduled, Path); }))
        return;
    for (auto& item : FItems)
        if (std::any_of(item.Scheduled.begin(), item.Scheduled.end(),
                        [&](const std::wstring& e) { return PathBelow(e, Path); }))
            item.Scheduled.push_back(Path);
}

std::vector<std::wstring> TRunRecords::CheckWhatIsLeft() {
    std::vector<std::wstring> lines;
    for (auto& item : FItems) {
        if (!item.StillThere || !item.KeptReason.empty())
            continue;
        bool still = false;
        try {
            still = item.StillThere();
        } catch (const std::exception& e) {
            lines.push_back(L"Cannot look again at " + item.Step + L" \"" + item.Item + L"\" (" +
                            ExceptionMessage(e) + L")");
            continue;
        }
        item.AfterRun = still ? L"still there" : L"gone";
        if (!still)
            continue;
        if (!item.Stays.empty())
            item.StillThereBecause = L"locked";
        else if (!item.Errors.empty())
            item.StillThereBecause = L"failed";
        else if (!item.Excluded.empty())
            item.StillThereBecause = L"excluded";
        else if (!item.Scheduled.empty())
            item.StillThereBecause = L"waits for the restart";
        else
            item.StillThereBecause = L"no step said why";
        lines.push_back(L"Still there after the run: " + item.Step + L" \"" + item.Item + L"\" (" +
                        item.StillThereBecause + L")");
    }
    return lines;
}

std::vector<TGroupCounts> TRunRecords::Counts() const {
    std::vector<TGroupCounts> groups;
    for (const auto& item : FItems) {
        // A group the script holds twice is counted as one, where it first occurs.
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const TGroupCounts& g) { return g.Group == item.Group; });
        if (group == groups.end())
            group = groups.insert(groups.end(), TGroupCounts{item.Group, {}});
        const std::wstring action = ItemAction(item, FPreview);
        const std::wstring reason = ItemReason(item);
        auto& counts = group->Counts;
        auto count = std::find_if(counts.begin(), counts.end(), [&](const TActionCount& c) {
            return c.Action == action && c.Reason == reason;
        });
        if (count == counts.end())
            counts.push_back({action, reason, 1});
        else
            ++count->Count;
    }
    return groups;
}

std::vector<std::wstring> TRunRecords::SummaryLines() const {
    std::vector<std::wstring> lines;
    for (const auto& group : Counts()) {
        std::wstring line = group.Group + L":";
        for (size_t i = 0; i < group.Counts.size(); ++i)
            line += (i == 0 ? L" " : L", ") + CountText(group.Counts[i]);
        lines.push_back(line);
    }
    return lines;
}
