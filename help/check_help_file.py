#!/usr/bin/env python3
"""Checks a compiled aurivex.chm: every topic of the help folder is inside,
unchanged; the default topic is the overview; and the context map answers
every help context number of the configuration dialog with its page's topic.

usage: check_help_file.py <extract_chmLib> <aurivex.chm> <help source folder>
"""

import pathlib
import struct
import subprocess
import sys
import tempfile

# The context numbers the configuration dialog opens the help with, one per
# page, and the topic each must show.
EXPECTED_CONTEXTS = {
    6500: "about.htm",
    6510: "filtered_categories.htm",
    6520: "manual_classifications.htm",
    6530: "user_setup.htm",
    6540: "misc_settings.htm",
    6550: "custom_responses.htm",
    6560: "test_url.htm",
    6570: "logging.htm",
}
DEFAULT_TOPIC = "overview.htm"

# Record codes of the #SYSTEM file.
SYSTEM_DEFAULT_TOPIC = 2


def c_string(data, offset):
    end = data.index(b"\0", offset)
    return data[offset:end].decode("latin-1")


def system_records(data):
    """The records of #SYSTEM (a version, then code, length, bytes) by code."""
    records = {}
    offset = 4
    while offset + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, offset)
        records[code] = data[offset + 4:offset + 4 + length]
        offset += 4 + length
    return records


def context_map(ivb, strings):
    """#IVB: the byte count of the pairs, then (context number, offset of the
    topic name in #STRINGS) pairs. Returns the list of (number, topic)."""
    (size,) = struct.unpack_from("<I", ivb, 0)
    if size != len(ivb) - 4 or size % 8:
        raise ValueError(f"#IVB holds {len(ivb) - 4} bytes of pairs but says {size}")
    pairs = []
    for offset in range(4, len(ivb), 8):
        number, name_offset = struct.unpack_from("<II", ivb, offset)
        pairs.append((number, c_string(strings, name_offset)))
    return pairs


def check(archive, sources):
    faults = []

    for source in sorted(sources.glob("*.htm")) + sorted(sources.glob("*.css")):
        packed = archive / source.name
        if not packed.is_file():
            faults.append(f"{source.name} is missing from the help file")
        elif packed.read_bytes() != source.read_bytes():
            faults.append(f"{source.name} in the help file differs from its source")

    system = archive / "#SYSTEM"
    if not system.is_file():
        faults.append("the help file has no #SYSTEM")
    else:
        records = system_records(system.read_bytes())
        topic = records.get(SYSTEM_DEFAULT_TOPIC)
        default = c_string(topic, 0) if topic else None
        if default != DEFAULT_TOPIC:
            faults.append(f"default topic is {default!r}, not {DEFAULT_TOPIC!r}")

    ivb, strings = archive / "#IVB", archive / "#STRINGS"
    if not (ivb.is_file() and strings.is_file()):
        faults.append("the help file has no context map (#IVB and #STRINGS)")
        return faults
    pairs = context_map(ivb.read_bytes(), strings.read_bytes())
    numbers = [number for number, _ in pairs]
    for number in sorted({n for n in numbers if numbers.count(n) > 1}):
        faults.append(f"context {number} is mapped more than once")
    found = dict(pairs)
    for number, topic in EXPECTED_CONTEXTS.items():
        if number not in found:
            faults.append(f"context {number} is not mapped")
        elif found[number] != topic:
            faults.append(f"context {number} shows {found[number]!r}, not {topic!r}")
        elif not (archive / topic).is_file():
            faults.append(f"context {number} names {topic!r}, which the help file lacks")
    for number in sorted(set(found) - set(EXPECTED_CONTEXTS)):
        faults.append(f"context {number} ({found[number]!r}) is not a page of the dialog")
    return faults


def main():
    extractor, chm, sources = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
    with tempfile.TemporaryDirectory() as folder:
        result = subprocess.run([extractor, str(chm), folder], capture_output=True, text=True)
        if result.returncode != 0:
            print(f"{extractor} cannot open {chm}:\n{result.stdout}{result.stderr}")
            return 1
        faults = check(pathlib.Path(folder), sources)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
