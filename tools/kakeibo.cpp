// kakeibo COMMAND [ARGS]: the books of ミルテ (bank) and カルネ (purse) from the command line:
// making a book, backups, restoring one, checking a book, repairing its balances and upgrading it.
//
// Exit status: 0 done; 1 a finding (the check found something, a backup failed its check, a
// book already exists); 2 bad usage, a file that cannot be read or written, or a book in use
// by a program.
//
// Built a second time as `dbinit` (KAKEIBO_AS_DBINIT): the old name of `kakeibo init`, which
// the build and older instructions call.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cstdio>
#include <functional>
#include <optional>

#include "core/AppState.h"
#include "core/Messages.h"
#include "core/care/Backup.h"
#include "core/care/Check.h"
#include "core/care/Upgrade.h"
#include "core/db/Book.h"
#include "core/ledger/Masters.h"
#include "tools/KakeiboBudget.h"
#include "tools/KakeiboIo.h"
#include "tools/SampleBook.h"

namespace {

enum Status { kDone = 0, kFinding = 1, kTrouble = 2 };

void say(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}
void complain(const QString& text) {
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}
QString shown(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

// The words the init command is called by: "kakeibo init", or "dbinit".
QString g_initName = QStringLiteral("kakeibo init");

// What the programs print for --help: usage, then what it does.
struct Help {
    QString usage;
    QString text;
};

// --help anywhere prints the command's help; anything else is left to the command.
bool askedForHelp(const QStringList& args, const Help& help) {
    if (!args.contains(QStringLiteral("--help")) && !args.contains(QStringLiteral("-h"))) return false;
    say(QStringLiteral("使い方: ") + help.usage);
    say(help.text);
    return true;
}

int badUsage(const Help& help, const QString& why = {}) {
    if (!why.isEmpty()) complain(why);
    complain(QStringLiteral("使い方: ") + help.usage);
    return kTrouble;
}

// Positional arguments and the options a command knows; false (with a message) on anything else.
bool split(const QStringList& args, const QStringList& flags, QStringList* positional, QStringList* given,
           QString* why) {
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            if (!flags.contains(a)) {
                *why = QStringLiteral("知らないオプションです: %1").arg(app::clip(a));
                return false;
            }
            *given << a;
        } else {
            *positional << a;
        }
    }
    return true;
}

// The words of a command that takes `count` files and the options `known`: its files and the
// options given. Where the command ends at once (help asked for, or the words are off), the
// status it ends with.
std::optional<int> readWords(const QStringList& args, const Help& help, const QStringList& known, int count,
                             QStringList* files, QStringList* flags) {
    if (askedForHelp(args, help)) return kDone;
    QString why;
    if (!split(args, known, files, flags, &why)) return badUsage(help, why);
    if (files->size() != count) return badUsage(help);
    return std::nullopt;
}

// Which program a book belongs to: by its file name (bank.mdb, moneta.mdb), else by its tables
// (the household journal has pages, S01.P_CD; the bank journal has banks, S01.B_CD).
bool programOf(const QString& path, app::Program* program, QString* why) {
    const QString name = QFileInfo(path).fileName();
    for (app::Program p : {app::Program::Bank, app::Program::Purse}) {
        if (name.compare(app::productOf(p).databaseFile, Qt::CaseInsensitive) == 0) {
            *program = p;
            return true;
        }
    }
    bool known = false;
    const bool opened = ledger::withReadOnlyConnection(
        path, [&](const QSqlDatabase& c) { known = ledger::programOfTables(c, program); }, why);
    if (!opened) return false;
    if (!known) *why = QStringLiteral("%1 が bank と purse のどちらのデータベースか判別できません").arg(shown(path));
    return known;
}

// programOf, saying on stderr why a book's program cannot be told.
bool programSaid(const QString& path, app::Program* program) {
    QString why;
    if (programOf(path, program, &why)) return true;
    complain(why);
    return false;
}

// ---- init ----------------------------------------------------------------------------------------

