#include "ui/care/BookCare.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QWidget>

#include "core/db/Book.h"
#include "core/settings/Settings.h"
#include "ui/shell/FormBase.h"
#include "ui/shell/Progress.h"

namespace ui {
namespace {
const QString kCheckSection = QStringLiteral("check");
const QString kLastCheck = QStringLiteral("last");
}  // namespace

BookCare::BookCare(app::Session& session, QObject* parent) : QObject(parent), m_session(session) {}

BookCare::~BookCare() { waitForCheck(); }

void BookCare::waitForCheck() {
    if (!m_check) return;
    m_check->wait();
    // The result is delivered by the finished signal's queued call; run it now.
    QCoreApplication::sendPostedEvents(this);
    delete m_check;
    m_check = nullptr;
}

void BookCare::copyNow(QWidget* window) {
    m_book = m_session.book().path();
    if (!m_session.book().isOpen()) return;
    {
        Hourglass wait;
        withProgress(window, QStringLiteral("バックアップを作成しています"), [this](const ledger::Progress& p) {
            m_last = db::backupBook(m_session.book(), {}, [&p](int done, int total) {
                if (p) p(done, total);
            });
        });
    }
    if (m_last.ok() || m_failureTold) return;
    // Once a run: the program works on as before, and the user knows the copies have stopped.
    m_failureTold = true;
    m_session.show(window, m_last.error, app::Icon::Exclamation);
}

void BookCare::checkWhenDue(QWidget* window) {
    if (m_last.outcome != db::BackupOutcome::Made && m_last.outcome != db::BackupOutcome::Unchanged) return;
    const QDate last =
        QDate::fromString(settings::getBookSetting(m_book, kLastCheck, QString(), kCheckSection), Qt::ISODate);
    const QDate today = m_session.now().date();
    if (last.isValid() && last.daysTo(today) < kCheckDays && last <= today) return;
    startCheck(window, m_last.path);
}

void BookCare::atClosing(QWidget* window) {
    // A check still running is stopped and not told; it runs again at the next opening.
    m_closing = true;
    m_stopCheck = true;
    copyNow(window);
}

void BookCare::startCheck(QWidget* window, const QString& copy) {
    if (m_check || copy.isEmpty()) return;
    m_window = window;
    const app::Program program = m_session.program();
    auto* result = new ledger::CheckResult;
    m_stopCheck = false;
    m_check = QThread::create([this, program, copy, result] {
        *result = ledger::checkFile(program, copy, ledger::CheckDepth::Full, &m_stopCheck);
    });
    connect(
        m_check, &QThread::finished, this,
        [this, result] {
            tellCheck(*result);
            delete result;
        },
        Qt::QueuedConnection);
    m_check->start(QThread::LowPriority);
}

void BookCare::tellCheck(const ledger::CheckResult& result) {
    // A copy that could not be read says nothing of the book: the check is due again next time.
    if (!result.ran || m_closing) return;
    settings::saveBookSetting(m_book, kLastCheck, m_session.now().date().toString(Qt::ISODate), kCheckSection);
    if (result.clean()) return;
    QStringList lines;
    lines << QStringLiteral("データベースに問題が見つかりました:");
    for (const ledger::Finding& f : result.findings.mid(0, 5)) lines << QStringLiteral("・") + f.describe(5);
    if (result.findings.size() > 5) lines << QStringLiteral("ほか %1 件").arg(result.findings.size() - 5);
    lines << QString() << QStringLiteral("残高を直すには、プログラムを終了してから次のコマンドを実行してください:")
          << QStringLiteral("kakeibo check --repair \"%1\"").arg(QDir::toNativeSeparators(m_book));
    m_session.show(m_window, lines.join(QLatin1Char('\n')), app::Icon::Exclamation);
}

}  // namespace ui
