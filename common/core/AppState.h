#pragma once
// Values shared by every window of one program during a run.

#include <QDateTime>
#include <QString>
#include <functional>

namespace app {

enum class Program { Bank, Purse };

struct ProductInfo {
    Program program;
    QString title;         // "ミルテ" / "カルネ": captions and message-box titles
    QString settingsApp;   // "Bank" / "Purse"
    QString databaseFile;  // "bank.mdb" / "moneta.mdb"
    QString helpFile;      // "bank.hlp" / "purse.hlp"
    QString name;          // "bank" / "purse": the command, and its folder under share/
};
const ProductInfo& product();
const ProductInfo& productOf(Program p);
void setProduct(Program p);

// Where the book lives: the folder given with --data-dir; else the program's own folder when
// it holds the book (a portable copy, the build tree); else the per-user data folder.
struct BookPlace {
    QString dir;
    bool fromOption = false;  // chosen with --data-dir
};
BookPlace chooseBookPlace(const QString& optionDir, const QString& programDir, const QString& userDataDir,
                          const QString& bookFile);

// Where one running program finds its files: the book's folder, the program's own folder and the
// folder printouts go to. The session holds them; a test sets its own.
struct Places {
    // The folder of the database (and of the user's own help file); empty until chosen: the
    // program's own folder.
    QString dataDir;
    bool dataDirFromOption = false;  // named with --data-dir
    // The program's own folder; empty: QCoreApplication::applicationDirPath().
    QString programDir;
    // The folder printouts are written to as PDF files instead of going to a printer; empty: none
    // chosen (the printer, or a "print" folder beside the database when there is no printer).
    QString printDir;

    QString programFolder() const;
    QString dataFolder() const;
    // Chooses the data folder as chooseBookPlace does, unless --data-dir named one.
    void resolveDataDir(const ProductInfo& product);
    QString databasePath(const ProductInfo& product) const;
    // The folder of the installed read-only files: <program folder>/../share/<name>.
    QString shareDir(const ProductInfo& product) const;
    // The help file: the one in the data folder, else the one beside the program, else the one
    // installed with it; the first of them when none exists.
    QString helpPath(const ProductInfo& product) const;
};

// Version and author shown on the system-information window (placeholders).
struct AuthorInfo {
    QString version;
    QString name;
    QString mail;
    QString homePage;
    QString supportBoard;
};
const AuthorInfo& author();

// A write beyond the file-size limit (ulimit -f) fails like a full disk instead of killing the
// program with SIGXFSZ.
void surviveFileSizeLimit();

}  // namespace app