int runInit(const QStringList& args) {
    const Help help{g_initName + QStringLiteral(" bank|purse DIR [--preset | --sample N] [--if-absent]"),
                    QStringLiteral("DIR にプログラムの空のデータベース（bank.mdb または moneta.mdb）を作ります。\n"
                                   "既にあるデータベースは上書きしません（終了状態 1）。\n"
                                   "  --preset     標準の項目（bank）または科目（purse）も登録します\n"
                                   "  --sample N   マスターと 10 年分 N 件の記録を入れます（見本と計測用）\n"
                                   "  --if-absent  既にあるときは何もせずに終わります（終了状態 0）")};
    if (askedForHelp(args, help)) return kDone;
    if (args.size() < 2) return badUsage(help);
    app::Program program;
    if (args[0] == QLatin1String("bank"))
        program = app::Program::Bank;
    else if (args[0] == QLatin1String("purse"))
        program = app::Program::Purse;
    else
        return badUsage(help, QStringLiteral("bank か purse を指定してください: %1").arg(app::clip(args[0])));
    const QString dir = args[1];
    int sample = 0;
    bool ifAbsent = false;
    bool preset = false;
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sample") && i + 1 < args.size()) {
            bool ok = false;
            sample = args[++i].toInt(&ok);
            if (!ok || sample < 0)
                return badUsage(help, QStringLiteral("--sample には 0 以上の件数を指定してください"));
        } else if (args[i] == QLatin1String("--if-absent")) {
            ifAbsent = true;
        } else if (args[i] == QLatin1String("--preset")) {
            preset = true;
        } else {
            return badUsage(help, QStringLiteral("知らない引数です: %1").arg(app::clip(args[i])));
        }
    }
    // The sample brings its own masters.
    if (preset && sample > 0) return badUsage(help, QStringLiteral("--preset と --sample は一緒に使えません"));
    app::setProduct(program);
    const QString path = QDir(dir).filePath(app::product().databaseFile);
    if (QFileInfo::exists(path)) {
        if (ifAbsent) return kDone;
        complain(QStringLiteral("既にデータベースがあります（何も変えていません）: %1").arg(shown(path)));
        return kFinding;
    }
    QString error;
    if (!db::createBook(program, path, &error)) {
        complain(error);
        return kTrouble;
    }
    if (preset || sample > 0) {
        db::Book book;
        const bool filled = book.open(path, &error) && (preset ? ledger::registerStandardMasters(book, program, &error)
                                                               : sample::fillSample(book, program, sample, &error));
        book.close();
        if (!filled) {
            complain(QStringLiteral("%1: %2").arg(shown(path), error));
            QFile::remove(path);
            return kTrouble;
        }
    }
    say(path);
    return kDone;
}

// ---- backup ------------------------------------------------------------------------------------

// Opens a book for writing, with its lock; says why not (a program using it, a read-only file).
bool openForWriting(db::Book& book, const QString& path) {
    QString error;
    if (!book.open(path, &error)) {
        complain(error);
        return false;
    }
    if (book.isReadOnly()) {
        const QString why = book.refusesWrites();
        complain(why.isEmpty() ? QStringLiteral("書き込めないため読み取り専用でしか開けません: %1").arg(shown(path))
                               : QStringLiteral("%1: %2").arg(why, shown(path)));
        book.close();
        return false;
    }
    return true;
}

// Makes a backup of the open book and says what happened.
bool backUp(db::Book& book) {
    const db::BackupResult b = db::backupBook(book);
    switch (b.outcome) {
        case db::BackupOutcome::Made:
            say(QStringLiteral("バックアップを作成しました: %1").arg(shown(b.path)));
            break;
        case db::BackupOutcome::Unchanged:
            say(QStringLiteral("前回のバックアップから変更がないため作成しません: %1").arg(shown(b.path)));
            break;
        case db::BackupOutcome::ReadOnly:
            complain(QStringLiteral("読み取り専用のためバックアップしません: %1").arg(shown(book.path())));
            return false;
        case db::BackupOutcome::Failed:
            complain(b.error);
            return false;
    }
    for (const QString& old : b.removed) say(QStringLiteral("古いバックアップを削除しました: %1").arg(shown(old)));
    return true;
}

int runBackup(const QStringList& args) {
    const Help help{
        QStringLiteral("kakeibo backup FILE"),
        QStringLiteral(
            "データベース FILE のバックアップを、同じフォルダーの backup/ に\n"
            "<名前>-yyyyMMdd-HHmmss.mdb として作ります。前回のバックアップから変更がなければ\n"
            "作りません。設定 [backup] keep（既定 10）の数だけ新しいものを残し、古いものを削除します。\n"
            "bank と purse の区別はファイル名（bank.mdb / moneta.mdb）で、それ以外の名前では表の列で判断します。")};
    QStringList files, flags;
    if (const std::optional<int> end = readWords(args, help, {}, 1, &files, &flags)) return *end;
    app::Program program;
    if (!programSaid(files[0], &program)) return kTrouble;
    app::setProduct(program);  // the setting [backup] keep is the program's
    db::Book book;
    if (!openForWriting(book, files[0])) return kTrouble;
    const bool ok = backUp(book);
    book.close();
    return ok ? kDone : kTrouble;
}

