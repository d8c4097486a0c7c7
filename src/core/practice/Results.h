#pragma once
// The best 跟弹 and 节奏 results of each song, by title, in results.txt of the user's data
// folder (never in the song library), and the tempo the song was last played at. The file
// may have come from anywhere: it is read within bounds and a line that is not a result is
// passed over (so an older piano passes over the tempo lines).
#include "core/practice/Judge.h"
#include <QString>
#include <QtGlobal>
#include <map>
#include <optional>

class Results {
public:
    static constexpr qint64 MaxFileBytes = 256 * 1024;
    static constexpr int MaxSongs = 2000;
    static constexpr int MaxTitleChars = 200;

    struct Follow {
        int right = 0, wrong = 0;
        qint64 ms = 0;
    };

    // folder empty: kept in memory only.
    explicit Results(QString folder = {});
    void Load(const QString& folder);
    QString FilePath() const;

    std::optional<Follow> BestFollow(const QString& song) const;
    std::optional<Judge::Tally> BestRhythm(const QString& song) const;
    // Keeps the result when it beats the best so far (or is the first); true when kept.
    bool OfferFollow(const QString& song, const Follow& r);
    bool OfferRhythm(const QString& song, const Judge::Tally& r);
    // The tempo last set for the song (DemoPlayer's range), kept at once when it changed.
    std::optional<int> Tempo(const QString& song) const;
    void KeepTempo(const QString& song, int tempo);

    // "最佳 正确 N 个，错误 M 个，用时 m:ss" and "最佳 准 N 个，…"
    static QString FollowText(const Follow& r);
    static QString RhythmText(const Judge::Tally& r);

private:
    struct Best {
        std::optional<Follow> follow;
        std::optional<Judge::Tally> rhythm;
        std::optional<int> tempo;
    };
    Best* Entry(const QString& song);
    void Save() const;

    QString m_folder;
    std::map<QString, Best> m_best;
};
