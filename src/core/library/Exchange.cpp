#include "core/library/Exchange.h"
#include "core/Errors.h"
#include "core/library/MelodyImport.h"
#include "core/library/SongMarks.h"
#include "core/library/SongRows.h"
#include "core/library/TextImport.h"
#include "core/platform/FileSystem.h"
#include "core/score/SongRecord.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <climits>
#include <optional>
#include <set>

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

namespace {

const QString InsertExchangeRow = QStringLiteral("insert into data (A,B,C,D,E,F,G,H,I) values (?,?,?,?,?,?,?,?,?)");
const QString InsertExchangeMark = QStringLiteral("insert into mark (A,B,C,D) values (?,?,?,?)");

const QString IllegalData = QStringLiteral("非法数据，请检查路径及文件！");

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// ---- Reading an untrusted exchange file ----

// Thrown inside the reader when the file breaks a rule; never leaves this file.
struct IllegalFile {};

void Prepare(sqlite3* db, const char* sql, SqlStatement& st)
{
    if (sqlite3_prepare_v2(db, sql, -1, &st.stmt, nullptr) != SQLITE_OK || !st.stmt)
        throw IllegalFile{};
}

// Steps to the next row; false at the end. A read fault breaks the file.
bool Step(SqlStatement& st)
{
    const int rc = sqlite3_step(st.stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw IllegalFile{};
}

// A column as text: it must be valid text that the system's code page can hold.
QString TextColumn(sqlite3_stmt* stmt, int c)
{
    const char* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
    const int size = sqlite3_column_bytes(stmt, c);
    if (!bytes || size == 0)
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(bytes, size));
    if (utf8.hasError())
        throw IllegalFile{};
    // A character the code page lacks would come back as something else.
    QStringEncoder toGbk("GBK");
    QStringDecoder fromGbk("GBK");
    if (!toGbk.isValid() || !fromGbk.isValid())
        Raise(QStringLiteral("系统缺少 GBK 编码，无法读取歌谱文件。"));
    const QByteArray gbk = toGbk.encode(text);
    if (toGbk.hasError() || QString(fromGbk.decode(gbk)) != text)
        throw IllegalFile{};
    return text;
}

int IntegerColumn(sqlite3_stmt* stmt, int c)
{
    const QString text = TextColumn(stmt, c);
    qint64 n = 0;
    try {
        n = TextToInteger(text);
    } catch (const TavoError&) {
        throw IllegalFile{};
    }
    if (n < INT_MIN || n > INT_MAX)
        throw IllegalFile{};
    return int(n);
}

// The marks beside the rows. The table must be an ordinary one of bounded size, else the file
// is broken; a row that cannot be read or does not fit is left out and named.
void ReadExchangeMarks(TADOConnection& exchange, sqlite3* db, ExchangeContent& content)
{
    const QString table = QString::fromLatin1(ExchangeMarkTable);
    try {
        TADOQuery q;
        q.Open(exchange, QStringLiteral("select count(*) as n from sqlite_master where lower(name)=lower(?)"), {table});
        if (q.FieldAsInteger(QStringLiteral("n")) == 0)
            return;   // a file of an older version, or a song without marks
        if (!IsOrdinaryTable(exchange, table))
            throw IllegalFile{};
    } catch (const TavoError&) {
        throw IllegalFile{};
    }
    {
        SqlStatement st;
        Prepare(db, "select count(*) from mark", st);
        exchange.StartBudget();
        if (!Step(st) || sqlite3_column_int64(st.stmt, 0) > ExchangeRowLimit)
            throw IllegalFile{};
    }
    SongMarkTable marks;
    SqlStatement st;
    Prepare(db, "select A,B,C,D from mark", st);
    exchange.StartBudget();
    while (Step(st)) {
        if (marks.size() + size_t(content.refusedMarks.size()) >= size_t(ExchangeRowLimit) || exchange.BudgetSpent())
            throw IllegalFile{};
        try {
            SongMark m;
            m.SongID = IntegerColumn(st.stmt, 0);
            m.SeqID = IntegerColumn(st.stmt, 1);
            m.SongName = GbkCut(TextColumn(st.stmt, 2), Score::TitleBytes);
            m.Mark = TextColumn(st.stmt, 3).left(MarkTextLimit + 1);
            marks.push_back(std::move(m));
        } catch (const IllegalFile&) {
            content.refusedMarks << QStringLiteral("附加记号表中的一行：数值或文字无法读取");
        }
    }
    content.marks = FittingMarks(content.rows, marks, content.refusedMarks);
}

// Reads and checks the whole file under the bounds of a stranger's file: a read that
// runs out of its budget is a broken file too. Any broken rule throws IllegalFile.
ExchangeContent ReadExchangeRows(const QString& file)
{
    TADOConnection exchange;
    exchange.SetTarget(file, QString::fromLatin1(ExchangePassword), CipherSettings::Standard, FileTrust::Stranger);
    sqlite3* db = nullptr;
    try {
        db = exchange.Handle();   // a wrong password or a file that is no database ends here
        // A view or a virtual table of that name could compute rows without end.
        if (!IsOrdinaryTable(exchange, QString::fromLatin1(ExchangeTable)))
            throw IllegalFile{};
    } catch (const TavoError&) {
        throw IllegalFile{};
    }
    {
        SqlStatement st;
        Prepare(db, "select count(*) from data", st);
        exchange.StartBudget();
        if (!Step(st) || sqlite3_column_int64(st.stmt, 0) > ExchangeRowLimit)
            throw IllegalFile{};
    }

    ExchangeContent content;
    SqlStatement st;
    Prepare(db, "select A,B,C,D,E,F,G,H,I from data", st);
    std::set<int> cellSeqs;
    int headers = 0;
    // One budget for the whole walk, the checks of each row included.
    exchange.StartBudget();
    while (Step(st)) {
        if (content.rows.size() >= size_t(ExchangeRowLimit) || exchange.BudgetSpent())
            throw IllegalFile{};
        SongRecord r;
        r.SongID = IntegerColumn(st.stmt, 0);   // checked, then replaced by the new number
        r.SeqID = IntegerColumn(st.stmt, 1);
        r.SongName = TextColumn(st.stmt, 2);
        r.SongNote = TextColumn(st.stmt, 3);
        r.OpernLong = TextColumn(st.stmt, 4);
        r.OpernHigh = TextColumn(st.stmt, 5);
        r.Conn = IntegerColumn(st.stmt, 6);
        const QString kind = TextColumn(st.stmt, 7);
        r.InfoType = kind;
        r.SongDate = TextColumn(st.stmt, 8);
        CutToCapacity(r);

        if (r.SeqID < 0 || r.SeqID >= Score::EntryRecordCount)
            throw IllegalFile{};
        if (kind == QLatin1String("0")) {
            ++headers;
            content.title = r.SongName;
        } else if (kind == QLatin1String("1") || kind == QLatin1String("2")) {
            if (!cellSeqs.insert(r.SeqID).second)
                throw IllegalFile{};
        } else if (kind == QLatin1String("9")) {
            // The loader and the refresh read a notice's date as a number.
            try {
                TextToInteger(r.SongDate);
            } catch (const TavoError&) {
                throw IllegalFile{};
            }
        } else {
            throw IllegalFile{};
        }
        content.rows.push_back(std::move(r));
    }
    if (headers != 1)
        throw IllegalFile{};
    ReadExchangeMarks(exchange, db, content);
    return content;
}

ShareResult Refuse(IDialogs& dialogs, const QString& message, ShareResult result)
{
    dialogs.ShowInfo(message);
    result.outcome = ShareResult::Outcome::Refused;
    return result;
}

// The file an export writes: <base>.opr, unless that file holds another song (by its
// header row; a file that cannot be read counts as another's), then "<base> (2).opr" and
// on, the first that is free or holds this same song.
QString FreeExportTarget(const QDir& desktop, const QString& base, const QString& title)
{
    for (int n = 1; n < 100; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(n);
        const QString file = desktop.absoluteFilePath(name + QStringLiteral(".opr"));
        if (!QFileInfo::exists(file))
            return file;
        if (const std::optional<ExchangeContent> there = ReadExchangeFile(file); there && there->title == title)
            return file;
    }
    Raise(QStringLiteral("桌面上与“%1.opr”同名的文件太多，无法导出。").arg(base));
}

} // namespace

