#include "ui/menu/MenuForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <cstdio>
#include <optional>

#include "core/AppState.h"
#include "core/Password.h"
#include "core/care/Upgrade.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Pages.h"
#include "core/settings/Settings.h"
#include "ui/menu/HelpWindow.h"
#include "ui/menu/PasswordForm.h"
#include "ui/shell/Progress.h"

namespace ui {
namespace {
const char* const kJournalButtons[] = {"cmd_S0101", "cmd_S01T0101", "cmd_S01T0102", "cmd_grp_S0101", "cmd_grp_S0102",
                                       "cmd_F1",    "cmd_F2",       "cmd_F3",       "cmd_F4",        "cmd_F5"};
}  // namespace

void form_Menu::Set_MenuEnabled(bool on) {
    for (const char* name : kJournalButtons)
        if (auto* b = findChild<QPushButton*>(QLatin1String(name))) b->setEnabled(on);
}

form_Menu::form_Menu(app::Session& session, MenuConfig config)
    : FormBase(session, session.product().title),
      m_config(std::move(config)),
      m_undo(std::make_unique<BookUndo>(session)),
      m_care(std::make_unique<BookCare>(session)) {
    connect(&session, &app::Session::menuEnabled, this, &form_Menu::Set_MenuEnabled);
    connect(&session, &app::Session::userNameChanged, this, &form_Menu::setUserName);
    if (m_config.setupUi) m_config.setupUi(this);
    m_userName = findChild<QLabel*>(QStringLiteral("lbl_UserName"));

    createFKeyBar(8, height() - 57, width() - 16);

    struct Entry {
        const char* button;
        MenuTarget target;
        int key;
        QString caption;
    };
    const Entry entries[] = {
        {"cmd_S0101", MenuTarget::Journal, 1, QStringLiteral("入力")},
        {"cmd_S01T0101", MenuTarget::MonthTotals, 2, QStringLiteral("月合計")},
        {"cmd_S01T0102", MenuTarget::YearTotals, 3, QStringLiteral("年合計")},
        {"cmd_grp_S0101", MenuTarget::MonthGraph, 4, QStringLiteral("月グラフ")},
        {"cmd_grp_S0102", MenuTarget::YearGraph, 5, QStringLiteral("年グラフ")},
        {"cmd_U0101", MenuTarget::SystemInfo, 6, QStringLiteral("システム情報")},
        {"cmd_T0101", MenuTarget::Master1, 7, m_config.master1},
        {"cmd_T0201", MenuTarget::Master2, 8, m_config.master2},
    };
    for (const Entry& e : entries) {
        auto* b = findChild<QPushButton*>(QLatin1String(e.button));
        if (!b) continue;
        const MenuTarget t = e.target;
        connect(b, &QPushButton::clicked, this, [this, t] { openTarget(t); });
        if (e.key <= 5) {
            // F1..F5 disable their own button while the window they open is shown.
            const int key = e.key;
            setFKey(key, e.caption, [this, key, t] {
                QPushButton* self = fKey(key);
                if (self) self->setEnabled(false);
                openTarget(t);
                if (self && !m_exiting) self->setEnabled(true);
            });
        } else {
            setFKey(e.key, e.caption, [this, t] { openTarget(t); });
        }
    }
    if (auto* b = findChild<QPushButton*>(QStringLiteral("cmd_Help")))
        connect(b, &QPushButton::clicked, this, &form_Menu::help);
    if (auto* b = findChild<QPushButton*>(QStringLiteral("cmd_End")))
        connect(b, &QPushButton::clicked, this, &form_Menu::exit);
    setFKey(9, QStringLiteral("ヘルプ"), [this] { help(); });
    setFKey(10, QStringLiteral("終了"), [this] { exit(); });

    if (!m_config.extras.empty()) {
        setToolTip(QStringLiteral("右クリック: その他の機能"));
        setContextMenuPolicy(Qt::CustomContextMenu);
        connect(this, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& at) { extrasMenu()->popup(mapToGlobal(at)); });
        for (int i = 0; i < int(m_config.extras.size()); ++i)
            setShortcut(m_config.extras[i].keys, [this, i] { openExtra(i); });
    }
}

form_Menu::~form_Menu() = default;

void form_Menu::setUserName(const QString& name) {
    if (m_userName) m_userName->setText(name);
}

void form_Menu::tellCannotOpen(const QString& error) {
    // Only a book that is not there can be made; one in use or damaged is named as it is.
    const bool missing = !QFileInfo::exists(session().databasePath());
    const QString text = missing ? error + QStringLiteral("\n\n作成するには: dbinit %1 \"%2\"")
                                               .arg(session().product().name, session().places.dataFolder())
                                 : error;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    session().show(nullptr, text, app::Icon::Critical);
}

