"""Checks of the measuring tools: a fault here would make every figure of the corpus wrong."""
import os
import sys
import tempfile
import unittest
from fractions import Fraction as F

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.dirname(HERE))
import abc_to_jianpu  # noqa: E402
import jianpu_notes  # noqa: E402
import score_conversion  # noqa: E402


def notes(text):
    return jianpu_notes.parse(text)[0]


class ReadJianpu(unittest.TestCase):
    def test_lengths(self):
        cases = [
            ('5', 1), ('5 -', 2), ('5 - -', 3), ('5 - .', F(5, 2)), ('5.', F(3, 2)), ('5_', F(1, 2)),
            ('5_.', F(3, 4)), ('5__', F(1, 4)), ('5__.', F(3, 8)), ('5___', F(1, 8)),
        ]
        for text, length in cases:
            with self.subTest(text=text):
                got = notes(text)
                self.assertEqual(len(got), 1)
                self.assertEqual(got[0].duration, length)

    def test_triplets_take_two_thirds(self):
        got = notes('3[ 1_ 2_ 3_ ] 4')
        self.assertEqual([n.duration for n in got], [F(1, 3)] * 3 + [1])

    def test_a_sign_lasts_to_the_bar_line(self):
        got = notes("#4 4 4' =4 b4 | 4 #4")
        self.assertEqual([n.pitch for n in got], [6, 6, 17, 5, 4, 5, 6])

    def test_pitches_after_the_key(self):
        got = notes("1 #4 b5 1' 5, 7,")
        self.assertEqual([n.pitch for n in got], [0, 6, 6, 12, -5, -1])
        self.assertEqual(got[1].spelled, (4, 1, 0))

    def test_ties_join_and_slurs_do_not(self):
        # The corpus's form, the program's form (a dot after the closing arc) and a slur.
        self.assertEqual([n.duration for n in notes('(5 - | 5) 3')], [3, 1])
        self.assertEqual([n.duration for n in notes('(2__ | 2__). 3')], [F(5, 8), 1])
        self.assertEqual([n.duration for n in notes('1 - -) | 5^2 - 5')], [3, 3])
        self.assertEqual([n.pitch for n in notes('(1 2 3)')], [0, 2, 4])

    def test_bar_lines_belong_to_the_next_note(self):
        got = notes('0 0 0 5, | 1 - (5 - | 5) 3 0 | 0 2 |')
        self.assertEqual([n.bar for n in got], [False, True, False, True, True])
        self.assertEqual([n.onset for n in got], [0, 1, 3, 6, 9])

    def test_headers_and_comments(self):
        got, info = jianpu_notes.parse('歌名：x\n节拍：4/4\n1=bB 6/8\n# note\n1 #4 # a comment 7\n')
        self.assertEqual([n.pitch for n in got], [0, 6])
        self.assertEqual(info['keys'], ['1=bB'])
        self.assertIn('6/8', info['meters'])

    def test_unreadable_token(self):
        with self.assertRaises(ValueError):
            notes('1 x 2')


