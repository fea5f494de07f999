#include "core/ledger/PrintLayout.h"

#include <QtMath>
#include <algorithm>

namespace print {
namespace {

// The print position on a sheet, as a line printer keeps it: a current line, and on it the end
// of the last text put there.
class Sheet {
  public:
    explicit Sheet(PageWriter& out) : m_out(out) {}

    bool begin() {
        m_line = 0;
        m_end = 0;
        return m_out.beginPage();
    }
    bool end() { return m_out.endPage(); }
    void setFont(int points, bool bold) { m_out.setFont(points, bold); }
    void moveToLine(double line) {
        m_line = line;
        m_end = 0;
    }
    // Ends the printed line: down by the height of the current font.
    void nextLine() { moveToLine(m_line + m_out.lineHeight()); }
    // Ends a printed row: its line, and half a line of space below it.
    void endRow() {
        nextLine();
        moveToLine(m_line + 0.5);
    }

    // Puts a text at a column of the current line. A text never covers the one before it: when
    // that one already reaches past the column, the text follows it after one blank column.
    void tab(double column, const QString& text) {
        column = std::max(column, 1.0);
        if (m_end > 0 && column < m_end) column = m_end + 1;
        if (text.isEmpty()) return;
        m_out.putText(m_line, column, text);
        m_end = column + m_out.textWidth(text);
    }
    // Puts a text so that it ends at `endColumn`, counting every character as `w` columns.
    void tabRight(double endColumn, int w, const QString& text) {
        tab(endColumn - double(text.toUcs4().size()) * w, text);
    }
    // The width of "0" in whole columns of the rows' font; amounts are aligned by it.
    int digitWidth() {
        setFont(14, false);
        const int w = qRound(m_out.textWidth(QStringLiteral("0")));
        return std::max(w, 1);
    }
    // A sheet's title on line 2.
    void title(double column, const QString& text) {
        setFont(12, false);
        moveToLine(2);
        tab(column, text);
    }
    // The column headings in bold on line 6; the rows start on line 8.
    void headings(std::initializer_list<std::pair<double, QString>> columns) {
        setFont(14, true);
        moveToLine(6);
        for (const auto& [column, text] : columns) tab(column, text);
        moveToLine(8);
    }

  private:
    PageWriter& m_out;
    double m_line = 0;
    double m_end = 0;
};

QString cellText(const QStringList& row, int col) { return col < row.size() ? row.at(col) : QString(); }
int margin(bool front) { return front ? kFrontMargin : kBackMargin; }

// The journals' row: date, item code and name, then income, expense and balance aligned right
// by the width `w` of a digit.
void journalRow(Sheet& s, int m, int w, const QString& date, const QStringList& cells) {
    s.setFont(14, false);
    s.tab(m, date);
    s.tab(m + 15, cellText(cells, 2) + QLatin1Char(' ') + cellText(cells, 3));
    s.tabRight(44 + m, w, cellText(cells, 4));
    s.tabRight(59 + m, w, cellText(cells, 5));
    s.tabRight(78 + m, w, cellText(cells, 6));
    s.endRow();
}

// The sheet loop every printout shares. `head` prints the title and headings of a sheet with
// its margin; `row` prints rows[r] and returns how many of the sheet's lines it took. A sheet is
// begun before the end of the rows is noticed, so rows that fill a sheet exactly are followed by
// one with the headings only.
template <typename Head, typename Row>
bool printSheets(PageWriter& out, const Rows& rows, bool* front, Head head, Row row) {
    Sheet sheet(out);
    int r = 0;
    for (;;) {
        const int m = front ? margin(*front) : kBackMargin;
        if (!sheet.begin()) return false;
        head(sheet, m);
        int line = 1;
        while (line <= kLinesPerPage) {
            if (r >= rows.size()) return sheet.end();
            line += row(sheet, m, rows.at(r++));
        }
        if (!sheet.end()) return false;
        if (front) *front = !*front;
    }
}

}  // namespace

QString listTitle(MasterList list) {
    switch (list) {
        case MasterList::Banks:
            return QStringLiteral("銀行マスター");
        case MasterList::Items:
            return QStringLiteral("項目マスター");
        case MasterList::Categories:
            return QStringLiteral("科目マスター");
    }
    return {};
}

bool Print_List(PageWriter& out, MasterList list, const Rows& rows, bool& front) {
    const QString heading1 = list == MasterList::Banks   ? QStringLiteral("銀行名")
                             : list == MasterList::Items ? QStringLiteral("項目名")
                                                         : QStringLiteral("科目名");
    const QString heading2 = list == MasterList::Banks ? QStringLiteral("残高") : QStringLiteral("分類");
    auto head = [&](Sheet& s, int m) {
        s.title(m + 30, listTitle(list));
        s.headings({{m + 12, heading1}, {m + 25, heading2}});
    };
    auto row = [](Sheet& s, int m, const QStringList& cells) {
        s.setFont(14, false);
        s.tab(m + 5, cellText(cells, 0));
        s.tab(m + 10, cellText(cells, 1));
        s.tab(m + 25, cellText(cells, 2));
        s.endRow();
        return 1;
    };
    return printSheets(out, rows, &front, head, row);
}

bool printBankJournal(PageWriter& out, const QString& bankName, const QString& balance, const Rows& rows, bool& front) {
    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.setFont(18, false);
        s.moveToLine(0);
        s.tab(m + 15, bankName);
        s.tab(m + 35, QStringLiteral("残高 ") + balance);
        w = s.digitWidth();
        s.headings(
            {{m + 15, QStringLiteral("科目")}, {m + 35, QStringLiteral("収入")}, {m + 50, QStringLiteral("支出")}});
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        journalRow(s, m, w, cellText(cells, 1), cells);
        return 1;
    };
    return printSheets(out, rows, &front, head, row);
}

