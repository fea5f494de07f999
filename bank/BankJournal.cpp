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
#include "core/ledger/Transfer.h"
#include "core/ledger/Undo.h"
#include "core/models/JournalModels.h"
#include "ui/io/CsvExport.h"
#include "ui/io/ImportWindow.h"
#include "ui/io/SearchWindow.h"
#include "ui/menu/MenuForm.h"
#include "ui/print/PrintWriters.h"
#include "ui/recurring/RecurringWindows.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"
#include "ui/transfer/TransferWindow.h"
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
    : FormBase(session, QStringLiteral("銀行帳入力"), parent), ui(std::make_unique<Ui::BankJournal>()) {
    build();

    // Opening: the present month, an empty entry area, the grid header, the stored layout.
    ui->txt_date->setMonth(ledger::monthText(session.now().date()));
    Clear_Entry();
    const struct {
        const char* text;
        int twips;
    } headers[] = {{"番号", 500},  {"日付", 1500}, {"科目ｺｰﾄﾞ", 800}, {"科目名", 2000},
                   {"収入", 1000}, {"支出", 1000}, {"備考", 3000}};
    for (int c = 0; c < 7; ++c) ui->grd_S01->setHeader(c, QString::fromUtf8(headers[c].text), headers[c].twips);
    ui->grd_S01->fitColumn(0, QStringLiteral("000000"));
    setLayoutKeys(QStringLiteral("S0101"), ui->grd_S01, QStringLiteral("grd_S01ColWidth"), 7);
    restoreLayout();
    tickClock();
    ui->txt_day->setFocus();
}

form_S0101::~form_S0101() = default;

