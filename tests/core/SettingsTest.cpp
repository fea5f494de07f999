#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "support/TestEnv.h"
#include "core/settings/Settings.h"

TEST(JournalPage, NewPageInANewMonthOfUse) {
    using settings::chooseJournalPage;
    const auto empty = chooseJournalPage(0, 7, 5);
    EXPECT_EQ(empty.page, 1);
    EXPECT_TRUE(empty.rememberMonth);
    const auto same = chooseJournalPage(12, 5, 5);
    EXPECT_EQ(same.page, 12);
    EXPECT_FALSE(same.rememberMonth);
    const auto next = chooseJournalPage(12, 4, 5);
    EXPECT_EQ(next.page, 13);
    EXPECT_TRUE(next.rememberMonth);
    // The same month number a year later counts as the same month, as the stored key is 1..12.
    EXPECT_EQ(chooseJournalPage(12, 5, 5).page, 12);
}

class SettingsTest : public AppTest {};

TEST_F(SettingsTest, ValuesLandUnderTheProgramsApplicationAndSection) {
    start(app::Program::Purse, false);
    EXPECT_EQ(settings::getSetting(QStringLiteral("lastMonth"), QStringLiteral("1")), QStringLiteral("1"));
    settings::saveSetting(QStringLiteral("lastMonth"), QStringLiteral("5"));
    EXPECT_EQ(settings::getNumber(QStringLiteral("lastMonth"), 1), 5);
    settings::saveSetting(QStringLiteral("S0101Top"), QStringLiteral("garbage"));
    EXPECT_EQ(settings::getNumber(QStringLiteral("S0101Top"), 77), 77) << "unreadable values fall back";
    const QString file = settings::storeLocation();
    EXPECT_TRUE(file.contains(QStringLiteral("Purse"))) << file.toStdString();
    EXPECT_TRUE(file.startsWith(dir())) << "tests keep their settings to themselves";
    QSettings raw(file, QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("setting/lastMonth")).toString(), QStringLiteral("5"));

    app::setProduct(app::Program::Bank);
    EXPECT_EQ(settings::getSetting(QStringLiteral("lastMonth"), QStringLiteral("none")), QStringLiteral("none"))
        << "each program has its own store";
}
