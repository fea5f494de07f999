#include "core/settings/Settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"

namespace settings {
namespace {
// Before the first write: the folder and an empty file, both private. QSettings then writes
// through a temporary file that takes over the mode of the file it replaces, so the store
// is never readable by others, not even for a moment.
void makePrivateStore(const QSettings& s) {
    const QString file = s.fileName();
    if (QFileInfo::exists(file)) return;
    if (!db::makePrivatePath(QFileInfo(file).absolutePath())) return;
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}
}  // namespace

QString getSetting(const QString& key, const QString& dflt) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(QStringLiteral("setting"));
    const QVariant v = s.value(key);
    return v.isValid() ? v.toString() : dflt;
}

void saveSetting(const QString& key, const QString& value) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    makePrivateStore(s);
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

QString getBookSetting(const QString& bookPath, const QString& key, const QString& dflt, const QString& section) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(section);
    const QVariant v = s.value(bookKey(bookPath, key));
    return v.isValid() ? v.toString() : dflt;
}

void saveBookSetting(const QString& bookPath, const QString& key, const QString& value, const QString& section) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    makePrivateStore(s);
    s.beginGroup(section);
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

QString getSectionValue(const QString& section, const QString& key, const QString& dflt) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    s.beginGroup(section);
    const QVariant v = s.value(key);
    return v.isValid() ? v.toString() : dflt;
}

void saveSectionValue(const QString& section, const QString& key, const QString& value) {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    makePrivateStore(s);
    s.beginGroup(section);
    s.setValue(key, value);
}

int backupKeep() {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, app::product().settingsApp, app::product().settingsApp);
    const QVariant v = s.value(QStringLiteral("backup/keep"));
    if (!v.isValid() || !db::isNumeric(v)) return 10;
    return static_cast<int>(std::clamp<qint64>(db::To_Long(v, 10), 1, 10000));
}

double twipsPerPixel(double logicalDpi) { return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0; }

PageChoice chooseJournalPage(long long highestPage, long long lastMonth, int presentMonth) {
    if (highestPage <= 0) return {1, true};
    if (presentMonth != lastMonth) return {highestPage + 1, true};
    return {highestPage, false};
}

}  // namespace settings
