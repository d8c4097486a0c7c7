#!/usr/bin/env python3
"""Scores the program's MIDI and MusicXML import against the written melody.

For every tune of the golden corpus (tests/data/golden/<split>/<tune>.txt with its .mid,
.musicxml and .mxl) it imports each file with tavo_convert, as the score panel's 导入 does,
and compares the numbered notation it gets with the expected text:
  pitch   degree, accidental and octave after the key (a sharp 4 and a flat 5 are the same);
          after a key change, a conversion that keeps the first key and writes signs is right
          where the note is the same pitch counted from the first key (the later section's
          middle 1 may lie an octave either way)
  rhythm  the length of each note, ties joined
  bars    the bar lines, by the note each one comes before
  melody  whether the part preselected in the chooser is the one that carries the melody
          (the part whose conversion is closest to the expected text)
Notes are paired by an alignment, so a missing or extra note costs itself only; each figure
is the pairs that agree over the larger of the two counts.

usage: score_conversion.py [--convert build/tools/tavo_convert] [--split dev|heldout|all]
                           [--formats mid,musicxml,mxl] [--quiet] [--check]
--check: only make sure every file converts and the figures can be computed (exit 1 if not).
"""
import argparse
import os
import re
import subprocess
import sys
from collections import defaultdict

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(HERE, 'golden'))
import jianpu_notes  # noqa: E402

GAP = 1.5   # a note left out costs more than one sung wrong: a wrong key must not shift the pairing
FORMATS = ('mid', 'musicxml', 'mxl')


def run_convert(tool, path, part=None):
    args = [tool] + (['--part', str(part)] if part is not None else []) + [path]
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    proc = subprocess.run(args, capture_output=True, text=True, env=env, timeout=120)
    out = {'parts': [], 'preselected': -1, 'asked': [], 'errors': [], 'text': None}
    lines = proc.stdout.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith('part: '):
            out['parts'].append(line[6:].split(' ', 1)[1])
        elif line.startswith('preselected: '):
            out['preselected'] = int(line.split(': ', 1)[1])
        elif line.startswith('asked: '):
            out['asked'].append(line[7:])
        elif line.startswith('error: '):
            out['errors'].append(line[7:])
        elif line == 'text:':
            j = lines.index('end', i + 1) if 'end' in lines[i + 1:] else len(lines)
            out['text'] = '\n'.join(lines[i + 1:j])
            i = j
        i += 1
    if proc.returncode not in (0, 1) or (out['text'] is None and not out['errors']):
        out['errors'].append('tavo_convert failed (%d): %s' % (proc.returncode, proc.stderr.strip()[:300]))
    return out


def summary_of(conv):
    """The note shown before the import: what the conversion changed."""
    for q in conv['asked']:
        if '新歌曲导入' in q:
            parts = q.split(' /  / ')
            return parts[-1] if len(parts) > 2 else ''
    return ''


def key_of(conv, info):
    if info['keys']:
        return info['keys'][0].replace('♭', 'b').replace('♯', '#')
    m = re.search(r'原调 (1=\S+?)(；|$)', summary_of(conv))
    return m.group(1).replace('♭', 'b').replace('♯', '#') if m else '?'


def moved_key(e, a):
    """The expected note's section lies in another key than the text's first, and the
    conversion keeps that first key throughout: the semitones from the first key note."""
    if e.key != e.first_key and a.key == a.first_key == e.first_key:
        return (e.key - e.first_key) % 12
    return None


def same_pitch(e, a):
    if e.pitch == a.pitch:
        return True
    d = moved_key(e, a)
    return d is not None and a.pitch in (e.pitch + d, e.pitch + d - 12)


def same_degree(e, a):
    d = moved_key(e, a) or 0
    return (e.pitch + d) % 12 == a.pitch % 12


