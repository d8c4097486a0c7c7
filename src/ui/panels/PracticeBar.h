#pragma once
// The practice part of the score panel: 示范 plays the song on view from its page and
// marks the sounding cell; 跟弹 marks the next note to play and waits for it; 节奏 walks
// the box on the beat, silently, and judges each note played against the beat. A cell
// clicked on the score is where they start; a passage picked with Shift loops.
#include "core/practice/DemoPlayer.h"
#include "core/practice/FollowMode.h"
#include "core/practice/Judge.h"
#include "core/practice/Passage.h"
#include "core/practice/Results.h"
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>

class GlyphGrid;
class IDialogs;
class INoteScheduler;
class QLabel;
class QWidget;
class SongLibrary;
class TImageButton;
class TempoControl;

class PracticeBar : public QObject {
    Q_OBJECT
public:
    // What the bar needs of the panel it sits on.
    struct View {
        std::function<int()> shownSong;   // the song on view, 0 when none (or the menu is open)
        std::function<int()> viewPage;    // the page on view, from 1
        std::function<void(int)> showPage;   // the panel's own page turn, to that page
        std::function<QString()> title;   // the song's title, for its best results
        std::function<int()> beatsPerBar; // of the song on view, for the count-in
    };
    PracticeBar(QWidget* panel, IDialogs& dialogs, const SongLibrary& library, INoteScheduler& output,
                const GlyphGrid& grid, View view);
    ~PracticeBar() override;

    TImageButton* ImgDemo = nullptr;     // 示范
    TImageButton* ImgFollow = nullptr;   // 跟弹
    TImageButton* ImgRhythm = nullptr;   // 节奏
    TempoControl* Tempo = nullptr;
    QWidget* ResultBox = nullptr;        // the box of the two lines below, clear of the page number
    QLabel* LabPractice = nullptr;       // what the mode says, and the summary at the end
    QLabel* LabBest = nullptr;           // the song's best result under the summary
    QWidget* Mark = nullptr;             // soft box over the cell sounding or awaited
    QWidget* WrongMark = nullptr;        // the red flash of a wrong note
    std::array<QWidget*, 3> PickFrames{};   // thin frames round the picked cells, one a line

    enum class Mode { None, Demo, Follow, Rhythm };
    Mode Running() const { return m_mode; }
    // The key 跟弹 waits for, lit on every keyboard; empty when none.
    const QString& AwaitedKey() const { return m_awaitedKey; }
    const DemoPlayer& Demo() const { return m_demo; }
    const FollowMode& Follow() const { return m_follow; }
    const Judge& Rhythm() const { return m_judge; }
    const Passage& Pick() const { return m_pick; }
    Results& Best() { return m_results; }
    // The song's cell under the box, 0 while it is hidden.
    int MarkedCell() const { return m_markedCell; }

    void ImgDemoClick();
    void ImgFollowClick();
    void ImgRhythmClick();
    // A click on the view's cell at position (1..105): picks where the modes start; with
    // extend, the passage up to it. Ignored while a mode runs.
    void CellClicked(int position, bool extend);
    void ClearPick();
    // The view shows another page: the frames follow the pick.
    void ShowPick();
    void SetMetronome(bool on) { m_metronome = on; }
    // A song was opened: its tempo as last set comes back, and later changes are kept for it.
    void SongOpened(const QString& title);
    // The next action: stops the mode running and clears what the bar says.
    void Stop();
    // Every note any keyboard pressed; ageMs: how long ago its key event arrived.
    void NotePlayed(const QString& note, qint64 ageMs = 0);
    // One step of the demo: what the output plays now, shown on the grid.
    void DemoTick();
    // The wide keyboard was opened for notes below (low) or above the main keys: said
    // beside the mode's own line.
    void WideKeysOpened(bool low);

Q_SIGNALS:
    // For the keyboards: the demo's note pressed or released, the note awaited ("" none),
    // a wrong note played.
    void demoKey(const QString& note, bool down);
    void awaitedKey(const QString& note);
    void wrongKey(const QString& note);
    // 跟弹 or 节奏 begins on these notes (each once): the shell shows a keyboard that
    // reaches them, and calls WideKeysOpened when it opened one for them.
    void runNotes(const QStringList& notes);

private:
    Timeline PageTimeline(int song) const;
    Timeline StartTimeline(int song) const;
    QString NothingToPlay() const;
    static QString PictureOf(Mode mode);
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
    void Light(TImageButton* button, bool on, const QString& picture);
    void KeepTempo();

    IDialogs& m_dialogs;
    const SongLibrary& m_library;
    const GlyphGrid& m_grid;
    View m_view;
    DemoPlayer m_demo;
    FollowMode m_follow;
    Judge m_judge;
    Passage m_pick;
    Results m_results;
    Mode m_mode = Mode::None;
    int m_markedCell = 0;
    bool m_metronome = false;
    bool m_wholeSong = false;   // the mode runs from the song's start: its result may be a best
    QString m_demoKey;   // shown pressed on the keys now
    QString m_awaitedKey;   // lit on the keys now
    QString m_line;         // what LabPractice says, whole
    QElapsedTimer m_followClock;
    QTimer m_tick;    // the demo's look at the output clock
    QTimer m_flash;   // how long a wrong note's cell stays red
    QTimer m_tempoKeep;   // a tempo is written once the wheel has come to rest
    QString m_tempoSong;  // the song the tempo is kept for
    bool m_restoringTempo = false;
};
