#!/usr/bin/python3
"""Checks the help sources in this folder and, optionally, a compiled help.chm.

    python3 check_help.py                 # sources only
    python3 check_help.py path/help.chm   # sources, then the compiled file

Source checks: every page is plain ASCII, names style.css and has a title;
help.hhp holds the required options and lists exactly the pages and
style.css; every local link, contents entry and index entry points to an
existing page and, where it names one, an existing anchor; web links go only
to the zandor.example domain.

Compiled file checks: the ITSF directory of the .chm lists every file of the
project and the contents and index files, and its #SYSTEM record names the
title, default topic, contents file, index file and language of help.hhp.
Exits with status 1 and one line per fault when anything is wrong.
"""

import os
import re
import struct
import sys
from html.parser import HTMLParser

HERE = os.path.dirname(os.path.abspath(__file__))

REQUIRED_PAGES = [
    "index.htm", "main_window.htm", "menu_file.htm", "menu_edit.htm",
    "menu_view.htm", "menu_settings.htm", "menu_help.htm", "dialog_modify.htm",
    "wizard.htm", "about_box.htm", "task_enable.htm", "task_disable.htm",
    "task_delete.htm", "task_rename.htm", "task_export.htm", "task_import.htm",
    "task_restore.htm",
    "files_and_backups.htm", "languages.htm", "troubleshooting.htm",
]

REQUIRED_OPTIONS = {
    "compiled file": "help.chm",
    "default topic": "index.htm",
    "title": "Zandor Extension Pack Help",
    "contents file": "toc.hhc",
    "index file": "index.hhk",
    "language": "0x409",
}

WEB_LINK = re.compile(r"^https://([a-z0-9-]+\.)*zandor\.example/")


class PageParser(HTMLParser):
    """Collects links, anchors, the title, style sheets and sitemap params."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.hrefs, self.anchors, self.styles, self.locals = [], set(), [], []
        self.title, self._in_title = "", False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a":
            if "href" in a:
                self.hrefs.append(a["href"])
            if "name" in a:
                self.anchors.add(a["name"])
        if "id" in a:
            self.anchors.add(a["id"])
        if tag == "link" and a.get("rel", "").lower() == "stylesheet":
            self.styles.append(a.get("href", ""))
        if tag == "param" and (a.get("name") or "").lower() == "local":
            self.locals.append(a.get("value", ""))
        if tag == "title":
            self._in_title = True

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


def parse_file(path):
    with open(path, "rb") as f:
        raw = f.read()
    parser = PageParser()
    parser.feed(raw.decode("cp1252"))
    parser.close()
    return raw, parser


def read_hhp(path):
    """Returns ({option lower-case: value}, [files]) of a help project."""
    options, files, section = {}, [], None
    with open(path, encoding="cp1252") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].upper()
            elif section == "OPTIONS" and "=" in line:
                key, value = line.split("=", 1)
                options[key.strip().lower()] = value.strip()
            elif section == "FILES":
                files.append(line)
    return options, files


def check_target(target, where, pages, faults):
    """A local link target "page.htm" or "page.htm#anchor" must exist."""
    page, _, anchor = target.partition("#")
    if page not in pages:
        faults.append("%s: link to missing page %r" % (where, target))
    elif anchor and anchor not in pages[page].anchors:
        faults.append("%s: link to missing anchor %r" % (where, target))


def check_sources(folder=HERE):
    faults = []
    options, files = read_hhp(os.path.join(folder, "help.hhp"))
    for key, want in REQUIRED_OPTIONS.items():
        if options.get(key) != want:
            faults.append("help.hhp: option %r is %r, expected %r" % (key, options.get(key), want))

    on_disk = sorted(n for n in os.listdir(folder) if n.endswith(".htm"))
    listed_pages = sorted(n for n in files if n.endswith(".htm"))
    if listed_pages != on_disk:
        faults.append("help.hhp: [FILES] pages %s differ from the pages on disk %s" % (listed_pages, on_disk))
    for name in files:
        if not os.path.isfile(os.path.join(folder, name)):
            faults.append("help.hhp: listed file %r does not exist" % name)
    if "style.css" not in files:
        faults.append("help.hhp: style.css is not listed in [FILES]")
    for name in REQUIRED_PAGES:
        if name not in on_disk:
            faults.append("required page %r is missing" % name)

    pages = {}
    for name in on_disk:
        raw, parser = parse_file(os.path.join(folder, name))
        pages[name] = parser
        bad = sorted({b for b in raw if b > 0x7E or (b < 0x20 and b not in (9, 10, 13))})
        if bad:
            faults.append("%s: bytes outside printable ASCII: %s" % (name, bad))
        if parser.styles != ["style.css"]:
            faults.append("%s: style sheets %r, expected exactly style.css" % (name, parser.styles))
        if not parser.title.strip():
            faults.append("%s: no title" % name)

    for name, parser in pages.items():
        for href in parser.hrefs:
            if href.startswith(("http://", "https://", "mailto:", "ftp://")):
                if not WEB_LINK.match(href):
                    faults.append("%s: web link outside zandor.example: %r" % (name, href))
            elif href.startswith("#"):
                check_target(name + href, name, pages, faults)
            else:
                check_target(href, name, pages, faults)

    for sitemap in ("toc.hhc", "index.hhk"):
        path = os.path.join(folder, sitemap)
        if not os.path.isfile(path):
            faults.append("%s is missing" % sitemap)
            continue
        _, parser = parse_file(path)
        if not parser.locals:
            faults.append("%s: no entries" % sitemap)
        for target in parser.locals:
            check_target(target, sitemap, pages, faults)
        if sitemap == "toc.hhc":
            missing = sorted(set(on_disk) - {t.partition("#")[0] for t in parser.locals})
            if missing:
                faults.append("toc.hhc: pages not in the contents: %s" % missing)
    return faults


# --- compiled file -------------------------------------------------------

def _encint(data, pos):
    """Reads one ENCINT (7 bits per byte, high bit = more) at pos."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def chm_directory(data):
    """Returns {name: (section, offset, length)} from the ITSF directory."""
    if data[:4] != b"ITSF":
        raise ValueError("not an ITSF file")
    version = struct.unpack_from("<I", data, 4)[0]
    dir_offset, _dir_len = struct.unpack_from("<QQ", data, 0x48)
    content_offset = struct.unpack_from("<Q", data, 0x58)[0] if version >= 3 else None
    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    header_len = struct.unpack_from("<I", data, dir_offset + 8)[0]
    chunk_size = struct.unpack_from("<I", data, dir_offset + 0x10)[0]
    n_chunks = struct.unpack_from("<I", data, dir_offset + 0x2C)[0]
    entries = {}
    for i in range(n_chunks):
        start = dir_offset + header_len + i * chunk_size
        chunk = data[start:start + chunk_size]
        if chunk[:4] != b"PMGL":
            continue  # index (PMGI) chunks repeat names only
        free = struct.unpack_from("<I", chunk, 4)[0]
        pos, end = 0x14, chunk_size - free
        while pos < end:
            n, pos = _encint(chunk, pos)
            name = chunk[pos:pos + n].decode("utf-8")
            pos += n
            section, pos = _encint(chunk, pos)
            offset, pos = _encint(chunk, pos)
            length, pos = _encint(chunk, pos)
            entries[name] = (section, offset, length)
    if content_offset is None:
        content_offset = dir_offset + header_len + n_chunks * chunk_size
    return entries, content_offset


