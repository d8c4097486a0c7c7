#include "core/Errors.h"
#include "ui/shell/Main.h"
#include "ui/shell/TavoApplication.h"
#include "ui/keys/KeyBoard_1.h"
#include "ui/keys/KeyBoard_2.h"

int main(int argc, char** argv)
{
    TavoApplication app(argc, argv);
    std::unique_ptr<TFormPiano> main;
    if (!RunGuarded([&] { main = std::make_unique<TFormPiano>(); }))
        return 1;
    if (!main->FirstInstance())
        return 0;   // another instance runs: end at once, silently
    TFrmKeyBoard_1 keyboard1;
    TFrmKeyBoard_2 keyboard2;
    main->show();
    return app.exec();
}
