#pragma once
// The shape of the two programs' books, as data: every table, column and index with the version
// of the book it first appeared in. The build's empty books, the check and the upgrade all read
// this one description.
//
// A book records its version in PRAGMA user_version. Versions only ever add tables and indexes:
// what version 1 holds is never changed, renamed or dropped, so that a book of a newer version
// still opens in an older program, which ignores what it does not know. A book whose
// user_version is 0 and which holds every version-1 table and column is a version-1 book (books
// were made that way before versions were counted).
//
// This file needs Qt Core and Qt Sql only: the build's book maker compiles it on its own.

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include "core/AppState.h"

namespace db {

// The newest version of the book this program knows; one counter for both programs. Version 2
// is the budget table B01; version 3 the recurring entries (R01); version 4 the bank book's
// transfers (F01, F02), which adds nothing to the household book; version 5 the groups of
// categories and their budgets (G01, G02, B02).
constexpr int kSchemaVersion = 5;

struct SchemaColumn {
    QString name;
    QString type;              // as written in CREATE TABLE: "INTEGER PRIMARY KEY", "INTEGER", "TEXT"
    bool wholeNumber = false;  // must hold a whole number: never text, a fraction or Null
};

struct SchemaTable {
    QString name;
    int version = 1;
    QList<SchemaColumn> columns;  // CD first
    QStringList columnNames() const;
    QStringList wholeNumberColumns() const;
    QString createStatement() const;
};

struct SchemaIndex {
    QString name;
    QString table;
    QStringList columns;
    bool unique = false;
    int version = 1;
    QString createStatement() const;
};

struct Schema {
    QList<SchemaTable> tables;
    QList<SchemaIndex> indexes;
    // The newest version the book is counted at even when that version added nothing to it: a
    // version may add tables to one program's book only, and both books count alike.
    int newest = 1;
    // The highest of `newest` and the version of any table or index.
    int version() const;
    const SchemaTable* table(const QString& name) const;
    // The tables and indexes a book of `version` holds.
    Schema upTo(int version) const;
    // The statements that make an empty book of this schema, tables before their indexes.
    QStringList createStatements() const;
};

// The description of a program's book.
const Schema& bookSchema(app::Program program);

// What a book holds compared with a schema.
struct SchemaState {
    bool read = false;  // false: the book's own tables could not be read (see error)
    QString error;
    int stored = 0;        // PRAGMA user_version
    int version = 0;       // the version it counts as: `stored`, or 1 for a complete unversioned book
    QStringList missing;   // the version-1 tables and columns it lacks, as "T01" or "T01.ZAN"
    QStringList triggers;  // the names of its triggers: no book of ours has any
    bool newer(int known = kSchemaVersion) const { return version > known; }
    bool partial() const { return !missing.isEmpty(); }
};

SchemaState inspectSchema(const QSqlDatabase& connection, const Schema& schema);

// Brings an open, writable book from its version up to `target` of `schema` in one
// transaction: every table of a later version is made with a plain CREATE TABLE (a table of the
// same name that is not ours makes it fail, never adopted), every missing index of the versions
// up to `target` is made, and user_version is set, all or nothing. A partial book, a newer one
// and a book with triggers are refused. False with *error; nothing has changed then.
bool upgradeSchema(QSqlDatabase& connection, const Schema& schema, int target, QString* error);

// Writes the statements of `schema` into an empty database and sets its version. Used by the
// build to make the delivered empty books, and by tests.
bool createSchema(QSqlDatabase& connection, const Schema& schema, QString* error);

}  // namespace db
