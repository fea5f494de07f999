#include "core/ledger/Recurring.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Holidays.h"
#include "core/ledger/Pages.h"

namespace ledger {

namespace {

const int kIntervals[] = {1, 2, 3, 6, 12};

bool validInterval(int every) {
    return std::find(std::begin(kIntervals), std::end(kIntervals), every) != std::end(kIntervals);
}
bool validDay(int day) { return (day >= 1 && day <= 31) || day == kLastDayOfMonth; }

// The rule's day in a month: 99, or a day the month lacks, is its last day.
QDate dayInMonth(int year, int month, int day) {
    const QDate first(year, month, 1);
    if (!first.isValid()) return {};
    return QDate(year, month, day == kLastDayOfMonth ? first.daysInMonth() : std::min(day, first.daysInMonth()));
}

// Occurrence k (0, 1, …) counted from the start month, whether or not it falls before the start.
QDate occurrence(const RecurringRule& r, const QDate& start, qint64 k) {
    const qint64 months = qint64(start.month() - 1) + k * r.every;
    const qint64 year = start.year() + months / 12;
    if (year > 9999) return {};
    return dayInMonth(int(year), int(months % 12) + 1, r.day);
}

}  // namespace

std::optional<QDate> bookDate(const QString& text) {
    if (text.size() != 10) return std::nullopt;
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
    if (!d.isValid()) return std::nullopt;
    return d;
}

QString bookDateText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString(); }

QDate occurrenceOnOrAfter(const RecurringRule& r, const QDate& from) {
    const auto start = bookDate(r.start);
    if (!start || !validDay(r.day) || !validInterval(r.every) || !from.isValid()) return {};
    const QDate after = std::max(from, *start);
    // The occurrence in or before the month of `after`, then at most two steps forward: the
    // index is computed, never the date stepped.
    const qint64 months = qint64(after.year() - start->year()) * 12 + (after.month() - start->month());
    qint64 k = months / r.every;
    QDate d = occurrence(r, *start, k);
    while (d.isValid() && d < after) d = occurrence(r, *start, ++k);
    return d;
}

QDate occurrenceAfter(const RecurringRule& r, const QDate& date) { return occurrenceOnOrAfter(r, date.addDays(1)); }

bool onSchedule(const RecurringRule& r, const QDate& date) {
    return date.isValid() && occurrenceOnOrAfter(r, date) == date;
}

QDate shiftedDate(const RecurringRule& r, const QDate& occurrence) {
    switch (Shift(r.shift)) {
        case Shift::Before:
            return businessDayOnOrBefore(occurrence);
        case Shift::After:
            return businessDayOnOrAfter(occurrence);
        case Shift::None:
            break;
    }
    return occurrence;
}

QDate nextDate(const RecurringRule& r) {
    if (r.next.isEmpty()) return occurrenceOnOrAfter(r, QDate(1, 1, 1));
    return bookDate(r.next).value_or(QDate());
}

bool isFinished(const RecurringRule& r) {
    const auto end = bookDate(r.end);
    const QDate next = nextDate(r);
    return end && next.isValid() && next > *end;
}

QString firstNextDate(const RecurringRule& r) {
    const auto start = bookDate(r.start);
    return start ? bookDateText(occurrenceOnOrAfter(r, *start)) : QString();
}

QString nextDateAfterChange(const RecurringRule& changed, const QString& oldNext) {
    const auto old = bookDate(oldNext);
    if (!old) return firstNextDate(changed);
    return bookDateText(occurrenceOnOrAfter(changed, *old));
}

QList<Occurrence> dueOccurrences(const RecurringRule& r, const QDate& today) {
    QList<Occurrence> out;
    const auto end = bookDate(r.end);
    // A cursor off the schedule (written by hand) goes forward to the next occurrence, never back.
    QDate d = occurrenceOnOrAfter(r, nextDate(r));
    while (d.isValid() && (!end || d <= *end)) {
        const QDate posted = shiftedDate(r, d);
        if (!posted.isValid() || posted > today) break;
        out.append({r.cd, d, posted, r.bank, r.item, r.amount, r.note});
        d = occurrenceAfter(r, d);
    }
    return out;
}

