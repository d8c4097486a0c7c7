// The keys of the main window and of the sound-engine form, their PC-key maps and the
// routing of PC keys between the main window and the second keyboard form.
#include "ui/shell/Main.h"
#include "ui/keys/KeyBoard_1.h"
#include "ui/keys/KeyBoard_2.h"
#include "core/sound/KeyMaps.h"
#include "ui/widgets/ImageButton.h"
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QScreen>
#include <iterator>

namespace {

struct KeyShape {
    const char* up;
    const char* down;
};
constexpr KeyShape kShapeCF{"pic/key_cf_up.jpg", "pic/key_cf_down.jpg"};
constexpr KeyShape kShapeDGA{"pic/key_dga_up.jpg", "pic/key_dga_down.jpg"};
constexpr KeyShape kShapeEB{"pic/key_eb_up.jpg", "pic/key_eb_down.jpg"};

// The white-key outline follows the note letter: c and f, d g and a, e and b.
const KeyShape& ShapeOf(QChar letter)
{
    switch (letter.toLower().toLatin1()) {
    case 'c':
    case 'f':
        return kShapeCF;
    case 'e':
    case 'b':
        return kShapeEB;
    default:
        return kShapeDGA;
    }
}

TImageButton* MakeKey(QWidget* parent, const KeyShape& shape, const QRect& geometry, bool stretch)
{
    auto* b = NewImageButton(parent, geometry, ResourceImage(QString::fromLatin1(shape.up)),
                             ResourceImage(QString::fromLatin1(shape.down)));
    b->SetStretch(stretch);
    return b;
}

// Main window: the key code picks a note and the on-screen key; modifiers are not looked at.
struct MainRow {
    int vk;
    const char* note;
    TImageButton* TFormPiano::*key;
};
constexpr MainRow kMainMap[] = {
    {72, "c1", &TFormPiano::Img_c1},  {74, "d1", &TFormPiano::Img_d1},  {75, "e1", &TFormPiano::Img_e1},
    {76, "f1", &TFormPiano::Img_f1},  {186, "g1", &TFormPiano::Img_g1}, {222, "a1", &TFormPiano::Img_a1},
    {13, "b1", &TFormPiano::Img_b1},  {89, "c2", &TFormPiano::Img_c2},  {85, "d2", &TFormPiano::Img_d2},
    {73, "e2", &TFormPiano::Img_e2},
};

const MainRow* FindMain(int vk)
{
    for (const MainRow& r : kMainMap)
        if (r.vk == vk)
            return &r;
    return nullptr;
}

// Sound-engine map: a row matches only with exactly its modifier set held.
struct PcRow {
    int vk;
    bool alt;   // Alt alone; otherwise no modifier at all
    const char* note;
};
constexpr PcRow kPcMap[] = {
    {70, true, "F"},   {71, true, "G"},   {69, true, "A"},   {82, true, "B"},
    {65, false, "c"},  {83, false, "d"},  {68, false, "e"},  {70, false, "f"},
    {71, false, "g"},  {69, false, "a"},  {82, false, "b"},  {72, false, "c1"},
    {74, false, "d1"}, {75, false, "e1"}, {76, false, "f1"}, {186, false, "g1"},
    {222, false, "a1"}, {13, false, "b1"}, {89, false, "c2"}, {85, false, "d2"},
    {73, false, "e2"}, {79, false, "f2"},
};

void PlayCurrent(const QString& note)
{
    if (FrmKeyBoard_1)
        FrmKeyBoard_1->PlayNote(note, CurrentVoice);
}

}

// ---- Sound-engine form ----

QString PcKeyNote(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = VirtualKeys::Modifiers(modifiers);
    const Qt::KeyboardModifiers alt(Qt::AltModifier);
    for (const PcRow& r : kPcMap)
        if (r.vk == key && held == (r.alt ? alt : Qt::KeyboardModifiers()))
            return QString::fromLatin1(r.note);
    return {};
}