void form_S0101::build() {
    ui->setupUi(this);

    ui::markNumeric({ui->txt_date, ui->txt_day, ui->txt_b_cd, ui->txt_rec_no, ui->txt_k_cd, ui->txt_kingaku, ui->txt_cd,
                     ui->txt_cd2_0, ui->txt_cd2_1});
    m_month = new models::BankMonthModel(this);
    ui->grd_S01->setGridModel(m_month);
    setFillWidget(ui->grd_S01);
    // The three frames beside the entry area are hidden until their key.
    for (QWidget* f : {ui->frm_select_cd, ui->frm_select_cd2, ui->frm_select_omote}) f->hide();

    // Function keys.
    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("入力"), [this] {
        ui::Hourglass wait;
        Clear_Entry();
        ui->txt_day->setFocus();
    });
    setFKey(2, QStringLiteral("番号指定削除"), [this] {
        openFrame(ui->frm_select_cd2, {ui->txt_cd2_0, ui->txt_cd2_1});
    });
    setFKey(3, QStringLiteral("番号指定修正"), [this] { openFrame(ui->frm_select_cd, {ui->txt_cd}); });
    setFKey(4, QStringLiteral("前レコード"), [this] { moveRecord(4); });
    setFKey(5, QStringLiteral("次レコード"), [this] { moveRecord(5); });
    setFKey(6, QStringLiteral("最初"), [this] { moveRecord(6); });
    setFKey(7, QStringLiteral("最後"), [this] { moveRecord(7); });
    setFKey(8, QStringLiteral("再計算"), [this] { recalculate(); });
    setFKey(9, QStringLiteral("発行"), [this] { openFrame(ui->frm_select_omote); });
    setFKey(10, QStringLiteral("終了"), [this] {
        close();
        session().Set_MenuEnabled(true);
    });

    // The month box.
    onEnter(ui->txt_date, [this] {
        ui->txt_date->normalise();
        return true;
    });
    connect(ui->txt_date, &ui::MonthBox::normalised, this, [this] {
        if (!ui->txt_b_cd->text().isEmpty()) Fill_Grid();
    });
    auto moveMonth = [this](int n) {
        ui->txt_date->setMonth(ledger::addMonths(ui->txt_date->month(), n));
        if (!ui->txt_b_cd->text().isEmpty()) Fill_Grid();
        ui->txt_date->setFocus();
    };
    connect(ui->Command4, &QPushButton::clicked, this, [moveMonth] { moveMonth(1); });
    connect(ui->Command5, &QPushButton::clicked, this, [moveMonth] { moveMonth(-1); });

    // The day. The day buttons move the date but leave the grid as it is.
    onEnter(ui->txt_day, [this] { return dayCheck(); });
    onLeave(ui->txt_day, [this] { return dayCheck(); });
    auto moveDay = [this](int n) {
        // The day as typed ("5" as well as "05"), in the month shown.
        const auto start = ledger::monthStart(ui->txt_date->month());
        const auto day = db::parseWhole(ui->txt_day->text());
        const QDate d = start && day ? QDate(start->year(), start->month(), static_cast<int>(*day)) : QDate();
        if (d.isValid()) {
            const QDate moved = d.addDays(n);
            ui->txt_day->setText(moved.toString(QStringLiteral("dd")));
            ui->txt_date->setMonth(ledger::monthText(moved));
        }
        ui->txt_day->setFocus();
    };
    connect(ui->Command2, &QPushButton::clicked, this, [moveDay] { moveDay(1); });
    connect(ui->Command3, &QPushButton::clicked, this, [moveDay] { moveDay(-1); });

    // Bank and item.
    // Leaving either code box disables 入力 until a code the list has is chosen again.
    ui::CodePair::Options bank;
    bank.leaving = [this] { ui->cmd_input->setEnabled(false); };
    bank.chosen = [this](qint64 code) {
        showBank(code);
        ui->cmd_input->setEnabled(true);
    };
    new ui::CodePair(this, ui->txt_b_cd, ui->cmb_b_nm, bank);
    ui::CodePair::Options item;
    item.leaving = bank.leaving;
    item.chosen = [this](qint64) { ui->cmd_input->setEnabled(true); };
    new ui::CodePair(this, ui->txt_k_cd, ui->cmb_k_nm, item);
    onEnter(ui->txt_kingaku);
    onEnter(ui->txt_biko);
    ui::onShiftLeftChain(this, {ui->txt_day, ui->txt_b_cd, ui->txt_k_cd, ui->txt_kingaku, ui->txt_biko});
    connect(ui->cmd_input, &QPushButton::clicked, this, &form_S0101::input);

    // Record number.
    onEnter(ui->txt_rec_no, [this] {
        recNoEnter();
        return false;
    });

    // Frames.
    connect(ui->Command1, &QPushButton::clicked, ui->frm_select_cd, &QWidget::hide);
    connect(ui->Command7, &QPushButton::clicked, ui->frm_select_omote, &QWidget::hide);
    connect(ui->Command8, &QPushButton::clicked, ui->frm_select_cd2, &QWidget::hide);
    connect(ui->cmd_syusei, &QPushButton::clicked, this, &form_S0101::modifyByNumber);
    connect(ui->cmd_sakujyo, &QPushButton::clicked, this, &form_S0101::deleteByNumber);
    ui::onNumberBoxes(
        this, ui->txt_cd, ui->txt_cd2_0, ui->txt_cd2_1, [this] { modifyByNumber(); }, [this] { deleteByNumber(); });
    connect(ui->Command6, &QPushButton::clicked, this, &form_S0101::print);

    // Grid.
    connect(ui->grd_S01, &ui::FlexGrid::clickedRow, this, [this](int row) {
        if (row > 0) m_clickedRow = row;
    });
    connect(ui->grd_S01, &ui::FlexGrid::doubleClicked, this, &form_S0101::gridDoubleClicked);
    connect(ui->grd_S01, &ui::FlexGrid::deletePressed, this, &form_S0101::gridDelete);
    // A side of a transfer names its partner's banks when selected.
    connect(ui->grd_S01, &ui::FlexGrid::currentRowChanged, this, [this](int row) {
        const ledger::BankMonthRow* r = m_month->rowAt(row - 1);
        const QString link = r ? m_month->linkText(r->cd) : QString();
        if (!link.isEmpty()) session().status(this, link);
    });

    // Data in and out: the month as CSV, a bank's statement, the search over the whole book.
    ui::addCsvExport(this, ui->grd_S01, [this] {
        const auto bank = db::parseCode(ui->txt_b_cd->text());
        const ledger::MasterRow* b = bank ? session().Seek_T01(*bank) : nullptr;
        return ui::modelExport(*m_month,
                               QStringLiteral("銀行帳_%1_%2.csv")
                                   .arg(b ? b->nm : ui->txt_b_cd->text(),
                                        QString(ui->txt_date->month()).replace(QLatin1Char('/'), QLatin1Char('-'))));
    });
    addGridAction(ui->grd_S01, QStringLiteral("明細取込..."), QKeySequence(Qt::CTRL | Qt::Key_I),
                  [this] { importStatement(); });
    addGridAction(ui->grd_S01, QStringLiteral("検索..."), QKeySequence(Qt::CTRL | Qt::Key_F),
                  [this] { ui::openSearch(this, [this](const io::SearchHit& hit) { showHit(hit); }); });
    // Money moved between two banks, written as a linked pair. A key only: the grid's menu keeps
    // its entries as they were.
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), [this] {
        const auto bank = db::parseCode(ui->txt_b_cd->text());
        ui::openTransfer(this, bank && ui::findComboEntry(ui->cmb_b_nm, *bank) >= 0 ? *bank : 0);
    });
    // 定期入力の設定, as from the menu.
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ui::openRuleWindow(this); });
}

