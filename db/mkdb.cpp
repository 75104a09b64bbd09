// Builds a database file from SQL: schema files are run statement by statement; query files
// hold stored queries, each introduced by a line "-- query: Name", and are stored as rows
// of the table StoredQueries after each one has been checked by preparing it.
//
// usage: chronivo_mkdb [--fresh] OUTPUT FILE.sql...
//
// Without --fresh, OUTPUT is a working file that may hold results: it is made from the SQL
// only where none exists. An existing one keeps every table and every row; at most its stored
// queries are replaced by those of the SQL, all in one transaction, and only where they
// differ. If they cannot be (no such table, a query that does not fit its tables, a lock that
// is not released), the file is left as it was and a warning says so.
// With --fresh, OUTPUT is made anew from the SQL and replaces the old file whole.

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "chronivo_mkdb: %s\n", qPrintable(message));
    return 1;
}

// The working file stays as it was; the build goes on with it.
int warn(const QString& path, const QString& message) {
    std::fprintf(stderr, "chronivo_mkdb: warning: %s: %s; the file was left as it was\n", qPrintable(path),
                 qPrintable(message));
    return 0;
}

QString readAll(const QString& path, bool& ok) {
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly | QIODevice::Text);
    return ok ? QString::fromUtf8(f.readAll()) : QString();
}

// The lines of text that are no comment, each ended by a newline.
QString withoutComments(const QString& text) {
    QString kept;
    for (const QString& line : text.split('\n'))
        if (!line.trimmed().startsWith("--"))
            kept += line + '\n';
    return kept;
}

// Named parameters become "?" so that the statement can be prepared for checking.
QString positional(QString sql) {
    return sql.replace(QRegularExpression(":[A-Za-z_][A-Za-z0-9_]*"), "?");
}

struct Sources {
    QStringList schema;             // statements, in file order
    QMap<QString, QString> queries; // name -> SQL
};

bool readSources(const QStringList& files, Sources& out, QString& error) {
    static const QRegularExpression header("^--\\s*query:\\s*(\\S+)\\s*$",
                                           QRegularExpression::MultilineOption);
    for (const QString& file : files) {
        bool ok = false;
        const QString text = readAll(file, ok);
        if (!ok) {
            error = "cannot read " + file;
            return false;
        }
        if (!header.match(text).hasMatch()) {
            // Schema: statements end with ";" at the end of a line.
            for (const QString& raw : text.split(QRegularExpression(";\\s*\\n"), Qt::SkipEmptyParts)) {
                const QString st = withoutComments(raw);
                if (!st.trimmed().isEmpty())
                    out.schema << st;
            }
            continue;
        }
        auto it = header.globalMatch(text);
        QList<QRegularExpressionMatch> matches;
        while (it.hasNext())
            matches << it.next();
        for (int m = 0; m < matches.size(); ++m) {
            const int from = matches[m].capturedEnd();
            const int to = m + 1 < matches.size() ? matches[m + 1].capturedStart() : text.size();
            QString sql = withoutComments(text.mid(from, to - from)).trimmed();
            if (sql.endsWith(';'))
                sql.chop(1);
            const QString name = matches[m].captured(1);
            if (out.queries.contains(name)) {
                error = file + ": " + name + " is defined twice";
                return false;
            }
            out.queries.insert(name, sql);
        }
    }
    return true;
}

// Checks each query against the tables of db and stores it; db is inside a transaction.
bool storeQueries(QSqlDatabase& db, const Sources& sources, QString& error) {
    for (auto it = sources.queries.cbegin(); it != sources.queries.cend(); ++it) {
        QSqlQuery check(db);
        if (!check.prepare(positional(it.value()))) {
            error = it.key() + ": " + check.lastError().text();
            return false;
        }
        QSqlQuery ins(db);
        ins.prepare("INSERT INTO StoredQueries (Name, Sql) VALUES (?, ?)");
        ins.addBindValue(it.key());
        ins.addBindValue(it.value());
        if (!ins.exec()) {
            error = it.key() + ": " + ins.lastError().text();
            return false;
        }
    }
    return true;
}

