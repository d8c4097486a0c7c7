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

    // Half a song must never stay behind; the database's own message goes on up.
    InTransaction(conn, [&] {
        if (SongTitleTaken(conn, title)) {
            result.outcome = SaveResult::Outcome::TitleTaken;
            return;
        }
        const int song = LowestFreeSongId(conn);
        if (song == 0) {
            result.outcome = SaveResult::Outcome::LibraryFull;
            return;
        }
        const QString date = today.toString(QStringLiteral("yyyyMMdd"));
        const int end = EntrySongEnd(entry);
        TADOQuery q;
        for (int r = 0; r < end; ++r) {
            const SongRecord& rec = entry[size_t(r)];
            q.Exec(conn, QStringLiteral("insert into TableCfg values (?,?,?,?,?,?,?,?,?)"),
                   {song, r, title, rec.SongNote, rec.OpernLong, rec.OpernHigh, rec.Conn, rec.InfoType, date});
        }
        result.outcome = SaveResult::Outcome::Saved;
        result.songId = song;
        result.rows = end;
        result.title = title;
    });
    // Told after the transaction ended, so the library is not held while the message shows.
    if (result.outcome == SaveResult::Outcome::TitleTaken)
        dialogs.ShowError(kTitleTaken);
    else if (result.outcome == SaveResult::Outcome::LibraryFull)
        dialogs.ShowError(kLibraryFull);
    return result;
}
