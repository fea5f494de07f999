#include "ui/transfer/TransferWindow.h"

#include <QComboBox>
#include <QLineEdit>

#include "core/db/Convert.h"
#include "core/io/StatementDate.h"
#include "core/ledger/Transfer.h"
#include "ui/shell/Inputs.h"
#include "ui_Transfer.h"

namespace ui {
namespace {

const QString kRegister = QStringLiteral(
    "振替の項目（振替出金・振替入金）を項目マスターに登録しますか？\n登録しないと振替を書き込めません。");

}  // namespace

TransferWindow::TransferWindow(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("振替"), parent), ui(std::make_unique<Ui::Transfer>()) {
    ui->setupUi(this);
    setWindowTitle(title());
    markNumeric({ui->fromCodeEdit, ui->toCodeEdit, ui->amountEdit});

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("書込"), [this] { write(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });

    // The date as the statements' dates may be typed (2024/5/3, 令和6年5月3日), shown as stored.
    onEnter(ui->dateEdit, [this] {
        const auto d = io::parseStatementDate(ui->dateEdit->text());
        if (!d) {
            refuse(ui->dateEdit, QStringLiteral("日付が正しくありません"));
            return false;
        }
        ui->dateEdit->setText(*d);
        return true;
    });
    CodePair::Options bank;
    bank.refusal = kBankCodeRefusal;
    new CodePair(this, ui->fromCodeEdit, ui->fromCombo, bank);
    new CodePair(this, ui->toCodeEdit, ui->toCombo, bank);
    onEnter(ui->amountEdit);
    onEnter(ui->noteEdit);
    onShiftLeftChain(this, {ui->dateEdit, ui->fromCodeEdit, ui->toCodeEdit, ui->amountEdit, ui->noteEdit});
    clearEntry();
}

TransferWindow::~TransferWindow() = default;

void TransferWindow::clearEntry(qint64 fromBank) {
    ui->dateEdit->setText(session().now().date().toString(QStringLiteral("yyyy/MM/dd")));
    for (QComboBox* c : {ui->fromCombo, ui->toCombo}) {
        fillCodeCombo(c, session().rs_T01);
        c->setCurrentIndex(-1);
    }
    ui->fromCodeEdit->clear();
    ui->toCodeEdit->clear();
    if (fromBank > 0 && findComboEntry(ui->fromCombo, fromBank) >= 0) {
        ui->fromCombo->setCurrentIndex(findComboEntry(ui->fromCombo, fromBank));
        ui->fromCodeEdit->setText(QString::number(fromBank));
    }
    ui->amountEdit->clear();
    ui->noteEdit->clear();
    ui->dateEdit->setFocus(Qt::OtherFocusReason);
    ui->dateEdit->selectAll();
}

void TransferWindow::showBookAgain() {
    refillCodeCombo(ui->fromCombo, session().rs_T01);
    refillCodeCombo(ui->toCombo, session().rs_T01);
}

bool TransferWindow::write() {
    // A read-only book: why it is (asked for, a file that cannot be written, a newer version).
    if (book().isReadOnly()) {
        critical(book().readOnlyMessage());
        return false;
    }
    // Every value is checked before anything is written, the upgrade included.
    const auto date = io::parseStatementDate(ui->dateEdit->text());
    if (!date) {
        refuse(ui->dateEdit, QStringLiteral("日付が正しくありません"));
        return false;
    }
    ui->dateEdit->setText(*date);
    ledger::TransferEntry e;
    e.date = *date;
    for (const auto& [box, combo, code] :
         {std::tuple{ui->fromCodeEdit, ui->fromCombo, &e.from}, std::tuple{ui->toCodeEdit, ui->toCombo, &e.to}}) {
        const auto bank = db::parseCode(box->text());
        if (!bank) {
            refuse(box, kBankCodeRefusal);
            return false;
        }
        if (findComboEntry(combo, *bank) < 0) {
            refuse(box, QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(*bank));
            return false;
        }
        *code = *bank;
    }
    if (e.from == e.to) {
        refuse(ui->toCodeEdit, QStringLiteral("出金銀行と入金銀行が同じです"));
        return false;
    }
    const auto amount = db::parseYen(ui->amountEdit->text());
    if (!amount || *amount < 1) {
        refuse(ui->amountEdit, QStringLiteral("金額は1以上の円単位の整数で入力してください"));
        return false;
    }
    e.amount = *amount;
    e.note = ui->noteEdit->text();

    Hourglass wait;
    if (!upgradeFor(ledger::kTransferVersion)) return false;
    const ledger::ItemsStatus items = ledger::transferItems(book());
    if (items.state == ledger::ItemsState::None || items.state == ledger::ItemsState::Gone) {
        if (!confirm(kRegister)) return false;
        const ledger::ItemsRegistration reg = ledger::registerTransferItems(book());
        if (!reg.ok) {
            critical(QStringLiteral("振替の項目を登録できません: %1").arg(reg.error));
            return false;
        }
        // An undo step of its own, before the transfer's.
        session().recordChange(reg.change);
        // The masters are read again, and the journal's item list with them.
        book().announce(QStringLiteral("T02"));
    } else if (items.state != ledger::ItemsState::Ready) {
        critical(items.message);
        return false;
    }
    const ledger::TransferWrite w = ledger::writeTransfer(book(), e);
    if (!w.ok) {
        critical(QStringLiteral("振替を書き込めません: %1").arg(w.error));
        return false;
    }
    session().recordChange(w.change);
    book().announce(QStringLiteral("S01"));
    session().status(this, QStringLiteral("振替を書き込みました（番号 %1, %2）").arg(w.outRecord).arg(w.inRecord));
    // The next transfer usually leaves the same bank on another day.
    ui->amountEdit->clear();
    ui->noteEdit->clear();
    ui->dateEdit->setFocus(Qt::OtherFocusReason);
    ui->dateEdit->selectAll();
    return true;
}

TransferWindow* openTransfer(FormBase* journal, qint64 fromBank) {
    auto* w = journal->findChild<TransferWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!w) {
        w = new TransferWindow(journal->session(), journal);
        QObject::connect(journal, &FormBase::closed, w, &QWidget::close);
    }
    w->clearEntry(fromBank);
    w->showModeless();
    w->clearEntry(fromBank);
    return w;
}

FormBase* newTransferWindow(app::Session& session, QWidget* menu) {
    auto* w = new TransferWindow(session, menu);
    const QList<ledger::MasterRow>& banks = session.rs_T01.rows();
    w->clearEntry(banks.isEmpty() ? 0 : banks.first().cd);
    return w;
}

}  // namespace ui
