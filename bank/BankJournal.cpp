#include "bank/BankJournal.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "bank/BankWindows.h"
#include "core/AppState.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "core/ledger/BankBook.h"
#include "core/ledger/Dates.h"
#include "ui/Grid.h"
#include "ui/Inputs.h"
#include "ui/MenuForm.h"
#include "ui/PrintWriters.h"
#include "ui_BankJournal.h"

namespace bank {
namespace {

// Record numbers run past 32767 in a long-kept book; only master codes keep that limit.
const QString kRecordNumberText = QStringLiteral("レコード番号は1以上の整数で入力してください");

const QString kInput = QStringLiteral("入力");
const QString kUpdate = QStringLiteral("更新");

QString numberText(const QVariant& v) {
    if (!db::isNumeric(v)) return db::To_Str(v, QString());
    return QString::number(db::To_Long(v, 0));
}

}  // namespace

form_S0101::form_S0101(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("銀行帳入力"), parent) {
    build();

    // Opening: the present month, an empty entry area, the grid header, the stored layout.
    txt_date->setMonth(ledger::monthText(session.now().date()));
    Clear_Entry();
    const struct {
        const char* text;
        int twips;
    } headers[] = {{"番号", 500},  {"日付", 1500}, {"科目ｺｰﾄﾞ", 800}, {"科目名", 2000},
                   {"収入", 1000}, {"支出", 1000}, {"備考", 3000}};
    for (int c = 0; c < 7; ++c) grd_S01->setHeader(c, QString::fromUtf8(headers[c].text), headers[c].twips);
    grd_S01->fitColumn(0, QStringLiteral("000000"));
    setLayoutKeys(QStringLiteral("S0101"), grd_S01, QStringLiteral("grd_S01ColWidth"), 7);
    restoreLayout();
    tickClock();
    txt_day->setFocus();
}

void form_S0101::build() {
    Ui::BankJournal ui;
    ui.setupUi(this);
    txt_date = ui.txt_date;
    txt_day = ui.txt_day;
    txt_b_cd = ui.txt_b_cd;
    cmb_b_nm = ui.cmb_b_nm;
    lbl_zan = ui.lbl_zan;
    txt_rec_no = ui.txt_rec_no;
    txt_k_cd = ui.txt_k_cd;
    cmb_k_nm = ui.cmb_k_nm;
    txt_kingaku = ui.txt_kingaku;
    txt_biko = ui.txt_biko;
    cmd_input = ui.cmd_input;
    grd_S01 = ui.grd_S01;
    frm_select_cd = ui.frm_select_cd;
    txt_cd = ui.txt_cd;
    frm_select_cd2 = ui.frm_select_cd2;
    txt_cd2[0] = ui.txt_cd2_0;
    txt_cd2[1] = ui.txt_cd2_1;
    frm_select_omote = ui.frm_select_omote;
    Option1[0] = ui.Option1_0;
    Option1[1] = ui.Option1_1;

    for (QLineEdit* e : {static_cast<QLineEdit*>(txt_date), txt_day, txt_b_cd, txt_rec_no, txt_k_cd, txt_kingaku,
                         txt_cd, txt_cd2[0], txt_cd2[1]})
        ui::markNumeric(e);
    m_month = new models::BankMonthModel(this);
    grd_S01->setGridModel(m_month);
    setFillWidget(grd_S01);
    // The three frames beside the entry area are hidden until their key.
    for (QWidget* f : {frm_select_cd, frm_select_cd2, frm_select_omote}) f->hide();
    auto* Command1 = ui.Command1;
    auto* Command2 = ui.Command2;
    auto* Command3 = ui.Command3;
    auto* Command4 = ui.Command4;
    auto* Command5 = ui.Command5;
    auto* Command6 = ui.Command6;
    auto* Command7 = ui.Command7;
    auto* Command8 = ui.Command8;
    auto* cmd_syusei = ui.cmd_syusei;
    auto* cmd_sakujyo = ui.cmd_sakujyo;

    // Function keys.
    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("入力"), [this] {
        ui::Hourglass wait;
        Clear_Entry();
        txt_day->setFocus();
    });
    setFKey(2, QStringLiteral("番号指定削除"), [this] {
        txt_cd2[0]->clear();
        txt_cd2[1]->clear();
        frm_select_cd2->show();
        frm_select_cd2->raise();
        txt_cd2[0]->setFocus();
    });
    setFKey(3, QStringLiteral("番号指定修正"), [this] {
        txt_cd->clear();
        frm_select_cd->show();
        frm_select_cd->raise();
        txt_cd->setFocus();
    });
    setFKey(4, QStringLiteral("前レコード"), [this] { moveRecord(4); });
    setFKey(5, QStringLiteral("次レコード"), [this] { moveRecord(5); });
    setFKey(6, QStringLiteral("最初"), [this] { moveRecord(6); });
    setFKey(7, QStringLiteral("最後"), [this] { moveRecord(7); });
    setFKey(8, QStringLiteral("再計算"), [this] { recalculate(); });
    setFKey(9, QStringLiteral("発行"), [this] {
        frm_select_omote->show();
        frm_select_omote->raise();
    });
    setFKey(10, QStringLiteral("終了"), [this] {
        close();
        session().Set_MenuEnabled(true);
    });

