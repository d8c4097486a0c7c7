#pragma once
// Song tables built in memory and a reader of what a cell picture shows.
#include "ui/widgets/ScoreGrid.h"
#include "core/score/SongRecord.h"
#include <QLabel>
#include <QStringList>

namespace ScoreTest {

inline SongRecord Header(int id, const QString& title, int conn = 1, const QString& art = QStringLiteral("歌手"),
                         const QString& word = QStringLiteral("词人"), const QString& comp = QStringLiteral("曲家"))
{
    SongRecord r;
    r.SongID = id;
    r.SongName = title;
    r.SongNote = art;
    r.OpernLong = word;
    r.OpernHigh = comp;
    r.Conn = conn;
    r.InfoType = QStringLiteral("0");
    r.SongDate = QStringLiteral("20260101");
    return r;
}

inline SongRecord Note(int id, int seq, int degree, int len, int high, int slur = 0)
{
    SongRecord r;
    r.SongID = id;
    r.SeqID = seq;
    r.SongNote = QString::number(degree);
    r.OpernLong = QString::number(len);
    r.OpernHigh = QString::number(high);
    r.Conn = slur;
    r.InfoType = QStringLiteral("1");
    return r;
}

inline SongRecord Symbol(int id, int seq, int code, int len = 0)
{
    SongRecord r;
    r.SongID = id;
    r.SeqID = seq;
    r.SongNote = QStringLiteral("9");
    r.OpernLong = QString::number(len);
    r.OpernHigh = QStringLiteral("0");
    r.Conn = code;
    r.InfoType = QStringLiteral("2");
    return r;
}

inline SongRecord Notice(const QString& text)
{
    SongRecord r;
    r.SongName = text;
    r.InfoType = QStringLiteral("9");
    r.SongDate = QStringLiteral("20260101");
    return r;
}

// Glyph of cell n in songs made by AddSong: notes cycle through degree, duration and octave,
// every tenth cell is a bar line.
inline QString PatternGlyph(int n)
{
    if (n % 10 == 0)
        return QStringLiteral("NOTE_9002");
    return QStringLiteral("NOTE_%1%2%3").arg((n - 1) % 7 + 1).arg(n % 3).arg((n / 7) % 3);
}

inline void AddSong(SongTableType& t, int id, const QString& title, int cells, int conn = 1)
{
    t.push_back(Header(id, title, conn));
    for (int n = 1; n <= cells; ++n) {
        if (n % 10 == 0)
            t.push_back(Symbol(id, n, 2));
        else
            t.push_back(Note(id, n, (n - 1) % 7 + 1, n % 3, (n / 7) % 3));
    }
}


// Name of the glyph a cell picture shows; "" for an empty picture, "?" for anything else.
inline QString ShownGlyph(const QLabel* cell)
{
    const QPixmap pm = cell->pixmap();
    if (pm.isNull())
        return QString();
    for (const QString& n : GlyphNames())
        if (GlyphPixmap(n).cacheKey() == pm.cacheKey())
            return n;
    return QStringLiteral("?");
}

} // namespace ScoreTest
