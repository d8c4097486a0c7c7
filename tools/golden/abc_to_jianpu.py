#!/usr/bin/env python3
"""Writes the expected numbered notation of a golden-corpus tune from its abc source.

Reads the small part of abc the corpus uses (no repeats): notes, rests, lengths, broken
rhythm, ties, (3 triplets, [chords] (the top note is the melody), "guitar chords" and
{grace notes} (both passed over), K: and M: changes on their own lines, V: voices.
Comment directives:
  %%tavo-key D        the key a numbered-notation writer would name (the signature lies)
  %%tavo-melody 2     the voice that carries the melody (default: the first)
  %%tavo-causes ...   words naming what the tune exercises (read by the scorer)

usage: abc_to_jianpu.py tune.abc > tune.txt
"""
from fractions import Fraction
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import jianpu_notes  # noqa: E402

LETTERS = 'CDEFGAB'
LETTER_SEMIS = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}
MAJOR_BY_FIFTHS = ['Cb', 'Gb', 'Db', 'Ab', 'Eb', 'Bb', 'F', 'C', 'G', 'D', 'A', 'E', 'B', 'F#', 'C#']
MODE_SHIFT = {'': 0, 'maj': 0, 'ion': 0, 'm': -3, 'min': -3, 'aeo': -3, 'dor': -2, 'mix': -1,
              'lyd': 1, 'phr': -4, 'loc': -5}
SHARP_ORDER = 'FCGDAEB'
UNITS = 8   # per quarter: a 32nd is one unit


def fifths_of(key):
    m = re.match(r'^([A-G])([#b]?)\s*([A-Za-z]*)', key.strip())
    if not m:
        raise ValueError('key %r' % key)
    tonic = m.group(1) + m.group(2)
    mode = m.group(3).lower()[:3] if m.group(3).lower() not in ('m',) else 'm'
    base = MAJOR_BY_FIFTHS.index(tonic) - 7 if tonic in MAJOR_BY_FIFTHS else None
    if base is None:   # e.g. A#: only through a mode
        raise ValueError('key %r' % key)
    return base + MODE_SHIFT[mode]


def signature(fifths):
    alter = {}
    if fifths > 0:
        for letter in SHARP_ORDER[:fifths]:
            alter[letter] = 1
    elif fifths < 0:
        for letter in reversed(SHARP_ORDER):
            if len(alter) == -fifths:
                break
            alter[letter] = -1
    return alter


def parse_length(text, unit):
    if not text:
        return unit
    m = re.match(r'^(\d*)(/*)(\d*)$', text)
    num = int(m.group(1)) if m.group(1) else 1
    if m.group(2):
        den = int(m.group(3)) if m.group(3) else 2 ** len(m.group(2))
    else:
        den = 1
    return unit * Fraction(num, den)


class Tune:
    def __init__(self):
        self.title = ''
        self.meter = (4, 4)
        self.unit = None
        self.key = 'C'
        self.key_override = None
        self.melody = None
        self.causes = []
        # events of the melody voice: ('note', pitch, letter, duration, triplet_value) |
        # ('rest', duration) | ('bar',) | ('key', fifths) | ('meter', (n, d)) | ('tie',)
        self.events = []


TOKEN = re.compile(r'''
    (?P<gchord>"[^"]*")
  | (?P<grace>\{[^}]*\})
  | (?P<deco>![^!]*!|~)
  | (?P<field>\[[KML]:[^\]]*\])
  | (?P<bar>\|\]|\|\||\[\||\|)
  | (?P<triplet>\(3)
  | (?P<chord>\[(?:[=^_]*[A-Ga-g][,']*[\d/]*)+\][\d/]*)
  | (?P<note>[=^_]*[A-Ga-gzx][,']*[\d/]*)
  | (?P<tie>-)
  | (?P<broken>[<>])
  | (?P<space>[\s`])
''', re.X)
NOTE = re.compile(r"([=^_]*)([A-Ga-gzx])([,']*)([\d/]*)")


