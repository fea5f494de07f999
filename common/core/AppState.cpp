#include "core/AppState.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <csignal>

namespace app {
namespace {
const ProductInfo kBank{Program::Bank, QStringLiteral("ミルテ"), QStringLiteral("Bank"), QStringLiteral("bank.mdb"),
                       QStringLiteral("bank.hlp"), QStringLiteral("bank")};
const ProductInfo kPurse{Program::Purse, QStringLiteral("カルネ"), QStringLiteral("Purse"),
                        QStringLiteral("moneta.mdb"), QStringLiteral("purse.hlp"), QStringLiteral("purse")};
ProductInfo g_product = kBank;
QString g_dataDir;
bool g_dataDirFromOption = false;
QString g_programDir;
QString g_printDir;
}  // namespace

const ProductInfo& Product() { return g_product; }

const ProductInfo& Product_Of(Program p) { return p == Program::Bank ? kBank : kPurse; }

void Set_Product(Program p) { g_product = Product_Of(p); }

BookPlace Choose_Book_Place(const QString& optionDir, const QString& programDir, const QString& userDataDir,
                            const QString& bookFile) {
    if (!optionDir.isEmpty()) return {optionDir, true};
    if (!programDir.isEmpty() && QFileInfo::exists(QDir(programDir).filePath(bookFile))) return {programDir, false};
    return {userDataDir, false};
}

QString Program_Dir() { return g_programDir.isEmpty() ? QCoreApplication::applicationDirPath() : g_programDir; }
void Set_Program_Dir(const QString& dir) { g_programDir = dir; }

QString Data_Dir() {
    if (!g_dataDir.isEmpty()) return g_dataDir;
    return Program_Dir();
}
void Set_Data_Dir(const QString& dir) {
    g_dataDir = dir;
    g_dataDirFromOption = !dir.isEmpty();
}
void Resolve_Data_Dir() {
    if (g_dataDirFromOption) return;
    // The per-user folder is named after the application alone (no organisation), so that it
    // is ~/.local/share/Bank or ~/.local/share/Purse.
    const BookPlace place =
        Choose_Book_Place(QString(), Program_Dir(),
                          QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), g_product.databaseFile);
    g_dataDir = place.dir;
}
bool Data_Dir_From_Option() { return g_dataDirFromOption; }
QString Database_Path() { return QDir(Data_Dir()).filePath(g_product.databaseFile); }
QString Share_Dir() {
    return QDir::cleanPath(Program_Dir() + QStringLiteral("/../share/") + g_product.name);
}
QString Help_Path() {
    const QStringList candidates = {QDir(Data_Dir()).filePath(g_product.helpFile),
                                    QDir(Program_Dir()).filePath(g_product.helpFile),
                                    QDir(Share_Dir()).filePath(g_product.helpFile)};
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile()) return c;
    return candidates.first();
}
QString Print_Dir() { return g_printDir; }
void Set_Print_Dir(const QString& dir) { g_printDir = dir; }

const AuthorInfo& Author() {
    static const AuthorInfo info{QStringLiteral("Ver.1.21"), QStringLiteral("家計簿工房"),
                                 QStringLiteral("author@example.org"), QStringLiteral("https://www.example.org/"),
                                 QStringLiteral("https://www.example.org/support/")};
    return info;
}

void Survive_File_Size_Limit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace app