// ---------------------------------------------------------------------------------------
// The entry area

void form_S0101::Clear_Entry() {
    m_proposed.propose(book(), ui->txt_rec_no);
    ui->txt_day->setText(session().now().date().toString(QStringLiteral("dd")));
    ui->txt_b_cd->clear();
    ui->txt_k_cd->clear();
    ui->cmb_b_nm->setUpdatesEnabled(false);
    ui::fillCodeCombo(ui->cmb_b_nm, session().rs_T01);
    ui->cmb_b_nm->setUpdatesEnabled(true);
    ui->cmb_k_nm->setUpdatesEnabled(false);
    ui::fillCodeCombo(ui->cmb_k_nm, session().rs_T02);
    ui->cmb_k_nm->setUpdatesEnabled(true);
    ui->txt_kingaku->clear();
    ui->txt_biko->clear();
    ui->lbl_zan->clear();
}

void form_S0101::showBookAgain() {
    m_proposed.keepNew(book(), ui->txt_rec_no);
    ui::refillCodeCombo(ui->cmb_b_nm, session().rs_T01);
    ui::refillCodeCombo(ui->cmb_k_nm, session().rs_T02);
    // The bank the grid showed, as it is now; nothing when the bank itself is gone.
    const auto bank = db::parseCode(ui->txt_b_cd->text());
    if (bank && ui::findComboEntry(ui->cmb_b_nm, *bank) >= 0) {
        showBank(*bank);
    } else {
        m_month->clear();
        ui->lbl_zan->clear();
    }
}

bool form_S0101::dayCheck() {
    const auto day = ledger::dayText(ui->txt_day->text());
    if (!day) return false;
    ui->txt_day->setText(*day);
    return true;
}

void form_S0101::showBank(qint64 code) {
    const auto zan = ledger::storedZan(book(), code);
    ui->lbl_zan->setText(zan ? QString::number(*zan) : QString());
    Fill_Grid();
}

