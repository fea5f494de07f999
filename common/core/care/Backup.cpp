#include "core/care/Backup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

#include "core/care/Check.h"
#include "core/db/Book.h"
#include "core/db/Schema.h"
#include "core/settings/Settings.h"

namespace db {
namespace {

// Pages per step of the online backup: large enough that the steps cost nothing, small enough
// that a progress bar moves on a large book.
constexpr int kStepPages = 256;
constexpr QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner;

QString shown(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

QString stemOf(const QString& bookPath) { return QFileInfo(bookPath).completeBaseName(); }

// Flushes a file or a folder (after a rename, the folder's entry) to the disk.
bool syncPath(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Temporary files in the backup folder: "<stem>.copy-XXXXXX.kakeibo-tmp" (a copy being written)
// and "<stem>.restore-XXXXXX.kakeibo-tmp" (a restored book before it takes the book's place).
// Earlier versions wrote copies as "<stem>.tmp-XXXXXX". A writer killed before its rename leaves
// one behind; only these names are ever removed, and only by the holder of the book's lock.
const QString kTempSuffix = QStringLiteral(".kakeibo-tmp");

QString tempTemplate(const QString& bookPath, const char* what) {
    return QDir(backupFolder(bookPath))
        .filePath(stemOf(bookPath) + QLatin1Char('.') + QLatin1String(what) + QStringLiteral("-XXXXXX") + kTempSuffix);
}

QStringList removeLeftoversBut(const QString& bookPath, const QString& spare) {
    const QString stem = QRegularExpression::escape(stemOf(bookPath));
    const QRegularExpression ours(
        QStringLiteral("^%1\\.(?:(?:copy|restore)-[A-Za-z0-9]{6}\\.kakeibo-tmp|tmp-[A-Za-z0-9]{6})$").arg(stem));
    QStringList removed;
    const QDir dir(backupFolder(bookPath));
    // Files only: a folder or a link of that name is not ours to delete.
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (!ours.match(f.fileName()).hasMatch() || f.absoluteFilePath() == spare) continue;
        if (QFile::remove(f.absoluteFilePath())) removed << f.absoluteFilePath();
    }
    return removed;
}

struct Copy {
    QString path;
    QString stamp;  // yyyyMMdd-HHmmss
    int serial = 1;
    qint64 size = 0;
};

// The copies of a book, newest first: by the time in the name, then by the added number.
QList<Copy> copiesOf(const QString& bookPath) {
    const QRegularExpression pattern(
        QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d+))?\\.mdb$").arg(QRegularExpression::escape(stemOf(bookPath))));
    QList<Copy> copies;
    const QDir dir(backupFolder(bookPath));
    for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
        const auto m = pattern.match(f.fileName());
        if (!m.hasMatch()) continue;
        copies.append(
            {f.absoluteFilePath(), m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(), f.size()});
    }
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.serial > b.serial;
    });
    return copies;
}

// What tells whether a book changed: SQLite's change counter in the file header, and which
// file it is (a book replaced by another file starts a new count).
struct Mark {
    bool ok = false;
    quint32 counter = 0;
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Mark& o) const {
        return ok && o.ok && counter == o.counter && device == o.device && inode == o.inode;
    }
};

