#pragma once
// Page layout of the printouts: master lists, journals and totals.
//
// The layout needs no printer. It places texts on sheets through a PageWriter, in the units of
// the printed page:
//  - a line is 1/6 inch, counted from 0 at the top of the printable area, and may be fractional;
//  - a column is the average character width of the current font, counted from 1 at the left
//    edge of the printable area.
// Every sheet is begun and ended on its own, since each sheet goes to the printer as a job of
// its own. Thirty rows go on a sheet; the side of the sheet (front: wider left margin) is the
// caller's `front` flag, flipped after every full sheet and left alone on the sheet where the
// rows run out.

#include <QList>
#include <QString>
#include <QStringList>

namespace print {

// The grid rows a window prints: data rows 1 to the last, each row its cells as text.
using Rows = QList<QStringList>;

// Where the positioned texts go.
class PageWriter {
  public:
    virtual ~PageWriter() = default;
    // Starts a sheet; false when it cannot be started (nothing more is printed).
    virtual bool beginPage() = 0;
    virtual void setFont(int points, bool bold) = 0;
    // Width of a text in columns of the current font.
    virtual double textWidth(const QString& text) const = 0;
    // Height of a printed line of the current font, in lines.
    virtual double lineHeight() const = 0;
    // Puts a text with its top-left corner at (line, column).
    virtual void putText(double line, double column, const QString& text) = 0;
    // Finishes the sheet (sends it); false when it could not be sent.
    virtual bool endPage() = 0;
};

// Left margin in columns: front sides are bound on the left, so they get more room.
constexpr int kFrontMargin = 5;
constexpr int kBackMargin = 2;
constexpr int kLinesPerPage = 30;

enum class MasterList { Banks, Items, Categories };
QString listTitle(MasterList list);  // "銀行マスター", "項目マスター", "科目マスター"

// Each routine returns false when the writer failed; the sheets before the failure were sent.

// A master list window's grid: columns 0 (code), 1 (name), 2 (balance or kind).
bool Print_List(PageWriter& out, MasterList list, const Rows& rows, bool& front);

// The bank-book journal grid (columns 0..6: number, date, item code, item name, income,
// expense, note), under the bank as shown in the bank combo and its balance label.
bool printBankJournal(PageWriter& out, const QString& bankName, const QString& balance, const Rows& rows, bool& front);

// The household journal grid (columns 0..7: number, day, category code, category name, income,
// expense, running balance, note) of the page `page`, for the month text "yyyy/mm".
// The one empty row that stands for a page without entries prints nothing.
bool printPurseJournal(PageWriter& out, const QString& page, const QString& month, const Rows& rows, bool& front);

// The totals grid under a title naming the period: `year` and `month` as in the window's period
// boxes, `periodMode` 0 monthly, else yearly.
// Bank grid columns: code, name, kind, count, label, amount, average (the count is not printed);
// every sheet has the back-side margin and no side is kept.
bool printBankTotals(PageWriter& out, const QString& year, const QString& month, int periodMode, const Rows& rows);
// Household grid columns: code, name, kind, label, amount, average; sides alternate.
bool printPurseTotals(PageWriter& out, const QString& year, const QString& month, int periodMode, const Rows& rows,
                      bool& front);

// The budget report grid under `title` (columns as ledger::budgetHeader); sides as the household
// totals when `front` is given, else every sheet with the back-side margin.
bool printBudgetReport(PageWriter& out, const QString& title, const Rows& rows, bool* front);
// The budget plan grid of a year (columns as models::BudgetPlanModel), three lines a category.
bool printBudgetPlan(PageWriter& out, const QString& title, const Rows& rows, bool* front);

// A writer that keeps what was placed, for tests and previews. Its font is of simple metrics:
// `charWidth` columns for a half-width character, twice that for any other, and a line as high
// as the point size (points / 12 lines).
class Recorder : public PageWriter {
  public:
    struct Placed {
        int page;  // from 1
        double line;
        double column;
        int points;
        bool bold;
        QString text;
    };
    explicit Recorder(double charWidth = 1.0) : m_charWidth(charWidth) {}

    bool beginPage() override;
    void setFont(int points, bool bold) override;
    double textWidth(const QString& text) const override;
    double lineHeight() const override;
    void putText(double line, double column, const QString& text) override;
    bool endPage() override;

    int pageCount() const { return m_pages; }
    bool openTarget() const { return m_open; }
    const QList<Placed>& Texts() const { return m_texts; }
    QList<Placed> placedOn(int page) const;
    // Sheet number from which beginPage fails (0: never).
    void failFrom(int page) { m_failFrom = page; }

  private:
    double m_charWidth;
    int m_points = 12;
    bool m_bold = false;
    int m_pages = 0;
    bool m_open = false;
    int m_failFrom = 0;
    QList<Placed> m_texts;
};

}  // namespace print
