#pragma once
// 跟弹: the learner plays the song note by note; the mode waits for each right note.
#include "core/score/Timeline.h"
#include <QString>
#include <QtGlobal>

class FollowMode {
public:
    enum class Press {
        Ignored,   // not running, or a key that plays no note
        Right,     // the awaited note: the mode moves on (and may have finished)
        Wrong,     // another note: counted as a mistake, the mode waits on
        PassEnd,   // the last right note of a looping pass: the counts are that pass's
                   // until ResetCounts, and the first note is awaited again
    };

    // Starts over on the timeline; false, and nothing runs, when it has no note to play.
    // A looping timeline starts over at its end until stopped.
    bool Start(Timeline song, bool loop = false);
    void ResetCounts() { m_right = m_wrong = 0; }
    void Stop() { m_running = false; }
    bool Running() const { return m_running; }
    // Every note played: the summary stands until the next action.
    bool Finished() const { return m_finished; }

    // A note from any keyboard; rests and notes with no sample are passed over.
    Press Play(const QString& note);

    // The event awaited now (-1 when none) and its cell (0 when none).
    int Target() const { return m_running ? m_target : -1; }
    int TargetCell() const;
    int RightCount() const { return m_right; }
    int WrongCount() const { return m_wrong; }
    const Timeline& Song() const { return m_song; }

    // "正确 N 个，错误 M 个，用时 m:ss", with the elapsed time the caller measured.
    QString Summary(qint64 elapsedMs) const { return SummaryOf(m_right, m_wrong, elapsedMs); }
    static QString SummaryOf(int right, int wrong, qint64 elapsedMs);

private:
    int NextPlayable(int from) const;

    Timeline m_song;
    int m_target = -1;
    int m_right = 0;
    int m_wrong = 0;
    bool m_running = false;
    bool m_finished = false;
    bool m_loop = false;
};
