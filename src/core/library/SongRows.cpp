#include "core/library/SongRows.h"
#include "core/Errors.h"
#include "core/library/SongMarks.h"
#include <QFile>
#include <bitset>

namespace {

struct Column {
    const char* name;
    const char* type;
};
// The song table, in the order of its rows. The file format: never reorder or rename.
constexpr Column Columns[] = {
    {"SongID", "INTEGER"}, {"SeqID", "INTEGER"}, {"SongName", "TEXT"}, {"SongNote", "TEXT"}, {"OpernLong", "TEXT"},
    {"OpernHigh", "TEXT"}, {"Conn", "INTEGER"},  {"InfoType", "TEXT"}, {"SongDate", "TEXT"},
};
enum Col { SongID, SeqID, SongName, SongNote, OpernLong, OpernHigh, Conn, InfoType, SongDate, ColumnCount };
static_assert(std::size(Columns) == ColumnCount);

QString Name(Col c)
{
    return QLatin1String(Columns[c].name);
}

QString InsertRow()
{
    QString marks = QStringLiteral("?");
    for (int c = 1; c < ColumnCount; ++c)
        marks += QStringLiteral(",?");
    return QStringLiteral("insert into TableCfg (%1) values (%2)").arg(SongColumns(), marks);
}

} // namespace

QString SongColumns()
{
    QStringList names;
    for (const Column& c : Columns)
        names << QLatin1String(c.name);
    return names.join(u',');
}

QString SongTableSchema()
{
    QStringList columns;
    for (const Column& c : Columns)
        columns << QStringLiteral("%1 %2").arg(QLatin1String(c.name), QLatin1String(c.type));
    return QStringLiteral("create table TableCfg (%1)").arg(columns.join(QStringLiteral(", ")));
}

std::optional<SongRecord> ReadSongRow(const TADOQuery& q)
{
    const std::optional<int> songId = q.IntegerField(Name(SongID));
    const std::optional<int> seqId = q.IntegerField(Name(SeqID));
    const std::optional<int> conn = q.IntegerField(Name(Conn));
    if (!songId || !seqId || !conn)
        return std::nullopt;
    SongRecord r;
    r.SongID = *songId;
    r.SeqID = *seqId;
    r.SongName = q.FieldAsString(Name(SongName));
    r.SongNote = q.FieldAsString(Name(SongNote));
    r.OpernLong = q.FieldAsString(Name(OpernLong));
    r.OpernHigh = q.FieldAsString(Name(OpernHigh));
    r.Conn = *conn;
    r.InfoType = q.FieldAsString(Name(InfoType));
    r.SongDate = q.FieldAsString(Name(SongDate));
    CutToCapacity(r);
    return r;
}

QString UnreadableSongRow(const TADOQuery& q)
{
    QStringList bad;
    for (const Col c : {SongID, SeqID, Conn})
        if (!q.IntegerField(Name(c)))
            bad << QStringLiteral("%1 的值“%2”").arg(Name(c), q.FieldAsString(Name(c)));
    return QStringLiteral("歌曲“%1”（SongID %2）中 SeqID 为 %3 的一行：%4不是整数")
        .arg(GbkCut(q.FieldAsString(Name(SongName)), Score::TitleBytes), q.FieldAsString(Name(SongID)),
             q.FieldAsString(Name(SeqID)), bad.join(QStringLiteral("、")));
}

QVariantList SongRowValues(const SongRecord& r)
{
    return {r.SongID, r.SeqID, r.SongName, r.SongNote, r.OpernLong, r.OpernHigh, r.Conn, r.InfoType, r.SongDate};
}

void InsertSongRow(TADOConnection& conn, TADOQuery& q, const SongRecord& r, int songId)
{
    QVariantList values = SongRowValues(r);
    values[SongID] = songId;
    q.Exec(conn, InsertRow(), values);
}

SongTableType ReadSong(TADOConnection& conn, int songId)
{
    TADOQuery q;
    q.Open(conn, QStringLiteral("select %1 from TableCfg where SongID=?").arg(SongColumns()), {songId});
    SongTableType rows;
    rows.reserve(size_t(q.RecordCount()));
    for (q.First(); !q.Eof(); q.Next()) {
        std::optional<SongRecord> r = ReadSongRow(q);
        if (!r)
            Raise(UnreadableSongRow(q));
        rows.push_back(std::move(*r));
    }
    return rows;
}

void CreateSongDatabase(const QString& file, const QString& password, const SongTableType& rows)
{
    CreateDatabaseFile(file, password, {SongTableSchema()});
    TADOConnection conn;
    conn.SetTarget(file, password);
    TADOQuery q;
    try {
        InTransaction(conn, [&] {
            for (const SongRecord& r : rows)
                InsertSongRow(conn, q, r, r.SongID);
        });
    } catch (...) {
        conn.Close();
        QFile::remove(file);
        throw;
    }
}

int LowestFreeSongId(TADOConnection& conn)
{
    // One scan of the table instead of one select per number.
    TADOQuery q;
    q.Open(conn, QStringLiteral("select distinct SongID from TableCfg where SongID between 1 and ?"), {LibrarySongLimit});
    std::bitset<LibrarySongLimit + 1> used;
    for (q.First(); !q.Eof(); q.Next())
        used.set(size_t(q.FieldAsInteger(Name(SongID))));
    for (int n = 1; n <= LibrarySongLimit; ++n)
        if (!used.test(size_t(n)))
            return n;
    return 0;
}

bool SongTitleTaken(TADOConnection& conn, const QString& title)
{
    TADOQuery q;
    q.Open(conn, QStringLiteral("select SongName from TableCfg where SongName=? limit 1"), {title});
    return q.RecordCount() > 0;
}

bool SongTitleUsable(const QString& title)
{
    for (const QChar c : title) {
        const QChar::Category k = c.category();
        if (!c.isSpace() && c != u'.' && k != QChar::Other_Control && k != QChar::Other_Format)
            return true;
    }
    return false;
}

AddedSong AddSong(TADOConnection& conn, const SongTableType& rows, const QString& title, const QDate& date,
                  const SongMarkTable& marks)
{
    // Every notice dated before the added one takes its text and date.
    static const QString refreshNotices =
        QStringLiteral("update TableCfg set SongName=?, SongDate=? where InfoType='9' and SongDate<?");
    AddedSong added;
    const qint64 dateNumber = DateNumber(date);
    // Half a song must never stay behind; the database's own message goes on up.
    InTransaction(conn, [&] {
        if (SongTitleTaken(conn, title)) {
            added.outcome = AddedSong::Outcome::TitleTaken;
            return;
        }
        const int number = LowestFreeSongId(conn);
        if (number == 0) {
            added.outcome = AddedSong::Outcome::LibraryFull;
            return;
        }
        TADOQuery q;
        for (const SongRecord& r : rows) {
            InsertSongRow(conn, q, r, number);
            if (r.InfoType == QLatin1String("9") && dateNumber - TextToInteger(r.SongDate) < RecentNoticeSpan)
                q.Exec(conn, refreshNotices, {r.SongName, r.SongDate, r.SongDate});
        }
        WriteSongMarks(conn, number, marks);
        added.songId = number;
    });
    return added;
}