void TFrmKeyBoard_1::BuildKeys()
{
    struct Entry {
        TImageButton* TFrmKeyBoard_1::*key;
        const char* note;
        void (TFrmKeyBoard_1::*click)();
    };
    static constexpr Entry kKeys[] = {
        {&TFrmKeyBoard_1::ImgF, "F", &TFrmKeyBoard_1::ImgFClick},
        {&TFrmKeyBoard_1::ImgG, "G", &TFrmKeyBoard_1::ImgGClick},
        {&TFrmKeyBoard_1::ImgA, "A", &TFrmKeyBoard_1::ImgAClick},
        {&TFrmKeyBoard_1::ImgB, "B", &TFrmKeyBoard_1::ImgBClick},
        {&TFrmKeyBoard_1::Img_c, "c", &TFrmKeyBoard_1::Img_cClick},
        {&TFrmKeyBoard_1::Img_d, "d", &TFrmKeyBoard_1::Img_dClick},
        {&TFrmKeyBoard_1::Img_e, "e", &TFrmKeyBoard_1::Img_eClick},
        {&TFrmKeyBoard_1::Img_f, "f", &TFrmKeyBoard_1::Img_fClick},
        {&TFrmKeyBoard_1::Img_g, "g", &TFrmKeyBoard_1::Img_gClick},
        {&TFrmKeyBoard_1::Img_a, "a", &TFrmKeyBoard_1::Img_aClick},
        {&TFrmKeyBoard_1::Img_b, "b", &TFrmKeyBoard_1::Img_bClick},
        {&TFrmKeyBoard_1::Img_c1, "c1", &TFrmKeyBoard_1::Img_c1Click},
        {&TFrmKeyBoard_1::Img_d1, "d1", &TFrmKeyBoard_1::Img_d1Click},
        {&TFrmKeyBoard_1::Img_e1, "e1", &TFrmKeyBoard_1::Img_e1Click},
        {&TFrmKeyBoard_1::Img_f1, "f1", &TFrmKeyBoard_1::Img_f1Click},
        {&TFrmKeyBoard_1::Img_g1, "g1", &TFrmKeyBoard_1::Img_g1Click},
        {&TFrmKeyBoard_1::Img_a1, "a1", &TFrmKeyBoard_1::Img_a1Click},
        {&TFrmKeyBoard_1::Img_b1, "b1", &TFrmKeyBoard_1::Img_b1Click},
        {&TFrmKeyBoard_1::Img_c2, "c2", &TFrmKeyBoard_1::Img_c2Click},
        {&TFrmKeyBoard_1::Img_d2, "d2", &TFrmKeyBoard_1::Img_d2Click},
        {&TFrmKeyBoard_1::Img_e2, "e2", &TFrmKeyBoard_1::Img_e2Click},
        {&TFrmKeyBoard_1::Img_f2, "f2", &TFrmKeyBoard_1::Img_f2Click},
    };
    int i = 0;
    for (const Entry& e : kKeys) {
        TImageButton* b = MakeKey(this, ShapeOf(QLatin1Char(e.note[0])), QRect(2 + 58 * i, 30, 57, 249), true);
        this->*e.key = b;
        connect(b, &TImageButton::clicked, this, e.click);
        ++i;
    }
}

void TFrmKeyBoard_1::PlayPcKey(int key, Qt::KeyboardModifiers modifiers)
{
    // An unmapped key still goes to the player with an empty name: it uses up a turn.
    PlayNote(PcKeyNote(key, modifiers), CurrentVoice);
}

void TFrmKeyBoard_1::ImgFClick() { PlayNote(QStringLiteral("F"), CurrentVoice); }
void TFrmKeyBoard_1::ImgGClick() { PlayNote(QStringLiteral("G"), CurrentVoice); }
void TFrmKeyBoard_1::ImgAClick() { PlayNote(QStringLiteral("A"), CurrentVoice); }
void TFrmKeyBoard_1::ImgBClick() { PlayNote(QStringLiteral("B"), CurrentVoice); }
void TFrmKeyBoard_1::Img_cClick() { PlayNote(QStringLiteral("c"), CurrentVoice); }
void TFrmKeyBoard_1::Img_dClick() { PlayNote(QStringLiteral("d"), CurrentVoice); }
void TFrmKeyBoard_1::Img_eClick() { PlayNote(QStringLiteral("e"), CurrentVoice); }
void TFrmKeyBoard_1::Img_fClick() { PlayNote(QStringLiteral("f"), CurrentVoice); }
void TFrmKeyBoard_1::Img_gClick() { PlayNote(QStringLiteral("g"), CurrentVoice); }
void TFrmKeyBoard_1::Img_aClick() { PlayNote(QStringLiteral("a"), CurrentVoice); }
void TFrmKeyBoard_1::Img_bClick() { PlayNote(QStringLiteral("b"), CurrentVoice); }
void TFrmKeyBoard_1::Img_c1Click() { PlayNote(QStringLiteral("c1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_d1Click() { PlayNote(QStringLiteral("d1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_e1Click() { PlayNote(QStringLiteral("e1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_f1Click() { PlayNote(QStringLiteral("f1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_g1Click() { PlayNote(QStringLiteral("g1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_a1Click() { PlayNote(QStringLiteral("a1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_b1Click() { PlayNote(QStringLiteral("b1"), CurrentVoice); }
void TFrmKeyBoard_1::Img_c2Click() { PlayNote(QStringLiteral("c2"), CurrentVoice); }
void TFrmKeyBoard_1::Img_d2Click() { PlayNote(QStringLiteral("d2"), CurrentVoice); }
void TFrmKeyBoard_1::Img_e2Click() { PlayNote(QStringLiteral("e2"), CurrentVoice); }
void TFrmKeyBoard_1::Img_f2Click() { PlayNote(QStringLiteral("f2"), CurrentVoice); }

// ---- Main window ----

void TFormPiano::BuildKeys()
{
    struct Entry {
        TImageButton* TFormPiano::*key;
        void (TFormPiano::*click)();
    };
    static constexpr Entry kKeys[] = {
        {&TFormPiano::Img_c1, &TFormPiano::Img_c1Click}, {&TFormPiano::Img_d1, &TFormPiano::Img_d1Click},
        {&TFormPiano::Img_e1, &TFormPiano::Img_e1Click}, {&TFormPiano::Img_f1, &TFormPiano::Img_f1Click},
        {&TFormPiano::Img_g1, &TFormPiano::Img_g1Click}, {&TFormPiano::Img_a1, &TFormPiano::Img_a1Click},
        {&TFormPiano::Img_b1, &TFormPiano::Img_b1Click}, {&TFormPiano::Img_c2, &TFormPiano::Img_c2Click},
        {&TFormPiano::Img_d2, &TFormPiano::Img_d2Click}, {&TFormPiano::Img_e2, &TFormPiano::Img_e2Click},
    };
    static constexpr char kLetters[] = "cdefgabcde";
    for (int i = 0; i < 10; ++i) {
        TImageButton* b = MakeKey(this, ShapeOf(QLatin1Char(kLetters[i])), QRect(10 + 65 * i, 395, 65, 249), false);
        this->*kKeys[i].key = b;
        connect(b, &TImageButton::clicked, this, kKeys[i].click);
    }
}

void TFormPiano::Img_c1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_c1Click(); }
void TFormPiano::Img_d1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_d1Click(); }
void TFormPiano::Img_e1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_e1Click(); }
void TFormPiano::Img_f1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_f1Click(); }
void TFormPiano::Img_g1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_g1Click(); }
void TFormPiano::Img_a1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_a1Click(); }
void TFormPiano::Img_b1Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_b1Click(); }
void TFormPiano::Img_c2Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_c2Click(); }
void TFormPiano::Img_d2Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_d2Click(); }
void TFormPiano::Img_e2Click() { if (FrmKeyBoard_1) FrmKeyBoard_1->Img_e2Click(); }

