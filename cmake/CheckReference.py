#!/usr/bin/env python3
"""The test "Reference": runs Doxygen over the public headers with warnings as errors, then
checks what this Doxygen does not warn about: every public enumerator must be documented too.
Usage: CheckReference.py DOXYGEN DOXYFILE XML_DIRECTORY"""
import glob
import os
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

doxygen, doxyfile, xml_directory = sys.argv[1:4]
status = subprocess.run([doxygen, doxyfile]).returncode
if status != 0:
    print(f"Doxygen reported warnings (exit status {status}): see above.")

undocumented = []
for path in sorted(glob.glob(os.path.join(xml_directory, "*.xml"))):
    for member in ElementTree.parse(path).iter("memberdef"):
        if member.get("kind") != "enum" or member.get("prot") == "private":
            continue
        enum = member.findtext("qualifiedname") or member.findtext("name")
        location = member.find("location")
        for value in member.iter("enumvalue"):
            text = "".join(value.find("briefdescription").itertext()).strip()
            text += "".join(value.find("detaileddescription").itertext()).strip()
            if not text:
                undocumented.append(f"{location.get('file')}:{location.get('line')}: enumerator "
                                    f"{enum}::{value.findtext('name')} is not documented.")
for line in sorted(set(undocumented)):
    print(line)
sys.exit(1 if status != 0 or undocumented else 0)
