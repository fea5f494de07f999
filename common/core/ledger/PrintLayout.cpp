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

    bool Begin() {
        m_line = 0;
        m_end = 0;
        return m_out.Begin_Page();
    }
    bool End() { return m_out.End_Page(); }
    void Font(int points, bool bold) { m_out.Set_Font(points, bold); }
    void Line(double line) {
        m_line = line;
        m_end = 0;
    }
    // Ends the printed line: down by the height of the current font.
    void Next_Line() { Line(m_line + m_out.Line_Height()); }
    void Half_Step() { Line(m_line + 0.5); }

    // Puts a text at a column of the current line. A text never covers the one before it: when
    // that one already reaches past the column, the text follows it after one blank column.
    void Tab(double column, const QString& text) {
        column = std::max(column, 1.0);
        if (m_end > 0 && column < m_end) column = m_end + 1;
        if (text.isEmpty()) return;
        m_out.Put_Text(m_line, column, text);
        m_end = column + m_out.Text_Width(text);
    }
    // Puts a text so that it ends at `endColumn`, counting every character as `w` columns.
    void Tab_Right(double endColumn, int w, const QString& text) {
        Tab(endColumn - double(text.toUcs4().size()) * w, text);
    }
    // The width of "0" in whole columns of the current font; amounts are aligned by it.
    int Digit_Width() const {
        const int w = qRound(m_out.Text_Width(QStringLiteral("0")));
        return std::max(w, 1);
    }

private:
    PageWriter& m_out;
    double m_line = 0;
    double m_end = 0;
};

QString Cell(const QStringList& row, int col) { return col < row.size() ? row.at(col) : QString(); }
int Margin(bool front) { return front ? kFrontMargin : kBackMargin; }

// The sheet loop every printout shares. `head` prints the title and headings of a sheet with
// its margin; `row` prints rows[r] and returns how many of the sheet's lines it took. A sheet is
// begun before the end of the rows is noticed, so rows that fill a sheet exactly are followed by
// one with the headings only.
template <typename Head, typename Row>
bool Print_Sheets(PageWriter& out, const Rows& rows, bool* front, Head head, Row row) {
    Sheet sheet(out);
    int r = 0;
    for (;;) {
        const int m = front ? Margin(*front) : kBackMargin;
        if (!sheet.Begin()) return false;
        head(sheet, m);
        int line = 1;
        while (line <= kLinesPerPage) {
            if (r >= rows.size()) return sheet.End();
            line += row(sheet, m, rows.at(r++));
        }
        if (!sheet.End()) return false;
        if (front) *front = !*front;
    }
}

}  // namespace

QString List_Title(MasterList list) {
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
        s.Font(12, false);
        s.Line(2);
        s.Tab(m + 30, List_Title(list));
        s.Next_Line();
        s.Font(14, true);
        s.Line(6);
        s.Tab(m + 12, heading1);
        s.Tab(m + 25, heading2);
        s.Next_Line();
        s.Line(8);
    };
    auto row = [](Sheet& s, int m, const QStringList& cells) {
        s.Font(14, false);
        s.Tab(m + 5, Cell(cells, 0));
        s.Tab(m + 10, Cell(cells, 1));
        s.Tab(m + 25, Cell(cells, 2));
        s.Next_Line();
        s.Half_Step();
        return 1;
    };
    return Print_Sheets(out, rows, &front, head, row);
}

bool Print_BankJournal(PageWriter& out, const QString& bankName, const QString& balance, const Rows& rows,
                       bool& front) {
    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.Font(18, false);
        s.Line(0);
        s.Tab(m + 15, bankName);
        s.Tab(m + 35, QStringLiteral("残高 ") + balance);
        s.Next_Line();
        s.Font(14, false);
        w = s.Digit_Width();
        s.Line(6);
        s.Font(14, true);
        s.Tab(m + 15, QStringLiteral("科目"));
        s.Tab(m + 35, QStringLiteral("収入"));
        s.Tab(m + 50, QStringLiteral("支出"));
        s.Line(8);
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        s.Font(14, false);
        s.Tab(m, Cell(cells, 1));
        s.Tab(m + 15, Cell(cells, 2) + QLatin1Char(' ') + Cell(cells, 3));
        s.Tab_Right(44 + m, w, Cell(cells, 4));
        s.Tab_Right(59 + m, w, Cell(cells, 5));
        s.Tab_Right(78 + m, w, Cell(cells, 6));
        s.Next_Line();
        s.Half_Step();
        return 1;
    };
    return Print_Sheets(out, rows, &front, head, row);
}

