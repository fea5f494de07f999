#pragma once
// The kakeibo tool's subcommands that take data out of a book and into it: export, import and
// search. Each takes the arguments after the subcommand's name, answers --help, writes its
// messages (Japanese, naming the files) to stderr and returns the exit status:
//   0  done
//   1  a finding: refused lines, characters the encoding lacks, values that are not whole
//      numbers, a book that is not empty for an own-export import
//   2  bad usage, or a book or CSV file that cannot be read
// Every subcommand opens the book as a db::Book, which takes its lock and refuses while
// a program holds it; export and search open it read-only.

#include <QStringList>

// The tool's messages, one line of UTF-8 each, shared by the subcommands so that all write alike.
namespace kakeibo {
void say(const QString& text);   // to stdout
void tell(const QString& text);  // to stderr
// A path as the messages name it: absolute, with the platform's separators.
QString shown(const QString& path);
}  // namespace kakeibo

// Before a command that only reads: a rollback journal left beside the book by a writer killed
// in the middle of a transaction is played back (db::rollBackJournal), else the book could not
// be read. False, with the reason written to stderr, when it cannot be (the book or its folder
// not writable, a copy in a backup folder). A book whose lock a program holds is left to the
// command. `inUse` is set then.
bool settleJournal(const QString& path, bool* inUse = nullptr);

int runExport(const QStringList& args);
int runImport(const QStringList& args);
int runSearch(const QStringList& args);
// The year at a glance (年間収支表) as a text table.
int runYear(const QStringList& args);
// The recurring entries: list, add, delete, and post what is due up to a date.
int runRecurring(const QStringList& args);
// Transfers between banks: add one, list them.
int runTransfer(const QStringList& args);
// Groups of categories (items): list, add, delete, assign, remove.
int runGroup(const QStringList& args);