std::optional<ExchangeContent> ReadExchangeFile(const QString& file)
{
    try {
        return ReadExchangeRows(file);
    } catch (const IllegalFile&) {
        return std::nullopt;
    }
}

void ConnectExchangeFile(TADOConnection& conn, const QString& file)
{
    conn.SetTarget(file, QString::fromLatin1(ExchangePassword), CipherSettings::Standard);
}

void CreateExchangeFile(const QString& file)
{
    CreateDatabaseFile(file, QString::fromLatin1(ExchangePassword), {QString::fromLatin1(ExchangeTableSchema)},
                       CipherSettings::Standard);
}

QString ExchangeFileBaseName(const QString& title)
{
    static constexpr char16_t forbidden[] = u"/\\:*?\"<>|";
    QString name;
    name.reserve(title.size());
    for (const QChar c : title) {
        const char16_t u = c.unicode();
        const bool bad = u < 0x20 || u == 0x7f || std::char_traits<char16_t>::find(forbidden, 9, u) != nullptr;
        name += bad ? QChar(u'_') : c;
    }
    // Room for ".opr" and a temporary suffix within the usual 255-byte name limit.
    name = CutEncoded(name, 200, "UTF-8");
    bool onlyDotsOrSpaces = true;
    for (const QChar c : name)
        if (c != u'.' && c != u' ')
            onlyDotsOrSpaces = false;
    if (onlyDotsOrSpaces)
        return QStringLiteral("未命名");
    return name;
}