void form_S0101::input() {
    if (refuseReadOnly()) return;
    // Every value is checked before anything is written; a bad one is named and nothing changes.
    const QString range = QStringLiteral("は1～%1の整数で入力してください").arg(db::kMaxCode);
    const auto recNo = db::parseRecordNumber(ui->txt_rec_no->text());
    if (!recNo) return refuse(ui->txt_rec_no, kRecordNumberText);
    ui->txt_date->normalise();
    if (!ledger::monthStart(ui->txt_date->month()))
        return refuse(ui->txt_date, QStringLiteral("年度/月を正しく入力してください"));
    const auto day = ledger::dayText(ui->txt_day->text());
    if (!day) return refuse(ui->txt_day, QStringLiteral("日は1～31の整数で入力してください"));
    const auto date = ledger::journalDate(ui->txt_date->month(), *day);
    if (!date) return refuse(ui->txt_day, QStringLiteral("日付が正しくありません"));
    const auto bank = db::parseCode(ui->txt_b_cd->text());
    if (!bank) return refuse(ui->txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞ") + range);
    if (ui::findComboEntry(ui->cmb_b_nm, *bank) < 0)
        return refuse(ui->txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(*bank));
    const auto item = db::parseCode(ui->txt_k_cd->text());
    if (!item) return refuse(ui->txt_k_cd, QStringLiteral("項目ｺｰﾄﾞ") + range);
    if (ui::findComboEntry(ui->cmb_k_nm, *item) < 0)
        return refuse(ui->txt_k_cd, QStringLiteral("項目ｺｰﾄﾞ %1 は項目マスターにありません").arg(*item));
    const auto amount = db::parseYen(ui->txt_kingaku->text());
    if (!amount) return refuse(ui->txt_kingaku, QStringLiteral("金額は円単位の整数で入力してください"));

    ui->cmd_input->setEnabled(false);
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ledger::JournalEntry e;
        e.cd = *recNo;
        e.date = *date;
        e.bank = *bank;
        e.item = *item;
        e.amount = *amount;
        e.note = ui->txt_biko->text();
        // A side of a transfer carries its partner along (ledger::writeJournalEntry).
        const ledger::JournalWrite w = ledger::writeJournalEntry(book(), e);
        const ledger::Change& c = w.change;
        if (c.ok) {
            session().recordChange(w.undo);
            for (qint64 partner : w.partners)
                session().status(this, QStringLiteral("振替の相手（番号 %1）も更新しました").arg(partner));
            if (c.inserted) Show_Record(0);
            Clear_Entry();
            m_month->clear();
            ui->cmd_input->setText(kInput);
            ui->cmd_input->setEnabled(false);
        } else {
            // Nothing was written: what was typed stays, to be written again.
            critical(c.inserted ? QStringLiteral("追加できません") : QStringLiteral("更新できません"));
            // Why a side of a transfer was refused (its item, its partner's bank).
            if (c.error.startsWith(QStringLiteral("振替"))) session().status(this, c.error);
            ui->cmd_input->setEnabled(true);
        }
        ui::Set_FKeyEnabled(this, true);
    }
    // The next entry usually starts with its day: typing replaces the proposed one.
    ui->txt_day->setFocus();
    ui->txt_day->selectAll();
}

// ---------------------------------------------------------------------------------------
// Records by number

void form_S0101::Show_Record(qint64 n) {
    const ledger::RecordLookup found = ledger::findRecord(book(), n);
    if (found.status == ledger::Lookup::EmptyJournal) {
        ui->txt_day->setFocus();
        return;
    }
    if (found.status != ledger::Lookup::Found) return;

    const ledger::JournalRecord& r = found.record;
    ui->txt_rec_no->setText(QString::number(r.cd));
    ui->txt_date->setMonth(r.date.left(7));
    ui->txt_day->setText(r.date.right(2));
    // Choosing the entries as a click would: the record's bank and item make it writable.
    ui->txt_b_cd->setText(numberText(r.bank));
    const int b = db::isNumeric(r.bank) ? ui::findComboEntry(ui->cmb_b_nm, db::To_Long(r.bank, 0)) : -1;
    ui->cmb_b_nm->setCurrentIndex(b);
    ui->txt_k_cd->setText(numberText(r.item));
    const int k = db::isNumeric(r.item) ? ui::findComboEntry(ui->cmb_k_nm, db::To_Long(r.item, 0)) : -1;
    ui->cmb_k_nm->setCurrentIndex(k);
    if (b >= 0 || k >= 0) ui->cmd_input->setEnabled(true);
    ui->txt_kingaku->setText(numberText(r.amount));
    ui->txt_biko->setText(db::To_Str(r.note, QString()));
    const auto zan = db::isNumeric(r.bank) ? ledger::storedZan(book(), db::To_Long(r.bank, 0)) : std::nullopt;
    ui->lbl_zan->setText(zan ? QString::number(*zan) : QString());
    Fill_Grid();
    ui->txt_day->setFocus();
}

