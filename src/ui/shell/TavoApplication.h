#pragma once
#include <QApplication>

// The application object: catches every error at the event boundary so none
// crosses Qt's event loop, and sets up fonts and the title.
class TavoApplication : public QApplication {
public:
    TavoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Maps the Windows font names of the layouts to installed CJK fonts.
    static void InstallFontSubstitutes();
};
