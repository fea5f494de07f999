#pragma once
// The conventions every window shares: the function-key bar pressed by F1 to F10, Enter
// moving on as Tab after a field's own check, Shift+Left moving back, the focused field
// tinted, the caption clock, the resize rule, and the stored window layout.

#include <QColor>
#include <QDialog>
#include <QHash>
#include <QKeySequence>
#include <QPointer>
#include <functional>
#include <initializer_list>

#include "core/Session.h"

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

class QLineEdit;

namespace ui {

class FlexGrid;

inline const QColor kFocusColor{255, 192, 192};
inline const QColor kNormalColor{255, 255, 255};
extern const char* const kHintEnter;  // "EnterまたはTabｷｰで次項目、…"
extern const char* const kHintGrid;   // "ダブルクリックで選択レコード修正、…"
// The one message for a row that was asked for and is not there.
inline const QString kNoRecord = QStringLiteral("レコードがありません");

void Set_BackColor(QWidget* w, const QColor& c);
// A box for numbers (codes, record numbers, days, amounts, years, rates): no input method, and
// what an input method typed anyway (full-width digits, comma, minus) is rewritten in its
// plain form on Enter and when the box is left.
void markNumeric(QWidget* box);
void markNumeric(std::initializer_list<QWidget*> boxes);

// A Ctrl shortcut of the whole program (Ctrl+Z, Ctrl+Y): routed as the function keys are, in
// every window of the program. The action returns false to leave the key to the focused control
// (a line edit's own undo of its typing).
void setProgramShortcut(const QKeySequence& keys, std::function<bool(QWidget* focus)> action);

// Enables or disables the buttons cmd_F1 .. cmd_F10 of a window, looked up by name.
void Set_FKeyEnabled(QWidget* form, bool on);

// The hourglass pointer for the life of the object.
class Hourglass {
  public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

class FormBase : public QDialog {
    Q_OBJECT
  public:
    FormBase(app::Session& session, const QString& title, QWidget* parent = nullptr);

    const QString& title() const { return m_title; }
    app::Session& session() const { return m_session; }
    // The book the program works on.
    db::Book& book() const { return m_session.book(); }

    // Messages of this window, with the product title.
    void info(const QString& text) { m_session.show(this, text, app::Icon::Information); }
    void critical(const QString& text) { m_session.show(this, text, app::Icon::Critical); }
    // Brings the book up to `version` when it is older (after a copy), for a window that writes a
    // table of that version; says why and returns false when it cannot.
    bool upgradeFor(int version);
    // OK / キャンセル and はい / いいえ questions: true for OK and はい.
    bool ask(const QString& text) {
        return m_session.show(this, text, app::Icon::Question, app::Buttons::OkCancel) == app::Answer::Ok;
    }
    bool confirm(const QString& text) {
        return m_session.show(this, text, app::Icon::Question, app::Buttons::YesNo) == app::Answer::Yes;
    }
    // A value typed that cannot be used: says why and puts the focus on the field.
    void refuse(QWidget* field, const QString& text);
    // The same message without moving the focus: now (Enter), or once the focus change in
    // progress is over (leaving a box), and only while the window is still shown.
    void refuseText(const QString& text, bool now);
    // When the open book is read-only: says so ("読み取り専用で開きます") and returns true, so that
    // the caller writes nothing.
    bool refuseReadOnly();

    // Shows a frame beside the entry area (a number to modify or delete, the print side) in
    // front, its boxes emptied and the focus in the first.
    static void openFrame(QWidget* frame, std::initializer_list<QLineEdit*> boxes = {});

    // One print run: the side chosen (flg_Front), the hourglass, the function keys off meanwhile.
    void printRun(bool front, const std::function<void()>& print);

    // The function-key bar (frame "Frame1", 49 high) at the given place.
    QFrame* createFKeyBar(int x, int y, int width);
    QPushButton* fKey(int n) const;
    // Caption and action of key n (1..10). A key without action has no caption and does nothing.
    void setFKey(int n, const QString& caption, std::function<void()> action);
    // F2 一覧印刷 of the windows that print from a side panel: the panel, once `*side` holds one,
    // opens over the middle of the window with its 印刷 button focused; before that `print` runs.
    void setPrintKey(QFrame* const* side, std::function<void()> print);
    bool hasFKeyAction(int n) const;
    // What pressing Fn does: the button's action, whether or not the button is enabled.
    void pressFKey(int n);

    // A Ctrl shortcut of this window (Ctrl+E, Ctrl+I, Ctrl+F): it works wherever the focus is in
    // the window, even in a line edit that has a meaning of its own for the key.
    void setShortcut(const QKeySequence& keys, std::function<void()> action);
    bool hasShortcut(QKeyCombination keys) const;
    // Runs the window's action for the keys; false when the window has none.
    bool runShortcut(QKeyCombination keys);
    // An item of a grid's right-click menu, with its shortcut shown beside it and routed as
    // setShortcut routes it.
    void addGridAction(FlexGrid* grid, const QString& text, const QKeySequence& keys, std::function<void()> action);

    // Enter in a field: run the check; when it returns true the focus moves on as with Tab.
    void onEnter(QWidget* field, std::function<bool()> check = {});
    // Shift+Left in a field moves the focus to the named field.
    void onShiftLeft(QWidget* field, QWidget* previous);
    // Leaving a field: when the check returns false the focus is put back into the field.
    void onLeave(QWidget* field, std::function<bool()> check);
    // Moves the focus to the next control in tab order.
    void moveNext();

    // The caption becomes title() + " - " + "yyyy/mm/dd hh:nn" at every tick of Timer1.
    void setClockTitle(std::function<QString()> title);
    void tickClock();

    // The widget that fills the window above the function-key bar on resize.
    void setFillWidget(QWidget* w) { m_fill = w; }

    // Window layout in the settings store: "<prefix>WindowSate", "<prefix>Top", ...,
    // "<gridPrefix>0" .. "<gridPrefix>N-1".
    void setLayoutKeys(const QString& prefix, FlexGrid* grid = nullptr, const QString& gridPrefix = {},
                       int storedColumns = 0);
    void restoreLayout();
    void saveLayout();

    // The window as the menu or a list shows it.
    void showModal();
    void showModeless();
    // The menu's button was pressed again while this (modeless) window is open.
    virtual void reopen() {}

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    // Applies the resize rule; windows with more to place extend it.
    virtual void layoutControls();
    // Called on every close (F10 or the close box), before the window is hidden.
    virtual void queryUnload() {}
    // The book changed behind the shown window (an undo or a redo): it shows the book again.
    virtual void showBookAgain() {}

  private:
    void watch(QWidget* field);
    app::Session& m_session;
    QString m_title;
    std::function<QString()> m_clockTitle;
    QTimer* m_timer = nullptr;
    QFrame* m_bar = nullptr;
    QPointer<QWidget> m_fill;
    std::function<void()> m_actions[11];
    QHash<int, std::function<void()>> m_shortcuts;  // by QKeyCombination::toCombined()
    QHash<QWidget*, std::function<bool()>> m_enter;
    QHash<QWidget*, QWidget*> m_back;
    QHash<QWidget*, std::function<bool()>> m_leave;
    bool m_refocusing = false;
    QString m_layoutPrefix;
    QPointer<FlexGrid> m_layoutGrid;
    QString m_gridPrefix;
    int m_storedColumns = 0;
};

}  // namespace ui
