#include "core/library/Database.h"
#include "core/Errors.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

namespace {

QString NativePath(const QString& file)
{
    return QDir::toNativeSeparators(file);
}

QString DbMessage(sqlite3* db, int rc)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

// Keys a freshly opened handle. The compatibility pragma pins the older cipher
// settings on newer library versions (older ones ignore it), so files stay readable
// across versions; the round count must match between creating and opening.
void ApplyKey(sqlite3* db, const QString& password, CipherSettings settings)
{
    if (password.isEmpty())
        return;
    const QByteArray key = password.toUtf8();
    int rc = sqlite3_key(db, key.constData(), int(key.size()));
    if (rc == SQLITE_OK) {
        QByteArray pragmas = QByteArrayLiteral("PRAGMA cipher_compatibility = 3;");
        if (settings == CipherSettings::Program)
            pragmas += QByteArrayLiteral(" PRAGMA kdf_iter = ") + QByteArray::number(DatabaseKdfIter) + ';';
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        // The fuzz build keys every input afresh; the full stretch would take nearly all its time.
        else
            pragmas += QByteArrayLiteral(" PRAGMA kdf_iter = 1;");
#endif
        rc = sqlite3_exec(db, pragmas.constData(), nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK)
        Raise(QStringLiteral("无法为数据库设置密码：%1").arg(DbMessage(db, rc)));
}

[[noreturn]] void RaiseStatement(sqlite3* db, int rc, const QString& file)
{
    Raise(QStringLiteral("%1\n（数据库“%2”）").arg(DbMessage(db, rc), NativePath(file)));
}

void Bind(sqlite3* db, sqlite3_stmt* stmt, const QVariantList& params, const QString& file)
{
    const int wanted = sqlite3_bind_parameter_count(stmt);
    if (wanted != params.size())
        Raise(QStringLiteral("语句需要 %1 个值，却给了 %2 个。").arg(wanted).arg(params.size()));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params.at(i);
        int rc = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::UnknownType:
            rc = sqlite3_bind_null(stmt, i + 1);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, i + 1, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default:
            if (v.isNull() && v.typeId() != QMetaType::QString) {
                rc = sqlite3_bind_null(stmt, i + 1);
            } else {
                const QByteArray t = v.toString().toUtf8();
                rc = sqlite3_bind_text(stmt, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
            break;
        }
        if (rc != SQLITE_OK)
            RaiseStatement(db, rc, file);
    }
}

// Prepares exactly one statement; a second one in the same text is refused.
void Prepare(sqlite3* db, const QString& sql, const QVariantList& params, SqlStatement& st, const QString& file)
{
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &st.stmt, &tail);
    if (rc != SQLITE_OK)
        RaiseStatement(db, rc, file);
    if (!st.stmt)
        Raise(QStringLiteral("语句为空。"));
    if (tail && !QByteArray(tail).trimmed().isEmpty())
        Raise(QStringLiteral("一次只能执行一条语句。"));
    Bind(db, st.stmt, params, file);
}

QVariant ColumnValue(sqlite3_stmt* stmt, int c)
{
    switch (sqlite3_column_type(stmt, c)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, c)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, c));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                          sqlite3_column_bytes(stmt, c)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)), sqlite3_column_bytes(stmt, c)));
    default:
        return QVariant();
    }
}

// Called by the engine every few thousand steps of any statement; non-zero stops it.
int BudgetCheck(void* conn)
{
    return static_cast<TADOConnection*>(conn)->BudgetSpent() ? 1 : 0;
}

