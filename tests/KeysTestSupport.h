#pragma once
// The three windows after a real start-up (sound files written), and what the players
// were last asked to play.
#include "TestSupport.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/NotePlayer.h"
#include "ui/keys/MainKeys.h"
#include "ui/panels/EntryPanel.h"
#include "ui/panels/ScorePanel.h"
#include "ui/widgets/ImageButton.h"

namespace KeysTest {

// Slot of each note name, written out here so the tests do not lean on the player's table.
inline int Slot(const QString& note)
{
    static const QHash<QString, int> Slots{
        {"F", 5},    {"G", 7},    {"A", 9},    {"B", 11},   {"c", 12},   {"d", 14},   {"e", 16},   {"f", 17},
        {"g", 19},   {"a", 21},   {"b", 23},   {"c1", 24},  {"d1", 26},  {"e1", 28},  {"f1", 29},  {"g1", 31},
        {"a1", 33},  {"b1", 35},  {"c2", 36},  {"d2", 38},  {"e2", 40},  {"f2", 41},  {"F#", 6},   {"G#", 8},
        {"A#", 10},  {"c#", 13},  {"d#", 15},  {"f#", 18},  {"g#", 20},  {"a#", 22},  {"c#1", 25}, {"d#1", 27},
        {"f#1", 30}, {"g#1", 32}, {"a#1", 34}, {"c#2", 37}, {"d#2", 39}, {"f#2", 42},
    };
    return Slots.value(note, -1);
}

// Notes started so far on all three players together.
inline int Plays(const NotePlayer& kb)
{
    return kb.Player(1)->PlayCount() + kb.Player(2)->PlayCount() + kb.Player(3)->PlayCount();
}

// The file of the latest player, with the voice name only ("VOIC_....dat").
inline QString LatestFile(const NotePlayer& kb)
{
    const TMediaPlayer* p = kb.Player(kb.PlayerTurn());
    return p ? p->FileName().mid(kb.TempDir().size()) : QString();
}

inline QString ExpectedFile(const NotePlayer& kb, const QString& note)
{
    const int slot = Slot(note);
    return slot < 0 ? QString() : kb.Voice()[size_t(slot)] + QStringLiteral(".dat");
}

struct Started {
    TempEnv env;
    PianoWindows w{env};
    TFormPiano& main = *w.main;
    NotePlayer& kb1 = w.player();
    TFrmKeyBoard_2& kb2 = w.kb2();

    // Shows the main window and lets its start-up sequence run to the end.
    bool start()
    {
        if (!env.copyStarterDatabase())
            return false;
        main.show();
        if (!QTest::qWaitFor([this] { return main.StartupDone() || !env.dialogs.errors.isEmpty(); }, 20000))
            return false;
        return main.StartupDone() && env.dialogs.errors.isEmpty();
    }

    // Back to the state after start-up: main keyboard, no panel, every key up.
    void reset()
    {
        if (kb2.isVisible())
            main.ImgSetBoardClick();
        main.GBxShowOpern->hide();
        main.GBxOpernWrite->hide();
        for (TImageButton* b : main.findChildren<TImageButton*>())
            b->ShowUp();
        for (TImageButton* b : kb2.findChildren<TImageButton*>())
            b->ShowUp();
        main.setFocus();
        env.dialogs.errors.clear();
    }
};

// What one key stroke did: how many notes started, and the file of the latest one.
struct Stroke {
    int notes = 0;
    int turns = 0;
    QString file;
};

template <typename Fn>
Stroke Measure(const NotePlayer& kb, Fn&& fn)
{
    const int plays = Plays(kb);
    const int turn = kb.PlayerTurn();
    fn();
    Stroke s;
    s.notes = Plays(kb) - plays;
    s.turns = (kb.PlayerTurn() - turn + 3) % 3;
    s.file = s.notes ? LatestFile(kb) : QString();
    return s;
}

}
