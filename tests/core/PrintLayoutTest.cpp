// Page layouts of the printouts, read back from the recording writer.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "core/ledger/PrintLayout.h"

using print::Recorder;
using print::Rows;

namespace {

// n rows of `cols` cells: the row number in column 0, "c<col>" in the others.
Rows numbered(int n, int cols) {
    Rows rows;
    for (int r = 1; r <= n; ++r) {
        QStringList cells{QString::number(r)};
        for (int c = 1; c < cols; ++c) cells << QStringLiteral("c%1").arg(c);
        rows << cells;
    }
    return rows;
}

const Recorder::Placed* Find(const Recorder& rec, int page, const QString& text) {
    for (const Recorder::Placed& p : rec.Texts())
        if (p.page == page && p.text == text) return &p;
    return nullptr;
}
// Line, column and boldness of a text; -1 for a text not placed.
using Place = std::tuple<double, double, bool>;
Place place(const Recorder& rec, int page, const QString& text) {
    const auto* p = Find(rec, page, text);
    return p ? Place(p->line, p->column, p->bold) : Place(-1, -1, false);
}
double column(const Recorder& rec, int page, const QString& text) {
    const auto* p = Find(rec, page, text);
    return p ? p->column : -1;
}
double endColumn(const Recorder& rec, int page, const QString& text) {
    const auto* p = Find(rec, page, text);
    return p ? p->column + rec.textWidth(p->text) : -1;
}
// The left-most column of the rows of a sheet (lines from 8 on).
double rowStart(const Recorder& rec, int page) {
    double c = 1000;
    for (const auto& p : rec.placedOn(page))
        if (p.line >= 8) c = std::min(c, p.column);
    return c;
}

// Each printout: cells of its rows (no household note), where its rows begin less the margin,
// whether it keeps the side, and how it is run.
struct Kind {
    const char* name;
    int cols;
    int rowStart;
    bool sides;
    std::function<bool(Recorder&, const Rows&, bool&)> print;
};

const QList<Kind> kKinds{
    {"list", 3, 5, true,
     [](Recorder& r, const Rows& rows, bool& f) { return print::Print_List(r, print::MasterList::Items, rows, f); }},
    {"bank journal", 7, 0, true,
     [](Recorder& r, const Rows& rows, bool& f) { return print::printBankJournal(r, "1 みずほ", "1000", rows, f); }},
    {"purse journal", 7, 0, true,
     [](Recorder& r, const Rows& rows, bool& f) { return print::printPurseJournal(r, "3", "2024/05", rows, f); }},
    {"bank totals", 7, 5, false,
     [](Recorder& r, const Rows& rows, bool&) { return print::printBankTotals(r, "2024", "05", 0, rows); }},
    {"purse totals", 6, 5, true,
     [](Recorder& r, const Rows& rows, bool& f) { return print::printPurseTotals(r, "2024", "05", 0, rows, f); }},
};

}  // namespace

// On a back side (margin 2): the title, the bold headings, rows a 14-point line and a half apart.
TEST(PrintLayout, ListPrintsTitleHeadingsAndRowsAtTheirPlaces) {
    Recorder rec;
    bool front = false;
    ASSERT_TRUE(print::Print_List(rec, print::MasterList::Banks, {{"1", "みずほ", "120000"}, {"2", "ゆうちょ", "-500"}},
                                  front));
    EXPECT_EQ(place(rec, 1, "銀行マスター"), Place(2, 2 + 30, false));
    EXPECT_EQ(place(rec, 1, "銀行名"), Place(6, 2 + 12, true));
    EXPECT_EQ(std::get<0>(place(rec, 1, "1")), 8);
    const auto* name2 = Find(rec, 1, "ゆうちょ");
    ASSERT_TRUE(name2);
    EXPECT_DOUBLE_EQ(name2->line, 8 + 14 / 12.0 + 0.5);
    EXPECT_EQ(name2->column, 2 + 10);
    EXPECT_EQ(column(rec, 1, "-500"), 2 + 25);

    // A long text pushes the next one on instead of covering it (a front side: margin 5).
    Recorder items;
    front = true;
    const QString longName(20, QChar(0x9280));  // 20 full-width characters: 40 columns
    ASSERT_TRUE(print::Print_List(items, print::MasterList::Items, {{"1", longName, "支出"}}, front));
    EXPECT_EQ(column(items, 1, longName), 5 + 10);
    EXPECT_EQ(column(items, 1, "支出"), endColumn(items, 1, longName) + 1);
}

