#!/usr/bin/python3
"""Check the interface language files (*.lng) of the Zandor Extension Pack manager.

Checks resources/en.lng (the reference) and every lang/*.lng against it:
  * same sections and keys, in the same order, as en.lng ("key=value" lines);
  * CR LF line ends everywhere (also after the last line), no bare CR or LF;
  * stored in its form: ru.lng as UTF-16LE with a byte-order mark (readable on any
    system), every other file as cp1252 text without a byte-order mark and not UTF-8
    encoded; each decodes strictly;
  * separators ("-" in en.lng) stay "-";
  * lblInstalledCount / lblAvailableCount stay empty;
  * values that must not be translated ("...", ">>", "<<") stay as in en.lng;
  * lblProceed ends with " >>";
  * every menu item and control caption has one "&" (its access key), not as the last
    character; texts (the wizard's paragraphs, the counts, separators) have none;
  * the texts after the windows' captions ([Main], [Messages] ...): the numbered
    placeholders %1, %2 ... of each value are those of en.lng, none missing, none
    repeated; a count ("Key.one", "Key.other" ...) has the forms of the file's plural rule
    ([Language] Plurals=en, fr or ru), each with the English placeholders.

Access keys duplicated within one menu level (as resources/NIMO.rc nests the main menu)
or within one other window are reported as warnings (errors with --strict).

Usage: python3 tools/check_lang.py [--strict] [ROOT]
ROOT defaults to the repository root (the parent of this tools/ folder).
Exit status 0 when all files pass, 1 otherwise.
"""
import glob
import re
import os
import sys

CODEPAGES = {'ru': 'utf-16-le'}       # every other language: cp1252
DEFAULT_CODEPAGE = 'cp1252'
UTF16_BOM = b'\xff\xfe'
EXPECTED_LANGS = ('de', 'fr', 'it', 'ru', 'se')
MUST_BE_EMPTY = {'lblInstalledCount', 'lblAvailableCount'}
KEEP_AS_EN = {'lblBrowse', 'lblInstall', 'lblDisable'}
# The windows' captions; the sections after them hold texts, whose only caption is About's.
CAPTION_SECTIONS = ('frmMain', 'frmModify', 'frmNIMOWizard', 'frmRestore')
TEXT_CAPTIONS = {('About', 'Close')}
PLURAL_FORMS = {'en': ('one', 'other'), 'fr': ('one', 'other'), 'ru': ('one', 'few', 'many')}
ALL_FORMS = {'one', 'few', 'many', 'other'}
PLACEHOLDER = re.compile(r'%([1-9])')

# Values that are text to read, not captions of a command or a control: no access key.
NOT_CAPTIONS = {'lblNotice', 'lblWelcome1', 'lblWelcome2', 'lblWelcome3', 'lblExtensions'}


def menu_levels(rc_path):
    """The main menu's levels in the resource script: [(popup key, [its item keys])]."""
    levels, stack, popup, inside = [], [], 'menu bar', False
    for line in open(rc_path, encoding='cp1252'):
        words = line.split()
        if not inside:
            inside = words[:1] == ['IDR_MAINMENU']
        elif words[:1] == ['BEGIN']:
            stack.append((popup, []))
        elif words[:1] == ['END']:
            levels.append(stack.pop())
            if not stack:
                break
        elif words[:1] in (['POPUP'], ['MENUITEM']) and 'MFT_SEPARATOR' not in line:
            popup = line.split('IDM_', 1)[1].split(',')[0].strip()
            stack[-1][1].append(popup)
    return levels


def codepage_for(path):
    lang = os.path.splitext(os.path.basename(path))[0].lower()
    return CODEPAGES.get(lang, DEFAULT_CODEPAGE)


