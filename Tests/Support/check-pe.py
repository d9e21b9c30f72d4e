#!/usr/bin/env python3
"""check-pe.py SDK VERSION OURS...: judges every DLL of the installed SDK's bin/ from its file, as
a maker's release is judged, prints one row per DLL and fails when a DLL breaks a rule.
Every DLL: ASLR (DYNAMIC_BASE, and HIGH_ENTROPY_VA when 64-bit) with relocations, DEP
(NX_COMPAT), no section both writable and executable or shared and writable, an Authenticode
signature, no symbol table, no DWARF. OURS (names of the SDK's own DLLs) also: a stack guard
referenced (seen in debug/<dll>.debug, the file the stripped DLL links to), a version resource of
VERSION, and a load configuration with DependentLoadFlags 0x900. Control Flow Guard and CET
shadow-stack compatibility are listed as not available: GCC 12 builds neither."""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from pe_image import (DIRECTORY_BASE_RELOCATION, DIRECTORY_LOAD_CONFIGURATION,  # noqa: E402
                      DIRECTORY_SECURITY, MACHINE_I386, PeImage)

HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT = 0x20, 0x40, 0x100
RELOCS_STRIPPED = 0x1
SCN_SHARED, SCN_EXECUTE, SCN_WRITE = 0x10000000, 0x20000000, 0x80000000
CERTIFICATE_PKCS_SIGNED_DATA = 2
FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)
DEPENDENT_LOAD_FLAGS = 0x900  # LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32


def verdict(passed):
    return "ok" if passed else "FAIL"


def signed(image):
    offset, size = image.directory(DIRECTORY_SECURITY)  # a file offset, not an RVA
    if not size or offset + 8 > len(image.data):
        return False
    return struct.unpack_from("<H", image.data, offset + 6)[0] == CERTIFICATE_PKCS_SIGNED_DATA


def file_version(image):
    section = next((s for s in image.sections if s.name == ".rsrc"), None)
    if section is None:
        return None
    resources = bytes(image.data[section.raw_offset:section.raw_offset + section.raw_size])
    at = resources.find(FIXED_FILE_INFO_SIGNATURE)
    if at < 0:
        return None
    most, least = struct.unpack_from("<II", resources, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def dependent_load_flags(image):
    rva, size = image.directory(DIRECTORY_LOAD_CONFIGURATION)
    offset = 0x36 if image.machine == MACHINE_I386 else 0x4E
    if not rva or size < offset + 2:
        return None
    at = image.file_offset(rva)
    if struct.unpack_from("<I", image.data, at)[0] != size:
        return None
    return struct.unpack_from("<H", image.data, at + offset)[0]


def stack_guard(image, debug_path, machine):
    """Whether the DLL's own debug file (linked by name and CRC) holds the stack guard."""
    if not os.path.exists(debug_path):
        return False
    with open(debug_path, "rb") as file:
        if image.debug_link() != (os.path.basename(debug_path), zlib.crc32(file.read())):
            return False
    prefix = "_" if machine == MACHINE_I386 else ""
    names = {name for name, _ in PeImage(debug_path).symbols()}
    return {prefix + "__stack_chk_fail", prefix + "__stack_chk_guard"} <= names


def main():
    sdk, version, ours = sys.argv[1], sys.argv[2], set(sys.argv[3:])
    bin_dir = os.path.join(sdk, "bin")
    dlls = sorted(name for name in os.listdir(bin_dir) if name.lower().endswith(".dll"))
    missing = ours - set(dlls)
    columns = ["DLL", "ASLR", "HighEntropyVA", "Relocs", "NX", "W+X/Shared+W", "Signed", "NoSymbols",
               "NoDWARF", "StackGuard", "Version", "DependentLoadFlags", "CFG", "CET"]
    rows = []
    for name in dlls:
        image = PeImage(os.path.join(bin_dir, name))
        characteristics = image.dll_characteristics
        writable_code = [s.name for s in image.sections if s.characteristics & SCN_WRITE
                         and s.characteristics & (SCN_EXECUTE | SCN_SHARED)]
        row = [name,
               verdict(characteristics & DYNAMIC_BASE),
               verdict(characteristics & HIGH_ENTROPY_VA) if image.is64 else "n/a (32-bit)",
               verdict(image.directory(DIRECTORY_BASE_RELOCATION)[1] and not image.characteristics & RELOCS_STRIPPED),
               verdict(characteristics & NX_COMPAT),
               verdict(not writable_code) if not writable_code else "FAIL " + ",".join(writable_code),
               verdict(signed(image)),
               verdict(image.symbol_count == 0),
               verdict(not any(s.name.startswith((".debug_", ".zdebug_")) for s in image.sections))]
        if name in ours:
            found = file_version(image)
            flags = dependent_load_flags(image)
            row += [verdict(stack_guard(image, os.path.join(sdk, "debug", name + ".debug"), image.machine)),
                    "ok " + version if found == version else f"FAIL {found}",
                    "ok 0x900" if flags == DEPENDENT_LOAD_FLAGS else f"FAIL {flags if flags is None else hex(flags)}"]
        else:
            row += ["-", "-", "-"]
        row += ["n/a (GCC 12)", "n/a (GCC 12)"]
        rows.append(row)
    widths = [max(len(str(row[i])) for row in rows + [columns]) for i in range(len(columns))]
    for row in [columns] + rows:
        print("  ".join(str(cell).ljust(width) for cell, width in zip(row, widths)).rstrip())
    for name in sorted(missing):
        print(f"FAIL: {name} is not in {bin_dir}")
    failed = missing or any(str(cell).startswith("FAIL") for row in rows for cell in row)
    return 1 if failed else 0


sys.exit(main())
