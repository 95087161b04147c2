#!/usr/bin/env python3
"""Checks every report file in a folder against the report's schema, and that the counts of
each report's groups are those of its items. Fails when the folder holds no report: the tests
that keep them did not run."""
import collections
import json
import pathlib
import sys

import jsonschema


def counts_of(items):
    groups = collections.OrderedDict()
    for item in items:
        key = (item["action"], item.get("reason", ""))
        groups.setdefault(item["group"], collections.Counter())[key] += 1
    return groups


def main(schema_path, folder):
    schema = json.loads(pathlib.Path(schema_path).read_text(encoding="utf-8"))
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    reports = sorted(pathlib.Path(folder).glob("*.json"))
    if not reports:
        print(f"no report in {folder}")
        return 1
    failed = 0
    for path in reports:
        report = json.loads(path.read_bytes().decode("utf-8"))
        problems = [f"{'/'.join(map(str, e.path))}: {e.message}"
                    for e in validator.iter_errors(report)]
        expected = counts_of(report.get("items", []))
        written = collections.OrderedDict(
            (g["group"], collections.Counter({(c["action"], c.get("reason", "")): c["count"]
                                              for c in g["counts"]}))
            for g in report.get("groups", []))
        if expected != written or list(expected) != list(written):
            problems.append(f"group counts {dict(written)} are not those of the items {dict(expected)}")
        status = "ok" if not problems else "INVALID"
        print(f"{status}  {path.name}")
        for problem in problems:
            print(f"    {problem}")
        failed += bool(problems)
    print(f"{len(reports)} report(s), {failed} invalid")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
