#include "purse/PurseMenu.h"

#include "purse/PurseWindows.h"
#include "ui_PurseMenu.h"
#include "ui_PurseSystemInfo.h"

namespace purse {

void setupSystemInfo(QDialog* w) { Ui::PurseSystemInfo().setupUi(w); }

ui::MenuConfig menuConfig() {
    ui::MenuConfig c;
    c.setupUi = [](QDialog* w) { Ui::PurseMenu().setupUi(w); };
    c.master1 = QStringLiteral("科目マスター");
    c.master1Missing = QStringLiteral("科目を設定してください");
    c.modeless = true;
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
                return createCategoryList(session, menu);
            default:
                return nullptr;
        }
    };
    return c;
}

}  // namespace purse
