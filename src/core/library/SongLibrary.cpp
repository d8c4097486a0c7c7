#include "core/library/SongLibrary.h"
#include "core/Errors.h"
#include "core/library/Password.h"
#include "core/library/SongMarks.h"
#include "core/score/Song.h"
#include "core/library/SongRows.h"
#include <QDir>
#include <QFileInfo>

namespace {
QString SkippedRowsReport(const QString& file, const QStringList& rows)
{
    if (rows.isEmpty())
        return QString();
    constexpr int shown = 10;
    QString text = QStringLiteral("歌曲库“%1”中有 %2 行无法读取，已跳过，其他歌曲照常载入：")
                       .arg(QDir::toNativeSeparators(file))
                       .arg(rows.size());
    for (int i = 0; i < rows.size() && i < shown; ++i)
        text += QStringLiteral("\n") + rows.at(i);
    if (rows.size() > shown)
        text += QStringLiteral("\n……另有 %1 行。").arg(rows.size() - shown);
    return text;
}
}

SongLibrary::SongLibrary() : m_marks(std::make_unique<SongMarkTable>()) {}

Song SongLibrary::SongOf(int songID) const { return SongFromTable(m_table, songID, *m_marks); }

SongLibrary::~SongLibrary()
{
    JoinAhead();
}

void SongLibrary::JoinAhead()
{
    if (m_aheadWorker.joinable())
        m_aheadWorker.join();
}

void SongLibrary::OpenAhead(const QString& file)
{
    JoinAhead();
    if (!QFileInfo(file).isFile())
        return;   // a first start copies the starter library in its own step
    m_ahead = std::make_unique<TADOConnection>();
    m_ahead->SetTarget(file, DeriveDatabasePassword(QByteArray(PasswordSeed)));
    m_aheadWorker = std::thread([conn = m_ahead.get()] {
        try {
            conn->Handle();
        } catch (const std::exception&) {
            // Opened again in its step, which reports what is wrong.
        }
    });
}

void SongLibrary::ConnectSongDatabase(const QString& file)
{
    JoinAhead();
    m_conn.Close();
    m_conn.SetTarget(file, DeriveDatabasePassword(QByteArray(PasswordSeed)));
    if (m_ahead) {
        m_conn.TakeOver(*m_ahead);
        m_ahead.reset();
    }
}

void SongLibrary::OpenQuery(const QString& sql, const QVariantList& params)
{
    m_query.Open(m_conn, sql, params);
}

void SongLibrary::ExecStatement(const QString& sql, const QVariantList& params)
{
    m_query.Exec(m_conn, sql, params);
}

QString SongLibrary::LoadSongTable(BannerLinkList& bannerLinks)
{
    // Rows of an earlier load must not stay on show when this one cannot be read.
    m_table.clear();
    m_marks->clear();
    // An empty file opens as an empty database; say what is missing rather than SQL's words.
    // A view or a virtual table there could compute rows without end.
    if (!IsOrdinaryTable(m_conn, QStringLiteral("TableCfg")))
        Raise(QStringLiteral("歌曲库“%1”中没有歌曲表 TableCfg（文件是空的或已损坏）。该文件保持原样，可以从备份恢复。")
                  .arg(QDir::toNativeSeparators(File())));
    OpenQuery(QStringLiteral("select %1 from TableCfg order by SongID,SeqID").arg(SongColumns()));
    TADOQuery& q = m_query;
    m_table.assign(size_t(q.RecordCount()), SongRecord{});
    // Recent notices take the banner slots from 21; past slot 30 they are dropped.
    constexpr int firstNoticeSlot = 21;
    constexpr int lastSlot = 30;
    int k = firstNoticeSlot;
    const qint64 today = DateNumber(Today());
    QStringList skipped;
    size_t i = 0;
    for (q.First(); !q.Eof(); q.Next()) {
        std::optional<SongRecord> row = ReadSongRow(q);
        if (!row) {
            skipped << UnreadableSongRow(q);
            continue;
        }
        SongRecord& r = m_table[i++];
        r = std::move(*row);
        if (r.InfoType == QLatin1String("9")) {
            // A notice whose date is no number is left out like a row with a bad number.
            const std::optional<qint64> d = WholeNumber(r.SongDate);
            if (!d) {
                skipped << QStringLiteral("歌曲“%1”（SongID %2）中 SeqID 为 %3 的通知：日期“%4”不是整数")
                               .arg(r.SongName)
                               .arg(r.SongID)
                               .arg(r.SeqID)
                               .arg(r.SongDate);
                r = SongRecord{};
                --i;
                continue;
            }
            if (today - *d < RecentNoticeSpan && k <= lastSlot)
                bannerLinks[size_t(k++)] = r.SongName;
        }
    }
    m_table.resize(i);
    // The songs stand without their marks: a fault there costs only the marks.
    try {
        *m_marks = ReadLibraryMarks(m_conn, m_table, skipped);
    } catch (const TavoError& e) {
        m_marks->clear();
        skipped << e.text();
    }
    return SkippedRowsReport(File(), skipped);
}