Mark markOf(const QString& bookPath) {
    Mark m;
    QFile f(bookPath);
    if (!f.open(QIODevice::ReadOnly)) return m;
    const QByteArray head = f.read(28);
    struct stat st {};
    if (head.size() < 28 || !head.startsWith(QByteArray("SQLite format 3\0", 16)) || ::fstat(f.handle(), &st) != 0)
        return m;
    const auto* b = reinterpret_cast<const unsigned char*>(head.constData()) + 24;
    m.counter = (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
    m.device = st.st_dev;
    m.inode = st.st_ino;
    m.ok = true;
    return m;
}

// "<counter> <device> <inode> <file name of the newest copy>"
QString sidecarOf(const QString& bookPath) {
    return QDir(backupFolder(bookPath)).filePath(stemOf(bookPath) + QStringLiteral(".last"));
}

bool sidecarSays(const QString& bookPath, const Mark& mark, const QString& newest) {
    QFile f(sidecarOf(bookPath));
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QStringList parts = QString::fromUtf8(f.readLine(4096)).trimmed().split(QLatin1Char(' '));
    if (parts.size() != 4) return false;
    Mark saved;
    saved.ok = true;
    saved.counter = parts[0].toUInt();
    saved.device = parts[1].toULongLong();
    saved.inode = parts[2].toULongLong();
    return saved == mark && parts[3] == newest;
}

void writeSidecar(const QString& bookPath, const Mark& mark, const QString& newest) {
    const QString path = sidecarOf(bookPath);
    if (!mark.ok) {
        QFile::remove(path);
        return;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return;
    f.write(QStringLiteral("%1 %2 %3 %4\n").arg(mark.counter).arg(mark.device).arg(mark.inode).arg(newest).toUtf8());
    // Without it the next opening only copies once more.
    if (f.commit()) QFile::setPermissions(path, kPrivate);
}

// Copies every page of the source connection's main database into `target` (an empty file).
bool copyPages(sqlite3* source, const QString& target, const BackupProgress& progress, QString* why) {
    sqlite3* dest = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &dest, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        *why = QString::fromUtf8(dest ? sqlite3_errmsg(dest) : sqlite3_errstr(rc));
        sqlite3_close(dest);
        return false;
    }
    // The copy is flushed once, whole, before it gets its name; until then it is no one's book.
    sqlite3_exec(dest, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", source, "main");
    if (!b) {
        *why = QString::fromUtf8(sqlite3_errmsg(dest));
        sqlite3_close(dest);
        return false;
    }
    int waits = 0;
    do {
        rc = sqlite3_backup_step(b, kStepPages);
        if (progress) {
            const int total = sqlite3_backup_pagecount(b);
            progress(total - sqlite3_backup_remaining(b), total);
        }
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // Another connection of this process writes the book: wait a little, for 5 s at most.
            if (++waits > 250) break;
            sqlite3_sleep(20);
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    const int finished = sqlite3_backup_finish(b);
    const bool ok = rc == SQLITE_DONE && finished == SQLITE_OK;
    if (!ok) *why = QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finished));
    if (sqlite3_close(dest) != SQLITE_OK && ok) {
        *why = QString::fromUtf8(sqlite3_errmsg(dest));
        return false;
    }
    return ok;
}

// Copies a file's bytes into an open file and flushes them to the disk.
bool copyBytes(const QString& from, QFile& to, QString* why) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = in.errorString();
        return false;
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (to.write(chunk) != chunk.size()) {
            *why = to.errorString();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        *why = in.errorString();
        return false;
    }
    if (!to.flush() || ::fsync(to.handle()) != 0) {
        *why = to.errorString().isEmpty() ? QString::fromLocal8Bit(std::strerror(errno)) : to.errorString();
        return false;
    }
    return true;
}

// Writes a new copy of a book into its backup folder with `write` (which fills an empty file),
// names it, remembers the book's mark and deletes the copies beyond the number kept.
BackupResult storeCopy(const QString& bookPath, const BackupOptions& options,
                       const std::function<bool(const QString& target, QString* why)>& write) {
    BackupResult r;
    const QString folder = backupFolder(bookPath);
    const QString stem = stemOf(bookPath);
    if (!makePrivatePath(folder)) {
        r.error = QStringLiteral("バックアップのフォルダーを作成できません: %1").arg(shown(folder));
        return r;
    }
    // The caller holds the book's lock: no other writer of this book's temporary files lives.
    if (options.cleanUp) removeLeftovers(bookPath);
    const Mark mark = markOf(bookPath);
    const QList<Copy> before = copiesOf(bookPath);
    if (!options.force && !before.isEmpty() && sidecarSays(bookPath, mark, QFileInfo(before.first().path).fileName())) {
        r.outcome = BackupOutcome::Unchanged;
        r.path = before.first().path;
        return r;
    }

    // Created with mode 0600; removed again unless it gets its name.
    QTemporaryFile tmp(tempTemplate(bookPath, "copy"));
    if (!tmp.open()) {
        r.error = QStringLiteral("バックアップを作成できません: %1 (%2)").arg(shown(folder), tmp.errorString());
        return r;
    }
    tmp.close();
    QString why;
    if (!write(tmp.fileName(), &why) || !syncPath(tmp.fileName())) {
        if (why.isEmpty()) why = QString::fromLocal8Bit(std::strerror(errno));
        r.error = QStringLiteral("バックアップを作成できません: %1 (%2)").arg(shown(folder), why);
        return r;
    }
    const QDateTime now = options.now.isValid() ? options.now : QDateTime::currentDateTime();
    const QString base = stem + QLatin1Char('-') + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name;
    for (int n = 1; n < 1000 && name.isEmpty(); ++n) {
        const QString candidate = n == 1 ? base + QStringLiteral(".mdb") : base + QStringLiteral("-%1.mdb").arg(n);
        const QString path = QDir(folder).filePath(candidate);
        if (QFileInfo::exists(path)) continue;
        // Never replaces a file: a copy made meanwhile under the same name stays.
        if (tmp.rename(path))
            name = candidate;
        else if (!QFileInfo::exists(path))
            break;
    }
    if (name.isEmpty()) {
        r.error = QStringLiteral("バックアップを作成できません: %1 (%2)").arg(shown(folder), tmp.errorString());
        return r;
    }
    tmp.setAutoRemove(false);
    r.path = QDir(folder).filePath(name);
    QFile::setPermissions(r.path, kPrivate);
    syncPath(folder);
    writeSidecar(bookPath, mark, name);
    r.outcome = BackupOutcome::Made;

    // The newest copies stay; the one just made always does, even when the clock went back.
    const int keep = std::max(1, options.keep > 0 ? options.keep : settings::backupKeep());
    int kept = 1;
    for (const Copy& c : copiesOf(bookPath)) {
        if (c.path == r.path) continue;
        if (kept < keep) {
            ++kept;
            continue;
        }
        if (QFile::remove(c.path)) r.removed << c.path;
    }
    return r;
}