def read_abc(path):
    tune = Tune()
    voice = None
    first_voice = None
    in_body = False
    with open(path, encoding='utf-8') as f:
        lines = f.read().splitlines()
    for line in lines:
        if line.startswith('%%tavo-key'):
            tune.key_override = line.split(None, 1)[1].strip()
        elif line.startswith('%%tavo-melody'):
            tune.melody = line.split(None, 1)[1].strip()
        elif line.startswith('%%tavo-causes'):
            tune.causes = line.split()[1:]
    melody_lines = []
    for line in lines:
        s = line.strip()
        if not s or s.startswith('%'):
            continue
        m = re.match(r'^([A-Za-z]):\s*(.*)$', s)
        if m:
            field, value = m.group(1), m.group(2).strip()
            if field == 'T' and not tune.title:
                tune.title = value
            elif field == 'V':
                voice = value.split()[0]
                if first_voice is None:
                    first_voice = voice
            elif field in 'KML':
                if not in_body:
                    if field == 'K':
                        tune.key = value
                        in_body = True
                    elif field == 'M':
                        tune.meter = tuple(int(x) for x in value.split('/'))
                    else:
                        tune.unit = Fraction(value) * 4
                else:
                    melody_lines.append((voice, '[%s:%s]' % (field, value)))
            continue
        melody_lines.append((voice, s))
    if tune.unit is None:
        tune.unit = Fraction(1, 2)
    want = tune.melody or first_voice
    fifths = fifths_of(tune.key)
    tune.events.append(('key', fifths))
    tune.events.append(('meter', tune.meter))
    sig = signature(fifths)
    bar_alter = {}
    triplet_left = 0
    broken = None
    for v, text in melody_lines:
        if want is not None and v != want:
            continue
        pos = 0
        while pos < len(text):
            m = TOKEN.match(text, pos)
            if not m:
                raise ValueError('%s: cannot read %r' % (path, text[pos:pos + 20]))
            pos = m.end()
            kind = m.lastgroup
            tok = m.group(0)
            if kind in ('gchord', 'grace', 'deco', 'space'):
                continue
            if kind == 'field':
                field, value = tok[1], tok[3:-1].strip()
                if field == 'K':
                    fifths = fifths_of(value)
                    sig = signature(fifths)
                    tune.events.append(('key', fifths))
                elif field == 'M':
                    tune.events.append(('meter', tuple(int(x) for x in value.split('/'))))
                else:
                    tune.unit = Fraction(value) * 4
                continue
            if kind == 'bar':
                tune.events.append(('bar',))
                bar_alter = {}
                continue
            if kind == 'triplet':
                triplet_left = 3
                continue
            if kind == 'tie':
                tune.events.append(('tie',))
                continue
            if kind == 'broken':
                broken = tok
                continue
            if kind == 'chord':
                inner, suffix = tok[1:].split(']')
                mult = parse_length(suffix, Fraction(1))
                best = None
                for nm in NOTE.finditer(inner):
                    p, letter = pitch_of(nm, sig, bar_alter)
                    d = parse_length(nm.group(4), tune.unit) * mult
                    if best is None or p > best[0]:
                        best = (p, letter, d)
                pitch, letter, dur = best
            else:
                nm = NOTE.match(tok)
                dur = parse_length(nm.group(4), tune.unit)
                if nm.group(2) in 'zx':
                    pitch, letter = None, None
                else:
                    pitch, letter = pitch_of(nm, sig, bar_alter)
            written = dur
            if triplet_left:
                dur = dur * Fraction(2, 3)
                triplet_left -= 1
            ev = ['note' if pitch is not None else 'rest', pitch, letter, dur, written if dur != written else None]
            # Broken rhythm: a>b lengthens a by half and shortens b as much.
            if broken:
                prev = last_sounding(tune.events)
                k = Fraction(3, 2) if broken == '>' else Fraction(1, 2)
                prev[3] *= k
                ev[3] *= 2 - k
                broken = None
            tune.events.append(ev)
    return tune


def last_sounding(events):
    for e in reversed(events):
        if isinstance(e, list):
            return e
    raise ValueError('broken rhythm with nothing before it')


