#pragma once
// The year table as the year window and `kakeibo year` show it, joined with what the later
// features change in it:
// - in the bank book over every bank, the two rows of a linked transfer are neither income nor
//   expense: they are left out and the money moved is one line 振替 after 収支;
// - with budgets, 予算 and 差額 per line for the span. Amounts are signed as the table signs them
//   (an expense's budget negative), so that 差額 = 年計 − 予算 is positive when it went well, as in
//   予算実績. A line without a budget has 予算 0, as 予算実績 counts spending without a budget.
//   A group line has its group's own budget (B02) where it has one, else the sum of its lines';
//   a kind with groups adds up its group lines, never a group's own budget beside its members'.

#include "core/db/Book.h"
#include "core/ledger/YearTable.h"

namespace ledger {

// The budgets are compared over every bank only: a bank book's budget covers its item in all banks.
bool yearBudgetsApply(const YearQuery& query);

YearTable readYearView(db::Book& book, YearQuery query, bool budgets);

}  // namespace ledger
