#include "platform/DbEngine.h"

#include "platform/EngineErrors.h"
#include "platform/RuntimeError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace {

std::atomic<int> g_connectionCounter{0};

RuntimeError engineError(const QSqlError& error) {
    return EngineErrors::fromSql(error);
}

// Another connection holds the lock (SQLite's busy code, plain or extended).
bool isBusy(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xFF) == 5;
}

QVariant storedValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QTime:
        return value.toTime().toString("hh:mm:ss");
    case QMetaType::Bool:
        // Yes/No fields hold -1 for True.
        return value.toBool() ? -1 : 0;
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
        // Integer parameters narrower than 32 bits must still bind as numbers; the SQLite
        // driver would pass them as text, which compares unequal to every number.
        return value.toInt();
    default:
        return value;
    }
}

} // namespace

// ----- ParsedSql ---------------------------------------------------------------------------

ParsedSql ParsedSql::parse(const QString& sql) {
    ParsedSql out;
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            out.positionalSql += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"' || c == '[') {
            quote = c == '[' ? QChar(']') : c;
            out.positionalSql += c;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == '_')) {
            int j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == '_'))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            out.occurrences << name;
            if (!out.names.contains(name, Qt::CaseInsensitive))
                out.names << name;
            out.positionalSql += '?';
            i = j - 1;
            continue;
        }
        out.positionalSql += c;
    }
    return out;
}

// ----- Database ----------------------------------------------------------------------------

Database::Database(Workspace* workspace, QString path, QString connect, bool readOnly)
    : m_workspace(workspace), m_path(std::move(path)), m_connect(std::move(connect)) {
    m_connectionName = QStringLiteral("chronivo-db-%1").arg(++g_connectionCounter);
    m_db = QSqlDatabase::addDatabase("QSQLITE", m_connectionName);
    // Open through a URI so that SQLite never creates a missing file behind our back.
    m_db.setDatabaseName(
        QStringLiteral("file:%1?mode=%2")
            .arg(QString::fromUtf8(QUrl::toPercentEncoding(m_path, "/\\:")), readOnly ? "ro" : "rw"));
    // A lock held by another writer is waited for a short bounded time, then reported: the
    // window's thread must never hang for seconds on a result.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
}

Database::~Database() {
    Close();
}

void Database::ensureOpen() const {
    if (!m_open)
        throw RuntimeError::ObjectNotSet();
}

void Database::loadStoredQueries() {
    QSqlQuery q(m_db);
    if (!q.exec("select Name, Sql from StoredQueries") && isBusy(q.lastError()))
        throw engineError(q.lastError()); // another program is writing: not a wrong file
    if (!q.isActive())
        throw RuntimeError(RuntimeError::UnrecognizedFormat,
                           QStringLiteral("Nicht erkanntes Datenbankformat '%1'.").arg(m_path));
    while (q.next())
        m_queries.insert(q.value(0).toString().toLower(), {q.value(0).toString(), q.value(1).toString()});
}

bool Database::hasQueryDef(const QString& name) const {
    return m_queries.contains(name.toLower());
}

QueryDef Database::QueryDefs(const QString& name) {
    ensureOpen();
    const auto it = m_queries.constFind(name.toLower());
    if (it == m_queries.constEnd())
        throw RuntimeError(RuntimeError::ItemNotFound, "Element in dieser Auflistung nicht gefunden.");
    return QueryDef(shared_from_this(), it->first, it->second);
}

QSqlQuery& Database::prepare(const ParsedSql& parsed, const QVariantMap& values) {
    ensureOpen();
    // Few statements are in use at a time; a source of ever new texts only refills the cache.
    constexpr int MaxStatements = 64;
    auto it = m_statements.find(parsed.positionalSql);
    if (it == m_statements.end()) {
        if (m_statements.size() >= MaxStatements)
            m_statements.clear();
        QSqlQuery fresh(m_db);
        fresh.setForwardOnly(true);
        if (!fresh.prepare(parsed.positionalSql))
            throw engineError(fresh.lastError());
        it = m_statements.insert(parsed.positionalSql, fresh);
    }
    QSqlQuery& q = *it;
    for (int i = 0; i < parsed.occurrences.size(); ++i) {
        const QVariant v = values.value(parsed.occurrences[i].toLower());
        q.bindValue(i, v.isValid() ? storedValue(v) : QVariant());
    }
    return q;
}