def pitch_of(nm, sig, bar_alter):
    acc, letter, marks = nm.group(1), nm.group(2), nm.group(3)
    octave = 5 if letter.islower() else 4
    octave += marks.count("'") - marks.count(',')
    up = letter.upper()
    keyed = (up, octave)
    if acc:
        alter = {'^': 1, '^^': 2, '=': 0, '_': -1, '__': -2}[acc]
        bar_alter[keyed] = alter
    else:
        alter = bar_alter.get(keyed, sig.get(up, 0))
    return 12 * (octave + 1) + LETTER_SEMIS[up] + alter, up


# ---- writing ----

def key_name(fifths):
    name = MAJOR_BY_FIFTHS[fifths + 7]
    return '1=' + (('b' + name[0]) if name.endswith('b') else ('#' + name[0]) if name.endswith('#') else name)


def key_of_name(name):
    """'D' or 'Bb' -> fifths of that major key."""
    return MAJOR_BY_FIFTHS.index(name) - 7


def place_tonic(pitches, pc):
    """The middle 1: every note between the lower 1 and the upper 4 when it can be, most
    notes in the middle octave."""
    best = None
    for tonic in (pc + 48, pc + 60, pc + 72):
        fit = sum(tonic - 12 <= p <= tonic + 17 for p in pitches)
        middle = sum(tonic <= p < tonic + 12 for p in pitches)
        score = (fit, middle, -abs(tonic - 66))
        if best is None or score > best[0]:
            best = (score, tonic)
    return best[1]


def spell(pitch, letter, fifths, tonic):
    """(degree, accidental, octave) of a note written in the major key of `fifths`."""
    tonic_letter = MAJOR_BY_FIFTHS[fifths + 7][0]
    degree = (LETTERS.index(letter) - LETTERS.index(tonic_letter)) % 7 + 1
    natural = tonic + jianpu_notes.DEGREE_SEMIS[degree - 1]
    diff = pitch - natural
    octave = round(diff / 12)
    alter = diff - 12 * octave
    return degree, alter, octave


def note_token(spelled, units, bar_signs):
    """The note as written: a sign only where the bar so far gives its degree and octave
    another alteration (a sign lasts to the bar line; = cancels one)."""
    degree, alter, octave = spelled
    acc = ''
    if alter != bar_signs.get((degree, octave), 0):
        acc = {1: '#', -1: 'b', 2: '##', -2: 'bb', 0: '='}[alter]
    bar_signs[(degree, octave)] = alter
    marks = "'" * octave if octave > 0 else ',' * -octave
    return acc + str(degree) + marks


SMALL = {6: ('_', True), 4: ('_', False), 3: ('__', True), 2: ('__', False), 1: ('___', False)}


def pieces(units):
    """Splits a length in units into writable lengths, longest first."""
    out = []
    if units >= UNITS:
        whole = units // UNITS * UNITS
        rest = units - whole
        if rest == UNITS // 2:
            out.append(units)
            return out
        out.append(whole)
        units = rest
    while units > 0:
        for v in (6, 4, 3, 2, 1):
            if v <= units:
                out.append(v)
                units -= v
                break
    return out


def write_piece(name, units):
    """One note (or rest) cell group of `units`."""
    if units >= UNITS:
        beats, rest = divmod(units, UNITS)
        cells = [name] + ['-'] * (beats - 1)
        if rest:
            if beats == 1:
                cells[0] += '.'
            else:
                cells.append('.')
        return cells
    lines, dotted = SMALL[units]
    return [name + lines + ('.' if dotted else '')]


def write_rest(units):
    cells = []
    while units >= UNITS:
        cells.append('0')
        units -= UNITS
    for v in pieces(units):
        cells += write_piece('0', v)
    return cells


