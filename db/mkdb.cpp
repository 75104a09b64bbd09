// Builds a database file from SQL: schema files are run statement by statement; query files
// hold stored queries, each introduced by a line "-- query: Name", and are stored as rows
// of the table StoredQueries after each one has been checked by preparing it.
//
// usage: chronivo_mkdb OUTPUT.mdb FILE.sql...

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "chronivo_mkdb: %s\n", qPrintable(message));
    return 1;
}

QString readAll(const QString& path, bool& ok) {
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly | QIODevice::Text);
    return ok ? QString::fromUtf8(f.readAll()) : QString();
}

// Named parameters become "?" so that the statement can be prepared for checking.
QString positional(QString sql) {
    return sql.replace(QRegularExpression(":[A-Za-z_][A-Za-z0-9_]*"), "?");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return fail("usage: chronivo_mkdb OUTPUT FILE.sql...");
    const QString out = args[1];
    const QString tmp = out + ".tmp";
    QFile::remove(tmp);

    int status = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mkdb");
        db.setDatabaseName(tmp);
        if (!db.open())
            return fail("cannot create " + tmp);
        QSqlQuery q(db);
        q.exec("PRAGMA journal_mode=DELETE");
        if (!q.exec("CREATE TABLE StoredQueries (Name TEXT PRIMARY KEY COLLATE NOCASE, Sql TEXT NOT NULL)"))
            return fail(q.lastError().text());
        db.transaction();
        for (int i = 2; i < args.size() && status == 0; ++i) {
            bool ok = false;
            const QString text = readAll(args[i], ok);
            if (!ok) {
                status = fail("cannot read " + args[i]);
                break;
            }
            static const QRegularExpression header("^--\\s*query:\\s*(\\S+)\\s*$",
                                                   QRegularExpression::MultilineOption);
            if (!header.match(text).hasMatch()) {
                // Schema: statements end with ";" at the end of a line.
                const QStringList statements = text.split(QRegularExpression(";\\s*\\n"), Qt::SkipEmptyParts);
                for (const QString& raw : statements) {
                    QString st;
                    for (const QString& line : raw.split('\n'))
                        if (!line.trimmed().startsWith("--"))
                            st += line + '\n';
                    if (st.trimmed().isEmpty())
                        continue;
                    if (!q.exec(st)) {
                        status = fail(args[i] + ": " + q.lastError().text() + "\n" + st);
                        break;
                    }
                }
                continue;
            }
            auto it = header.globalMatch(text);
            QList<QRegularExpressionMatch> matches;
            while (it.hasNext())
                matches << it.next();
            for (int m = 0; m < matches.size() && status == 0; ++m) {
                const int from = matches[m].capturedEnd();
                const int to = m + 1 < matches.size() ? matches[m + 1].capturedStart() : text.size();
                QString sql;
                for (const QString& line : text.mid(from, to - from).split('\n'))
                    if (!line.trimmed().startsWith("--"))
                        sql += line + '\n';
                sql = sql.trimmed();
                if (sql.endsWith(';'))
                    sql.chop(1);
                const QString name = matches[m].captured(1);
                QSqlQuery check(db);
                if (!check.prepare(positional(sql))) {
                    status = fail(name + ": " + check.lastError().text());
                    break;
                }
                QSqlQuery ins(db);
                ins.prepare("INSERT INTO StoredQueries (Name, Sql) VALUES (?, ?)");
                ins.addBindValue(name);
                ins.addBindValue(sql);
                if (!ins.exec())
                    status = fail(name + ": " + ins.lastError().text());
            }
        }
        if (status == 0)
            db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("mkdb");
    if (status != 0) {
        QFile::remove(tmp);
        return status;
    }
    QFile::remove(out);
    if (!QFile::rename(tmp, out))
        return fail("cannot write " + out);
    return 0;
}
