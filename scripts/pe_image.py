"""Reads (and patches) the headers of a PE file: what the build's post-link step and the PE
check need, from the file alone, on any machine."""
import struct

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664
DIRECTORY_SECURITY = 4
DIRECTORY_BASE_RELOCATION = 5
DIRECTORY_LOAD_CONFIGURATION = 10


class Section:
    def __init__(self, name, virtual_size, virtual_address, raw_size, raw_offset, characteristics):
        self.name = name
        self.virtual_size = virtual_size
        self.virtual_address = virtual_address
        self.raw_size = raw_size
        self.raw_offset = raw_offset
        self.characteristics = characteristics


class PeImage:
    def __init__(self, path):
        self.path = path
        with open(path, "rb") as file:
            self.data = bytearray(file.read())
        data = self.data
        if data[:2] != b"MZ":
            raise ValueError(f"{path}: not a PE file")
        self.pe_offset = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe_offset:self.pe_offset + 4] != b"PE\0\0":
            raise ValueError(f"{path}: not a PE file")
        coff = self.pe_offset + 4
        (self.machine, section_count, _, self.symbol_table_offset, self.symbol_count,
         optional_size, self.characteristics) = struct.unpack_from("<HHIIIHH", data, coff)
        self.optional = coff + 20
        magic = struct.unpack_from("<H", data, self.optional)[0]
        self.is64 = magic == 0x20B
        self.image_base = struct.unpack_from("<Q" if self.is64 else "<I", data, self.optional + (24 if self.is64 else 28))[0]
        self.dll_characteristics = struct.unpack_from("<H", data, self.optional + 70)[0]
        self.directory_count = struct.unpack_from("<I", data, self.optional + (108 if self.is64 else 92))[0]
        self.directories = self.optional + (112 if self.is64 else 96)
        self.strings = self.symbol_table_offset + 18 * self.symbol_count if self.symbol_table_offset else 0
        self.sections = []
        at = self.optional + optional_size
        for _ in range(section_count):
            raw_name, virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, at)
            characteristics = struct.unpack_from("<I", data, at + 36)[0]
            self.sections.append(Section(self._section_name(raw_name), virtual_size, virtual_address,
                                         raw_size, raw_offset, characteristics))
            at += 40

    def _string(self, offset):
        start = self.strings + offset
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def _section_name(self, raw):
        name = raw.rstrip(b"\0").decode("latin-1")
        # Names past eight characters live in the string table after the symbols: "/offset".
        if name.startswith("/") and self.strings:
            return self._string(int(name[1:]))
        return name

    def directory(self, index):
        if index >= self.directory_count:
            return 0, 0
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def set_directory(self, index, rva, size):
        struct.pack_into("<II", self.data, self.directories + 8 * index, rva, size)

    def file_offset(self, rva):
        for section in self.sections:
            if section.virtual_address <= rva < section.virtual_address + max(section.virtual_size, section.raw_size):
                return section.raw_offset + rva - section.virtual_address
        raise ValueError(f"{self.path}: RVA {rva:#x} is in no section")

    def symbols(self):
        """(name, rva) of every symbol defined in a section."""
        at = self.symbol_table_offset
        index = 0
        while index < self.symbol_count:
            raw_name, value, section_number, _, _, aux_count = struct.unpack_from("<8sIhHBB", self.data, at + 18 * index)
            if raw_name[:4] == b"\0\0\0\0":
                name = self._string(struct.unpack_from("<I", raw_name, 4)[0])
            else:
                name = raw_name.rstrip(b"\0").decode("latin-1")
            if 0 < section_number <= len(self.sections):
                yield name, self.sections[section_number - 1].virtual_address + value
            index += 1 + aux_count

    def debug_link(self):
        """(file name, CRC-32) that .gnu_debuglink names, or None."""
        link = next((s for s in self.sections if s.name == ".gnu_debuglink"), None)
        if link is None:
            return None
        content = bytes(self.data[link.raw_offset:link.raw_offset + link.virtual_size])
        name = content[:content.index(b"\0")].decode()
        # The name, its terminating zero, padding to four bytes, then the CRC.
        crc = struct.unpack_from("<I", content, (len(name) + 4) // 4 * 4)[0]
        return name, crc

    def save(self):
        with open(self.path, "wb") as file:
            file.write(self.data)