BackupResult copyThrough(sqlite3* source, const QString& bookPath, const BackupOptions& options,
                         const BackupProgress& progress) {
    return storeCopy(bookPath, options,
                     [&](const QString& target, QString* why) { return copyPages(source, target, progress, why); });
}

// The copy of a book that no connection of this process has open (the caller holds its lock):
// through a connection of its own, which first rolls back what a crashed program left half
// written; a file SQLite cannot read at all is copied byte for byte.
BackupResult keepClosedBook(const QString& bookPath, const BackupOptions& options, const BackupProgress& progress) {
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("kakeibo-keep-%1").arg(++serial);
    BackupResult r;
    bool copied = false;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(bookPath);
        if (c.open()) {
            QSqlQuery probe(c);
            sqlite3* h = sqliteHandle(c);
            if (h && probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
                probe = QSqlQuery();
                r = copyThrough(h, bookPath, options, progress);
                copied = true;
            }
        }
        c.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (copied) return r;
    BackupOptions always = options;
    always.force = true;
    return storeCopy(bookPath, always, [&](const QString& target, QString* why) {
        QFile out(target);
        return out.open(QIODevice::WriteOnly) && copyBytes(bookPath, out, why);
    });
}

}  // namespace

QStringList removeLeftovers(const QString& bookPath) { return removeLeftoversBut(bookPath, QString()); }

QString backupFolder(const QString& bookPath) {
    return QDir(QFileInfo(bookPath).absolutePath()).filePath(QStringLiteral("backup"));
}

BackupResult backupBook(Book& book, const BackupOptions& options, const BackupProgress& progress) {
    BackupResult r;
    if (!book.isOpen()) {
        r.error = QStringLiteral("データベースが開かれていません");
        return r;
    }
    if (book.isReadOnly()) {
        r.outcome = BackupOutcome::ReadOnly;
        return r;
    }
    sqlite3* h = book.handle();
    if (!h) {
        r.error =
            QStringLiteral("バックアップを作成できません: %1 (SQLite の接続がありません)").arg(shown(book.path()));
        return r;
    }
    return copyThrough(h, book.path(), options, progress);
}

QList<BackupInfo> listBackups(const QString& bookPath) {
    QList<BackupInfo> list;
    for (const Copy& c : copiesOf(bookPath))
        list.append({c.path, QDateTime::fromString(c.stamp, QStringLiteral("yyyyMMdd-HHmmss")), c.size});
    return list;
}

