#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "ui/FormBase.h"
#include "ui/Msg.h"
#include "support/TestEnv.h"
#include "bank/BankWindows.h"
#include "purse/PurseWindows.h"
#include "core/db/Recordset.h"
#include "core/settings/Settings.h"

namespace {

// Every window's print button ends in a printout: here one PDF in the chosen folder.
class PrintWiringTest : public AppTest {
protected:
    void Begin(app::Program p) {
        Start(p);
        app::Set_Print_Dir(Dir() + QStringLiteral("/out"));
    }
    void TearDown() override {
        app::Set_Print_Dir(QString());
        AppTest::TearDown();
    }
    ui::FormBase* Show(ui::FormBase* w) {
        window = w;
        EXPECT_TRUE(Show_Active(w));
        return w;
    }
    // Presses the print frame's button with the side chosen.
    void Print_From_Frame(bool front) {
        window->findChild<QRadioButton*>(front ? QStringLiteral("Option1_0") : QStringLiteral("Option1_1"))
            ->setChecked(true);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command6")), Qt::LeftButton);
    }
    // The pages of the one PDF written, and the message that named it.
    int Printed_Pages() {
        const QStringList files = QDir(Dir() + QStringLiteral("/out")).entryList({QStringLiteral("*.pdf")});
        EXPECT_EQ(files.size(), 1);
        if (files.isEmpty()) return 0;
        const QString path = Dir() + QStringLiteral("/out/") + files.first();
        EXPECT_TRUE(messages().Take_Texts().join(QLatin1Char('\n')).contains(path));
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return int(QString::fromLatin1(f.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
    }
    ui::FormBase* window = nullptr;
};

TEST_F(PrintWiringTest, BankListPrintsItsGridAndFlipsTheSide) {
    Begin(app::Program::Bank);
    for (int i = 1; i <= 31; ++i) Sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,0)", {i, QStringLiteral("銀行%1").arg(i)});
    Show(bank::Create_BankList(session(), nullptr));
    Press(window, Qt::Key_F9);
    Print_From_Frame(true);
    EXPECT_EQ(Printed_Pages(), 2);
    EXPECT_FALSE(session().flg_Front) << "one full page was printed on the front";
    EXPECT_TRUE(window->FKey(1)->isEnabled());
}

TEST_F(PrintWiringTest, BankJournalPrintsTheListedMonth) {
    Begin(app::Program::Bank);
    Sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'さくら銀行',0)");
    Sql("INSERT INTO T02 (CD,NM,KIND) VALUES (1,'給与',0)");
    session().reopenMasters();
    Show(bank::Create_Journal(session(), nullptr));
    Press(window, Qt::Key_F9);
    Print_From_Frame(false);
    EXPECT_EQ(Printed_Pages(), 1);
    EXPECT_FALSE(session().flg_Front);
}

TEST_F(PrintWiringTest, HouseholdJournalPrintsTheShownPage) {
    Begin(app::Program::Purse);
    Sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'食費',1)");
    for (int i = 1; i <= 30; ++i)
        Sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,1,'2024/05/10',1,100,?,'')", {i, -100 * i});
    session().reopenMasters();
    settings::Save_Setting(QStringLiteral("lastMonth"), QStringLiteral("5"));  // page 1 is this month's
    Show(purse::Create_Journal(session(), nullptr));
    Press(window, Qt::Key_F9);
    Print_From_Frame(true);
    EXPECT_EQ(Printed_Pages(), 2) << "thirty rows fill a sheet; the end is found on the next";
    EXPECT_FALSE(session().flg_Front);
}

TEST_F(PrintWiringTest, BankTotalsPrintAtOnceOnTheBackMargin) {
    Begin(app::Program::Bank);
    Sql("INSERT INTO T01 (CD,NM,ZAN) VALUES (1,'さくら銀行',0)");
    for (int i = 1; i <= 20; ++i) {
        Sql("INSERT INTO T02 (CD,NM,KIND) VALUES (?,?,1)", {i, QStringLiteral("項目%1").arg(i)});
        Sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (?,'2024/05/03',1,?,100,'')", {i, i});
    }
    session().reopenMasters();
    session().PeriodMode = 0;
    Show(bank::Create_Totals(session(), nullptr));
    session().flg_Front = true;
    Press(window, Qt::Key_F2);
    EXPECT_EQ(Printed_Pages(), 2) << "twenty items, their empty rows and the total: 41 rows";
    EXPECT_TRUE(session().flg_Front) << "the bank book's totals leave the side alone";
}

TEST_F(PrintWiringTest, HouseholdTotalsAskForTheSideFirst) {
    Begin(app::Program::Purse);
    Sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'食費',1)");
    Sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (1,1,'2024/05/10',1,100,-100,'')");
    session().reopenMasters();
    session().PeriodMode = 1;
    Show(purse::Create_Totals(session(), nullptr));
    Press(window, Qt::Key_F2);
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("frm_select_omote"))->isVisible());
    Print_From_Frame(false);
    EXPECT_EQ(Printed_Pages(), 1);
    EXPECT_FALSE(session().flg_Front);
}

}  // namespace
