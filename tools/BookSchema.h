#pragma once
// The tables of the two programs' database files. Only the build's book maker uses them: it
// writes the empty books that are delivered with the programs, and every new book is a copy
// of one of those. The programs themselves create no table.

#include <QString>

#include "core/AppState.h"

namespace schema {

// Writes a new database file with the program's empty tables. Refuses (false, *error set)
// when the file already exists.
bool writeEmptyBook(app::Program p, const QString& path, QString* error);

}  // namespace schema
