#!/usr/bin/env python3
"""Checks routersdat suggest on page pairs it was not tuned on.

For every value case of families.py: does a rule proposed from save 1 read the
right value from save 2 (and the other way round)? With both saves given, is a
rule found whenever the marker language has one (searched by brute force)?
Does an offline code proposed from one online/offline pair hold on the other?

    bench/holdout-pairs/holdout.py build/src/cli/routersdat [--keep DIR] [-v]

The page test is re-implemented here from the rules' definition, so the check
does not lean on the code under test; --crosscheck runs every proposal through
`routersdat test` as well.
"""
import argparse
import bisect
import json
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from families import FAMILIES  # noqa: E402

# ------------------------------------------------------------------ page test

def normalise(raw):
    if len(raw) >= 2 and 0 in raw[:2]:
        raw = bytes(0x20 if b == 0 and i < 2 else b for i, b in enumerate(raw[:2])) + raw[2:]
    nul = raw.find(b'\0')
    head, tail = (raw, b'') if nul < 0 else (raw[:nul], raw[nul:])
    head = head.replace(b'\n', b'').replace(b'\r', b'').replace(b'\t', b'')
    return (head + tail).replace(b' ', b'')


def cut(t):
    n = t.find(b'\0')
    return t if n < 0 else t[:n]


def find(pat, text):
    """0-based position of pat in text ignoring A-Z case, -1 if none."""
    pat, text = cut(pat), cut(text)
    if not pat or not text:
        return -1
    return text.lower().find(pat.lower())


def to_int(t):
    s = t.decode('latin-1').lstrip(' ')
    m = re.fullmatch(r'([+-]?)(?:(?:\$|0[xX]|[xX])([0-9a-fA-F]+)|([0-9]+))', s)
    if not m:
        return 1
    val = int(m.group(2), 16) if m.group(2) else int(m.group(3))
    val = -val if m.group(1) == '-' else val
    return val if -2**31 <= val < 2**31 else 1


def find_marker(m, p):
    if find(b'{startpos=', m) >= 0:
        c = m.find(b'}')
        s = m[:c] if c > 0 else b''
        if b'=' in s:
            s = s[s.find(b'=') + 1:]
        if c >= 0:
            m = m[c + 1:]
        at = find(s, p) if s else -1
        if at >= 0:
            p = p[at:]
    count = 1
    if find(b'{', m) >= 0:
        c = m.find(b'}')
        t = m[1:c] if c >= 2 else b''
        if c >= 0:
            m = m[c + 1:]
        count = to_int(t)
    if not m or find(m, p) < 0:
        return None
    for _ in range(max(count, 0)):
        at = find(m, p)
        if at < 0:
            return None  # fewer occurrences than counted: this program reads nothing
        p = p[at + len(m):]
    return p


def strip_breaks(t):
    n = t.find(b'\0')
    head, tail = (t, b'') if n < 0 else (t[:n], t[n:])
    return head.replace(b'\n', b'').replace(b'\r', b'').replace(b'\t', b'') + tail


def trim(t):
    i, j = 0, len(t)
    while i < j and t[i] <= 0x20:
        i += 1
    while j > i and t[j - 1] <= 0x20:
        j -= 1
    return t[i:j]


def first_terminator(t):
    found = [x for x in (find(b'<', t), find(b';', t), find(b"')", t)) if x >= 0]
    return min(found) if found else -1


def read_ip(before, after, page):
    rest = find_marker(strip_breaks(before), page)
    if rest is None:
        return b''
    after = strip_breaks(after)
    at = find(after, rest) if after else -1
    if at < 0:
        at = first_terminator(rest)
    return trim(rest[:at]) if at >= 0 else b''


def read_property(code, page):
    v = strip_breaks(code)
    if not v:
        return b''
    rest = find_marker(v, page)
    if rest is None:
        return b''
    t = first_terminator(rest)
    v = trim(rest[:t] if t >= 0 else rest)
    if b'"' in v:
        v = v[:v.find(b'"')]
    return b'aktiv' if b'checked' in v.lower() else v


def is_offline(code, page):
    return bool(code) and find_marker(strip_breaks(code), page) is not None


