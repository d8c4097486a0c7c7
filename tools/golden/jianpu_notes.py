"""Reads numbered-notation text (the program's text form, plus what it will learn:
`#4` `b7` `=4` accidentals (a sign lasts to the bar line), `1=G` keys, `3/4` `6/8` meters, `5___` a 32nd and `3[ 1_ 2_ 3_ ]`
triplets) into a list of sounding notes for comparison.

A note is (pitch, duration, bar_before):
  pitch     semitones from the middle 1 of the key in force, accidental and octave included
  key       pitch class of the key in force; first_key that of the text's first key
  spelled   (degree, accidental, octave) as written
  duration  Fraction of a quarter note, tied notes joined
  onset     Fraction of a quarter from the first sounding note
  bar       True when a bar line falls after the previous note's start and at or before
            this note's start (a pickup's leading rests do not matter)
"""
from fractions import Fraction
import re

DEGREE_SEMIS = [0, 2, 4, 5, 7, 9, 11]
KEY_RE = re.compile(r'^1=([#b♯♭]?)([A-G])([#b♯♭]?)$')
METER_RE = re.compile(r'^(\d+)/(\d+)$')
NOTE_RE = re.compile(r"^(\(*)([#b♯♭=♮]?)([0-7])([',]*)(_*)(\)*)(\.?)(\^\d+)?(\)*)$")
LETTER_PC = {'C': 0, 'D': 2, 'E': 4, 'F': 5, 'G': 7, 'A': 9, 'B': 11}
HEADER_KEYS = ('歌名', '演唱', '作词', '作曲', '节拍', 'title', 'time')


class Note:
    __slots__ = ('pitch', 'spelled', 'duration', 'bar', 'rest', 'onset', 'key', 'first_key')

    def __init__(self, pitch, spelled, duration, rest=False):
        self.pitch = pitch
        self.spelled = spelled
        self.duration = duration
        self.bar = False
        self.rest = rest
        self.onset = Fraction(0)   # from the first sounding note
        self.key = 0               # pitch class of the key in force (C when none is named)
        self.first_key = 0         # pitch class of the text's first key

    def __repr__(self):
        return 'Note(%s,%s,%s%s)' % (self.pitch, self.spelled, self.duration, ',bar' if self.bar else '')


def key_pc(text):
    """'1=bB' -> 10; None when the text is no key."""
    m = KEY_RE.match(text.replace('＝', '='))
    if not m:
        return None
    pc = LETTER_PC[m.group(2)]
    for acc in (m.group(1), m.group(3)):
        if acc in ('#', '♯'):
            pc += 1
        elif acc in ('b', '♭'):
            pc -= 1
    return pc % 12