void form_S0101::recNoEnter() {
    const auto n = db::parseRecordNumber(ui->txt_rec_no->text());
    if (!n) {
        refuse(ui->txt_rec_no, kRecordNumberText);
        return;
    }
    ui->frm_select_cd->hide();
    Show_Record(*n);
    ui->cmd_input->setText(kUpdate);
    ui->txt_day->setFocus();
}

void form_S0101::modifyByNumber() {
    const auto n = db::parseRecordNumber(ui->txt_cd->text());
    if (!n) {
        refuse(ui->txt_cd, QStringLiteral("修正する") + kRecordNumberText);
        return;
    }
    ui->frm_select_cd->hide();
    Show_Record(*n);
    ui->frm_select_cd2->hide();
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
            if (const auto n = db::parseWhole(ui->txt_rec_no->text()); n && *n >= 1)
                target = ledger::moveTarget(book(), key == 4 ? ledger::Move::Previous : ledger::Move::Next, *n);
            break;
        case 6:
            target = ledger::moveTarget(book(), ledger::Move::First, 0);
            break;
        case 7:
            target = ledger::moveTarget(book(), ledger::Move::Last, 0);
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
    const auto from = db::parseRecordNumber(ui->txt_cd2_0->text());
    if (!from) {
        refuse(ui->txt_cd2_0, range);
        return;
    }
    std::optional<qint64> to;
    if (!ui->txt_cd2_1->text().isEmpty()) {
        const auto last = db::parseRecordNumber(ui->txt_cd2_1->text());
        if (!last) {
            refuse(ui->txt_cd2_1, range);
            return;
        }
        to = *last;
    }
    // The partner of a side of a transfer goes with it, without a question (ledger::deleteJournalRecords).
    const ledger::JournalWrite w = ledger::deleteJournalRecords(book(), *from, to);
    if (w.change.ok)
        session().recordChange(w.undo);
    else
        critical(QStringLiteral("削除できません"));
    Show_Record(0);
    ui->frm_select_cd2->hide();
    if (!w.partners.isEmpty()) {
        QStringList numbers;
        for (qint64 p : w.partners) numbers << QString::number(p);
        session().status(this,
                         QStringLiteral("振替の相手（番号 %1）も削除しました").arg(numbers.join(QStringLiteral(", "))));
    }
}

