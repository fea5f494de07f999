#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "bank/BankWindows.h"
#include "core/db/Recordset.h"
#include "core/settings/Settings.h"
#include "purse/PurseWindows.h"
#include "support/TestEnv.h"
#include "ui/FormBase.h"
#include "ui/Msg.h"

namespace {

// Every window's print button ends in a printout: here one PDF in the chosen folder.
class PrintWiringTest : public AppTest {
  protected:
    void begin(app::Program p) {
        start(p);
        app::setPrintDir(dir() + QStringLiteral("/out"));
    }
    void TearDown() override {
        app::setPrintDir(QString());
        AppTest::TearDown();
    }
    ui::FormBase* Show(ui::FormBase* w) { return window = shown(w); }
    // Presses the print frame's button with the side chosen; the frame closes and the keys work again.
    void printFromFrame(bool front) {
        window->findChild<QRadioButton*>(front ? QStringLiteral("Option1_0") : QStringLiteral("Option1_1"))
            ->setChecked(true);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command6")), Qt::LeftButton);
        EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("frm_select_omote"))->isVisible());
        EXPECT_TRUE(window->fKey(1)->isEnabled());
    }
    // The pages of the one PDF written, and the message that named it.
    int printedPages() {
        const QStringList files = QDir(dir() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")});
        EXPECT_EQ(files.size(), 1);
        if (files.isEmpty()) return 0;
        const QString path = dir() + QStringLiteral("/out/") + files.first();
        EXPECT_TRUE(messages().takeTexts().join(QLatin1Char('\n')).contains(path));
        return int(
            QString::fromLatin1(fileBytes(path)).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
    }
    ui::FormBase* window = nullptr;
};

TEST_F(PrintWiringTest, BankListPrintsItsGridAndFlipsTheSide) {
    begin(app::Program::Bank);
    for (int i = 1; i <= 31; ++i)
        sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,0)", {i, QStringLiteral("銀行%1").arg(i)});
    Show(new bank::form_T0101(session()));
    press(window, Qt::Key_F9);
    printFromFrame(true);
    EXPECT_EQ(printedPages(), 2);
    EXPECT_FALSE(session().flg_Front) << "one full page was printed on the front";
}

TEST_F(PrintWiringTest, BankJournalPrintsTheListedMonth) {
    begin(app::Program::Bank);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'さくら銀行',0)");
    sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0)");
    session().reopenMasters();
    Show(bank::createJournal(session(), nullptr));
    press(window, Qt::Key_F9);
    printFromFrame(false);
    EXPECT_EQ(printedPages(), 1);
    EXPECT_FALSE(session().flg_Front);
}

TEST_F(PrintWiringTest, HouseholdJournalPrintsTheShownPage) {
    begin(app::Program::Purse);
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'食費',1)");
    for (int i = 1; i <= 30; ++i)
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,1,'2024/05/10',1,100,?,'')",
            {i, -100 * i});
    session().reopenMasters();
    settings::saveSetting(QStringLiteral("lastMonth"), QStringLiteral("5"));  // page 1 is this month's
    Show(purse::createJournal(session(), nullptr));
    press(window, Qt::Key_F9);
    printFromFrame(true);
    EXPECT_EQ(printedPages(), 2) << "thirty rows fill a sheet; the end is found on the next";
    EXPECT_FALSE(session().flg_Front);
}

TEST_F(PrintWiringTest, BankTotalsPrintAtOnceOnTheBackMargin) {
    begin(app::Program::Bank);
    sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'さくら銀行',0)");
    for (int i = 1; i <= 20; ++i) {
        sql("INSERT INTO T02 (CD,NM,KIND) VALUES (?,?,1)", {i, QStringLiteral("項目%1").arg(i)});
        sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (?,'2024/05/03',1,?,100,'')", {i, i});
    }
    session().reopenMasters();
    session().periodMode = 0;
    Show(new bank::form_S01T0101(session()));
    session().flg_Front = true;
    press(window, Qt::Key_F2);
    EXPECT_EQ(printedPages(), 2) << "twenty items, their empty rows and the total: 41 rows";
    EXPECT_TRUE(session().flg_Front) << "the bank book's totals leave the side alone";
}

TEST_F(PrintWiringTest, HouseholdTotalsAskForTheSideFirst) {
    begin(app::Program::Purse);
    sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'食費',1)");
    sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (1,1,'2024/05/10',1,100,-100,'')");
    session().reopenMasters();
    session().periodMode = 1;
    Show(new purse::form_S01T0101(session()));
    press(window, Qt::Key_F2);
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("frm_select_omote"))->isVisible());
    printFromFrame(false);
    EXPECT_EQ(printedPages(), 1);
    EXPECT_FALSE(session().flg_Front);
}

}  // namespace
