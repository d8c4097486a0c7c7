#include "core/library/SongMarks.h"
#include "core/Errors.h"

namespace {

struct Column {
    const char* name;
    const char* type;
};
// The extra table, in the order of its rows. A stored format: never reorder or rename.
constexpr Column Columns[] = {{"SongID", "INTEGER"}, {"SeqID", "INTEGER"}, {"SongName", "TEXT"}, {"Mark", "TEXT"}};
enum Col { SongID, SeqID, SongName, Mark, ColumnCount };
static_assert(std::size(Columns) == ColumnCount);

QString Name(Col c) { return QLatin1String(Columns[c].name); }

QString ColumnList()
{
    QStringList names;
    for (const Column& c : Columns)
        names << QLatin1String(c.name);
    return names.join(u',');
}

QString TableName() { return QLatin1String(SongMarkTableName); }

// The marks the query stands on (it selects ColumnList()); a row whose numbers are no whole
// numbers is named in refused.
SongMarkTable ReadMarkRows(TADOQuery& q, QStringList& refused)
{
    SongMarkTable marks;
    for (q.First(); !q.Eof(); q.Next()) {
        const std::optional<int> song = q.IntegerField(Name(SongID));
        const std::optional<int> seq = q.IntegerField(Name(SeqID));
        if (!song || !seq) {
            refused << QStringLiteral("附加记号表中的一行：SongID “%1”或 SeqID “%2”不是整数")
                           .arg(Excerpt(q.FieldAsString(Name(SongID))), Excerpt(q.FieldAsString(Name(SeqID))));
            continue;
        }
        // Cut as the song table's own names are cut, so that the two still compare.
        marks.push_back({*song, *seq, GbkCut(q.FieldAsString(Name(SongName)), Score::TitleBytes),
                         q.FieldAsString(Name(Mark)).left(MarkTextLimit + 1)});
    }
    return marks;
}

QString ForeignMessage()
{
    return QStringLiteral("歌曲库中的附加记号表 %1 不是普通的表（或者带有触发器），无法读写升降号、调号和拍号。")
        .arg(TableName());
}

}   // namespace

QString SongMarkTableSchema()
{
    QStringList columns;
    for (const Column& c : Columns)
        columns << QStringLiteral("%1 %2").arg(QLatin1String(c.name), QLatin1String(c.type));
    return QStringLiteral("create table if not exists %1 (%2)").arg(TableName(), columns.join(QStringLiteral(", ")));
}

MarkTableState SongMarkTableState(TADOConnection& conn)
{
    TADOQuery q;
    q.Open(conn,
           QStringLiteral("select count(*) as n from sqlite_master where lower(name)=lower(?) or "
                          "(type='trigger' and lower(tbl_name)=lower(?))"),
           {TableName(), TableName()});
    const int things = q.FieldAsInteger(QStringLiteral("n"));
    if (things == 0)
        return MarkTableState::Missing;
    return things == 1 && IsOrdinaryTable(conn, TableName()) ? MarkTableState::Ordinary : MarkTableState::Foreign;
}

SongMarkTable ReadLibraryMarks(TADOConnection& conn, const SongTableType& table, QStringList& refused)
{
    switch (SongMarkTableState(conn)) {
    case MarkTableState::Missing: return {};
    case MarkTableState::Foreign: refused << ForeignMessage(); return {};
    case MarkTableState::Ordinary: break;
    }
    TADOQuery q;
    q.Open(conn, QStringLiteral("select count(*) as n from %1").arg(TableName()), {});
    if (const int n = q.FieldAsInteger(QStringLiteral("n")); n > LibraryMarkLimit) {
        refused << QStringLiteral("附加记号表 %1 有 %2 行，超过上限 %3 行，升降号、调号和拍号都未读取")
                       .arg(TableName())
                       .arg(n)
                       .arg(LibraryMarkLimit);
        return {};
    }
    q.Open(conn, QStringLiteral("select %1 from %2 order by SongID,SeqID").arg(ColumnList(), TableName()), {});
    const SongMarkTable marks = ReadMarkRows(q, refused);
    return FittingMarks(table, marks, refused);
}

SongMarkTable ReadSongMarks(TADOConnection& conn, const SongTableType& rows, int songId)
{
    if (SongMarkTableState(conn) != MarkTableState::Ordinary)
        return {};
    TADOQuery q;
    q.Open(conn,
           QStringLiteral("select %1 from %2 where SongID=? order by SeqID limit ?").arg(ColumnList(), TableName()),
           {songId, Score::EntryRecordCount + 2});
    QStringList refused;
    return FittingMarks(rows, ReadMarkRows(q, refused), refused);
}

void WriteSongMarks(TADOConnection& conn, int songId, const SongMarkTable& marks)
{
    const MarkTableState state = SongMarkTableState(conn);
    if (state == MarkTableState::Foreign) {
        if (marks.empty())
            return;   // nothing of ours is read from it
        Raise(ForeignMessage());
    }
    TADOQuery q;
    if (state == MarkTableState::Ordinary)
        q.Exec(conn, QStringLiteral("delete from %1 where SongID=?").arg(TableName()), {songId});
    if (marks.empty())
        return;
    if (state == MarkTableState::Missing)
        q.Exec(conn, SongMarkTableSchema(), {});
    const QString insert = QStringLiteral("insert into %1 (%2) values (?,?,?,?)").arg(TableName(), ColumnList());
    for (const SongMark& m : marks)
        q.Exec(conn, insert, {songId, m.SeqID, m.SongName, m.Mark});
}

void DeleteSongMarks(TADOConnection& conn, int songId)
{
    if (SongMarkTableState(conn) != MarkTableState::Ordinary)
        return;
    TADOQuery q;
    q.Exec(conn, QStringLiteral("delete from %1 where SongID=?").arg(TableName()), {songId});
}
