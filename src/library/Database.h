#pragma once
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

struct sqlite3;

// The one connection: pointed at a database file with a password, opened lazily by
// the first statement. Values always travel as bound parameters.
class TADOConnection {
public:
    TADOConnection();
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    void Close();
    void SetTarget(const QString& file, const QString& password);
    const QString& File() const { return m_file; }
    bool Connected() const { return m_db != nullptr; }
    sqlite3* Handle();   // opens on first use; throws with the database's message

private:
    QString m_file;
    QString m_password;
    sqlite3* m_db = nullptr;
};

// The one query: the rows of the last select, walked from the first to the end.
class TADOQuery {
public:
    void Close();
    void Open(TADOConnection& conn, const QString& sql, const QVariantList& params);
    void Exec(TADOConnection& conn, const QString& sql, const QVariantList& params);
    int RecordCount() const { return int(m_rows.size()); }
    bool Eof() const { return m_pos >= m_rows.size(); }
    void First() { m_pos = 0; }
    void Next() { ++m_pos; }
    int FieldAsInteger(const QString& column) const;
    QString FieldAsString(const QString& column) const;

private:
    int columnIndex(const QString& column) const;
    QStringList m_columns;
    QVector<QVariantList> m_rows;
    qsizetype m_pos = 0;
};
