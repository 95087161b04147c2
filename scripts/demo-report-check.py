#!/usr/bin/env python3
"""What the run's report says of each seeded item of the demonstration, and whether that agrees
with what the demonstration saw before and after the run.

Arguments: the seed manifest (group, kind, what, expected outcome, note), the state before and
after the run (group, kind, what of each item present), the report. Prints one line per
manifest entry: group, kind, what, the report's word ("removed", "kept (not found)", ...;
"not named" when no record covers the item) and "agrees" or "DISAGREES".

A record covers an item when it names the item itself, a folder or key above it, or (a
command, a share) holds its name; a search (files, shortcuts, App Paths, profiles, COM
servers) covers what it found, its entries. The demonstration's groups are the report's groups."""
import json
import re
import sys

GROUPS = {
    "commands": "Commands", "apppaths": "AppPath", "path": "Paths", "processes": "Processes",
    "services": "Services", "com": "ComObjects", "shares": "Shares", "shortcuts": "Shortcuts",
    "folders": "Folders", "files": "Files", "registry": "Registry", "profiles": "Profiles",
}
DOING = {"removed", "stopped", "unregistered", "run", "scheduled"}
# Groups whose element is a search: it covers only what it found (its entries).
SEARCHES = {"Files", "Shortcuts", "AppPath", "Profiles", "ComObjects"}
# Groups whose element names one thing: it covers only that.
SINGLE = {"Paths", "Processes", "Services"}
# Kinds of seeded items that are a registration or a running thing, not a file or key: only
# a record of their own group speaks of them.
OWN_GROUP_ONLY = {"server", "assembly", "entry", "process", "service", "share", "command"}


def key(text):
    """One spelling for a path, key or name: letter case, the merged classes root, a folder's
    closing backslash and the demonstration's "#2" for a second process of a name aside."""
    text = re.sub(r"\\+", r"\\", re.sub(r" #[0-9]+$", "", text.lower())).rstrip("\\")
    if text.startswith("hkcr\\"):
        text = "hklm\\software\\classes\\" + text[5:]
    return text


def read_tsv(path, width):
    with open(path, encoding="utf-8") as f:
        return [tuple((line.rstrip("\n").split("\t") + [""] * width)[:width]) for line in f
                if line.strip()]


def names(item):
    """The texts a record's item stands for: the item, and the folder or key it searches."""
    text = item["item"].lower()
    found = {text}
    if " -> " in text:                       # a shortcut search: "folder -> target mask"
        found.add(text.split(" -> ")[0])
    if "*" in text or "?" in text:           # a file mask after its folder
        found.add(text[:text.rfind("\\")])
    if item["group"] == "Profiles" and " " in text:
        found.add(text.split(" ")[0])
    return {n.rstrip("\\") for n in found if n}


def below(what, name):
    return what == name or what.startswith(name + "\\")


def covers(item, what):
    """How closely the record names the item (0: not at all), and whether through one of the
    entries of a search."""
    what = key(what)
    if item["group"] in SEARCHES:
        found = [len(key(e)) for e in item.get("entries", []) if below(what, key(e))]
        if found:
            return max(found), True
        return (len(what), False) if key(item["item"]) == what else (0, False)
    if item["group"] in SINGLE:
        return (len(what), False) if key(item["item"]) == what else (0, False)
    best = 0
    for name in map(key, names(item)):
        if what == name or what.startswith(name + "\\") or (
                item["group"] in ("Commands", "Shares") and what in name):
            best = max(best, len(name))
    return best, False


def record_for(report, group, kind, what):
    """The record that covers the item most closely, in its own group first, and whether it
    found the item as one of its entries."""
    # The program is a 32-bit one: its records name keys of its own view.
    if kind == "key64":
        return None, False
    pools = [[i for i in report["items"] if i["group"] == GROUPS.get(group)]]
    if kind not in OWN_GROUP_ONLY:
        pools.append(report["items"])
    for pool in pools:
        scored = [(covers(i, what), n, i) for n, i in enumerate(pool)]
        scored = [s for s in scored if s[0][0] > 0]
        if scored:
            best = max(scored, key=lambda s: (s[0][0], s[1]))
            return best[2], best[0][1]
    return None, False


def word(item, entry):
    if item is None:
        return "not named"
    if entry:
        done = "unregistered" if item["group"] == "ComObjects" else "removed"
        if item["action"].startswith("would-"):
            done = "would be " + done
        return f"{done}, by {item['step']} \"{item['item']}\""
    text = item["action"]
    if item.get("reason"):
        text += f" ({item['reason']})"
    if item.get("afterRun") == "still there":
        text += f"; still there: {item.get('stillThereBecause', '')}"
    return text


def agrees(item, entry, expect, removed):
    if item is None:
        return not removed
    if entry:
        return removed
    action = item["action"]
    if removed and expect != "stays":
        return action in DOING or action == "failed" or (
            action == "kept" and item.get("reason") == "excluded")
    if not removed and expect != "stays":
        return not (action in DOING - {"scheduled"} and item.get("afterRun") == "gone")
    return True


def main(manifest, before, after, report_path):
    with open(report_path, encoding="utf-8") as f:
        report = json.load(f)
    present_before = {t[:3] for t in read_tsv(before, 3)}
    present_after = {t[:3] for t in read_tsv(after, 3)}
    for group, kind, what, expect, _ in read_tsv(manifest, 5):
        if (group, kind, what) not in present_before:
            continue
        removed = (group, kind, what) not in present_after
        item, entry = record_for(report, group, kind, what)
        verdict = "agrees" if agrees(item, entry, expect, removed) else "DISAGREES"
        print("\t".join((group, kind, what, word(item, entry), verdict)))


if __name__ == "__main__":
    main(*sys.argv[1:5])
