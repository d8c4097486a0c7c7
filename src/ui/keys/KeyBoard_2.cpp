#include "ui/keys/KeyBoard_2.h"
#include "ui/shell/Main.h"
#include "ui/shell/PubDef.h"
#include "ui/keys/KeyBoard_1.h"
#include "core/sound/KeyMaps.h"
#include "ui/widgets/ImageButton.h"
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

TFrmKeyBoard_2* FrmKeyBoard_2 = nullptr;

namespace {

// Key map of this form. Keys of the lower octave (and O) are released only without a
// modifier, because with one held they belong to another note or to none.
struct Row {
    int vk;
    TImageButton* TFrmKeyBoard_2::*key;
    bool releaseNeedsNoModifier;
};
constexpr Row kMap[] = {
    {65, &TFrmKeyBoard_2::Img_c, true},    {83, &TFrmKeyBoard_2::Img_d, true},
    {68, &TFrmKeyBoard_2::Img_e, true},    {70, &TFrmKeyBoard_2::Img_f, true},
    {71, &TFrmKeyBoard_2::Img_g, true},    {69, &TFrmKeyBoard_2::Img_a, true},
    {82, &TFrmKeyBoard_2::Img_b, true},    {72, &TFrmKeyBoard_2::Img_c1, false},
    {74, &TFrmKeyBoard_2::Img_d1, false},  {75, &TFrmKeyBoard_2::Img_e1, false},
    {76, &TFrmKeyBoard_2::Img_f1, false},  {186, &TFrmKeyBoard_2::Img_g1, false},
    {222, &TFrmKeyBoard_2::Img_a1, false}, {13, &TFrmKeyBoard_2::Img_b1, false},
    {89, &TFrmKeyBoard_2::Img_c2, false},  {85, &TFrmKeyBoard_2::Img_d2, false},
    {73, &TFrmKeyBoard_2::Img_e2, false},  {79, &TFrmKeyBoard_2::Img_f2, true},
};

const Row* Find(int vk)
{
    for (const Row& r : kMap)
        if (r.vk == vk)
            return &r;
    return nullptr;
}

void Play(const char* note)
{
    if (FrmKeyBoard_1)
        FrmKeyBoard_1->PlayNote(QString::fromLatin1(note), CurrentVoice);
}

TImageButton* MakeKey(QWidget* parent, const char* up, const char* down, const QRect& g)
{
    return NewImageButton(parent, g, ResourceImage(QString::fromLatin1(up)), ResourceImage(QString::fromLatin1(down)));
}

}

TFrmKeyBoard_2::TFrmKeyBoard_2(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    FrmKeyBoard_2 = this;
    setWindowTitle(AppTitle);
    setFixedSize(1087, 282);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    BuildKeys();
}

TFrmKeyBoard_2::~TFrmKeyBoard_2()
{
    if (FrmKeyBoard_2 == this)
        FrmKeyBoard_2 = nullptr;
}

void TFrmKeyBoard_2::BuildKeys()
{
    ImgBack = new QLabel(this);
    ImgBack->setGeometry(0, 0, 1087, 282);
    ImgBack->setScaledContents(true);
    ImgBack->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/kb2_back.png"))));

    using Click = void (TFrmKeyBoard_2::*)();
    static constexpr Click kClicks[] = {
        &TFrmKeyBoard_2::Img_cClick,  &TFrmKeyBoard_2::Img_dClick,  &TFrmKeyBoard_2::Img_eClick,
        &TFrmKeyBoard_2::Img_fClick,  &TFrmKeyBoard_2::Img_gClick,  &TFrmKeyBoard_2::Img_aClick,
        &TFrmKeyBoard_2::Img_bClick,  &TFrmKeyBoard_2::Img_c1Click, &TFrmKeyBoard_2::Img_d1Click,
        &TFrmKeyBoard_2::Img_e1Click, &TFrmKeyBoard_2::Img_f1Click, &TFrmKeyBoard_2::Img_g1Click,
        &TFrmKeyBoard_2::Img_a1Click, &TFrmKeyBoard_2::Img_b1Click, &TFrmKeyBoard_2::Img_c2Click,
        &TFrmKeyBoard_2::Img_d2Click, &TFrmKeyBoard_2::Img_e2Click, &TFrmKeyBoard_2::Img_f2Click,
    };
    static constexpr TImageButton* TFrmKeyBoard_2::*kWhite[] = {
        &TFrmKeyBoard_2::Img_c,  &TFrmKeyBoard_2::Img_d,  &TFrmKeyBoard_2::Img_e,  &TFrmKeyBoard_2::Img_f,
        &TFrmKeyBoard_2::Img_g,  &TFrmKeyBoard_2::Img_a,  &TFrmKeyBoard_2::Img_b,  &TFrmKeyBoard_2::Img_c1,
        &TFrmKeyBoard_2::Img_d1, &TFrmKeyBoard_2::Img_e1, &TFrmKeyBoard_2::Img_f1, &TFrmKeyBoard_2::Img_g1,
        &TFrmKeyBoard_2::Img_a1, &TFrmKeyBoard_2::Img_b1, &TFrmKeyBoard_2::Img_c2, &TFrmKeyBoard_2::Img_d2,
        &TFrmKeyBoard_2::Img_e2, &TFrmKeyBoard_2::Img_f2,
    };
    for (int i = 0; i < 18; ++i) {
        TImageButton* b = MakeKey(this, "pic/kb2_white_up.jpg", "pic/kb2_white_down.jpg", QRect(21 + 58 * i, 26, 58, 249));
        this->*kWhite[i] = b;
        connect(b, &TImageButton::clicked, this, kClicks[i]);
    }

    // Black keys lie over the white ones and play nothing.
    static constexpr int kBlackX[] = {32, 98, 208, 268, 332, 438, 504, 614, 674, 738, 845, 911};
    for (int i = 0; i < 12; ++i) {
        TImageButton* b = MakeKey(this, "pic/kb2_black.png", "pic/kb2_black_down.png", QRect(kBlackX[i], 26, 59, 162));
        b->raise();
        if (i == 0)
            Img_cx = b;
        else
            ImageButton[i - 1] = b;
    }
}

