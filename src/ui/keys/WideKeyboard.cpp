#include "ui/keys/WideKeyboard.h"
#include "core/AppInfo.h"
#include "core/input/KeyMaps.h"
#include "core/sound/NotePlayer.h"
#include "ui/keys/KeyMarks.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include <QBitmap>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

int VirtualKeyOf(const QKeyEvent* e)
{
    return VirtualKeys::FromQtKey(e->key(), e->modifiers().testFlag(Qt::KeypadModifier));
}

TFrmKeyBoard_2::TFrmKeyBoard_2(INoteInput& notes, IDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_notes(notes), m_dialogs(dialogs)
{
    setWindowTitle(AppTitle);
    setFixedSize(1087, 282);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    BuildKeys();
}

void TFrmKeyBoard_2::BuildKeys()
{
    ImgBack = new QLabel(this);
    ImgBack->setGeometry(0, 0, 1087, 282);
    ImgBack->setTextFormat(Qt::PlainText);   // a picture; never markup
    ImgBack->setScaledContents(true);
    ImgBack->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/kb2_back.png"))));

    const QImage whiteUp = ResourceImage(QStringLiteral("pic/kb2_white_up.jpg"));
    const QImage whiteDown = ResourceImage(QStringLiteral("pic/kb2_white_down.jpg"));
    for (int i = 0; i < 18; ++i) {
        const QString note = QString::fromLatin1(Notes[size_t(i)]);
        TImageButton* b = NewImageButton(this, QRect(21 + 58 * i, 26, 58, 249), whiteUp, whiteDown);
        b->setObjectName(QStringLiteral("Img_") + note);
        connect(b, &TImageButton::clicked, this,
                [this, note] { RunGuarded(m_dialogs, [&] { m_notes.PressNote(note); }); });
        m_white[size_t(i)] = b;
    }
    // Black keys lie over the white ones. Only their painted part takes clicks, so a click
    // where a white key shows through plays that white key.
    const QImage blackUp = ResourceImage(QStringLiteral("pic/kb2_black.png"));
    const QImage blackDown = ResourceImage(QStringLiteral("pic/kb2_black_down.png"));
    // A mask is in widget pixels: it comes from the 1x picture whichever one is shown.
    const QImage maskPicture =
        blackUp.devicePixelRatio() > 1 ? ReadResourceImage(QStringLiteral("pic/kb2_black.png"), 1) : blackUp;
    const QRegion opaque(QBitmap::fromImage(maskPicture.createAlphaMask()));
    static constexpr int BlackX[] = {32, 98, 208, 268, 332, 438, 504, 614, 674, 738, 845, 911};
    for (int i = 0; i < 12; ++i) {
        const QString note = QString::fromLatin1(Sharps[size_t(i)]);
        TImageButton* b = NewImageButton(this, QRect(BlackX[i], 26, 59, 162), blackUp, blackDown);
        if (!opaque.isEmpty())
            b->setMask(opaque);
        b->raise();
        connect(b, &TImageButton::clicked, this,
                [this, note] { RunGuarded(m_dialogs, [&] { m_notes.PressNote(note); }); });
        b->setObjectName(i == 0 ? QStringLiteral("Img_cx") : QStringLiteral("ImageButton%1").arg(i));
        if (i == 0)
            Img_cx = b;
        else
            ImageButton[size_t(i - 1)] = b;
        m_black[size_t(i)] = b;
    }

    std::vector<KeyMarks::Key> marked;
    for (size_t i = 0; i < Notes.size(); ++i)
        marked.push_back({QString::fromLatin1(Notes[i]), m_white[i]});
    for (size_t i = 0; i < Sharps.size(); ++i)
        marked.push_back({QString::fromLatin1(Sharps[i]), m_black[i]});
    Marks = new KeyMarks(this, std::move(marked), WideKeyMap(), QRect(24, 240, 26, 26), QRect(1037, 240, 26, 26));
}

TImageButton* TFrmKeyBoard_2::Key(const QString& note) const
{
    for (size_t i = 0; i < Notes.size(); ++i)
        if (note == QLatin1String(Notes[i]))
            return m_white[i];
    for (size_t i = 0; i < Sharps.size(); ++i)
        if (note == QLatin1String(Sharps[i]))
            return m_black[i];
    return nullptr;
}

void TFrmKeyBoard_2::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = VirtualKeys::Modifiers(modifiers);
    const KeyRow* shifted = MatchKey(WideKeyMap(), key, held);
    if (shifted && shifted->mods != KeyMods::ShiftOnly)
        shifted = nullptr;
    // A repeat with Shift let go (or a press whose key-up went elsewhere) ends the note before.
    if (const QString before = m_shifted.value(key);
        !before.isEmpty() && (!shifted || before != QLatin1String(shifted->note)))
        FormKeyUp(key, Qt::ShiftModifier);
    if (const KeyRow* r = FindKey(WideKeyMap(), key); r && held == Qt::KeyboardModifiers())
        Key(QString::fromLatin1(r->note))->ShowDown();
    if (const KeyRow* r = shifted) {
        const QString note = QString::fromLatin1(r->note);
        // Shift caught up with a held key: its plain note lets go.
        if (const KeyRow* plain = FindKey(WideKeyMap(), key))
            Key(QString::fromLatin1(plain->note))->ShowUp();
        m_shifted.insert(key, note);
        if (TImageButton* b = Key(note))   // Shift+O plays f#2, which has no key here
            b->ShowDown();
    }
    if (key == VirtualKeys::Space)
        Q_EMIT spacePressed();
    else if (key == VirtualKeys::Escape)
        Q_EMIT escapePressed();
    // Every key goes on to the engine map, which picks the note (or none).
    m_notes.PressNote(PcKeyNote(key, held));
}

void TFrmKeyBoard_2::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    // A note pressed with Shift goes up with its key, whatever is held by then.
    if (const QString shifted = m_shifted.take(key); !shifted.isEmpty()) {
        if (TImageButton* b = Key(shifted))
            b->ShowUp();
        m_notes.ReleaseNote(shifted);
        return;
    }
    const KeyRow* r = FindKey(WideKeyMap(), key);
    if (!r || !ModsMatch(r->mods, modifiers))
        return;
    Key(QString::fromLatin1(r->note))->ShowUp();
    m_notes.ReleaseNote(QString::fromLatin1(r->note));
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
    const int vk = VirtualKeyOf(e);
    if (vk == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    RunGuarded(m_dialogs, [&] { FormKeyDown(vk, e->modifiers()); });
}

void TFrmKeyBoard_2::keyReleaseEvent(QKeyEvent* e)
{
    const int vk = VirtualKeyOf(e);
    if (e->isAutoRepeat() || vk == 0) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
    RunGuarded(m_dialogs, [&] { FormKeyUp(vk, e->modifiers()); });
}
