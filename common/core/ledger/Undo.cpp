#include "core/ledger/Undo.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <memory>
#include <vector>

#include "core/db/Book.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Pages.h"

namespace ledger {
namespace {

bool failed(const QString& why, QString* error) {
    if (error) *error = why;
    return false;
}

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

QList<qint64> codesOf(const QList<RowImage>& rows) {
    QList<qint64> out;
    for (const RowImage& r : rows) out << r.cd;
    return out;
}

// What a table needs when its rows are written back: the balances derived from them. Each table
// says its own; a table with nothing derived needs nothing.
class Upkeep {
  public:
    virtual ~Upkeep() = default;
    // A column derived from the rows (a balance): it may have moved since, and is computed again.
    virtual bool derived(const QString& /*column*/) const { return false; }
    // Before the rows `going` leave the book.
    virtual bool before(db::Book& /*book*/, const QList<RowImage>& /*going*/, QString* /*error*/) { return true; }
    // After `going` left and `coming` came back.
    virtual bool after(db::Book& /*book*/, const QList<RowImage>& /*going*/, const QList<RowImage>& /*coming*/,
                       QString* /*error*/) {
        return true;
    }
};

bool isBalance(const QString& column) { return column.compare(QStringLiteral("ZAN"), Qt::CaseInsensitive) == 0; }

// The household journal: every row's running balance, mended around the rows that moved.
class HouseholdJournal : public Upkeep {
  public:
    bool derived(const QString& column) const override { return isBalance(column); }
    bool before(db::Book& book, const QList<RowImage>& going, QString* error) override {
        for (const RowImage& r : going) {
            const auto row = chainRowOf(book, r.cd, error);
            if (!row) return false;
            m_removed << *row;
        }
        return true;
    }
    bool after(db::Book& book, const QList<RowImage>&, const QList<RowImage>& coming, QString* error) override {
        QList<ChainRow> added;
        for (const RowImage& r : coming) {
            const auto row = chainRowOf(book, r.cd, error);
            if (!row) return false;
            added << *row;
        }
        return restoreChain(book, m_removed, added, error);
    }

  private:
    QList<ChainRow> m_removed;
};

// The bank journal: the balance of every bank a row left or came into.
class BankJournal : public Upkeep {
  public:
    explicit BankJournal(int bankColumn) : m_bank(bankColumn) {}
    bool after(db::Book& book, const QList<RowImage>& going, const QList<RowImage>& coming, QString* error) override {
        QSet<qint64> banks;
        if (m_bank >= 0)
            for (const RowImage& r : going + coming)
                if (!r.values.value(m_bank).isNull()) banks.insert(r.values.value(m_bank).toLongLong());
        for (qint64 bank : banks) {
            const BankZan z = Recalc_BankZan(book, bank);
            if (!z.ok) return failed(z.error, error);
        }
        return true;
    }

  private:
    int m_bank;
};

// The banks: a bank that comes back gets the balance of its rows.
class Banks : public Upkeep {
  public:
    bool derived(const QString& column) const override { return isBalance(column); }
    bool after(db::Book& book, const QList<RowImage>&, const QList<RowImage>& coming, QString* error) override {
        for (qint64 bank : codesOf(coming)) {
            const BankZan z = Recalc_BankZan(book, bank);
            if (!z.ok) return failed(z.error, error);
        }
        return true;
    }
};

// Items and categories: a kind that changed turns the sign of their rows.
class KindMaster : public Upkeep {
  public:
    explicit KindMaster(app::Program program) : m_program(program) {}
    bool after(db::Book& book, const QList<RowImage>& going, const QList<RowImage>& coming, QString* error) override {
        QList<qint64> codes = codesOf(going);
        for (qint64 cd : codesOf(coming))
            if (!codes.contains(cd)) codes << cd;
        return m_program == app::Program::Bank ? recalcForItems(book, codes, error)
                                               : recalcForCategories(book, codes, error);
    }

