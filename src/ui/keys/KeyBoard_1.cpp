// The sound-engine form's players and the note player.
#include "ui/keys/KeyBoard_1.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/SoundFiles.h"
#include "ui/widgets/ImageButton.h"

TFrmKeyBoard_1* FrmKeyBoard_1 = nullptr;
int PlayerTurn = 0;

namespace {

struct NoteName {
    const char16_t* name;
    int slot;
};

// Upper case: the lowest octave; plain lower case: the next; "1": from middle C; "2": above.
constexpr NoteName kNotes[22] = {
    {u"F", 5},   {u"G", 7},   {u"A", 9},   {u"B", 11},  {u"c", 12},  {u"d", 14},  {u"e", 16},  {u"f", 17},
    {u"g", 19},  {u"a", 21},  {u"b", 23},  {u"c1", 24}, {u"d1", 26}, {u"e1", 28}, {u"f1", 29}, {u"g1", 31},
    {u"a1", 33}, {u"b1", 35}, {u"c2", 36}, {u"d2", 38}, {u"e2", 40}, {u"f2", 41},
};

} // namespace

int NoteSlot(const QString& name)
{
    for (const NoteName& n : kNotes)
        if (name == QStringView(n.name))
            return n.slot;
    return -1;
}

TFrmKeyBoard_1::TFrmKeyBoard_1(QWidget* parent)
    : QWidget(parent),
      MediaPlayer1(std::make_unique<TMediaPlayer>(1)),
      MediaPlayer2(std::make_unique<TMediaPlayer>(2)),
      MediaPlayer3(std::make_unique<TMediaPlayer>(3))
{
    FrmKeyBoard_1 = this;
    BuildKeys();
}

TFrmKeyBoard_1::~TFrmKeyBoard_1()
{
    if (FrmKeyBoard_1 == this)
        FrmKeyBoard_1 = nullptr;
}

TMediaPlayer* TFrmKeyBoard_1::Player(int turn) const
{
    switch (turn) {
    case 1: return MediaPlayer1.get();
    case 2: return MediaPlayer2.get();
    case 3: return MediaPlayer3.get();
    default: return nullptr;
    }
}

void TFrmKeyBoard_1::PlayNote(const QString& name, const VoiceTable& voice)
{
    // The turn moves first: a name outside the table still uses up a player.
    PlayerTurn = PlayerTurn == 3 ? 1 : PlayerTurn + 1;
    const int slot = NoteSlot(name);
    if (slot < 0)
        return;
    const QString file = TempDir + voice[slot] + QStringLiteral(".dat");
    TMediaPlayer* player = Player(PlayerTurn);
    player->SetFileName(file);
    player->Open();   // cuts off whatever this player was still sounding
    player->Play();
}
