#include "core/settings/Settings.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSettings>

#include "core/AppState.h"
#include "core/db/Convert.h"

namespace settings {

QString getSetting(const QString& key, const QString& dflt) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(QStringLiteral("setting"));
    const QVariant v = s.value(key);
    return v.isValid() ? v.toString() : dflt;
}

void saveSetting(const QString& key, const QString& value) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(QStringLiteral("setting"));
    s.setValue(key, value);
}

namespace {
// One key per book and value: the book's absolute path, hashed so that it makes a plain key.
QString bookKey(const QString& bookPath, const QString& key) {
    const QByteArray path = QFileInfo(bookPath).absoluteFilePath().toUtf8();
    return key + QLatin1Char('_') +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16));
}
}  // namespace

QString getBookSetting(const QString& bookPath, const QString& key, const QString& dflt) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(QStringLiteral("book"));
    const QVariant v = s.value(bookKey(bookPath, key));
    return v.isValid() ? v.toString() : dflt;
}

void saveBookSetting(const QString& bookPath, const QString& key, const QString& value) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(QStringLiteral("book"));
    s.setValue(bookKey(bookPath, key), value);
}

long long getNumber(const QString& key, long long dflt) {
    const QString v = getSetting(key, QString());
    return db::isNumeric(v) ? db::To_Long(v, dflt) : dflt;
}

QString storeLocation() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    return s.fileName();
}

double twipsPerPixel(double logicalDpi) { return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0; }

PageChoice chooseJournalPage(long long highestPage, long long lastMonth, int presentMonth) {
    if (highestPage <= 0) return {1, true};
    if (presentMonth != lastMonth) return {highestPage + 1, true};
    return {highestPage, false};
}

}  // namespace settings