// ---- restore -----------------------------------------------------------------------------------

int runRestore(const QStringList& args) {
    const Help help{
        QStringLiteral("kakeibo restore BACKUP FILE"),
        QStringLiteral("データベース FILE をバックアップ BACKUP で置き換えます。BACKUP は壊れていないこと\n"
                       "（PRAGMA integrity_check）と、プログラムの表と列があることを確かめてから使います。\n"
                       "今の FILE は backup/ にもう一つのバックアップとして残します。\n"
                       "プログラムが FILE を使用中のときは何もしません（終了状態 2）。\n"
                       "BACKUP が使えないときは終了状態 1 です。")};
    QStringList files, flags;
    if (const std::optional<int> end = readWords(args, help, {}, 2, &files, &flags)) return *end;
    QString why;
    const QString backup = files[0];
    const QString book = files[1];
    if (!QFileInfo(backup).isFile()) {
        complain(QStringLiteral("バックアップがありません: %1").arg(shown(backup)));
        return kTrouble;
    }
    // The book may be missing or damaged: then the backup tells the program.
    app::Program program;
    if (!programOf(book, &program, &why) && !programOf(backup, &program, &why)) {
        complain(why);
        return kTrouble;
    }
    app::setProduct(program);
    const db::RestoreResult r = db::restoreBook(backup, book, program);
    if (!r.ok) {
        complain(r.error);
        return r.refused ? kFinding : kTrouble;
    }
    if (!r.keptCopy.isEmpty())
        say((r.keptEarlier ? QStringLiteral("復元前のデータベースは前回のバックアップと同じです: %1")
                           : QStringLiteral("復元前のデータベースを保存しました: %1"))
                .arg(shown(r.keptCopy)));
    say(QStringLiteral("%1 を %2 で復元しました").arg(shown(book), shown(backup)));
    return kDone;
}

// ---- check -------------------------------------------------------------------------------------

int report(const ledger::CheckResult& c, const QString& path) {
    if (!c.ran) {
        complain(c.error);
        return kTrouble;
    }
    for (const ledger::Finding& f : c.findings) say(f.describe());
    if (c.findings.isEmpty()) {
        say(QStringLiteral("問題はありません: %1").arg(shown(path)));
        return kDone;
    }
    say(QStringLiteral("%1 件の問題があります: %2").arg(c.findings.size()).arg(shown(path)));
    return kFinding;
}

// Every repair runs after a copy of the book, says what it changed and checks the book again, so
// that what is left is reported as a plain check would. `failed` takes the path and the error,
// `done` the count changed.
int repairThenCheck(db::Book& book, app::Program program, const QString& path,
                    const std::function<ledger::Repair()>& repairing, const QString& failed, const QString& done) {
    if (!backUp(book)) {
        complain(QStringLiteral("バックアップを作れないため、修復しません: %1").arg(shown(path)));
        book.close();
        return kTrouble;
    }
    const ledger::Repair repair = repairing();
    if (!repair.ok) {
        complain(failed.arg(shown(path), repair.error));
        book.close();
        return kTrouble;
    }
    say(done.arg(repair.changed));
    const ledger::CheckResult after = ledger::checkBook(book, program);
    book.close();
    return report(after, path);
}

// Removes the links the check reports, after a copy; the rows stay, and so does everything else.
int repairLinks(db::Book& book, app::Program program, const ledger::CheckResult& before, const QString& path) {
    if (!before.ran || before.of(ledger::FindingKind::BrokenLink).isEmpty()) {
        if (before.ran && !before.findings.isEmpty())
            say(QStringLiteral("取り除く振替のつながりはないため、何も変えていません"));
        book.close();
        return report(before, path);
    }
    return repairThenCheck(
        book, program, path, [&] { return ledger::repairLinks(book); },
        QStringLiteral("振替のつながりを取り除けません: %1 (%2)"),
        QStringLiteral("振替のつながりを %1 件取り除きました（記録は残しています）"));
}