def read_lng(path, errors):
    """Return a list of entries: ('section', name) or ('kv', section, key, value)."""
    try:
        data = open(path, 'rb').read()
    except OSError as exc:
        errors.append('cannot read: %s' % exc)
        return None
    cp = codepage_for(path)
    if cp == 'utf-16-le':
        if not data.startswith(UTF16_BOM):
            errors.append('does not start with the UTF-16LE byte-order mark')
            return None
        try:
            data = data[2:].decode(cp).encode('utf-8')   # checked below line by line
        except UnicodeDecodeError as exc:
            errors.append('does not decode as UTF-16LE (%s)' % exc.reason)
            return None
        cp = 'utf-8'
    else:
        for bom in (b'\xef\xbb\xbf', b'\xff\xfe', b'\xfe\xff'):
            if data.startswith(bom):
                errors.append('starts with a byte-order mark')
                data = data[len(bom):]
                break
    if not data:
        errors.append('file is empty')
        return None
    if not data.endswith(b'\r\n'):
        errors.append('last line does not end with CR LF')
    if cp != 'utf-8' and any(b > 0x7f for b in data):
        try:
            data.decode('utf-8')
            errors.append('non-ASCII text is valid UTF-8: file looks UTF-8 encoded, not %s'
                          % codepage_for(path))
        except UnicodeDecodeError:
            pass
    raw_lines = data.split(b'\r\n')
    if raw_lines[-1] == b'':
        raw_lines.pop()
    entries = []
    section = None
    for num, raw in enumerate(raw_lines, 1):
        if b'\r' in raw or b'\n' in raw:
            errors.append('line %d: bare CR or LF (line ends must be CR LF)' % num)
            raw = raw.replace(b'\r', b'').replace(b'\n', b'')
        try:
            line = raw.decode(cp)          # strict: undefined bytes fail
        except UnicodeDecodeError as exc:
            errors.append('line %d: does not decode as %s (%s)' % (num, cp, exc.reason))
            line = raw.decode(cp, errors='replace')
        if any(ord(ch) < 32 for ch in line):
            errors.append('line %d: contains a control character' % num)
        if line.startswith('[') and line.endswith(']'):
            section = line[1:-1]
            entries.append(('section', section))
        elif '=' in line:
            key, value = line.split('=', 1)
            entries.append(('kv', section, key, value, num))
        else:
            errors.append('line %d: neither a [section] nor key=value: %r' % (num, line))
    return entries


def plural_base(key):
    """'Installed' for 'Installed.one' and the other forms; None for a plain key."""
    base, dot, form = key.rpartition('.')
    return base if dot and form in ALL_FORMS else None


def structure(entries):
    """Sections and keys in order, each count once whatever its forms."""
    out = []
    for e in entries:
        if e[0] == 'section':
            out.append('[%s]' % e[1])
            continue
        base = plural_base(e[2])
        name = '%s/%s' % (e[1], base + '.*' if base else e[2])
        if not (base and out and out[-1] == name):
            out.append(name)
    return out


def placeholders(value):
    return sorted(PLACEHOLDER.findall(value))


def check_texts(entries, en_entries, errors):
    """Placeholders and plural forms of the text sections."""
    en_values = {(e[1], e[2]): e[3] for e in en_entries if e[0] == 'kv'}
    rule = next((e[3] for e in entries if e[0] == 'kv' and (e[1], e[2]) == ('Language', 'Plurals')), None)
    if rule not in PLURAL_FORMS:
        errors.append('[Language] Plurals=%r is none of %s' % (rule, ', '.join(sorted(PLURAL_FORMS))))
        return
    forms = {}
    for e in entries:
        if e[0] != 'kv' or e[1] in CAPTION_SECTIONS:
            continue
        _, section, key, value, num = e
        base = plural_base(key)
        english = en_values.get((section, base + '.other' if base else key))
        if base:
            forms.setdefault((section, base), []).append(key.rpartition('.')[2])
        if english is None:
            continue
        got, want = placeholders(value), placeholders(english)
        if got != want:
            errors.append('line %d (%s): placeholders %s, en.lng has %s'
                          % (num, key, ' '.join('%' + n for n in got) or 'none',
                             ' '.join('%' + n for n in want) or 'none'))
    for (section, base), found in forms.items():
        if tuple(found) != PLURAL_FORMS[rule]:
            errors.append('%s/%s: forms %s, the rule %s wants %s'
                          % (section, base, ', '.join(found), rule, ', '.join(PLURAL_FORMS[rule])))


