#!/usr/bin/env python3
"""Checks that the help project maps the help context numbers of
common/help_contexts.h, no more and no fewer, each to the same number, and
that each has a topic alias; the build stops when they differ.

usage: check_help_project.py <help_contexts.h> <aurivex.hhp> <stamp file to touch>
"""

import pathlib
import re
import sys


def header_contexts(text):
    return {name: int(number) for name, number in
            re.findall(r"constexpr uint32_t (IDH_\w+) = (\d+);", text)}


def project_sections(text):
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], [])
        elif line and current is not None:
            current.append(line)
    return sections


def main(header_path, project_path, stamp):
    header = header_contexts(pathlib.Path(header_path).read_text())
    sections = project_sections(pathlib.Path(project_path).read_text(encoding="latin-1"))
    mapped = {}
    for line in sections.get("MAP", []):
        match = re.fullmatch(r"#define\s+(\w+)\s+(\d+)", line)
        if match:
            mapped[match.group(1)] = int(match.group(2))
    aliased = {line.split("=", 1)[0].strip() for line in sections.get("ALIAS", []) if "=" in line}
    problems = []
    for name in sorted(set(header) | set(mapped)):
        if header.get(name) != mapped.get(name):
            problems.append(f"{name}: {header_path} says {header.get(name)}, {project_path} [MAP] says {mapped.get(name)}")
        elif name not in aliased:
            problems.append(f"{name}: no topic in {project_path} [ALIAS]")
    if problems:
        sys.exit("the help project does not match the help context numbers:\n  " + "\n  ".join(problems))
    pathlib.Path(stamp).touch()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
