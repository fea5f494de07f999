#include "core/db/Database.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <memory>

namespace db {
namespace {
const char* const kConnectionName = "kakeibo";
int g_transactionDepth = 0;
// Set when an inner guard ends without commit, so the outer one rolls back too.
bool g_innerFailed = false;
QString g_path;
bool g_readOnly = false;
OpenFailure g_failure = OpenFailure::None;
std::unique_ptr<QLockFile> g_lock;

bool hasSqliteHeader(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(16);
    return head == QByteArray("SQLite format 3\0", 16);
}
}  // namespace

bool canWrite(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    file.close();
    QTemporaryFile probe(QFileInfo(path).absolutePath() + QStringLiteral("/.kakeibo-write-XXXXXX"));
    return probe.open();
}

OpenFailure lastOpenFailure() { return g_failure; }

JournalResult rollBackJournal(const QString& path) {
    JournalResult r;
    const QFileInfo info(path);
    const QString abs = info.absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(abs);
    if (!QFileInfo::exists(abs + QStringLiteral("-journal")) || !info.isFile()) return r;
    auto say = [&](JournalOutcome o, const QString& text) {
        r.outcome = o;
        r.message = text;
        return r;
    };
    // Copies are written without a journal: one beside a copy belongs to someone writing it.
    if (QFileInfo(info.absolutePath()).fileName() == QLatin1String("backup"))
        return say(JournalOutcome::InBackup, QStringLiteral("バックアップが書き込みの途中です: %1").arg(shown));
    QLockFile lock(abs + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError)
            return say(JournalOutcome::InUse, QStringLiteral("%1 は他のプログラムで使用中です").arg(shown));
        return say(JournalOutcome::NotWritable,
                   QStringLiteral("%1 のフォルダーに書き込めないため、中断された書き込みを元に戻せません").arg(shown));
    }
    QFile::setPermissions(abs + QStringLiteral(".lock"), QFile::ReadOwner | QFile::WriteOwner);
    if (!canWrite(abs))
        return say(
            JournalOutcome::NotWritable,
            QStringLiteral("%1 またはそのフォルダーに書き込めないため、中断された書き込みを元に戻せません").arg(shown));
    sqlite3* h = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(abs).constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
    // The first read finds the journal hot and plays it back.
    if (rc == SQLITE_OK) rc = sqlite3_exec(h, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const QString why = QString::fromUtf8(h ? sqlite3_errmsg(h) : sqlite3_errstr(rc));
    sqlite3_close(h);
    if (rc != SQLITE_OK)
        return say(JournalOutcome::Failed,
                   QStringLiteral("中断された書き込みを元に戻せません: %1 (%2)").arg(shown, why));
    r.outcome = JournalOutcome::RolledBack;
    return r;
}
bool isReadOnly() { return isOpen() && g_readOnly; }

bool openDatabase(const QString& path, QString* error, bool onlyRead) {
    auto fail = [&](OpenFailure kind, const QString& why) {
        g_failure = kind;
        g_lock.reset();
        if (error) *error = why;
        return false;
    };
    closeDatabase();
    g_failure = OpenFailure::None;
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists())
        return fail(OpenFailure::Missing, QStringLiteral("データベースファイルがありません: %1").arg(shown));
    if (!info.isFile() || !info.isReadable())
        return fail(OpenFailure::Unreadable, QStringLiteral("データベースファイルを読めません: %1").arg(shown));
    if (!hasSqliteHeader(path))
        return fail(OpenFailure::NotABook, QStringLiteral("データベースファイルではありません: %1").arg(shown));

