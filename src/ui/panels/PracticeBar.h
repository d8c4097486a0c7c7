#pragma once
// The practice part of the score panel: the buttons of 示范, 跟弹 and 节奏, the tempo, the
// marks on the grid and the result box. The rules are the session's; the bar draws what it
// is told.
#include "core/practice/PracticeSession.h"
#include <QObject>
#include <QTimer>
#include <array>

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
    using View = PracticeSession::View;
    PracticeBar(QWidget* panel, IDialogs& dialogs, const SongLibrary& library, INoteScheduler& output,
                const GlyphGrid& grid, View view);

    TImageButton* ImgDemo = nullptr;     // 示范
    TImageButton* ImgFollow = nullptr;   // 跟弹
    TImageButton* ImgRhythm = nullptr;   // 节奏
    TempoControl* Tempo = nullptr;
    QWidget* ResultBox = nullptr;        // the box of the two lines below, clear of the page number
    // Both show Qt::PlainText: a line may quote a song's title.
    QLabel* LabPractice = nullptr;       // what the mode says, and the summary at the end
    QLabel* LabBest = nullptr;           // the song's best result under the summary
    QWidget* Mark = nullptr;             // soft box over the cell sounding or awaited
    QWidget* WrongMark = nullptr;        // the red flash of a wrong note
    std::array<QWidget*, 3> PickFrames{};   // thin frames round the picked cells, one a line

    using Mode = PracticeSession::Mode;
    PracticeSession& Session() { return m_session; }
    Mode Running() const { return m_session.Running(); }
    const QString& AwaitedKey() const { return m_session.AwaitedKey(); }
    const DemoPlayer& Demo() const { return m_session.Demo(); }
    const FollowMode& Follow() const { return m_session.Follow(); }
    const Judge& Rhythm() const { return m_session.Rhythm(); }
    const Passage& Pick() const { return m_session.Pick(); }
    Results& Best() { return m_session.Best(); }
    // The song's cell under the box, 0 while it is hidden.
    int MarkedCell() const { return m_session.MarkedCell(); }

    void ImgDemoClick() { m_session.DemoClick(); }
    void ImgFollowClick() { m_session.FollowClick(); }
    void ImgRhythmClick() { m_session.RhythmClick(); }
    void CellClicked(int position, bool extend) { m_session.CellClicked(position, extend); }
    void ClearPick() { m_session.ClearPick(); }
    // The view shows another page: the frames follow the pick.
    void ShowPick();
    void SetMetronome(bool on) { m_session.SetMetronome(on); }
    void SetSoundInSongKey(bool on) { m_session.SetSoundInSongKey(on); }
    void SongOpened(const QString& title) { m_session.SongOpened(title); }
    void Stop() { m_session.Stop(); }
    void NotePlayed(const QString& note, qint64 ageMs = 0) { m_session.NotePlayed(note, ageMs); }
    void DemoTick() { m_session.DemoTick(); }
    void WideKeysOpened(bool low) { m_session.WideKeysOpened(low); }

Q_SIGNALS:
    // The session's, for the keyboards and the shell.
    void demoKey(const QString& note, bool down);
    void awaitedKey(const QString& note);
    void wrongKey(const QString& note);
    void runNotes(const QStringList& notes);

private:
    static QString PictureOf(Mode mode);
    void ShowMode(Mode mode);
    void FlashWrong(int cell);
    void MarkCell(int cell);
    void Say(const QString& text, const QString& best);
    void Light(TImageButton* button, bool on, const QString& picture);

    const GlyphGrid& m_grid;
    PracticeSession m_session;
    QTimer m_flash;   // how long a wrong note's cell stays red
};
