#include "core/settings/Settings.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSettings>

#include "core/AppState.h"
#include "core/db/Convert.h"

namespace settings {

QString Get_Setting(const QString& key, const QString& dflt) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::Product().settingsApp, app::Product().settingsApp);
    s.beginGroup(QStringLiteral("setting"));
    const QVariant v = s.value(key);
    return v.isValid() ? v.toString() : dflt;
}

void Save_Setting(const QString& key, const QString& value) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::Product().settingsApp, app::Product().settingsApp);
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

QString Get_Book_Setting(const QString& bookPath, const QString& key, const QString& dflt) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::Product().settingsApp, app::Product().settingsApp);
    s.beginGroup(QStringLiteral("book"));
    const QVariant v = s.value(bookKey(bookPath, key));
    return v.isValid() ? v.toString() : dflt;
}

void Save_Book_Setting(const QString& bookPath, const QString& key, const QString& value) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::Product().settingsApp, app::Product().settingsApp);
    s.beginGroup(QStringLiteral("book"));
    s.setValue(bookKey(bookPath, key), value);
}

long long Get_Number(const QString& key, long long dflt) {
    const QString v = Get_Setting(key, QString());
    return db::Is_Numeric(v) ? db::To_Long(v, dflt) : dflt;
}

QString Store_Location() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::Product().settingsApp, app::Product().settingsApp);
    return s.fileName();
}

double Twips_Per_Pixel(double logicalDpi) { return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0; }

PageChoice Choose_Journal_Page(long long highestPage, long long lastMonth, int presentMonth) {
    if (highestPage <= 0) return {1, true};
    if (presentMonth != lastMonth) return {highestPage + 1, true};
    return {highestPage, false};
}

}  // namespace settings
