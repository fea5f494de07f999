#include "ui/shell/FormBase.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

#include "core/AppState.h"
#include "core/care/Upgrade.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/settings/Settings.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Msg.h"

namespace ui {

const char* const kHintEnter = "EnterまたはTabｷｰで次項目、Shift＋←ｷｰで前項目に移動";
const char* const kHintGrid = "ダブルクリックで選択レコード修正、Deleteキーで選択レコード削除";

namespace {

// Windows see the function keys and the Ctrl shortcuts before their controls do: one filter on
// the application routes them to the window that holds the focused control.
class KeyRouter : public QObject {
  public:
    QHash<int, std::function<bool(QWidget*)>> programShortcuts;

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        auto* focus = static_cast<QWidget*>(watched);
        auto* form = qobject_cast<FormBase*>(focus->window());
        if (!form) return false;
        const int key = ke->key();
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        if (mods & Qt::ControlModifier) {
            const QKeyCombination keys(mods, Qt::Key(key));
            // A held key is one press, as with the function keys.
            if (ke->isAutoRepeat()) return form->hasShortcut(keys);
            if (form->runShortcut(keys)) return true;
            auto it = programShortcuts.find(keys.toCombined());
            return it != programShortcuts.end() && it.value()(focus);
        }
        if (key < Qt::Key_F1 || key > Qt::Key_F10 || ke->modifiers() != Qt::NoModifier) return false;
        const int n = key - Qt::Key_F1 + 1;
        if (!form->hasFKeyAction(n)) return false;
        // A held key is one press: repeats would write a row, or close a window, again and again.
        if (!ke->isAutoRepeat()) form->pressFKey(n);
        return true;
    }
};

KeyRouter* router() {
    static KeyRouter* router = nullptr;
    if (!router) {
        router = new KeyRouter;
        qApp->installEventFilter(router);
    }
    return router;
}

// A function key: its caption fits the button in one line at a size from the window's own down
// to 8 points, else in two lines, never smaller.
class FKeyButton : public QPushButton {
  public:
    using QPushButton::QPushButton;
    static constexpr double kMinPoints = 8.0;

    // Picks the size (and whether the caption takes two lines) for the button's width.
    void fit() {
        QFont f = QApplication::font(this);
        const double start = f.pointSizeF() * 0.85;
        const int room = width() - 6;
        m_twoLines = false;
        for (double pt = start; pt >= kMinPoints; pt -= 0.5) {
            f.setPointSizeF(pt);
            if (QFontMetrics(f).horizontalAdvance(text()) <= room) {
                setFont(f);
                update();
                return;
            }
        }
        // Two lines at the largest size from which both fit.
        m_twoLines = true;
        for (double pt = start; pt >= kMinPoints; pt -= 0.5) {
            f.setPointSizeF(pt);
            const QRect need = QFontMetrics(f).boundingRect(QRect(0, 0, room, 1000), Qt::TextWordWrap, text());
            if (need.height() <= height() - 2) break;
        }
        if (f.pointSizeF() < kMinPoints) f.setPointSizeF(kMinPoints);
        setFont(f);
        update();
    }
    bool twoLines() const { return m_twoLines; }