bool form_Menu::prepareBook(int* exitCode) {
    const QString path = session().databasePath();
    const QFileInfo info(path);
    // Something that is there but cannot be opened is reported when it is opened, never replaced.
    if (info.exists() || info.isSymLink()) return true;
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    // A folder named on the command line may be a mistyped one: ask before making a book there.
    if (session().places.dataDirFromOption &&
        session().show(nullptr, QStringLiteral("%1 にデータベースがありません。\n新しく作成しますか？").arg(shown),
                       app::Icon::Question, app::Buttons::YesNo) != app::Answer::Yes) {
        tellCannotOpen(QStringLiteral("データベースファイルがありません: %1").arg(shown));
        if (exitCode) *exitCode = 2;
        return false;
    }
    QString error;
    if (!db::createBook(session().program(), path, &error)) {
        tellCannotOpen(error);
        if (exitCode) *exitCode = 2;
        return false;
    }
    m_newBook = true;
    return true;
}

void form_Menu::offerStandardMasters() {
    const bool bank = session().program() == app::Program::Bank;
    const QString question = bank ? QStringLiteral("標準の項目（給与、家賃、光熱費など）を登録しますか？")
                                  : QStringLiteral("標準の科目（給与、食費、日用品など）を登録しますか？");
    if (session().show(nullptr, question, app::Icon::Question, app::Buttons::YesNo) != app::Answer::Yes) return;
    QString error;
    if (!ledger::registerStandardMasters(book(), session().program(), &error))
        session().show(nullptr, QStringLiteral("追加できません"), app::Icon::Critical);
}

bool form_Menu::upgradeBook() {
    // A household book kept by an earlier version may hold balances that were left for a later
    // recalculation, or a chain broken by an empty page. Every write now keeps them right, so
    // they are made right once, the first time this version opens the book.
    if (session().program() != app::Program::Purse || book().isReadOnly()) return false;
    const QString path = book().path();
    if (settings::getBookSetting(path, QStringLiteral("chain"), QString()) == QStringLiteral("1")) return false;
    // Balances over amounts stored as text would count them as 0: this waits for them to be
    // put right (the setting stays unset, so it runs at a later opening).
    if (!session().mayWriteOnItsOwn(nullptr)) return false;
    ledger::Recalc r;
    {
        Hourglass wait;
        withProgress(nullptr, QStringLiteral("差引を再計算しています"),
                     [this, &r](const ledger::Progress& p) { r = ledger::Recalc_Zan(book(), 1, p); });
    }
    if (r.ok) settings::saveBookSetting(path, QStringLiteral("chain"), QStringLiteral("1"));
    return true;
}

bool form_Menu::startUp(int* exitCode) {
    setWindowTitle(session().product().title);
    if (!book().isOpen()) {
        if (!prepareBook(exitCode)) return false;
        QString error;
        if (!session().openBook(session().databasePath(), &error)) {
            tellCannotOpen(error);
            if (exitCode) *exitCode = 2;
            return false;
        }
    }
    if (book().isReadOnly()) session().show(nullptr, book().readOnlyMessage(), app::Icon::Information);
    // A book made at this start: its masters may start from a standard set, asked before the
    // messages that an empty book brings.
    if (m_newBook && !book().isReadOnly()) offerStandardMasters();
    setUserName(QStringLiteral("未登録"));
    db::Rs u01;
    if (db::Open_U01(book(), u01) == db::kRows) {
        session().setUserName(db::To_Str(u01->field(QStringLiteral("NM")), QString()));
        const QVariant pass = u01->field(QStringLiteral("PASSWORD"));
        if (pass.isValid() && pass.toString() != QStringLiteral(" ")) {
            form_U0102 prompt(session());
            prompt.Set_Form(1);
            if (prompt.ask() != form_U0102::Result::Accepted) {
                db::Close_Rs(u01);
                session().closeBook();
                if (exitCode) *exitCode = 1;
                return false;
            }
            db::Close_Rs(u01);
            // A password kept as plain text by an earlier version becomes its hash now, before
            // the opening copy is written, so that no new copy holds the text. A book that
            // another tool left with values of the wrong type is left as it was found.
            if (app::passwordNeedsUpgrade(book(), prompt.typed()) && session().mayWriteOnItsOwn(nullptr))
                app::upgradePassword(book(), prompt.typed());
        }
        db::Close_Rs(u01);
    } else {
        session().show(nullptr, QStringLiteral("システム設定を行ってください"), app::Icon::Information);
    }
    // The opening copy keeps the book as it was found; the one-time recalculation of an older
    // household book comes after it, with a copy of its own, so that the weekly check reads the
    // balances the program will show.
    m_care->copyNow(nullptr);
    if (upgradeBook()) m_care->copyNow(nullptr);
    m_care->checkWhenDue(nullptr);
    show();
    const bool items = !m_config.master2Missing.isEmpty();
    session().reopenMasters();
    if (!session().flg_T01) {
        info(m_config.master1Missing);
        if (!items) Set_MenuEnabled(false);
    }
    if (items) {
        if (!session().flg_T02) info(m_config.master2Missing);
        if (!session().flg_T01 || !session().flg_T02) Set_MenuEnabled(false);
    }
    return true;
}

