#!/usr/bin/env python3
"""check-crash-address.py OBJDUMP ADDR2LINE SDK DLL EXPORT SOURCE: what a maker does with a crash
address from the field. The shipped DLL (stripped) must name its debug file in debug/ (with that
file's CRC); the address of the exported function EXPORT (a mangled name), taken from the
shipped DLL's export table, must come out of addr2line on the debug file as that function in
SOURCE (a path ending), at a line of its definition there."""
import os
import re
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from pe_image import PeImage  # noqa: E402

objdump, addr2line, sdk, dll, export, source = sys.argv[1:7]
shipped = os.path.join(sdk, "bin", dll)
debug = os.path.join(sdk, "debug", dll + ".debug")
image = PeImage(shipped)

link = image.debug_link()
with open(debug, "rb") as file:
    crc = zlib.crc32(file.read())
if link != (os.path.basename(debug), crc):
    sys.exit(f"{shipped} links {link}, not {debug} (CRC {crc:#010x})")

# The name table maps a name to its slot in the address table, which holds the RVA.
table = subprocess.run([objdump, "-p", shipped], check=True, capture_output=True, text=True).stdout
slot = re.search(r"^\[Ordinal/Name Pointer\] Table\n(?:\t\[.*\n)*?\t\[\s*(\d+)\] " + re.escape(export) + "$", table, re.M)
if slot is None:
    sys.exit(f"{shipped} does not export {export}")
rva = re.search(r"^\t\[\s*" + slot.group(1) + r"\] \+base\[\s*\d+\] ([0-9a-f]+) Export RVA$", table, re.M)
address = image.image_base + int(rva.group(1), 16)
# As from a crash: the address in the module as loaded at its preferred base.
answer = subprocess.run([addr2line, "-f", "-C", "-e", debug, hex(address)],
                        check=True, capture_output=True, text=True).stdout.splitlines()
print(f"{dll}: {export} at {address:#x} -> {' '.join(answer)}")
function, place = answer[0], answer[1]
demangled = subprocess.run([objdump.replace("objdump", "c++filt"), "--no-strip-underscore", export],
                           check=True, capture_output=True, text=True).stdout.strip()
qualified = demangled.split("(")[0]
# The 32-bit addr2line names the function by its mangled name, without the leading underscore.
if function.split("(")[0] != qualified and function.lstrip("_") != export.lstrip("_"):
    sys.exit(f"addr2line names {function}, not {demangled}")
file_part, _, line = place.partition(":")
if not file_part.replace("\\", "/").endswith("/" + source):
    sys.exit(f"addr2line places it in {file_part}, not in {source}")
definition = "::".join(qualified.split("::")[-2:]) + "("
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", source)) as file:
    text = file.read().splitlines()
start = next((number for number, content in enumerate(text, 1) if definition in content), None)
end = next((number for number in range(start or 1, len(text) + 1) if text[number - 1] == "}"), None)
if start is None or end is None or not start <= int(line.split()[0]) <= end:
    sys.exit(f"addr2line gives line {line}, outside {definition}...) of {source} (lines {start} to {end})")
