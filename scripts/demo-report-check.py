#!/usr/bin/env python3
"""What the run's report says of each seeded item of the demonstration, and whether that agrees
with what the demonstration saw before and after the run.

Arguments: the seed manifest (group, kind, what, expected outcome, note), the state before and
after the run (group, kind, what of each item present), the report. Prints one line per
manifest entry: group, kind, what, the report's word ("removed", "kept (not found)", ...;
"not named" when no record covers the item) and "agrees" or "DISAGREES".

A record covers an item when it names the item itself, a folder or key above it, or (a
command, a share) holds its name. The demonstration's groups are the report's groups."""
import json
import sys

GROUPS = {
    "commands": "Commands", "apppaths": "AppPath", "path": "Paths", "processes": "Processes",
    "services": "Services", "com": "ComObjects", "shares": "Shares", "shortcuts": "Shortcuts",
    "folders": "Folders", "files": "Files", "registry": "Registry", "profiles": "Profiles",
}
DOING = {"removed", "stopped", "unregistered", "run", "scheduled"}


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


def covers(item, what):
    what = what.lower().rstrip("\\")
    best = 0
    for name in names(item):
        if what == name or what.startswith(name + "\\") or (
                item["group"] in ("Commands", "Shares") and what in name):
            best = max(best, len(name))
    return best


def record_for(report, group, what):
    """The record that covers the item most closely, in its own group first."""
    for pool in ([i for i in report["items"] if i["group"] == GROUPS.get(group)],
                 report["items"]):
        scored = [(covers(i, what), n, i) for n, i in enumerate(pool)]
        scored = [s for s in scored if s[0] > 0]
        if scored:
            return max(scored, key=lambda s: (s[0], s[1]))[2]
    return None


def word(item):
    if item is None:
        return "not named"
    text = item["action"]
    if item.get("reason"):
        text += f" ({item['reason']})"
    if item.get("afterRun") == "still there":
        text += f"; still there: {item.get('stillThereBecause', '')}"
    return text


def agrees(item, expect, removed):
    if item is None:
        return not removed
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
        item = record_for(report, group, what)
        verdict = "agrees" if agrees(item, expect, removed) else "DISAGREES"
        print("\t".join((group, kind, what, word(item), verdict)))


if __name__ == "__main__":
    main(*sys.argv[1:5])