def to_1252(s):
    out = bytearray()
    for ch in s:
        try:
            out += ch.encode('cp1252')
        except UnicodeEncodeError:
            out.append(ord(ch))  # the five bytes Windows-1252 leaves undefined
    return bytes(out)

# ------------------------------------------------------------------ cases

NL_RE = re.compile(r'(?<!\r)\n')
MARK_RE = re.compile('\x01([a-z0-9_]+)\x02(.*?)\x03', re.S)


def render(fam, n, state='online'):
    vals = fam['vals'][n - 1]
    args = (n, lambda f: f'\x01{f}\x02{vals[f]}\x03')
    text = fam['render'](*args, state=state) if fam['offline'] else fam['render'](*args)
    text = NL_RE.sub(fam['nl'][n - 1].replace('\\', '\\\\'), text)
    places, out, last = {}, [], 0
    for m in MARK_RE.finditer(text):
        out.append(text[last:m.start()])
        places.setdefault(m.group(1), len(''.join(out)))
        out.append(m.group(2))
        last = m.end()
    out.append(text[last:])
    text = ''.join(out)
    raw = text.encode(fam['enc'])
    spots = {f: len(normalise(text[:off].encode(fam['enc']))) for f, off in places.items()}
    return raw, spots


def is_token(page, at, length):
    word = re.compile(rb'[0-9A-Za-z.]')
    before = page[at - 1:at] if at > 0 else b''
    after = page[at + length:at + length + 1]
    return not (before and word.match(before)) and not (after and word.match(after))


def occurrence(page, value, at):
    """--occurrence for the place at, or None where no earlier place is a word of its own."""
    low, val = page.lower(), value.lower()
    places, i = [], low.find(val)
    while 0 <= i < at:
        places.append(i)
        i = low.find(val, i + 1)
    if i != at:
        raise ValueError('place not found')
    if any(is_token(page, p, len(val)) for p in places):
        return len(places) + 1
    return None

# ------------------------------------------------------------------ brute force

def extracts(kind, page, at, value, after=None):
    rest = page[at:]
    if kind == 'property':
        t = first_terminator(rest)
        v = trim(rest[:t] if t >= 0 else rest)
        if b'"' in v:
            v = v[:v.find(b'"')]
        return v == value
    a = find(after, rest) if after else -1
    if a < 0:
        a = first_terminator(rest)
    return a >= 0 and trim(rest[:a]) == value


def places_of(page, value):
    low, val, out = page.lower(), value.lower(), []
    i = low.find(val)
    while i >= 0:
        out.append(i)
        i = low.find(val, i + 1)
    return out


def first_positions(page, maxlen=12):
    low, seen = page.lower(), {}
    for i in range(len(low)):
        for ln in range(1, maxlen + 1):
            s = low[i:i + ln]
            if len(s) < ln or b'}' in s:
                break
            seen.setdefault(s, i)
    return seen


def counts_from(low, marker, target):
    """For each start position s up to target: the count N whose N-th occurrence
    of the marker from s on starts at target, or 0 where none does."""
    occ, i = [], low.find(marker)
    while i >= 0:
        occ.append(i)
        i = low.find(marker, i + 1)
    t = bisect.bisect_left(occ, target)
    steps = [0] * len(occ)
    steps[t] = 1
    for j in range(t - 1, -1, -1):
        k = bisect.bisect_left(occ, occ[j] + len(marker))
        steps[j] = steps[k] + 1 if k <= t and steps[k] else 0
    out, j = [0] * (target + 1), 0
    for s in range(target + 1):
        while j < len(occ) and occ[j] < s:
            j += 1
        out[s] = steps[j] if j <= t else 0
    return out