class Scoring(unittest.TestCase):
    def test_a_key_change_kept_as_signs(self):
        expected = notes('1=C 2/4\n1 2 | 3 - |\n1=G 2/4\n1 2 | 3 - |')
        kept = notes("1=C 2/4\n1 2 | 3 - | 5 6 | 7 - |")
        self.assertEqual(score_conversion.score(expected, kept)['pitch'], 6)
        # Counted from a wrong first key, nothing is right after the change either.
        wrong = notes("1=F 2/4\n5 6 | 7 - | 2' 3' | #4' - |")
        self.assertEqual(score_conversion.score(expected, wrong)['pitch'], 0)
        lower = notes("1=C 2/4\n1 2 | 3 - | 5, 6, | 7, - |")
        self.assertEqual(score_conversion.score(expected, lower)['pitch'], 6)

    def test_an_extra_note_costs_itself(self):
        s = score_conversion.score(notes('1 2 3 4 |'), notes('1 2__ 2. 3 4 |'))
        self.assertEqual((s['notes'], s['pitch'], s['rhythm']), (5, 4, 3))

    def test_a_wrong_key_does_not_shift_the_pairing(self):
        s = score_conversion.score(notes('1 1 1 5, | 3 3 2 2 |'), notes('2 2 2 6, | 4 4 3 3 |'))
        self.assertEqual((s['pitch'], s['rhythm'], s['bars'], s['bar_total']), (0, 8, 1, 1))

    def test_a_lost_pickup_moves_every_bar(self):
        s = score_conversion.score(notes('5, | 1 1 5 5 | 6 6 5 - |'), notes('5, 1 1 5 | 5 6 6 5 |'))
        self.assertEqual((s['pitch'], s['bars'], s['bar_total']), (8, 0, 2))


    def test_the_melody_is_the_closest_part(self):
        expected = notes('1 2 3 4 | 5 - - - |')
        # An unreadable or failed part is passed over; of equal matches the nearer note count wins.
        texts = ['1 1 1 1 | 1 - - - |', None, '1 2 3 4 | 5 - - - |', '1 2 3 4 | 5 - - - | 1 |', 'x y']
        self.assertEqual(score_conversion.closest_part(expected, texts), 2)
        texts[0] = '1 2 3 4 | 5 - - - |'
        self.assertEqual(score_conversion.closest_part(expected, texts), 0)
        self.assertEqual(score_conversion.closest_part(expected, [None, 'x']), -1)

    def test_the_programs_own_text_reads(self):
        # As the import writes it today: credits, a time line, arcs as ^n counting the bar line
        # as a cell, bar lines of either kind. The bar inside the tied note comes before the 3.
        got, info = jianpu_notes.parse('歌名：t\n演唱：佚名\n节拍：4/4\n5^3 - | 5 3_ 2_ ｜ 1 - - - ||\n')
        self.assertEqual([(n.pitch, n.duration, n.bar) for n in got],
                         [(7, 3, False), (4, F(1, 2), True), (2, F(1, 2), False), (0, 4, True)])
        self.assertEqual(info['keys'], [])


def tune(body, head='M:4/4\nL:1/8\nK:G\n'):
    with tempfile.NamedTemporaryFile('w', suffix='.abc', delete=False, encoding='utf-8') as f:
        f.write('X:1\nT:t\n' + head + body + '\n')
    try:
        t = abc_to_jianpu.read_abc(f.name)
        return t, abc_to_jianpu.render(t)
    finally:
        os.unlink(f.name)


def written(text):
    return [line for line in text.splitlines()[1:]]


