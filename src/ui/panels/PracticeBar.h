#pragma once
// The practice part of the score panel: 示范 plays the song on view from its page and
// marks the sounding cell; 跟弹 marks the next note to play and waits for it.
#include "core/practice/DemoPlayer.h"
#include "core/practice/FollowMode.h"
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
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
        std::function<void()> nextPage;   // the panel's own page turn, one page on
    };
    PracticeBar(QWidget* panel, IDialogs& dialogs, const SongLibrary& library, INoteScheduler& output,
                const GlyphGrid& grid, View view);

    TImageButton* ImgDemo = nullptr;     // 示范
    TImageButton* ImgFollow = nullptr;   // 跟弹
    TempoControl* Tempo = nullptr;
    QLabel* LabPractice = nullptr;       // what the mode says, and the summary at the end
    QWidget* Mark = nullptr;             // soft box over the cell sounding or awaited
    QWidget* WrongMark = nullptr;        // the red flash of a wrong note

    enum class Mode { None, Demo, Follow };
    Mode Running() const { return m_mode; }
    const DemoPlayer& Demo() const { return m_demo; }
    const FollowMode& Follow() const { return m_follow; }
    // The song's cell under the box, 0 while it is hidden.
    int MarkedCell() const { return m_markedCell; }

    void ImgDemoClick();
    void ImgFollowClick();
    // The next action: stops the mode running and clears what the bar says.
    void Stop();
    // Every note any keyboard pressed.
    void NotePlayed(const QString& note);
    // One step of the demo: what the output plays now, shown on the grid.
    void DemoTick();

private:
    Timeline PageTimeline(int song) const;
    void Begin(Mode mode, const QString& says);
    void EndDemo();
    void MarkCell(int cell);
    void HideMarks();
    void Say(const QString& text);
    void Light(TImageButton* button, bool on, const QString& picture);

    IDialogs& m_dialogs;
    const SongLibrary& m_library;
    const GlyphGrid& m_grid;
    View m_view;
    DemoPlayer m_demo;
    FollowMode m_follow;
    Mode m_mode = Mode::None;
    int m_markedCell = 0;
    QElapsedTimer m_followClock;
    QTimer m_tick;    // the demo's look at the output clock
    QTimer m_flash;   // how long a wrong note's cell stays red
};