// A stranger's file may be read only as it stands: no view or trigger reads anything
// (the 6th argument names one when it is the cause), no recursive query, no writing.
int StrangerAuthorizer(void*, int action, const char*, const char*, const char*, const char* viewOrTrigger)
{
    if (viewOrTrigger)
        return SQLITE_DENY;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

// Limits for a stranger's file, also while its schema is read.
void LimitStrangersFile(sqlite3* db)
{
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, DatabaseValueLimit);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, 100000);
    sqlite3_limit(db, SQLITE_LIMIT_COLUMN, 100);
    sqlite3_limit(db, SQLITE_LIMIT_EXPR_DEPTH, 100);
    sqlite3_limit(db, SQLITE_LIMIT_COMPOUND_SELECT, 10);
    sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, 25000);
    sqlite3_limit(db, SQLITE_LIMIT_FUNCTION_ARG, 8);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 1000);
    sqlite3_limit(db, SQLITE_LIMIT_VARIABLE_NUMBER, 100);
    sqlite3_limit(db, SQLITE_LIMIT_TRIGGER_DEPTH, 1);
    // The engine gives cache back above this; the statement budget is the hard stop.
    sqlite3_soft_heap_limit64(StatementMemoryBudget);
}

} // namespace

std::optional<qint64> WholeNumber(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]{1,18}$"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

// ---- Connection ----

TADOConnection::TADOConnection() = default;

TADOConnection::~TADOConnection()
{
    Close();
}

void TADOConnection::Close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool TADOConnection::TakeOver(TADOConnection& from)
{
    if (!from.m_db || from.m_file != m_file || from.m_password != m_password || from.m_settings != m_settings ||
        from.m_trust != m_trust)
        return false;
    Close();
    m_db = std::exchange(from.m_db, nullptr);
    sqlite3_progress_handler(m_db, 1000, BudgetCheck, this);   // the budget is this connection's now
    return true;
}

void TADOConnection::SetTarget(const QString& file, const QString& password, CipherSettings settings,
                               FileTrust trust)
{
    Close();
    m_file = file;
    m_password = password;
    m_settings = settings;
    m_trust = trust;
}

void TADOConnection::StartBudget()
{
    m_budgetClock.start();
    m_budgetMemoryBase = sqlite3_memory_used();
    m_overBudget = false;
}

bool TADOConnection::BudgetSpent()
{
    if (!m_overBudget && m_budgetClock.isValid())
        m_overBudget = m_budgetClock.elapsed() > StatementTimeBudgetMs ||
                       sqlite3_memory_used() - m_budgetMemoryBase > StatementMemoryBudget;
    return m_overBudget;
}

void TADOConnection::RaiseIfOverBudget() const
{
    if (m_overBudget)
        Raise(QStringLiteral("读取数据库“%1”所需的时间或内存超出限度（%2 秒，%3 MB），已停止。")
                  .arg(NativePath(m_file))
                  .arg(StatementTimeBudgetMs / 1000)
                  .arg(StatementMemoryBudget >> 20));
}

