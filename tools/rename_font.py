#!/usr/bin/python3
"""Writes resources/fonts/MonospaceTypewriter.ttf from Debian's Courier Prime regular.

Courier Prime is licensed under the SIL Open Font License 1.1 with the Reserved Font Name
"Courier Prime": a modified copy may not be presented under that name, so the family is
renamed to "MonospaceTypewriter". Only the naming changes; outlines, metrics and the
copyright and licence records (name IDs 0 and 13, which the OFL requires to stay) are kept.

Run once on a developer machine (needs Debian's python3-fonttools and fonts-courier-prime):
    /usr/bin/python3 tools/rename_font.py
The build never runs it; it only copies the committed result. Running it again gives the
same bytes, because the head table's modification time is left as it was.
"""

import os
import sys

from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/opentype/courier-prime/Courier Prime.otf"
RESERVED = "Courier Prime"
FAMILY = "MonospaceTypewriter"
POSTSCRIPT = FAMILY + "-Regular"

# Family, unique id, full name and typographic family carry the reserved name; the
# PostScript name is rebuilt because it may not contain blanks.
RENAMED_IDS = (1, 3, 4, 16)
POSTSCRIPT_ID = 6
# Copyright notice and licence description: the OFL requires them to travel with the font.
KEPT_IDS = (0, 13)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = os.path.join(here, "..", "resources", "fonts", FAMILY + ".ttf")

    font = TTFont(SOURCE, recalcTimestamp=False)
    name = font["name"]
    for record in name.names:
        if record.nameID in RENAMED_IDS:
            record.string = record.toUnicode().replace(RESERVED, FAMILY)
        elif record.nameID == POSTSCRIPT_ID:
            record.string = POSTSCRIPT

    cff = font["CFF "].cff
    top = cff[cff.fontNames[0]]
    top.FamilyName = FAMILY
    top.FullName = top.FullName.replace(RESERVED, FAMILY)
    cff.fontNames = [POSTSCRIPT]

    leftovers = [
        (r.nameID, r.toUnicode())
        for r in name.names
        if r.nameID not in KEPT_IDS and RESERVED.lower() in r.toUnicode().lower()
    ]
    if leftovers or RESERVED in top.FamilyName + top.FullName:
        sys.exit("reserved name still present: %r" % leftovers)

    font.save(target)
    print("written", os.path.normpath(target))


if __name__ == "__main__":
    main()
