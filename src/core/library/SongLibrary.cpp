#include "core/library/SongLibrary.h"
#include "core/library/Password.h"

namespace {
// GbkCut encodes the whole text; most stored values are short ASCII and can be
// decided without that (a character takes at most two GBK bytes).
QString Cut(const QString& text, int maxBytes)
{
    bool ascii = true;
    for (const QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.left(maxBytes);
    if (text.size() * 2 <= maxBytes)
        return text;
    return GbkCut(text, maxBytes);
}
}

void SongLibrary::ConnectSongDatabase(const QString& file)
{
    m_conn.Close();
    m_conn.SetTarget(file, DeriveDatabasePassword(QByteArray(PasswordSeed)));
}

void SongLibrary::OpenQuery(const QString& sql, const QVariantList& params)
{
    m_query.Open(m_conn, sql, params);
}

void SongLibrary::ExecStatement(const QString& sql, const QVariantList& params)
{
    m_query.Exec(m_conn, sql, params);
}

void SongLibrary::LoadSongTable(BannerLinkList& bannerLinks)
{
    OpenQuery(QStringLiteral("select SongID,SeqID,SongName,SongNote,OpernLong,OpernHigh,Conn,InfoType,SongDate "
                             "from TableCfg order by SongID,SeqID"));
    TADOQuery& q = m_query;
    m_table.assign(size_t(q.RecordCount()), SongRecord{});
    // Recent notices take the banner slots from 21; past slot 30 they are dropped.
    constexpr int firstNoticeSlot = 21;
    constexpr int lastSlot = 30;
    int k = firstNoticeSlot;
    const qint64 today = DateNumber(Today());
    size_t i = 0;
    for (q.First(); !q.Eof(); q.Next(), ++i) {
        SongRecord& r = m_table[i];
        r.SongID = q.FieldAsInteger(QStringLiteral("SongID"));
        r.SeqID = q.FieldAsInteger(QStringLiteral("SeqID"));
        r.SongName = Cut(q.FieldAsString(QStringLiteral("SongName")), Score::TitleBytes);
        r.SongNote = Cut(q.FieldAsString(QStringLiteral("SongNote")), Score::FieldBytes);
        r.OpernLong = Cut(q.FieldAsString(QStringLiteral("OpernLong")), Score::FieldBytes);
        r.OpernHigh = Cut(q.FieldAsString(QStringLiteral("OpernHigh")), Score::FieldBytes);
        r.Conn = q.FieldAsInteger(QStringLiteral("Conn"));
        r.InfoType = Cut(q.FieldAsString(QStringLiteral("InfoType")), 1);
        r.SongDate = Cut(q.FieldAsString(QStringLiteral("SongDate")), Score::FieldBytes);
        if (r.InfoType == QLatin1String("9")) {
            // A bad date stops the load here; the rows before it stay filled.
            const qint64 d = TextToInteger(r.SongDate);
            if (today - d < 600 && k <= lastSlot)
                bannerLinks[size_t(k++)] = r.SongName;
        }
    }
}
