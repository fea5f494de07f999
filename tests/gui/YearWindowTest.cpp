// The year at a glance and the pie, reached from the totals windows and driven by keys.

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPieSeries>
#include <QProcess>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/db/Book.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Groups.h"
#include "core/models/YearModels.h"
#include "core/settings/Settings.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "tools/SampleBook.h"
#include "ui/io/SearchWindow.h"
#include "ui/shell/Grid.h"
#include "ui/year/YearForm.h"

namespace {

class YearWindowTest : public AppTest {
  protected:
    void BankBook() {
        start(app::Program::Bank);
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'本店',0),(2,'支店',0)");
        sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0),(2,'食費',1),(3,'雑費',1)");
        addBankEntry(1, "2024/05/03", 1, 2, 1000);
        addBankEntry(2, "2024/05/20", 1, 2, 500);
        addBankEntry(3, "2024/05/25", 1, 1, 300000);
        addBankEntry(4, "2024/06/01", 2, 2, 700);
        addBankEntry(5, "2023/05/01", 1, 3, 40);
        session().reopenMasters();
        session().periodMode = 0;
    }
    // The totals window with the key pressed in it; the window it opened.
    template <class W>
    W* FromTotals(ui::FormBase* totals, int key) {
        press(totals, key, Qt::ControlModifier);
        W* w = totals->findChild<W*>();
        EXPECT_NE(w, nullptr);
        return w;
    }
    static qint64 Cell(ui::YearForm* w, const QString& name, int column) {
        for (const ledger::YearLine& l : w->table().lines)
            if (l.name == name) return ledger::yearCells(l).value(column).toLongLong();
        return -1;
    }
};

constexpr int kMay = ledger::kYearFirstMonthColumn + 4;

