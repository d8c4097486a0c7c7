#include "app/Errors.h"
#include "app/Main.h"
#include "app/TavoApplication.h"
#include "sound/KeyBoard_1.h"
#include "sound/KeyBoard_2.h"

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
