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
QString g_dataDir;
bool g_dataDirFromOption = false;
QString g_programDir;
QString g_printDir;
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

QString programDir() { return g_programDir.isEmpty() ? QCoreApplication::applicationDirPath() : g_programDir; }
void setProgramDir(const QString& dir) { g_programDir = dir; }

QString dataDir() {
    if (!g_dataDir.isEmpty()) return g_dataDir;
    return programDir();
}
void setDataDir(const QString& dir) {
    g_dataDir = dir;
    g_dataDirFromOption = !dir.isEmpty();
}
void resolveDataDir() {
    if (g_dataDirFromOption) return;
    // The per-user folder is named after the application alone (no organisation), so that it
    // is ~/.local/share/Bank or ~/.local/share/Purse.
    const BookPlace place =
        chooseBookPlace(QString(), programDir(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                        g_product.databaseFile);
    g_dataDir = place.dir;
}
bool dataDirFromOption() { return g_dataDirFromOption; }
QString databasePath() { return QDir(dataDir()).filePath(g_product.databaseFile); }
QString shareDir() { return QDir::cleanPath(programDir() + QStringLiteral("/../share/") + g_product.name); }
QString helpPath() {
    const QStringList candidates = {QDir(dataDir()).filePath(g_product.helpFile),
                                    QDir(programDir()).filePath(g_product.helpFile),
                                    QDir(shareDir()).filePath(g_product.helpFile)};
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile()) return c;
    return candidates.first();
}
QString printDir() { return g_printDir; }
void setPrintDir(const QString& dir) { g_printDir = dir; }

const AuthorInfo& author() {
    static const AuthorInfo info{QStringLiteral("Ver.1.21"), QStringLiteral("家計簿工房"),
                                 QStringLiteral("author@example.org"), QStringLiteral("https://www.example.org/"),
                                 QStringLiteral("https://www.example.org/support/")};
    return info;
}

void surviveFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace app