TEST_F(YearWindowTest, CtrlGShowsTheTotalsBankAndYearAndF6F7StepTheYear) {
    BankBook();
    auto* totals = shown(new bank::form_S01T0101(session()));  // bank 1, May 2024
    auto* w = FromTotals<ui::YearForm>(totals, Qt::Key_G);
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_EQ(w->span().year, 2024);
    EXPECT_EQ(w->bank(), 1);
    EXPECT_EQ(Cell(w, "食費", kMay), -1500);
    EXPECT_EQ(Cell(w, "収支", kMay), 298500);
    EXPECT_EQ(Cell(w, "収支", kMay + 1), 0) << "bank 2's June is not bank 1's";
    // Every bank from the list.
    auto* banks = child<QComboBox>(w, "bankCombo");
    banks->setCurrentIndex(0);
    emit banks->activated(0);
    EXPECT_EQ(Cell(w, "収支", kMay + 1), -700);
    // 2024/05/17 is the session's day: five months begun.
    EXPECT_EQ(Cell(w, "食費", ledger::kYearFirstMonthColumn + 13), -2200 / 5);
    press(w, Qt::Key_F6);
    EXPECT_EQ(w->span().year, 2023);
    EXPECT_EQ(Cell(w, "雑費", kMay), -40);
    press(w, Qt::Key_F7);
    press(w, Qt::Key_F7);
    EXPECT_EQ(w->span().year, 2025);
    // Not begun yet: "—" and a tooltip that says why.
    const QModelIndex avg = w->grid()->model()->index(0, ledger::kYearFirstMonthColumn + 13);
    EXPECT_EQ(avg.data().toString(), QStringLiteral("—"));
    EXPECT_FALSE(avg.data(Qt::ToolTipRole).toString().isEmpty());
    press(w, Qt::Key_F10);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(YearWindowTest, StartMonthIsKeptAndEnterOnACellSearchesThatMonthsRows) {
    BankBook();
    auto* totals = shown(new bank::form_S01T0101(session()));
    auto* w = FromTotals<ui::YearForm>(totals, Qt::Key_G);
    auto* start = child<QComboBox>(w, "startMonthCombo");
    start->setCurrentIndex(3);
    emit start->activated(3);
    EXPECT_EQ(settings::getSectionValue("year", "startMonth", ""), QStringLiteral("4"));
    EXPECT_EQ(w->grid()->gridModel()->headerText(ledger::kYearFirstMonthColumn), QStringLiteral("4月"));
    EXPECT_EQ(ui::storedStartMonth(), 4);
    // The 食費 line, its May (the second column from April).
    int row = -1;
    for (int r = 0; r < w->table().lines.size(); ++r)
        if (w->table().lines[r].name == QStringLiteral("食費")) row = r;
    ASSERT_GE(row, 0);
    w->grid()->setFocus();
    w->grid()->setCurrentIndex(w->grid()->model()->index(row, ledger::kYearFirstMonthColumn + 1));
    press(w->grid(), Qt::Key_Return);
    auto* search = w->findChild<ui::SearchWindow*>();
    ASSERT_NE(search, nullptr);
    ASSERT_EQ(search->hits().size(), 2);
    EXPECT_EQ(search->hits()[0].date, QStringLiteral("2024/05/03"));
    EXPECT_EQ(search->hits()[1].date, QStringLiteral("2024/05/20"));
}

TEST_F(YearWindowTest, F2PrintsOnePdfAndCtrlEWritesTheLines) {
    BankBook();
    session().places.printDir = dir() + QStringLiteral("/out");
    auto* totals = shown(new bank::form_S01T0101(session()));
    auto* w = FromTotals<ui::YearForm>(totals, Qt::Key_G);
    press(w, Qt::Key_F2);
    const QStringList pdfs = QDir(dir() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")});
    ASSERT_EQ(pdfs.size(), 1);
    // A4 landscape: 842 x 595 points.
    EXPECT_TRUE(fileBytes(dir() + "/out/" + pdfs[0]).contains("/MediaBox [0 0 842.000000 595.000000]"));
    const QString csv = dir() + QStringLiteral("/year.csv");
    messages().pushFile(csv);
    press(w, Qt::Key_E, Qt::ControlModifier);
    const QString text = QString::fromUtf8(fileBytes(csv));
    EXPECT_TRUE(text.contains(QStringLiteral("食費"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(",-1500,"))) << text.toStdString();
    session().places.printDir = QString();
}

TEST_F(YearWindowTest, PieOfTheTotalsMonthSharesOneHundredAndTellsOnHover) {
    BankBook();
    auto* totals = shown(new bank::form_S01T0101(session()));
    auto* pie = FromTotals<ui::PieForm>(totals, Qt::Key_P);
    ASSERT_NE(pie, nullptr);
    ASSERT_EQ(pie->slices().size(), 1);  // bank 1's May: 食費 only
    EXPECT_EQ(pie->slices()[0].percent, 100);
    const auto series = pie->chart()->chart()->series();
    ASSERT_EQ(series.size(), 1);
    const auto slices = static_cast<QPieSeries*>(series[0])->slices();
    ASSERT_EQ(slices.size(), 1);
    EXPECT_TRUE(slices[0]->label().contains(QStringLiteral("1,500円")));
    emit slices[0]->hovered(true);
    EXPECT_TRUE(pie->hoverText().contains(QStringLiteral("食費 100%")));
    session().places.printDir = dir() + QStringLiteral("/out");
    press(pie, Qt::Key_F2);
    session().places.printDir = QString();
    EXPECT_EQ(QDir(dir() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")}).size(), 1);
    // Income instead.
    auto* kind = child<QComboBox>(pie, "kindCombo");
    kind->setCurrentIndex(1);
    emit kind->activated(1);
    ASSERT_EQ(pie->slices().size(), 1);
    EXPECT_EQ(pie->slices()[0].name, QStringLiteral("給与"));
}

// The command prints the numbers the window shows, line by line.
TEST_F(YearWindowTest, KakeiboYearPrintsTheWindowsNumbers) {
    start(app::Program::Purse);
    QString error;
    ASSERT_TRUE(sample::fillSample(book(), app::Program::Purse, 2000, &error)) << error.toStdString();
    session().reopenMasters();
    setNow(QDateTime::currentDateTime());
    const int year = QDate::currentDate().year() - 2;
    settings::saveSectionValue("year", "startMonth", "4");
    ui::YearForm w(session(), year, std::nullopt);
    QList<QStringList> shownRows;
    for (const QStringList& r : w.grid()->gridModel()->rowTexts()) {
        QStringList cells;
        for (const QString& c : r)
            if (!c.isEmpty()) cells << c;
        shownRows << cells;
    }
    const QString path = book().path();
    book().close();  // the command takes the book's lock
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/kakeibo"),
            {QStringLiteral("year"), path, QStringLiteral("--year"), QString::number(year),
             QStringLiteral("--start-month"), QStringLiteral("4")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), shownRows.size() + 2);  // the title and the header above the lines
    EXPECT_EQ(lines[0], QStringLiteral("%1年度").arg(year));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("4月")));
    for (int i = 0; i < shownRows.size(); ++i)
        EXPECT_EQ(lines[i + 2].split(' ', Qt::SkipEmptyParts), shownRows[i]) << i;
}

TEST_F(YearWindowTest, TheBudgetToggleAddsBudgetAndDifferenceOverEveryBankOnly) {
    BankBook();
    ASSERT_TRUE(ledger::writeBudget(book(), 2, "", 100).ok);
    ui::YearForm w(session(), 2024, std::nullopt);
    auto* check = child<QCheckBox>(&w, "budgetCheck");
    ASSERT_TRUE(check->isEnabled());
    const int before = w.grid()->gridModel()->columnCount();
    check->setChecked(true);
    ASSERT_EQ(w.grid()->gridModel()->columnCount(), before + 2);
    EXPECT_EQ(w.grid()->gridModel()->headerData(before, Qt::Horizontal).toString(), QStringLiteral("予算"));
    EXPECT_EQ(Cell(&w, "食費", before), -1200) << "twelve months of 100";
    EXPECT_EQ(Cell(&w, "食費", before + 1), -1000) << "2,200 spent";
    // A bank's budget covers every bank: one bank alone is not compared.
    child<QComboBox>(&w, "bankCombo")->setCurrentIndex(1);
    w.recompute();
    EXPECT_FALSE(check->isEnabled());
    EXPECT_EQ(w.grid()->gridModel()->columnCount(), before);
}

// The main menu's right-click list: each entry with its key, as the menu itself is given them.
static QStringList Entries(ui::form_Menu& menu) {
    QStringList out;
    for (QAction* a : menu.extrasMenu()->actions()) {
        const QStringList parts = a->text().split(QLatin1Char('\t'));
        out << parts.value(0) + QLatin1Char(' ') +
                   QKeySequence::fromString(parts.value(1), QKeySequence::NativeText).toString();
    }
    return out;
}

TEST_F(YearWindowTest, TheMenusRightClickListShowsTheYearThePieAndInBankTheTransferWithTheirKeys) {
    BankBook();
    {
        ui::form_Menu bankMenu(session(), bank::menuConfig());
        EXPECT_EQ(Entries(bankMenu),
                  (QStringList{"予算設定 Ctrl+Shift+B", "予算実績 Ctrl+B", "定期入力の設定 Ctrl+R", "振替 Ctrl+T",
                               "年間収支表 Ctrl+G", "円グラフ Ctrl+P", "グループの設定 Ctrl+Shift+G"}));
    }
    session().closeBook();
    start(app::Program::Purse);
    ui::form_Menu purseMenu(session(), purse::menuConfig());
    EXPECT_EQ(Entries(purseMenu), (QStringList{"予算設定 Ctrl+Shift+B", "予算実績 Ctrl+B", "定期入力の設定 Ctrl+R",
                                               "年間収支表 Ctrl+G", "円グラフ Ctrl+P", "グループの設定 Ctrl+Shift+G"}));
}

TEST_F(YearWindowTest, CtrlGFromTheMenuOpensTheYearOfTodayModalInBankOverEveryBank) {
    BankBook();
    setNow(QDateTime(QDate(2024, 8, 1), QTime(9, 0)));
    ui::form_Menu menu(session(), bank::menuConfig());
    int year = 0;
    bool modal = false, everyBank = false;
    whenModal([&](QWidget* w) {
        auto* form = qobject_cast<ui::YearForm*>(w);
        modal = form && form->isModal();
        year = form ? form->span().year : 0;
        everyBank = form && !form->bank();
        if (form) form->pressFKey(10);
    });
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_G)));
    EXPECT_TRUE(modal);
    EXPECT_EQ(year, 2024);
    EXPECT_TRUE(everyBank);
}