  protected:
    void paintEvent(QPaintEvent* e) override {
        if (!m_twoLines) {
            QPushButton::paintEvent(e);
            return;
        }
        // The bevel as the style draws it, the caption wrapped over two lines.
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        p.drawControl(QStyle::CE_PushButton, option);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(rect().adjusted(3, 1, -3, -1), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
    void resizeEvent(QResizeEvent* e) override {
        QPushButton::resizeEvent(e);
        fit();
    }

  private:
    bool m_twoLines = false;
};

void fitCaption(QPushButton* b) {
    if (auto* key = dynamic_cast<FKeyButton*>(b)) key->fit();
}

bool isInputField(QObject* o) { return qobject_cast<QLineEdit*>(o) || qobject_cast<QComboBox*>(o); }

}  // namespace

void markNumeric(QWidget* box) {
    box->setProperty("kakeibo_numeric", true);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void markNumeric(std::initializer_list<QWidget*> boxes) {
    for (QWidget* box : boxes) markNumeric(box);
}

namespace {
// A numeric box's text in its plain form, rewritten only when it differs.
void plainNumber(QObject* o) {
    auto* e = qobject_cast<QLineEdit*>(o);
    if (!e || !e->property("kakeibo_numeric").toBool() || !e->inputMask().isEmpty()) return;
    const QString plain = db::typedNumber(e->text());
    if (plain != e->text()) e->setText(plain);
}
}  // namespace

void Set_BackColor(QWidget* w, const QColor& c) {
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    w->setPalette(p);
}

void setProgramShortcut(const QKeySequence& keys, std::function<bool(QWidget*)> action) {
    if (keys.isEmpty()) return;
    if (action)
        router()->programShortcuts.insert(keys[0].toCombined(), std::move(action));
    else
        router()->programShortcuts.remove(keys[0].toCombined());
}

void Set_FKeyEnabled(QWidget* form, bool on) {
    for (int n = 1; n <= 10; ++n)
        if (auto* b = form->findChild<QPushButton*>(QStringLiteral("cmd_F%1").arg(n))) b->setEnabled(on);
}

Hourglass::Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
Hourglass::~Hourglass() { QApplication::restoreOverrideCursor(); }

FormBase::FormBase(app::Session& session, const QString& title, QWidget* parent)
    : QDialog(parent), m_session(session), m_title(title) {
    router();
    setWindowTitle(title);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &FormBase::tickClock);
    // Rows changed behind the window (an undo, a redo, an import): it shows the book again.
    connect(&session.book(), &db::Book::changed, this, [this] {
        if (isVisible()) showBookAgain();
    });
}

void FormBase::openFrame(QWidget* frame, std::initializer_list<QLineEdit*> boxes) {
    for (QLineEdit* box : boxes) box->clear();
    frame->show();
    frame->raise();
    if (boxes.size() > 0) (*boxes.begin())->setFocus(Qt::OtherFocusReason);
}

void FormBase::printRun(bool front, const std::function<void()>& print) {
    m_session.flg_Front = front;
    Hourglass wait;
    Set_FKeyEnabled(this, false);
    print();
    Set_FKeyEnabled(this, true);
}

QFrame* FormBase::createFKeyBar(int x, int y, int width) {
    m_bar = new QFrame(this);
    m_bar->setObjectName(QStringLiteral("Frame1"));
    m_bar->setGeometry(x, y, width, 49);
    for (int n = 1; n <= 10; ++n) {
        auto* label = new QLabel(QStringLiteral("F%1").arg(n), m_bar);
        label->setObjectName(QStringLiteral("Label2"));
        label->setAlignment(Qt::AlignCenter);
        auto* b = new FKeyButton(m_bar);
        b->setObjectName(QStringLiteral("cmd_F%1").arg(n));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, n] { pressFKey(n); });
    }
    layoutControls();
    return m_bar;
}

QPushButton* FormBase::fKey(int n) const {
    return m_bar ? m_bar->findChild<QPushButton*>(QStringLiteral("cmd_F%1").arg(n)) : nullptr;
}

void FormBase::setPrintKey(QFrame* const* side, std::function<void()> print) {
    setFKey(2, QStringLiteral("一覧印刷"), [this, side, print = std::move(print)] {
        QFrame* panel = *side;
        if (!panel) {
            print();
            return;
        }
        panel->move((width() - panel->width()) / 2, (height() - panel->height()) / 2);
        panel->show();
        panel->raise();
        panel->findChild<QPushButton*>(QStringLiteral("Command6"))->setFocus();
    });
}

void FormBase::setFKey(int n, const QString& caption, std::function<void()> action) {
    if (n < 1 || n > 10) return;
    m_actions[n] = std::move(action);
    if (QPushButton* b = fKey(n)) {
        b->setText(m_actions[n] ? caption : QString());
        fitCaption(b);
    }
}

bool FormBase::hasFKeyAction(int n) const { return n >= 1 && n <= 10 && static_cast<bool>(m_actions[n]); }

void FormBase::pressFKey(int n) {
    if (!hasFKeyAction(n)) return;
    auto action = m_actions[n];  // the action may replace itself
    action();
}

void FormBase::setShortcut(const QKeySequence& keys, std::function<void()> action) {
    if (keys.isEmpty()) return;
    m_shortcuts.insert(keys[0].toCombined(), std::move(action));
}

bool FormBase::hasShortcut(QKeyCombination keys) const { return m_shortcuts.contains(keys.toCombined()); }

bool FormBase::runShortcut(QKeyCombination keys) {
    auto it = m_shortcuts.find(keys.toCombined());
    if (it == m_shortcuts.end() || !it.value()) return false;
    auto action = it.value();  // the action may replace itself
    action();
    return true;
}