ShareResult DeleteSong(TADOConnection& library, int songId, const QString& title, IDialogs& dialogs)
{
    ShareResult result;
    result.songId = songId;
    result.title = title;
    if (songId <= 0)
        return result;
    if (!dialogs.AskYesNo(QStringLiteral("删除歌曲：") + title + QStringLiteral("，是否继续？")))
        return result;
    InTransaction(library, [&] {
        TADOQuery q;
        q.Exec(library, QStringLiteral("delete from TableCfg where SongID=?"), {songId});
        DeleteSongMarks(library, songId);
    });
    dialogs.ShowInfo(QStringLiteral("歌曲：") + title + QStringLiteral("，已删除！"));
    result.outcome = ShareResult::Outcome::Done;
    return result;
}

ShareResult ExportSong(TADOConnection& library, int songId, const QString& title, const QString& templateFile,
                       const QString& desktopFolder, IDialogs& dialogs)
{
    ShareResult result;
    result.songId = songId;
    result.title = title;
    if (songId <= 0)
        return result;
    const SongTableType rows = ReadSong(library, songId);
    if (rows.empty())
        return result;   // the song is gone: nothing to write
    const SongMarkTable marks = ReadSongMarks(library, rows, songId);

    const QDir desktop(desktopFolder);
    if (!QDir().mkpath(desktop.absolutePath()))
        Raise(QStringLiteral("无法创建桌面文件夹：%1").arg(Native(desktop.absolutePath())));
    const QString target = FreeExportTarget(desktop, ExchangeFileBaseName(title), title);
    if (QFileInfo(target).absolutePath() != desktop.absolutePath())
        Raise(QStringLiteral("导出文件不在桌面文件夹中：%1").arg(Native(target)));
    // The rows go into a copy beside the target, which then takes its place whole: a
    // failed export leaves neither a half-written file nor a lost older one.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    QFile source(templateFile);
    if (!source.exists())
        Raise(QStringLiteral("无法复制模板文件 %1 到 %2：模板文件不存在。").arg(Native(templateFile), Native(part)));
    if (!source.copy(part))
        Raise(QStringLiteral("无法复制模板文件 %1 到 %2：%3").arg(Native(templateFile), Native(part),
                                                                  source.errorString()));
    // A template shipped read-only must not make every export read-only.
    QFile::setPermissions(part, QFile::permissions(part) | QFile::WriteOwner | QFile::ReadOwner);

    try {
        TADOConnection exchange;
        ConnectExchangeFile(exchange, part);
        InTransaction(exchange, [&] {
            TADOQuery q;
            for (const SongRecord& r : rows) {
                // An exchange file holds every value as text, numbers included.
                QVariantList values = SongRowValues(r);
                for (QVariant& v : values)
                    v = v.toString();
                q.Exec(exchange, InsertExchangeRow, values);
            }
            if (marks.empty())
                return;
            q.Exec(exchange, QString::fromLatin1(ExchangeMarkTableSchema), {});
            for (const SongMark& m : marks)
                q.Exec(exchange, InsertExchangeMark,
                       {QString::number(m.SongID), QString::number(m.SeqID), m.SongName, m.Mark});
        });
        exchange.Close();
        // In one step: the old file is never removed before the new one is whole.
        QString why;
        if (!Platform::ReplaceFile(part, target, &why))
            Raise(QStringLiteral("无法写入文件 %1：%2").arg(Native(target), why));
    } catch (...) {
        QFile::remove(part);
        throw;
    }

    result.file = target;
    result.rows = int(rows.size());
    result.outcome = ShareResult::Outcome::Done;
    QString said = QStringLiteral("歌曲：") + title + QStringLiteral(" 导出到桌面！");
    if (QFileInfo(target).completeBaseName() != ExchangeFileBaseName(title))
        said += QStringLiteral("\n桌面上的“%1.opr”是另一首歌曲，这次导出的文件名为“%2”。")
                    .arg(ExchangeFileBaseName(title), QFileInfo(target).fileName());
    dialogs.ShowInfo(said);
    return result;
}

