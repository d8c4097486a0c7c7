#include "core/library/SongSave.h"
#include "core/Dialogs.h"
#include "core/library/SongRows.h"

namespace {
const QString kAsk = QStringLiteral("创建新歌存盘，是否继续？");
const QString kTitleTaken = QStringLiteral("歌曲名称已存在，请修改歌曲名称后再提交！");
const QString kLibraryFull = QStringLiteral("曲库已满（21首），无法保存新歌曲！");
}

SaveResult SaveNewSong(TADOConnection& conn, const EntryTableType& entry, IDialogs& dialogs, const QDate& today,
                       const SongMarkTable& marks)
{
    SaveResult result;
    const QString title = entry[0].SongName;
    if (title.isEmpty())
        return result;
    if (!dialogs.AskYesNo(kAsk)) {
        result.outcome = SaveResult::Outcome::Declined;
        return result;
    }

    // Every row carries the song's title and today's date; the entry's SeqID is its index.
    const QString date = today.toString(QStringLiteral("yyyyMMdd"));
    const int end = EntrySongEnd(entry);
    SongTableType rows(entry.begin(), entry.begin() + end);
    for (int r = 0; r < end; ++r) {
        SongRecord& rec = rows[size_t(r)];
        rec.SeqID = r;
        rec.SongName = title;
        rec.SongDate = date;
    }
    // Told after the transaction ended, so the library is not held while the message shows.
    // A mark past the end, or on a record that is no longer of its kind, has nothing to say.
    SongMarkTable placed;
    for (SongMark m : marks)
        if (m.SeqID >= 0 && m.SeqID < end) {
            m.SongID = rows[size_t(m.SeqID)].SongID;
            m.SongName = title;
            placed.push_back(std::move(m));
        }
    QStringList unfit;
    const SongMarkTable kept = FittingMarks(rows, placed, unfit);
    const AddedSong added = AddSong(conn, rows, title, today, kept);
    switch (added.outcome) {
    case AddedSong::Outcome::TitleTaken:
        result.outcome = SaveResult::Outcome::TitleTaken;
        dialogs.ShowError(kTitleTaken);
        break;
    case AddedSong::Outcome::LibraryFull:
        result.outcome = SaveResult::Outcome::LibraryFull;
        dialogs.ShowError(kLibraryFull);
        break;
    case AddedSong::Outcome::Saved:
        result.outcome = SaveResult::Outcome::Saved;
        result.songId = added.songId;
        result.rows = end;
        result.title = title;
        break;
    }
    return result;
}

SaveResult SubmitEntry(TADOConnection& conn, EntryEditor& editor, IDialogs& dialogs, const QDate& today,
                       const QString& titleField)
{
    if (!editor.Started())
        return SaveResult{};
    const SaveResult result = SaveNewSong(conn, editor.SongToSave(titleField), dialogs, today, editor.Marks());
    using End = EntryEditor::SaveEnd;
    switch (result.outcome) {
    case SaveResult::Outcome::Declined:
        editor.SaveEnded(End::Declined);
        break;
    case SaveResult::Outcome::TitleTaken:
        editor.SaveEnded(End::TitleTaken);
        break;
    case SaveResult::Outcome::Saved:
        editor.SaveEnded(End::Saved);
        break;
    case SaveResult::Outcome::NotStarted:
    case SaveResult::Outcome::LibraryFull:
        editor.SaveEnded(End::Refused);
        break;
    }
    return result;
}