std::array<TImageButton*, 18> TFrmKeyBoard_2::WhiteKeys() const
{
    return {Img_c,  Img_d,  Img_e,  Img_f,  Img_g,  Img_a,  Img_b,  Img_c1, Img_d1,
            Img_e1, Img_f1, Img_g1, Img_a1, Img_b1, Img_c2, Img_d2, Img_e2, Img_f2};
}

void TFrmKeyBoard_2::Img_cClick() { Play("c"); }
void TFrmKeyBoard_2::Img_dClick() { Play("d"); }
void TFrmKeyBoard_2::Img_eClick() { Play("e"); }
void TFrmKeyBoard_2::Img_fClick() { Play("f"); }
void TFrmKeyBoard_2::Img_gClick() { Play("g"); }
void TFrmKeyBoard_2::Img_aClick() { Play("a"); }
void TFrmKeyBoard_2::Img_bClick() { Play("b"); }
void TFrmKeyBoard_2::Img_c1Click() { Play("c1"); }
void TFrmKeyBoard_2::Img_d1Click() { Play("d1"); }
void TFrmKeyBoard_2::Img_e1Click() { Play("e1"); }
void TFrmKeyBoard_2::Img_f1Click() { Play("f1"); }
void TFrmKeyBoard_2::Img_g1Click() { Play("g1"); }
void TFrmKeyBoard_2::Img_a1Click() { Play("a1"); }
void TFrmKeyBoard_2::Img_b1Click() { Play("b1"); }
void TFrmKeyBoard_2::Img_c2Click() { Play("c2"); }
void TFrmKeyBoard_2::Img_d2Click() { Play("d2"); }
void TFrmKeyBoard_2::Img_e2Click() { Play("e2"); }
void TFrmKeyBoard_2::Img_f2Click() { Play("f2"); }

void TFrmKeyBoard_2::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = VirtualKeys::Modifiers(modifiers);
    if (const Row* r = Find(key); r && held == Qt::KeyboardModifiers())
        (this->*(r->key))->ShowDown();
    if (key == VirtualKeys::Space && SpaceTurnsScorePage() && FormPiano)
        FormPiano->LabNexPg_1Click();
    // Every key goes on to the sound-engine map, which picks the note (or none).
    if (FrmKeyBoard_1)
        FrmKeyBoard_1->PlayPcKey(key, held);
}

void TFrmKeyBoard_2::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    const Row* r = Find(key);
    if (!r)
        return;
    if (r->releaseNeedsNoModifier && VirtualKeys::Modifiers(modifiers) != Qt::KeyboardModifiers())
        return;
    (this->*(r->key))->ShowUp();
}

void TFrmKeyBoard_2::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (e->spontaneous())
        return;
    // Centred across the screen; the keyboard switch then sets the top.
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect g = s->geometry();
    move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
}

void TFrmKeyBoard_2::keyPressEvent(QKeyEvent* e)
{
    const int vk = VirtualKeys::FromEvent(e);
    if (vk == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    FormKeyDown(vk, e->modifiers());
}

void TFrmKeyBoard_2::keyReleaseEvent(QKeyEvent* e)
{
    const int vk = VirtualKeys::FromEvent(e);
    if (e->isAutoRepeat() || vk == 0) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
    FormKeyUp(vk, e->modifiers());
}