    bool readOnly = onlyRead || !canWrite(info.absoluteFilePath());
    // The lock: a living holder refuses the opening; a dead one's lock is taken over (age plays
    // no part, or a second program could take the lock of a living one after a while).
    g_lock = std::make_unique<QLockFile>(info.absoluteFilePath() + QStringLiteral(".lock"));
    g_lock->setStaleLockTime(0);
    if (!g_lock->tryLock(0)) {
        if (g_lock->error() == QLockFile::LockFailedError)
            return fail(OpenFailure::InUse, QStringLiteral("%1 は他のプログラムで使用中です").arg(shown));
        // No lock can be made here: the book is only read.
        g_lock.reset();
        readOnly = true;
    } else {
        QFile::setPermissions(info.absoluteFilePath() + QStringLiteral(".lock"), QFile::ReadOwner | QFile::WriteOwner);
    }

    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
    d.setDatabaseName(info.absoluteFilePath());
    if (readOnly) d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!d.open()) {
        const QString why = d.lastError().text();
        d = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        return fail(OpenFailure::Unreadable, QStringLiteral("データベースを開けません: %1 (%2)").arg(shown, why));
    }
    // A committed change must survive a crash or power loss: rollback journal, full sync.
    // What is deleted or overwritten (an old password) is zeroed, not left in free pages.
    QSqlQuery q(d);
    bool good = q.exec(QStringLiteral("PRAGMA synchronous=FULL")) &&
                q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) &&
                q.exec(QStringLiteral("PRAGMA secure_delete=ON")) &&
                q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!good) {
        const QString why = q.lastError().text();
        q = QSqlQuery();
        d.close();
        d = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        return fail(OpenFailure::NotABook,
                    QStringLiteral("データベースファイルではありません: %1 (%2)").arg(shown, why));
    }
    g_path = info.absoluteFilePath();
    g_readOnly = readOnly;
    g_transactionDepth = 0;
    return true;
}

void closeDatabase() {
    if (!QSqlDatabase::contains(kConnectionName)) {
        g_lock.reset();
        return;
    }
    {
        QSqlDatabase d = QSqlDatabase::database(kConnectionName, false);
        if (d.isOpen()) d.close();
    }
    QSqlDatabase::removeDatabase(kConnectionName);
    g_path.clear();
    g_readOnly = false;
    g_transactionDepth = 0;
    g_lock.reset();
}

bool isOpen() {
    return QSqlDatabase::contains(kConnectionName) && QSqlDatabase::database(kConnectionName, false).isOpen();
}

QString databasePath() { return g_path; }

sqlite3* sqliteHandle(const QSqlDatabase& c) {
    const QVariant v = c.driver() ? c.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

QSqlDatabase connection() { return QSqlDatabase::database(kConnectionName, false); }

bool execute(const QString& sql, const QVariantList& binds, QString* error) {
    if (!isOpen()) {
        if (error) *error = QStringLiteral("database is not open");
        return false;
    }
    QSqlQuery q(connection());
    if (!q.prepare(sql)) {
        if (error) *error = q.lastError().text();
        return false;
    }
    for (const QVariant& v : binds) q.addBindValue(v);
    if (!q.exec()) {
        if (error) *error = q.lastError().text();
        return false;
    }
    return true;
}

QVariant scalar(const QString& sql, const QVariantList& binds, bool* ok) {
    if (ok) *ok = false;
    if (!isOpen()) return {};
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return {};
    for (const QVariant& v : binds) q.addBindValue(v);
    if (!q.exec()) return {};
    if (ok) *ok = true;
    if (!q.next()) return {};
    return q.value(0);
}

Transaction::Transaction() {
    if (!isOpen()) return;
    if (g_transactionDepth > 0) {
        m_ok = true;
    } else {
        m_ok = connection().transaction();
        m_outer = m_ok;
        g_innerFailed = false;
    }
    if (m_ok) ++g_transactionDepth;
}

Transaction::~Transaction() {
    if (!m_ok || m_done) return;
    --g_transactionDepth;
    if (m_outer)
        connection().rollback();
    else
        g_innerFailed = true;
}

bool Transaction::commit() {
    if (!m_ok || m_done) return false;
    m_done = true;
    --g_transactionDepth;
    if (!m_outer) return true;
    if (!g_innerFailed && connection().commit()) return true;
    connection().rollback();
    return false;
}

}  // namespace db
