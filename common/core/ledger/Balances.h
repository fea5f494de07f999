#pragma once
// The bank-book balance: each bank's ZAN in T01 is the signed sum of its journal rows.

#include <QList>
#include <QString>

namespace ledger {

struct BankZan {
    bool ok = false;       // false: nothing was stored
    qint64 zan = 0;        // the balance computed (0 when !ok)
    QList<qint64> missingItemRecords;  // record numbers whose item is not in T02
    QString error;
};

// Recomputes one bank's balance from all of its journal rows (income adds, every other kind
// subtracts; starting from 0) and stores it in T01.ZAN. A row whose item is missing from the
// item master stops it: nothing is stored and the record numbers are named.
BankZan Recalc_BankZan(qint64 bankCode);

}  // namespace ledger
