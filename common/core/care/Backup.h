#pragma once
// Copies of a book in a folder "backup" beside it, named "<stem>-yyyyMMdd-HHmmss.mdb"
// ("moneta-20261206-093000.mdb"; "-2", "-3" added when the name is taken), readable by the
// owner only. A copy is taken page by page through SQLite's online backup from the program's
// own connection, so that it is consistent even while the book is open; it is written under a
// temporary name and renamed into place, so that a copy either exists whole or not at all.
//
// A copy is made only when the book changed since the newest one: SQLite counts every change
// of the file in its header (bytes 24-27), and that count is kept beside the newest copy
// ("backup/<stem>.last"). The newest copies are kept, as many as the setting [backup] keep.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/AppState.h"

namespace db {

// How far a copy is: pages copied, of all pages.
using BackupProgress = std::function<void(int done, int total)>;

struct BackupOptions {
    int keep = 0;         // copies to keep; 0: the setting [backup] keep (settings::backupKeep)
    bool force = false;   // copy even when the book has not changed since the newest copy
    QDateTime now;        // the time in the copy's name; invalid: the present time
    bool cleanUp = true;  // first remove what killed writers left in the folder (removeLeftovers)
};

enum class BackupOutcome {
    Made,       // a new copy was written
    Unchanged,  // the book has not changed since the newest copy, which is `path`
    ReadOnly,   // the book is open read-only: it cannot change, and is not copied
    Failed,     // see error; nothing was left behind
};

struct BackupResult {
    BackupOutcome outcome = BackupOutcome::Failed;
    QString path;         // the new copy, or the newest one when unchanged
    QStringList removed;  // older copies deleted to keep the number
    QString error;        // Japanese, naming the folder or file
    bool ok() const { return outcome != BackupOutcome::Failed; }
};

// The folder the copies of a book go to: "backup" beside it.
QString backupFolder(const QString& bookPath);

class Book;

// Copies an open book into its backup folder, through its own connection. Never throws; a full
// disk or a folder that cannot be written gives Failed with the reason.
BackupResult backupBook(Book& book, const BackupOptions& options = {}, const BackupProgress& progress = {});

// Removes the temporary files a backup or a restore of this book left in its backup folder when
// it was killed before its final rename: files only, named as only those are named, nothing
// else. The caller holds the book's lock, so that no living writer's file is taken. Returns the
// files removed.
QStringList removeLeftovers(const QString& bookPath);

struct BackupInfo {
    QString path;
    QDateTime time;  // from the name (local time)
    qint64 size = 0;
};

// The copies of a book (files in its backup folder named after its stem), newest first; never a
// temporary file.
QList<BackupInfo> listBackups(const QString& bookPath);

struct RestoreResult {
    bool ok = false;
    bool refused = false;      // the backup failed its check (damaged, or not this program's book)
    QString keptCopy;          // the copy of the book as it was before the restore
    bool keptEarlier = false;  // that copy is an earlier one: the book had not changed since
    bool reopened = false;     // the program's connection was on the book and is open again on the restored one
    QString error;
};

// Replaces the book by a backup copy. The copy must pass PRAGMA integrity_check and hold the
// program's tables and columns (ledger::checkFile, CheckDepth::Structure); the book as it was
// is first kept as one more copy in the backup folder. The new file is written beside the book,
// flushed to the disk, and renamed over it: the book is either the old one or the restored one.
//
// When `open` is the program's Book open on that file, the caller holds its lock: the copy of
// the old book is taken through its connection, and it is opened again on the restored book
// afterwards. Otherwise the lock is taken here for the time of the restore, and the restore is
// refused while another program holds it.
RestoreResult restoreBook(const QString& backupPath, const QString& bookPath, app::Program program,
                          const BackupProgress& progress = {}, Book* open = nullptr);

}  // namespace db