TEST_F(YearWindowTest, InPurseTheMenusYearAndPieStayOpenAndTheYearIsBroughtForward) {
    start(app::Program::Purse);
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES (1,1,'2025/02/03',2,900,0)");
    session().reopenMasters();
    settings::saveSectionValue(QStringLiteral("year"), QStringLiteral("startMonth"), QStringLiteral("4"));
    setNow(QDateTime(QDate(2025, 2, 10), QTime(9, 0)));
    ui::form_Menu menu(session(), purse::menuConfig());
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_G)));
    auto* year = qobject_cast<ui::YearForm*>(menu.openExtraWindow(3));
    ASSERT_TRUE(year && year->isVisible());
    EXPECT_EQ(year->span().year, 2024) << "February lies in the year that began last April";
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_G)));
    EXPECT_EQ(menu.findChildren<ui::YearForm*>().size(), 1);
    ASSERT_TRUE(menu.runShortcut(QKeyCombination(Qt::ControlModifier, Qt::Key_P)));
    auto* pie = qobject_cast<ui::PieForm*>(menu.openExtraWindow(4));
    ASSERT_TRUE(pie);
    ASSERT_EQ(pie->slices().size(), 1) << "this month's expense";
    EXPECT_EQ(pie->slices()[0].amount, 900);
}

