#include "ui/menu/AppMain.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>
#include <QUrl>
#include <cstdio>

#include "ui/shell/Msg.h"

namespace ui {

bool parseOptions(int& argc, char** argv, app::Places& places, QString* error) {
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--data-dir")) {
            if (i + 1 >= argc) {
                if (error) *error = QStringLiteral("--data-dir needs a folder");
                return false;
            }
            places.dataDir = QString::fromLocal8Bit(argv[++i]);
            places.dataDirFromOption = true;
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            places.dataDir = a.mid(11);
            places.dataDirFromOption = !places.dataDir.isEmpty();
        } else if (a == QLatin1String("--print-dir")) {
            if (i + 1 >= argc) {
                if (error) *error = QStringLiteral("--print-dir needs a folder");
                return false;
            }
            places.printDir = QString::fromLocal8Bit(argv[++i]);
        } else if (a.startsWith(QLatin1String("--print-dir="))) {
            places.printDir = a.mid(12);
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    return true;
}

void applyLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QStringList families = QFontDatabase::families();
    for (const char* f : {"IPAPGothic", "IPAGothic", "IPAexGothic"}) {
        if (families.contains(QLatin1String(f))) {
            QFont font{QString::fromLatin1(f)};
            font.setPointSize(10);
            QApplication::setFont(font);
            break;
        }
    }
}

void loadQtTranslations() {
    static QTranslator* translator = nullptr;
    if (translator) return;
    translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

int runProgram(int argc, char** argv, app::Program program, std::function<MenuConfig()> config) {
    app::surviveFileSizeLimit();
    app::setProduct(program);
    QString error;
    app::Places places;
    if (!parseOptions(argc, argv, places, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    QApplication qapp(argc, argv);
    // No organisation: the per-user data folder is ~/.local/share/Bank or ~/.local/share/Purse.
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(app::product().settingsApp);
    // The desktop entry and icon the window belongs to.
    const QString id = QStringLiteral("org.example.kakeibo.") + app::product().settingsApp;
    QGuiApplication::setDesktopFileName(id);
    QIcon icon;
    for (const char* size : {"64", "256"})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(id, QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    loadQtTranslations();
    applyLook();
    places.resolveDataDir(app::productOf(program));
    app::Session session(program);
    session.places = places;
    session.setMessages(std::make_shared<MessageBoxes>());
    session.setUrlOpener([](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    form_Menu menu(session, config());
    int code = 0;
    if (!menu.startUp(&code)) return code;
    return qapp.exec();
}

}  // namespace ui
