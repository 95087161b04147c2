#!/usr/bin/env python3
"""Checks that every library's link line names what the library uses, and only that.

For each library of library-map.txt (written by the configuration):
- every project header its files include is its own or one of a library it names;
- every library it names has a header it includes;
- every system library it names provides a function or identifier its objects use, and every
  one its objects use comes from a system library it names (kernel32 and the C runtime, which
  every program links, aside);
- every library it links without headers (link-only) defines something its objects use;
- every function or object its objects leave undefined that a project library defines comes
  from itself or a library it links (named, link-only, and theirs in turn): a lower library
  that declares a higher one's function itself, without its header, is caught here. The
  program's own objects (library-map's "objects" of the program) are held to the same.

Usage: check-link-lines.py <library-map.txt> <source root> <nm> <c++ compiler>
Prints one line per fault and exits with 1 when there is any.
"""
import os
import re
import subprocess
import sys

BASE_LIBRARIES = {"kernel32", "msvcrt"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def read_map(path):
    libraries = {}
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, rest = line.rstrip("\n").partition(" ")
            words = rest.split()
            if key == "library":
                current = libraries.setdefault(words[0], {"name": words[0], "folder": None,
                                                          "files": [], "depends": [],
                                                          "libs": [], "archive": "",
                                                          "link-only": [], "objects": []})
                if len(words) > 1:
                    current["folder"] = words[1]
            elif key in ("files", "depends", "libs", "link-only", "objects"):
                current[key] += words
            elif key == "archive":
                current["archive"] = rest.strip()
    return libraries


def project_symbols(nm, paths):
    """The symbols the objects define, and those they leave undefined, as nm names them."""
    out = subprocess.run([nm] + paths, capture_output=True, text=True, check=True).stdout
    undefined, defined = set(), set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 2 and parts[0] == "U":
            undefined.add(parts[1])
        elif len(parts) == 3 and parts[1] in "TDRBCVW":
            defined.add(parts[2])
    return undefined - defined, defined


def linked(libraries, name):
    """The project libraries name links: those it names and links without headers, and theirs."""
    seen, todo = set(), [name]
    while todo:
        lib = libraries.get(todo.pop())
        for other in (lib["depends"] + lib["link-only"]) if lib else []:
            if other not in seen:
                seen.add(other)
                todo.append(other)
    return seen


def check_project_symbols(libraries, symbols, faults):
    definers = {}
    for name, (_, defined) in symbols.items():
        for symbol in defined:
            definers.setdefault(symbol, set()).add(name)
    for name, (undefined, _) in symbols.items():
        reach = linked(libraries, name) | {name}
        for symbol in sorted(undefined):
            defined_by = definers.get(symbol)
            if defined_by and not defined_by & reach:
                faults.append(f"{name} uses {symbol} of {' or '.join(sorted(defined_by))}, "
                              "which it does not link")


def system_symbols(nm, compiler, name, cache):
    if name not in cache:
        path = subprocess.run([compiler, f"-print-file-name=lib{name}.a"], capture_output=True,
                              text=True, check=True).stdout.strip()
        symbols = set()
        if os.path.isabs(path) and os.path.exists(path):
            out = subprocess.run([nm, "--defined-only", path], capture_output=True, text=True,
                                 check=True).stdout
            symbols = {line.split()[-1] for line in out.splitlines() if len(line.split()) == 3}
        cache[name] = symbols
    return cache[name]


def main():
    map_path, source_root, nm, compiler = sys.argv[1:5]
    libraries = read_map(map_path)
    faults = []

    owner = {}
    for lib in libraries.values():
        for path in lib["files"]:
            if path.endswith(".h"):
                owner[os.path.relpath(path, os.path.join(source_root, "src"))] = lib["name"]

    for lib in libraries.values():
        if lib["folder"] is None:
            continue
        used = set()
        for path in lib["files"]:
            with open(path, encoding="utf-8") as f:
                text = f.read()
            shown = os.path.relpath(path, source_root)
            for header in INCLUDE.findall(text):
                if header.startswith("."):
                    faults.append(f"{shown} includes \"{header}\": name a header from its "
                                  "library's folder, never relative to the file")
                    continue
                library = owner.get(header)
                if library is None:
                    faults.append(f"{shown} includes \"{header}\", which no library holds")
                elif library != lib["name"]:
                    used.add(library)
                    if library not in lib["depends"]:
                        faults.append(f"{lib['name']}: {shown} includes \"{header}\" of "
                                      f"{library}, which its link line does not name")
        for named in lib["depends"]:
            if named not in used:
                faults.append(f"{lib['name']} names {named}, but includes none of its headers")

    cache = {}
    archives, symbols = {}, {}
    for lib in libraries.values():
        paths = [lib["archive"]] if lib["archive"] else lib["objects"]
        if paths:
            symbols[lib["name"]] = project_symbols(nm, paths)
        if lib["archive"]:
            archives[lib["name"]] = symbols[lib["name"]]
    for lib in libraries.values():
        if lib["name"] not in archives:
            continue
        undefined, _ = archives[lib["name"]]
        named = {re.sub(r"^delay_", "", l) for l in lib["libs"]}
        providers = {}
        for system in named | {"advapi32", "shell32", "ole32", "oleaut32", "uuid", "user32",
                               "gdi32", "comctl32", "psapi", "netapi32", "ntdll", "rpcrt4",
                               "version", "gdiplus", "shlwapi", "userenv", "kernel32",
                               "msvcrt"}:
            for symbol in undefined & system_symbols(nm, compiler, system, cache):
                providers.setdefault(symbol, set()).add(system)
        for system in sorted(named - BASE_LIBRARIES):
            if not any(system in p for p in providers.values()):
                faults.append(f"{lib['name']} names the system library {system}, but calls "
                              "nothing of it")
        for symbol, libs in sorted(providers.items()):
            if not (libs & (named | BASE_LIBRARIES)):
                faults.append(f"{lib['name']} uses {symbol} of {' or '.join(sorted(libs))}, "
                              "which its link line does not name")
        for other in lib["link-only"]:
            if other not in archives or not (undefined & archives[other][1]):
                faults.append(f"{lib['name']} links {other} without headers, but uses "
                              "nothing it defines")

    check_project_symbols(libraries, symbols, faults)

    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"The link lines of {len(libraries)} libraries name what they use, and only that.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