    // The month box.
    onEnter(txt_date, [this] {
        txt_date->normalise();
        return true;
    });
    connect(txt_date, &ui::MonthBox::normalised, this, [this] {
        if (!txt_b_cd->text().isEmpty()) Fill_Grid();
    });
    auto moveMonth = [this](int n) {
        txt_date->setMonth(ledger::addMonths(txt_date->month(), n));
        if (!txt_b_cd->text().isEmpty()) Fill_Grid();
        txt_date->setFocus();
    };
    connect(Command4, &QPushButton::clicked, this, [moveMonth] { moveMonth(1); });
    connect(Command5, &QPushButton::clicked, this, [moveMonth] { moveMonth(-1); });

    // The day. The day buttons move the date but leave the grid as it is.
    onEnter(txt_day, [this] { return dayCheck(); });
    onLeave(txt_day, [this] { return dayCheck(); });
    auto moveDay = [this](int n) {
        // The day as typed ("5" as well as "05"), in the month shown.
        const auto start = ledger::monthStart(txt_date->month());
        const auto day = db::parseWhole(txt_day->text());
        const QDate d = start && day ? QDate(start->year(), start->month(), static_cast<int>(*day)) : QDate();
        if (d.isValid()) {
            const QDate moved = d.addDays(n);
            txt_day->setText(moved.toString(QStringLiteral("dd")));
            txt_date->setMonth(ledger::monthText(moved));
        }
        txt_day->setFocus();
    };
    connect(Command2, &QPushButton::clicked, this, [moveDay] { moveDay(1); });
    connect(Command3, &QPushButton::clicked, this, [moveDay] { moveDay(-1); });

    // Bank and item.
    onEnter(txt_b_cd, [this] { return bankEnter(); });
    onLeave(txt_b_cd, [this] { return bankLeave(); });
    connect(cmb_b_nm, QOverload<int>::of(&QComboBox::activated), this, &form_S0101::bankClicked);
    onEnter(txt_k_cd, [this] { return itemEnter(); });
    onLeave(txt_k_cd, [this] { return itemLeave(); });
    connect(cmb_k_nm, QOverload<int>::of(&QComboBox::activated), this, &form_S0101::itemClicked);
    onEnter(txt_kingaku);
    onEnter(txt_biko);
    onShiftLeft(txt_b_cd, txt_day);
    onShiftLeft(txt_k_cd, txt_b_cd);
    onShiftLeft(txt_kingaku, txt_k_cd);
    onShiftLeft(txt_biko, txt_kingaku);
    connect(cmd_input, &QPushButton::clicked, this, &form_S0101::input);

    // Record number.
    onEnter(txt_rec_no, [this] {
        recNoEnter();
        return false;
    });

    // Frames.
    connect(Command1, &QPushButton::clicked, frm_select_cd, &QWidget::hide);
    connect(Command7, &QPushButton::clicked, frm_select_omote, &QWidget::hide);
    connect(Command8, &QPushButton::clicked, frm_select_cd2, &QWidget::hide);
    connect(cmd_syusei, &QPushButton::clicked, this, &form_S0101::modifyByNumber);
    onEnter(txt_cd, [this] {
        modifyByNumber();
        return false;
    });
    connect(cmd_sakujyo, &QPushButton::clicked, this, &form_S0101::deleteByNumber);
    onEnter(txt_cd2[0], [this] {
        if (!txt_cd2[0]->text().isEmpty()) txt_cd2[1]->setFocus();
        return false;
    });
    onEnter(txt_cd2[1], [this] {
        deleteByNumber();
        return false;
    });
    onShiftLeft(txt_cd2[1], txt_cd2[0]);
    connect(Command6, &QPushButton::clicked, this, &form_S0101::print);

