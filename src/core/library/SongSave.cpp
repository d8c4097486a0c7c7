#include "core/library/SongSave.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/library/Database.h"
#include <bitset>

namespace {
const QString kAsk = QStringLiteral("创建新歌存盘，是否继续？");
const QString kTitleTaken = QStringLiteral("歌曲名称已存在，请修改歌曲名称后再提交！");
const QString kLibraryFull = QStringLiteral("曲库已满（21首），无法保存新歌曲！");

// Lowest number 1..21 no row uses, 0 when every one is taken. One scan of the table
// instead of one select per number.
int LowestFreeSongId(TADOConnection& conn, TADOQuery& q)
{
    q.Open(conn, QStringLiteral("select distinct SongID from TableCfg where SongID between 1 and ?"), {LibrarySongLimit});
    std::bitset<LibrarySongLimit + 1> used;
    for (q.First(); !q.Eof(); q.Next())
        used.set(size_t(q.FieldAsInteger(QStringLiteral("SongID"))));
    for (int n = 1; n <= LibrarySongLimit; ++n)
        if (!used.test(size_t(n)))
            return n;
    return 0;
}
}

int EntrySongEnd(const EntryTableType& entry)
{
    for (int r = 0; r < Score::EntryRecordCount; ++r)
        if (IsBlankCell(entry[size_t(r)]))
            return r;
    return Score::EntryRecordCount;
}

SaveResult SaveNewSong(TADOConnection& conn, const EntryTableType& entry, IDialogs& dialogs, const QDate& today)
{
    SaveResult result;
    const QString title = entry[0].SongName;
    if (title.isEmpty())
        return result;
    if (!dialogs.AskYesNo(kAsk)) {
        result.outcome = SaveResult::Outcome::Declined;
        return result;
    }

    TADOQuery q;
    q.Exec(conn, QStringLiteral("begin immediate"), {});
    try {
        q.Open(conn, QStringLiteral("select SongName from TableCfg where SongName=?"), {title});
        if (q.RecordCount() > 0) {
            q.Exec(conn, QStringLiteral("rollback"), {});
            dialogs.ShowError(kTitleTaken);
            result.outcome = SaveResult::Outcome::TitleTaken;
            return result;
        }
        const int song = LowestFreeSongId(conn, q);
        if (song == 0) {
            q.Exec(conn, QStringLiteral("rollback"), {});
            dialogs.ShowError(kLibraryFull);
            result.outcome = SaveResult::Outcome::LibraryFull;
            return result;
        }
        const QString date = today.toString(QStringLiteral("yyyyMMdd"));
        const int end = EntrySongEnd(entry);
        for (int r = 0; r < end; ++r) {
            const SongRecord& rec = entry[size_t(r)];
            q.Exec(conn, QStringLiteral("insert into TableCfg values (?,?,?,?,?,?,?,?,?)"),
                   {song, r, title, rec.SongNote, rec.OpernLong, rec.OpernHigh, rec.Conn, rec.InfoType, date});
        }
        q.Exec(conn, QStringLiteral("commit"), {});
        result.outcome = SaveResult::Outcome::Saved;
        result.songId = song;
        result.rows = end;
        return result;
    } catch (...) {
        // Half a song must never stay behind; the database's own message goes on up.
        try {
            q.Exec(conn, QStringLiteral("rollback"), {});
        } catch (const TavoError&) {
            // The engine may already have ended the transaction itself.
        }
        throw;
    }
}
