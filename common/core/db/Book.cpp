#include "core/db/Book.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <atomic>

#include "core/db/Schema.h"

// The resource must be registered from the global namespace.
static void initBookResource() { Q_INIT_RESOURCE(books); }

namespace db {
namespace {

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
sqlite3* sqliteHandle(const QSqlDatabase& c) {
    const QVariant v = c.driver() ? c.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

Book::Book(QObject* parent) : QObject(parent) {
    // Connections are named per book: several books may be open in one process.
    static std::atomic<int> serial{0};
    m_name = QStringLiteral("kakeibo-book-%1").arg(++serial);
}

Book::~Book() { close(); }

QString Book::readOnlyMessage() const {
    switch (readOnlyReason()) {
        case ReadOnlyReason::Newer:
            return QStringLiteral(
                "このデータベースは新しいバージョンのプログラムで作られています。読み取り専用で開きます");
        case ReadOnlyReason::Trigger:
            return QStringLiteral("このデータベースにはトリガー（%1）があります。読み取り専用で開きます")
                .arg(m_triggers.join(QStringLiteral(", ")));
        default:
            return QStringLiteral("読み取り専用で開きます");
    }
}

QString Book::refusesWrites() const {
    switch (readOnlyReason()) {
        case ReadOnlyReason::Newer:
            return QStringLiteral("このデータベースは新しいバージョンのプログラムで作られているため書き込めません");
        case ReadOnlyReason::Trigger:
            return QStringLiteral("このデータベースにはトリガー（%1）があるため書き込めません")
                .arg(m_triggers.join(QStringLiteral(", ")));
        default:
            return {};
    }
}

bool Book::open(const QString& path, QString* error, bool onlyRead) {
    auto fail = [&](OpenFailure kind, const QString& why) {
        m_failure = kind;
        m_lock.reset();
        if (error) *error = why;
        return false;
    };
    close();
    m_failure = OpenFailure::None;
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
    m_lock = std::make_unique<QLockFile>(info.absoluteFilePath() + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return fail(OpenFailure::InUse, QStringLiteral("%1 は他のプログラムで使用中です").arg(shown));
        // No lock can be made here: the book is only read.
        m_lock.reset();
        readOnly = true;
    } else {
        QFile::setPermissions(info.absoluteFilePath() + QStringLiteral(".lock"), QFile::ReadOwner | QFile::WriteOwner);
    }

    // A committed change must survive a crash or power loss: rollback journal, full sync.
    // What is deleted or overwritten (an old password) is zeroed, not left in free pages.
    auto connect = [&](bool onlyReading, QString* why) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        d.setDatabaseName(info.absoluteFilePath());
        if (onlyReading) d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!d.open()) {
            *why = d.lastError().text();
            return OpenFailure::Unreadable;
        }
        QSqlQuery q(d);
        if (q.exec(QStringLiteral("PRAGMA synchronous=FULL")) && q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) &&
            q.exec(QStringLiteral("PRAGMA secure_delete=ON")) &&
            q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            return OpenFailure::None;
        *why = q.lastError().text();
        return OpenFailure::NotABook;
    };
    auto drop = [this] {
        {
            QSqlDatabase d = QSqlDatabase::database(m_name, false);
            if (d.isOpen()) d.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    };
    QString why;
    OpenFailure failure = connect(readOnly, &why);
    // A book this program must not write: one of a newer version (its newer tables would be left
    // behind by our writes), or one with a trigger (a write could do more than the program asked).
    ReadOnlyReason reason = readOnly ? ReadOnlyReason::NotWritable : ReadOnlyReason::None;
    QStringList triggers;
    if (failure == OpenFailure::None) {
        const QSqlDatabase d = QSqlDatabase::database(m_name, false);
        QSqlQuery q(d);
        q.setForwardOnly(true);
        if (q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' ORDER BY name")))
            while (q.next()) triggers << q.value(0).toString();
        const bool newer =
            q.exec(QStringLiteral("PRAGMA user_version")) && q.next() && q.value(0).toInt() > kSchemaVersion;
        const ReadOnlyReason own = newer                 ? ReadOnlyReason::Newer
                                   : !triggers.isEmpty() ? ReadOnlyReason::Trigger
                                                         : ReadOnlyReason::None;
        if (own != ReadOnlyReason::None) {
            reason = own;
            if (!readOnly) {
                q = QSqlQuery();
                drop();
                readOnly = true;
                failure = connect(true, &why);
            }
        }
    }
    if (failure != OpenFailure::None) {
        drop();
        return fail(failure, failure == OpenFailure::Unreadable
                                 ? QStringLiteral("データベースを開けません: %1 (%2)").arg(shown, why)
                                 : QStringLiteral("データベースファイルではありません: %1 (%2)").arg(shown, why));
    }
    if (onlyRead && reason == ReadOnlyReason::NotWritable) reason = ReadOnlyReason::Requested;
    m_reason = reason;
    m_triggers = triggers;
    m_path = info.absoluteFilePath();
    m_readOnly = readOnly;
    m_depth = 0;
    return true;
}

void Book::close() {
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase d = QSqlDatabase::database(m_name, false);
            if (d.isOpen()) d.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_path.clear();
    m_readOnly = false;
    m_reason = ReadOnlyReason::None;
    m_triggers.clear();
    m_depth = 0;
    m_lock.reset();
}

bool Book::isOpen() const { return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen(); }

QSqlDatabase Book::connection() const { return QSqlDatabase::database(m_name, false); }

sqlite3* Book::handle() const { return isOpen() ? sqliteHandle(connection()) : nullptr; }

bool Book::execute(const QString& sql, const QVariantList& binds, QString* error) {
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

QVariant Book::scalar(const QString& sql, const QVariantList& binds, bool* ok) {
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

QString notEmptyRefusal(Book& book, const QString& table, const QString& what, const QString& unit) {
    bool ok = false;
    const qint64 rows = book.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), {}, &ok).toLongLong();
    if (!ok) return QStringLiteral("データベースを読めません");
    if (rows > 0) return QStringLiteral("%1が空の帳簿にだけ読み込めます (%2 %3あります)").arg(what).arg(rows).arg(unit);
    return {};
}

Transaction::Transaction(Book& book) : m_book(book) {
    if (!book.isOpen()) return;
    if (book.m_depth > 0) {
        m_ok = true;
    } else {
        m_ok = book.connection().transaction();
        m_outer = m_ok;
        book.m_innerFailed = false;
    }
    if (m_ok) ++book.m_depth;
}

Transaction::~Transaction() {
    if (!m_ok || m_done) return;
    --m_book.m_depth;
    if (m_outer)
        m_book.connection().rollback();
    else
        m_book.m_innerFailed = true;
}

bool Transaction::commit() {
    if (!m_ok || m_done) return false;
    m_done = true;
    --m_book.m_depth;
    if (!m_outer) return true;
    if (!m_book.m_innerFailed && m_book.connection().commit()) return true;
    m_book.connection().rollback();
    return false;
}

QByteArray emptyBook(app::Program p) {
    static const bool registered = (initBookResource(), true);
    Q_UNUSED(registered);
    QFile f(QStringLiteral(":/books/") + app::productOf(p).databaseFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool makePrivatePath(const QString& dir) {
    const QString abs = QFileInfo(dir).absoluteFilePath();
    if (QFileInfo(abs).isDir()) return true;
    const QString parent = QFileInfo(abs).absolutePath();
    if (parent == abs || !makePrivatePath(parent)) return false;
    return QDir().mkdir(abs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(abs).isDir();
}

bool createBook(app::Program p, const QString& path, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (info.exists() || info.isSymLink()) return fail(QStringLiteral("すでにファイルがあります: %1").arg(shown));
    const QByteArray book = emptyBook(p);
    if (book.isEmpty()) return fail(QStringLiteral("空のデータベースが見つかりません"));
    if (!makePrivatePath(info.absolutePath()))
        return fail(
            QStringLiteral("フォルダーを作成できません: %1").arg(QDir::toNativeSeparators(info.absolutePath())));

    // Written whole beside its name, flushed to the disk, then renamed into place: the book
    // either exists complete or not at all. A temporary file is created with mode 0600.
    QTemporaryFile tmp(info.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!tmp.open()) return fail(QStringLiteral("データベースを作成できません: %1 (%2)").arg(shown, tmp.errorString()));
    const bool written = tmp.write(book) == book.size() && tmp.flush() && ::fsync(tmp.handle()) == 0;
    tmp.close();
    if (!written) return fail(QStringLiteral("データベースを作成できません: %1 (%2)").arg(shown, tmp.errorString()));
    // rename() of Qt never replaces an existing file: a book made meanwhile by someone else stays.
    if (!tmp.rename(info.absoluteFilePath()))
        return fail(QStringLiteral("データベースを作成できません: %1 (%2)").arg(shown, tmp.errorString()));
    tmp.setAutoRemove(false);
    QFile::setPermissions(info.absoluteFilePath(), QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

}  // namespace db