RuleProblem ruleProblem(app::Program program, const RecurringRule& r) {
    const QString within = QStringLiteral("%1年から%2年までの日付を yyyy/mm/dd で入力してください")
                               .arg(kHolidayFirstYear)
                               .arg(kHolidayLastYear);
    if (r.amount == 0) return {RuleBox::Amount, QStringLiteral("金額: 0 は登録できません")};
    if (!validDay(r.day)) return {RuleBox::Day, QStringLiteral("日: 1～31 または 99（末日）を入力してください")};
    if (!validInterval(r.every))
        return {RuleBox::Every, QStringLiteral("間隔: 1, 2, 3, 6, 12 か月のいずれかを入力してください")};
    if (r.shift < 0 || r.shift > 2)
        return {RuleBox::Shift, QStringLiteral("休日: 0（そのまま）, 1（前営業日）, 2（翌営業日）のいずれかです")};
    const auto start = bookDate(r.start);
    if (!start || !holidaysKnown(start->year())) return {RuleBox::Start, QStringLiteral("開始日: ") + within};
    if (!r.end.isEmpty()) {
        const auto end = bookDate(r.end);
        if (!end || !holidaysKnown(end->year())) return {RuleBox::End, QStringLiteral("終了日: ") + within};
        if (*end < *start) return {RuleBox::End, QStringLiteral("終了日: 開始日より前の日付です")};
    }
    if (program == app::Program::Purse && r.bank != 0)
        return {RuleBox::Bank, QStringLiteral("家計簿の定期入力に銀行はありません")};
    return {};
}

namespace {

const QString kRules = QStringLiteral("R01");
const QString kJournal = QStringLiteral("S01");

bool run(QSqlQuery& q, const QVariantList& binds, QString* error) {
    for (int i = 0; i < binds.size(); ++i) q.bindValue(i, binds[i]);
    if (q.exec()) return true;
    if (error) *error = q.lastError().text();
    return false;
}

QVariant noteValue(const QString& note) { return note.isEmpty() ? QVariant() : QVariant(note); }

QVariantList ruleValues(const RecurringRule& r) {
    // No end is empty text, never Null: E_DATE is compared as text by whoever reads the table.
    const QVariant end = r.end.isEmpty() ? QVariant(QStringLiteral("")) : QVariant(r.end);
    return {r.cd, r.bank, r.item, r.amount, noteValue(r.note), r.day, r.every, r.start, end, r.next, r.shift};
}

const QString kRuleColumns = QStringLiteral("CD, B_CD, K_CD, KINGAKU, BIKO, DAY, EVERY, S_DATE, E_DATE, N_DATE, SHIFT");

RecurringRule ruleOf(const QSqlQuery& q) {
    RecurringRule r;
    r.cd = q.value(0).toLongLong();
    r.bank = q.value(1).toLongLong();
    r.item = q.value(2).toLongLong();
    r.amount = q.value(3).toLongLong();
    r.note = q.value(4).toString();
    r.day = q.value(5).toInt();
    r.every = q.value(6).toInt();
    r.start = q.value(7).toString();
    r.end = q.value(8).toString();
    r.next = q.value(9).toString();
    r.shift = q.value(10).toInt();
    return r;
}

std::optional<RecurringRule> readRule(db::Book& book, qint64 cd, QString* error) {
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM R01 WHERE CD=?").arg(kRuleColumns));
    if (!run(q, {cd}, error)) return std::nullopt;
    if (!q.next()) {
        if (error) *error = QStringLiteral("定期入力 %1 はありません").arg(cd);
        return std::nullopt;
    }
    return ruleOf(q);
}

bool masterHolds(db::Book& book, const QString& table, qint64 code) {
    return !book.scalar(QStringLiteral("SELECT 1 FROM %1 WHERE CD=?").arg(table), {code}).isNull();
}

// Why the book cannot take a rule or a posting now; empty when it can.
QString cannotWrite(db::Book& book) {
    if (!book.isOpen() || book.isReadOnly()) return QStringLiteral("データベースに書き込めません");
    if (!holdsRules(book))
        return QStringLiteral("このデータベースには定期入力の表がありません（kakeibo upgrade で更新してください）");
    return {};
}

RuleWrite refusedWrite(const QString& why) {
    RuleWrite w;
    w.error = why;
    return w;
}

RuleWrite refusedWrite(const RuleProblem& p) {
    RuleWrite w;
    w.problem = p;
    w.error = p.message;
    return w;
}

// Writes one rule row (insert, replace or delete) as one undo step.
RuleWrite writeRule(db::Book& book, qint64 cd, const std::optional<RecurringRule>& row) {
    db::Transaction tx(book);
    if (!tx.ok()) return refusedWrite(QStringLiteral("トランザクションを始められません"));
    RuleWrite w;
    w.cd = cd;
    w.change = beginChange(book, kRules, {cd});
    QSqlQuery q(book.connection());
    QString error;
    bool done;
    if (row) {
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO R01 (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?)").arg(kRuleColumns));
        done = run(q, ruleValues(*row), &error);
    } else {
        q.prepare(QStringLiteral("DELETE FROM R01 WHERE CD=?"));
        done = run(q, {cd}, &error);
    }
    if (!done) return refusedWrite(error);
    finishChange(book, w.change);
    if (!tx.commit()) return refusedWrite(QStringLiteral("書き込みを確定できません"));
    w.ok = true;
    return w;
}

// A copy in backup/ opened by mistake must never take rows: posting there and later posting
// in the real book would enter the same month twice once the copy were restored.
bool inBackupFolder(db::Book& book) {
    return QFileInfo(QFileInfo(book.path()).absolutePath()).fileName() == QLatin1String("backup");
}

Posting refusedPosting(const QString& why) {
    Posting p;
    p.error = why;
    return p;
}

}  // namespace

