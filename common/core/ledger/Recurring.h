#pragma once
// Recurring entries (定期入力): a rule in R01 stands for a journal row that comes back every
// EVERY months on day DAY (salary, rent, a pension every two months, car tax once a year), and is
// posted only when the user lets it, never twice.
//
// Occurrences fall in the start month + k × EVERY months, each on DAY (99, or a day the month
// lacks, being the month's last day). Each is computed from the start, never stepped from the
// previous one: stepping would turn a day 31 into the 28th for good after February. The first
// occurrence is the first on or after S_DATE. N_DATE is the rule's one cursor: the next
// occurrence not yet posted. A rule whose N_DATE lies after E_DATE is finished.
//
// Banks debit on the next (or previous) business day when the day falls on a weekend, a holiday
// or the year-end closure: SHIFT moves the row's date there. The unshifted date is what N_DATE
// and E_DATE count; the shifted one is what the row carries and what makes it due.
//
// "Today" is always a parameter: the windows pass the session's clock, the tool its --until.
//
// For the windows:
//   - the rule list: readRules(), with nextDate() and isFinished() for each row; addRule(),
//     updateRule() and deleteRule() check the rule (the message naming the box) and return one
//     undo step each;
//   - the due window: dueOccurrences(book, program, today) lists what is due; the user unticks some and
//     edits an amount or note; postOccurrences() writes the chosen rows with the rules' new
//     N_DATE as one transaction and one undo step; skipOccurrence() advances a rule past its
//     earliest occurrence without writing a row.

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/ledger/Undo.h"

