#pragma once
#include "core/score/SongRecord.h"
#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A prepared statement, finalized when it goes.
struct SqlStatement {
    sqlite3_stmt* stmt = nullptr;
    SqlStatement() = default;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement();
};

// Key-derivation rounds for every database file the program creates or opens. The
// password comes from a constant inside the program, so a long stretch protects
// nothing that reading the program would not reveal; it would only slow every start
// (the library's default of 64,000 rounds costs about 80 ms here, 4,000 about 5 ms).
// Files made with one value cannot be opened with another: change it only together
// with every existing database.
inline constexpr int DatabaseKdfIter = 4000;

// How a file is keyed. Song databases use the program's own round count; exchange
// files travel between users, so they keep SQLCipher 3's standard settings and any
// SQLCipher 3 opens them with the password alone.
enum class CipherSettings { Program, Standard };

// Who made a file. A stranger's file (an exchange file from anyone) is opened read-only:
// no view or trigger may read anything, no recursive query runs, values and the file
// itself have size limits. Own files (the song library) get the statement budget only.
enum class FileTrust { Own, Stranger };

// Every statement on every connection stops after this much time or this much memory
// of the database engine: a file that computes rows without end is refused, never a hang.
inline constexpr int StatementTimeBudgetMs = 2000;
inline constexpr qint64 StatementMemoryBudget = 64LL << 20;
// The longest text or row a database value may have, and the most one result may hold.
inline constexpr int DatabaseValueLimit = 1 << 20;
inline constexpr qint64 QueryResultLimit = 64LL << 20;
// A stranger's file larger than this is not one of ours (a song of 500 cells is ~100 KB).
inline constexpr qint64 StrangerFileSizeLimit = 16LL << 20;

// The one connection: pointed at a database file with a password, opened lazily by
// the first statement. Values always travel as bound parameters.
class TADOConnection {
public:
    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    void Close();
    // Closes any open file and points at a new one; nothing is opened yet.
    void SetTarget(const QString& file, const QString& password,
                   CipherSettings settings = CipherSettings::Program, FileTrust trust = FileTrust::Own);
    const QString& File() const { return m_file; }
    bool Connected() const { return m_db != nullptr; }
    sqlite3* Handle();   // opens on first use; throws with the database's message
    // Takes the open handle of a connection to the same file with the same key (opened on
    // another thread that has finished with it); false, taking nothing, when it is not one.
    bool TakeOver(TADOConnection& from);

    // Starts the budget of the next statement (its time and the engine's memory from now).
    void StartBudget();
    // True once the running statement's budget is spent; the engine then stops it.
    bool BudgetSpent();
    // Raises the text for a statement stopped by its budget, when that is what stopped it.
    void RaiseIfOverBudget() const;

private:
    QString m_file;
    QString m_password;
    CipherSettings m_settings = CipherSettings::Program;
    FileTrust m_trust = FileTrust::Own;
    sqlite3* m_db = nullptr;
    QElapsedTimer m_budgetClock;
    qint64 m_budgetMemoryBase = 0;
    bool m_overBudget = false;
};

// The one query: the rows of the last select, walked from the first to the end.
class TADOQuery {
public:
    void Close();
    void Open(TADOConnection& conn, const QString& sql, const QVariantList& params);
    // Runs one statement that returns no rows; the rows of the last select stay.
    void Exec(TADOConnection& conn, const QString& sql, const QVariantList& params);
    int RecordCount() const { return int(m_rowCount); }
    bool Eof() const { return m_pos >= m_rowCount; }
    void First() { m_pos = 0; }
    void Next() { ++m_pos; }
    // Column lookups ignore case; a missing column or a text that is not a whole
    // number raises an error.
    int FieldAsInteger(const QString& column) const;
    // The same value, or nothing when it is not a whole number in range (a missing column
    // still raises).
    std::optional<int> IntegerField(const QString& column) const;
    QString FieldAsString(const QString& column) const;

private:
    int columnIndex(const QString& column) const;
    const QVariant& current(const QString& column) const;
    QStringList m_columns;
    QVector<QVariant> m_values;   // row after row, one allocation for the whole result
    qsizetype m_rowCount = 0;
    qsizetype m_pos = 0;
};

// Creates a new database file keyed with the password and runs the statements in it,
// all in one transaction. An existing file is an error (it is never overwritten);
// on failure no file is left behind.
void CreateDatabaseFile(const QString& file, const QString& password, const QStringList& statements,
                        CipherSettings settings = CipherSettings::Program);
// True when the table is an ordinary table of the file: not a view, not a virtual table
// (whose module could read anything, without end). False when it is missing.
bool IsOrdinaryTable(TADOConnection& conn, const QString& table);

// A date as the number YYYYMMDD.
qint64 DateNumber(const QDate& date);
// A whole decimal number with an optional sign, nothing else; nothing for any other text.
std::optional<qint64> WholeNumber(const QString& text);
// Reads a whole decimal number (optional sign); anything else raises a conversion error.
qint64 TextToInteger(const QString& text);

// Runs fn inside one transaction on conn: all of it is written, or none. The first fault
// goes on up.
void InTransaction(TADOConnection& conn, const std::function<void()>& fn);
