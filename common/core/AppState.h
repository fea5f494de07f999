#pragma once
// Values shared by every window of one program during a run.

#include <QDateTime>
#include <QString>
#include <functional>

namespace app {

enum class Program { Bank, Purse };

struct ProductInfo {
    Program program;
    QString title;          // "ミルテ" / "カルネ": captions and message-box titles
    QString settingsApp;    // "Bank" / "Purse"
    QString databaseFile;   // "bank.mdb" / "moneta.mdb"
    QString helpFile;       // "bank.hlp" / "purse.hlp"
};
const ProductInfo& Product();
void Set_Product(Program p);

// The folder of the database and help file: the program's own folder unless set.
QString Data_Dir();
void Set_Data_Dir(const QString& dir);
QString Database_Path();
QString Help_Path();
// The folder printouts are written to as PDF files instead of going to a printer; empty: none
// chosen (the printer, or a "print" folder beside the database when there is no printer).
QString Print_Dir();
void Set_Print_Dir(const QString& dir);

// Version and author shown on the system-information window (placeholders).
struct AuthorInfo {
    QString version;
    QString name;
    QString mail;
    QString homePage;
    QString supportBoard;
};
const AuthorInfo& Author();

// Period mode set by the menu before opening the totals and graph windows: 0 monthly, 1 yearly.
extern int PeriodMode;
// True when the next printed sheet is a front side (wider left margin).
extern bool flg_Front;
// NM of the user profile; empty when there is none.
extern QString UserName;

// The present date and time. Tests replace the clock to work on fixed dates.
QDateTime Now();
void Set_Clock(std::function<QDateTime()> clock);  // empty function: the real clock

}  // namespace app
