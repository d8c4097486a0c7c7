#include "app/Main.h"
#include "app/PubDef.h"
#include "app/ShockwaveFlash.h"
#include "library/Database.h"
#include <QDir>

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
        r.SongName = GbkCut(q.FieldAsString(QStringLiteral("SongName")), 200);
        r.SongNote = GbkCut(q.FieldAsString(QStringLiteral("SongNote")), 10);
        r.OpernLong = GbkCut(q.FieldAsString(QStringLiteral("OpernLong")), 10);
        r.OpernHigh = GbkCut(q.FieldAsString(QStringLiteral("OpernHigh")), 10);
        r.Conn = q.FieldAsInteger(QStringLiteral("Conn"));
        r.InfoType = GbkCut(q.FieldAsString(QStringLiteral("InfoType")), 1);
        r.SongDate = GbkCut(q.FieldAsString(QStringLiteral("SongDate")), 10);
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