def align(exp, act):
    """Pairs (i, j) of an alignment of two note lists: a pitch, length or start that differs
    costs less than a note left out, so like notes pair up; a start that agrees keeps
    notes sung wrong in their places."""
    n, m = len(exp), len(act)
    INF = float('inf')
    cost = [[INF] * (m + 1) for _ in range(n + 1)]
    step = [[None] * (m + 1) for _ in range(n + 1)]
    cost[0][0] = 0
    for i in range(n + 1):
        for j in range(m + 1):
            c = cost[i][j]
            if c == INF:
                continue
            if i < n and c + GAP < cost[i + 1][j]:
                cost[i + 1][j], step[i + 1][j] = c + GAP, "e"
            if j < m and c + GAP < cost[i][j + 1]:
                cost[i][j + 1], step[i][j + 1] = c + GAP, "a"
            if i < n and j < m:
                s = (c + (not same_pitch(exp[i], act[j])) * 0.9 + (exp[i].duration != act[j].duration) * 0.5
                     + (exp[i].onset != act[j].onset) * 0.3)
                if s < cost[i + 1][j + 1]:
                    cost[i + 1][j + 1], step[i + 1][j + 1] = s, 'p'
    pairs = []
    i, j = n, m
    while i or j:
        s = step[i][j]
        if s == 'p':
            pairs.append((i - 1, j - 1))
            i, j = i - 1, j - 1
        elif s == 'e':
            i -= 1
        else:
            j -= 1
    pairs.reverse()
    return pairs


def score(exp, act):
    pairs = align(exp, act)
    d = max(len(exp), len(act))
    bars_e = sum(n.bar for n in exp)
    bars_a = sum(n.bar for n in act)
    return {
        'notes': d,
        'expected': len(exp),
        'got': len(act),
        'pitch': sum(same_pitch(exp[i], act[j]) for i, j in pairs),
        'degree': sum(same_degree(exp[i], act[j]) for i, j in pairs),
        'rhythm': sum(exp[i].duration == act[j].duration for i, j in pairs),
        'bar_total': max(bars_e, bars_a),
        'bars': sum(exp[i].bar and act[j].bar for i, j in pairs),
    }


def closest_part(expected, texts):
    """The melody part: the one whose text (None when it failed) comes closest to the written
    tune, by pitches and lengths that agree, then by the nearer note count; -1 when none reads."""
    best = None
    for p, text in enumerate(texts):
        if text is None:
            continue
        try:
            notes, _ = jianpu_notes.parse(text)
        except ValueError:
            continue
        o = score(expected, notes)
        key = (o['pitch'] + o['rhythm'], -abs(o['got'] - o['expected']))
        if best is None or key > best[0]:
            best = (key, p)
    return best[1] if best else -1


def pct(a, b):
    return '%5.1f%%' % (100.0 * a / b) if b else '    - '


