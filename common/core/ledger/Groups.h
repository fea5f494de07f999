#pragma once
// Groups of categories (household book, T01) or items (bank book, T02), such as 固定費, 変動費 and
// 特別費: G01 holds the groups, each of one kind (0 income, 1 expense) and shown in SORT order;
// G02 puts a category into one group at most; B02 holds a group's own budgets (see Budget.h).
// They exist from version 5 of the book.
//
// The views show a category under its group only while the group exists and is of the
// category's kind: a category whose kind was changed after it was put into a group, or whose
// group is gone, is shown under 未分類 (and the check names it). So every category is counted in
// exactly one group or in 未分類, and the groups' subtotals add up to the kind's total.

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/ledger/Undo.h"

namespace ledger {

// The book version that holds G01, G02 and B02.
constexpr int kGroupVersion = 5;
inline const QString kGroupTable = QStringLiteral("G01");
inline const QString kGroupMemberTable = QStringLiteral("G02");
inline const QString kGroupBudgetTable = QStringLiteral("B02");
// Where the categories of no group are shown.
inline const QString kUngrouped = QStringLiteral("未分類");
constexpr int kMaxGroupName = 40;

// Whether the open book holds the group tables (version 5 or later).
bool hasGroups(db::Book& book);

struct Group {
    qint64 cd = 0;
    QString name;
    qint64 kind = 1;  // 0 income, 1 expense
    qint64 sort = 0;
    QList<qint64> members;  // the codes assigned to it, in code order, whatever their kind
    bool income() const { return kind == 0; }
};

// Every group in SORT, CD order with its members; an empty list when the book has no groups
// yet (an older version); nullopt when the book cannot be read.
std::optional<QList<Group>> readGroups(db::Book& book);

// The groups as the views use them: a category's group only where the group exists and is of
// the category's kind.
struct GroupMap {
    bool ok = false;
    QList<Group> groups;            // SORT, CD order
    QHash<qint64, qint64> groupOf;  // category code → group code, for the categories shown under a group
    // The group of a category in the views; nullopt: 未分類.
    std::optional<qint64> of(qint64 code) const;
    const Group* group(qint64 cd) const;
    // Whether any group of this kind exists: the views group a kind only then.
    bool groupsKind(bool income) const;
};
// Reads the groups and the master's kinds (two queries and the master).
GroupMap readGroupMap(db::Book& book, app::Program program);

// A group as the entry dialog or the command line gives it.
struct GroupEdit {
    qint64 cd = 0;  // 0: a new group, given the next free code
    QString name;
    qint64 kind = 1;
    std::optional<qint64> sort;  // none: a new group goes last, a changed one keeps its place
    // The categories of the group: each must exist and be of the group's kind. One that is in
    // another group moves to this one; the group's members not listed leave it.
    QList<qint64> members;
};

struct GroupWrite {
    bool ok = false;
    QString error;      // Japanese, for the user; nothing was written then
    qint64 cd = 0;      // the group written
    BookChange change;  // its rows as they were and are (G01, G02, B02), for undo
};

// Adds or changes a group and its members, in one transaction. Refused: a read-only book or one
// without the group tables, an empty or too long name, a name another group has, a kind other
// than 0 or 1, a missing group (a change), a missing category or one of the other kind.
GroupWrite saveGroup(db::Book& book, app::Program program, const GroupEdit& edit);

// Deletes a group, its members' assignments (they become 未分類) and its budgets, in one
// transaction and one change.
GroupWrite deleteGroup(db::Book& book, qint64 cd);

// Puts a category into a group (moving it from any other), or takes it out of its group
// (group nullopt). Refused: a missing category or group, a group of the other kind.
GroupWrite assignToGroup(db::Book& book, app::Program program, qint64 code, std::optional<qint64> group);

// Writes groups and their members, as exported, into a book without groups (G01 and G02 empty),
// in one transaction; their codes are kept. Each is checked as saveGroup checks it, and a
// category may be in one group only. False with *error naming the group, nothing written.
bool insertGroups(db::Book& book, app::Program program, const QList<Group>& groups, QString* error);

// The assignments (G02 CDs) of the categories with codes from..to: what deleting them from the
// master deletes too. Empty before version 5.
QList<qint64> groupRowsOf(db::Book& book, qint64 from, qint64 to);

// The group of this name; nullopt when there is none.
std::optional<qint64> groupNamed(const QList<Group>& groups, const QString& name);

// A group as the group window lists it: its members are those the views show under it (the
// categories that exist and are of its kind), with their names, both in code order.
struct GroupListing {
    Group group;
    QStringList memberNames;
};
// Every group so, in SORT, CD order; nullopt when the book cannot be read.
std::optional<QList<GroupListing>> readGroupListing(db::Book& book, app::Program program);

// A category (item) as the group's entry dialog offers it: with the group the views show it
// under now (0 and an empty name: 未分類).
struct GroupCandidate {
    qint64 code = 0;
    QString name;
    qint64 group = 0;
    QString groupName;
};
// The categories of one kind (0 income, 1 expense) in code order; nullopt when the book cannot
// be read.
std::optional<QList<GroupCandidate>> groupCandidates(db::Book& book, app::Program program, qint64 kind);

// The three groups a new book is offered, with the standard categories (items) of each.
struct StandardGroup {
    QString name;
    qint64 kind = 1;
    QStringList members;  // names of standard categories
};
QList<StandardGroup> standardGroups(app::Program program);
// Writes the standard groups into a book without groups, assigning the categories of those
// names that exist with the group's kind, in one transaction. Refuses a book that has groups.
bool registerStandardGroups(db::Book& book, app::Program program, QString* error = nullptr);

}  // namespace ledger