namespace ledger {

// The book version that holds R01.
constexpr int kRecurringVersion = 3;
// DAY for the month's last day.
constexpr int kLastDayOfMonth = 99;

enum class Shift { None = 0, Before = 1, After = 2 };

// One row of R01.
struct RecurringRule {
    qint64 cd = 0;
    qint64 bank = 0;  // B_CD: the bank (bank book); 0 in the household book
    qint64 item = 0;  // K_CD: the item (bank book) or category (household book)
    qint64 amount = 0;
    QString note;
    int day = 1;    // 1..31, or kLastDayOfMonth
    int every = 1;  // months between occurrences: 1, 2, 3, 6, 12
    QString start;  // S_DATE "yyyy/mm/dd"
    QString end;    // E_DATE "yyyy/mm/dd", empty for none
    QString next;   // N_DATE "yyyy/mm/dd": the next occurrence not yet posted
    int shift = 0;  // Shift
};

// ---- Dates of a rule (no book needed) ----

// A date as the book stores it, "yyyy/mm/dd" zero-padded; nullopt for anything else.
std::optional<QDate> bookDate(const QString& text);
QString bookDateText(const QDate& d);

// The first occurrence on or after `from` (and on or after the rule's start); invalid when the
// rule's start, day or interval is unusable.
QDate occurrenceOnOrAfter(const RecurringRule& r, const QDate& from);
// The occurrence after `date`.
QDate occurrenceAfter(const RecurringRule& r, const QDate& date);
// Whether `date` is one of the rule's occurrences.
bool onSchedule(const RecurringRule& r, const QDate& date);
// The date the row carries: the occurrence moved off a closed day as SHIFT says.
QDate shiftedDate(const RecurringRule& r, const QDate& occurrence);
// The rule's N_DATE as a date; the first occurrence when N_DATE is empty (a rule being made).
QDate nextDate(const RecurringRule& r);
// The next occurrence lies after E_DATE: the rule is never due again.
bool isFinished(const RecurringRule& r);
// The first occurrence of a new rule.
QString firstNextDate(const RecurringRule& r);
// After a rule's schedule changed: the first occurrence of the changed rule on or after the
// old N_DATE, so that no occurrence already posted comes again.
QString nextDateAfterChange(const RecurringRule& changed, const QString& oldNext);

// One occurrence to post, with what its row carries (the window may edit amount and note).
struct Occurrence {
    qint64 rule = 0;  // R01.CD
    QDate date;       // unshifted: what N_DATE counts
    QDate posted;     // shifted: the row's K_DATE
    qint64 bank = 0;
    qint64 item = 0;
    qint64 amount = 0;
    QString note;
};

// The occurrences of one rule that are due on `today` (their shifted date today or earlier),
// from N_DATE on and not after E_DATE, earliest first: a rule two months late lists two.
QList<Occurrence> dueOccurrences(const RecurringRule& r, const QDate& today);

// ---- Checking a rule ----

// The box of the rule window a problem is in.
enum class RuleBox { None, Bank, Item, Amount, Day, Every, Start, End, Shift, Next };

struct RuleProblem {
    RuleBox box = RuleBox::None;
    QString message;  // Japanese, naming the box; empty when the rule is fine
    bool ok() const { return message.isEmpty(); }
};

// What is wrong with a rule's own values (amount, day, interval, shift, dates), N_DATE aside.
RuleProblem ruleProblem(app::Program program, const RecurringRule& r);
// The same, and a bank, item or category that the book's masters lack.
RuleProblem checkRule(db::Book& book, app::Program program, const RecurringRule& r);

// What the check says of a stored rule: a value the rule window would refuse (masters aside),
// or an N_DATE that is no date, lies before S_DATE or off the schedule; empty when it is sound.
// A finished rule (N_DATE the occurrence after E_DATE) is sound.
QString ruleFault(app::Program program, const RecurringRule& r);

// ---- The rules in a book ----

// Whether the book holds R01 (its version is kRecurringVersion or newer). A book below it has no
// rules: nothing is due, and writing a rule needs `kakeibo upgrade` or the feature's own upgrade.
bool holdsRules(db::Book& book);

struct RuleList {
    bool ok = false;
    QList<RecurringRule> rules;  // in CD order
    QString error;
};
RuleList readRules(db::Book& book);
// The same from any connection (the check reads a backup on a connection of its own); the
// caller knows that R01 is there.
RuleList readRules(const QSqlDatabase& connection);

struct RuleWrite {
    bool ok = false;
    qint64 cd = 0;
    RuleProblem problem;  // a refused rule: nothing was written
    QString error;        // why nothing was written (the problem's message, or the book's)
    BookChange change;    // the undo step
};

// Adds a rule with the next free code when r.cd is 0 (else with r.cd, which must be free);
// N_DATE becomes its first occurrence.
RuleWrite addRule(db::Book& book, app::Program program, const RecurringRule& r);
// Replaces the rule r.cd. When its schedule (day, interval, start) changed, N_DATE becomes the
// first new occurrence on or after the old N_DATE; otherwise it stays. Posted rows stay as
// they are.
RuleWrite updateRule(db::Book& book, app::Program program, const RecurringRule& r);
RuleWrite deleteRule(db::Book& book, qint64 cd);

// ---- Due and posted ----

struct DueList {
    bool ok = false;
    QList<Occurrence> rows;  // by shifted date, then rule code, then occurrence
    QString error;
};

// Why rows cannot be posted into this book now (read-only, without R01, a copy in backup/);
// empty when they can. The journal asks about due rows only when this is empty: a read-only book
// never asks.
QString postingRefusal(db::Book& book);

// Every occurrence of every rule due on `today`. A book without R01 has none.
DueList dueOccurrences(db::Book& book, app::Program program, const QDate& today);

struct Posting {
    bool ok = false;
    int rows = 0;            // journal rows written
    qint64 firstNumber = 0;  // their record numbers
    qint64 lastNumber = 0;
    QList<qint64> rules;  // rules whose N_DATE moved
    QString error;        // why nothing was written
    BookChange change;    // the undo step: the rows and the rules' dates
};

// Writes the chosen occurrences as journal rows and moves each rule's N_DATE past the last one
// written, in one transaction: all or nothing. Bank book: each row into its rule's bank, the
// balances of those banks recomputed. Household book: every row onto `page` (whatever its
// month), the running balances from that page on moved in the same transaction.
//
// Of each rule the occurrences must be its earliest ones from the stored N_DATE on, without a
// gap (unticking one unticks the later ones): a list made before another posting, or one that
// leaves a hole, is refused, so nothing is ever written twice. An amount of 0 is refused, and so
// is a book lying in a backup/ folder.
Posting postOccurrences(db::Book& book, app::Program program, const QList<Occurrence>& chosen, qint64 page = 0);

// Advances a rule past its earliest occurrence (which must be `date`, its N_DATE) without
// writing a row: one transaction and one undo step.
Posting skipOccurrence(db::Book& book, qint64 rule, const QDate& date);

// Japanese texts of a rule for lists: "毎月 27日", "2か月ごと 末日", "翌営業日".
QString scheduleText(const RecurringRule& r);
QString shiftText(int shift);

}  // namespace ledger