def check_file(path, en_entries, is_en, strict, levels):
    errors, warnings = [], []
    entries = read_lng(path, errors)
    if entries is None:
        return errors, warnings
    if not is_en:
        got, want = structure(entries), structure(en_entries)
        if got != want:
            for i, (g, w) in enumerate(zip(got, want)):
                if g != w:
                    errors.append('structure differs from en.lng at entry %d: got %s, expected %s'
                                  % (i + 1, g, w))
                    break
            else:
                errors.append('structure differs from en.lng: %d entries, expected %d'
                              % (len(got), len(want)))
    check_texts(entries, en_entries, errors)
    en_values = {(e[1], e[2]): e[3] for e in en_entries if e[0] == 'kv'}
    values = {}
    for e in entries:
        if e[0] != 'kv' or (e[1] not in CAPTION_SECTIONS and (e[1], e[2]) not in TEXT_CAPTIONS):
            continue
        _, section, key, value, num = e
        where = 'line %d (%s)' % (num, key)
        values[key] = value
        en_value = en_values.get((section, key))
        if en_value == '-' and value != '-':
            errors.append('%s: separator must be "-", got %r' % (where, value))
        if key in MUST_BE_EMPTY and value != '':
            errors.append('%s: must stay empty, got %r' % (where, value))
        if key in KEEP_AS_EN and en_value is not None and value != en_value:
            errors.append('%s: must stay %r, got %r' % (where, en_value, value))
        if key == 'lblProceed' and not value.endswith(' >>'):
            errors.append('%s: must end with " >>", got %r' % (where, value))
        caption = value != '-' and key not in NOT_CAPTIONS | MUST_BE_EMPTY
        marks = value.replace('&&', '').count('&')  # "&&" shows a plain "&"
        if caption and marks != 1:
            errors.append('%s: needs one access key ("&" before a character), has %d' % (where, marks))
        elif value.count('&') > 1:
            errors.append('%s: %d "&" characters, at most 1 allowed' % (where, value.count('&')))
        elif value.endswith('&'):
            errors.append('%s: "&" is the last character (no access key letter)' % where)
        if value != value.strip():
            warnings.append('%s: leading or trailing blanks' % where)
    # Access keys: unique within each menu level, and within each other window.
    groups = list(levels)
    sections = {}
    for e in entries:
        if e[0] == 'kv' and e[1] in CAPTION_SECTIONS[1:] and e[2] not in NOT_CAPTIONS | MUST_BE_EMPTY:
            sections.setdefault(e[1], []).append(e[2])
    groups += sorted(sections.items())
    for level, keys in groups:
        seen = {}
        for key in keys:
            value = values.get(key)
            if value and value.count('&') == 1 and not value.endswith('&'):
                letter = value[value.index('&') + 1].lower()
                seen.setdefault(letter, []).append(key)
        for letter, keys_ in sorted(seen.items()):
            if len(keys_) > 1:
                msg = '%s: access key "%s" used by %s' % (level, letter, ', '.join(keys_))
                (errors if strict else warnings).append(msg)
    return errors, warnings


def main(argv):
    strict = '--strict' in argv
    args = [a for a in argv if a != '--strict']
    root = args[0] if args else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    en_path = os.path.join(root, 'resources', 'en.lng')
    lang_dir = os.path.join(root, 'lang')
    failed = False

    en_errors = []
    en_entries = read_lng(en_path, en_errors)
    if en_entries is None:
        print('FAIL %s' % en_path)
        for msg in en_errors:
            print('  error: %s' % msg)
        return 1

    levels = menu_levels(os.path.join(root, 'resources', 'NIMO.rc'))
    paths = [en_path] + sorted(glob.glob(os.path.join(lang_dir, '*.lng')))
    for lang in EXPECTED_LANGS:
        if not os.path.isfile(os.path.join(lang_dir, lang + '.lng')):
            print('FAIL missing %s' % os.path.join(lang_dir, lang + '.lng'))
            failed = True

    for path in paths:
        errors, warnings = check_file(path, en_entries, path == en_path, strict, levels)
        rel = os.path.relpath(path, root)
        print('%s %s (%s)' % ('FAIL' if errors else 'ok  ', rel, codepage_for(path)))
        for msg in errors:
            print('  error: %s' % msg)
        for msg in warnings:
            print('  warning: %s' % msg)
        failed = failed or bool(errors)
    print('FAILED' if failed else 'all language files passed')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