def causes_of(corpus, split, tune):
    path = os.path.join(corpus, 'abc', split, tune + '.abc')
    try:
        with open(path, encoding='utf-8') as f:
            for line in f:
                if line.startswith('%%tavo-causes'):
                    return line.split()[1:]
    except OSError:
        pass
    return []


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--convert', default=os.path.join(ROOT, 'build', 'tools', 'tavo_convert'))
    ap.add_argument('--corpus', default=os.path.join(ROOT, 'tests', 'data', 'golden'))
    ap.add_argument('--split', default='all', choices=('dev', 'heldout', 'all'))
    ap.add_argument('--formats', default=','.join(FORMATS))
    ap.add_argument('--quiet', action='store_true', help='totals only')
    ap.add_argument('--check', action='store_true', help='only check that every file converts')
    args = ap.parse_args()
    formats = [f for f in args.formats.split(',') if f]
    splits = ('dev', 'heldout') if args.split == 'all' else (args.split,)

    problems = []
    totals = defaultdict(lambda: defaultdict(int))   # (split, format) -> counts
    by_cause = defaultdict(lambda: defaultdict(int))  # (split, cause) -> counts
    for split in splits:
        folder = os.path.join(args.corpus, split)
        tunes = sorted(f[:-4] for f in os.listdir(folder) if f.endswith('.txt'))
        if not tunes:
            problems.append('%s: no tunes' % folder)
        for tune in tunes:
            with open(os.path.join(folder, tune + '.txt'), encoding='utf-8') as f:
                expected_text = f.read()
            expected, _ = jianpu_notes.parse(expected_text)
            exp_key = re.search(r'^(1=\S+)', expected_text, re.M)
            exp_key = exp_key.group(1) if exp_key else '?'
            causes = causes_of(args.corpus, split, tune)
            for fmt in formats:
                path = os.path.join(folder, '%s.%s' % (tune, fmt))
                if not os.path.exists(path):
                    problems.append('%s missing' % path)
                    continue
                name = '%s/%s.%s' % (split, tune, fmt)
                conv = run_convert(args.convert, path)
                if conv['errors'] or conv['text'] is None:
                    problems.append('%s: %s' % (name, '; '.join(conv['errors']) or 'no text'))
                    continue
                try:
                    got, info = jianpu_notes.parse(conv['text'])
                except ValueError as e:
                    problems.append('%s: the converted text cannot be read: %s' % (name, e))
                    continue
                s = score(expected, got)
                melody_ok = None
                melody = conv['preselected']
                if len(conv['parts']) > 1 and not args.check:
                    texts = [run_convert(args.convert, path, p)['text'] for p in range(len(conv['parts']))]
                    melody = closest_part(expected, texts)
                    melody_ok = melody == conv['preselected']
                key = key_of(conv, info)
                for bucket in [totals[(split, fmt)], totals[(split, '*')]] + [by_cause[(split, c)] for c in causes]:
                    for k, v in s.items():
                        bucket[k] += v
                    bucket['files'] += 1
                    bucket['key_ok'] += key == exp_key
                    if melody_ok is not None:
                        bucket['multi'] += 1
                        bucket['melody_ok'] += melody_ok
                if not args.quiet and not args.check:
                    parts = ''
                    if len(conv['parts']) > 1:
                        parts = '  parts %d pre %d melody %d %s' % (len(conv['parts']), conv['preselected'], melody,
                                                                  'ok' if melody_ok else 'WRONG')
                    print('%-40s notes %3d/%3d  pitch %s  rhythm %s  bars %s  key %s%s%s' % (
                        name, s['got'], s['expected'], pct(s['pitch'], s['notes']), pct(s['rhythm'], s['notes']),
                        pct(s['bars'], s['bar_total']), exp_key,
                        '' if key == exp_key else '≠' + key, parts))
                    print('%-40s   %s' % ('', summary_of(conv)))

    if args.check:
        for p in problems:
            print('problem:', p)
        print('%d files converted, %d problems' % (sum(t['files'] for (sp, f), t in totals.items() if f == '*'),
                                                  len(problems)))
        return 1 if problems else 0

    def line(label, t):
        return '%-22s files %3d  notes %5d  pitch %s (degree %s)  rhythm %s  bars %s  key %s  melody %s' % (
            label, t['files'], t['notes'], pct(t['pitch'], t['notes']), pct(t['degree'], t['notes']),
            pct(t['rhythm'], t['notes']), pct(t['bars'], t['bar_total']), pct(t['key_ok'], t['files']),
            ('%d/%d' % (t['melody_ok'], t['multi'])) if t['multi'] else '-')

    print()
    print('Totals')
    for split in splits:
        for fmt in formats + ['*']:
            print(line('%s %s' % (split, 'all' if fmt == '*' else fmt), totals[(split, fmt)]))
    print()
    print('By cause (files exercising it, every format)')
    for split in splits:
        for cause in sorted(c for sp, c in by_cause if sp == split):
            print(line('%s %s' % (split, cause), by_cause[(split, cause)]))
    for p in problems:
        print('problem:', p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