class ReadAbc(unittest.TestCase):
    def test_keys_and_modes(self):
        for key, fifths in [('C', 0), ('G', 1), ('Am', 0), ('Edor', 2), ('Dmix', 1), ('Bb', -2), ('Eb', -3), ('F#', 6)]:
            with self.subTest(key=key):
                self.assertEqual(abc_to_jianpu.fifths_of(key), fifths)

    def test_lengths_broken_rhythm_and_triplets(self):
        _, text = tune('G2 A>B (3cBA G/G/ z | d8 |]')
        self.assertEqual(written(text), ['1=G 4/4', '1 2_. 3__ 3[ 4_ 3_ 2_ ] 1__ 1__ 0_ | 5 - - - |'])

    def test_accidentals_last_to_the_bar_line(self):
        _, text = tune('^c c =F F f2 F2 | c F d4 |]')
        # Written as numbered notation writes them: a sign once per bar, = where one is cancelled.
        self.assertEqual(written(text), ['1=G 4/4', "#4_ 4_ b7,_ 7,_ 7 7, | 4_ 7,_ 5 - |"])
        self.assertEqual([n.pitch for n in notes(written(text)[1])], [6, 6, -2, -2, 11, -2, 5, -1, 7])
        _, text = tune('^c =c c2 |]', 'M:2/4\nL:1/8\nK:G\n')
        self.assertEqual(written(text)[1], '#4_ =4_ 4 |')

    def test_chords_give_their_top_note_and_grace_notes_none(self):
        _, text = tune('"G"[GBd]2 {c}B2 [DG]4 |]')
        self.assertEqual(written(text), ['1=G 4/4', '5 3 1 - |'])

    def test_ties_across_bars(self):
        _, text = tune('G8- | G4 A4 |]')
        self.assertEqual(written(text), ['1=G 4/4', '(1 - - - | 1 -) 2 - |'])

    def test_minor_is_written_from_its_relative_major(self):
        _, text = tune('A2 ^G2 A4 |]', 'M:4/4\nL:1/8\nK:Am\n')
        self.assertEqual(written(text), ['1=C 4/4', '6 #5 6 - |'])

    def test_a_bar_of_the_wrong_length_is_refused(self):
        with self.assertRaises(ValueError):
            tune('G2 | G8 | G6 | G8 |]')

    def test_key_and_meter_changes_start_a_line(self):
        _, text = tune('G8 |\nK:D\nM:3/4\nD6 |]')
        self.assertEqual(written(text), ['1=G 4/4', '1 - - - |', '1=D 3/4', '1 - - |'])

    def test_the_melody_voice_alone(self):
        t, text = tune('V:1\nD8 |]\nV:2\n%%MIDI program 73\nB8 |]', 'M:4/4\nL:1/8\nK:G\n%%tavo-melody 2\n')
        self.assertEqual(written(text), ['1=G 4/4', '3 - - - |'])


class WriteLengths(unittest.TestCase):
    def test_lengths_that_need_a_tie(self):
        # units of a 32nd: a quarter and a 32nd, a quarter and a 16th, five eighths, seven 32nds
        cases = [('G9/4', '(1 1___) |'), ('G5/2', '(1 1__) |'), ('G5', '1 - . |'), ('G7/4', '(1_. 1___) |')]
        for body, text in cases:
            with self.subTest(body=body):
                _, out = tune(body + ' |]', 'L:1/8\nK:G\n')
                self.assertEqual(written(out)[1], text)

    def test_rests(self):
        _, text = tune('z8 | z6 G2 | z3 G G4 |]')
        self.assertEqual(written(text)[1], '0 0 0 0 | 0 0 0 1 | 0 0_ 1_ 1 - |')

    def test_chord_lengths_and_fractions(self):
        _, text = tune('[GB]2 B/B/ B// B// B3/2 B/ [DG]3 z |]')
        self.assertEqual(written(text)[1], '3 3__ 3__ 3___ 3___ 3_. 3__ 1. 0_ |')


class Spelling(unittest.TestCase):
    def test_as_the_abc_spells_it(self):
        _, text = tune('^F _G ^c _d _B ^A E2 |]', 'M:4/4\nL:1/8\nK:C\n')
        self.assertEqual(written(text)[1], '#4_ b5_ #1\'_ b2\'_ b7_ #6_ 3 |')

    def test_a_lying_signature_is_renamed(self):
        _, text = tune('D ^F A2 |]', 'M:2/4\nL:1/8\nK:C\n%%tavo-key D\n')
        self.assertEqual(written(text), ['1=D 2/4', '1_ 3_ 5 |'])

    def test_the_middle_one_fits_the_range(self):
        # With d' as the middle 1 the b'' would lie past the upper 4: the middle 1 goes up an
        # octave although more notes would then stand in the middle octave.
        _, text = tune('A2 B2 c2 b2 |]', 'M:4/4\nL:1/8\nK:D\n')
        self.assertEqual(written(text)[1], '5, 6, 7, 6 |')
        _, text = tune('A2 B2 c2 g2 |]', 'M:4/4\nL:1/8\nK:D\n')
        self.assertEqual(written(text)[1], "5 6 7 4' |")


if __name__ == '__main__':
    unittest.main()
