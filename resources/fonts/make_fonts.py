#!/usr/bin/python3
"""Makes the bundle's seven font files from free fonts that Debian ships.

The text faces are Liberation Sans, renamed so that they register under the
PostScript names the theme asks for. The icon font is the Font Awesome web font
with 24 of its pictograms mapped to the private-use code points U+E900..U+E923
and renamed "icomoon". Both are under the SIL Open Font License; a renamed font
is a modified font, so the licence texts are copied beside the files.
"""
import argparse
import os
import shutil
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

LIBERATION = "/usr/share/fonts/truetype/liberation2"
AWESOME = "/usr/share/fonts/truetype/font-awesome/fontawesome-webfont.ttf"
FAMILY = "SF Pro Text"

# file name, source face, PostScript name, style name, OS/2 weight class, italic
TEXT_FACES = [
    ("SFProText-Heavy.ttf", "LiberationSans-Bold.ttf", "SFProText-Heavy", "Heavy", 800, False),
    ("SFProText-Medium.ttf", "LiberationSans-Regular.ttf", "SFProText-Medium", "Medium", 500, False),
    ("SFProText-Regular.ttf", "LiberationSans-Regular.ttf", "SFProText-Regular", "Regular", 400, False),
    ("SFProText-HeavyItalic.ttf", "LiberationSans-BoldItalic.ttf", "SFProText-HeavyItalic", "Heavy Italic", 800, True),
    ("SFProText-MediumItalic.ttf", "LiberationSans-Italic.ttf", "SFProText-MediumItalic", "Medium Italic", 500, True),
    ("SFProText-RegularItalic.ttf", "LiberationSans-Italic.ttf", "SFProText-Italic", "Italic", 400, True),
]

# Private-use code point of each icon and the source pictogram that fits its name.
ICONS = {
    0xE902: 0xF004,  # Favorites: heart
    0xE904: 0xF19D,  # Tutorial: graduation cap
    0xE901: 0xF017,  # WaitingList: clock
    0xE903: 0xF1DA,  # Recents: history
    0xE907: 0xF05A,  # Informations: info circle
    0xE906: 0xF121,  # Developer: code
    0xE905: 0xF00D,  # Close: cross
    0xE908: 0xF0E7,  # Flash: bolt
    0xE909: 0xF006,  # StarEmpty: star outline
    0xE910: 0xF005,  # StarFull: star
    0xE911: 0xF053,  # ArrowLeft: chevron left
    0xE900: 0xF054,  # ArrowRight: chevron right
    0xE912: 0xF141,  # MorePoints: horizontal ellipsis
    0xE913: 0xF014,  # TrashLines: trash outline
    0xE914: 0xF1F8,  # TrashNoLines: solid trash
    0xE915: 0xF021,  # DoubleLoop: refresh
    0xE916: 0xF014,  # TrashEmpty: trash outline
    0xE917: 0xF083,  # PhotoCircle: camera retro
    0xE918: 0xF030,  # PhotoDetail: camera
    0xE919: 0xF10C,  # RadioUnchecked: empty circle
    0xE920: 0xF03E,  # Mountain: picture
    0xE921: 0xF0C9,  # ThreeBars: bars
    0xE922: 0xF142,  # ThreeDots: vertical ellipsis
    0xE923: 0xF00A,  # Grid: grid
}


def set_names(font, family, style, postscript, full, italic=False):
    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in (1, 2, 3, 4, 6, 16, 17, 21, 22)]
    for name_id, text in ((1, family), (2, "Italic" if italic else "Regular"),
                          (3, postscript + "; vistrel build"), (4, full), (6, postscript),
                          (16, family), (17, style)):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)


def make_text_face(out_dir, file_name, source, postscript, style, weight, italic):
    font = TTFont(os.path.join(LIBERATION, source))
    set_names(font, FAMILY, style, postscript, FAMILY + " " + style, italic)
    font["OS/2"].usWeightClass = weight
    font.save(os.path.join(out_dir, file_name))


def make_icon_font(out_dir):
    font = TTFont(AWESOME)
    source = font.getBestCmap()
    mapping = {}
    for code, pictogram in ICONS.items():
        if pictogram not in source:
            sys.exit("icon font: source pictogram U+%04X missing" % pictogram)
        mapping[code] = source[pictogram]
    subtable = CmapSubtable.newSubtable(4)
    subtable.platformID, subtable.platEncID, subtable.language = 3, 1, 0
    subtable.cmap = mapping
    unicode_subtable = CmapSubtable.newSubtable(4)
    unicode_subtable.platformID, unicode_subtable.platEncID, unicode_subtable.language = 0, 3, 0
    unicode_subtable.cmap = dict(mapping)
    font["cmap"].tables = [unicode_subtable, subtable]
    set_names(font, "icomoon", "Regular", "icomoon", "icomoon")
    font.save(os.path.join(out_dir, "icomoon.ttf"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out_dir")
    args = parser.parse_args()
    os.makedirs(args.out_dir, exist_ok=True)
    for face in TEXT_FACES:
        make_text_face(args.out_dir, *face)
    make_icon_font(args.out_dir)
    shutil.copyfile("/usr/share/doc/fonts-liberation2/copyright",
                    os.path.join(args.out_dir, "LICENSE-text-fonts.txt"))
    shutil.copyfile("/usr/share/doc/fonts-font-awesome/copyright",
                    os.path.join(args.out_dir, "LICENSE-icon-font.txt"))


if __name__ == "__main__":
    main()
