#include "ui/shell/FormPiano.h"
#include "ui/shell/Guard.h"
#include "ui/shell/TavoApplication.h"

int main(int argc, char** argv)
{
    TavoApplication app(argc, argv);
    QtDialogs dialogs;
    std::unique_ptr<TFormPiano> main;
    if (!RunGuarded(dialogs, [&] { main = std::make_unique<TFormPiano>(dialogs); }))
        return 1;
    if (!main->FirstInstance())
        return 0;   // another instance runs: end at once
    main->show();
    return app.exec();
}
