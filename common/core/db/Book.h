#pragma once
// A book: one SQLite file holding a program's journal and masters, and the one object that works
// on it while it is open. The Book owns the connection, the lock beside the file, the read-only
// state and the version the book was found at; everything that reads or writes the book is given
// the Book, so that two books can be open at once and nothing reaches for a global connection.
//
// A new book is a copy of the empty book delivered with the program (embedded in it), written
// beside its final name and renamed into place, readable by its owner only.

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "core/AppState.h"

class QLockFile;
struct sqlite3;

namespace db {

// Why a book could not be opened.
enum class OpenFailure { None, Missing, Unreadable, NotABook, InUse };

// Why an open book is only read: asked for, a file or folder that cannot be written, a book of a
// newer version of the programs, or a book with a trigger.
enum class ReadOnlyReason { None, Requested, NotWritable, Newer, Trigger };

class Book : public QObject {
    Q_OBJECT
  public:
    explicit Book(QObject* parent = nullptr);
    ~Book() override;
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    // Opens a book file. The file must exist and be an SQLite database; nothing is created when
    // it is missing. False with a message naming the file.
    //
    // One program at a time works on a book: while it is open, a lock file beside it
    // ("<file>.lock") is held, and a second opening is refused while the holder lives
    // ("…は他のプログラムで使用中です"). A lock left by a program that was killed is taken over. A
    // book whose file or folder cannot be written (nor a lock be made there) is opened read-only,
    // and so is a book of a newer version or one with a trigger (see readOnlyReason).
    bool open(const QString& path, QString* error, bool readOnly = false);
    // Closes the connection and gives the lock back. Harmless when nothing is open.
    void close();
    bool isOpen() const;
    OpenFailure lastOpenFailure() const { return m_failure; }
    // True while the book cannot be written: every change is refused.
    bool isReadOnly() const { return isOpen() && m_readOnly; }
    ReadOnlyReason readOnlyReason() const { return isOpen() ? m_reason : ReadOnlyReason::None; }
    // What the user is told of it ("読み取り専用で開きます", with the reason when it is the book's).
    QString readOnlyMessage() const;
    // Why the book itself refuses every write (a newer version, a trigger); empty when it does not.
    QString refusesWrites() const;
    // The absolute path of the open book; empty when none is open.
    QString path() const { return m_path; }
    QSqlDatabase connection() const;
    // The SQLite handle under the connection (for the C API: backups); null when not open.
    sqlite3* handle() const;

    // Runs one statement that changes data, values bound to the '?' placeholders in order.
    // Returns false and sets *error on any failure (syntax, constraint, missing table).
    bool execute(const QString& sql, const QVariantList& binds = {}, QString* error = nullptr);
    // Runs a statement that yields one value (first column of the first row); Null when no row.
    // *ok is false on an error.
    QVariant scalar(const QString& sql, const QVariantList& binds = {}, bool* ok = nullptr);

    // Tells whoever listens that the rows of a table changed behind them (an undo, an import).
    void announce(const QString& table) { emit changed(table); }

  signals:
    void changed(const QString& table);

  private:
    friend class Transaction;
    QString m_name;  // the connection's name, the Book's own
    QString m_path;
    bool m_readOnly = false;
    ReadOnlyReason m_reason = ReadOnlyReason::None;
    QStringList m_triggers;
    OpenFailure m_failure = OpenFailure::None;
    std::unique_ptr<QLockFile> m_lock;
    int m_depth = 0;             // nested transaction guards
    bool m_innerFailed = false;  // an inner guard ended without commit: the outer one rolls back
};

// Groups several changes to a book so that they land whole or not at all. Rolls back in its
// destructor unless commit() succeeded. Nested guards join the outer transaction.
class Transaction {
  public:
    explicit Transaction(Book& book);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool ok() const { return m_ok; }
    bool commit();

  private:
    Book& m_book;
    bool m_ok = false;
    bool m_outer = false;
    bool m_done = false;
};

// Why rows may not be read into `table` now: an import fills only an empty table, so that what is
// there does not mix with what comes. `what` names the table's rows in the message and `unit`
// counts them (行, 件); empty when the table is empty.
QString notEmptyRefusal(Book& book, const QString& table, const QString& what, const QString& unit);

// Whether a file, and the folder it lies in, can be written now: judged by trying (the
// rollback journal needs the folder too).
bool canWrite(const QString& path);
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

// The SQLite handle under a Qt connection; null when the connection is not SQLite's or not open.
sqlite3* sqliteHandle(const QSqlDatabase& c);

// Creates the program's empty book at `path`, and any folders missing above it (mode 0700).
// Refuses (false, *error naming the file) when something is already there: a book is never
// replaced.
bool createBook(app::Program p, const QString& path, QString* error);

// The bytes of the delivered empty book.
QByteArray emptyBook(app::Program p);

// Creates a folder and the missing ones above it, each new one with mode 0700; existing
// folders keep their mode. False when it cannot.
bool makePrivatePath(const QString& dir);

}  // namespace db
