#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "core/settings/Settings.h"
#include "support/TestEnv.h"

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

TEST_F(SettingsTest, ANewStoreIsPrivateAndAnExistingOneKeepsItsMode) {
    start(app::Program::Purse, false);
    const QString file = settings::storeLocation();
    ASSERT_FALSE(QFile::exists(file));
    settings::saveSetting(QStringLiteral("lastMonth"), QStringLiteral("5"));
    EXPECT_EQ(QFile::permissions(file) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QFile::permissions(QFileInfo(file).absolutePath()) & 0x7077,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(settings::getSetting(QStringLiteral("lastMonth"), {}), QStringLiteral("5"));

    const auto shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(file, shared));
    settings::saveBookSetting(QStringLiteral("/x/moneta.mdb"), QStringLiteral("page"), QStringLiteral("3"));
    EXPECT_EQ(QFile::permissions(file) & 0x7077, shared);
}

TEST_F(SettingsTest, TheNumberOfBackupsKeptHasASectionOfItsOwn) {
    start(app::Program::Purse, false);
    EXPECT_EQ(settings::backupKeep(), 10);
    QSettings raw(settings::storeLocation(), QSettings::IniFormat);
    // [setting] holds only its own keys; an unreadable count is the default, and one copy is the least.
    const std::tuple<const char*, QVariant, int> steps[] = {
        {"setting/keep", 3, 10}, {"backup/keep", 4, 4}, {"backup/keep", "many", 10}, {"backup/keep", 0, 1}};
    for (const auto& [key, stored, kept] : steps) {
        raw.setValue(QLatin1String(key), stored);
        raw.sync();
        EXPECT_EQ(settings::backupKeep(), kept) << key << " = " << stored.toString().toStdString();
    }
}