int runCheck(const QStringList& args) {
    const Help help{
        QStringLiteral("kakeibo check FILE [--repair | --repair-links]"),
        QStringLiteral(
            "データベース FILE を調べ、見つかった問題を記録番号（マスターはコード）とともに表示します:\n"
            "壊れたファイル、足りない表や列、数値であるべき所の文字や Null、正しくない日付、\n"
            "マスターにない銀行・項目・科目の記録、計算と合わない残高。問題があれば終了状態 1 です。\n"
            "  --repair  FILE を使用中でなければ、バックアップを作ってから残高だけを一度に計算し直し、\n"
            "            もう一度調べます。ほかの値は変えません。\n"
            "  --repair-links  銀行帳で、記録がない・日付や金額が合わない・同じ銀行どうし・項目が違う\n"
            "            振替のつながり（F01）を、バックアップを作ってから取り除きます。記録は両方残します。")};
    QStringList files, flags;
    if (const std::optional<int> end =
            readWords(args, help, {QStringLiteral("--repair"), QStringLiteral("--repair-links")}, 1, &files, &flags))
        return *end;
    const QString path = files[0];
    const bool links = flags.contains(QStringLiteral("--repair-links"));
    if (links && flags.contains(QStringLiteral("--repair")))
        return badUsage(help, QStringLiteral("--repair と --repair-links は一緒に使えません"));
    const bool repairing = flags.contains(QStringLiteral("--repair")) || links;
    bool inUse = false;
    if (!repairing && !settleJournal(path, &inUse)) return kTrouble;
    app::Program program;
    QString why;
    if (!programOf(path, &program, &why)) {
        // The journal of a killed writer that the program holding the book has not put back.
        if (inUse) why = QStringLiteral("%1 は他のプログラムで使用中です").arg(shown(path));
        complain(why);
        return kTrouble;
    }
    app::setProduct(program);
    // Only reading: a connection of its own, read-only, also while a program uses the book.
    if (!repairing) {
        const ledger::CheckResult c = ledger::checkFile(program, path);
        if (!c.ran && inUse) {
            complain(QStringLiteral("%1 は他のプログラムで使用中です").arg(shown(path)));
            return kTrouble;
        }
        return report(c, path);
    }

    db::Book book;
    if (!openForWriting(book, path)) return kTrouble;
    const ledger::CheckResult before = ledger::checkBook(book, program);
    if (links) return repairLinks(book, program, before, path);
    bool repairable = before.ran && !before.of(ledger::FindingKind::WrongBalance).isEmpty();
    // A value that is not a whole number (an amount stored as text) would count as 0: balances
    // recomputed over it would be wrong again once the value is put right, so they wait for that.
    for (ledger::FindingKind k :
         {ledger::FindingKind::Damaged, ledger::FindingKind::MissingTable, ledger::FindingKind::MissingColumn,
          ledger::FindingKind::Unreadable, ledger::FindingKind::WrongType})
        repairable = repairable && before.of(k).isEmpty();
    if (!repairable) {
        if (before.ran && !before.findings.isEmpty())
            say(QStringLiteral("残高の計算し直しでは直せないため、何も変えていません"));
        book.close();
        return report(before, path);
    }
    return repairThenCheck(
        book, program, path, [&] { return ledger::repairBalances(book, program); },
        QStringLiteral("残高を計算し直せません: %1 (%2)"), QStringLiteral("残高を %1 件計算し直しました"));
}

// ---- upgrade -----------------------------------------------------------------------------------

int runUpgrade(const QStringList& args) {
    const Help help{
        QStringLiteral("kakeibo upgrade FILE"),
        QStringLiteral("データベース FILE を、このプログラムの知っている最新の形（バージョン %1）にします。\n"
                       "使用中でなければ、バックアップを作ってから足りない表とインデックスを一度に作ります。\n"
                       "既にある表と記録は変えません。最新のときは何もしません。\n"
                       "更新したとき、または既に最新のときは終了状態 0、できないときは 2 です。")
            .arg(db::kSchemaVersion)};
    QStringList files, flags;
    if (const std::optional<int> end = readWords(args, help, {}, 1, &files, &flags)) return *end;
    const QString path = files[0];
    app::Program program;
    if (!programSaid(path, &program)) return kTrouble;
    app::setProduct(program);  // the setting [backup] keep is the program's
    db::Book book;
    if (!openForWriting(book, path)) return kTrouble;
    const care::UpgradeResult r = care::upgradeBook(book, program);
    book.close();
    switch (r.outcome) {
        case care::UpgradeOutcome::Current:
            say(QStringLiteral("データベースは最新です（バージョン %1）: %2").arg(r.from).arg(shown(path)));
            return kDone;
        case care::UpgradeOutcome::Upgraded:
            say(QStringLiteral("バックアップを作成しました: %1").arg(shown(r.backup)));
            say(QStringLiteral("データベースを更新しました（バージョン %1 → %2）: %3")
                    .arg(r.from)
                    .arg(r.to)
                    .arg(shown(path)));
            return kDone;
        case care::UpgradeOutcome::Refused:
            break;
    }
    complain(QStringLiteral("%1: %2").arg(r.error, shown(path)));
    return kTrouble;
}

