#pragma once
// A new book is a copy of the empty book delivered with the program (embedded in it), written
// beside its final name and renamed into place, readable by its owner only.

#include <QString>

#include "core/AppState.h"

namespace db {

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
