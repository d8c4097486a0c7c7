#pragma once
#include <QApplication>

// The application object: the title and the fonts.
class TavoApplication : public QApplication {
public:
    TavoApplication(int& argc, char** argv);
    // Maps the Windows font names of the layouts to installed CJK fonts.
    static void InstallFontSubstitutes();
};
