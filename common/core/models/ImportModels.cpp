#include "core/models/ImportModels.h"

namespace models {
namespace {

// A code as the code cells and their combos show it: "CD NM", or the bare code the master lacks.
QString codeText(const app::MasterCache& codes, qint64 code) {
    const ledger::MasterRow* m = codes.find(code);
    return m ? QString::number(code) + QLatin1Char(' ') + m->nm : QString::number(code);
}

bool editable(const QModelIndex& index, int role) { return index.isValid() && role == Qt::EditRole; }

}  // namespace

// ---- ImportPreviewModel ------------------------------------------------------------------------

ImportPreviewModel::ImportPreviewModel(const app::MasterCache& codes, QObject* parent)
    : RowsModel(10, parent), m_codes(codes) {
    const QStringList headers{"取込",       "行",      "日付", "入金", "出金", "摘要", "項目", "取り込まない理由",
                              "明細の残高", "行の合計"};
    for (int c = 0; c < headers.size(); ++c) setHeaderText(c, headers[c]);
}

void ImportPreviewModel::setPreview(const io::ImportPreview& preview) {
    m_balancePartsAt = preview.balancePartsAt;
    setRows(preview.rows);
}

bool ImportPreviewModel::tickable(const io::PreviewRow& r) {
    return r.status != io::RowStatus::Unreadable && r.status != io::RowStatus::NotARow &&
           r.status != io::RowStatus::Skipped;
}

QString ImportPreviewModel::cell(const io::PreviewRow& r, int column) const {
    if (column == kLine) return QString::number(r.line);
    if (!tickable(r)) {
        // The line as it was read, and why it cannot be ticked (or is passed over).
        if (column == kText) return r.fields.join(QStringLiteral(", "));
        return column == kReason ? r.reason : QString();
    }
    switch (column) {
        case kDate:
            return r.date;
        case kDeposit:
            return r.amount >= 0 ? QString::number(r.amount) : QString();
        case kWithdrawal:
            return r.amount < 0 ? QString::number(-r.amount) : QString();
        case kText:
            return r.description;
        case kCode:
            return codeText(m_codes, r.code);
        case kReason:
            return r.reason;
        case kBalance:
            return r.balance ? QString::number(*r.balance) : QString();
        case kRunningTotal:
            return QString::number(r.runningTotal);
        default:
            return {};
    }
}

bool ImportPreviewModel::rightAligned(int, int column) const {
    return column == kLine || column == kDeposit || column == kWithdrawal || column == kBalance ||
           column == kRunningTotal;
}

QVariant ImportPreviewModel::data(const QModelIndex& index, int role) const {
    const io::PreviewRow* r = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!r) return GridModel::data(index, role);
    switch (role) {
        case Qt::CheckStateRole:
            if (index.column() == kTick && tickable(*r)) return int(r->ticked ? Qt::Checked : Qt::Unchecked);
            return {};
        case kCodeRole:
            return index.column() == kCode && tickable(*r) ? QVariant(r->code) : QVariant();
        case kDirectionRole:
            return index.column() == kCode && tickable(*r) ? QVariant(r->amount > 0 ? 1 : 2) : QVariant();
        case kShadeRole:
            if (r->status == io::RowStatus::Unreadable) return int(Shade::Unreadable);
            if (!tickable(*r)) return int(Shade::PassedOver);
            // Where the statement's balance stops agreeing with the rows.
            if (r->line == m_balancePartsAt && (index.column() == kBalance || index.column() == kRunningTotal))
                return int(Shade::Unreadable);
            return int(Shade::None);
        default:
            return GridModel::data(index, role);
    }
}

bool ImportPreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= m_rows.size() || !tickable(m_rows[index.row()])) return false;
    io::PreviewRow& r = m_rows[index.row()];
    if (index.column() == kTick && role == Qt::CheckStateRole) {
        r.ticked = value.toInt() == Qt::Checked;
    } else if (index.column() == kCode && role == Qt::EditRole) {
        r.code = value.toLongLong();
        const ledger::MasterRow* m = m_codes.find(r.code);
        r.codeName = m ? m->nm : QString();
    } else {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags ImportPreviewModel::flags(const QModelIndex& index) const {
    const io::PreviewRow* r = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!r) return Qt::NoItemFlags;
    const Qt::ItemFlags fixed = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!tickable(*r)) return fixed;
    if (index.column() == kTick) return fixed | Qt::ItemIsUserCheckable;
    if (index.column() == kCode) return fixed | Qt::ItemIsEditable;
    return fixed;
}

// ---- ImportRulesModel --------------------------------------------------------------------------

ImportRulesModel::ImportRulesModel(const app::MasterCache& codes, QObject* parent)
    : EditableRowsModel(2, parent), m_codes(codes) {
    setHeaderText(kContains, QStringLiteral("含む文字"));
    setHeaderText(kCode, QStringLiteral("項目"));
}

QList<io::ImportRule> ImportRulesModel::rules() const {
    QList<io::ImportRule> out;
    for (const io::ImportRule& r : m_rows)
        if (!r.contains.trimmed().isEmpty()) out.append({r.contains.trimmed(), r.code});
    return out;
}

QString ImportRulesModel::cell(const io::ImportRule& r, int column) const {
    return column == kContains ? r.contains : codeText(m_codes, r.code);
}

QVariant ImportRulesModel::data(const QModelIndex& index, int role) const {
    const io::ImportRule* r = index.isValid() ? rowAt(index.row()) : nullptr;
    if (r && role == Qt::EditRole && index.column() == kContains) return r->contains;
    if (r && role == kCodeRole && index.column() == kCode) return r->code;
    return GridModel::data(index, role);
}

bool ImportRulesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable(index, role) || index.row() >= m_rows.size()) return false;
    io::ImportRule& r = m_rows[index.row()];
    if (index.column() == kContains)
        r.contains = value.toString();
    else
        r.code = value.toLongLong();
    emit dataChanged(index, index);
    return true;
}

// ---- ImportSkipIfModel -------------------------------------------------------------------------

ImportSkipIfModel::ImportSkipIfModel(QObject* parent) : EditableRowsModel(2, parent) {
    setHeaderText(0, QStringLiteral("列"));
    setHeaderText(1, QStringLiteral("値"));
}

QList<io::SkipCondition> ImportSkipIfModel::conditions() const {
    QList<io::SkipCondition> out;
    for (const io::SkipCondition& c : m_rows)
        if (!c.column.trimmed().isEmpty()) out.append({c.column.trimmed(), c.value.trimmed()});
    return out;
}

QString ImportSkipIfModel::cell(const io::SkipCondition& c, int column) const {
    return column == 0 ? c.column : c.value;
}

QVariant ImportSkipIfModel::data(const QModelIndex& index, int role) const {
    return GridModel::data(index, role == Qt::EditRole ? Qt::DisplayRole : role);
}

bool ImportSkipIfModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!editable(index, role) || index.row() >= m_rows.size()) return false;
    (index.column() == 0 ? m_rows[index.row()].column : m_rows[index.row()].value) = value.toString();
    emit dataChanged(index, index);
    return true;
}

}  // namespace models
