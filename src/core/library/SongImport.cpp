#include "core/library/SongImport.h"
#include "core/library/SongRows.h"

namespace {
ShareResult Refuse(IDialogs& dialogs, const QString& message, ShareResult result)
{
    dialogs.ShowInfo(message);
    result.outcome = ShareResult::Outcome::Refused;
    return result;
}
}

ShareResult ImportSongRows(TADOConnection& library, IDialogs& dialogs, const QDate& today, const SongTableType& rows,
                           const QString& title, const QString& file, const QString& note, const SongMarkTable& marks)
{
    ShareResult result;
    result.file = file;
    result.title = title;
    // A blank title would take a slot that no menu entry can open or delete.
    if (!SongTitleUsable(title))
        return Refuse(dialogs, InvalidTitleMessage.toString(), result);

    const QString extra = note.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + note;
    if (!dialogs.AskYesNo(QStringLiteral("新歌曲导入，是否继续？\r\n\r\n歌曲：") + title + extra,
                          QStringLiteral("新歌曲导入")))
        return result;
    const AddedSong added = AddSong(library, rows, title, today, marks);
    if (added.outcome == AddedSong::Outcome::TitleTaken)
        return Refuse(dialogs, QStringLiteral("歌曲名称已存在，未导入！"), result);
    if (added.outcome == AddedSong::Outcome::LibraryFull)
        return Refuse(dialogs, QStringLiteral("曲库已满（21首），无法导入！"), result);

    result.songId = added.songId;
    result.rows = int(rows.size());
    result.outcome = ShareResult::Outcome::Done;
    dialogs.ShowInfo(QStringLiteral("歌曲：") + title + QStringLiteral("，导入完毕！"));
    return result;
}