// A household book with the standard groups: 住居 in 固定費, 食費 in 変動費, ペット in none.
TEST_F(YearWindowTest, TheYearShowsEachGroupsSubtotalInBoldAndThePieByGroupItsShares) {
    start(app::Program::Purse);
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給与',0),(2,'住居',1),(3,'食費',1),(4,'ペット',1)");
    ASSERT_TRUE(ledger::registerStandardGroups(book(), app::Program::Purse));
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN) VALUES "
        "(1,1,'2024/05/01',2,60000,0),(2,1,'2024/05/02',3,30000,0),(3,1,'2024/05/03',4,10000,0)");
    session().reopenMasters();
    settings::saveSectionValue("year", "startMonth", "1");
    auto* w = shown(new ui::YearForm(session(), 2024, std::nullopt));
    QStringList names;
    for (const QStringList& r : w->grid()->gridModel()->rowTexts()) names << r.value(1);
    EXPECT_EQ(names, (QStringList{"収入計", "住居", "固定費小計", "食費", "変動費小計", "特別費小計", "ペット",
                                  "未分類小計", "支出計", "収支"}));
    EXPECT_EQ(Cell(w, "固定費小計", kMay), -60000);
    EXPECT_EQ(Cell(w, "未分類小計", kMay), -10000);
    const auto* model = static_cast<const models::YearModel*>(w->grid()->gridModel());
    EXPECT_TRUE(model->groupLineAt(2));
    EXPECT_FALSE(model->groupLineAt(1));
    EXPECT_FALSE(model->groupLineAt(8)) << "支出計 stays as it was";
    // A group line lists no rows: it is no category.
    w->searchCell(2, kMay);
    EXPECT_FALSE(w->findChild<ui::SearchWindow*>());

    // Ctrl+P on May: the pie by category first, then by group.
    w->grid()->setCurrentIndex(w->grid()->gridModel()->index(0, kMay));
    press(w, Qt::Key_P, Qt::ControlModifier);
    auto* pie = w->findChild<ui::PieForm*>();
    ASSERT_TRUE(pie);
    EXPECT_EQ(pie->slices().size(), 3);
    auto* by = child<QComboBox>(pie, "pieByCombo");
    EXPECT_EQ(by->itemText(0), QStringLiteral("科目別"));
    by->setCurrentIndex(1);
    emit by->activated(1);
    QStringList shares;
    for (const ledger::PieSlice& s : pie->slices()) shares << QStringLiteral("%1=%2").arg(s.name).arg(s.percent);
    EXPECT_EQ(shares, (QStringList{"固定費=60", "変動費=30", "未分類=10"}));
    EXPECT_TRUE(child<QLabel>(pie, "spanLabel")->text().endsWith(QStringLiteral("グループ別")));
    session().places.printDir = dir() + QStringLiteral("/out");
    press(pie, Qt::Key_F2);
    session().places.printDir = QString();
    EXPECT_EQ(QDir(dir() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")}).size(), 1);
}

}  // namespace