def rule_exists(kind, pages, values):
    """Whether one rule of the marker language reads each value from its page
    (start texts of up to 12 bytes, markers of up to 64)."""
    p1, p2 = pages
    l1, l2 = p1.lower(), p2.lower()
    f1, f2 = first_positions(p1), first_positions(p2)
    for a1 in places_of(p1, values[0]):
        for a2 in places_of(p2, values[1]):
            e1, e2 = a1 + len(values[0]), a2 + len(values[1])
            if kind == 'ip':
                afters = [None] + [p1[e1:e1 + k] for k in range(1, 41)
                                   if l1[e1:e1 + k] == l2[e2:e2 + k] and len(l1[e1:e1 + k]) == k]
                if not any(extracts(kind, p1, a1, values[0], a) and extracts(kind, p2, a2, values[1], a)
                           for a in afters):
                    continue
            elif not (extracts(kind, p1, a1, values[0]) and extracts(kind, p2, a2, values[1])):
                continue
            starts = {(0, 0)}
            for s in set(f1) | set(f2):
                s1, s2 = f1.get(s, 0), f2.get(s, 0)
                if s1 < a1 and s2 < a2:
                    starts.add((s1, s2))
            for ln in range(1, min(a1, a2, 64) + 1):
                marker = l1[a1 - ln:a1]
                if marker != l2[a2 - ln:a2]:
                    break
                n1, n2 = counts_from(l1, marker, a1 - ln), counts_from(l2, marker, a2 - ln)
                for s1, s2 in starts:
                    if s1 < len(n1) and s2 < len(n2) and n1[s1] and n1[s1] == n2[s2]:
                        return f'start {p1[s1:s1 + 12]!r}/{p2[s2:s2 + 12]!r} count {n1[s1]} marker {marker!r}'
    return None

# ------------------------------------------------------------------ the program under test

class Runner:
    def __init__(self, exe, tmp):
        self.exe, self.tmp, self.files = exe, tmp, 0

    def file(self, raw):
        self.files += 1
        path = os.path.join(self.tmp, f'p{self.files}.htm')
        with open(path, 'wb') as f:
            f.write(raw)
        return path

    def suggest(self, kind, saves, offline=None, occ=None):
        (p, v), others = saves[0], saves[1:]
        cmd = [self.exe, 'suggest', self.file(p), '--value', v, '--json']
        if kind == 'property':
            cmd += ['--for', 'property']
        if occ:
            cmd += ['--occurrence', str(occ)]
        for p2, v2 in others:
            cmd += ['--also', self.file(p2), '--value2', v2]
        if offline:
            cmd += ['--offline-page', self.file(offline)]
        r = subprocess.run(cmd, capture_output=True, timeout=120)
        msg = r.stderr.decode('utf-8', 'replace').strip()
        if r.returncode != 0:
            return None, msg
        return {k: to_1252(s) for k, s in json.loads(r.stdout.decode()).items()}, msg


    def test(self, kind, rule, page_raw):
        """What `routersdat test` reads from the saved page with the rule."""
        def text(b):
            return ''.join(chr(c) if 0x80 <= c < 0xA0 and bytes([c]) in UNDEFINED else bytes([c]).decode('cp1252')
                           for c in b)
        router = dict(HTTPPort=80, BrowserAuth=0, AuthString='', SavedAt=45000.5, RouterVendor='Holdout',
                      RouterVendorURL='', Comments='', GoOnline='', GoOffline='', SignOffURL='', StatusPage='',
                      OfflineCode='', BeforeIPAddress=text(rule.get('BeforeIPAddress', b'')),
                      AfterIPAddress=text(rule.get('AfterIPAddress', b'')), Status2Page='',
                      Status2Values=['Wert=' + text(rule['code'])] if kind == 'property' else [], Status3Page='',
                      Status3Values=[], Status4Page='', Status4Values=[], UserDef1='', UserDef2='', UserDef3='',
                      Reserved1='', Reserved2='', ReservedFlag=0)
        js, dat = os.path.join(self.tmp, 'one.json'), os.path.join(self.tmp, 'one.dat')
        with open(js, 'w') as f:
            json.dump(dict(version=259, routers=[router]), f)
        subprocess.run([self.exe, 'pack', js, dat], check=True, capture_output=True)
        out = subprocess.run([self.exe, 'test', dat, self.file(page_raw), '--router', 'Holdout', '--json',
                              '--status', '1' if kind == 'ip' else '2'], capture_output=True, check=True).stdout
        got = json.loads(out.decode())
        if kind == 'ip':
            return to_1252(got['ip'])
        return to_1252(got['values'][0][1]) if got['values'] else b''


UNDEFINED = {b'\x81', b'\x8d', b'\x8f', b'\x90', b'\x9d'}