  private:
    app::Program m_program;
};

std::unique_ptr<Upkeep> upkeepOf(app::Program program, const ChangePart& part) {
    const bool bank = program == app::Program::Bank;
    if (part.table == QLatin1String("S01")) {
        if (bank) return std::make_unique<BankJournal>(part.columns.indexOf(QStringLiteral("B_CD")));
        return std::make_unique<HouseholdJournal>();
    }
    if (part.table == QLatin1String("T01")) {
        if (bank) return std::make_unique<Banks>();
        return std::make_unique<KindMaster>(program);
    }
    if (part.table == QLatin1String("T02") && bank) return std::make_unique<KindMaster>(program);
    return std::make_unique<Upkeep>();
}

bool sameRow(const ChangePart& part, const Upkeep& upkeep, const RowImage& a, const RowImage& b) {
    for (int c = 0; c < part.columns.size(); ++c) {
        if (upkeep.derived(part.columns[c])) continue;
        if (!sameValue(a.values.value(c), b.values.value(c))) return false;
    }
    return true;
}

// Whether the book holds `now` of the part exactly, and none of the rows of `then` besides.
UndoResult holds(db::Book& book, const ChangePart& part, const Upkeep& upkeep, const QList<RowImage>& now,
                 const QList<RowImage>& then, QString* error) {
    QList<qint64> codes = codesOf(now);
    for (qint64 cd : codesOf(then))
        if (!codes.contains(cd)) codes << cd;
    QString readError;
    const QList<RowImage> current = readRows(book, part.table, codes, nullptr, &readError);
    if (!readError.isEmpty()) {
        failed(readError, error);
        return UndoResult::Failed;
    }
    if (current.size() != now.size()) return UndoResult::Changed;
    for (const RowImage& expected : now) {
        auto it = std::find_if(current.begin(), current.end(), [&](const RowImage& r) { return r.cd == expected.cd; });
        if (it == current.end() || !sameRow(part, upkeep, *it, expected)) return UndoResult::Changed;
    }
    return UndoResult::Done;
}

bool writeRows(db::Book& book, const ChangePart& part, const QList<RowImage>& going, const QList<RowImage>& coming,
               QString* error) {
    QSqlQuery del(book.connection());
    del.prepare(QStringLiteral("DELETE FROM %1 WHERE CD=?").arg(part.table));
    for (const RowImage& r : going) {
        del.bindValue(0, r.cd);
        if (!del.exec()) return failed(del.lastError().text(), error);
    }
    QStringList marks;
    for (int i = 0; i < part.columns.size(); ++i) marks << QStringLiteral("?");
    QSqlQuery ins(book.connection());
    ins.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(part.table, part.columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (const RowImage& r : coming) {
        for (int i = 0; i < part.columns.size(); ++i) ins.bindValue(i, r.values.value(i));
        if (!ins.exec()) return failed(ins.lastError().text(), error);
    }
    return true;
}

// Replaces, in every part, the rows as the change left them by the rows as they were (undo), or
// the other way round (redo), with the upkeep of each table; one transaction for all.
UndoResult replaceRows(db::Book& book, app::Program program, const BookChange& change, bool back, QString* error) {
    if (change.isEmpty()) return UndoResult::Done;
    db::Transaction tx(book);
    if (!tx.ok()) {
        failed(QStringLiteral("cannot start a transaction"), error);
        return UndoResult::Failed;
    }
    auto nowOf = [back](const ChangePart& p) -> const QList<RowImage>& { return back ? p.after : p.before; };
    auto thenOf = [back](const ChangePart& p) -> const QList<RowImage>& { return back ? p.before : p.after; };
    std::vector<std::unique_ptr<Upkeep>> upkeeps;
    for (const ChangePart& part : change.parts) {
        upkeeps.push_back(upkeepOf(program, part));
        const UndoResult h = holds(book, part, *upkeeps.back(), nowOf(part), thenOf(part), error);
        if (h != UndoResult::Done) return h;
    }
    for (int i = 0; i < change.parts.size(); ++i)
        if (!upkeeps[i]->before(book, nowOf(change.parts[i]), error)) return UndoResult::Failed;
    // Every part's rows go before any come back: a row may move between parts' keys.
    for (const ChangePart& part : change.parts)
        if (!writeRows(book, part, nowOf(part), {}, error)) return UndoResult::Failed;
    for (const ChangePart& part : change.parts)
        if (!writeRows(book, part, {}, thenOf(part), error)) return UndoResult::Failed;
    for (int i = 0; i < change.parts.size(); ++i)
        if (!upkeeps[i]->after(book, nowOf(change.parts[i]), thenOf(change.parts[i]), error)) return UndoResult::Failed;
    if (!tx.commit()) {
        failed(QStringLiteral("commit failed"), error);
        return UndoResult::Failed;
    }
    return UndoResult::Done;
}

ChangePart partOf(db::Book& book, const QString& table, const QList<qint64>& cds) {
    ChangePart p;
    p.table = table;
    p.before = readRows(book, table, cds, &p.columns);
    // The codes the change may add, for finishChange.
    for (qint64 cd : cds) p.after << RowImage{cd, {}};
    return p;
}

}  // namespace

bool BookChange::isEmpty() const {
    for (const ChangePart& p : parts)
        if (!p.before.isEmpty() || !p.after.isEmpty()) return false;
    return true;
}

qsizetype BookChange::rows() const {
    if (parts.isEmpty()) return 0;
    return std::max(parts.first().before.size(), parts.first().after.size());
}

const ChangePart* BookChange::part(const QString& table) const {
    for (const ChangePart& p : parts)
        if (p.table == table) return &p;
    return nullptr;
}

QList<RowImage> readRows(db::Book& book, const QString& table, const QList<qint64>& cds, QStringList* columns,
                         QString* error) {
    QList<RowImage> rows;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT * FROM %1 WHERE CD=?").arg(table))) {
        if (error) *error = q.lastError().text();
        return rows;
    }
    for (qint64 cd : cds) {
        q.bindValue(0, cd);
        if (!q.exec()) {
            if (error) *error = q.lastError().text();
            return {};
        }
        const QSqlRecord record = q.record();
        if (columns && columns->isEmpty())
            for (int i = 0; i < record.count(); ++i) *columns << record.fieldName(i);
        if (!q.next()) continue;
        RowImage r;
        r.cd = cd;
        for (int i = 0; i < record.count(); ++i) r.values << q.value(i);
        rows << r;
    }
    return rows;
}

QList<qint64> codesBetween(db::Book& book, const QString& table, qint64 from, qint64 to) {
    QList<qint64> codes;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT CD FROM %1 WHERE CD BETWEEN ? AND ? ORDER BY CD").arg(table));
    q.addBindValue(from);
    q.addBindValue(to);
    if (q.exec())
        while (q.next()) codes << q.value(0).toLongLong();
    return codes;
}

BookChange beginChange(db::Book& book, const QString& table, const QList<qint64>& cds, const QString& what) {
    BookChange c;
    c.what = what;
    c.parts << partOf(book, table, cds);
    return c;
}

void addToChange(db::Book& book, BookChange& change, const QString& table, const QList<qint64>& cds) {
    change.parts << partOf(book, table, cds);
}

void finishChange(db::Book& book, BookChange& change) {
    bool before = false;
    bool after = false;
    for (ChangePart& p : change.parts) {
        QStringList columns;
        p.after = readRows(book, p.table, codesOf(p.after), &columns);
        if (p.columns.isEmpty()) p.columns = columns;
        before = before || !p.before.isEmpty();
        after = after || !p.after.isEmpty();
    }
    if (change.what.isEmpty())
        change.what = !before ? QStringLiteral("追加") : !after ? QStringLiteral("削除") : QStringLiteral("更新");
}

BookChange rowsAdded(db::Book& book, const QString& table, const QList<qint64>& cds, const QString& what) {
    BookChange c;
    c.what = what;
    ChangePart p;
    p.table = table;
    p.after = readRows(book, table, cds, &p.columns);
    c.parts << p;
    return c;
}

UndoResult undoChange(db::Book& book, app::Program program, const BookChange& change, QString* error) {
    return replaceRows(book, program, change, true, error);
}

UndoResult redoChange(db::Book& book, app::Program program, const BookChange& change, QString* error) {
    return replaceRows(book, program, change, false, error);
}

}  // namespace ledger