void form_S0101::recalculate() {
    if (ui->txt_b_cd->text().isEmpty()) return;
    if (refuseReadOnly()) return;
    const auto bank = db::parseCode(ui->txt_b_cd->text());
    if (!bank) {
        refuse(ui->txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞは1～%1の整数で入力してください").arg(db::kMaxCode));
        return;
    }
    // A bank that is not in the master has no balance to store: showing one would be false.
    if (ui::findComboEntry(ui->cmb_b_nm, *bank) < 0) {
        refuse(ui->txt_b_cd, QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(*bank));
        return;
    }
    if (!session().mayWriteOnItsOwn(this, true)) return;
    ui::Hourglass wait;
    const ledger::BankZan z = ledger::Recalc_BankZan(book(), *bank);
    if (z.ok) {
        ui->lbl_zan->setText(QString::number(z.zan));
        return;
    }
    // The stored balance stays as it was, and so does the label.
    critical(QStringLiteral("再計算できません"));
}

// ---------------------------------------------------------------------------------------
// The grid

void form_S0101::Fill_Grid() {
    const auto bank = db::parseCode(ui->txt_b_cd->text());
    if (!bank) {
        m_month->clear();
        return;
    }
    const ledger::BankMonth month = ledger::readBankMonth(book(), *bank, ui->txt_date->month());
    m_month->setRows(month.ok ? month.rows : QList<ledger::BankMonthRow>{});
    QList<qint64> records;
    for (const ledger::BankMonthRow& r : m_month->rows()) records << r.cd;
    m_month->setLinkTexts(ledger::transferTexts(book(), records));
}

void form_S0101::gridDoubleClicked() {
    QPushButton* f1 = fKey(1);
    if (f1) f1->setEnabled(false);
    {
        ui::Hourglass wait;
        const ledger::BankMonthRow* row = m_month->rowAt(m_clickedRow - 1);
        Show_Record(row ? row->cd : 0);
        ui->cmd_input->setText(kUpdate);
    }
    if (f1) f1->setEnabled(true);
}

void form_S0101::gridDelete() {
    const ledger::BankMonthRow* row = m_month->rowAt(ui->grd_S01->row() - 1);
    if (!row) return;
    ui->txt_cd2_0->setText(QString::number(row->cd));
    ui->txt_cd2_1->clear();
    deleteByNumber();
}

// ---------------------------------------------------------------------------------------
// Data in and out

void form_S0101::importStatement() {
    const auto bank = db::parseCode(ui->txt_b_cd->text());
    if (!bank || ui::findComboEntry(ui->cmb_b_nm, *bank) < 0) {
        refuse(ui->txt_b_cd, QStringLiteral("明細を取り込む銀行を選んでください"));
        return;
    }
    io::ImportTarget target;
    target.program = app::Program::Bank;
    target.bank = *bank;
    const ledger::MasterRow* b = session().Seek_T01(*bank);
    ui::importStatement(this, target, QStringLiteral("%1 %2").arg(*bank).arg(b ? b->nm : QString()),
                        [this, code = *bank](const QStringList& months) {
                            // The month shown, when rows went into it; else the latest month that took rows.
                            if (!months.isEmpty() && !months.contains(ui->txt_date->month()))
                                ui->txt_date->setMonth(months.last());
                            showBank(code);
                            m_proposed.keepNew(book(), ui->txt_rec_no);
                        });
}

void form_S0101::showHit(const io::SearchHit& hit) {
    ui->txt_date->setMonth(hit.date.left(7));
    ui->txt_b_cd->setText(QString::number(hit.bank));
    {
        const QSignalBlocker block(ui->cmb_b_nm);
        ui->cmb_b_nm->setCurrentIndex(ui::findComboEntry(ui->cmb_b_nm, hit.bank));
    }
    showBank(hit.bank);
    for (int r = 0; const ledger::BankMonthRow* row = m_month->rowAt(r); ++r)
        if (row->cd == hit.cd) {
            ui->grd_S01->setRow(r + 1);
            m_clickedRow = r + 1;
            break;
        }
}

// ---------------------------------------------------------------------------------------
// Printing

void form_S0101::print() {
    ui->frm_select_omote->hide();
    printRun(ui->Option1_0->isChecked(), [this] { Print_Journal(); });
}

void form_S0101::Print_Journal() {
    ui::printDocument(session(), this, QStringLiteral("銀行帳 ") + ui->cmb_b_nm->currentText(),
                      [this](print::PageWriter& out) {
                          return print::printBankJournal(out, ui->cmb_b_nm->currentText(), ui->lbl_zan->text(),
                                                         m_month->rowTexts(), session().flg_Front);
                      });
}

ui::FormBase* createJournal(app::Session& session, QWidget* menu) { return new form_S0101(session, menu); }

}  // namespace bank
