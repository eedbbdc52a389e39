#!/usr/bin/python3
"""Self-check of the extension pack data.

Verifies pack/ (the extension files, the shared scripts and the registry files
shipped as .txt) against the catalog resources/NIMO_Ext.ini. Prints every
problem found and exits with status 1 when there is one, 0 otherwise.

Usage: python3 tools/check_pack.py [project folder]
"""

import os
import re
import sys

SECTION = "Available_Extensions"
GROUP_COUNTS = {"Translators": 6, "Lookup": 24, "Misc": 17}
SECTION_LIMIT = 10240  # characters of the manager's section buffer
REG_HEADER = "Windows Registry Editor Version 5.00"
MENUEXT_KEY = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\MenuExt\\"
PLACEHOLDER = "[PATH]"
CONTEXT_BITS = 0x3F  # page, image, control, table, selection, link
TEXT_SUFFIXES = (".htm", ".js", ".txt", ".ini")
QUOTED = re.compile(r'"(?:[^"\\\r\n]|\\.)*"|\'(?:[^\'\\\r\n]|\\.)*\'')
SCRIPT_SRC = re.compile(r'<script[^>]*\bsrc="([^"]+)"', re.IGNORECASE)


class Checker:
    def __init__(self, root):
        self.root = root
        self.pack = os.path.join(root, "pack")
        self.catalog = os.path.join(root, "resources", "NIMO_Ext.ini")
        self.errors = []

    def fail(self, message):
        self.errors.append(message)

    def pack_path(self, relative):
        """Path of a pack file given as written in the catalog (backslashes)."""
        return os.path.join(self.pack, *relative.split("\\"))

    def read_text(self, path):
        """File text; records non-ASCII bytes, a BOM and line ends other than CR LF."""
        with open(path, "rb") as f:
            data = f.read()
        name = os.path.relpath(path, self.root)
        if data.startswith(b"\xef\xbb\xbf"):
            self.fail("%s: starts with a byte-order mark" % name)
        try:
            text = data.decode("ascii")
        except UnicodeDecodeError as e:
            self.fail("%s: byte %d is not ASCII" % (name, e.start))
            text = data.decode("latin-1")
        if re.search(r"\r(?!\n)|(?<!\r)\n", text):
            self.fail("%s: has line ends other than CR LF" % name)
        if text and not text.endswith("\r\n"):
            self.fail("%s: last line does not end with CR LF" % name)
        return text

    # -- catalog -----------------------------------------------------------

    def read_catalog(self):
        """Entries of the catalog section as (category, [name, file, description, registry file])."""
        if not os.path.isfile(self.catalog):
            self.fail("catalog %s is missing" % self.catalog)
            return []
        lines = self.read_text(self.catalog).split("\r\n")
        if lines and lines[-1] == "":
            lines.pop()
        header = "[%s]" % SECTION
        if header not in lines:
            self.fail("catalog: no %s section" % header)
            return []
        start = lines.index(header) + 1
        end = start
        while end < len(lines) and not lines[end].startswith("["):
            end += 1
        section = lines[start:end]
        size = sum(len(line) + 1 for line in section)
        print("catalog section: %d lines, %d characters" % (len(section), size))
        if size >= SECTION_LIMIT:
            self.fail("catalog section has %d characters, the limit is %d" % (size, SECTION_LIMIT))

        entries = []
        for line in section:
            if not line.strip() or line.startswith(";"):
                continue
            if "=" not in line:
                self.fail("catalog: line without '=': %s" % line)
                continue
            category, value = line.split("=", 1)
            fields = value.split(";")
            if len(fields) != 4 or not all(f.strip() for f in fields):
                self.fail("catalog: entry needs four non-empty fields: %s" % line)
                continue
            entries.append((category, fields))
        return entries

    def check_catalog(self, entries):
        counts = dict((group, 0) for group in GROUP_COUNTS)
        names = set()
        for category, (name, file_, _description, reg) in entries:
            if category not in GROUP_COUNTS:
                self.fail("catalog: unknown category %s" % category)
                continue
            counts[category] += 1
            if name in names:
                self.fail("catalog: display name %r used twice" % name)
            names.add(name)
            if not re.match(r"^%s\\[A-Za-z]+\.htm$" % category, file_):
                self.fail("catalog: file %r is not %s\\<letters>.htm" % (file_, category))
            if not re.match(r"^Reg_Files\\%s\\[A-Za-z]+\.reg$" % category, reg):
                self.fail("catalog: registry file %r is not Reg_Files\\%s\\<letters>.reg" % (reg, category))
            if not os.path.isfile(self.pack_path(file_)):
                self.fail("catalog: %s names %s, which does not exist" % (name, file_))
            if not os.path.isfile(self.pack_path(reg.replace(".reg", ".txt"))):
                self.fail("catalog: %s names %s, but its .txt file does not exist" % (name, reg))
        if len(entries) != sum(GROUP_COUNTS.values()):
            self.fail("catalog: %d entries, expected %d" % (len(entries), sum(GROUP_COUNTS.values())))
        for group, expected in GROUP_COUNTS.items():
            if counts[group] != expected:
                self.fail("catalog: %d %s entries, expected %d" % (counts[group], group, expected))

    # -- registry files ----------------------------------------------------

    def parse_reg(self, path):
        """Keys of a registry file as a list of (key name, default value, contexts)."""
        text = self.read_text(path)
        name = os.path.relpath(path, self.root)
        lines = text.split("\r\n")
        if lines[0] != REG_HEADER:
            self.fail("%s: first line is not %r" % (name, REG_HEADER))
        keys = []
        for line in lines[1:]:
            if not line:
                continue
            if line.startswith("["):
                if not (line.startswith("[" + MENUEXT_KEY) and line.endswith("]")):
                    self.fail("%s: key outside MenuExt: %s" % (name, line))
                    continue
                keys.append([line[len(MENUEXT_KEY) + 1:-1], None, None])
            elif not keys:
                self.fail("%s: value before the first key: %s" % (name, line))
            elif line.startswith("@="):
                m = re.match(r'^@="(.*)"$', line)
                keys[-1][1] = m.group(1) if m else None
            elif line.startswith('"Contexts"='):
                m = re.match(r'^"Contexts"=dword:([0-9a-fA-F]{8})$', line)
                keys[-1][2] = int(m.group(1), 16) if m else None
            else:
                self.fail("%s: unexpected line %r" % (name, line))
        for key, default, contexts in keys:
            if key.count("&") > 1:
                self.fail("%s: key %r has more than one '&'" % (name, key))
            if default is None:
                self.fail("%s: key %r has no valid default value" % (name, key))
            elif not default.startswith(PLACEHOLDER):
                self.fail("%s: default value of %r does not start with %s" % (name, key, PLACEHOLDER))
            if contexts is None:
                self.fail("%s: key %r has no valid Contexts dword" % (name, key))
            elif contexts == 0 or contexts & ~CONTEXT_BITS:
                self.fail("%s: key %r has Contexts %#x" % (name, key, contexts))
        return keys

    def check_registry(self, entries):
        by_reg = {}
        for _category, fields in entries:
            by_reg.setdefault(fields[3], []).append(fields)
        if not any(len(users) > 1 for users in by_reg.values()):
            self.fail("no registry file is shared by two catalog entries")

        key_names = {}
        catalog_files = set(fields[1] for _category, fields in entries)
        reg_root = os.path.join(self.pack, "Reg_Files")
        shipped = []
        for folder, _dirs, files in os.walk(reg_root):
            shipped += [os.path.join(folder, f) for f in files]
        for path in sorted(shipped):
            rel = os.path.relpath(path, self.pack).replace(os.sep, "\\")
            if not rel.endswith(".txt"):
                self.fail("%s: registry files are shipped as .txt" % rel)
                continue
            users = by_reg.get(rel[:-4] + ".reg")
            if not users:
                self.fail("%s: not named by any catalog entry" % rel)
            keys = self.parse_reg(path)
            defaults = [k[1] or "" for k in keys]
            for key, default, _contexts in keys:
                if key in key_names:
                    self.fail("menu entry %r registered by %s and %s" % (key, key_names[key], rel))
                key_names[key] = rel
                named = (default or "")[len(PLACEHOLDER):].replace("\\\\", "\\")
                if default and named not in catalog_files:
                    self.fail("%s: key %r registers %s, which is not in the catalog" % (rel, key, named))
            for fields in users or []:
                wanted = PLACEHOLDER + fields[1].replace("\\", "\\\\")
                if wanted not in defaults:
                    self.fail("%s: no key registers %s (needs @=\"%s\")" % (rel, fields[0], wanted))
                # What the manager does: [PATH] becomes the pack folder, the
                # value is imported and the installed path must contain field 2.
                installed = [d.replace(PLACEHOLDER, "C:\\\\Pack\\\\").replace("\\\\", "\\") for d in defaults]
                if not any(fields[1] in value for value in installed):
                    self.fail("%s: installed paths would not contain %s" % (rel, fields[1]))

    # -- extension files ---------------------------------------------------

    def check_extensions(self, entries):
        catalog_files = set(fields[1] for _category, fields in entries)
        stripped = {}
        for group in GROUP_COUNTS:
            folder = os.path.join(self.pack, group)
            if not os.path.isdir(folder):
                continue
            for f in sorted(os.listdir(folder)):
                rel = group + "\\" + f
                path = os.path.join(folder, f)
                if rel not in catalog_files:
                    self.fail("%s: not in the catalog" % rel)
                text = self.read_text(path)
                for src in SCRIPT_SRC.findall(text):
                    target = os.path.normpath(os.path.join(folder, *src.split("\\")))
                    if not os.path.isfile(target):
                        self.fail("%s: included script %s does not exist" % (rel, src))
                if "external.menuArguments" not in text and not SCRIPT_SRC.search(text):
                    self.fail("%s: neither uses external.menuArguments nor includes a script" % rel)
                body = re.sub(r"\s+", " ", QUOTED.sub('""', text)).strip()
                if body in stripped:
                    self.fail("%s and %s are the same apart from quoted strings" % (stripped[body], rel))
                stripped.setdefault(body, rel)

    def check_text_files(self):
        """ASCII and CR LF for every other text file of the pack."""
        for folder, _dirs, files in os.walk(self.pack):
            for f in files:
                path = os.path.join(folder, f)
                inside = os.path.relpath(path, self.pack).split(os.sep)[0]
                if f.endswith(TEXT_SUFFIXES) and inside not in GROUP_COUNTS and inside != "Reg_Files":
                    self.read_text(path)

    def run(self):
        entries = self.read_catalog()
        self.check_catalog(entries)
        self.check_registry(entries)
        self.check_extensions(entries)
        self.check_text_files()
        return self.errors


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    errors = Checker(root).run()
    for message in errors:
        print("ERROR: " + message)
    if errors:
        print("pack check failed: %d problem(s)" % len(errors))
        return 1
    print("pack check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
