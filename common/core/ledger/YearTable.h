#pragma once
// The year at a glance (年間収支表): per item (bank book) or category (household book) the twelve
// months of a year that may start in any month, its total and monthly average, a subtotal per
// kind and the balance; and the pie of one month's or the year's income or expense by category or
// by group.
//
// Amounts are signed as in the totals windows (income positive, expense negative), so that a
// line's 年計 is the yearly totals window's line for it and a month's 収支 that month's 総合計.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/ledger/PrintLayout.h"

namespace ledger {

constexpr int kYearMonths = 12;

// "2026年度" with start month 4: April 2026 to March 2027.
struct YearSpan {
    int year = 0;        // the year the first month lies in
    int startMonth = 1;  // 1..12
    QDate first() const { return QDate(year, startMonth, 1); }
    // The calendar month (1..12) and year of column i (0..11).
    QDate monthOf(int i) const { return first().addMonths(i); }
    // "2026年" for a calendar year, "2026年度" for one that starts later.
    QString title() const;
};

// Months of the span already begun on `today` (0 before its first day, at most 12): what 月平均
// divides by.
int monthsBegun(const YearSpan& span, const QDate& today);

struct YearQuery {
    app::Program program = app::Program::Bank;
    YearSpan span;
    // Bank book: one bank's entries; nullopt: every bank's. Not used by the household book.
    std::optional<qint64> bank;
    QDate today;  // for 月平均: the months of the span begun by then
    // Leaves journal rows out of the income and expense lines: a condition over the columns of
    // S01 (unqualified, e.g. "CD IN (SELECT ... )") that holds for the rows to leave out, such as
    // the two halves of a transfer between the user's own banks, shown instead on an extra line
    // (see YearTable::extraLines). Empty: every row counts. It is SQL of the program's own making,
    // never typed text: it is placed into the statement as it is.
    QString excludeRowsSql;
};

// Group: the subtotal of a group of categories (G01), or of the categories of no group (未分類).
enum class YearLineKind { Category, Group, Subtotal, Balance, Extra };

// A group line's name: "固定費小計", "未分類小計".
QString groupLineName(const QString& group);
// The group a group line adds up, as its name tells it ("固定費", "未分類").
QString groupOfLine(const QString& lineName);

struct YearLine {
    YearLineKind kind = YearLineKind::Category;
    // The item or category; on a group line its group's G01 CD, 0 for 未分類; 0 on the other lines.
    qint64 code = 0;
    // A category line: the G01 CD of the group it is shown under, 0 when it is shown under none.
    qint64 group = 0;
    QString name;  // the item's name, or "収入計", "支出計", "収支", a group line's, an extra line's label
    QString kindName;
    bool income = false;
    std::array<qint64, kYearMonths> months{};  // by column of the span
    qint64 total = 0;
    std::optional<qint64> average;  // none before the span begins
    // Values of YearTable::extraHeaders, in their order; none where a line has no value.
    QList<std::optional<qint64>> extra;
};

struct YearTable {
    bool ok = false;
    YearSpan span;
    int monthsBegun = 0;
    // Income lines by code, 収入計, expense lines by code, 支出計, 収支, then any extra lines.
    // An item or category that has no entry in the span is left out, and so are entries whose
    // item or category is missing from the master (as in the totals windows).
    // A kind that has groups shows its lines under them instead: per group in SORT order its
    // lines and its group line, then the lines of no group and the group line 未分類, then the
    // kind's subtotal. Every group of the kind has its line, even at zero, so that the layout
    // stays the same from year to year; each category counts in one group line only.
    QList<YearLine> lines;
    // Columns after 月平均 that a caller adds (予算, 差額 with budgets): see addYearColumn.
    QStringList extraHeaders;
    // Lines after 収支 that a caller adds (振替 with linked transfers): see addYearLine.
    int extraLines = 0;
};

// Reads the table with one grouped query over the span, and the groups with two small ones.
YearTable readYearTable(db::Book& book, const YearQuery& query);

// Adds a column after 月平均 to every line: `value` gives its figure for a line (none: empty).
// Budgets give 予算 per category and subtotal, and 差額 from it and YearLine::total.
void addYearColumn(YearTable& table, const QString& header,
                   const std::function<std::optional<qint64>(const YearLine&)>& value);
// Adds a line after 収支 with its twelve months (a 振替 line of transfers left out by
// YearQuery::excludeRowsSql); its total and average are computed as for the other lines.
void addYearLine(YearTable& table, const QString& label, const std::array<qint64, kYearMonths>& months);

// The header of the table as the window, the printout and the CSV show it:
// code, name, kind, the twelve months ("4月" …), 年計, 月平均, then the extra headers.
QStringList yearHeader(const YearTable& table, app::Program program);
// A line's cells under that header; "—" for an average not yet known.
QStringList yearCells(const YearLine& line);
constexpr int kYearFirstMonthColumn = 3;

// The table on A4 landscape sheets: title, header and lines, 36 lines a sheet.
bool printYearTable(print::PageWriter& out, const QString& title, const QStringList& header, const print::Rows& rows);

// ---- the pie --------------------------------------------------------------------------------

// One slice of the pie. The small ones are gathered into one slice of code 0.
struct PieSlice {
    qint64 code = 0;
    QString name;
    qint64 amount = 0;  // positive
    int percent = 0;    // whole per cent; all slices together make exactly 100
};
inline const QString kPieOthers = QStringLiteral("その他（3%未満）");

// The slices of positive amounts (name, code, amount), largest first: those under 3 % of the
// whole are gathered into kPieOthers (last), and the per cents are shared by the largest
// remainder method so that they add up to 100. Amounts of 0 or less are left out.
QList<PieSlice> makePie(const QList<PieSlice>& amounts);

// The pie of the table's income (or expense) by category for one column (0..11) or, with
// column -1, the whole span. Expense lines count their spending (the negated amount). By group,
// the slices are the kind's group lines and 未分類 (named by their group), or one slice 未分類
// when the kind has no group.
QList<PieSlice> pieOfYear(const YearTable& table, bool income, int column, bool byGroup = false);

// The slices as a list under a title (名称, 金額, 割合), on the design's sheet. With `picture`,
// the list leaves `pictureLines` free under the title and `picture` is given them to draw the pie.
bool printPieSlices(print::PageWriter& out, const QString& title, const QList<PieSlice>& slices,
                    double pictureLines = 0, const std::function<void(double line, double lines)>& picture = {});

}  // namespace ledger