// ---- list-backups ------------------------------------------------------------------------------

int runListBackups(const QStringList& args) {
    const Help help{QStringLiteral("kakeibo list-backups FILE"),
                    QStringLiteral("データベース FILE のバックアップ（同じフォルダーの backup/）を新しい順に、\n"
                                   "作成日時と大きさとともに表示します。FILE はなくてもかまいません。")};
    QStringList files, flags;
    if (const std::optional<int> end = readWords(args, help, {}, 1, &files, &flags)) return *end;
    if (!settleJournal(files[0])) return kTrouble;
    const QList<db::BackupInfo> list = db::listBackups(files[0]);
    if (list.isEmpty()) {
        say(QStringLiteral("バックアップはありません: %1").arg(shown(db::backupFolder(files[0]))));
        return kDone;
    }
    const QLocale numbers(QLocale::English);
    for (const db::BackupInfo& b : list)
        say(QStringLiteral("%1  %2 バイト  %3")
                .arg(b.time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                     numbers.toString(b.size).rightJustified(13), shown(b.path)));
    return kDone;
}

// ---- the commands ------------------------------------------------------------------------------

struct Command {
    const char* name;
    int (*run)(const QStringList& args);
    const char* summary;
};

const Command kCommands[] = {
    {"init", runInit, "空のデータベースを作る（dbinit と同じ）"},
    {"backup", runBackup, "バックアップを作る"},
    {"restore", runRestore, "バックアップから復元する"},
    {"check", runCheck, "データベースを調べる（--repair で残高を直す）"},
    {"upgrade", runUpgrade, "データベースを最新の形にする"},
    {"list-backups", runListBackups, "バックアップの一覧"},
    {"export", runExport, "CSV に書き出す（明細・マスタ・集計）"},
    {"import", runImport, "CSV を取り込む（銀行の明細・書き出したファイル）"},
    {"search", runSearch, "明細を探す"},
    {"budget", runBudget, "予算の一覧・設定・削除・予算実績"},
    {"year", runYear, "年間収支表を表示する"},
    {"recurring", runRecurring, "定期入力（一覧・登録・削除・記入）"},
    {"transfer", runTransfer, "銀行帳の振替（登録・一覧）"},
    {"group", runGroup, "科目のグループ（一覧・登録・削除・割り当て）"},
};

void usage(std::FILE* to) {
    QString text = QStringLiteral("使い方: kakeibo COMMAND [ARGS]  （各 COMMAND に --help）\n");
    for (const Command& c : kCommands)
        text += QStringLiteral("  %1  %2\n")
                    .arg(QString::fromLatin1(c.name).leftJustified(13), QString::fromUtf8(c.summary));
    text += QStringLiteral("終了状態: 0 成功、1 問題あり、2 使い方の誤り・読めないファイル・使用中");
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
}

}  // namespace

int main(int argc, char** argv) {
    app::surviveFileSizeLimit();
    QCoreApplication qapp(argc, argv);
    QStringList args = qapp.arguments().mid(1);
#ifdef KAKEIBO_AS_DBINIT
    g_initName = QStringLiteral("dbinit");
    args.prepend(QStringLiteral("init"));
#endif
    if (args.isEmpty()) {
        usage(stderr);
        return kTrouble;
    }
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") || args[0] == QLatin1String("help")) {
        usage(stdout);
        return kDone;
    }
    for (const Command& c : kCommands)
        if (args[0] == QLatin1String(c.name)) return c.run(args.mid(1));
    complain(QStringLiteral("知らないコマンドです: %1").arg(app::clip(args[0])));
    usage(stderr);
    return kTrouble;
}