void FormBase::addGridAction(FlexGrid* grid, const QString& text, const QKeySequence& keys,
                             std::function<void()> action) {
    setShortcut(keys, action);
    // The menu shows the keys but leaves them to the router: a QAction shortcut would fire only
    // where the grid has the focus, and a second time where the router already ran it.
    auto* item = new QAction(text + QLatin1Char('\t') + keys.toString(QKeySequence::NativeText), grid);
    connect(item, &QAction::triggered, this, [action] { action(); });
    grid->addAction(item);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void FormBase::watch(QWidget* field) {
    if (field->property("kakeibo_watched").toBool()) return;
    field->setProperty("kakeibo_watched", true);
    field->installEventFilter(this);
    Set_BackColor(field, field->hasFocus() ? kFocusColor : kNormalColor);
}

void FormBase::onEnter(QWidget* field, std::function<bool()> check) {
    watch(field);
    m_enter.insert(
        field, check ? std::move(check) : [] { return true; });
}

void FormBase::onShiftLeft(QWidget* field, QWidget* previous) {
    watch(field);
    m_back.insert(field, previous);
}

void FormBase::onLeave(QWidget* field, std::function<bool()> check) {
    watch(field);
    m_leave.insert(field, std::move(check));
}

void FormBase::moveNext() { focusNextPrevChild(true); }

bool FormBase::eventFilter(QObject* watched, QEvent* e) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return QDialog::eventFilter(watched, e);
    switch (e->type()) {
        case QEvent::FocusIn:
            Set_BackColor(w, kFocusColor);
            break;
        case QEvent::FocusOut: {
            Set_BackColor(w, kNormalColor);
            plainNumber(w);
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            // Leaving for another window or a popup is not leaving the field.
            if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) break;
            auto it = m_leave.find(w);
            if (it != m_leave.end() && !m_refocusing && isVisible()) {
                if (!it.value()()) {
                    m_refocusing = true;
                    QPointer<QWidget> guard(w);
                    QTimer::singleShot(0, this, [this, guard] {
                        if (guard && guard->isVisible()) guard->setFocus(Qt::OtherFocusReason);
                        m_refocusing = false;
                    });
                }
            }
            break;
        }
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(e);
            const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
            if (enter && (ke->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                plainNumber(w);
                auto it = m_enter.find(w);
                if (it != m_enter.end()) {
                    auto check = it.value();
                    if (check()) moveNext();
                    return true;
                }
                // Fields without their own Enter handling do nothing on Enter.
                if (isInputField(w)) return true;
            }
            if (ke->key() == Qt::Key_Left && ke->modifiers() == Qt::ShiftModifier) {
                auto it = m_back.find(w);
                if (it != m_back.end() && it.value()) {
                    it.value()->setFocus(Qt::BacktabFocusReason);
                    return true;
                }
            }
            break;
        }
        default:
            break;
    }
    return QDialog::eventFilter(watched, e);
}

bool FormBase::refuseReadOnly() {
    if (!book().isReadOnly()) return false;
    critical(QStringLiteral("読み取り専用で開きます"));
    return true;
}

void FormBase::refuse(QWidget* field, const QString& text) {
    m_session.show(this, text, app::Icon::Exclamation);
    if (!field) return;
    field->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(field)) e->selectAll();
}

void FormBase::refuseText(const QString& text, bool now) {
    if (now) {
        m_session.show(this, text, app::Icon::Exclamation);
        return;
    }
    QPointer<FormBase> guard(this);
    QTimer::singleShot(0, this, [guard, text] {
        if (guard && guard->isVisible()) guard->m_session.show(guard, text, app::Icon::Exclamation);
    });
}

void FormBase::setClockTitle(std::function<QString()> title) { m_clockTitle = std::move(title); }

void FormBase::tickClock() {
    const QString t = m_clockTitle ? m_clockTitle() : m_title;
    setWindowTitle(t + QStringLiteral(" - ") + m_session.now().toString(QStringLiteral("yyyy/MM/dd hh:mm")));
}

void FormBase::setLayoutKeys(const QString& prefix, FlexGrid* grid, const QString& gridPrefix, int storedColumns) {
    m_layoutPrefix = prefix;
    m_layoutGrid = grid;
    m_gridPrefix = gridPrefix;
    m_storedColumns = storedColumns;
}

