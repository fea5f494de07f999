#include "ui/AppMain.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>
#include <cstdio>

#include "ui/Msg.h"

namespace ui {

bool Parse_Options(int& argc, char** argv, QString* error) {
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--data-dir")) {
            if (i + 1 >= argc) {
                if (error) *error = QStringLiteral("--data-dir needs a folder");
                return false;
            }
            app::Set_Data_Dir(QString::fromLocal8Bit(argv[++i]));
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            app::Set_Data_Dir(a.mid(11));
        } else if (a == QLatin1String("--print-dir")) {
            if (i + 1 >= argc) {
                if (error) *error = QStringLiteral("--print-dir needs a folder");
                return false;
            }
            app::Set_Print_Dir(QString::fromLocal8Bit(argv[++i]));
        } else if (a.startsWith(QLatin1String("--print-dir="))) {
            app::Set_Print_Dir(a.mid(12));
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    return true;
}

void Apply_Look() {
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

void Load_Qt_Translations() {
    static QTranslator* translator = nullptr;
    if (translator) return;
    translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

int Run_Program(int argc, char** argv, app::Program program, std::function<MenuConfig()> config) {
    app::Survive_File_Size_Limit();
    app::Set_Product(program);
    QString error;
    if (!Parse_Options(argc, argv, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    QApplication qapp(argc, argv);
    // No organisation: the per-user data folder is ~/.local/share/Bank or ~/.local/share/Purse.
    QCoreApplication::setOrganizationName(QString());
    QCoreApplication::setApplicationName(app::Product().settingsApp);
    // The desktop entry and icon the window belongs to.
    const QString id = QStringLiteral("org.example.kakeibo.") + app::Product().settingsApp;
    QGuiApplication::setDesktopFileName(id);
    QIcon icon;
    for (const char* size : {"64", "256"})
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(id, QLatin1String(size)));
    QApplication::setWindowIcon(icon);
    Load_Qt_Translations();
    Apply_Look();
    app::Resolve_Data_Dir();
    app::Session session(program);
    session.setMessages(std::make_shared<MessageBoxes>());
    session.setUrlOpener([](const QString& url) { QDesktopServices::openUrl(QUrl(url)); });
    form_Menu menu(session, config());
    int code = 0;
    if (!menu.Start_Up(&code)) return code;
    return qapp.exec();
}

}  // namespace ui
