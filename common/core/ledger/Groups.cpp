#include "core/ledger/Groups.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "core/Messages.h"
#include "core/db/Convert.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Totals.h"

namespace ledger {
namespace {

GroupWrite refused(const QString& why) {
    GroupWrite w;
    w.error = why;
    return w;
}

// Why no group can be written to the book now; empty when one can.
QString bookRefusal(db::Book& book) {
    if (book.isReadOnly()) return QStringLiteral("読み取り専用で開きます");
    if (!hasGroups(book))
        return QStringLiteral("このデータベースにはグループの表がありません（kakeibo upgrade で更新できます）");
    return {};
}

Master masterOf(app::Program program) { return program == app::Program::Bank ? Master::Item : Master::Category; }

// The codes of a query's first column.
std::optional<QList<qint64>> codes(db::Book& book, const QString& sql, const QVariantList& binds) {
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return std::nullopt;
    for (const QVariant& b : binds) q.addBindValue(b);
    if (!q.exec()) return std::nullopt;
    QList<qint64> out;
    while (q.next()) out << q.value(0).toLongLong();
    if (q.lastError().isValid()) return std::nullopt;
    return out;
}

QString inList(const QList<qint64>& codes) {
    QStringList parts;
    for (qint64 c : codes) parts << QString::number(c);
    return parts.join(QLatin1Char(','));
}

// The next free codes of a table, `n` of them.
std::optional<QList<qint64>> freeCodes(db::Book& book, const QString& table, qsizetype n) {
    bool ok = false;
    const qint64 next =
        book.scalar(QStringLiteral("SELECT COALESCE(MAX(CD), 0) + 1 FROM %1").arg(table), {}, &ok).toLongLong();
    if (!ok) return std::nullopt;
    QList<qint64> out;
    for (qsizetype i = 0; i < n; ++i) out << next + i;
    return out;
}

// Commits the change made under `tx`, finishing its images; the write's outcome.
GroupWrite finish(db::Book& book, db::Transaction& tx, GroupWrite w, bool ok, const QString& error) {
    if (ok) finishChange(book, w.change);
    if (!ok || !tx.commit()) return refused(QStringLiteral("グループを書き込めません: %1").arg(error));
    w.ok = true;
    return w;
}

}  // namespace

bool hasGroups(db::Book& book) {
    return book.isOpen() && book.scalar(QStringLiteral("PRAGMA user_version")).toInt() >= kGroupVersion;
}

std::optional<qint64> GroupMap::of(qint64 code) const {
    const auto it = groupOf.constFind(code);
    if (it == groupOf.constEnd()) return std::nullopt;
    return *it;
}

const Group* GroupMap::group(qint64 cd) const {
    for (const Group& g : groups)
        if (g.cd == cd) return &g;
    return nullptr;
}

bool GroupMap::groupsKind(bool income) const {
    return std::any_of(groups.begin(), groups.end(), [&](const Group& g) { return g.income() == income; });
}

std::optional<QList<Group>> readGroups(db::Book& book) {
    if (!hasGroups(book)) return QList<Group>{};
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT CD, NM, KIND, SORT FROM G01 ORDER BY SORT, CD"))) return std::nullopt;
    QList<Group> out;
    QHash<qint64, int> at;
    while (q.next()) {
        Group g;
        g.cd = q.value(0).toLongLong();
        g.name = q.value(1).toString();
        g.kind = isIncome(q.value(2)) ? 0 : 1;
        g.sort = db::To_Long(q.value(3), 0);
        at.insert(g.cd, int(out.size()));
        out << g;
    }
    if (q.lastError().isValid()) return std::nullopt;
    if (!q.exec(QStringLiteral("SELECT K_CD, G_CD FROM G02 ORDER BY K_CD"))) return std::nullopt;
    while (q.next()) {
        const auto it = at.constFind(q.value(1).toLongLong());
        if (it != at.constEnd()) out[*it].members << q.value(0).toLongLong();
    }
    if (q.lastError().isValid()) return std::nullopt;
    return out;
}

GroupMap readGroupMap(db::Book& book, app::Program program) {
    GroupMap map;
    const auto groups = readGroups(book);
    if (!groups) return map;
    map.groups = *groups;
    if (!map.groups.isEmpty()) {
        QHash<qint64, bool> incomeOf;
        for (const MasterRow& m : readMasterList(book, masterOf(program))) incomeOf.insert(m.cd, isIncome(m.kind));
        for (const Group& g : map.groups)
            for (qint64 code : g.members)
                if (incomeOf.contains(code) && incomeOf.value(code) == g.income()) map.groupOf.insert(code, g.cd);
    }
    map.ok = true;
    return map;
}

QList<qint64> groupRowsOf(db::Book& book, qint64 from, qint64 to) {
    if (!hasGroups(book)) return {};
    return codes(book, QStringLiteral("SELECT CD FROM G02 WHERE K_CD BETWEEN ? AND ? ORDER BY CD"), {from, to})
        .value_or(QList<qint64>{});
}

std::optional<qint64> groupNamed(const QList<Group>& groups, const QString& name) {
    for (const Group& g : groups)
        if (g.name == name) return g.cd;
    return std::nullopt;
}

GroupWrite saveGroup(db::Book& book, app::Program program, const GroupEdit& edit) {
    if (const QString why = bookRefusal(book); !why.isEmpty()) return refused(why);
    const QString name = edit.name.trimmed();
    if (name.isEmpty()) return refused(QStringLiteral("グループ名を入力してください"));
    if (name.size() > kMaxGroupName)
        return refused(QStringLiteral("グループ名は%1文字までです: %2").arg(kMaxGroupName).arg(app::clip(name)));
    if (edit.kind != 0 && edit.kind != 1) return refused(QStringLiteral("区分は収入か支出です"));
    if (edit.cd < 0 || edit.cd > db::kMaxCode) return refused(QStringLiteral("グループがありません: %1").arg(edit.cd));

    db::Transaction tx(book);
    if (!tx.ok()) return refused(QStringLiteral("書き込めません"));
    const auto groups = readGroups(book);
    if (!groups) return refused(QStringLiteral("グループを読めません"));
    for (const Group& g : *groups)
        if (g.name == name && g.cd != edit.cd)
            return refused(QStringLiteral("同じ名前のグループがあります: %1").arg(app::clip(name)));
    const Group* old = nullptr;
    for (const Group& g : *groups)
        if (g.cd == edit.cd) old = &g;
    if (edit.cd != 0 && !old) return refused(QStringLiteral("グループがありません: %1").arg(edit.cd));

    QHash<qint64, bool> incomeOf;
    for (const MasterRow& m : readMasterList(book, masterOf(program))) incomeOf.insert(m.cd, isIncome(m.kind));
    QList<qint64> members;
    for (qint64 code : edit.members) {
        if (members.contains(code)) continue;
        if (!incomeOf.contains(code)) return refused(QStringLiteral("科目がありません: %1").arg(code));
        if (incomeOf.value(code) != (edit.kind == 0))
            return refused(QStringLiteral("グループと区分の違う科目は入れられません: %1").arg(code));
        members << code;
    }
    std::sort(members.begin(), members.end());

    GroupWrite w;
    if (old) {
        w.cd = old->cd;
    } else {
        const auto cd = freeCodes(book, kGroupTable, 1);
        if (!cd) return refused(QStringLiteral("グループを読めません"));
        w.cd = cd->first();
    }
    qint64 sort = old ? old->sort : 0;
    if (edit.sort) {
        sort = *edit.sort;
    } else if (!old) {
        bool ok = false;
        sort = book.scalar(QStringLiteral("SELECT COALESCE(MAX(SORT), 0) + 1 FROM G01"), {}, &ok).toLongLong();
        if (!ok) return refused(QStringLiteral("グループを読めません"));
    }
    // The assignments the change touches: the group's own and the members' wherever they are.
    const auto touched = codes(book,
                               QStringLiteral("SELECT CD FROM G02 WHERE G_CD = ? OR K_CD IN (%1) ORDER BY CD")
                                   .arg(members.isEmpty() ? QStringLiteral("NULL") : inList(members)),
                               {w.cd});
    std::optional<QList<qint64>> assigned = QList<qint64>{};
    if (!members.isEmpty())
        assigned = codes(book, QStringLiteral("SELECT K_CD FROM G02 WHERE K_CD IN (%1)").arg(inList(members)), {});
    if (!touched || !assigned) return refused(QStringLiteral("グループを読めません"));
    QList<qint64> fresh;
    for (qint64 code : members)
        if (!assigned->contains(code)) fresh << code;
    const auto freshCds = freeCodes(book, kGroupMemberTable, fresh.size());
    if (!freshCds) return refused(QStringLiteral("グループを読めません"));

    w.change = beginChange(book, kGroupTable, {w.cd});
    addToChange(book, w.change, kGroupMemberTable, *touched + *freshCds);
    QString error;
    bool ok = old ? book.execute(QStringLiteral("UPDATE G01 SET NM = ?, KIND = ?, SORT = ? WHERE CD = ?"),
                                 {name, edit.kind, sort, w.cd}, &error)
                  : book.execute(QStringLiteral("INSERT INTO G01 (CD, NM, KIND, SORT) VALUES (?, ?, ?, ?)"),
                                 {w.cd, name, edit.kind, sort}, &error);
    // NOT IN of an empty list would be NOT IN (NULL), which holds for no row.
    ok = ok &&
         book.execute(members.isEmpty()
                          ? QStringLiteral("DELETE FROM G02 WHERE G_CD = ?")
                          : QStringLiteral("DELETE FROM G02 WHERE G_CD = ? AND K_CD NOT IN (%1)").arg(inList(members)),
                      {w.cd}, &error);
    if (ok && !members.isEmpty())
        ok = book.execute(QStringLiteral("UPDATE G02 SET G_CD = ? WHERE K_CD IN (%1)").arg(inList(members)), {w.cd},
                          &error);
    for (qsizetype i = 0; ok && i < fresh.size(); ++i)
        ok = book.execute(QStringLiteral("INSERT INTO G02 (CD, K_CD, G_CD) VALUES (?, ?, ?)"),
                          {freshCds->at(i), fresh[i], w.cd}, &error);
    return finish(book, tx, w, ok, error);
}

GroupWrite deleteGroup(db::Book& book, qint64 cd) {
    if (const QString why = bookRefusal(book); !why.isEmpty()) return refused(why);
    db::Transaction tx(book);
    if (!tx.ok()) return refused(QStringLiteral("書き込めません"));
    bool ok = false;
    const bool exists =
        book.scalar(QStringLiteral("SELECT COUNT(*) FROM G01 WHERE CD = ?"), {cd}, &ok).toLongLong() > 0;
    if (!ok) return refused(QStringLiteral("グループを読めません"));
    if (!exists) return refused(QStringLiteral("グループがありません: %1").arg(cd));
    const auto members = codes(book, QStringLiteral("SELECT CD FROM G02 WHERE G_CD = ?"), {cd});
    const auto budgets = codes(book, QStringLiteral("SELECT CD FROM B02 WHERE G_CD = ?"), {cd});
    if (!members || !budgets) return refused(QStringLiteral("グループを読めません"));
    GroupWrite w;
    w.cd = cd;
    w.change = beginChange(book, kGroupTable, {cd}, QStringLiteral("削除"));
    addToChange(book, w.change, kGroupMemberTable, *members);
    addToChange(book, w.change, kGroupBudgetTable, *budgets);
    QString error;
    ok = book.execute(QStringLiteral("DELETE FROM G02 WHERE G_CD = ?"), {cd}, &error) &&
         book.execute(QStringLiteral("DELETE FROM B02 WHERE G_CD = ?"), {cd}, &error) &&
         book.execute(QStringLiteral("DELETE FROM G01 WHERE CD = ?"), {cd}, &error);
    return finish(book, tx, w, ok, error);
}

GroupWrite assignToGroup(db::Book& book, app::Program program, qint64 code, std::optional<qint64> group) {
    if (const QString why = bookRefusal(book); !why.isEmpty()) return refused(why);
    db::Transaction tx(book);
    if (!tx.ok()) return refused(QStringLiteral("書き込めません"));
    std::optional<bool> income;
    for (const MasterRow& m : readMasterList(book, masterOf(program)))
        if (m.cd == code) income = isIncome(m.kind);
    if (!income) return refused(QStringLiteral("科目がありません: %1").arg(code));
    bool ok = false;
    if (group) {
        const QVariant kind = book.scalar(QStringLiteral("SELECT KIND FROM G01 WHERE CD = ?"), {*group}, &ok);
        if (!ok) return refused(QStringLiteral("グループを読めません"));
        if (kind.isNull()) return refused(QStringLiteral("グループがありません: %1").arg(*group));
        if (isIncome(kind) != *income)
            return refused(QStringLiteral("グループと区分の違う科目は入れられません: %1").arg(code));
    }
    const QVariant cdv = book.scalar(QStringLiteral("SELECT CD FROM G02 WHERE K_CD = ?"), {code}, &ok);
    if (!ok) return refused(QStringLiteral("グループを読めません"));
    GroupWrite w;
    w.cd = group.value_or(0);
    if (cdv.isNull() && !group) {
        w.ok = true;  // in no group already
        return w;
    }
    QString error;
    if (cdv.isNull()) {
        const auto cd = freeCodes(book, kGroupMemberTable, 1);
        if (!cd) return refused(QStringLiteral("グループを読めません"));
        w.change = beginChange(book, kGroupMemberTable, *cd);
        ok = book.execute(QStringLiteral("INSERT INTO G02 (CD, K_CD, G_CD) VALUES (?, ?, ?)"),
                          {cd->first(), code, *group}, &error);
    } else {
        w.change = beginChange(book, kGroupMemberTable, {cdv.toLongLong()});
        ok = group ? book.execute(QStringLiteral("UPDATE G02 SET G_CD = ? WHERE CD = ?"), {*group, cdv}, &error)
                   : book.execute(QStringLiteral("DELETE FROM G02 WHERE CD = ?"), {cdv}, &error);
    }
    return finish(book, tx, w, ok, error);
}

bool insertGroups(db::Book& book, app::Program program, const QList<Group>& groups, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (const QString why = bookRefusal(book); !why.isEmpty()) return fail(why);
    bool ok = false;
    if (book.scalar(QStringLiteral("SELECT (SELECT COUNT(*) FROM G01) + (SELECT COUNT(*) FROM G02)"), {}, &ok)
                .toLongLong() != 0 ||
        !ok)
        return fail(ok ? QStringLiteral("グループが既にあるため読み込みません")
                       : QStringLiteral("グループを読めません"));
    QHash<qint64, bool> incomeOf;
    for (const MasterRow& m : readMasterList(book, masterOf(program))) incomeOf.insert(m.cd, isIncome(m.kind));
    QSet<qint64> codes, members;
    QSet<QString> names;
    for (const Group& g : groups) {
        const auto refuse = [&](const QString& why) {
            return fail(QStringLiteral("グループ %1: %2").arg(g.cd).arg(why));
        };
        if (g.cd < 1 || g.cd > db::kMaxCode || codes.contains(g.cd))
            return refuse(QStringLiteral("コードは1～%1の、ほかと違う整数です").arg(db::kMaxCode));
        const QString name = g.name.trimmed();
        if (name.isEmpty() || name.size() > kMaxGroupName || names.contains(name))
            return refuse(QStringLiteral("名前は%1文字までの、ほかと違う名前です").arg(kMaxGroupName));
        if (g.kind != 0 && g.kind != 1) return refuse(QStringLiteral("区分は 0（収入）か 1（支出）です"));
        for (qint64 code : g.members) {
            if (!incomeOf.contains(code)) return refuse(QStringLiteral("科目がありません: %1").arg(code));
            if (incomeOf.value(code) != g.income())
                return refuse(QStringLiteral("グループと区分の違う科目は入れられません: %1").arg(code));
            if (members.contains(code))
                return refuse(QStringLiteral("二つのグループに入っている科目があります: %1").arg(code));
            members.insert(code);
        }
        codes.insert(g.cd);
        names.insert(name);
    }
    db::Transaction tx(book);
    if (!tx.ok()) return fail(QStringLiteral("書き込めません"));
    qint64 member = 0;
    for (const Group& g : groups) {
        if (!book.execute(QStringLiteral("INSERT INTO G01 (CD, NM, KIND, SORT) VALUES (?, ?, ?, ?)"),
                          {g.cd, g.name.trimmed(), g.kind, g.sort}, error))
            return false;
        for (qint64 code : g.members)
            if (!book.execute(QStringLiteral("INSERT INTO G02 (CD, K_CD, G_CD) VALUES (?, ?, ?)"),
                              {++member, code, g.cd}, error))
                return false;
    }
    if (!tx.commit()) return fail(QStringLiteral("書き込めません"));
    return true;
}

std::optional<QList<GroupListing>> readGroupListing(db::Book& book, app::Program program) {
    const GroupMap map = readGroupMap(book, program);
    if (!map.ok) return std::nullopt;
    QHash<qint64, QString> names;
    for (const MasterRow& m : readMasterList(book, masterOf(program))) names.insert(m.cd, m.nm);
    QList<GroupListing> out;
    for (const Group& g : map.groups) {
        GroupListing l{g, {}};
        l.group.members.clear();
        for (qint64 code : g.members) {
            if (map.of(code) != g.cd) continue;
            l.group.members << code;
            l.memberNames << names.value(code);
        }
        out << l;
    }
    return out;
}

std::optional<QList<GroupCandidate>> groupCandidates(db::Book& book, app::Program program, qint64 kind) {
    const GroupMap map = readGroupMap(book, program);
    if (!map.ok) return std::nullopt;
    QList<GroupCandidate> out;
    for (const MasterRow& m : readMasterList(book, masterOf(program))) {
        if (isIncome(m.kind) != (kind == 0)) continue;
        GroupCandidate c{m.cd, m.nm, 0, {}};
        if (const auto g = map.of(m.cd)) {
            c.group = *g;
            if (const Group* group = map.group(*g)) c.groupName = group->name;
        }
        out << c;
    }
    return out;
}

QList<StandardGroup> standardGroups(app::Program program) {
    const auto names = [](std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* n : list) out << QString::fromUtf8(n);
        return out;
    };
    if (program == app::Program::Bank)
        return {{QStringLiteral("固定費"), 1, names({"家賃", "光熱費", "通信費", "保険料"})},
                {QStringLiteral("変動費"), 1, names({"カード引落", "振込手数料", "現金引出"})},
                {QStringLiteral("特別費"), 1, names({"税金"})}};
    return {{QStringLiteral("固定費"), 1, names({"住居", "水道光熱費", "通信費", "保険"})},
            {QStringLiteral("変動費"), 1, names({"食費", "日用品", "交通費", "衣服", "教養娯楽", "雑費"})},
            {QStringLiteral("特別費"), 1, names({"医療費", "交際費", "税金"})}};
}

