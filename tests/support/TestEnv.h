#pragma once
// A fresh session, database and settings folder for each test, messages scripted, a fixed clock.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <QVariantList>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/AppState.h"
#include "core/Session.h"
#include "core/ledger/Series.h"

namespace ui {
class FlexGrid;
}

class AppTest : public ::testing::Test {
  protected:
    // Program under test and whether its database file exists (and is opened).
    void start(app::Program program, bool openDb = true);
    // A fresh bank book holding these banks and items, or a household book these categories,
    // each the VALUES of its INSERT ("(1, 'A銀行', 0)": CD, NM and ZAN of a bank, CD, NM and KIND
    // of an item or a category), with the session's masters read from them.
    void startBank(const QString& banks, const QString& items);
    void startPurse(const QString& categories);
    // The program's session: what its windows share.
    app::Session& session() { return *m_session; }
    // What was shown, and the answers to give.
    app::ScriptedMessages& messages() { return *m_messages; }
    // The session's book.
    db::Book& book() { return m_session->book(); }
    void TearDown() override;

    // Runs a statement on the test database; fails the test on error.
    void sql(const QString& sql, const QVariantList& binds = {});
    QVariant value(const QString& sql, const QVariantList& binds = {});
    // Makes the open book one of an older version: the tables later versions added go.
    void asVersion(int version);
    // A journal row of the bank book, as stored (an item or amount may be anything, NULL too).
    void addBankEntry(qint64 cd, const QString& date, qint64 bank, const QVariant& item, const QVariant& amount,
                      const QVariant& note = {});
    QString dir() const { return m_dir.path(); }
    // Record numbers (household book) or bank codes (bank book) whose stored balance differs
    // from an independent recomputation from the rows: one running sum over the whole chain in
    // page, date, number order, income adding and every other kind (a missing one too)
    // subtracting.
    QList<qint64> wrongPurseBalances();
    QList<qint64> wrongBankBalances();
    void setNow(const QDateTime& t);
    // Closes the book and opens it again read-only, its masters read anew; false when it cannot be.
    bool reopenReadOnly();

    QTemporaryDir m_dir;
    std::unique_ptr<app::Session> m_session;
    std::shared_ptr<app::ScriptedMessages> m_messages;
    int m_endCode = -1000;  // set when the program would end
};

// Runs `action` once the next modal window is shown (before it blocks the test).
void whenModal(std::function<void(QWidget*)> action);
// Shows a window and waits until it is active, so that focus moves as for a user.
bool showActive(QWidget* w);
// Types text into a widget, replacing what it holds, and presses keys as a user does.
void typeText(QWidget* w, const QString& text);
void press(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Types text into a box and presses Enter, as a user finishing a field.
void typeEnter(QWidget* w, const QString& text);
// Fills the named boxes of a window in this order, Enter after each, as a user fills a form.
void typeFields(QWidget* w, std::initializer_list<std::pair<const char*, QString>> fields);

// A window made for the test, shown and active (see showActive).
template <class Window>
Window* shown(Window* w) {
    EXPECT_TRUE(showActive(w));
    return w;
}

// The widget of this objectName in a window; a missing one fails the test.
template <class T = QWidget>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// The texts of a grid's row (row 0 is the header), every column.
QStringList gridRow(ui::FlexGrid* grid, int row);

// A file's bytes (empty when it cannot be read); a file written with these bytes, made or replaced.
QByteArray fileBytes(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes = {});

// The values of a chart's series, -1 standing for a period without a point.
QList<qint64> seriesValues(const ledger::SeriesData& d);
