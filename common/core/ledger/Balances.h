#pragma once
// The bank-book balance: each bank's ZAN in T01 is the signed sum of its journal rows.

#include <QList>
#include <QString>

#include "core/db/Book.h"

namespace ledger {

struct BankZan {
    bool ok = false;  // false: nothing was stored
    qint64 zan = 0;   // the balance computed (0 when !ok)
    QString error;
};

// Recomputes one bank's balance from all of its journal rows (income adds, every other kind
// subtracts, and so does a row whose item is missing from the master; starting from 0) and
// stores it in T01.ZAN.
BankZan Recalc_BankZan(db::Book& book, qint64 bankCode);

// After an item's kind changed, or items were added or deleted: recomputes every bank that has
// rows of one of the item codes (inside the caller's transaction).
bool recalcForItems(db::Book& book, const QList<qint64>& codes, QString* error = nullptr);

}  // namespace ledger