sqlite3* TADOConnection::Handle()
{
    if (m_db)
        return m_db;
    if (m_file.isEmpty())
        Raise(QStringLiteral("尚未选择数据库文件。"));
    // Opening never creates: a missing file must not turn into an empty library.
    const QFileInfo info(m_file);
    if (!info.exists())
        Raise(QStringLiteral("无法打开数据库文件“%1”：文件不存在。").arg(NativePath(m_file)));
    if (!info.isFile())
        Raise(QStringLiteral("无法打开数据库文件“%1”：它不是一个普通文件。").arg(NativePath(m_file)));
    const bool stranger = m_trust == FileTrust::Stranger;
    if (stranger && info.size() > StrangerFileSizeLimit)
        Raise(QStringLiteral("无法打开数据库文件“%1”：文件太大（超过 %2 MB）。")
                  .arg(NativePath(m_file))
                  .arg(StrangerFileSizeLimit >> 20));
    sqlite3* db = nullptr;
    // One thread uses the connection, so the library's own locking is not needed.
    int rc = sqlite3_open_v2(m_file.toUtf8().constData(), &db,
                             (stranger ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = DbMessage(db, rc);
        sqlite3_close_v2(db);
        Raise(QStringLiteral("无法打开数据库文件“%1”：%2").arg(NativePath(m_file), msg));
    }
    if (stranger)
        LimitStrangersFile(db);
    sqlite3_progress_handler(db, 1000, BudgetCheck, this);
    try {
        ApplyKey(db, m_password, m_settings);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    if (stranger) {
        // Newer engines also refuse functions with side effects in a schema.
        sqlite3_exec(db, "PRAGMA query_only = 1; PRAGMA trusted_schema = 0; PRAGMA cache_size = -2000;", nullptr,
                     nullptr, nullptr);
        sqlite3_set_authorizer(db, StrangerAuthorizer, nullptr);
    }
    // The key is only checked when the first page is read: read it now, so a wrong
    // password fails here with a clear text instead of at some later statement.
    StartBudget();
    rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = DbMessage(db, rc);
        sqlite3_close_v2(db);
        if (rc == SQLITE_NOTADB)
            Raise(QStringLiteral("无法打开数据库文件“%1”：密码不对，或者它不是数据库（%2）。")
                      .arg(NativePath(m_file), msg));
        Raise(QStringLiteral("无法打开数据库文件“%1”：%2").arg(NativePath(m_file), msg));
    }
    m_db = db;
    return m_db;
}

// ---- Query ----

void TADOQuery::Close()
{
    m_columns.clear();
    m_values.clear();
    m_rowCount = 0;
    m_pos = 0;
}

void TADOQuery::Open(TADOConnection& conn, const QString& sql, const QVariantList& params)
{
    Close();
    sqlite3* db = conn.Handle();
    SqlStatement st;
    Prepare(db, sql, params, st, conn.File());
    conn.StartBudget();
    qint64 resultBytes = 0;
    const int columns = sqlite3_column_count(st.stmt);
    QStringList names;
    for (int c = 0; c < columns; ++c)
        names << QString::fromUtf8(sqlite3_column_name(st.stmt, c));
    QVector<QVariant> values;
    qsizetype count = 0;
    // Neighbouring rows mostly repeat their texts (a song's title is on every row):
    // a repeated text shares the string of the row before instead of a new copy.
    struct LastText {
        QByteArray raw;
        QVariant value;
    };
    std::vector<LastText> last(size_t(columns > 0 ? columns : 0));
    for (;;) {
        const int rc = sqlite3_step(st.stmt);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            conn.RaiseIfOverBudget();
            RaiseStatement(db, rc, conn.File());
        }
        for (int c = 0; c < columns; ++c) {
            resultBytes += sqlite3_column_bytes(st.stmt, c) + qint64(sizeof(QVariant));
            if (resultBytes > QueryResultLimit)
                Raise(QStringLiteral("数据库“%1”的查询结果超过 %2 MB，已停止读取。")
                          .arg(NativePath(conn.File()))
                          .arg(QueryResultLimit >> 20));
            if (sqlite3_column_type(st.stmt, c) != SQLITE_TEXT) {
                values.append(ColumnValue(st.stmt, c));
                continue;
            }
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, c));
            const int bytes = sqlite3_column_bytes(st.stmt, c);
            LastText& l = last[size_t(c)];
            if (!l.value.isValid() || l.raw.size() != bytes || std::memcmp(l.raw.constData(), text, size_t(bytes)) != 0) {
                l.raw = QByteArray(text, bytes);
                l.value = QVariant(QString::fromUtf8(text, bytes));
            }
            values.append(l.value);
        }
        ++count;
    }
    m_columns = std::move(names);
    m_values = std::move(values);
    m_rowCount = count;
    m_pos = 0;
}

void TADOQuery::Exec(TADOConnection& conn, const QString& sql, const QVariantList& params)
{
    sqlite3* db = conn.Handle();
    SqlStatement st;
    Prepare(db, sql, params, st, conn.File());
    conn.StartBudget();
    for (;;) {
        const int rc = sqlite3_step(st.stmt);
        if (rc == SQLITE_DONE)
            return;
        if (rc != SQLITE_ROW) {
            conn.RaiseIfOverBudget();
            RaiseStatement(db, rc, conn.File());
        }
    }
}