bool printPurseJournal(PageWriter& out, const QString& page, const QString& month, const Rows& rows, bool& front) {
    // A page without entries is shown as one row of empty cells; it is not an entry.
    Rows entries = rows;
    while (!entries.isEmpty() &&
           std::all_of(entries.last().begin(), entries.last().end(), [](const QString& c) { return c.isEmpty(); }))
        entries.removeLast();

    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.setFont(12, false);
        s.moveToLine(0);
        s.tab(front ? 75 : 15, page);
        s.nextLine();
        s.setFont(18, false);
        s.tab(m + 25, month);
        w = s.digitWidth();
        s.headings({{m + 15, QStringLiteral("科目")},
                    {m + 35, QStringLiteral("収入")},
                    {m + 50, QStringLiteral("支出")},
                    {m + 70, QStringLiteral("差引")}});
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        journalRow(s, m, w, month + QLatin1Char('/') + cellText(cells, 1), cells);
        const QString note = cellText(cells, 7);
        if (note.isEmpty()) return 1;
        // The note takes a line of its own, one of the sheet's lines (a 31st when the row was
        // the 30th).
        s.tab(m + 15, note);
        s.endRow();
        return 2;
    };
    return printSheets(out, entries, &front, head, row);
}

namespace {

struct TotalsColumns {
    QString titleWord;  // what was totalled
    QString nameHeading;
    int label, amount, average;  // grid columns printed after code, name and kind
};

bool Print_Totals(PageWriter& out, const TotalsColumns& cols, const QString& year, const QString& month, int periodMode,
                  const Rows& rows, bool* front) {
    const QString title =
        cols.titleWord + QStringLiteral("  ") + year +
        (periodMode == 0 ? QStringLiteral("年") + month + QStringLiteral("月期") : QStringLiteral("年度"));
    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.title(m + 30, title);
        w = s.digitWidth();
        s.headings({{m + 12, cols.nameHeading},
                    {m + 25, QStringLiteral("分類")},
                    {m + 50, QStringLiteral("合計金額")},
                    {m + 70, QStringLiteral("平均")}});
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        s.setFont(14, false);
        s.tab(m + 5, cellText(cells, 0));
        s.tab(m + 10, cellText(cells, 1));
        s.tab(m + 25, cellText(cells, 2));
        s.tab(m + 40, cellText(cells, cols.label));
        s.tabRight(m + 59, w, cellText(cells, cols.amount));
        s.tabRight(m + 78, w, cellText(cells, cols.average));
        s.endRow();
        return 1;
    };
    return printSheets(out, rows, front, head, row);
}

}  // namespace

