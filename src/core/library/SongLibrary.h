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

class SongLibrary {
public:
    // Points the connection at the song database with its derived password; opens nothing yet.
    void ConnectSongDatabase(const QString& file);
    // Reads every row of TableCfg in SongID, SeqID order; recent notices go to banner slots 21..30.
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
    const QString& File() const { return m_conn.File(); }

    // "Today" for date stamps and the age of notice rows; tests give a fixed day.
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

private:
    TADOConnection m_conn;
    TADOQuery m_query;
    SongTableType m_table;
};