QString postingRefusal(db::Book& book) {
    if (const QString why = cannotWrite(book); !why.isEmpty()) return why;
    if (inBackupFolder(book)) return QStringLiteral("バックアップのデータベースには定期入力を記入しません");
    return {};
}

RuleProblem checkRule(db::Book& book, app::Program program, const RecurringRule& r) {
    if (program == app::Program::Bank) {
        if (!masterHolds(book, QStringLiteral("T01"), r.bank))
            return {RuleBox::Bank, QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(r.bank)};
        if (!masterHolds(book, QStringLiteral("T02"), r.item))
            return {RuleBox::Item, QStringLiteral("項目ｺｰﾄﾞ %1 は項目マスターにありません").arg(r.item)};
    } else if (!masterHolds(book, QStringLiteral("T01"), r.item)) {
        return {RuleBox::Item, QStringLiteral("科目ｺｰﾄﾞ %1 は科目マスターにありません").arg(r.item)};
    }
    return ruleProblem(program, r);
}

bool holdsRules(db::Book& book) {
    return book.isOpen() && book.scalar(QStringLiteral("PRAGMA user_version")).toInt() >= kRecurringVersion;
}

RuleList readRules(db::Book& book) {
    if (!holdsRules(book)) {
        RuleList l;
        l.ok = true;
        return l;
    }
    return readRules(book.connection());
}

RuleList readRules(const QSqlDatabase& connection) {
    RuleList l;
    QSqlQuery q(connection);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM R01 ORDER BY CD").arg(kRuleColumns));
    if (!run(q, {}, &l.error)) return l;
    while (q.next()) l.rules << ruleOf(q);
    l.ok = true;
    return l;
}

RuleWrite addRule(db::Book& book, app::Program program, const RecurringRule& given) {
    if (const QString why = cannotWrite(book); !why.isEmpty()) return refusedWrite(why);
    RecurringRule r = given;
    if (program == app::Program::Purse) r.bank = 0;
    if (const RuleProblem p = checkRule(book, program, r); !p.ok()) return refusedWrite(p);
    if (r.cd == 0) {
        const qint64 highest = db::Get_Max(book, kRules, QStringLiteral("CD"));
        if (highest < 0) return refusedWrite(QStringLiteral("データベースを読めません"));
        r.cd = highest + 1;
    } else if (masterHolds(book, kRules, r.cd)) {
        return refusedWrite(QStringLiteral("定期入力 %1 はすでにあります").arg(r.cd));
    }
    if (r.cd < 1 || r.cd > db::kMaxCode) return refusedWrite(QStringLiteral("定期入力の番号が上限を超えます"));
    r.next = firstNextDate(r);
    return writeRule(book, r.cd, r);
}

RuleWrite updateRule(db::Book& book, app::Program program, const RecurringRule& given) {
    if (const QString why = cannotWrite(book); !why.isEmpty()) return refusedWrite(why);
    QString error;
    const auto old = readRule(book, given.cd, &error);
    if (!old) return refusedWrite(error);
    RecurringRule r = given;
    if (program == app::Program::Purse) r.bank = 0;
    if (const RuleProblem p = checkRule(book, program, r); !p.ok()) return refusedWrite(p);
    const bool moved = r.day != old->day || r.every != old->every || r.start != old->start;
    r.next = moved ? nextDateAfterChange(r, old->next) : old->next;
    return writeRule(book, r.cd, r);
}

RuleWrite deleteRule(db::Book& book, qint64 cd) {
    if (const QString why = cannotWrite(book); !why.isEmpty()) return refusedWrite(why);
    QString error;
    if (!readRule(book, cd, &error)) return refusedWrite(error);
    return writeRule(book, cd, std::nullopt);
}

