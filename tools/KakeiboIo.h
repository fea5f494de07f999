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

int runExport(const QStringList& args);
int runImport(const QStringList& args);
int runSearch(const QStringList& args);
