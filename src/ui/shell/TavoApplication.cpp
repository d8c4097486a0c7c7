#include "ui/shell/TavoApplication.h"
#include "core/AppInfo.h"
#include <QFont>
#include <QLibraryInfo>

TavoApplication::TavoApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("tavopiano"));
    setApplicationDisplayName(AppTitle);
    InstallFontSubstitutes();
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& name : QtCatalogues(QLocale::system())) {
        if (m_qt.load(name, folder)) {
            m_qtTranslated = installTranslator(&m_qt);
            break;
        }
    }
}

QStringList TavoApplication::QtCatalogues(const QLocale& system)
{
    QStringList names;
    if (system.language() == QLocale::Chinese) {
        // Traditional script (Taiwan, Hong Kong, Macao) reads zh_TW; the rest zh_CN.
        const bool traditional = system.script() == QLocale::TraditionalChineseScript ||
                                 system.territory() == QLocale::Taiwan || system.territory() == QLocale::HongKong ||
                                 system.territory() == QLocale::Macau;
        if (traditional)
            names << QStringLiteral("qt_zh_TW");
    }
    names << QStringLiteral("qt_zh_CN");
    return names;
}

void TavoApplication::InstallFontSubstitutes()
{
    const QStringList hei{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("AR PL UMing CN")};
    const QStringList kai{QStringLiteral("AR PL UKai CN"), QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList song{QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList sans{QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei")};
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"), hei);
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), hei);
    QFont::insertSubstitutions(QStringLiteral("楷体"), kai);
    QFont::insertSubstitutions(QStringLiteral("楷体_GB2312"), kai);
    QFont::insertSubstitutions(QStringLiteral("宋体"), song);
    QFont::insertSubstitutions(QStringLiteral("幼圆"), hei);   // rounded sans: the plain sans is closest
    QFont::insertSubstitutions(QStringLiteral("YouYuan"), hei);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), sans);
}
