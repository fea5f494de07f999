#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "support/TestEnv.h"
#include "core/settings/Settings.h"

TEST(JournalPage, NewPageInANewMonthOfUse) {
    using settings::Choose_Journal_Page;
    const auto empty = Choose_Journal_Page(0, 7, 5);
    EXPECT_EQ(empty.page, 1);
    EXPECT_TRUE(empty.rememberMonth);
    const auto same = Choose_Journal_Page(12, 5, 5);
    EXPECT_EQ(same.page, 12);
    EXPECT_FALSE(same.rememberMonth);
    const auto next = Choose_Journal_Page(12, 4, 5);
    EXPECT_EQ(next.page, 13);
    EXPECT_TRUE(next.rememberMonth);
    // The same month number a year later counts as the same month, as the stored key is 1..12.
    EXPECT_EQ(Choose_Journal_Page(12, 5, 5).page, 12);
}

class SettingsTest : public AppTest {};

TEST_F(SettingsTest, ValuesLandUnderTheProgramsApplicationAndSection) {
    Start(app::Program::Purse, false);
    EXPECT_EQ(settings::Get_Setting(QStringLiteral("lastMonth"), QStringLiteral("1")), QStringLiteral("1"));
    settings::Save_Setting(QStringLiteral("lastMonth"), QStringLiteral("5"));
    EXPECT_EQ(settings::Get_Number(QStringLiteral("lastMonth"), 1), 5);
    settings::Save_Setting(QStringLiteral("S0101Top"), QStringLiteral("garbage"));
    EXPECT_EQ(settings::Get_Number(QStringLiteral("S0101Top"), 77), 77) << "unreadable values fall back";
    const QString file = settings::Store_Location();
    EXPECT_TRUE(file.contains(QStringLiteral("Purse"))) << file.toStdString();
    EXPECT_TRUE(file.startsWith(Dir())) << "tests keep their settings to themselves";
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("setting/lastMonth")).toString(), QStringLiteral("5"));

    app::Set_Product(app::Program::Bank);
    EXPECT_EQ(settings::Get_Setting(QStringLiteral("lastMonth"), QStringLiteral("none")), QStringLiteral("none"))
        << "each program has its own store";
}