Recordset Database::select(const ParsedSql& parsed, const QVariantMap& values) {
    QSqlQuery& q = prepare(parsed, values);
    // Reset when done, so no statement stays active between calls (it would hold a read
    // lock and keep a commit of this connection from completing).
    const auto reset = qScopeGuard([&q] { q.finish(); });
    if (!q.exec())
        throw engineError(q.lastError());
    QStringList names;
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (q.next()) {
        QVector<QVariant> row(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row[i] = q.value(i);
        rows.push_back(std::move(row));
    }
    return Recordset(std::move(names), std::move(rows));
}

long Database::execute(const ParsedSql& parsed, const QVariantMap& values) {
    QSqlQuery& q = prepare(parsed, values);
    const auto reset = qScopeGuard([&q] { q.finish(); });
    if (!q.exec())
        throw engineError(q.lastError());
    return q.numRowsAffected();
}

Recordset Database::OpenRecordset(const QString& sql, const QVariantMap& parameters) {
    QVariantMap lower;
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        lower.insert(it.key().toLower(), it.value());
    return select(ParsedSql::parse(sql), lower);
}

long Database::ExecuteSql(const QString& sql, const QVariantMap& parameters) {
    QVariantMap lower;
    for (auto it = parameters.begin(); it != parameters.end(); ++it)
        lower.insert(it.key().toLower(), it.value());
    return execute(ParsedSql::parse(sql), lower);
}

Database::ChangeStamp Database::changeStamp() {
    ensureOpen();
    QSqlQuery q(m_db);
    if (!q.exec("select total_changes(), data_version from pragma_data_version") || !q.next())
        throw engineError(q.lastError());
    return {q.value(0).toLongLong(), q.value(1).toLongLong()};
}

void Database::BeginWrite() {
    ensureOpen();
    if (m_workspace && m_workspace->inTransaction())
        return;
    if (m_ownWrite)
        throw RuntimeError(RuntimeError::EngineError, "Transaktion ist bereits geöffnet.");
    // SQLite's own wait backs off to 100 ms between tries, so a writer that takes results
    // back to back keeps the lock at every try and starves this one. Trying again every
    // millisecond finds the moment between two of its transactions.
    QSqlQuery q(m_db);
    q.exec("PRAGMA busy_timeout = 0");
    QElapsedTimer waited;
    waited.start();
    bool begun = false;
    while (!(begun = q.exec("BEGIN IMMEDIATE")) && isBusy(q.lastError()) && waited.elapsed() < BusyTimeoutMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const QSqlError error = q.lastError();
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(BusyTimeoutMs));
    if (!begun)
        throw engineError(error);
    m_ownWrite = true;
}

void Database::CommitWrite() {
    if (!m_ownWrite)
        return;
    QSqlQuery q(m_db);
    if (!q.exec("COMMIT")) {
        const QSqlError error = q.lastError();
        // A commit that could not finish (another connection still reading when the lock
        // times out) leaves the transaction open: undo it, so nothing half-stored stays.
        RollbackWrite();
        throw engineError(error);
    }
    m_ownWrite = false;
}

void Database::RollbackWrite() noexcept {
    if (!m_ownWrite)
        return;
    m_ownWrite = false;
    QSqlQuery q(m_db);
    q.exec("ROLLBACK");
}

void Database::BeginRead() {
    ensureOpen();
    if (m_readDepth > 0 || m_ownWrite || (m_workspace && m_workspace->inTransaction())) {
        ++m_readDepth;
        return;
    }
    QSqlQuery q(m_db);
    if (!q.exec("BEGIN"))
        throw engineError(q.lastError());
    m_ownRead = true;
    m_readDepth = 1;
}

void Database::EndRead() noexcept {
    if (m_readDepth == 0 || --m_readDepth > 0 || !m_ownRead)
        return;
    m_ownRead = false;
    // Ending a transaction that only read gives up the read lock; nothing can be lost.
    QSqlQuery q(m_db);
    if (!q.exec("COMMIT"))
        q.exec("ROLLBACK");
}

void Database::CheckWritableAndSound() {
    ensureOpen();
    QSqlQuery q(m_db);
    if (!q.exec("PRAGMA quick_check"))
        throw engineError(q.lastError());
    if (!q.next() || q.value(0).toString() != QLatin1String("ok"))
        throw RuntimeError(RuntimeError::UnrecognizedFormat,
                           QStringLiteral("Die Datenbankdatei '%1' ist beschädigt (Prüfung beim Start "
                                          "fehlgeschlagen).")
                               .arg(m_path));
    q.finish();
    // A real write of the header page, rolled back: a read-only file refuses the write lock,
    // a read-only folder refuses the journal the first change needs.
    const auto cannotWrite = [this](const QSqlError& error) {
        const RuntimeError cause = engineError(error);
        return RuntimeError(cause.number(),
                            QStringLiteral("Die Datenbank '%1' kann nicht geschrieben werden: %2")
                                .arg(m_path, cause.description()));
    };
    if (!q.exec("BEGIN IMMEDIATE"))
        throw cannotWrite(q.lastError());
    const auto rollback = qScopeGuard([this] { QSqlQuery(m_db).exec("ROLLBACK"); });
    if (!q.exec("PRAGMA user_version") || !q.next())
        throw cannotWrite(q.lastError());
    const qint64 version = q.value(0).toLongLong();
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)))
        throw cannotWrite(q.lastError());
}

