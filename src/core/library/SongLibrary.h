#pragma once
// The song library: the one connection to the song database, the one query, and the song
// table loaded from it.
#include "core/library/Database.h"
#include "core/score/SongRecord.h"
#include "core/settings/Settings.h"
#include <QDate>
#include <QString>
#include <QVariantList>
#include <array>
#include <functional>
#include <memory>
#include <thread>

// Song.h stays out of this header: its Cell would clash with names of the files that include it.
struct Song;
struct SongMark;
using SongMarkTable = std::vector<SongMark>;

class SongLibrary {
public:
    SongLibrary();
    ~SongLibrary();
    SongLibrary(const SongLibrary&) = delete;
    SongLibrary& operator=(const SongLibrary&) = delete;

    // Points the connection at the song database with its derived password; opens nothing yet,
    // unless the file was opened ahead: that connection is then taken.
    void ConnectSongDatabase(const QString& file);
    // Opens an existing library on a worker thread, so the slow key derivation runs while
    // the window first paints. One that fails there is opened again, and reported, as usual.
    void OpenAhead(const QString& file);
    // Reads every row of TableCfg in SongID, SeqID order, and the marks beside them that fit
    // them; recent notices go to banner slots 21..30. Marks that do not fit are named too.
    // A row whose SongID, SeqID or Conn is not a whole number is left out; the result names
    // those rows for the user (empty when every row was read). A library that cannot be opened
    // raises and leaves the table empty; a bad notice date raises where it stands.
    QString LoadSongTable(BannerLinkList& bannerLinks);

    void OpenQuery(const QString& sql, const QVariantList& params = {});
    void ExecStatement(const QString& sql, const QVariantList& params = {});

    TADOConnection& Connection() { return m_conn; }
    TADOQuery& Query() { return m_query; }
    const SongTableType& Table() const { return m_table; }
    SongTableType& Table() { return m_table; }
    // The marks beside the table (key, meter, accidentals), all of which fit its rows.
    const SongMarkTable& Marks() const { return *m_marks; }
    // Song songID of the table, with its marks.
    Song SongOf(int songID) const;
    const QString& File() const { return m_conn.File(); }

    // "Today" for date stamps and the age of notice rows; tests give a fixed day.
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

private:
    void JoinAhead();

    TADOConnection m_conn;
    std::unique_ptr<TADOConnection> m_ahead;
    std::thread m_aheadWorker;
    TADOQuery m_query;
    SongTableType m_table;
    std::unique_ptr<SongMarkTable> m_marks;   // never empty
};