    // Grid.
    connect(grd_S01, &ui::FlexGrid::clickedRow, this, [this](int row) {
        if (row > 0) m_clickedRow = row;
    });
    connect(grd_S01, &ui::FlexGrid::doubleClicked, this, &form_S0101::gridDoubleClicked);
    connect(grd_S01, &ui::FlexGrid::deletePressed, this, &form_S0101::gridDelete);
}

// ---------------------------------------------------------------------------------------
// The entry area

void form_S0101::Clear_Entry() {
    const qint64 highest = db::Get_Max(QStringLiteral("S01"), QStringLiteral("CD"));
    txt_rec_no->setText(QString::number(highest + 1));
    txt_day->setText(session().now().date().toString(QStringLiteral("dd")));
    txt_b_cd->clear();
    txt_k_cd->clear();
    cmb_b_nm->setUpdatesEnabled(false);
    ui::fillCodeCombo(cmb_b_nm, session().rs_T01);
    cmb_b_nm->setUpdatesEnabled(true);
    cmb_k_nm->setUpdatesEnabled(false);
    ui::fillCodeCombo(cmb_k_nm, session().rs_T02);
    cmb_k_nm->setUpdatesEnabled(true);
    txt_kingaku->clear();
    txt_biko->clear();
    lbl_zan->clear();
}

bool form_S0101::dayCheck() {
    const auto day = ledger::dayText(txt_day->text());
    if (!day) return false;
    txt_day->setText(*day);
    return true;
}

void form_S0101::showBank(qint64 code) {
    const auto zan = ledger::storedZan(code);
    lbl_zan->setText(zan ? QString::number(*zan) : QString());
    Fill_Grid();
}

bool form_S0101::bankEnter() {
    const auto code = db::parseWhole(txt_b_cd->text());
    if (!code) return false;
    const int i = ui::findComboEntry(cmb_b_nm, *code);
    if (i < 0) return false;
    cmb_b_nm->setCurrentIndex(i);
    bankClicked(i);
    return true;
}

bool form_S0101::bankLeave() {
    cmd_input->setEnabled(false);
    if (txt_b_cd->text().isEmpty()) return true;
    const auto code = db::parseWhole(txt_b_cd->text());
    const int i = code ? ui::findComboEntry(cmb_b_nm, *code) : -1;
    if (i >= 0) {
        cmb_b_nm->setCurrentIndex(i);
        showBank(*code);
        cmd_input->setEnabled(true);
    }
    return true;
}

void form_S0101::bankClicked(int index) {
    if (index < 0) return;
    const qint64 code = cmb_b_nm->itemData(index).toLongLong();
    txt_b_cd->setText(QString::number(code));
    showBank(code);
    cmd_input->setEnabled(true);
}

bool form_S0101::itemEnter() {
    const auto code = db::parseWhole(txt_k_cd->text());
    if (!code) return false;
    const int i = ui::findComboEntry(cmb_k_nm, *code);
    if (i < 0) return false;
    cmb_k_nm->setCurrentIndex(i);
    itemClicked(i);
    return true;
}

bool form_S0101::itemLeave() {
    cmd_input->setEnabled(false);
    if (txt_k_cd->text().isEmpty()) return true;
    const auto code = db::parseWhole(txt_k_cd->text());
    const int i = code ? ui::findComboEntry(cmb_k_nm, *code) : -1;
    if (i >= 0) {
        cmb_k_nm->setCurrentIndex(i);
        cmd_input->setEnabled(true);
    }
    return true;
}

void form_S0101::itemClicked(int index) {
    if (index < 0) return;
    txt_k_cd->setText(QString::number(cmb_k_nm->itemData(index).toLongLong()));
    cmd_input->setEnabled(true);
}

