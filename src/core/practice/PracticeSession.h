#pragma once
// The rules of practice on the song on view: 示范 plays it and marks the sounding cell;
// 跟弹 marks the next note to play and waits for it; 节奏 walks the box on the beat, silently,
// and judges each note played against the beat. A cell picked is where they start; a passage
// picked loops. Only a run through the whole song may be its best. Whatever draws this is
// told through the signals.
#include "core/practice/DemoPlayer.h"
#include "core/practice/FollowMode.h"
#include "core/practice/Judge.h"
#include "core/practice/Passage.h"
#include "core/practice/Results.h"
#include "core/score/Song.h"
#include "core/score/SongRecord.h"
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

class IDialogs;
class INoteScheduler;

class PracticeSession : public QObject {
    Q_OBJECT
public:
    // What the session needs of the view it runs on.
    struct View {
        std::function<int()> shownSong;   // the song on view, 0 when none (or the menu is open)
        std::function<int()> viewPage;    // the page on view, from 1
        std::function<void(int)> showPage;   // the view's own page turn, to that page
        std::function<QString()> title;      // the song's title, for its best results
    };
    // clockMs: a steady clock for 跟弹's time and the demo's silent stand-in; the steady
    // clock when empty.
    PracticeSession(IDialogs& dialogs, const SongTableType& table, INoteScheduler& output, View view,
                    std::function<qint64()> clockMs = {}, QObject* parent = nullptr);
    ~PracticeSession() override;
    // The marks beside the table (the library's, which outlive the session): the songs then have
    // their keys, meters and accidentals. Held by address, so a temporary is refused.
    void SetMarks(const SongMarkTable& marks) { m_marks = &marks; }
    void SetMarks(SongMarkTable&&) = delete;

    static constexpr int TickMs = 8;          // the demo's look at the output clock
    static constexpr int TempoKeepMs = 800;   // a tempo is kept once changes have come to rest

    enum class Mode { None, Demo, Follow, Rhythm };
    Q_ENUM(Mode)
    Mode Running() const { return m_mode; }
    // The key 跟弹 waits for; empty when none.
    const QString& AwaitedKey() const { return m_awaitedKey; }
    const DemoPlayer& Demo() const { return m_demo; }
    const FollowMode& Follow() const { return m_follow; }
    const Judge& Rhythm() const { return m_judge; }
    const Passage& Pick() const { return m_pick; }
    Results& Best() { return m_results; }
    // The song's cell marked, 0 when none.
    int MarkedCell() const { return m_markedCell; }
    int Tempo() const { return m_tempo; }
    int ViewPage() const { return m_view.viewPage(); }

    // The three buttons: each starts its mode, or stops it when it runs.
    void DemoClick();
    void FollowClick();
    void RhythmClick();
    // A click on the view's cell at position (1..105): picks where the modes start; with
    // extend, the passage up to it. Ignored while a mode runs.
    void CellClicked(int position, bool extend);
    void ClearPick();
    void SetMetronome(bool on) { m_metronome = on; }
    // Degrees sound in the song's key instead of from C; taken up by the next start.
    void SetSoundInSongKey(bool on) { m_sounding = on ? Sounding::InSongKey : Sounding::InC; }
    // The tempo control moved; kept for the song once the changes rest.
    void SetTempo(int tempo);
    // A song was opened: its tempo as last set comes back, and later changes are kept for it.
    void SongOpened(const QString& title);
    // The next action: stops the mode running and clears what is said.
    void Stop();
    // Every note any keyboard pressed; ageMs: how long ago its key event arrived.
    void NotePlayed(const QString& note, qint64 ageMs = 0);
    // One step of the demo: where the output is now, marked.
    void DemoTick();
    // The wide keyboard was opened for notes below (low) or above the main keys: said
    // beside the mode's own line.
    void WideKeysOpened(bool low);

Q_SIGNALS:
    void modeChanged(PracticeSession::Mode mode);
    // The box over the song's cell (on the page on view); 0: no box, nor a red flash.
    void markCell(int cell);
    // A wrong note while that cell was awaited or due, on the page on view.
    void flashWrong(int cell);
    void clearWrong();   // the red flash is over: a right note came
    // The mode's line and the song's best under it.
    void say(const QString& text, const QString& best);
    void pickChanged();
    // The tempo kept for the song opened.
    void tempoRestored(int tempo);
    // For the keyboards: the demo's note pressed or released, the note awaited ("" none),
    // a wrong note played.
    void demoKey(const QString& note, bool down);
    void awaitedKey(const QString& note);
    void wrongKey(const QString& note);
    // 跟弹 or 节奏 begins on these notes (each once).
    void runNotes(const QStringList& notes);

private:
    // The song on view as stored, with its marks; decoded once for each start.
    Song ShownSong(int song) const;
    Timeline StartTimeline(const Song& shown) const;
    // The song's meter: its clicks and count-in.
    static Meter MeterOf(const Song& shown);
    QString NothingToPlay() const;
    qint64 Elapsed() const;
    void RestartClock();
    void Begin(Mode mode, const QString& says);
    void Ended();
    void EndDemo();
    void EndRhythm(bool reachedEnd);
    void FollowDone();
    void SayTally(Judge::Verdict last);
    void ShowDemoKey(const QString& note);
    void AwaitTarget();
    void FlashWrong(int cell, const QString& note);
    void MarkCell(int cell);
    void HideMarks();
    void Say(const QString& text, const QString& best = {});
    void AnnounceNotes(const Timeline& song);
    void KeepTempo();
    void OnTick();

    IDialogs& m_dialogs;
    const SongTableType& m_table;
    const SongMarkTable* m_marks = nullptr;
    View m_view;
    std::function<qint64()> m_clockMs;
    DemoPlayer m_demo;
    FollowMode m_follow;
    Judge m_judge;
    Passage m_pick;
    Results m_results;
    Mode m_mode = Mode::None;
    int m_markedCell = 0;
    int m_tempo = DemoPlayer::DefaultTempo;
    bool m_metronome = false;
    Sounding m_sounding = Sounding::InC;
    bool m_wholeSong = false;   // the mode runs from the song's start: its result may be a best
    QString m_demoKey;      // shown pressed on the keys now
    QString m_awaitedKey;   // lit on the keys now
    QString m_line;         // what is said now, whole
    QElapsedTimer m_steady;
    qint64 m_followStart = 0;
    QTimer m_tick;
    QTimer m_tempoKeep;
    QString m_tempoSong;  // the song the tempo is kept for
    bool m_restoringTempo = false;
};
