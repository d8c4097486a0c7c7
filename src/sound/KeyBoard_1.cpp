#include "sound/KeyBoard_1.h"
#include "widgets/ImageButton.h"

TFrmKeyBoard_1* FrmKeyBoard_1 = nullptr;
int PlayerTurn = 0;

// TODO(sound): players, PlayNote.
#include "sound/MediaPlayer.h"

TFrmKeyBoard_1::TFrmKeyBoard_1(QWidget* parent) : QWidget(parent)
{
    FrmKeyBoard_1 = this;
    BuildKeys();
}

TFrmKeyBoard_1::~TFrmKeyBoard_1()
{
    if (FrmKeyBoard_1 == this)
        FrmKeyBoard_1 = nullptr;
}

TMediaPlayer* TFrmKeyBoard_1::Player(int) const { return nullptr; }
void TFrmKeyBoard_1::PlayNote(const QString&, const VoiceTable&) {}