def parse(text):
    """Returns (notes, info): notes as above (rests left out), info with 'keys' and 'meters' seen."""
    info = {'keys': [], 'meters': []}
    cells = []          # ('note', Note) | ('bar',) | ('dash',) | ('dot', units_of_owner)
    arcs = []           # (first cell index, last cell index)
    open_arcs = []
    triplet = False
    bar_signs = {}      # (degree, octave) -> the alteration a sign in this bar gave it
    for raw in text.splitlines():
        line = raw.strip()
        if not line:
            continue
        head = re.split(r'[：:]', line, maxsplit=1)[0].strip()
        if head in HEADER_KEYS and re.search(r'[：:]', line):
            if head in ('节拍', 'time'):
                info['meters'].append(re.split(r'[：:]', line, maxsplit=1)[1].strip())
            continue
        if line.startswith('#') and not re.match(r'^#[0-7]', line):
            continue
        for tok in line.replace('｜', '|').split():
            if tok.startswith('#') and not re.match(r'^#[0-7]', tok):
                break   # a comment to the end of the line
            # A slur may close on a dash or a dot as well as on a note.
            bare = tok.rstrip(')')
            if bare in ('-', '~') or re.match(r'^\.+_*$', bare or 'x'):
                cells.append(('dash',) if bare == '-' else ('dot', Fraction(1, 2 ** (bare.count('_') + 1)))
                             if bare != '~' else ('space',))
                for _ in range(len(tok) - len(bare)):
                    if open_arcs:
                        arcs.append((open_arcs.pop(), len(cells) - 1))
                continue
            pc = key_pc(tok)
            if pc is not None:
                info['keys'].append(tok)
                continue
            if METER_RE.match(tok):
                info['meters'].append(tok)
                continue
            if tok in ('|', '||', '/', '|]', '||]'):
                cells.append(('bar',))
                bar_signs = {}
                continue
            if tok == '3[':
                triplet = True
                continue
            if tok == ']':
                triplet = False
                continue
            if tok == ')':
                if open_arcs:
                    arcs.append((open_arcs.pop(), len(cells) - 1))
                continue
            m = NOTE_RE.match(tok)
            if not m:
                raise ValueError('cannot read %r' % tok)
            opens, acc, digit, marks, lines, early, dot, caret, closes = m.groups()
            closes = early + closes
            degree = int(digit)
            value = Fraction(1, 2 ** len(lines))
            if triplet:
                value = value * Fraction(2, 3)
            octave = marks.count("'") - marks.count(',')
            # A sign lasts to the bar line for its degree and octave; = or ♮ cancels it.
            if acc:
                alter = 1 if acc in ('#', '♯') else -1 if acc in ('b', '♭') else 0
                bar_signs[(degree, octave)] = alter
            else:
                alter = bar_signs.get((degree, octave), 0)
            if degree == 0:
                note = Note(None, None, value, rest=True)
            else:
                pitch = DEGREE_SEMIS[degree - 1] + alter + 12 * octave
                note = Note(pitch, (degree, alter, octave), value)
            index = len(cells)
            for _ in opens:
                open_arcs.append(index)
            if info['keys']:
                note.key = key_pc(info['keys'][-1])
                note.first_key = key_pc(info['keys'][0])
            cells.append(('note', note, len(info['keys'])))
            if dot:
                cells.append(('dot', value / 2))
            if caret:
                arcs.append((index, index + int(caret[1:])))
            for _ in closes:
                if open_arcs:
                    arcs.append((open_arcs.pop(), len(cells) - 1))
    # Dots and dashes lengthen the note before them.
    last = None
    for c in cells:
        if c[0] == 'note':
            last = c[1]
        elif c[0] == 'dash' and last is not None:
            last.duration += 1
        elif c[0] == 'dot' and last is not None:
            last.duration += c[1]
    # An arc over notes of one pitch is a tie: they sound as one.
    tied_into = set()
    for first, end in arcs:
        notes = [i for i in range(first, min(end, len(cells) - 1) + 1) if cells[i][0] == 'note']
        if not notes or cells[notes[0]][1].rest:
            continue
        p = cells[notes[0]][1].pitch
        for i in notes[1:]:
            if cells[i][1].rest or cells[i][1].pitch != p:
                break
            tied_into.add(i)
    notes = []
    bar_pending = False
    for i, c in enumerate(cells):
        if c[0] == 'bar':
            bar_pending = True
        elif c[0] == 'note':
            n = c[1]
            if i in tied_into and notes and not notes[-1].rest:
                notes[-1].duration += n.duration
                continue
            if n.rest:
                if notes and notes[-1].rest:
                    notes[-1].duration += n.duration
                    continue
            n.bar = bar_pending and any(not x.rest for x in notes)
            bar_pending = False
            notes.append(n)
    # Rests only move the bar flag on to the next note.
    t = Fraction(0)
    for n in notes:
        n.onset = t
        t += n.duration
    first = next((n.onset for n in notes if not n.rest), Fraction(0))
    sounding = []
    carry = False
    for n in notes:
        n.onset -= first
        if n.rest:
            carry = carry or n.bar
            continue
        n.bar = n.bar or carry
        carry = False
        sounding.append(n)
    return sounding, info
