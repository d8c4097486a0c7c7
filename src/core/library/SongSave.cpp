#include "core/library/SongSave.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/library/Database.h"

namespace {
const QString kAsk = QStringLiteral("创建新歌存盘，是否继续？");
const QString kTitleTaken = QStringLiteral("歌曲名称已存在，请修改歌曲名称后再提交！");
const QString kLibraryFull = QStringLiteral("曲库已满（21首），无法保存新歌曲！");
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
        if (SongTitleTaken(conn, title)) {
            q.Exec(conn, QStringLiteral("rollback"), {});
            dialogs.ShowError(kTitleTaken);
            result.outcome = SaveResult::Outcome::TitleTaken;
            return result;
        }
        const int song = LowestFreeSongId(conn);
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