DueList dueOccurrences(db::Book& book, app::Program program, const QDate& today) {
    DueList due;
    const RuleList rules = readRules(book);
    if (!rules.ok) {
        due.error = rules.error;
        return due;
    }
    for (const RecurringRule& r : rules.rules) {
        // A rule that could not be posted (a master gone, a value written by another tool) is
        // left to the check, which names it, rather than offered and then refused.
        if (!checkRule(book, program, r).ok()) continue;
        due.rows << dueOccurrences(r, today);
    }
    std::stable_sort(due.rows.begin(), due.rows.end(), [](const Occurrence& a, const Occurrence& b) {
        if (a.posted != b.posted) return a.posted < b.posted;
        if (a.rule != b.rule) return a.rule < b.rule;
        return a.date < b.date;
    });
    due.ok = true;
    return due;
}

Posting postOccurrences(db::Book& book, app::Program program, const QList<Occurrence>& chosen, qint64 page) {
    if (const QString why = postingRefusal(book); !why.isEmpty()) return refusedPosting(why);
    const bool bank = program == app::Program::Bank;
    if (!bank && page < 1) return refusedPosting(QStringLiteral("ページは1以上の整数で入力してください"));

    // Each rule's occurrences must be its earliest unposted ones, in order and without a gap.
    QMap<qint64, QList<Occurrence>> byRule;
    for (const Occurrence& o : chosen) byRule[o.rule] << o;
    QList<Occurrence> rows;
    QMap<qint64, QDate> newNext;
    for (auto it = byRule.begin(); it != byRule.end(); ++it) {
        QString error;
        const auto r = readRule(book, it.key(), &error);
        if (!r) return refusedPosting(error);
        if (const RuleProblem p = checkRule(book, program, *r); !p.ok())
            return refusedPosting(QStringLiteral("定期入力 %1: %2").arg(r->cd).arg(p.message));
        QList<Occurrence> mine = it.value();
        std::sort(mine.begin(), mine.end(), [](const Occurrence& a, const Occurrence& b) { return a.date < b.date; });
        const auto end = bookDate(r->end);
        QDate expected = occurrenceOnOrAfter(*r, nextDate(*r));
        for (Occurrence o : mine) {
            if (o.date != expected || (end && o.date > *end))
                return refusedPosting(
                    QStringLiteral(
                        "定期入力 %1 の %2 は次に入力する日ではありません（記入済みか、前の回が残っています）")
                        .arg(r->cd)
                        .arg(bookDateText(o.date)));
            if (o.amount == 0)
                return refusedPosting(
                    QStringLiteral("定期入力 %1 の %2: 金額 0 は入力できません（スキップしてください）")
                        .arg(r->cd)
                        .arg(bookDateText(o.date)));
            // The row's date, bank and item are the rule's own; only amount and note are the row's.
            o.posted = shiftedDate(*r, o.date);
            o.bank = bank ? r->bank : 0;
            o.item = r->item;
            rows << o;
            expected = occurrenceAfter(*r, o.date);
        }
        newNext[r->cd] = expected;
    }
    if (rows.isEmpty()) {
        Posting p;
        p.ok = true;
        return p;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Occurrence& a, const Occurrence& b) {
        if (a.posted != b.posted) return a.posted < b.posted;
        if (a.rule != b.rule) return a.rule < b.rule;
        return a.date < b.date;
    });

    db::Transaction tx(book);
    if (!tx.ok()) return refusedPosting(QStringLiteral("トランザクションを始められません"));
    const qint64 highest = db::Get_Max(book, kJournal, QStringLiteral("CD"));
    if (highest < 0) return refusedPosting(QStringLiteral("データベースを読めません"));
    if (highest + rows.size() > db::kMaxRecordNumber)
        return refusedPosting(QStringLiteral("番号が上限 %1 を超えます").arg(db::kMaxRecordNumber));
    Posting p;
    QList<qint64> numbers;
    for (qsizetype i = 1; i <= rows.size(); ++i) numbers << highest + i;
    p.change = beginChange(book, kJournal, numbers, QStringLiteral("定期入力"));
    addToChange(book, p.change, kRules, newNext.keys());

    QSqlQuery ins(book.connection());
    ins.prepare(bank ? QStringLiteral("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (?,?,?,?,?,?)")
                     : QStringLiteral("INSERT INTO S01 (CD, P_CD, K_DATE, K_CD, KINGAKU, ZAN, BIKO) "
                                      "VALUES (?,?,?,?,?,0,?)"));
    QString error;
    QSet<qint64> banks;
    for (int i = 0; i < rows.size(); ++i) {
        const Occurrence& o = rows[i];
        const QString date = bookDateText(o.posted);
        const QVariantList values = bank ? QVariantList{numbers[i], date, o.bank, o.item, o.amount, noteValue(o.note)}
                                         : QVariantList{numbers[i], page, date, o.item, o.amount, noteValue(o.note)};
        if (!run(ins, values, &error)) return refusedPosting(QStringLiteral("行を書き込めません: %1").arg(error));
        banks.insert(o.bank);
    }
    QSqlQuery next(book.connection());
    next.prepare(QStringLiteral("UPDATE R01 SET N_DATE=? WHERE CD=?"));
    for (auto it = newNext.begin(); it != newNext.end(); ++it)
        if (!run(next, {bookDateText(it.value()), it.key()}, &error))
            return refusedPosting(QStringLiteral("次回日を書き込めません: %1").arg(error));
    // The balances once, after all rows, as the statement import does: a year of rules left
    // alone is one pass, not one per row.
    if (bank) {
        QList<qint64> sorted = banks.values();
        std::sort(sorted.begin(), sorted.end());
        for (qint64 b : sorted) {
            const BankZan z = Recalc_BankZan(book, b);
            if (!z.ok) return refusedPosting(QStringLiteral("残高を計算できません: %1").arg(z.error));
        }
    } else {
        const Recalc z = Recalc_Zan(book, page);
        if (!z.ok) return refusedPosting(QStringLiteral("差引を計算できません: %1").arg(z.error));
    }
    finishChange(book, p.change);
    if (!tx.commit()) return refusedPosting(QStringLiteral("書き込みを確定できません"));
    p.ok = true;
    p.rows = int(rows.size());
    p.firstNumber = numbers.first();
    p.lastNumber = numbers.last();
    p.rules = newNext.keys();
    return p;
}