void form_S0101::input() {
    if (refuseReadOnly()) return;
    // Every value is checked before anything is written; a bad one is named and nothing changes.
    const QString range = QStringLiteral("は1～%1の整数で入力してください").arg(db::kMaxCode);
    const auto recNo = db::parseRecordNumber(txt_rec_no->text());
    if (!recNo) {
        refuse(txt_rec_no, kRecordNumberText);
        return;
    }
    txt_date->normalise();
    if (!ledger::monthStart(txt_date->month())) {
        refuse(txt_date, QStringLiteral("年度/月を正しく入力してください"));
        return;
    }
    const auto day = ledger::dayText(txt_day->text());
    if (!day) {
        refuse(txt_day, QStringLiteral("日は1～31の整数で入力してください"));
        return;
    }
    const auto date = ledger::journalDate(txt_date->month(), *day);
    if (!date) {
        refuse(txt_day, QStringLiteral("日付が正しくありません"));
        return;
    }
    const auto bank = db::parseCode(txt_b_cd->text());
    if (!bank) {
        refuse(txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞ") + range);
        return;
    }
    if (ui::findComboEntry(cmb_b_nm, *bank) < 0) {
        refuse(txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(*bank));
        return;
    }
    const auto item = db::parseCode(txt_k_cd->text());
    if (!item) {
        refuse(txt_k_cd, QStringLiteral("項目ｺｰﾄﾞ") + range);
        return;
    }
    if (ui::findComboEntry(cmb_k_nm, *item) < 0) {
        refuse(txt_k_cd, QStringLiteral("項目ｺｰﾄﾞ %1 は項目マスターにありません").arg(*item));
        return;
    }
    const auto amount = db::parseYen(txt_kingaku->text());
    if (!amount) {
        refuse(txt_kingaku, QStringLiteral("金額は円単位の整数で入力してください"));
        return;
    }

    cmd_input->setEnabled(false);
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ledger::JournalEntry e;
        e.cd = *recNo;
        e.date = *date;
        e.bank = *bank;
        e.item = *item;
        e.amount = *amount;
        e.note = txt_biko->text();
        const ledger::Change c = ledger::writeEntry(e);
        if (c.ok) {
            if (c.inserted) Show_Record(0);
            Clear_Entry();
            m_month->clear();
            cmd_input->setText(kInput);
            cmd_input->setEnabled(false);
        } else {
            // Nothing was written: what was typed stays, to be written again.
            critical(c.inserted ? QStringLiteral("追加できません") : QStringLiteral("更新できません"));
            cmd_input->setEnabled(true);
        }
        ui::Set_FKeyEnabled(this, true);
    }
    // The next entry usually starts with its day: typing replaces the proposed one.
    txt_day->setFocus();
    txt_day->selectAll();
}

// ---------------------------------------------------------------------------------------
// Records by number

void form_S0101::Show_Record(qint64 n) {
    const ledger::RecordLookup found = ledger::findRecord(n);
    if (found.status == ledger::Lookup::EmptyJournal) {
        txt_day->setFocus();
        return;
    }
    if (found.status != ledger::Lookup::Found) return;

    const ledger::JournalRecord& r = found.record;
    txt_rec_no->setText(QString::number(r.cd));
    txt_date->setMonth(r.date.left(7));
    txt_day->setText(r.date.right(2));
    // Choosing the entries as a click would: the record's bank and item make it writable.
    txt_b_cd->setText(numberText(r.bank));
    const int b = db::isNumeric(r.bank) ? ui::findComboEntry(cmb_b_nm, db::To_Long(r.bank, 0)) : -1;
    cmb_b_nm->setCurrentIndex(b);
    txt_k_cd->setText(numberText(r.item));
    const int k = db::isNumeric(r.item) ? ui::findComboEntry(cmb_k_nm, db::To_Long(r.item, 0)) : -1;
    cmb_k_nm->setCurrentIndex(k);
    if (b >= 0 || k >= 0) cmd_input->setEnabled(true);
    txt_kingaku->setText(numberText(r.amount));
    txt_biko->setText(db::To_Str(r.note, QString()));
    const auto zan = db::isNumeric(r.bank) ? ledger::storedZan(db::To_Long(r.bank, 0)) : std::nullopt;
    lbl_zan->setText(zan ? QString::number(*zan) : QString());
    Fill_Grid();
    txt_day->setFocus();
}

void form_S0101::recNoEnter() {
    const auto n = db::parseRecordNumber(txt_rec_no->text());
    if (!n) {
        refuse(txt_rec_no, kRecordNumberText);
        return;
    }
    frm_select_cd->hide();
    Show_Record(*n);
    cmd_input->setText(kUpdate);
    txt_day->setFocus();
}

void form_S0101::modifyByNumber() {
    const auto n = db::parseRecordNumber(txt_cd->text());
    if (!n) {
        refuse(txt_cd, QStringLiteral("修正する") + kRecordNumberText);
        return;
    }
    frm_select_cd->hide();
    Show_Record(*n);
    frm_select_cd2->hide();
}

