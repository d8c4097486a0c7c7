#include "ui/shell/Main.h"
#include "ui/shell/PubDef.h"
#include "ui/widgets/ShockwaveFlash.h"
#include "core/library/Database.h"
#include <QDir>

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

void TFormPiano::ConnectSongDatabase()
{
    ADOConn->Close();
    const QString password = DeriveDatabasePassword(QByteArray(PasswordSeed));
    ADOConn->SetTarget(QDir(AppDir).filePath(QStringLiteral("dat/Opern.dat")), password);
}

void TFormPiano::LoadSongTable()
{
    OpenQuery(QStringLiteral("select SongID,SeqID,SongName,SongNote,OpernLong,OpernHigh,Conn,InfoType,SongDate "
                             "from TableCfg order by SongID,SeqID"));
    TADOQuery& q = *ADOQryESM;
    SongTable.assign(size_t(q.RecordCount()), SongRecord{});
    // Recent notices take the banner slots from 21; past slot 30 they are dropped.
    constexpr int firstNoticeSlot = 21;
    constexpr int lastSlot = 30;
    int k = firstNoticeSlot;
    const qint64 today = DateNumber(LibraryToday());
    size_t i = 0;
    for (q.First(); !q.Eof(); q.Next(), ++i) {
        SongRecord& r = SongTable[i];
        r.SongID = q.FieldAsInteger(QStringLiteral("SongID"));
        r.SeqID = q.FieldAsInteger(QStringLiteral("SeqID"));
        r.SongName = Cut(q.FieldAsString(QStringLiteral("SongName")), 200);
        r.SongNote = Cut(q.FieldAsString(QStringLiteral("SongNote")), 10);
        r.OpernLong = Cut(q.FieldAsString(QStringLiteral("OpernLong")), 10);
        r.OpernHigh = Cut(q.FieldAsString(QStringLiteral("OpernHigh")), 10);
        r.Conn = q.FieldAsInteger(QStringLiteral("Conn"));
        r.InfoType = Cut(q.FieldAsString(QStringLiteral("InfoType")), 1);
        r.SongDate = Cut(q.FieldAsString(QStringLiteral("SongDate")), 10);
        if (MySWF)
            MySWF->ResetBackground();
        if (r.InfoType == QLatin1String("9")) {
            // A bad date stops the load here; the rows before it stay filled.
            const qint64 d = TextToInteger(r.SongDate);
            if (today - d < 600 && k <= lastSlot)
                BannerLinks[size_t(k++)] = r.SongName;
        }
    }
}