void TFormPiano::MainKeyDown(int key)
{
    QString note;
    if (const MainRow* r = FindMain(key)) {
        note = QString::fromLatin1(r->note);
        // The pressed look comes before the sound, so a failed open leaves it to key-up.
        (this->*(r->key))->ShowDown();
    }
    PlayCurrent(note);
}

void TFormPiano::MainKeyUp(int key)
{
    if (const MainRow* r = FindMain(key))
        (this->*(r->key))->ShowUp();
}

void TFormPiano::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == VirtualKeys::Space) {
        if (SpaceTurnsScorePage())
            LabNexPg_1Click();
        return;
    }
    if (KeyboardRoute == 0)
        MainKeyDown(key);
    else if (KeyboardRoute == 1 && FrmKeyBoard_2)
        FrmKeyBoard_2->FormKeyDown(key, modifiers);
}

void TFormPiano::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (KeyboardRoute == 0)
        MainKeyUp(key);
    else if (KeyboardRoute == 1 && FrmKeyBoard_2)
        FrmKeyBoard_2->FormKeyUp(key, modifiers);
}

namespace {
// A text field (or any other control that took the focus) keeps its keys, also those it
// ignores and hands up to the window, such as Enter in a one-line field.
bool ChildHasFocus(const QWidget* window)
{
    const QWidget* f = window->focusWidget();
    return f && f != window && f->isVisible();
}
}

void TFormPiano::keyPressEvent(QKeyEvent* e)
{
    const int vk = VirtualKeys::FromEvent(e);
    if (ChildHasFocus(this) || vk == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    // Auto-repeat presses play again, as a held key does.
    FormKeyDown(vk, VirtualKeys::Modifiers(e->modifiers()));
}

void TFormPiano::keyReleaseEvent(QKeyEvent* e)
{
    const int vk = VirtualKeys::FromEvent(e);
    // X11 pairs every repeated press with a release; the key goes up only once.
    if (e->isAutoRepeat() || ChildHasFocus(this) || vk == 0) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
    FormKeyUp(vk, VirtualKeys::Modifiers(e->modifiers()));
}

// ---- Keyboard switch ----

void TFormPiano::BuildKeyboardSwitch()
{
    ImgSetBoard = NewImageButton(GBxShowOpern, QRect(30, 270, 43, 34), ResourceImage(QStringLiteral("pic/setboard.png")),
                                 ResourceImage(QStringLiteral("pic/setboard_down.png")));
    connect(ImgSetBoard, &TImageButton::clicked, this, &TFormPiano::ImgSetBoardClick);
}

void TFormPiano::ImgSetBoardClick()
{
    if (!FrmKeyBoard_2)
        return;
    if (FrmKeyBoard_2->isVisible()) {
        KeyboardRoute = 0;
        FrmKeyBoard_2->hide();
        setFixedHeight(650);
        return;
    }
    KeyboardRoute = 1;
    FrmKeyBoard_2->show();   // centres itself horizontally
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
    FrmKeyBoard_2->move(FrmKeyBoard_2->x(), g.y() + g.height() - 310);
    setFixedHeight(397);
}
