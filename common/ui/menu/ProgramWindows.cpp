// What the bank book's and the household book's shared windows differ in, besides their
// Designer layouts: captions, headings, widths and flags, the two programs side by side.

#include "ui/menu/ProgramWindows.h"

#include <algorithm>

#include "core/ledger/Transfer.h"
#include "ui/groups/GroupWindows.h"
#include "ui/transfer/TransferWindow.h"
#include "ui/year/YearForm.h"

namespace ui {
namespace {

bool isBank(app::Program p) { return p == app::Program::Bank; }

// The head of the totals' and the graph's captions: "銀行項目別月合計", "科目別年グラフ".
QString captionHead(app::Program p) { return isBank(p) ? QStringLiteral("銀行項目別") : QStringLiteral("科目別"); }

// The master check (at start-up and when a master list closes) asks for each empty master in
// turn; the household book has one master only.
QString firstMissing(app::Program p) {
    return isBank(p) ? QStringLiteral("銀行を設定してください") : QStringLiteral("科目を設定してください");
}
QString secondMissing(app::Program p) { return isBank(p) ? QStringLiteral("項目を設定してください") : QString(); }

}  // namespace

TotalsConfig totalsConfig(app::Program program, std::function<void(QDialog*)> setupUi) {
    const bool bank = isBank(program);
    TotalsConfig c;
    c.setupUi = std::move(setupUi);
    c.program = program;
    c.captionHead = captionHead(program);
    c.clockWithMode = bank;
    c.bankControls = bank;
    c.countColumn = bank;
    c.codeHeader = bank ? QStringLiteral("項目ｺｰﾄﾞ") : QStringLiteral("科目ｺｰﾄﾞ");
    c.nameHeader = bank ? QStringLiteral("項目名") : QStringLiteral("科目名");
    c.kindHeader = bank ? QStringLiteral("項目分類") : QStringLiteral("科目分類");
    c.nameWidth = bank ? 2600 : 3000;
    c.framesRight = !bank;
    c.printSide = !bank;
    return c;
}

GraphConfig graphConfig(app::Program program, std::function<void(QDialog*)> setupUi) {
    GraphConfig c;
    c.setupUi = std::move(setupUi);
    c.program = program;
    c.captionHead = captionHead(program);
    c.bankControls = isBank(program);
    return c;
}

MasterDesc masterDesc(ledger::Master master, std::function<void(QDialog*)> setupList,
                      std::function<void(QDialog*)> setupDialog,
                      std::function<MasterDialog*(MasterList*)> createDialog) {
    const bool bank = master == ledger::Master::Bank;
    const bool item = master == ledger::Master::Item;
    const bool household = master == ledger::Master::Category;
    MasterDesc d;
    d.master = master;
    d.caption = bank   ? QStringLiteral("銀行マスター")
                : item ? QStringLiteral("項目マスター")
                       : QStringLiteral("科目マスター");
    d.nameHeader = bank ? QStringLiteral("銀行名") : QStringLiteral("科目名");
    d.thirdHeader = bank ? QStringLiteral("残高") : QStringLiteral("科目分類");
    // One stored window place and size for every master list: the bank book's two share it.
    d.layoutPrefix = QStringLiteral("T0101");
    d.gridPrefix = item ? QStringLiteral("grd_T02ColWidth") : QStringLiteral("grd_T01ColWidth");
    d.printList = bank ? print::MasterList::Banks : item ? print::MasterList::Items : print::MasterList::Categories;
    d.modeless = household;
    d.swapPrevNext = household;
    d.deleteKeyModifies = household;
    const app::Program program = household ? app::Program::Purse : app::Program::Bank;
    d.missingFirst = firstMissing(program);
    d.missingSecond = secondMissing(program);
    d.setupList = std::move(setupList);
    d.setupDialog = std::move(setupDialog);
    d.createDialog = std::move(createDialog);
    return d;
}

MenuConfig menuConfig(app::Program program, std::function<void(QDialog*)> setupUi, MenuWindows windows) {
    const bool bank = isBank(program);
    MenuConfig c;
    c.setupUi = std::move(setupUi);
    c.master1 = bank ? QStringLiteral("銀行マスター") : QStringLiteral("科目マスター");
    c.master2 = bank ? QStringLiteral("項目マスター") : QString();
    c.master1Missing = firstMissing(program);
    c.master2Missing = secondMissing(program);
    c.modeless = !bank;
    // Budgets: the report only reads; the plan writes and needs the book's budget table.
    c.extras = {
        {QStringLiteral("予算設定"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), QStringLiteral("budget"), true,
         ledger::kBudgetVersion, newWindow<BudgetWindow>},
        {QStringLiteral("予算実績"), QKeySequence(Qt::CTRL | Qt::Key_B), QStringLiteral("budget"), false, 0,
         newWindow<BudgetReportWindow>},
        // Recurring entries: the rules are written here; their table comes with the book's upgrade.
        {QStringLiteral("定期入力の設定"), QKeySequence(Qt::CTRL | Qt::Key_R), QStringLiteral("recurring"), true,
         ledger::kRecurringVersion, newWindow<RuleWindow>},
    };
    // Transfers write two rows and their link, into a book that holds the link table.
    if (bank)
        c.extras.push_back({QStringLiteral("振替"), QKeySequence(Qt::CTRL | Qt::Key_T), QString(), true,
                            ledger::kTransferVersion, newTransferWindow});
    // The year table and the pie only read. No group: in the year table Ctrl+P is its own key,
    // the pie of the month under the cursor.
    c.extras.push_back(
        {QStringLiteral("年間収支表"), QKeySequence(Qt::CTRL | Qt::Key_G), QString(), false, 0, newYearTable});
    c.extras.push_back({QStringLiteral("円グラフ"), QKeySequence(Qt::CTRL | Qt::Key_P), QString(), false, 0, newPie});
    // Groups of categories (items) are written here, into a book that holds their tables.
    c.extras.push_back({QStringLiteral("グループの設定"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G), QString(),
                        true, ledger::kGroupVersion, newWindow<GroupListForm>});
    c.create = [w = std::move(windows)](MenuTarget t, app::Session& session, QWidget* menu) -> FormBase* {
        for (const MenuWindow& window : w)
            if (std::find(window.targets.begin(), window.targets.end(), t) != window.targets.end())
                return window.create ? window.create(session, menu) : nullptr;
        return nullptr;
    };
    return c;
}

}  // namespace ui