RestoreResult restoreBook(const QString& backupPath, const QString& bookPath, app::Program program,
                          const BackupProgress& progress, Book* open) {
    RestoreResult r;
    auto fail = [&](const QString& why) {
        r.error = why;
        return r;
    };
    const QFileInfo book(bookPath);
    const QString abs = book.absoluteFilePath();
    if (QFileInfo(backupPath).absoluteFilePath() == abs ||
        (book.exists() && QFileInfo(backupPath).canonicalFilePath() == book.canonicalFilePath()))
        return fail(QStringLiteral("バックアップとデータベースが同じファイルです: %1").arg(shown(abs)));
    const bool ours = open && open->isOpen() && QFileInfo(open->path()).absoluteFilePath() == abs;
    if (ours && open->isReadOnly()) return fail(QStringLiteral("読み取り専用のため復元できません: %1").arg(shown(abs)));

    // Not open here: the lock is taken for the time of the restore, as a program takes it.
    std::unique_ptr<QLockFile> lock;
    if (!ours) {
        if (!makePrivatePath(book.absolutePath()))
            return fail(QStringLiteral("フォルダーを作成できません: %1").arg(shown(book.absolutePath())));
        lock = std::make_unique<QLockFile>(abs + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                return fail(QStringLiteral("%1 は他のプログラムで使用中です").arg(shown(abs)));
            return fail(QStringLiteral("ロックファイルを作成できません: %1.lock").arg(shown(abs)));
        }
        QFile::setPermissions(abs + QStringLiteral(".lock"), kPrivate);
    }

    // A copy with a rollback journal beside it is being written by someone: it is neither read
    // nor rolled back here (that would change the backup).
    if (QFileInfo::exists(backupPath + QStringLiteral("-journal"))) {
        r.refused = true;
        return fail(QStringLiteral("バックアップが書き込みの途中です: %1").arg(shown(backupPath)));
    }
    // A newer book is one this program must not write, be it the one replaced or the one
    // restored: the restore would leave the user with a book the program only reads.
    if (book.exists() && !ours) {
        bool newer = false;
        ledger::withReadOnlyConnection(
            abs, [&](const QSqlDatabase& c) { newer = db::inspectSchema(c, db::bookSchema(program)).newer(); },
            nullptr);
        if (newer)
            return fail(
                QStringLiteral("%1 は新しいバージョンのプログラムで作られているため置き換えません").arg(shown(abs)));
    }
    const ledger::CheckResult check = ledger::checkFile(program, backupPath, ledger::CheckDepth::Structure);
    if (check.ran && check.newer)
        return fail(
            QStringLiteral("%1 は新しいバージョンのプログラムで作られているため復元できません").arg(shown(backupPath)));
    if (!check.clean()) {
        r.refused = true;
        const QString why = check.ran ? check.findings.first().describe() : check.error;
        return fail(QStringLiteral("%1 は %2 のデータベースとして使えません: %3")
                        .arg(shown(backupPath), app::productOf(program).databaseFile, why));
    }

    // The new book, written whole in the backup folder before anything else happens: the copy
    // of the old book below may delete old backups, the one being restored among them. A
    // restore killed before its rename leaves it there, for the next holder of the lock to
    // remove.
    if (!makePrivatePath(backupFolder(abs)))
        return fail(QStringLiteral("バックアップのフォルダーを作成できません: %1").arg(shown(backupFolder(abs))));
    // A leftover named as the one to restore from is not taken away from under it.
    removeLeftoversBut(abs, QFileInfo(backupPath).absoluteFilePath());
    QTemporaryFile tmp(tempTemplate(abs, "restore"));
    if (!tmp.open())
        return fail(QStringLiteral("復元できません: %1 (%2)").arg(shown(book.absolutePath()), tmp.errorString()));
    QString why;
    if (!copyBytes(backupPath, tmp, &why)) return fail(QStringLiteral("復元できません: %1 (%2)").arg(shown(abs), why));
    tmp.close();

    if (book.exists()) {
        // The restored book waits in the backup folder under a temporary name: not to be cleaned.
        BackupOptions keepTemp;
        keepTemp.cleanUp = false;
        const BackupResult kept =
            ours ? backupBook(*open, keepTemp, progress) : keepClosedBook(abs, keepTemp, progress);
        if (!kept.ok()) return fail(QStringLiteral("復元の前に今のデータベースを保存できません: %1").arg(kept.error));
        r.keptCopy = kept.path;
        r.keptEarlier = kept.outcome == BackupOutcome::Unchanged;
    }

    // A replaced book keeps the mode it had; a new one is the owner's alone.
    QFile::setPermissions(tmp.fileName(), book.exists() ? QFile::permissions(abs) : kPrivate);
    if (::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(abs).constData()) != 0)
        return fail(QStringLiteral("データベースを置き換えられません: %1 (%2)")
                        .arg(shown(abs), QString::fromLocal8Bit(std::strerror(errno))));
    tmp.setAutoRemove(false);
    syncPath(book.absolutePath());
    // The restored file starts a count of its own.
    QFile::remove(sidecarOf(abs));

    if (ours) {
        // Nothing was written through the connection since the copy above, so the old file
        // it still reads has nothing to give back; it is opened again on the new one.
        open->close();
        QString error;
        r.reopened = open->open(abs, &error);
        if (!r.reopened) r.error = error;
    }
    r.ok = true;
    return r;
}

}  // namespace db
