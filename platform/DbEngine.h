#pragma once

#include "platform/Recordset.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <vector>

class Workspace;

// Option of Execute: a failing action query raises instead of skipping rows.
constexpr int dbFailOnError = 128;

// SQL with named parameters (":iName") turned into positional ones, so that one name may
// occur several times and values can be set in any order.
struct ParsedSql final {
    QString positionalSql;
    QStringList occurrences; // parameter name of each "?" in order
    QStringList names;       // distinct names in order of first use

    static ParsedSql parse(const QString& sql);
};

// An open database file. All of its queries run on one SQLite connection, durable on
// every commit (synchronous EXTRA, rollback journal, so a plain copy of the file holds every
// committed row).
class Database final : public std::enable_shared_from_this<Database> {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& Name() const { return m_path; }
    const QString& Connect() const { return m_connect; }
    bool isOpen() const { return m_open; }

    // The stored query of that name (case-insensitive); RuntimeError 3265 when there is none.
    class QueryDef QueryDefs(const QString& name);
    bool hasQueryDef(const QString& name) const;

    // Runs SQL text directly; only the record sources of the grids use this.
    Recordset OpenRecordset(const QString& sql, const QVariantMap& parameters = {});
    // Runs an action statement given as text; returns rows affected. For grid write-back.
    long ExecuteSql(const QString& sql, const QVariantMap& parameters = {});

    // Where the file's contents stand: it moves on with every row this connection changes
    // and with every commit of another connection (a second program instance). Equal
    // stamps mean nothing was written in between, so a count taken then still holds.
    struct ChangeStamp {
        qint64 ownChanges = -1;
        qint64 dataVersion = -1;
        bool operator==(const ChangeStamp&) const = default;
    };
    ChangeStamp changeStamp();

    // Starts a write transaction that holds the file's write lock from its first statement
    // on (BEGIN IMMEDIATE), so that a read and the write that depends on it cannot
    // interleave with another writer. While another connection holds the lock the call waits
    // at most BusyTimeoutMs and then raises RuntimeError. Inside a workspace transaction
    // nothing is started: the statements join it.
    void BeginWrite();
    void CommitWrite();
    // Never raises: it runs on the way out of a failure.
    void RollbackWrite() noexcept;

    // Starts a read transaction: every read until the matching EndRead sees the file as of one
    // moment, so that a count and the rows it counts agree while another program writes.
    // Inside a write or a workspace transaction the reads share that one and nothing is
    // started. Calls nest. Raises RuntimeError when the transaction cannot begin.
    void BeginRead();
    // Never raises.
    void EndRead() noexcept;

    // How long any statement waits for a lock another connection holds before it fails.
    static constexpr int BusyTimeoutMs = 1000;

    // Start-up's check of the local database: it passes the engine's quick check and can be
    // written (file and folder). RuntimeError with a German description otherwise; nothing
    // in the file changes.
    void CheckWritableAndSound();

    void Close();

    // Used by the workspace for its transactions.
    QSqlDatabase& connection() { return m_db; }

private:
    friend class Workspace;
    friend class QueryDef;
    Database(Workspace* workspace, QString path, QString connect, bool readOnly);
    void ensureOpen() const;
    void loadStoredQueries();
    QSqlQuery& prepare(const ParsedSql& parsed, const QVariantMap& values);
    Recordset select(const ParsedSql& parsed, const QVariantMap& values);
    long execute(const ParsedSql& parsed, const QVariantMap& values);

    Workspace* m_workspace;
    QString m_path;
    QString m_connect;
    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_ownWrite = false;                               // a BeginWrite of our own is open
    int m_readDepth = 0;                                   // BeginRead calls not yet ended
    bool m_ownRead = false;                                // the outermost BeginRead began a transaction
    QHash<QString, std::pair<QString, QString>> m_queries; // lower-case name -> (name, SQL)
    // Statements prepared once and run again with new values: taking a result runs the same
    // few statements every time, and preparing them anew would cost more than running them.
    QHash<QString, QSqlQuery> m_statements;
};

// The reads made while it lives see the database as of one moment (Database::BeginRead).
class ReadSnapshot final {
public:
    explicit ReadSnapshot(Database& db) : m_db(db) { m_db.BeginRead(); }
    ~ReadSnapshot() { m_db.EndRead(); }
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Database& m_db;
};

// A stored query, with its parameters set by name.
class QueryDef final {
public:
    const QString& Name() const { return m_name; }
    QString SQL() const { return m_sql; }
    QStringList ParameterNames() const { return m_parsed.names; }

    // RuntimeError 3265 for a name the query does not have. QTime values are stored as
    // "hh:mm:ss" text, the form every time field of these databases holds.
    void setParameter(const QString& name, const QVariant& value);
    QVariant parameter(const QString& name) const;

    // Action query. Any failure raises RuntimeError and leaves the database unchanged; a
    // failure is never skipped silently, with or without dbFailOnError.
    void Execute(int options = dbFailOnError);
    long RecordsAffected() const { return m_recordsAffected; }

    Recordset OpenRecordset();
    void Close();

private:
    friend class Database;
    QueryDef(std::shared_ptr<Database> db, QString name, QString sql);

    std::shared_ptr<Database> m_db;
    QString m_name;
    QString m_sql;
    ParsedSql m_parsed;
    QVariantMap m_values; // keyed by lower-case name
    long m_recordsAffected = 0;
};

// The engine's workspace: opens databases and owns the transactions over all of them.
class Workspace final {
public:
    Workspace() = default;
    ~Workspace();

    // RuntimeError 3024 when the file does not exist (a database is never created here),
    // 3343 when it is no database.
    std::shared_ptr<Database> OpenDatabase(const QString& path, bool exclusive, bool readOnly,
                                           const QString& connect);

    void BeginTrans();
    void CommitTrans();
    void Rollback();
    bool inTransaction() const { return m_inTransaction; }

private:
    friend class Database;
    void forget(Database* db);

    std::vector<Database*> m_databases;
    bool m_inTransaction = false;
};

// The database engine with its first workspace, `Workspaces(0)`.
class DbEngine final {
public:
    DbEngine();
    Workspace& Workspaces(int index);

private:
    std::unique_ptr<Workspace> m_workspace;
};