bool registerStandardGroups(db::Book& book, app::Program program, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (const QString why = bookRefusal(book); !why.isEmpty()) return fail(why);
    db::Transaction tx(book);
    if (!tx.ok()) return fail(QStringLiteral("書き込めません"));
    bool ok = false;
    if (book.scalar(QStringLiteral("SELECT COUNT(*) FROM G01"), {}, &ok).toLongLong() != 0 || !ok)
        return fail(ok ? QStringLiteral("グループが既にあります") : QStringLiteral("グループを読めません"));
    // The first code of each name: a master may hold a name twice.
    QHash<QString, MasterRow> byName;
    for (const MasterRow& m : readMasterList(book, masterOf(program)))
        if (!byName.contains(m.nm)) byName.insert(m.nm, m);
    qint64 cd = 0, member = 0;
    for (const StandardGroup& g : standardGroups(program)) {
        ++cd;
        if (!book.execute(QStringLiteral("INSERT INTO G01 (CD, NM, KIND, SORT) VALUES (?, ?, ?, ?)"),
                          {cd, g.name, g.kind, cd}, error))
            return false;
        for (const QString& n : g.members) {
            const auto it = byName.constFind(n);
            if (it == byName.constEnd() || isIncome(it->kind) != (g.kind == 0)) continue;
            if (!book.execute(QStringLiteral("INSERT INTO G02 (CD, K_CD, G_CD) VALUES (?, ?, ?)"),
                              {++member, it->cd, cd}, error))
                return false;
        }
    }
    if (!tx.commit()) return fail(QStringLiteral("書き込めません"));
    return true;
}

}  // namespace ledger
