#pragma once
// The one program-wide database connection and the statements run on it.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;

namespace db {

// Why a database file could not be opened. The message names the file.
struct OpenError {
    QString message;
};

// Opens the program's database file. The file must exist and be an SQLite database holding
// the program's tables; nothing is created when it is missing. Returns false with a message.
//
// One program at a time works on a book: while it is open, a lock file beside it ("<file>.lock")
// is held, and a second opening is refused while the holder lives ("…は他のプログラムで使用中です").
// A lock left by a program that was killed is taken over. A book whose file or folder cannot be
// written (nor a lock be made there) is opened read-only.
bool openDatabase(const QString& path, QString* error, bool readOnly = false);
// Closes the connection and gives the lock back. Harmless when nothing is open.
void closeDatabase();
bool isOpen();
// Why the last openDatabase failed.
enum class OpenFailure { None, Missing, Unreadable, NotABook, InUse };
OpenFailure lastOpenFailure();
// True while the open book cannot be written: every change is refused.
bool isReadOnly();
// Whether a file, and the folder it lies in, can be written now: judged by trying (the
// rollback journal needs the folder too).
bool canWrite(const QString& path);
QString databasePath();

// A writer killed in the middle of a transaction leaves a rollback journal beside the book
// ("<file>-journal"); SQLite rolls it back when the book is next opened for writing, but a
// read-only connection cannot ("attempt to write a readonly database"), and the book would look
// broken to a command that only reads. This does what the next writer would: under the book's
// lock it opens the book for writing once, so that SQLite puts back the pages the journal
// holds, and closes it again.
enum class JournalOutcome {
    None,         // no journal lies beside the book
    RolledBack,   // it was there and the book is as before the killed transaction
    InUse,        // a program holds the book's lock: the journal may be its own, left alone
    NotWritable,  // the book or its folder cannot be written: nothing can be put back
    InBackup,     // the file lies in a backup folder: a copy is never changed
    Failed,       // SQLite could not open the book
};
struct JournalResult {
    JournalOutcome outcome = JournalOutcome::None;
    QString message;  // Japanese, naming the file; empty for None and RolledBack
};
JournalResult rollBackJournal(const QString& path);

QSqlDatabase connection();
// The SQLite handle under a Qt connection (for the C API: backups, interrupting a long check);
// null when the connection is not SQLite's or not open.
sqlite3* sqliteHandle(const QSqlDatabase& c);

// Runs one statement that changes data, values bound to the '?' placeholders in order.
// Returns false and sets *error on any failure (syntax, constraint, missing table).
bool execute(const QString& sql, const QVariantList& binds = {}, QString* error = nullptr);

// Runs a statement that yields one value (first column of the first row); Null when no row.
// *ok is false on an error.
QVariant scalar(const QString& sql, const QVariantList& binds = {}, bool* ok = nullptr);

// Groups several changes so that they land whole or not at all. Rolls back in its
// destructor unless commit() succeeded. Nested guards join the outer transaction.
class Transaction {
  public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool ok() const { return m_ok; }
    bool commit();

  private:
    bool m_ok = false;
    bool m_outer = false;
    bool m_done = false;
};

}  // namespace db