void form_S0101::moveRecord(int key) {
    ui::Hourglass wait;
    ui::Set_FKeyEnabled(this, false);
    qint64 target = -1;
    switch (key) {
        case 4:
        case 5:
            // Moving writes nothing, so any positive number shown may be moved from; a text
            // that is not one moves nowhere.
            if (const auto n = db::parseWhole(txt_rec_no->text()); n && *n >= 1)
                target = ledger::moveTarget(key == 4 ? ledger::Move::Previous : ledger::Move::Next, *n);
            break;
        case 6:
            target = ledger::moveTarget(ledger::Move::First, 0);
            break;
        case 7:
            target = ledger::moveTarget(ledger::Move::Last, 0);
            break;
        default:
            break;
    }
    if (target >= 0) Show_Record(target);
    ui::Set_FKeyEnabled(this, true);
}

void form_S0101::deleteByNumber() {
    if (refuseReadOnly()) return;
    const QString range = QStringLiteral("削除する") + kRecordNumberText;
    const auto from = db::parseRecordNumber(txt_cd2[0]->text());
    if (!from) {
        refuse(txt_cd2[0], range);
        return;
    }
    std::optional<qint64> to;
    if (!txt_cd2[1]->text().isEmpty()) {
        const auto last = db::parseRecordNumber(txt_cd2[1]->text());
        if (!last) {
            refuse(txt_cd2[1], range);
            return;
        }
        to = *last;
    }
    const ledger::Change c = ledger::deleteRecords(*from, to);
    if (!c.ok) critical(QStringLiteral("削除できません"));
    Show_Record(0);
    frm_select_cd2->hide();
}

void form_S0101::recalculate() {
    if (txt_b_cd->text().isEmpty()) return;
    if (refuseReadOnly()) return;
    const auto bank = db::parseCode(txt_b_cd->text());
    if (!bank) {
        refuse(txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞは1～%1の整数で入力してください").arg(db::kMaxCode));
        return;
    }
    // A bank that is not in the master has no balance to store: showing one would be false.
    if (ui::findComboEntry(cmb_b_nm, *bank) < 0) {
        refuse(txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(*bank));
        return;
    }
    ui::Hourglass wait;
    const ledger::BankZan z = ledger::Recalc_BankZan(*bank);
    if (z.ok) {
        lbl_zan->setText(QString::number(z.zan));
        return;
    }
    // The stored balance stays as it was, and so does the label.
    critical(QStringLiteral("再計算できません"));
}

// ---------------------------------------------------------------------------------------
// The grid

void form_S0101::Fill_Grid() {
    const auto bank = db::parseCode(txt_b_cd->text());
    if (!bank) {
        m_month->clear();
        return;
    }
    const ledger::BankMonth month = ledger::readBankMonth(*bank, txt_date->month());
    m_month->setRows(month.ok ? month.rows : QList<ledger::BankMonthRow>{});
}

void form_S0101::gridDoubleClicked() {
    QPushButton* f1 = fKey(1);
    if (f1) f1->setEnabled(false);
    {
        ui::Hourglass wait;
        const ledger::BankMonthRow* row = m_month->rowAt(m_clickedRow - 1);
        Show_Record(row ? row->cd : 0);
        cmd_input->setText(kUpdate);
    }
    if (f1) f1->setEnabled(true);
}

void form_S0101::gridDelete() {
    const ledger::BankMonthRow* row = m_month->rowAt(grd_S01->row() - 1);
    if (!row) return;
    txt_cd2[0]->setText(QString::number(row->cd));
    txt_cd2[1]->clear();
    deleteByNumber();
}

// ---------------------------------------------------------------------------------------
// Printing

void form_S0101::print() {
    session().flg_Front = Option1[0]->isChecked();
    frm_select_omote->hide();
    ui::Hourglass wait;
    ui::Set_FKeyEnabled(this, false);
    Print_Journal();
    ui::Set_FKeyEnabled(this, true);
}

void form_S0101::Print_Journal() {
    ui::printDocument(session(), this, QStringLiteral("銀行帳 ") + cmb_b_nm->currentText(),
                      [this](print::PageWriter& out) {
                          return print::printBankJournal(out, cmb_b_nm->currentText(), lbl_zan->text(),
                                                         m_month->rowTexts(), session().flg_Front);
                      });
}

ui::FormBase* createJournal(app::Session& session, QWidget* menu) { return new form_S0101(session, menu); }

}  // namespace bank