void form_Menu::Set_MenuButtons(bool on) {
    const char* names[] = {"cmd_S0101", "cmd_S01T0101", "cmd_S01T0102", "cmd_grp_S0101", "cmd_grp_S0102",
                           "cmd_T0101", "cmd_T0201",    "cmd_U0101",    "cmd_Help",      "cmd_End"};
    for (const char* n : names)
        if (auto* b = findChild<QPushButton*>(QLatin1String(n))) b->setEnabled(on);
    for (int k = 1; k <= 10; ++k)
        if (QPushButton* b = fKey(k); b && hasFKeyAction(k)) b->setEnabled(on);
}

FormBase* form_Menu::openWindow(MenuTarget t) const {
    auto it = m_windows.find(t);
    if (it == m_windows.end() || !it->second) return nullptr;
    return it->second->isVisible() ? it->second.data() : nullptr;
}

void form_Menu::openTarget(MenuTarget t) {
    if (!m_config.create) return;
    const bool graph = t == MenuTarget::MonthGraph || t == MenuTarget::YearGraph;
    const bool modeless = m_config.modeless && !graph;
    std::optional<Hourglass> wait;
    wait.emplace();
    Set_MenuButtons(false);
    if (t == MenuTarget::MonthTotals || t == MenuTarget::MonthGraph) session().periodMode = 0;
    if (t == MenuTarget::YearTotals || t == MenuTarget::YearGraph) session().periodMode = 1;
    // The two totals buttons share one window.
    const MenuTarget key = t == MenuTarget::YearTotals ? MenuTarget::MonthTotals : t;
    if (modeless) {
        FormBase* open = openWindow(key);
        if (!open) {
            open = m_config.create(t, session(), this);
            if (open) {
                open->setAttribute(Qt::WA_DeleteOnClose);
                m_windows[key] = open;
            }
        } else {
            open->reopen();
        }
        if (open) open->showModeless();
        Set_MenuButtons(true);
    } else {
        FormBase* w = m_config.create(t, session(), this);
        if (w) {
            wait.reset();
            m_windows[key] = w;
            w->showModal();
            delete w;
        }
        if (!m_exiting) Set_MenuButtons(true);
    }
}

QMenu* form_Menu::extrasMenu() {
    delete findChild<QMenu*>(QStringLiteral("extrasMenu"));
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("extrasMenu"));
    menu->setToolTipsVisible(true);
    for (int i = 0; i < int(m_config.extras.size()); ++i) {
        const ExtraWindow& e = m_config.extras[i];
        QAction* a = menu->addAction(e.caption + QLatin1Char('\t') + e.keys.toString(QKeySequence::NativeText));
        const QString why = extraRefusal(i);
        a->setEnabled(why.isEmpty());
        a->setToolTip(why.isEmpty() ? e.caption : why);
        connect(a, &QAction::triggered, this, [this, i] { openExtra(i); });
    }
    return menu;
}

QString form_Menu::extraRefusal(int index) const {
    if (index < 0 || index >= int(m_config.extras.size())) return {};
    if (m_config.extras[index].writes && book().isReadOnly()) return book().readOnlyMessage();
    return {};
}

FormBase* form_Menu::openExtraWindow(int index) const {
    const auto it = m_extras.find(index);
    return it != m_extras.end() && it->second && it->second->isVisible() ? it->second.data() : nullptr;
}

void form_Menu::openExtra(int index) {
    if (index < 0 || index >= int(m_config.extras.size()) || m_exiting) return;
    const ExtraWindow& e = m_config.extras[index];
    if (const QString why = extraRefusal(index); !why.isEmpty()) {
        info(why);
        return;
    }
    // The menu's own rule: no window of the book's rows while a master is empty.
    if (!session().flg_T01) {
        info(m_config.master1Missing);
        return;
    }
    if (!m_config.master2Missing.isEmpty() && !session().flg_T02) {
        info(m_config.master2Missing);
        return;
    }
    if (FormBase* open = openExtraWindow(index)) {
        open->showModeless();  // already open: brought forward
        return;
    }
    if (e.needsVersion > 0 && !upgradeFor(e.needsVersion)) return;
    FormBase* w = e.create ? e.create(session(), this) : nullptr;
    if (!w) return;
    m_extras[index] = w;
    // The windows of a group reach each other by the same keys as the menu.
    for (int j = 0; j < int(m_config.extras.size()); ++j)
        if (!e.group.isEmpty() && m_config.extras[j].group == e.group)
            w->setShortcut(m_config.extras[j].keys, [this, j] { openExtra(j); });
    if (m_config.modeless) {
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->showModeless();
        return;
    }
    Set_MenuButtons(false);
    w->showModal();
    delete w;
    if (!m_exiting) Set_MenuButtons(true);
}

void form_Menu::help() {
    const QString path = session().helpPath();
    if (!QFileInfo(path).isFile()) return;
    auto* help = findChild<HelpWindow*>();
    if (!help) help = new HelpWindow(this);
    help->openContents(path);
}

void form_Menu::exit() {
    if (m_exiting) return;
    m_exiting = true;
    m_care->atClosing(this);
    session().closeBook();
    session().endProgram(0);
}

void form_Menu::closeEvent(QCloseEvent* e) {
    // The close box ends the program as 終了 does.
    exit();
    FormBase::closeEvent(e);
}

}  // namespace ui
