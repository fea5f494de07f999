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
// written (nor a lock be made there) is opened read-only, and so is a book of a newer version
// or one with a trigger (see readOnlyReason).
bool openDatabase(const QString& path, QString* error, bool readOnly = false);
// Closes the connection and gives the lock back. Harmless when nothing is open.
void closeDatabase();
bool isOpen();
// Why the last openDatabase failed.
enum class OpenFailure { None, Missing, Unreadable, NotABook, InUse };
OpenFailure lastOpenFailure();
// True while the open book cannot be written: every change is refused.
bool isReadOnly();
// Why the open book is only read: asked for, a file or folder that cannot be written, a book
// of a newer version of the programs, or a book with a trigger.
enum class ReadOnlyReason { None, Requested, NotWritable, Newer, Trigger };
ReadOnlyReason readOnlyReason();
// What the user is told of it ("読み取り専用で開きます", with the reason when it is the book's).
QString readOnlyMessage();
// Why the book itself refuses every write (a newer version, a trigger); empty when it does not.
QString bookRefusesWrites();
// Whether a file, and the folder it lies in, can be written now: judged by trying (the
// rollback journal needs the folder too).
bool canWrite(const QString& path);
QString databasePath();
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
