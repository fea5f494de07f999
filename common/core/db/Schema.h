#pragma once
// The tables of the two programs' database files, and sample contents for demos and benchmarks.
// The programs themselves never create a table: only the dbinit tool and the tests do.

#include <QString>

namespace db {

enum class Program { Bank, Purse };

// File name of the program's database: "bank.mdb" or "moneta.mdb".
QString Database_File_Name(Program p);

// Creates a new database file with the program's empty tables. Refuses (false, *error set)
// when the file already exists.
bool Create_Database(Program p, const QString& path, QString* error);

// Fills the open database (the program's tables, empty journal) with masters and `rows`
// journal rows spread over several years. Purse rows get monthly pages and running balances
// that agree with the balance rules; bank balances agree with the journal.
bool Fill_Sample(Program p, int rows, QString* error);

}  // namespace db
