#include "bank/BankMenu.h"

#include "bank/BankWindows.h"
#include "ui_BankMenu.h"
#include "ui_BankSystemInfo.h"

namespace bank {

void setupSystemInfo(QDialog* w) { Ui::BankSystemInfo().setupUi(w); }

ui::MenuConfig menuConfig() {
    ui::MenuConfig c;
    c.setupUi = [](QDialog* w) { Ui::BankMenu().setupUi(w); };
    c.master1 = QStringLiteral("銀行マスター");
    c.master2 = QStringLiteral("項目マスター");
    c.master1Missing = QStringLiteral("銀行を設定してください");
    c.master2Missing = QStringLiteral("項目を設定してください");
    c.modeless = false;
    c.create = [](ui::MenuTarget t, app::Session& session, QWidget* menu) -> ui::FormBase* {
        switch (t) {
            case ui::MenuTarget::Journal:
                return createJournal(session, menu);
            case ui::MenuTarget::MonthTotals:
            case ui::MenuTarget::YearTotals:
                return createTotals(session, menu);
            case ui::MenuTarget::MonthGraph:
            case ui::MenuTarget::YearGraph:
                return createGraph(session, menu);
            case ui::MenuTarget::SystemInfo:
                return new form_U0101(session, setupSystemInfo, menu);
            case ui::MenuTarget::Master1:
                return createBankList(session, menu);
            case ui::MenuTarget::Master2:
                return createItemList(session, menu);
        }
        return nullptr;
    };
    return c;
}

}  // namespace bank