bool printBankTotals(PageWriter& out, const QString& year, const QString& month, int periodMode, const Rows& rows) {
    const TotalsColumns cols{QStringLiteral("銀行項目別合計"), QStringLiteral("項目名"), 4, 5, 6};
    return Print_Totals(out, cols, year, month, periodMode, rows, nullptr);
}

bool printPurseTotals(PageWriter& out, const QString& year, const QString& month, int periodMode, const Rows& rows,
                      bool& front) {
    const TotalsColumns cols{QStringLiteral("科目別合計"), QStringLiteral("科目名"), 3, 4, 5};
    return Print_Totals(out, cols, year, month, periodMode, rows, &front);
}

bool printBudgetReport(PageWriter& out, const QString& title, const Rows& rows, bool* front) {
    // Columns of the report grid: code, name, kind, 予算, 実績, 差額, 消化率, 超過, 残り1日あたり.
    // Headings and rows in the same face, so that both count columns alike.
    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.title(m + 20, title);
        w = s.digitWidth();
        s.headings({{m + 5, QStringLiteral("科目")},
                    {m + 29, QStringLiteral("予算")},
                    {m + 40, QStringLiteral("実績")},
                    {m + 51, QStringLiteral("差額")},
                    {m + 56, QStringLiteral("消化率")},
                    {m + 64, QStringLiteral("超過")},
                    {m + 70, QStringLiteral("残り1日")}});
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        s.setFont(14, false);
        s.tab(m + 1, cellText(cells, 0));
        s.tab(m + 5, cellText(cells, 1));
        s.tabRight(m + 33, w, cellText(cells, 3));
        s.tabRight(m + 44, w, cellText(cells, 4));
        s.tabRight(m + 55, w, cellText(cells, 5));
        s.tabRight(m + 62, w, cellText(cells, 6));
        s.tab(m + 64, cellText(cells, 7));
        s.tabRight(m + 78, w, cellText(cells, 8));
        s.endRow();
        return 1;
    };
    return printSheets(out, rows, front, head, row);
}

bool printBudgetPlan(PageWriter& out, const QString& title, const Rows& rows, bool* front) {
    // Columns of the plan grid: code, name, kind, 毎月, 1月 … 12月, 年額. A category takes three
    // lines: its name with 毎月 and 年額, then its months six to a line.
    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.title(m + 20, title);
        w = s.digitWidth();
        s.headings(
            {{m + 5, QStringLiteral("科目")}, {m + 40, QStringLiteral("毎月")}, {m + 56, QStringLiteral("年額")}});
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        s.setFont(14, false);
        s.tab(m + 1, cellText(cells, 0));
        s.tab(m + 5, cellText(cells, 1));
        s.tab(m + 24, cellText(cells, 2));
        s.tabRight(m + 44, w, cellText(cells, 3));
        s.tabRight(m + 60, w, cellText(cells, 16));
        s.nextLine();
        for (int half = 0; half < 2; ++half) {
            for (int i = 0; i < 6; ++i) {
                const int month = half * 6 + i + 1;
                s.tab(m + 5 + i * 12, QStringLiteral("%1月").arg(month));
                s.tabRight(m + 16 + i * 12, w, cellText(cells, 3 + month));
            }
            if (half == 0)
                s.nextLine();
            else
                s.endRow();
        }
        return 3;
    };
    return printSheets(out, rows, front, head, row);
}

// Recorder

bool Recorder::beginPage() {
    if (m_failFrom > 0 && m_pages + 1 >= m_failFrom) return false;
    ++m_pages;
    m_open = true;
    return true;
}

void Recorder::setFont(int points, bool bold) {
    m_points = points;
    m_bold = bold;
}

double Recorder::textWidth(const QString& text) const {
    double width = 0;
    for (const uint c : text.toUcs4()) {
        const bool half = c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F);  // ASCII, half-width katakana
        width += half ? m_charWidth : 2 * m_charWidth;
    }
    return width;
}

double Recorder::lineHeight() const { return m_points / 12.0; }

void Recorder::putText(double line, double column, const QString& text) {
    m_texts.append({m_pages, line, column, m_points, m_bold, text});
}

bool Recorder::endPage() {
    m_open = false;
    return true;
}

QList<Recorder::Placed> Recorder::placedOn(int page) const {
    QList<Placed> out;
    for (const Placed& p : m_texts)
        if (p.page == page) out.append(p);
    return out;
}

}  // namespace print
