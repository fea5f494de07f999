#include "AppState.h"

#include <QCoreApplication>
#include <QDir>

namespace app {
namespace {
ProductInfo g_product{Program::Bank, QStringLiteral("ミルテ"), QStringLiteral("Bank"), QStringLiteral("bank.mdb"),
                      QStringLiteral("bank.hlp")};
QString g_dataDir;
QString g_printDir;
std::function<QDateTime()> g_clock;
}  // namespace

int PeriodMode = 0;
bool flg_Front = true;
QString UserName;

const ProductInfo& Product() { return g_product; }

void Set_Product(Program p) {
    if (p == Program::Bank)
        g_product = {Program::Bank, QStringLiteral("ミルテ"), QStringLiteral("Bank"), QStringLiteral("bank.mdb"),
                     QStringLiteral("bank.hlp")};
    else
        g_product = {Program::Purse, QStringLiteral("カルネ"), QStringLiteral("Purse"), QStringLiteral("moneta.mdb"),
                     QStringLiteral("purse.hlp")};
}

QString Data_Dir() {
    if (!g_dataDir.isEmpty()) return g_dataDir;
    return QCoreApplication::applicationDirPath();
}
void Set_Data_Dir(const QString& dir) { g_dataDir = dir; }
QString Database_Path() { return QDir(Data_Dir()).filePath(g_product.databaseFile); }
QString Help_Path() { return QDir(Data_Dir()).filePath(g_product.helpFile); }
QString Print_Dir() { return g_printDir; }
void Set_Print_Dir(const QString& dir) { g_printDir = dir; }

const AuthorInfo& Author() {
    static const AuthorInfo info{QStringLiteral("Ver.1.21"), QStringLiteral("家計簿工房"),
                                 QStringLiteral("author@example.org"), QStringLiteral("https://www.example.org/"),
                                 QStringLiteral("https://www.example.org/support/")};
    return info;
}

QDateTime Now() { return g_clock ? g_clock() : QDateTime::currentDateTime(); }
void Set_Clock(std::function<QDateTime()> clock) { g_clock = std::move(clock); }

}  // namespace app
