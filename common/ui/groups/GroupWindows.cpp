#include "ui/groups/GroupWindows.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

#include "core/db/Convert.h"
#include "ui/io/CsvExport.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"
#include "ui_GroupDialog.h"
#include "ui_GroupList.h"

namespace ui {
namespace {

const QString kCaption = QStringLiteral("グループの設定");
const QString kIncome = QStringLiteral("収入");
const QString kExpense = QStringLiteral("支出");
const QString kCannotRead = QStringLiteral("グループを読めません");

// What a group holds: categories in the household book, items in the bank book.
QString memberWord(app::Session& s) {
    return s.program() == app::Program::Bank ? QStringLiteral("項目") : QStringLiteral("科目");
}

// A read-only book names its own reason (asked for, a newer version, a trigger); true when it
// refused, so that nothing is written.
bool refusedReadOnly(FormBase* w) {
    if (!w->book().isReadOnly()) return false;
    w->critical(w->book().readOnlyMessage());
    return true;
}

}  // namespace

// ---- The list ------------------------------------------------------------------------------

GroupListForm::GroupListForm(app::Session& session, QWidget* parent)
    : FormBase(session, kCaption, parent), ui(std::make_unique<Ui::GroupList>()) {
    ui->setupUi(this);
    setWindowTitle(title());
    m_groups = new models::GroupListModel(memberWord(session), this);
    FlexGrid* g = ui->grd_G01;
    g->setGridModel(m_groups);
    const QList<int> widths = {700, 2200, 800, 800, 800, 5000};
    for (int c = 0; c < widths.size(); ++c) g->setColWidthTwips(c, widths[c]);
    setFillWidget(g);
    connect(g, &FlexGrid::doubleClicked, this, &GroupListForm::modifySelected);
    connect(g, &FlexGrid::deletePressed, this, &GroupListForm::removeSelected);
    addCsvExport(this, g, [this] { return modelExport(*m_groups, kCaption + QStringLiteral(".csv")); });

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("入力"), [this] { add(); });
    setFKey(2, QStringLiteral("削除"), [this] { removeSelected(); });
    setFKey(3, QStringLiteral("修正"), [this] { modifySelected(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    setLayoutKeys(QStringLiteral("G01List"), g, QStringLiteral("grd_G01ColWidth"), int(widths.size()));
    restoreLayout();
    fill();
    g->setFocus();
}

GroupListForm::~GroupListForm() = default;

FlexGrid* GroupListForm::grid() const { return ui->grd_G01; }

void GroupListForm::fill() {
    const qint64 was = selectedGroup();
    const auto rows = ledger::readGroupListing(book(), session().program());
    if (!rows) critical(kCannotRead);
    m_groups->setRows(rows.value_or(QList<ledger::GroupListing>{}));
    const int row = was ? m_groups->rowOf(was) : -1;
    if (m_groups->rowCount() > 0) grid()->setRow(row >= 0 ? row + 1 : 1);
}

qint64 GroupListForm::selectedGroup() const {
    const ledger::GroupListing* r = m_groups ? m_groups->rowAt(grid()->row() - 1) : nullptr;
    return r ? r->group.cd : 0;
}

void GroupListForm::add() { edit(std::nullopt); }

void GroupListForm::modifySelected() {
    const ledger::GroupListing* r = m_groups->rowAt(grid()->row() - 1);
    if (!r) {
        info(kNoRecord);
        return;
    }
    edit(r->group);
}

void GroupListForm::edit(const std::optional<ledger::Group>& group) {
    if (refusedReadOnly(this)) return;
    if (m_dialog) return;
    // A new group is offered the place after the last one.
    qint64 nextSort = 1;
    for (const ledger::GroupListing& r : m_groups->rows()) nextSort = std::max(nextSort, r.group.sort + 1);
    auto* d = new GroupDialog(session(), group, nextSort, this);
    m_dialog = d;
    d->showModal();
    const qint64 written = d->written();
    delete d;
    if (!written) return;
    fill();
    const int row = m_groups->rowOf(written);
    if (row >= 0) grid()->setRow(row + 1);
}

void GroupListForm::removeSelected() {
    const ledger::GroupListing* r = m_groups->rowAt(grid()->row() - 1);
    if (!r) {
        info(kNoRecord);
        return;
    }
    if (refusedReadOnly(this)) return;
    const qint64 cd = r->group.cd;
    const QString question = QStringLiteral(
                                 "%1:%2を削除します。\r\nグループの%3は未分類になり、グループの予算も削除されます。"
                                 "\r\nよろしいですか？")
                                 .arg(cd)
                                 .arg(r->group.name, memberWord(session()));
    if (!ask(question)) return;
    const ledger::GroupWrite w = ledger::deleteGroup(book(), cd);
    if (!w.ok) {
        critical(w.error);
    } else {
        session().recordChange(w.change);
    }
    fill();
}

// ---- The entry dialog ----------------------------------------------------------------------

GroupDialog::GroupDialog(app::Session& session, const std::optional<ledger::Group>& group, qint64 nextSort,
                         QWidget* parent)
    : FormBase(session, kCaption, parent), ui(std::make_unique<Ui::GroupDialog>()) {
    ui->setupUi(this);
    setWindowTitle(title());
    setModal(true);
    const QString word = memberWord(session);
    ui->lbl_members->setText(QStringLiteral("%1（チェックした%1がこのグループに入ります）").arg(word));
    ui->lbl_tick->setText(
        QStringLiteral("Spaceキーでチェック。グループ名付きの%1は、チェックするとこのグループに移ります").arg(word));
    // The kind is stored as the entry's data: 0 income, 1 expense.
    ui->cmb_bunrui->addItem(kIncome, 0);
    ui->cmb_bunrui->addItem(kExpense, 1);
    markNumeric(ui->txt_sort);

    if (group) {
        m_group = *group;
    } else {
        m_group.kind = 1;  // most groups are of spending
        m_group.sort = nextSort;
    }
    for (qint64 code : m_group.members) m_ticked.insert(code);
    ui->lbl_cd->setText(m_group.cd ? QString::number(m_group.cd) : QStringLiteral("新規"));
    ui->txt_nm->setText(m_group.name);
    ui->cmb_bunrui->setCurrentIndex(std::max(0, findComboEntry(ui->cmb_bunrui, m_group.kind)));
    ui->txt_sort->setText(QString::number(m_group.sort));
    fillMembers();
    connect(ui->cmb_bunrui, &QComboBox::currentIndexChanged, this, &GroupDialog::fillMembers);
    connect(ui->lst_members, &QListWidget::itemChanged, this, &GroupDialog::ticked);
    setFillWidget(ui->lst_members);

    onEnter(ui->txt_nm);
    onEnter(ui->cmb_bunrui);
    onEnter(ui->txt_sort);
    onEnter(ui->lst_members);
    onShiftLeft(ui->cmb_bunrui, ui->txt_nm);
    onShiftLeft(ui->txt_sort, ui->cmb_bunrui);
    onShiftLeft(ui->lst_members, ui->txt_sort);

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("更新"), [this] {
        if (write()) close();
    });
    setFKey(2, kIncome, [this] { ui->cmb_bunrui->setCurrentIndex(0); });
    setFKey(3, kExpense, [this] { ui->cmb_bunrui->setCurrentIndex(1); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    ui->txt_nm->setFocus();
}

GroupDialog::~GroupDialog() = default;

qint64 GroupDialog::kind() const { return ui->cmb_bunrui->currentData().toLongLong(); }

void GroupDialog::fillMembers() {
    QListWidget* list = ui->lst_members;
    const QSignalBlocker quiet(list);
    list->clear();
    const auto candidates = ledger::groupCandidates(book(), session().program(), kind());
    if (!candidates) {
        critical(kCannotRead);
        return;
    }
    for (const ledger::GroupCandidate& c : *candidates) {
        QString text = QStringLiteral("%1 %2").arg(c.code).arg(c.name);
        // The group it is in now, unless it is this one: ticking it moves it here.
        if (c.group && c.group != m_group.cd) text += QStringLiteral("　（%1）").arg(c.groupName);
        auto* item = new QListWidgetItem(text, list);
        item->setData(Qt::UserRole, c.code);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(m_ticked.contains(c.code) ? Qt::Checked : Qt::Unchecked);
    }
    if (list->count() > 0) list->setCurrentRow(0);
}

void GroupDialog::ticked(QListWidgetItem* item) {
    const qint64 code = item->data(Qt::UserRole).toLongLong();
    if (item->checkState() == Qt::Checked)
        m_ticked.insert(code);
    else
        m_ticked.remove(code);
}

bool GroupDialog::write() {
    if (refusedReadOnly(this)) return false;
    const QString name = ui->txt_nm->text().trimmed();
    if (name.isEmpty()) {
        refuse(ui->txt_nm, QStringLiteral("グループ名を入力してください"));
        return false;
    }
    std::optional<qint64> sort;
    if (!ui->txt_sort->text().trimmed().isEmpty()) {
        const auto v = db::parseWhole(ui->txt_sort->text());
        if (!v || *v < 0 || *v > db::kMaxCode) {
            refuse(ui->txt_sort, QStringLiteral("順序は0～%1の整数で入力してください").arg(db::kMaxCode));
            return false;
        }
        sort = *v;
    }
    ledger::GroupEdit edit;
    edit.cd = m_group.cd;
    edit.name = name;
    edit.kind = kind();
    edit.sort = sort;
    // Only what is shown counts: ticks left on the other kind's list are not the group's.
    for (int i = 0; i < ui->lst_members->count(); ++i) {
        const QListWidgetItem* item = ui->lst_members->item(i);
        if (item->checkState() == Qt::Checked) edit.members << item->data(Qt::UserRole).toLongLong();
    }
    const ledger::GroupWrite w = ledger::saveGroup(book(), session().program(), edit);
    if (!w.ok) {
        // Nothing was written; what was typed stays for the user to put right.
        refuse(ui->txt_nm, w.error);
        return false;
    }
    session().recordChange(w.change);
    m_written = w.cd;
    return true;
}

// ---- Opening from a master list --------------------------------------------------------------

void openGroupWindow(FormBase* from) {
    app::Session& session = from->session();
    // A read-only book is shown as it is: the window refuses every write.
    if (!session.book().isReadOnly() && !from->upgradeFor(ledger::kGroupVersion)) return;
    GroupListForm w(session, from);
    w.showModal();
}

}  // namespace ui