bool Print_PurseJournal(PageWriter& out, const QString& page, const QString& month, const Rows& rows, bool& front) {
    // A page without entries is shown as one row of empty cells; it is not an entry.
    Rows entries = rows;
    while (!entries.isEmpty() &&
           std::all_of(entries.last().begin(), entries.last().end(), [](const QString& c) { return c.isEmpty(); }))
        entries.removeLast();

    int w = 1;
    auto head = [&](Sheet& s, int m) {
        s.Font(12, false);
        s.Line(0);
        s.Tab(front ? 75 : 15, page);
        s.Next_Line();
        s.Font(18, false);
        s.Tab(m + 25, month);
        s.Next_Line();
        s.Font(14, false);
        w = s.Digit_Width();
        s.Line(6);
        s.Font(14, true);
        s.Tab(m + 15, QStringLiteral("科目"));
        s.Tab(m + 35, QStringLiteral("収入"));
        s.Tab(m + 50, QStringLiteral("支出"));
        s.Tab(m + 70, QStringLiteral("差引"));
        s.Line(8);
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        s.Font(14, false);
        s.Tab(m, month + QLatin1Char('/') + Cell(cells, 1));
        s.Tab(m + 15, Cell(cells, 2) + QLatin1Char(' ') + Cell(cells, 3));
        s.Tab_Right(44 + m, w, Cell(cells, 4));
        s.Tab_Right(59 + m, w, Cell(cells, 5));
        s.Tab_Right(78 + m, w, Cell(cells, 6));
        s.Next_Line();
        s.Half_Step();
        const QString note = Cell(cells, 7);
        if (note.isEmpty()) return 1;
        // The note takes a line of its own, one of the sheet's lines (a 31st when the row was
        // the 30th).
        s.Tab(m + 15, note);
        s.Next_Line();
        s.Half_Step();
        return 2;
    };
    return Print_Sheets(out, entries, &front, head, row);
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
        s.Font(12, false);
        s.Line(2);
        s.Tab(m + 30, title);
        s.Next_Line();
        s.Font(14, false);
        w = s.Digit_Width();
        s.Line(6);
        s.Font(14, true);
        s.Tab(m + 12, cols.nameHeading);
        s.Tab(m + 25, QStringLiteral("分類"));
        s.Tab(m + 50, QStringLiteral("合計金額"));
        s.Tab(m + 70, QStringLiteral("平均"));
        s.Line(8);
    };
    auto row = [&](Sheet& s, int m, const QStringList& cells) {
        s.Font(14, false);
        s.Tab(m + 5, Cell(cells, 0));
        s.Tab(m + 10, Cell(cells, 1));
        s.Tab(m + 25, Cell(cells, 2));
        s.Tab(m + 40, Cell(cells, cols.label));
        s.Tab_Right(m + 59, w, Cell(cells, cols.amount));
        s.Tab_Right(m + 78, w, Cell(cells, cols.average));
        s.Next_Line();
        s.Half_Step();
        return 1;
    };
    return Print_Sheets(out, rows, front, head, row);
}

}  // namespace

bool Print_BankTotals(PageWriter& out, const QString& year, const QString& month, int periodMode, const Rows& rows) {
    const TotalsColumns cols{QStringLiteral("銀行項目別合計"), QStringLiteral("項目名"), 4, 5, 6};
    return Print_Totals(out, cols, year, month, periodMode, rows, nullptr);
}

bool Print_PurseTotals(PageWriter& out, const QString& year, const QString& month, int periodMode, const Rows& rows,
                       bool& front) {
    const TotalsColumns cols{QStringLiteral("科目別合計"), QStringLiteral("科目名"), 3, 4, 5};
    return Print_Totals(out, cols, year, month, periodMode, rows, &front);
}

// Recorder

bool Recorder::Begin_Page() {
    if (m_failFrom > 0 && m_pages + 1 >= m_failFrom) return false;
    ++m_pages;
    m_open = true;
    return true;
}

void Recorder::Set_Font(int points, bool bold) {
    m_points = points;
    m_bold = bold;
}

double Recorder::Text_Width(const QString& text) const {
    double width = 0;
    for (const uint c : text.toUcs4()) {
        const bool half = c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F);  // ASCII, half-width katakana
        width += half ? m_charWidth : 2 * m_charWidth;
    }
    return width;
}

double Recorder::Line_Height() const { return m_points / 12.0; }

void Recorder::Put_Text(double line, double column, const QString& text) {
    m_texts.append({m_pages, line, column, m_points, m_bold, text});
}

bool Recorder::End_Page() {
    m_open = false;
    return true;
}

QList<Recorder::Placed> Recorder::Page(int page) const {
    QList<Placed> out;
    for (const Placed& p : m_texts)
        if (p.page == page) out.append(p);
    return out;
}

}  // namespace print
