#pragma once
#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

// The application object: the title, the fonts, and Qt's own words in Chinese.
class TavoApplication : public QApplication {
public:
    TavoApplication(int& argc, char** argv);
    // Maps the Windows font names of the layouts to installed CJK fonts.
    static void InstallFontSubstitutes();
    // Qt's catalogues to try, best first: a Chinese system locale picks its own variant,
    // any other falls back to zh_CN, since every word of the piano itself is Chinese.
    static QStringList QtCatalogues(const QLocale& system);
    // Whether Qt's dialogs (file, print, colour, the message boxes' buttons) speak Chinese:
    // false when no catalogue was found (qt6-translations-l10n missing).
    bool QtTranslated() const { return m_qtTranslated; }

private:
    QTranslator m_qt;
    bool m_qtTranslated = false;
};