def chm_system(data, entries, content_offset):
    """Returns {code: bytes} of the uncompressed #SYSTEM record."""
    section, offset, length = entries["/#SYSTEM"]
    if section != 0:
        raise ValueError("#SYSTEM is not in the uncompressed section")
    blob = data[content_offset + offset:content_offset + offset + length]
    records, pos = {}, 4  # DWORD version first
    while pos + 4 <= len(blob):
        code, size = struct.unpack_from("<HH", blob, pos)
        records[code] = blob[pos + 4:pos + 4 + size]
        pos += 4 + size
    return records


def _text(record):
    return record.split(b"\0", 1)[0].decode("cp1252")


def check_chm(path, folder=HERE):
    faults = []
    with open(path, "rb") as f:
        data = f.read()
    try:
        entries, content_offset = chm_directory(data)
    except (ValueError, struct.error, IndexError) as exc:
        return ["%s: unreadable directory: %s" % (path, exc)]
    options, files = read_hhp(os.path.join(folder, "help.hhp"))
    for name in files + [options.get("contents file", ""), options.get("index file", "")]:
        if "/" + name not in entries:
            faults.append("%s: %s is not in the compiled file" % (path, name))
    if "/#SYSTEM" not in entries:
        return faults + ["%s: no #SYSTEM record" % path]
    system = chm_system(data, entries, content_offset)
    expected = {0: options.get("contents file"), 1: options.get("index file"),
                2: options.get("default topic"), 3: options.get("title")}
    for code, want in expected.items():
        got = _text(system[code]) if code in system else None
        if got != want:
            faults.append("%s: #SYSTEM code %d is %r, expected %r" % (path, code, got, want))
    if 4 in system:
        lcid = struct.unpack_from("<I", system[4], 0)[0]
        if lcid != int(options.get("language", "0"), 16):
            faults.append("%s: language 0x%x, expected %s" % (path, lcid, options.get("language")))
    else:
        faults.append("%s: #SYSTEM holds no language" % path)
    return faults


def main(argv):
    faults = check_sources()
    for chm in filter(None, argv[1:]):  # an empty argument: no compiled file
        faults += check_chm(chm)
    for fault in faults:
        print(fault)
    if not faults:
        print("help: all checks passed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
