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
    QString name;           // "bank" / "purse": the command, and its folder under share/
};
const ProductInfo& Product();
const ProductInfo& Product_Of(Program p);
void Set_Product(Program p);

// Where the book lives: the folder given with --data-dir; else the program's own folder when
// it holds the book (a portable copy, the build tree); else the per-user data folder.
struct BookPlace {
    QString dir;
    bool fromOption = false;  // chosen with --data-dir
};
BookPlace Choose_Book_Place(const QString& optionDir, const QString& programDir, const QString& userDataDir,
                            const QString& bookFile);

// The folder of the database (and of the user's own help file). Until Resolve_Data_Dir() or
// Set_Data_Dir() it is the program's own folder.
QString Data_Dir();
void Set_Data_Dir(const QString& dir);
// Chooses the data folder as Choose_Book_Place does, for the running program.
void Resolve_Data_Dir();
// Whether the data folder was named with --data-dir (or set by Set_Data_Dir with a folder).
bool Data_Dir_From_Option();
QString Database_Path();
// The help file: the one in the data folder, else the one beside the program, else the one
// installed with it (<program folder>/../share/<name>/); the first of them when none exists.
QString Help_Path();
// The folder of the installed read-only files: <program folder>/../share/<name>.
QString Share_Dir();
// The program's own folder (QCoreApplication::applicationDirPath()); tests set another.
QString Program_Dir();
void Set_Program_Dir(const QString& dir);
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

// A write beyond the file-size limit (ulimit -f) fails like a full disk instead of killing the
// program with SIGXFSZ.
void Survive_File_Size_Limit();

}  // namespace app