void FormBase::restoreLayout() {
    if (m_layoutPrefix.isEmpty()) return;
    const QString p = m_layoutPrefix;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const int state = static_cast<int>(settings::getNumber(p + QStringLiteral("WindowSate"), 0));
    const int h0 = height();
    const int w0 = width();
    const double tpp = twipsPerPixel();
    auto twips = [&](const QString& key, double dflt) {
        return static_cast<double>(settings::getNumber(key, static_cast<long long>(dflt)));
    };
    const int top = toPixels(twips(p + QStringLiteral("Top"), (avail.height() / 2.0 - h0 / 2.0) * tpp));
    const int left = toPixels(twips(p + QStringLiteral("Left"), (avail.width() / 2.0 - w0 / 2.0) * tpp));
    int h = toPixels(twips(p + QStringLiteral("Height"), h0 * tpp));
    int w = toPixels(twips(p + QStringLiteral("Width"), w0 * tpp));
    // A stored size too small to use, or a place on no screen, would leave the window unreachable.
    if (h < 120) h = h0;
    if (w < 160) w = w0;
    QRect r(left, top, w, h);
    bool onScreen = false;
    for (const QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersects(r.adjusted(0, 0, -w + 40, -h + 40))) onScreen = true;
    if (!onScreen) r.moveTo(avail.x() + (avail.width() - w) / 2, avail.y() + (avail.height() - h) / 2);
    setGeometry(r);
    // A window is opened to be used: a stored minimized state opens it normal.
    setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
    if (m_layoutGrid)
        for (int c = 0; c < m_storedColumns; ++c)
            m_layoutGrid->setColWidthTwips(c, static_cast<int>(settings::getNumber(m_gridPrefix + QString::number(c),
                                                                                   m_layoutGrid->colWidthTwips(c))));
}

void FormBase::saveLayout() {
    if (m_layoutPrefix.isEmpty()) return;
    const QString p = m_layoutPrefix;
    const int state = isMinimized() ? 1 : (isMaximized() ? 2 : 0);
    // The normal bounds, so that a maximized window comes back to its own size when restored.
    const QRect r = state == 0 ? geometry() : normalGeometry();
    settings::saveSetting(p + QStringLiteral("WindowSate"), QString::number(state));
    settings::saveSetting(p + QStringLiteral("Top"), QString::number(toTwips(r.y())));
    settings::saveSetting(p + QStringLiteral("Left"), QString::number(toTwips(r.x())));
    settings::saveSetting(p + QStringLiteral("Height"), QString::number(toTwips(r.height())));
    settings::saveSetting(p + QStringLiteral("Width"), QString::number(toTwips(r.width())));
    if (m_layoutGrid)
        for (int c = 0; c < m_storedColumns; ++c)
            settings::saveSetting(m_gridPrefix + QString::number(c), QString::number(m_layoutGrid->colWidthTwips(c)));
}

void FormBase::showModal() { exec(); }

void FormBase::showModeless() {
    show();
    raise();
    activateWindow();
}

void FormBase::closeEvent(QCloseEvent* e) {
    queryUnload();
    saveLayout();
    m_timer->stop();
    QDialog::closeEvent(e);
    if (e->isAccepted()) emit closed();
}

void FormBase::keyPressEvent(QKeyEvent* e) {
    // Enter belongs to the fields and the focused button; Escape closes nothing.
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* b = qobject_cast<QAbstractButton*>(focusWidget()); b && b->isEnabled() && !e->isAutoRepeat())
                b->click();
            e->accept();
            return;
        case Qt::Key_Escape:
            e->accept();
            return;
        default:
            QDialog::keyPressEvent(e);
    }
}

void FormBase::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    layoutControls();
}

void FormBase::showEvent(QShowEvent* e) {
    // Every text box and combo of a window is tinted while it has the focus.
    for (QWidget* w : findChildren<QWidget*>())
        if (isInputField(w) && !qobject_cast<QComboBox*>(w->parentWidget())) watch(w);
    m_timer->start();
    QDialog::showEvent(e);
}

void FormBase::layoutControls() {
    const int h = height();
    const int w = width();
    if (m_bar) {
        const int top = h - 49 - 8;
        if (top >= 0 && w - 16 >= 0) m_bar->setGeometry(8, top, w - 16, 49);
        // Ten buttons, with a small gap after the fifth, labels above them.
        const int bw = (m_bar->width() - 8) / 10;
        const QList<QPushButton*> buttons = m_bar->findChildren<QPushButton*>();
        const QList<QLabel*> labels = m_bar->findChildren<QLabel*>(QStringLiteral("Label2"));
        for (int i = 0; i < 10 && i < buttons.size() && i < labels.size(); ++i) {
            const int x = i * bw + (i >= 5 ? 8 : 0);
            labels[i]->setGeometry(x, 0, bw, 16);
            buttons[i]->setGeometry(x + 1, 16, bw - 2, 32);
            fitCaption(buttons[i]);
        }
    }
    if (m_fill) {
        const int fh = h - 49 - m_fill->y() - 8;
        const int fw = w - 16;
        if (fh >= 0 && fw >= 0) m_fill->resize(fw, fh);
    }
}

bool FormBase::upgradeFor(int version) {
    const care::UpgradeResult r = care::upgradeBook(book(), m_session.program(), version);
    if (!r.ok()) critical(r.error);
    return r.ok();
}

}  // namespace ui