Posting skipOccurrence(db::Book& book, qint64 rule, const QDate& date) {
    if (const QString why = postingRefusal(book); !why.isEmpty()) return refusedPosting(why);
    QString error;
    const auto r = readRule(book, rule, &error);
    if (!r) return refusedPosting(error);
    const QDate expected = occurrenceOnOrAfter(*r, nextDate(*r));
    if (!expected.isValid() || expected != date || isFinished(*r))
        return refusedPosting(
            QStringLiteral("定期入力 %1 の %2 は次に入力する日ではありません").arg(rule).arg(bookDateText(date)));
    db::Transaction tx(book);
    if (!tx.ok()) return refusedPosting(QStringLiteral("トランザクションを始められません"));
    Posting p;
    p.change = beginChange(book, kRules, {rule}, QStringLiteral("定期入力のスキップ"));
    QSqlQuery q(book.connection());
    q.prepare(QStringLiteral("UPDATE R01 SET N_DATE=? WHERE CD=?"));
    if (!run(q, {bookDateText(occurrenceAfter(*r, date)), rule}, &error)) return refusedPosting(error);
    finishChange(book, p.change);
    if (!tx.commit()) return refusedPosting(QStringLiteral("書き込みを確定できません"));
    p.ok = true;
    p.rules = {rule};
    return p;
}

QString ruleFault(app::Program program, const RecurringRule& r) {
    if (const RuleProblem p = ruleProblem(program, r); !p.ok()) return p.message;
    const auto next = bookDate(r.next);
    if (!next) return QStringLiteral("次回日（N_DATE）が正しい日付ではありません");
    if (*next < *bookDate(r.start)) return QStringLiteral("次回日（N_DATE）が開始日より前です");
    if (!onSchedule(r, *next)) return QStringLiteral("次回日（N_DATE）が日程にない日です");
    return {};
}

QString shiftText(int shift) {
    switch (Shift(shift)) {
        case Shift::None:
            return QStringLiteral("そのまま");
        case Shift::Before:
            return QStringLiteral("前営業日");
        case Shift::After:
            return QStringLiteral("翌営業日");
    }
    return QString::number(shift);
}

QString scheduleText(const RecurringRule& r) {
    const QString every = r.every == 1 ? QStringLiteral("毎月") : QStringLiteral("%1か月ごと").arg(r.every);
    const QString day = r.day == kLastDayOfMonth ? QStringLiteral("末日") : QStringLiteral("%1日").arg(r.day);
    return every + QLatin1Char(' ') + day;
}

}  // namespace ledger
