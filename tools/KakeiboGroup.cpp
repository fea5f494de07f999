#include "tools/KakeiboGroup.h"

#include <QFile>
#include <QHash>

#include "core/db/Convert.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Masters.h"
#include "tools/KakeiboIo.h"

namespace {

ledger::Master masterOf(app::Program program) {
    return program == app::Program::Bank ? ledger::Master::Item : ledger::Master::Category;
}

const QStringList& header() {
    static const QStringList h{QStringLiteral("グループｺｰﾄﾞ"), QStringLiteral("グループ名"), QStringLiteral("区分"),
                               QStringLiteral("順"),           QStringLiteral("科目ｺｰﾄﾞ"),   QStringLiteral("科目名")};
    return h;
}

}  // namespace

io::ExportTable groupsTable(db::Book& book, app::Program program) {
    io::ExportTable t;
    const auto groups = ledger::readGroups(book);
    if (!groups) {
        t.error = QStringLiteral("グループを読めません");
        return t;
    }
    QHash<qint64, QString> names;
    for (const ledger::MasterRow& m : ledger::readMasterList(book, masterOf(program))) names.insert(m.cd, m.nm);
    t.csv.rows << header();
    t.csv.textColumns = {1, 5};
    for (const ledger::Group& g : *groups) {
        const QStringList head{QString::number(g.cd), g.name, QString::number(g.kind), QString::number(g.sort)};
        if (g.members.isEmpty()) t.csv.rows << head + QStringList{QString(), QString()};
        for (qint64 code : g.members) t.csv.rows << head + QStringList{QString::number(code), names.value(code)};
    }
    t.ok = true;
    return t;
}

bool importGroupsTable(db::Book& book, app::Program program, const QString& csvPath,
                       std::optional<io::Encoding> encoding, bool raw, QString* error) {
    QFile f(csvPath);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("ファイルを読めません: %1").arg(kakeibo::shown(csvPath));
        return false;
    }
    const io::CsvFile file = io::readCsvBytes(f.readAll(), encoding);
    if (!file.ok) {
        *error = file.error;
        return false;
    }
    // A group's rows follow one another; the first of them gives its name, kind and order.
    QList<ledger::Group> groups;
    QHash<qint64, int> at;
    for (int i = 1; i < file.records.size(); ++i) {  // the header first
        const io::CsvRecord& r = file.records[i];
        if (r.isBlank()) continue;
        const auto cd = db::parseCode(r.fields.value(0));
        const auto kind = db::parseWhole(r.fields.value(2));
        const auto sort = db::parseWhole(r.fields.value(3));
        const QString member = r.fields.value(4).trimmed();
        const auto code = db::parseCode(member);
        if (!r.problem.isEmpty() || r.fields.size() < 5 || !cd || !kind || !sort || (!member.isEmpty() && !code)) {
            *error =
                QStringLiteral("%1 行目: %2 の行ではありません").arg(r.line).arg(header().join(QStringLiteral(", ")));
            return false;
        }
        if (!at.contains(*cd)) {
            ledger::Group g;
            g.cd = *cd;
            g.name = raw ? r.fields[1] : io::unguardFormula(r.fields[1]);
            g.kind = *kind;
            g.sort = *sort;
            at.insert(*cd, int(groups.size()));
            groups << g;
        }
        if (code) groups[at.value(*cd)].members << *code;
    }
    return ledger::insertGroups(book, program, groups, error);
}
