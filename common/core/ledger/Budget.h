#pragma once
// Budgets: an amount planned per category (household book, T01) or item (bank book, T02, the
// same budget for every bank), kept in B01 (K_CD, YM, KINGAKU) from version 2 of the book.
// YM is '' for the default of every month, 'yyyy/mm' for one month (over the default) or
// 'yyyy' for a year's budget, spent over the whole year. A category has month budgets or
// yearly ones, never both: its spending could not be split between them.
//
// The plan of a year and the report against the journal are each read with one grouped query,
// whatever the number of categories or months.

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/ledger/Totals.h"
#include "core/ledger/Undo.h"

namespace ledger {

// The book version that holds B01.
constexpr int kBudgetVersion = 2;
inline const QString kBudgetTable = QStringLiteral("B01");
// At most 12 digits of yen, as every amount typed.
constexpr qint64 kMaxBudget = 999'999'999'999LL;
// What a budget that cannot be used is answered with.
inline const QString kBudgetRefusal = QStringLiteral("予算は0以上の円単位の整数で入力してください");

// The master a budget's K_CD refers to: T02 items (bank book), T01 categories (household book).
QString budgetMaster(app::Program program);
// Whether the open book holds B01 (version 2 or later).
bool hasBudgets(db::Book& book);

// An amount as typed (full-width digits and thousands separators read as in the journals):
// nullopt when it is not a whole number from 0 to kMaxBudget.
std::optional<qint64> parseBudget(const QString& text);

// The kinds of YM.
enum class BudgetSpan { Default, Month, Year, Bad };
BudgetSpan spanOf(const QString& ym);
QString monthYm(int year, int month);  // "yyyy/mm"
QString yearYm(int year);              // "yyyy"

// One category's budgets as the plan of a year shows them.
struct BudgetPlanRow {
    qint64 code = 0;
    QString name;  // the master's name, or "（削除された科目 N）" when the master lacks the code
    QVariant kind;
    bool deleted = false;
    std::optional<qint64> monthly;                 // the default row ('')
    std::array<std::optional<qint64>, 12> months;  // the year's own month rows
    std::optional<qint64> yearly;                  // the year's row ('yyyy')
    bool otherYearly = false;                      // a yearly row of some year
    bool otherMonths = false;                      // a month row of another year
    // A group's line in the grouped plan (code: its G01 CD): its own budgets above, and here its
    // members' added up per column, which stand where the group has none of its own.
    bool group = false;
    std::optional<qint64> membersMonthly;
    std::array<std::optional<qint64>, 12> membersMonths;
    std::optional<qint64> membersYear;
    // A month's budget: its own row, else the default; nullopt when neither is there.
    std::optional<qint64> month(int m) const;
    // The year's budget: its yearly row, else the sum of its twelve months.
    std::optional<qint64> year() const;
    // Whether the category holds month rows (default or any month) / yearly rows, in any year.
    bool hasMonthRows() const;
    bool hasYearRows() const;
};

// Every category of the master in code order, then the codes of budget rows whose category is
// gone; the budgets of `year`. nullopt when the book cannot be read.
std::optional<QList<BudgetPlanRow>> readBudgetPlan(db::Book& book, app::Program program, int year);

// The plan as 予算設定 shows it. Without groups, readBudgetPlan's rows. With them, the income
// categories and then the expense ones; a kind that has groups shows per group in SORT order its
// categories and the group's line (its own budgets, and its members' sums), then the categories of
// no group; the rows of deleted categories last. The budgets of groups that are gone are not
// shown (the check names them). One read of each table and of the groups.
std::optional<QList<BudgetPlanRow>> readGroupedBudgetPlan(db::Book& book, app::Program program, int year);

// One stored row of B01.
struct BudgetEntry {
    qint64 cd = 0;
    qint64 code = 0;
    QString ym;
    QVariant amount;
};
// Every row of B01 in category and YM order (for listing and export); nullopt on an error.
std::optional<QList<BudgetEntry>> readBudgetEntries(db::Book& book);

// The groups' own budgets (B02, from version 5), kept by the same rules as the categories'. A
// group's budget stands for its members': a view shows a group's own budget where it has one,
// else the sum of its members', and never adds both. The plan lists every group in SORT order,
// then the codes of budget rows whose group is gone; code is the group's CD. Empty before
// version 5.
std::optional<QList<BudgetPlanRow>> readGroupBudgetPlan(db::Book& book, int year);
std::optional<QList<BudgetEntry>> readGroupBudgetEntries(db::Book& book);

struct BudgetWrite {
    bool ok = false;
    QString error;      // Japanese, for the user; nothing was written then
    BookChange change;  // the row as it was and is, for undo; empty when nothing changed
};

// Sets (amount) or removes (nullopt) the budget of a category for a YM, in its own transaction.
// Refused: a bad YM or amount, a code outside 1..32767, a yearly budget for a category with
// month budgets and the other way round, a book without B01 or read-only.
BudgetWrite writeBudget(db::Book& book, qint64 code, const QString& ym, std::optional<qint64> amount);

// Replaces nothing: writes the rows into an empty B01 in one transaction, each checked as
// writeBudget checks it. False with *error (naming the line) and nothing written otherwise.
bool insertBudgets(db::Book& book, const QList<BudgetEntry>& rows, QString* error);

// The same for a group's budgets (B02). Setting one also needs the group to exist.
BudgetWrite writeGroupBudget(db::Book& book, qint64 group, const QString& ym, std::optional<qint64> amount);
bool insertGroupBudgets(db::Book& book, const QList<BudgetEntry>& rows, QString* error);

// ---- the report ------------------------------------------------------------------------------

struct BudgetLine {
    // Transfer: the bank book's money moved between the user's own banks in the period (実績
    // only), which is neither income nor expense. Group: a group's line after its members (or
    // 未分類's after the categories of no group).
    enum class Type { Item, IncomeSum, ExpenseSum, Balance, Transfer, Heading, Blank, Group };
    Type type = Type::Item;
    qint64 code = 0;  // an item's category; a group line's G01 CD, 0 for 未分類
    QString name;     // the category, or the label of a sum or heading
    QString kindName;
    bool income = false;
    qint64 budget = 0;
    qint64 actual = 0;
    qint64 diff = 0;               // budget − actual for an expense, actual − budget for an income
    std::optional<qint64> rate;    // actual ÷ budget in whole percent; none when the budget is 0
    bool over = false;             // an expense (or the expense sum) over its budget
    std::optional<qint64> perDay;  // the current month's expenses: what is left per day
    bool hasFigures() const { return type != Type::Heading && type != Type::Blank; }
};

struct BudgetReport {
    Period period;
    QList<BudgetLine> lines;
    bool ok = false;
};

// actual ÷ budget as a whole percent, halves to the even neighbour as every amount is rounded.
std::optional<qint64> consumption(qint64 actual, qint64 budget);

// The report of a month (mode 0) or a year (mode 1): income lines, their sum, expense lines,
// their sum, the balance, in the bank book the line 振替 (the linked transfers of the period, left
// out of every other line); in a month view then the categories with a yearly budget, the year
// to the end of the month against it. `today` gives the current month its 残り1日あたり.
//
// A kind that has groups shows its lines under them, as the year table does: per group in SORT
// order its lines and a group line (named as the year table's, "固定費小計"), then the lines of
// no group and the line 未分類. A group line's budget is the group's own for the period where it
// has one, else its members'; its 実績 its members'; the kind's sum adds up the group lines, so
// that a group's own budget is never counted beside its members'. A group's yearly budget is
// not split into months: in a month view its line falls back to its members' month budgets, and
// a block of its own after the rest (グループの年額予算) sets the yearly budget against what all
// its members spent from January to the month's end, outside every sum.
BudgetReport budgetReport(db::Book& book, app::Program program, const Period& period, const QDate& today);

// The period as the report names it: "2024年12月", "2024年".
QString periodName(const Period& period);

// The report's columns as texts (code, name, kind, 予算, 実績, 差額, 消化率, 超過, 残り1日あたり).
QStringList budgetHeader();
QStringList budgetCells(const BudgetLine& line);

}  // namespace ledger