def render(tune):
    fifths = tune.events[0][1]
    override = key_of_name(tune.key_override) if tune.key_override else None
    # Sections of one key, each with its own middle 1.
    sections = []
    cur = None
    for e in tune.events:
        if isinstance(e, tuple) and e[0] == 'key':
            cur = {'fifths': override if override is not None else e[1], 'pitches': []}
            sections.append(cur)
        elif isinstance(e, list) and e[0] == 'note':
            cur['pitches'].append(e[1])
    for s in sections:
        s['tonic'] = place_tonic(s['pitches'], (s['fifths'] * 7) % 12)

    out = ['歌名：' + tune.title]
    line = []
    bars_on_line = 0
    section = -1
    meter = tune.meter
    header_due = True
    open_tie = False
    bar_units = 0
    # A tie follows its first note: mark the note itself.
    tied_on = set()
    last_note = None
    for i, e in enumerate(tune.events):
        if isinstance(e, list) and e[0] == 'note':
            last_note = i
        elif isinstance(e, tuple) and e[0] == 'tie' and last_note is not None:
            tied_on.add(last_note)
    bar_lengths = []
    bar_signs = {}
    triplet_open = False
    for index, e in enumerate(tune.events):
        if isinstance(e, tuple):
            if e[0] == 'key':
                section += 1
                header_due = True
                continue
            if e[0] == 'meter':
                meter = e[1]
                header_due = True
                continue
            if e[0] == 'tie':
                continue
            if e[0] == 'bar':
                if triplet_open:
                    line.append(']')
                    triplet_open = False
                line.append('|')
                bar_signs = {}
                bar_lengths.append((bar_units, meter))
                bar_units = 0
                bars_on_line += 1
                if bars_on_line == 4:
                    out.append(' '.join(line))
                    line = []
                    bars_on_line = 0
                continue
        if header_due:
            if line:
                out.append(' '.join(line))
                line = []
                bars_on_line = 0
            s = sections[section]
            out.append('%s %d/%d' % (key_name(s['fifths']), meter[0], meter[1]))
            header_due = False
        kind, pitch, letter, dur, written = e
        if written is not None and not triplet_open:
            line.append('3[')
            triplet_open = True
        if written is None and triplet_open:
            line.append(']')
            triplet_open = False
        value = written if written is not None else dur
        units = value * UNITS
        if units.denominator != 1:
            raise ValueError('%s: a length of %s quarters cannot be written' % (tune.title, value))
        units = int(units)
        bar_units += dur
        if kind == 'rest':
            line += write_rest(units)
            continue
        s = sections[section]
        name = note_token(spell(pitch, letter, s['fifths'], s['tonic']), units, bar_signs)
        parts = pieces(units)
        cells = []
        for v in parts:
            cells += write_piece(name, v)
        tied_from_before = open_tie
        open_tie = index in tied_on
        if len(parts) > 1 or tied_from_before or open_tie:
            if not tied_from_before:
                cells[0] = '(' + cells[0]
            if not open_tie:
                cells[-1] = cells[-1] + ')'
        line += cells
    if triplet_open:
        line.append(']')
    if line:
        out.append(' '.join(line))
    check_bars(tune, bar_lengths)
    return '\n'.join(out) + '\n'


def check_bars(tune, bar_lengths):
    """Every bar but the first and the last is full; a pickup and the last bar make one."""
    for i, (units, meter) in enumerate(bar_lengths):
        full = Fraction(4 * meter[0], meter[1])
        if 0 < i < len(bar_lengths) - 1 and units != full:
            raise ValueError('%s: bar %d holds %s quarters, not %s' % (tune.title, i + 1, units, full))


def main():
    tune = read_abc(sys.argv[1])
    text = render(tune)
    # The text must read back to the tune's own notes.
    notes, _ = jianpu_notes.parse(text)
    expected = [e[3] for e in tune.events if isinstance(e, list) and e[0] == 'note']
    merged = []
    tie = False
    for e in tune.events:
        if isinstance(e, tuple) and e[0] == 'tie':
            tie = True
        elif isinstance(e, list) and e[0] == 'note':
            if tie and merged:
                merged[-1] += e[3]
            else:
                merged.append(e[3])
            tie = False
    got = [n.duration for n in notes]
    if got != merged:
        raise SystemExit('%s: text reads back as %d notes, the tune has %d (%d before ties)'
                         % (sys.argv[1], len(got), len(merged), len(expected)))
    sys.stdout.write(text)


if __name__ == '__main__':
    main()