void Database::Close() {
    if (!m_open && !QSqlDatabase::contains(m_connectionName))
        return;
    if (m_open) {
        RollbackWrite();
        if (m_ownRead)
            QSqlQuery(m_db).exec("ROLLBACK");
    }
    m_ownRead = false;
    m_readDepth = 0;
    m_open = false;
    if (m_workspace)
        m_workspace->forget(this);
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

// ----- QueryDef ----------------------------------------------------------------------------

QueryDef::QueryDef(std::shared_ptr<Database> db, QString name, QString sql)
    : m_db(std::move(db)), m_name(std::move(name)), m_sql(std::move(sql)), m_parsed(ParsedSql::parse(m_sql)) {
}

void QueryDef::setParameter(const QString& name, const QVariant& value) {
    if (!m_parsed.names.contains(name, Qt::CaseInsensitive))
        throw RuntimeError(RuntimeError::ItemNotFound, "Element in dieser Auflistung nicht gefunden.");
    m_values.insert(name.toLower(), value);
}

QVariant QueryDef::parameter(const QString& name) const {
    return m_values.value(name.toLower());
}

void QueryDef::Execute(int /*options*/) {
    m_recordsAffected = 0;
    m_recordsAffected = m_db->execute(m_parsed, m_values);
}

Recordset QueryDef::OpenRecordset() {
    return m_db->select(m_parsed, m_values);
}

void QueryDef::Close() {
    m_values.clear();
}

// ----- Workspace ---------------------------------------------------------------------------

Workspace::~Workspace() {
    for (Database* db : m_databases)
        db->m_workspace = nullptr;
}

std::shared_ptr<Database> Workspace::OpenDatabase(const QString& path, bool /*exclusive*/, bool readOnly,
                                                  const QString& connect) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw RuntimeError(RuntimeError::CannotOpenDatabase,
                           QStringLiteral("Datei '%1' nicht gefunden.").arg(path));
    std::shared_ptr<Database> db(new Database(this, path, connect, readOnly));
    if (!db->m_db.open())
        throw RuntimeError(RuntimeError::CannotOpenDatabase,
                           QStringLiteral("Datei '%1' kann nicht geöffnet werden: %2")
                               .arg(path, engineError(db->m_db.lastError()).description()));
    db->m_open = true;
    QSqlQuery pragma(db->m_db);
    // A result the database accepted must survive a crash or power cut, and a plain copy of
    // the file must hold it: rollback journal instead of WAL, and every commit synced
    // including the removal of its journal (EXTRA): with FULL alone a power cut right after
    // a commit can bring the journal back and roll the result back.
    pragma.exec("PRAGMA journal_mode=DELETE");
    pragma.exec("PRAGMA synchronous=EXTRA");
    try {
        db->loadStoredQueries();
    } catch (...) {
        db->Close();
        throw;
    }
    m_databases.push_back(db.get());
    if (m_inTransaction)
        db->m_db.transaction();
    return db;
}

void Workspace::forget(Database* db) {
    m_databases.erase(std::remove(m_databases.begin(), m_databases.end(), db), m_databases.end());
}

void Workspace::BeginTrans() {
    if (m_inTransaction)
        throw RuntimeError(RuntimeError::EngineError, "Transaktion ist bereits geöffnet.");
    for (Database* db : m_databases)
        if (!db->m_db.transaction())
            throw engineError(db->m_db.lastError());
    m_inTransaction = true;
}

void Workspace::CommitTrans() {
    if (!m_inTransaction)
        throw RuntimeError(3034,
                           "Sie haben versucht, eine Transaktion ohne vorheriges BeginTrans zu beenden.");
    // A commit that fails (another program still reading when the lock wait ends) leaves the
    // engine's transaction open, holding its lock: roll it back, so that nothing half-stored
    // stays, other programs are not locked out and the next transaction can begin.
    m_inTransaction = false;
    std::optional<RuntimeError> failure;
    for (Database* db : m_databases) {
        if (failure) {
            db->m_db.rollback();
        } else if (!db->m_db.commit()) {
            failure = engineError(db->m_db.lastError());
            db->m_db.rollback();
        }
    }
    if (failure)
        throw *failure;
}

void Workspace::Rollback() {
    if (!m_inTransaction)
        throw RuntimeError(3034,
                           "Sie haben versucht, eine Transaktion ohne vorheriges BeginTrans zu beenden.");
    m_inTransaction = false;
    for (Database* db : m_databases)
        db->m_db.rollback();
}

// ----- DbEngine ----------------------------------------------------------------------------

DbEngine::DbEngine() : m_workspace(std::make_unique<Workspace>()) {}

Workspace& DbEngine::Workspaces(int /*index*/) {
    return *m_workspace;
}
