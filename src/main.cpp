#include "ui/shell/FormPiano.h"
#include "ui/widgets/Guard.h"
#include "ui/shell/Program.h"
#include "ui/shell/TavoApplication.h"

int main(int argc, char** argv)
{
    TavoApplication app(argc, argv);
    QtDialogs dialogs;
    PianoStart piano = StartPiano(dialogs);
    if (!piano.window)
        return piano.exitCode;   // a second start, or a guard that could not be set up
    piano.window->show();
    return app.exec();
}
