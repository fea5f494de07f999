#pragma once
// The per-user settings store: application "Bank" or "Purse", section "setting".
// Every read names its default; nothing stored is needed to run. A store the program creates
// is readable by its owner only (mode 0600, a new folder 0700); an existing one keeps its mode.

#include <QString>

namespace settings {

QString getSetting(const QString& key, const QString& dflt);
void saveSetting(const QString& key, const QString& value);
// Values that belong to one book, keyed by the book's path, in a section of their own ("book",
// or the one named: "check").
QString getBookSetting(const QString& bookPath, const QString& key, const QString& dflt,
                       const QString& section = QStringLiteral("book"));
void saveBookSetting(const QString& bookPath, const QString& key, const QString& value,
                     const QString& section = QStringLiteral("book"));

// A value in a section of its own (never "setting", whose keys are fixed): "export", ...
QString getSectionValue(const QString& section, const QString& key, const QString& dflt);
void saveSectionValue(const QString& section, const QString& key, const QString& value);

// Whole number stored under key, or dflt when absent or not a number.
long long getNumber(const QString& key, long long dflt);
// Where the values are kept (for messages and tests).
QString storeLocation();

// How many backup copies of the book are kept: [backup] keep, 10 when absent or not a number,
// at least 1.
int backupKeep();

// Window sizes are stored in twips (1/1440 inch) at the screen's logical resolution.
double twipsPerPixel(double logicalDpi);

// The journal page of the household book at the opening of its window: a new page in a new
// month of use. highestPage is the highest P_CD (0 for an empty journal).
struct PageChoice {
    long long page;
    bool rememberMonth;  // write the present month to "lastMonth"
};
PageChoice chooseJournalPage(long long highestPage, long long lastMonth, int presentMonth);

}  // namespace settings