// 0 rows: one sheet; 30: a full sheet, then one with the headings only; 31: two sheets. The
// margin follows the side, which flips after every full sheet and not after the last.
TEST(PrintLayout, SheetsOfThirtyRowsAlternateSidesAndAWriterFailureStopsThem) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        Recorder empty;
        bool front = true;
        ASSERT_TRUE(kind.print(empty, {}, front));
        EXPECT_EQ(empty.pageCount(), 1);
        EXPECT_TRUE(front);

        Recorder full;
        ASSERT_TRUE(kind.print(full, numbered(30, kind.cols), front));
        EXPECT_EQ(full.pageCount(), 2);
        EXPECT_EQ(full.placedOn(2).size(), empty.Texts().size());
        EXPECT_EQ(front, !kind.sides);

        for (const bool first : {true, false}) {
            Recorder rec;
            front = first;
            ASSERT_TRUE(kind.print(rec, numbered(31, kind.cols), front));
            ASSERT_EQ(rec.pageCount(), 2);
            EXPECT_EQ(rowStart(rec, 1), kind.rowStart + (!kind.sides ? 2 : first ? 5 : 2));
            EXPECT_EQ(rowStart(rec, 2), kind.rowStart + (!kind.sides ? 2 : first ? 2 : 5));
            EXPECT_EQ(front, kind.sides ? !first : first);
        }

        // A writer that fails from the second sheet stops the printout; the first went out whole.
        Recorder failing;
        failing.failFrom(2);
        front = true;
        EXPECT_FALSE(kind.print(failing, numbered(45, kind.cols), front));
        EXPECT_EQ(failing.pageCount(), 1);
        EXPECT_EQ(front, !kind.sides);
    }
}

TEST(PrintLayout, BankJournalAlignsAmountsByTheDigitWidth) {
    // With digits 1.5 columns wide, w rounds to 2.
    for (const double digit : {1.0, 1.5}) {
        SCOPED_TRACE(digit);
        const int w = digit == 1.0 ? 1 : 2;
        Recorder rec(digit);
        bool front = true;
        const Rows rows{{"7", "2024/05/03", "3", "給与", "250000", "", "5月分"},
                        {"8", "2024/05/04", "12", "食費", "", "980", ""}};
        ASSERT_TRUE(print::printBankJournal(rec, "1 みずほ", "-1200", rows, front));
        EXPECT_EQ(column(rec, 1, "1 みずほ"), 5 + 15);
        EXPECT_EQ(column(rec, 1, "残高 -1200"), 5 + 35);
        EXPECT_EQ(column(rec, 1, "3 給与"), 5 + 15);
        EXPECT_EQ(column(rec, 1, "250000"), 44 + 5 - 6 * w);
        EXPECT_EQ(column(rec, 1, "980"), 59 + 5 - 3 * w);
        EXPECT_EQ(column(rec, 1, "5月分"), 78 + 5 - 3 * w);  // by its character count, wide or not
    }
}

TEST(PrintLayout, HouseholdJournalPrintsPageNumberDatesAndNotes) {
    Rows rows = numbered(30, 7);
    rows[0] = {"41", "03", "5", "食費", "", "1200", "48800"};
    rows[29] << "立替分";  // the 30th row's note becomes a 31st line
    Recorder rec;
    bool front = true;
    ASSERT_TRUE(print::printPurseJournal(rec, "12", "2024/05", rows, front));
    EXPECT_EQ(column(rec, 1, "12"), 75);
    EXPECT_EQ(column(rec, 1, "2024/05"), 5 + 25);
    EXPECT_EQ(column(rec, 1, "5 食費"), 5 + 15);
    EXPECT_EQ(endColumn(rec, 1, "48800"), 78 + 5);

    const QList<Recorder::Placed> sheet = rec.placedOn(1);
    EXPECT_EQ(sheet.constLast().text, "立替分");
    EXPECT_EQ(sheet.constLast().column, 5 + 15);
    EXPECT_GT(sheet.constLast().line, sheet.at(sheet.size() - 2).line);
    EXPECT_EQ(rec.pageCount(), 2);        // the second sheet: headings only
    EXPECT_EQ(column(rec, 2, "12"), 15);  // on a back side

    // Row 29's note is line 30: row 30 goes to the next sheet.
    rows[29].removeLast();
    rows[28] << "メモ";
    rows[29][1] = "31";
    Recorder moved;
    ASSERT_TRUE(print::printPurseJournal(moved, "1", "2024/05", rows, front));
    EXPECT_EQ(place(moved, 2, "2024/05/31"), Place(8, 5, false));

    // A page without entries shows one empty row: it prints as no row at all.
    Recorder empty;
    ASSERT_TRUE(print::printPurseJournal(empty, "2", "2024/06", Rows{QStringList(8, QString())}, front));
    EXPECT_EQ(empty.Texts().size(), 6);
}

TEST(PrintLayout, TotalsTitleNamesThePeriodAndAmountsEndAtTheirColumns) {
    Recorder bank;
    ASSERT_TRUE(print::printBankTotals(
        bank, "2001", "02", 0,
        {{"1", "給与", "収入", "3", "合計", "750000", "250000"}, {"", "", "", "", "総合計", "-1000", ""}}));
    EXPECT_EQ(column(bank, 1, "銀行項目別合計  2001年02月期"), 2 + 30);
    EXPECT_EQ(column(bank, 1, "給与"), 2 + 10);
    EXPECT_EQ(column(bank, 1, "合計"), 2 + 40);
    EXPECT_FALSE(Find(bank, 1, "3"));  // the count is not printed
    EXPECT_EQ(endColumn(bank, 1, "750000"), 2 + 59);
    EXPECT_EQ(endColumn(bank, 1, "250000"), 2 + 78);

    Recorder purse;
    bool front = true;
    ASSERT_TRUE(
        print::printPurseTotals(purse, "2024", "05", 1, {{"4", "食費", "支出", "合計", "-36000", "-1200"}}, front));
    EXPECT_TRUE(Find(purse, 1, "科目別合計  2024年度"));
    EXPECT_EQ(endColumn(purse, 1, "-36000"), 5 + 59);
}
