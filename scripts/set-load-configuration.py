#!/usr/bin/env python3
"""set-load-configuration.py DLL: points the PE header's load-configuration entry of a freshly
linked (not yet stripped) image at the structure the image defines as _load_config_used; GNU ld
links the structure but leaves the entry empty. The entry's size is the structure's own Size
field, as the loader expects. Fails when the image has no such structure."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_image import DIRECTORY_LOAD_CONFIGURATION, MACHINE_I386, PeImage  # noqa: E402

image = PeImage(sys.argv[1])
# C names carry a leading underscore in 32-bit x86 symbol tables.
wanted = "__load_config_used" if image.machine == MACHINE_I386 else "_load_config_used"
rva = next((rva for name, rva in image.symbols() if name == wanted), None)
if rva is None:
    sys.exit(f"{image.path}: no {wanted} in the symbol table (link it before stripping)")
size = struct.unpack_from("<I", image.data, image.file_offset(rva))[0]
image.set_directory(DIRECTORY_LOAD_CONFIGURATION, rva, size)
image.save()