ShareResult ImportSongFile(TADOConnection& library, IDialogs& dialogs, const QDate& today)
{
    ShareResult result;
    const QString path =
        dialogs.OpenFile(QString(), QStringLiteral("所有支持的文件 (*.opr *.txt *.musicxml *.xml *.mxl *.mid *.midi);;"
                                                   "歌谱文件(*.opr);;简谱文本 (*.txt)") +
                                        MelodyFileFilters());
    if (path.isEmpty() || !path.contains(u'.'))
        return result;
    result.file = path;
    if (path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return ImportJianpuFile(library, dialogs, today, path);
    if (IsMelodyFile(path))
        return ImportMelodyFile(library, dialogs, today, path);
    // Only the small-letter extension is an exchange file, as it always was.
    if (!path.contains(QLatin1String(".opr")))
        return Refuse(dialogs, IllegalData, result);

    const std::optional<ExchangeContent> content = ReadExchangeFile(path);
    if (!content)
        return Refuse(dialogs, IllegalData, result);
    QString note;
    if (!content->refusedMarks.isEmpty()) {
        constexpr int shown = 10;
        note = QStringLiteral("文件中有 %1 个附加记号（升降号、调号或拍号）无法读取，导入时略去：")
                   .arg(content->refusedMarks.size());
        for (qsizetype i = 0; i < content->refusedMarks.size() && i < shown; ++i)
            note += QStringLiteral("\n") + content->refusedMarks.at(i);
        if (content->refusedMarks.size() > shown)
            note += QStringLiteral("\n……");
    }
    return ImportSongRows(library, dialogs, today, content->rows, content->title, path, note, content->marks);
}
