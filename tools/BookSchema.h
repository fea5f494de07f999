#pragma once
// The build's book maker: it writes the empty books that are delivered with the programs, in
// the newest shape the book description holds, and every new book is a copy of one of those.

#include <QString>

#include "core/AppState.h"

namespace schema {

// Writes a new database file with the program's empty tables and its version. Refuses (false, *error set)
// when the file already exists.
bool writeEmptyBook(app::Program p, const QString& path, QString* error);

}  // namespace schema
