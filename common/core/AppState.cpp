#include "core/AppState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>

namespace app {
namespace {
const ProductInfo kBank{Program::Bank,
                        QStringLiteral("ミルテ"),
                        QStringLiteral("Bank"),
                        QStringLiteral("bank.mdb"),
                        QStringLiteral("bank.hlp"),
                        QStringLiteral("bank")};
const ProductInfo kPurse{Program::Purse,
                         QStringLiteral("カルネ"),
                         QStringLiteral("Purse"),
                         QStringLiteral("moneta.mdb"),
                         QStringLiteral("purse.hlp"),
                         QStringLiteral("purse")};
ProductInfo g_product = kBank;
}  // namespace

const ProductInfo& product() { return g_product; }

const ProductInfo& productOf(Program p) { return p == Program::Bank ? kBank : kPurse; }

void setProduct(Program p) { g_product = productOf(p); }

BookPlace chooseBookPlace(const QString& optionDir, const QString& programDir, const QString& userDataDir,
                          const QString& bookFile) {
    if (!optionDir.isEmpty()) return {optionDir, true};
    if (!programDir.isEmpty() && QFileInfo::exists(QDir(programDir).filePath(bookFile))) return {programDir, false};
    return {userDataDir, false};
}

QString Places::programFolder() const {
    return programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir;
}

QString Places::dataFolder() const { return dataDir.isEmpty() ? programFolder() : dataDir; }

void Places::resolveDataDir(const ProductInfo& product) {
    if (dataDirFromOption) return;
    // The per-user folder is named after the application alone (no organisation), so that it
    // is ~/.local/share/Bank or ~/.local/share/Purse.
    dataDir = chooseBookPlace(QString(), programFolder(),
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), product.databaseFile)
                  .dir;
}

QString Places::databasePath(const ProductInfo& product) const {
    return QDir(dataFolder()).filePath(product.databaseFile);
}

QString Places::shareDir(const ProductInfo& product) const {
    return QDir::cleanPath(programFolder() + QStringLiteral("/../share/") + product.name);
}

QString Places::helpPath(const ProductInfo& product) const {
    const QStringList candidates = {QDir(dataFolder()).filePath(product.helpFile),
                                    QDir(programFolder()).filePath(product.helpFile),
                                    QDir(shareDir(product)).filePath(product.helpFile)};
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile()) return c;
    return candidates.first();
}

const AuthorInfo& author() {
    static const AuthorInfo info{QStringLiteral("Ver.1.21"), QStringLiteral("家計簿工房"),
                                 QStringLiteral("author@example.org"), QStringLiteral("https://www.example.org/"),
                                 QStringLiteral("https://www.example.org/support/")};
    return info;
}

void surviveFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace app
