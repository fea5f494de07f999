#pragma once
// The main menu: start-up, the hub that opens every window, and exit.

#include <QKeySequence>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/care/BookCare.h"
#include "ui/care/BookUndo.h"
#include "ui/shell/FormBase.h"

class QLabel;
class QMenu;

namespace ui {

// The windows the menu opens, in the order of its buttons and keys F1 .. F8.
enum class MenuTarget { Journal, MonthTotals, YearTotals, MonthGraph, YearGraph, SystemInfo, Master1, Master2 };

// Creates one of a program's windows, the menu its parent.
using WindowCreator = std::function<FormBase*(app::Session&, QWidget* menu)>;

// A window beyond the original menu's buttons: listed on the menu's right-click menu with its
// Ctrl shortcut, which works from the menu and from the windows of its group.
struct ExtraWindow {
    QString caption;       // "予算設定"
    QKeySequence keys;     // Ctrl+Shift+B
    QString group;         // windows of one group open each other by their shortcuts
    bool writes = false;   // it only writes: disabled on a book that cannot be written
    int needsVersion = 0;  // the book version it needs: the book is upgraded when it opens first
    WindowCreator create;
};

struct MenuConfig {
    // Lays out the program's own menu: its captions, and whether it has a second master (cmd_T0201).
    std::function<void(QDialog*)> setupUi;
    QString master1;         // F7: "銀行マスター" / "科目マスター"
    QString master2;         // F8: "項目マスター", beside the layout's cmd_T0201
    QString master1Missing;  // "銀行を設定してください" / "科目を設定してください"
    QString master2Missing;  // "項目を設定してください"; empty: no second check
    bool modeless = false;   // purse: journal, totals, system information, master list
    // Creates the window for a target; null when the program has no such window.
    std::function<FormBase*(MenuTarget, app::Session&, QWidget* menu)> create;
    std::vector<ExtraWindow> extras;  // in the order of the right-click menu
};
// A window the menu opens: the targets that open it (a month's and a year's button open one
// window) and how it is made.
struct MenuWindow {
    std::vector<MenuTarget> targets;
    WindowCreator create;
};
// The windows a program's menu opens; a target that no entry names opens nothing.
using MenuWindows = std::vector<MenuWindow>;
// The program's captions and messages (in ProgramWindows.cpp, beside the other windows' ones)
// with its layout and windows.
MenuConfig menuConfig(app::Program program, std::function<void(QDialog*)> setupUi, MenuWindows windows);

class form_Menu : public FormBase {
    Q_OBJECT
  public:
    form_Menu(app::Session& session, MenuConfig config);
    ~form_Menu() override;

    // The start-up: opens the database, reads the profile, asks the password, shows the menu,
    // checks the masters. Returns false when the program is to end (status in *exitCode).
    bool startUp(int* exitCode);

    void Set_MenuButtons(bool on);
    // The journal, totals and graph buttons and F1 to F5 (the session's Set_MenuEnabled).
    void Set_MenuEnabled(bool on);
    void setUserName(const QString& name);
    void openTarget(MenuTarget t);
    void help();
    void exit();
    // The window opened for a target, while it is open.
    FormBase* openWindow(MenuTarget t) const;
    BookUndo& undo() { return *m_undo; }

    // The windows beyond the buttons: the right-click menu (made anew, each entry off with its
    // reason as tooltip where it cannot be used), opening one, and why one cannot be opened now.
    QMenu* extrasMenu();
    void openExtra(int index);
    QString extraRefusal(int index) const;
    FormBase* openExtraWindow(int index) const;
    BookCare& care() { return *m_care; }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    // Makes sure there is a book to open: on a first start a new one is made (under --data-dir
    // only after asking). False when the program is to end.
    bool prepareBook(int* exitCode);
    // The message for a book that cannot be opened, on the screen and on stderr.
    void tellCannotOpen(const QString& error);
    void offerStandardMasters();
    // The one-time recalculation of an older household book; true when it ran.
    bool upgradeBook();
    MenuConfig m_config;
    std::unique_ptr<BookUndo> m_undo;
    std::unique_ptr<BookCare> m_care;
    QLabel* m_userName = nullptr;
    std::map<MenuTarget, QPointer<FormBase>> m_windows;
    std::map<int, QPointer<FormBase>> m_extras;
    bool m_exiting = false;
    bool m_newBook = false;
};

}  // namespace ui
