#include <gtest/gtest.h>

#include <QStringList>
#include <functional>

#include "core/io/RecurringCsv.h"
#include "core/ledger/Recurring.h"
#include "core/ledger/Undo.h"
#include "support/TestEnv.h"

using ledger::RecurringRule;
using ledger::RuleBox;

namespace {

QDate d(const char* text) { return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyy/MM/dd")); }

RecurringRule rule(int day, const char* start, int shift = 0, int every = 1, const char* end = "") {
    RecurringRule r;
    r.cd = 1;
    r.item = 3;
    r.amount = 80000;
    r.day = day;
    r.every = every;
    r.start = QString::fromLatin1(start);
    r.end = QString::fromLatin1(end);
    r.shift = shift;
    r.next = ledger::firstNextDate(r);
    return r;
}

// The occurrences from the first on, `n` of them, as the row dates (shifted) they give.
QStringList rowDates(const RecurringRule& r, int n) {
    QStringList out;
    for (QDate o = ledger::nextDate(r); out.size() < n; o = ledger::occurrenceAfter(r, o))
        out << ledger::bookDateText(ledger::shiftedDate(r, o));
    return out;
}

TEST(Recurring, DayThirtyOneIsTheMonthsLastDayAndNeverDrifts) {
    const RecurringRule r = rule(31, "2024/01/31");
    EXPECT_EQ(rowDates(r, 5), (QStringList{"2024/01/31", "2024/02/29", "2024/03/31", "2024/04/30", "2024/05/31"}));
    EXPECT_EQ(ledger::occurrenceOnOrAfter(r, d("2025/02/01")), d("2025/02/28"));
    EXPECT_EQ(ledger::occurrenceAfter(r, d("2025/02/28")), d("2025/03/31"));
    // Day 99 is the last day too, and a yearly 29 February comes back as the 28th, then the 29th.
    EXPECT_EQ(rowDates(rule(99, "2023/02/01"), 2), (QStringList{"2023/02/28", "2023/03/31"}));
    EXPECT_EQ(rowDates(rule(29, "2024/02/29", 0, 12), 5),
              (QStringList{"2024/02/29", "2025/02/28", "2026/02/28", "2027/02/28", "2028/02/29"}));
}

TEST(Recurring, RentOnTheTwentySeventhMovesToTheNextBusinessDay) {
    const RecurringRule r = rule(27, "2024/01/01", 2);
    // 2024/01/27 is a Saturday: the Monday; 2024/04/27 a Saturday whose Monday is 昭和の日: the Tuesday.
    EXPECT_EQ(rowDates(r, 4), (QStringList{"2024/01/29", "2024/02/27", "2024/03/27", "2024/04/30"}));
    // Golden week 2019: from Saturday 27 April to Tuesday 7 May.
    EXPECT_EQ(ledger::shiftedDate(r, d("2019/04/27")), d("2019/05/07"));
    // "Before" takes the Friday instead.
    EXPECT_EQ(ledger::shiftedDate(rule(27, "2024/01/01", 1), d("2024/01/27")), d("2024/01/26"));
    EXPECT_EQ(ledger::shiftedDate(rule(27, "2024/01/01", 0), d("2024/01/27")), d("2024/01/27"));
}

TEST(Recurring, JanuarySecondAfterTheClosureIsTheFourthOrLater) {
    const RecurringRule r = rule(2, "2024/01/02", 2, 12);
    // 2025/01/04 and 05 are a weekend.
    EXPECT_EQ(rowDates(r, 4), (QStringList{"2024/01/04", "2025/01/06", "2026/01/05", "2027/01/04"}));
    // Before the closure: the 30th of December.
    EXPECT_EQ(ledger::shiftedDate(rule(2, "2024/01/02", 1, 12), d("2025/01/02")), d("2024/12/30"));
}

TEST(Recurring, TheFirstOccurrenceIsTheFirstOnOrAfterTheStart) {
    EXPECT_EQ(ledger::firstNextDate(rule(27, "2024/01/27")), QStringLiteral("2024/01/27"));
    EXPECT_EQ(ledger::firstNextDate(rule(27, "2024/01/28")), QStringLiteral("2024/02/27"));
    // Every two months counts from the start month: January, March, May.
    EXPECT_EQ(ledger::firstNextDate(rule(27, "2024/01/28", 0, 2)), QStringLiteral("2024/03/27"));
    const RecurringRule pension = rule(15, "2024/02/01", 0, 2);
    EXPECT_TRUE(ledger::onSchedule(pension, d("2024/04/15")));
    EXPECT_FALSE(ledger::onSchedule(pension, d("2024/05/15")));
    EXPECT_FALSE(ledger::onSchedule(pension, d("2024/04/16")));
    EXPECT_FALSE(ledger::onSchedule(pension, d("2023/12/15")));
}

TEST(Recurring, DueWhenTheShiftedDateIsTodayOrEarlier) {
    RecurringRule r = rule(27, "2024/03/01", 2);
    // Two months late lists two; the April one is posted on the 30th (27 Saturday, 29 a holiday).
    EXPECT_EQ(ledger::dueOccurrences(r, d("2024/04/29")).size(), 1);
    const auto due = ledger::dueOccurrences(r, d("2024/04/30"));
    ASSERT_EQ(due.size(), 2);
    EXPECT_EQ(due[1].date, d("2024/04/27"));
    EXPECT_EQ(due[1].posted, d("2024/04/30"));
    EXPECT_EQ(due[1].amount, 80000);
    EXPECT_TRUE(ledger::dueOccurrences(r, d("2024/03/26")).isEmpty());
    // A cursor already past them lists only what follows.
    r.next = QStringLiteral("2024/04/27");
    EXPECT_EQ(ledger::dueOccurrences(r, d("2024/04/30")).size(), 1);
}

TEST(Recurring, TheEndCountsTheUnshiftedDateAndFinishesTheRule) {
    // The end falls on the April occurrence itself, whose row moves into May's first days.
    RecurringRule r = rule(27, "2019/02/01", 2, 1, "2019/04/27");
    const auto due = ledger::dueOccurrences(r, d("2019/12/31"));
    ASSERT_EQ(due.size(), 3);
    EXPECT_EQ(due[2].posted, d("2019/05/07"));
    EXPECT_FALSE(ledger::isFinished(r));
    r.next = ledger::bookDateText(ledger::occurrenceAfter(r, due[2].date));
    EXPECT_EQ(r.next, QStringLiteral("2019/05/27"));
    EXPECT_TRUE(ledger::isFinished(r));
    EXPECT_TRUE(ledger::dueOccurrences(r, d("2019/12/31")).isEmpty());
}

TEST(Recurring, AChangedScheduleContinuesFromTheOldNextDate) {
    RecurringRule r = rule(27, "2024/01/01");
    const QString old = QStringLiteral("2024/05/27");
    r.day = 10;
    EXPECT_EQ(ledger::nextDateAfterChange(r, old), QStringLiteral("2024/06/10"));
    r.day = 31;
    EXPECT_EQ(ledger::nextDateAfterChange(r, old), QStringLiteral("2024/05/31"));
    r.day = 27;
    r.every = 3;  // January, April, July
    EXPECT_EQ(ledger::nextDateAfterChange(r, old), QStringLiteral("2024/07/27"));
    r.start = QStringLiteral("2024/09/01");  // a later start wins over the old date
    EXPECT_EQ(ledger::nextDateAfterChange(r, old), QStringLiteral("2024/09/27"));
}

struct BadRule {
    const char* what;
    std::function<void(RecurringRule&)> change;
    RuleBox box;
};

void PrintTo(const BadRule& b, std::ostream* os) { *os << b.what; }

class RuleProblems : public ::testing::TestWithParam<BadRule> {};

TEST_P(RuleProblems, NameTheBox) {
    RecurringRule r = rule(27, "2024/01/01", 2, 1, "2024/12/31");
    ASSERT_TRUE(ledger::ruleProblem(app::Program::Bank, r).ok());
    GetParam().change(r);
    const ledger::RuleProblem p = ledger::ruleProblem(app::Program::Bank, r);
    EXPECT_EQ(p.box, GetParam().box);
    EXPECT_FALSE(p.message.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Recurring, RuleProblems,
    ::testing::Values(BadRule{"amount0", [](RecurringRule& r) { r.amount = 0; }, RuleBox::Amount},
                      BadRule{"day0", [](RecurringRule& r) { r.day = 0; }, RuleBox::Day},
                      BadRule{"day32", [](RecurringRule& r) { r.day = 32; }, RuleBox::Day},
                      BadRule{"every4", [](RecurringRule& r) { r.every = 4; }, RuleBox::Every},
                      BadRule{"shift3", [](RecurringRule& r) { r.shift = 3; }, RuleBox::Shift},
                      BadRule{"startUnpadded", [](RecurringRule& r) { r.start = "2024/1/01"; }, RuleBox::Start},
                      BadRule{"start1999", [](RecurringRule& r) { r.start = "1999/12/31"; }, RuleBox::Start},
                      BadRule{"end2100", [](RecurringRule& r) { r.end = "2100/01/01"; }, RuleBox::End},
                      BadRule{"endBeforeStart", [](RecurringRule& r) { r.end = "2023/12/31"; }, RuleBox::End}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Recurring, DayNinetyNineAndTheLastYearAreAccepted) {
    RecurringRule r = rule(99, "2099/01/01", 0, 6, "2099/12/31");
    EXPECT_TRUE(ledger::ruleProblem(app::Program::Purse, r).ok());
    r.bank = 2;  // the household book has no banks
    EXPECT_EQ(ledger::ruleProblem(app::Program::Purse, r).box, RuleBox::Bank);
}

}  // namespace

namespace {

// Rules in a book: written, posted and taken back.
class RecurringBook : public AppTest {
  protected:
    void bankBook() { startBank("(1,'本店',0),(2,'支店',0)", "(1,'給与',0),(2,'家賃',1)"); }
    RecurringRule rent(qint64 bank = 1) {
        RecurringRule r = rule(27, "2024/03/01", 2);
        r.cd = 0;
        r.bank = bank;
        r.item = 2;
        r.note = QStringLiteral("家賃");
        return r;
    }
    qint64 add(const RecurringRule& r, app::Program p = app::Program::Bank) {
        const ledger::RuleWrite w = ledger::addRule(book(), p, r);
        EXPECT_TRUE(w.ok) << w.error.toStdString();
        return w.cd;
    }
    QString next(qint64 cd) { return value("SELECT N_DATE FROM R01 WHERE CD=?", {cd}).toString(); }
    qint64 rows() { return value("SELECT COUNT(*) FROM S01").toLongLong(); }
};

TEST_F(RecurringBook, ARuleWithAnUnknownMasterNamesTheBoxAndWritesNothing) {
    bankBook();
    EXPECT_EQ(ledger::addRule(book(), app::Program::Bank, rent(9)).problem.box, RuleBox::Bank);
    RecurringRule r = rent();
    r.item = 9;
    EXPECT_EQ(ledger::addRule(book(), app::Program::Bank, r).problem.box, RuleBox::Item);
    r.item = 2;
    r.every = 5;
    EXPECT_EQ(ledger::addRule(book(), app::Program::Bank, r).problem.box, RuleBox::Every);
    EXPECT_EQ(value("SELECT COUNT(*) FROM R01").toInt(), 0);
    const qint64 cd = add(rent());
    EXPECT_EQ(next(cd), QStringLiteral("2024/03/27"));
}

TEST_F(RecurringBook, TwoMonthsDuePostOnceWithTheirBalancesAndUndoAsOneStep) {
    bankBook();
    const qint64 cd = add(rent());
    const QDate today = d("2024/04/30");
    const ledger::DueList due = ledger::dueOccurrences(book(), app::Program::Bank, today);
    ASSERT_EQ(due.rows.size(), 2);
    QList<ledger::Occurrence> chosen = due.rows;
    chosen[1].amount = 81000;  // edited for that row only
    const ledger::Posting p = ledger::postOccurrences(book(), app::Program::Bank, chosen);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(
        value("SELECT group_concat(K_DATE || ' ' || KINGAKU, ',') FROM (SELECT * FROM S01 ORDER BY CD)").toString(),
        QStringLiteral("2024/03/27 80000,2024/04/30 81000"));
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=1").toLongLong(), -161000);
    EXPECT_EQ(next(cd), QStringLiteral("2024/05/27"));
    EXPECT_TRUE(ledger::dueOccurrences(book(), app::Program::Bank, today).rows.isEmpty());
    // The same list again is refused: nothing is ever posted twice.
    EXPECT_FALSE(ledger::postOccurrences(book(), app::Program::Bank, due.rows).ok);
    EXPECT_EQ(rows(), 2);

    ASSERT_EQ(ledger::undoChange(book(), app::Program::Bank, p.change), ledger::UndoResult::Done);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(value("SELECT ZAN FROM T01 WHERE CD=1").toLongLong(), 0);
    EXPECT_EQ(next(cd), QStringLiteral("2024/03/27"));
    EXPECT_EQ(ledger::dueOccurrences(book(), app::Program::Bank, today).rows.size(), 2);
}

TEST_F(RecurringBook, AGapOrAZeroAmountWritesNothing) {
    bankBook();
    add(rent());
    const auto due = ledger::dueOccurrences(book(), app::Program::Bank, d("2024/04/30")).rows;
    ASSERT_EQ(due.size(), 2);
    EXPECT_FALSE(ledger::postOccurrences(book(), app::Program::Bank, {due[1]}).ok);  // the earlier one unticked
    auto zero = due;
    zero[1].amount = 0;
    EXPECT_FALSE(ledger::postOccurrences(book(), app::Program::Bank, zero).ok);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(next(1), QStringLiteral("2024/03/27"));
}

TEST_F(RecurringBook, SkippingAdvancesTheRuleWithoutARow) {
    bankBook();
    const qint64 cd = add(rent());
    EXPECT_FALSE(ledger::skipOccurrence(book(), cd, d("2024/04/27")).ok);  // not the earliest
    const ledger::Posting s = ledger::skipOccurrence(book(), cd, d("2024/03/27"));
    ASSERT_TRUE(s.ok) << s.error.toStdString();
    EXPECT_EQ(next(cd), QStringLiteral("2024/04/27"));
    EXPECT_EQ(rows(), 0);
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Bank, s.change), ledger::UndoResult::Done);
    EXPECT_EQ(next(cd), QStringLiteral("2024/03/27"));
}

TEST_F(RecurringBook, AChangedDayContinuesFromTheOldNextDate) {
    bankBook();
    RecurringRule r = rent();
    r.cd = add(r);
    sql("UPDATE R01 SET N_DATE='2024/05/27'");
    r.day = 10;
    ASSERT_TRUE(ledger::updateRule(book(), app::Program::Bank, r).ok);
    EXPECT_EQ(next(r.cd), QStringLiteral("2024/06/10"));
    r.note = QStringLiteral("家賃と共益費");  // not the schedule: the date stays
    sql("UPDATE R01 SET N_DATE='2024/07/10'");
    ASSERT_TRUE(ledger::updateRule(book(), app::Program::Bank, r).ok);
    EXPECT_EQ(next(r.cd), QStringLiteral("2024/07/10"));
}

TEST_F(RecurringBook, HouseholdRowsGoOntoThePageShownAndTheBalancesAfterMove) {
    startPurse("(1,'給料',0),(2,'家賃',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES "
        "(1,1,'2024/03/01',1,300000,300000,NULL),(2,2,'2024/04/01',1,300000,600000,NULL)");
    RecurringRule r = rule(27, "2024/03/01", 2);
    r.cd = 0;
    r.item = 2;
    add(r, app::Program::Purse);
    const auto due = ledger::dueOccurrences(book(), app::Program::Purse, d("2024/04/30")).rows;
    ASSERT_EQ(due.size(), 2);
    EXPECT_FALSE(ledger::postOccurrences(book(), app::Program::Purse, due, 0).ok);  // no page
    const ledger::Posting p = ledger::postOccurrences(book(), app::Program::Purse, due, 1);
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(value("SELECT COUNT(*) FROM S01 WHERE P_CD=1").toInt(), 3);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
    EXPECT_EQ(value("SELECT ZAN FROM S01 WHERE CD=2").toLongLong(), 440000);
    ASSERT_EQ(ledger::undoChange(book(), app::Program::Purse, p.change), ledger::UndoResult::Done);
    EXPECT_EQ(rows(), 2);
    EXPECT_TRUE(wrongPurseBalances().isEmpty());
}

TEST_F(RecurringBook, AReadOnlyBookNeverAsksAndNeverPosts) {
    bankBook();
    add(rent());
    EXPECT_TRUE(ledger::postingRefusal(book()).isEmpty());
    QString error;
    ASSERT_TRUE(session().openBook(book().path(), &error, true)) << error.toStdString();
    EXPECT_FALSE(ledger::postingRefusal(book()).isEmpty());
    const auto due = ledger::dueOccurrences(book(), app::Program::Bank, d("2024/04/30")).rows;
    EXPECT_FALSE(ledger::postOccurrences(book(), app::Program::Bank, due).ok);
    EXPECT_EQ(rows(), 0);
}

TEST_F(RecurringBook, ImportedRulesKeepTheirNextDateAndOneBadLineWritesNothing) {
    bankBook();
    const QByteArray header = "番号,銀行ｺｰﾄﾞ,項目ｺｰﾄﾞ,金額,備考,日,間隔,開始日,終了日,次回日,休日\n";
    const QByteArray good = "1,1,2,80000,'=家賃,27,1,2024/03/01,,2024/05/27,2\n";
    const io::ImportReport bad = io::importRecurringBytes(book(), app::Program::Bank,
                                                          header + good + "2,1,2,500,,27,1,2024/03/01,,2024/05/26,0\n");
    EXPECT_FALSE(bad.ok);
    ASSERT_EQ(bad.refused.size(), 1);  // the next date is off the schedule
    EXPECT_EQ(value("SELECT COUNT(*) FROM R01").toInt(), 0);
    const io::ImportReport r = io::importRecurringBytes(book(), app::Program::Bank, header + good);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(value("SELECT N_DATE || BIKO FROM R01 WHERE CD=1").toString(), QStringLiteral("2024/05/27=家賃"));
}

TEST_F(RecurringBook, ABookWithoutTheTableHasNothingDueAndTakesNoRule) {
    bankBook();
    sql("PRAGMA user_version = 1");
    EXPECT_FALSE(ledger::holdsRules(book()));
    const ledger::DueList due = ledger::dueOccurrences(book(), app::Program::Bank, d("2024/04/30"));
    EXPECT_TRUE(due.ok);
    EXPECT_TRUE(due.rows.isEmpty());
    const ledger::RuleWrite w = ledger::addRule(book(), app::Program::Bank, rent());
    EXPECT_FALSE(w.ok);
    EXPECT_TRUE(w.error.contains(QStringLiteral("kakeibo upgrade")));
}

}  // namespace