def read(kind, rule, page):
    if kind == 'ip':
        return read_ip(rule['BeforeIPAddress'], rule['AfterIPAddress'], page)
    return read_property(rule['code'], page)


def show(rule):
    return ' | '.join(v.decode('cp1252', 'replace') for v in rule.values()) if rule else '-'


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('routersdat')
    ap.add_argument('--keep', help='write the pages into this folder')
    ap.add_argument('--only', help='families whose name holds this text')
    ap.add_argument('-v', action='store_true', help='list every case')
    ap.add_argument('--crosscheck', action='store_true', help='read save 2 with routersdat test too')
    args = ap.parse_args()
    tmp = args.keep or tempfile.mkdtemp(prefix='holdout-')
    os.makedirs(tmp, exist_ok=True)
    run = Runner(os.path.abspath(args.routersdat), tmp)
    one = [0, 0]
    two = dict(cases=0, exists=0, found=0, wrong=0, missed=0)
    offline = [0, 0]
    fams = [f for f in FAMILIES if not args.only or args.only in f['name']]
    for fam in fams:
        saves = [render(fam, 1), render(fam, 2)]
        pages = [normalise(raw) for raw, _ in saves]
        for kind, field in fam['cases']:
            typed = [fam['vals'][n][field] for n in (0, 1)]
            want = [normalise(t.encode(fam['enc'])) for t in typed]
            occ = [occurrence(pages[n], want[n], saves[n][1][field]) for n in (0, 1)]
            name = f'{fam["name"]}/{field}'
            for a, b in ((0, 1), (1, 0)):
                rule, msg = run.suggest(kind, [(saves[a][0], typed[a])], occ=occ[a])
                got = read(kind, rule, pages[b]) if rule else None
                if rule and args.crosscheck and run.test(kind, rule, saves[b][0]) != got:
                    print(f'CROSSCHECK {name} {a + 1}->{b + 1}: routersdat test reads '
                          f'{run.test(kind, rule, saves[b][0])!r}, this script {got!r}')
                ok = got == want[b]
                one[0] += ok
                one[1] += 1
                if args.v or not ok:
                    print(f'{"ok  " if ok else "MISS"} one  {name} {a + 1}->{b + 1}: {show(rule)} '
                          f'reads {got!r} want {want[b]!r}' + ('' if rule else f' ({msg})'))
            witness = rule_exists(kind, pages, want)
            exists = witness is not None
            rule, msg = run.suggest(kind, [(saves[0][0], typed[0]), (saves[1][0], typed[1])], occ=occ[0])
            reads = rule and all(read(kind, rule, pages[n]) == want[n] for n in (0, 1))
            two['cases'] += 1
            two['exists'] += exists
            two['found'] += bool(reads)
            two['wrong'] += bool(rule and not reads)
            two['missed'] += exists and not rule
            if args.v or (exists and not reads) or (rule and not reads):
                print(f'{"ok  " if reads or not exists else "MISS"} two  {name}: {witness or "no rule"}; {show(rule)}'
                      + ('' if rule else f' ({msg})'))
        if fam['offline']:
            off = [render(fam, n, 'offline')[0] for n in (1, 2)]
            offn = [normalise(o) for o in off]
            for a, b in ((0, 1), (1, 0)):
                ip = fam['vals'][a]['ip']
                rule, msg = run.suggest('ip', [(saves[a][0], ip)], offline=off[a])
                code = rule.get('OfflineCode', b'') if rule else b''
                ok = is_offline(code, offn[b]) and not is_offline(code, pages[b])
                offline[0] += ok
                offline[1] += 1
                if args.v or not ok:
                    print(f'{"ok  " if ok else "MISS"} off  {fam["name"]} {a + 1}->{b + 1}: {code!r} {msg if not rule else ""}')
    print(f'families {len(fams)}, value cases {two["cases"]}')
    print(f'one save, both ways: {one[0]} of {one[1]} read the other save right')
    print(f'two saves: rule in the language for {two["exists"]}, proposed and reading both {two["found"]}, '
          f'missed {two["missed"]}, proposed but wrong {two["wrong"]}')
    print(f'offline code: {offline[0]} of {offline[1]} hold on the other pair')


if __name__ == '__main__':
    main()
