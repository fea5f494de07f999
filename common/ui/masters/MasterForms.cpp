#include "ui/masters/MasterForms.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Groups.h"
#include "ui/groups/GroupWindows.h"
#include "ui/io/CsvExport.h"
#include "ui/menu/MenuForm.h"
#include "ui/print/PrintWriters.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"
#include "ui/shell/Msg.h"

namespace ui {
namespace {

// The texts the windows set or show at run time; the rest is in the programs' Designer files.
const QString kCodeHeader = QStringLiteral("ｺｰﾄﾞ");
const QString kIncome = QStringLiteral("収入");
const QString kExpense = QStringLiteral("支出");
const QString kCannotInsert = QStringLiteral("追加できません");
const QString kCannotUpdate = QStringLiteral("更新できません");
const QString kCannotDelete = QStringLiteral("削除できません");
const QString kBadCode = QStringLiteral("ｺｰﾄﾞは1～32767の整数で入力してください");
const QString kAskDelete = QStringLiteral("%1:%2を削除します。\r\nよろしいですか？");
const QString kAskDeleteRange = QStringLiteral("%1:%2から%3:%4までを削除します。\r\nよろしいですか？");
const QString kCannotRecalc = QStringLiteral("残高を再計算できません");

// A widget the window's Designer file must hold (without a name: the one of its class). A missing
// one is a fault of the file, found at the first opening rather than as a crash later on.
template <class T>
T* part(const QWidget* parent, const char* name = nullptr) {
    T* w = parent->findChild<T*>(name ? QString::fromLatin1(name) : QString());
    if (!w) qFatal("%s: no %s %s", qPrintable(parent->objectName()), T::staticMetaObject.className(), name ? name : "");
    return w;
}

// A code box: codes are typed in plain digits, without an input method.
QLineEdit* codeBox(const QWidget* parent, const char* name) {
    QLineEdit* e = part<QLineEdit>(parent, name);
    markNumeric(e);
    return e;
}

// The ｷｬﾝｾﾙ button of an overlay frame: the frame's one button beside its action. Its name
// differs between the programs, so it is known by its place rather than by name.
QPushButton* cancelOf(const QFrame* frame, const QPushButton* action) {
    for (QPushButton* b : frame->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (b != action) return b;
    qFatal("%s: no cancel button", qPrintable(frame->objectName()));
    return nullptr;
}

// A frame lying over the grid, hidden until its key shows it.
QFrame* overlay(const QWidget* parent, const char* name) {
    auto* f = part<QFrame>(parent, name);
    f->hide();
    return f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The list window

MasterList::MasterList(app::Session& session, MasterDesc desc, QWidget* parent)
    : FormBase(session, desc.caption, parent), m_desc(std::move(desc)) {
    m_desc.setupList(this);

    // The window's one grid, whatever its name (grd_T01, grd_T02).
    m_grid = part<FlexGrid>(this);
    m_rows = new models::MasterListModel(m_desc.master, this);
    m_grid->setGridModel(m_rows);
    setFillWidget(m_grid);

    // Modify by code.
    m_frmCd = overlay(this, "frm_select_cd");
    m_txtCd = codeBox(m_frmCd, "txt_cd");
    auto* syusei = part<QPushButton>(m_frmCd, "cmd_syusei");
    auto* cancelCd = cancelOf(m_frmCd, syusei);

    // Delete by code or code range.
    m_frmCd2 = overlay(this, "frm_select_cd2");
    m_txtCd2[0] = codeBox(m_frmCd2, "txt_cd2_0");
    m_txtCd2[1] = codeBox(m_frmCd2, "txt_cd2_1");
    auto* sakujyo = part<QPushButton>(m_frmCd2, "cmd_sakujyo");
    auto* cancelCd2 = cancelOf(m_frmCd2, sakujyo);

    // Print side.
    m_frmOmote = overlay(this, "frm_select_omote");
    m_front = part<QRadioButton>(m_frmOmote, "Option1_0");
    auto* print = part<QPushButton>(m_frmOmote, "Command6");
    auto* cancelPrint = cancelOf(m_frmOmote, print);

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("入力"), [this] { openEntry(); });
    setFKey(2, QStringLiteral("番号指定削除"), [this] { showDeleteFrame(); });
    setFKey(3, QStringLiteral("番号指定修正"), [this] { showModifyFrame(); });
    setFKey(9, QStringLiteral("一覧印刷"), [this] { openFrame(m_frmOmote); });
    setFKey(10, QStringLiteral("終了"), [this] { finish(); });

    connect(syusei, &QPushButton::clicked, this, &MasterList::modifyByCode);
    connect(sakujyo, &QPushButton::clicked, this, &MasterList::deleteByCode);
    connect(print, &QPushButton::clicked, this, &MasterList::printSelected);
    // Cancel hides its own frame; the boxes keep their text.
    connect(cancelCd, &QPushButton::clicked, this, [this] { hideFrame(m_frmCd); });
    connect(cancelCd2, &QPushButton::clicked, this, [this] { hideFrame(m_frmCd2); });
    connect(cancelPrint, &QPushButton::clicked, this, [this] { hideFrame(m_frmOmote); });

    onEnter(m_txtCd, [this] {
        modifyByCode();
        return false;
    });
    onEnter(m_txtCd2[0], [this] {
        if (!m_txtCd2[0]->text().isEmpty()) m_txtCd2[1]->setFocus(Qt::TabFocusReason);
        return false;
    });
    onEnter(m_txtCd2[1], [this] {
        deleteByCode();
        return false;
    });
    onShiftLeft(m_txtCd2[1], m_txtCd2[0]);

    connect(m_grid, &FlexGrid::clickedRow, this, [this](int row) {
        if (row > 0) m_selRow = row;
    });
    connect(m_grid, &FlexGrid::doubleClicked, this, &MasterList::doubleClick);
    connect(m_grid, &FlexGrid::deletePressed, this, &MasterList::deleteKey);
    addCsvExport(this, m_grid, [this] { return modelExport(*m_rows, m_desc.caption + QStringLiteral(".csv")); });
    // Items and categories are put into groups: the groups' window is on the grid's right-click
    // menu, without a key of its own, so that the list's keys stay as they are.
    if (m_desc.master != ledger::Master::Bank) {
        auto* groups = new QAction(QStringLiteral("グループの設定"), m_grid);
        groups->setObjectName(QStringLiteral("groupAction"));
        connect(groups, &QAction::triggered, this, [this] { openGroupWindow(this); });
        m_grid->addAction(groups);
    }

    // Opening: headers with their default widths, the stored layout, the rows.
    m_grid->setHeader(0, kCodeHeader, 1000);
    m_grid->setHeader(1, m_desc.nameHeader, 5000);
    m_grid->setHeader(2, m_desc.thirdHeader, 3000);
    setLayoutKeys(m_desc.layoutPrefix, m_grid, m_desc.gridPrefix, 3);
    restoreLayout();
    Fill_List();
    m_selRow = 1;
    m_grid->setFocus();
}

MasterDialog* MasterList::dialog() {
    if (!m_dialog) m_dialog = m_desc.createDialog ? m_desc.createDialog(this) : new MasterDialog(m_desc, this);
    return m_dialog;
}

void MasterList::Fill_List() {
    // The cursor stays where it was (or on the new last row), so that the Delete key keeps
    // working after a reload.
    const int current = m_grid->row();
    m_rows->setRows(ledger::readMasterList(book(), m_desc.master));
    if (current > 0) m_grid->setRow(std::min(current, m_grid->rows() - 1));
}

void MasterList::showWritten(const ledger::MasterRow& row, bool inserted) {
    // The written row becomes the current one, as writing a cell selects it.
    m_grid->setRow(m_rows->put(row, inserted) + 1);
}

void MasterList::openEntry() {
    MasterDialog* entry = dialog();
    Set_FKeyEnabled(this, false);
    // Modeless: the bar comes back at once and the list stays usable beside the dialog.
    entry->openNew();
    Set_FKeyEnabled(this, true);
}

void MasterList::showDeleteFrame() { openFrame(m_frmCd2, {m_txtCd2[0], m_txtCd2[1]}); }

void MasterList::showModifyFrame() { openFrame(m_frmCd, {m_txtCd}); }

void MasterList::hideFrame(QFrame* frame) {
    const bool hadFocus = frame->isAncestorOf(QApplication::focusWidget());
    frame->hide();
    if (hadFocus) m_grid->setFocus(Qt::OtherFocusReason);
}

namespace {
// A code typed into the modify or delete box: a whole number within the codes' range. 0 is let
// through, so that the Delete key on an empty list answers that there is no such record.
std::optional<qint64> listCode(const QString& text) {
    const auto v = db::parseWhole(text);
    if (!v || *v < 0 || *v > db::kMaxCode) return std::nullopt;
    return v;
}
}  // namespace

void MasterList::modifyByCode() {
    const QString text = m_txtCd->text();
    if (text.trimmed().isEmpty()) return;
    const auto code = listCode(text);
    if (!code) {
        refuse(m_txtCd, kBadCode);
        return;
    }
    // The search is made in the grid, as the user sees the list.
    const auto row = m_rows->rowOfCode(*code);
    hideFrame(m_frmCd);
    if (!row) {
        critical(kNoRecord);
        return;
    }
    dialog()->Edit_Master(*code);
}

void MasterList::deleteByCode() {
    const QString fromText = m_txtCd2[0]->text();
    if (fromText.trimmed().isEmpty()) return;
    if (refuseReadOnly()) return;
    const auto from = listCode(fromText);
    if (!from) {
        refuse(m_frmCd2->isVisible() ? m_txtCd2[0] : nullptr, kBadCode);
        return;
    }
    std::optional<qint64> to;
    const QString toText = m_txtCd2[1]->text();
    if (!toText.trimmed().isEmpty()) {
        // A second code that is not a whole number is refused rather than guessed at.
        to = listCode(toText);
        if (!to) {
            refuse(m_frmCd2->isVisible() ? m_txtCd2[1] : nullptr, kBadCode);
            return;
        }
    }
    const ledger::MasterRow* row1 = m_rows->rowAt(m_rows->rowOfCode(*from).value_or(-1));
    const ledger::MasterRow* row2 = to ? m_rows->rowAt(m_rows->rowOfCode(*to).value_or(-1)) : nullptr;
    if (!row1) {
        critical(kNoRecord);
        return;
    }
    const QString name1 = row1->nm;
    bool ok = true;
    QString error;
    const QString table = ledger::masterTable(m_desc.master);
    ledger::BookChange change;
    if (!row2) {
        if (ask(kAskDelete.arg(*from).arg(name1))) {
            change = ledger::beginChange(book(), table, {*from});
            if (m_desc.master != ledger::Master::Bank)
                ledger::addToChange(book(), change, ledger::kGroupMemberTable,
                                    ledger::groupRowsOf(book(), *from, *from));
            ok = ledger::Delete_Master(book(), m_desc.master, *from, &error);
        }
    } else {
        const QString name2 = row2->nm;
        if (ask(kAskDeleteRange.arg(*from).arg(name1).arg(*to).arg(name2))) {
            change = ledger::beginChange(book(), table, ledger::codesBetween(book(), table, *from, *to));
            keepGroupRows(change, *from, *to);
            ok = ledger::Delete_MasterRange(book(), m_desc.master, *from, *to, &error);
        }
    }
    if (!ok) {
        critical(kCannotDelete);
    } else if (!change.parts.isEmpty()) {
        ledger::finishChange(book(), change);
        session().recordChange(change);
    }
    // Whatever was answered, the grid shows what is stored.
    Fill_List();
    hideFrame(m_frmCd2);
}

// The assignments to groups that deleting categories or items takes with them, so that undo
// brings them back.
void MasterList::keepGroupRows(ledger::BookChange& change, qint64 from, qint64 to) {
    if (m_desc.master == ledger::Master::Bank) return;
    const QList<qint64> rows = ledger::groupRowsOf(book(), from, to);
    if (!rows.isEmpty()) ledger::addToChange(book(), change, ledger::kGroupMemberTable, rows);
}

void MasterList::deleteKey() {
    if (m_desc.deleteKeyModifies) {
        showModifyFrame();
        return;
    }
    const ledger::MasterRow* row = m_rows->rowAt(m_grid->row() - 1);
    // An empty list looks for code 0, and so says that there is no such record.
    m_txtCd2[0]->setText(QString::number(row ? row->cd : 0));
    m_txtCd2[1]->clear();
    deleteByCode();
}

void MasterList::doubleClick() {
    QPushButton* f1 = fKey(1);
    if (f1) f1->setEnabled(false);
    const ledger::MasterRow* row = m_rows->rowAt(m_selRow - 1);
    dialog()->Edit_Master(row ? row->cd : 0);
    if (f1) f1->setEnabled(true);
}

void MasterList::printSelected() {
    hideFrame(m_frmOmote);
    printRun(m_front->isChecked(), [this] { Print_List(); });
}

void MasterList::Print_List() {
    printDocument(session(), this, print::listTitle(m_desc.printList), [this](print::PageWriter& out) {
        return print::Print_List(out, m_desc.printList, m_rows->rowTexts(), session().flg_Front);
    });
}

void MasterList::queryUnload() {
    // The dialog writes into this list's grid: it does not outlive the list.
    if (m_dialog && m_dialog->isVisible()) m_dialog->close();
}

void MasterList::finish() {
    app::Session& s = session();
    const MasterDesc desc = m_desc;
    QWidget* owner = parentWidget();
    close();
    // The master check: reopen the shared masters and say which one is still empty.
    const bool items = !desc.missingSecond.isEmpty();
    s.reopenMasters();
    if (!s.flg_T01) s.show(owner, desc.missingFirst, app::Icon::Information);
    if (items && !s.flg_T02) s.show(owner, desc.missingSecond, app::Icon::Information);
    s.Set_MenuEnabled(true);
    if (!s.flg_T01 || (items && !s.flg_T02)) s.Set_MenuEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// The entry dialog

MasterDialog::MasterDialog(const MasterDesc& desc, MasterList* list)
    : FormBase(list->session(), desc.caption, list), m_desc(desc), m_list(list) {
    m_desc.setupDialog(this);

    const bool bank = isBank();
    m_cd = codeBox(this, "txt_cd");
    m_nm = part<QLineEdit>(this, "txt_nm");
    if (bank) {
        m_zan = part<QLabel>(this, "lbl_zan");
    } else {
        // The kind is stored as the entry's data: 0 income, 1 expense.
        m_kind = part<QComboBox>(this, "cmb_bunrui");
        m_kind->addItem(kIncome, 0);
        m_kind->addItem(kExpense, 1);
    }

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("更新"), [this] { write(); });
    if (!bank) {
        setFKey(2, kIncome, [this] { m_kind->setCurrentIndex(0); });
        setFKey(3, kExpense, [this] { m_kind->setCurrentIndex(1); });
    }
    const int previousKey = m_desc.swapPrevNext ? 5 : 4;
    const int nextKey = m_desc.swapPrevNext ? 4 : 5;
    setFKey(previousKey, QStringLiteral("前項目"), [this] { previous(); });
    setFKey(nextKey, QStringLiteral("次項目"), [this] { next(); });
    setFKey(6, QStringLiteral("最初"), [this] { first(); });
    setFKey(7, QStringLiteral("最後"), [this] { last(); });
    if (bank) {
        // 再計算 is a button only: the key F8 is left alone.
        QPushButton* f8 = fKey(8);
        f8->setText(QStringLiteral("再計算"));
        connect(f8, &QPushButton::clicked, this, &MasterDialog::recalc);
    }
    setFKey(9, QStringLiteral("ｸﾘｱ"), [this] { clear(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });

    onEnter(m_cd, [this] {
        const QString text = m_cd->text();
        if (text.trimmed().isEmpty()) return true;
        const auto code = db::parseCode(text);
        if (!code) {
            refuse(m_cd, kBadCode);
            return false;
        }
        Load_Master(*code);
        return true;
    });
    onEnter(m_nm);
    onShiftLeft(m_nm, m_cd);
}

void MasterDialog::showEvent(QShowEvent* e) {
    FormBase::showEvent(e);
    // The dialog's caption is fixed: only the list shows the clock.
    if (auto* clock = findChild<QTimer*>(QStringLiteral("Timer1"))) clock->stop();
    m_cd->setFocus(Qt::OtherFocusReason);
}

void MasterDialog::present() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    if (m_desc.modeless)
        showModeless();
    else
        showModal();
}

void MasterDialog::openNew() {
    if (!isVisible()) {
        Hourglass wait;
        Clear_Master();
    }
    present();
}

void MasterDialog::Edit_Master(qint64 code) {
    const bool open = isVisible();
    {
        Hourglass wait;
        if (!open) Clear_Master();
        if (!Load_Master(code)) Clear_Master();
    }
    if (open) {
        raise();
        activateWindow();
        m_cd->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Opened on a chosen row, the dialog is modal in both programs.
    showModal();
}

void MasterDialog::Clear_Master() {
    m_cd->setText(QString::number(db::Get_Max(book(), ledger::masterTable(m_desc.master), QStringLiteral("CD")) + 1));
    m_nm->clear();
    if (m_zan) m_zan->setText(QStringLiteral("0"));
    if (m_kind) m_kind->setCurrentIndex(0);
}

bool MasterDialog::Load_Master(qint64 code) {
    db::Rs rs;
    if (ledger::Find_Master(book(), m_desc.master, code, rs) != db::kRows) return false;
    m_cd->setText(QString::number(code));
    m_nm->setText(db::To_Str(rs->field(QStringLiteral("NM")), QString()));
    if (m_zan) m_zan->setText(QString::number(db::To_Cur(rs->field(QStringLiteral("ZAN")), 0)));
    if (m_kind) {
        const int i = findComboEntry(m_kind, db::To_Long(rs->field(QStringLiteral("KIND")), 0));
        if (i >= 0) m_kind->setCurrentIndex(i);
    }
    db::Close_Rs(rs);
    return true;
}

std::optional<int> MasterDialog::checkedCode() {
    const auto code = db::parseCode(m_cd->text());
    if (!code) {
        refuse(m_cd, kBadCode);
    }
    return code;
}

void MasterDialog::write() {
    if (refuseReadOnly()) return;
    const auto code = checkedCode();
    if (!code) return;
    const QString name = m_nm->text();
    const qint64 third = m_zan ? db::parseWhole(m_zan->text()).value_or(0) : m_kind->currentData().toLongLong();
    ledger::MasterRow written{*code, name, {}, {}};
    (m_zan ? written.zan : written.kind) = third;
    bool inserted = false;
    bool ok = false;
    {
        Hourglass wait;
        Set_FKeyEnabled(this, false);
        db::Rs rs;
        // A failed look-up counts as found: an update never adds a second row.
        inserted = ledger::Find_Master(book(), m_desc.master, *code, rs) == db::kEmpty;
        db::Close_Rs(rs);
        ledger::BookChange change = ledger::beginChange(book(), ledger::masterTable(m_desc.master), {*code});
        ok = inserted ? ledger::Insert_Master(book(), m_desc.master, *code, name, third)
                      : ledger::Update_Master(book(), m_desc.master, *code, name, third);
        if (ok) {
            ledger::finishChange(book(), change);
            session().recordChange(change);
            if (m_list) m_list->showWritten(written, inserted);
            Clear_Master();
        }
        Set_FKeyEnabled(this, true);
    }
    // A failed write keeps what was typed, so that nothing is lost.
    if (!ok) critical(inserted ? kCannotInsert : kCannotUpdate);
    m_cd->setFocus(Qt::OtherFocusReason);
}

void MasterDialog::previous() {
    const auto code = checkedCode();
    if (!code) return;
    if (const auto n = ledger::previousCode(book(), m_desc.master, *code)) {
        Load_Master(*n);
        m_cd->setFocus(Qt::OtherFocusReason);
    }
}

void MasterDialog::next() {
    const auto code = checkedCode();
    if (!code) return;
    if (*code + 1 > db::Get_Max(book(), ledger::masterTable(m_desc.master), QStringLiteral("CD"))) {
        // Past the last row: a new row with the next code.
        {
            Hourglass wait;
            Set_FKeyEnabled(this, false);
            Clear_Master();
            Set_FKeyEnabled(this, true);
        }
        m_cd->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto n = ledger::nextCode(book(), m_desc.master, *code)) {
        Load_Master(*n);
        m_cd->setFocus(Qt::OtherFocusReason);
    }
}

void MasterDialog::first() {
    Load_Master(db::Get_Min(book(), ledger::masterTable(m_desc.master), QStringLiteral("CD")));
}

void MasterDialog::last() {
    Load_Master(db::Get_Max(book(), ledger::masterTable(m_desc.master), QStringLiteral("CD")));
}

void MasterDialog::recalc() {
    if (refuseReadOnly()) return;
    const auto code = checkedCode();
    if (!code || !m_zan) return;
    ledger::BankZan r;
    {
        Hourglass wait;
        r = ledger::Recalc_BankZan(book(), *code);
    }
    if (r.ok) {
        m_zan->setText(QString::number(r.zan));
        return;
    }
    // Nothing was stored: the balance shown stays as it was.
    critical(kCannotRecalc);
}

void MasterDialog::clear() {
    m_nm->clear();
    if (m_kind) m_kind->setCurrentIndex(0);
}

}  // namespace ui