int TADOQuery::columnIndex(const QString& column) const
{
    const qsizetype exact = m_columns.indexOf(column);
    if (exact >= 0)
        return int(exact);
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return i;
    Raise(QStringLiteral("找不到字段“%1”").arg(column));
}

const QVariant& TADOQuery::current(const QString& column) const
{
    const int c = columnIndex(column);
    if (Eof())
        Raise(QStringLiteral("当前没有可读的记录。"));
    return m_values.at(m_pos * m_columns.size() + c);
}

std::optional<int> TADOQuery::IntegerField(const QString& column) const
{
    const QVariant& v = current(column);
    qint64 n = 0;
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::LongLong:
        n = v.toLongLong();
        break;
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (!(d >= double(INT_MIN) && d <= double(INT_MAX)) || d != double(qint64(d)))
            return std::nullopt;
        n = qint64(d);
        break;
    }
    default:
        if (const std::optional<qint64> whole = WholeNumber(v.toString()))
            n = *whole;
        else
            return std::nullopt;
        break;
    }
    if (n < INT_MIN || n > INT_MAX)
        return std::nullopt;
    return int(n);
}

int TADOQuery::FieldAsInteger(const QString& column) const
{
    const std::optional<int> n = IntegerField(column);
    if (!n)
        Raise(QStringLiteral("'%1' 不是有效的整数值").arg(FieldAsString(column)));
    return *n;
}

QString TADOQuery::FieldAsString(const QString& column) const
{
    const QVariant& v = current(column);
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

bool IsOrdinaryTable(TADOConnection& conn, const QString& table)
{
    TADOQuery q;
    q.Open(conn, QStringLiteral("select type, sql from sqlite_master where lower(name)=lower(?)"), {table});
    if (q.RecordCount() != 1 || q.FieldAsString(QStringLiteral("type")) != QLatin1String("table"))
        return false;
    static const QRegularExpression virtualTable(QStringLiteral("^\\s*create\\s+virtual\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
    return !virtualTable.match(q.FieldAsString(QStringLiteral("sql"))).hasMatch();
}

// ---- Files and helpers ----

void CreateDatabaseFile(const QString& file, const QString& password, const QStringList& statements,
                        CipherSettings settings)
{
    if (QFileInfo::exists(file))
        Raise(QStringLiteral("数据库文件“%1”已存在。").arg(NativePath(file)));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto fail = [&](const QString& msg) {
        sqlite3_close_v2(db);
        QFile::remove(file);
        Raise(QStringLiteral("无法创建数据库文件“%1”：%2").arg(NativePath(file), msg));
    };
    if (rc != SQLITE_OK)
        fail(DbMessage(db, rc));
    try {
        ApplyKey(db, password, settings);
    } catch (const TavoError& e) {
        fail(e.text());
    }
    QStringList all{QStringLiteral("begin")};
    all << statements << QStringLiteral("commit");
    for (const QString& s : all) {
        rc = sqlite3_exec(db, s.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            fail(DbMessage(db, rc));
    }
    sqlite3_close_v2(db);
}

qint64 DateNumber(const QDate& date)
{
    return qint64(date.year()) * 10000 + date.month() * 100 + date.day();
}

qint64 TextToInteger(const QString& text)
{
    const std::optional<qint64> n = WholeNumber(text);
    if (!n)
        Raise(QStringLiteral("'%1' 不是有效的整数值").arg(text));
    return *n;
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(stmt);
}

void InTransaction(TADOConnection& conn, const std::function<void()>& fn)
{
    TADOQuery q;
    q.Exec(conn, QStringLiteral("begin immediate"), {});
    try {
        fn();
        q.Exec(conn, QStringLiteral("commit"), {});
    } catch (...) {
        try {
            q.Exec(conn, QStringLiteral("rollback"), {});
        } catch (const TavoError&) {
            // The engine may already have ended the transaction itself.
        }
        throw;
    }
}