// Makes a new database file at path from the sources.
bool create(const QString& path, const Sources& sources, QString& error) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mkdb");
    db.setDatabaseName(path);
    if (!db.open()) {
        error = "cannot create " + path;
        return false;
    }
    QSqlQuery q(db);
    q.exec("PRAGMA journal_mode=DELETE");
    bool ok = db.transaction();
    if (!ok)
        error = db.lastError().text();
    for (const QString& st : sources.schema) {
        if (ok && !q.exec(st)) {
            error = q.lastError().text() + "\n" + st;
            ok = false;
        }
    }
    if (ok &&
        !q.exec("CREATE TABLE StoredQueries (Name TEXT PRIMARY KEY COLLATE NOCASE, Sql TEXT NOT NULL)")) {
        error = q.lastError().text();
        ok = false;
    }
    ok = ok && storeQueries(db, sources, error);
    if (ok && !db.commit()) {
        error = db.lastError().text();
        ok = false;
    }
    db.close();
    return ok;
}

// Writes a new file beside out and puts it in place: replacing an old one (fresh) or only
// where none exists.
int build(const QString& out, const Sources& sources, bool fresh) {
    const QString tmp = out + ".tmp";
    QFile::remove(tmp);
    QFile::remove(tmp + "-journal"); // a stale one would be played back into the new file
    QString error;
    const bool made = create(tmp, sources, error);
    QSqlDatabase::removeDatabase("mkdb");
    if (!made) {
        QFile::remove(tmp);
        return fail(error);
    }
    std::error_code ec;
    if (fresh)
        std::filesystem::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(out).constData(), ec);
    else if (!QFile::rename(tmp, out)) // refuses to replace a file made meanwhile
        ec = std::make_error_code(std::errc::file_exists);
    if (ec) {
        QFile::remove(tmp);
        return fail("cannot write " + out);
    }
    return 0;
}

// Brings the stored queries of an existing database up to date; tables and rows stay.
int refreshQueries(const QString& path, const Sources& sources) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mkdb");
    db.setConnectOptions("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000");
    // mode=rw: a file that goes away meanwhile is never created empty.
    db.setDatabaseName("file:" + QString::fromUtf8(QUrl::toPercentEncoding(path, "/\\:")) + "?mode=rw");
    if (!db.open())
        return warn(path, "cannot open it: " + db.lastError().text());
    QSqlQuery q(db);
    if (!q.exec("SELECT Name, Sql FROM StoredQueries"))
        return warn(path, "cannot read its stored queries: " + q.lastError().text());
    QMap<QString, QString> stored;
    while (q.next())
        stored.insert(q.value(0).toString(), q.value(1).toString());
    q.finish();
    if (stored == sources.queries)
        return 0;
    QString error;
    if (!db.transaction())
        return warn(path, db.lastError().text());
    if (!q.exec("DELETE FROM StoredQueries"))
        error = q.lastError().text();
    else if (storeQueries(db, sources, error) && !db.commit())
        error = db.lastError().text();
    if (!error.isEmpty()) {
        db.rollback();
        return warn(path, "cannot bring its stored queries up to date: " + error);
    }
    std::printf("chronivo_mkdb: %s: stored queries brought up to date, every row kept\n", qPrintable(path));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool fresh = !args.isEmpty() && args.first() == "--fresh";
    if (fresh)
        args.removeFirst();
    if (args.size() < 2)
        return fail("usage: chronivo_mkdb [--fresh] OUTPUT FILE.sql...");
    const QString out = args.takeFirst();
    Sources sources;
    QString error;
    if (!readSources(args, sources, error))
        return fail(error);
    if (fresh || !QFile::exists(out))
        return build(out, sources, fresh);
    const int status = refreshQueries(out, sources);
    QSqlDatabase::removeDatabase("mkdb");
    return status;
}
