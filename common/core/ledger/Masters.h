#pragma once
// The three code-keyed masters: banks (bank-book T01: CD, NM, ZAN), items (bank-book T02:
// CD, NM, KIND) and categories (household T01: CD, NM, KIND). Reading, writing and deleting
// their rows; every value goes in as a bound parameter.

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/db/Recordset.h"

namespace ledger {

enum class Master { Bank, Item, Category };

QString masterTable(Master m);  // "T01", "T02", "T01"
QString thirdField(Master m);   // "ZAN" for banks, "KIND" otherwise

// One row of a master: a bank (ZAN) of the bank book, or an item or a category (KIND).
struct MasterRow {
    qint64 cd = 0;
    QString nm;
    QVariant zan;   // banks
    QVariant kind;  // items and categories: 0 income, every other value expense
};

// The whole master in code order (opener result of db::Open_Rs).
int openMasterList(db::Book& book, Master m, db::Rs& rs);
// The whole master in code order, read through openMasterList; empty on an error.
QList<MasterRow> readMasterList(db::Book& book, Master m);
// The row of one code (opener result).
int Find_Master(db::Book& book, Master m, qint64 code, db::Rs& rs);
// The nearest stored code below / above the given one; nullopt when there is none or on error.
std::optional<int> previousCode(db::Book& book, Master m, qint64 code);
std::optional<int> nextCode(db::Book& book, Master m, qint64 code);

// One row; third is ZAN for banks and KIND otherwise. False with *error on any failure.
bool Insert_Master(db::Book& book, Master m, int code, const QString& name, qint64 third, QString* error = nullptr);
bool Update_Master(db::Book& book, Master m, int code, const QString& name, qint64 third, QString* error = nullptr);
bool Delete_Master(db::Book& book, Master m, int code, QString* error = nullptr);
// Deleting items or categories also takes them out of their groups (G02), in the same
// transaction (see groupRowsOf for the rows, to keep for undo).
// Every code from `from` to `to` inclusive, as typed: nothing when from is above to.
bool Delete_MasterRange(db::Book& book, Master m, int from, int to, QString* error = nullptr);

// A standard set of items (bank book) or categories (household book) with their kinds, for a
// new book: written into the empty master in one transaction, with the standard groups (固定費,
// 変動費, 特別費) where the book holds the group tables and no group. Refuses when the master holds
// rows.
struct StandardEntry {
    QString name;
    qint64 kind;  // 0 income, 1 expense
};
QList<StandardEntry> standardMasters(app::Program p);
bool registerStandardMasters(db::Book& book, app::Program p, QString* error = nullptr);

// The text of a kind, wherever a kind is shown: "収入" (0), "支出" (1), empty for 2 and for no
// kind; another stored number as its number, so that an odd kind is seen. Every kind but 0 counts
// as an expense.
QString kindName(const QVariant& kind);

}  // namespace ledger
