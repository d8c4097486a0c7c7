#include "ui/keys/Keyboards.h"
#include "core/input/KeyMaps.h"
#include "core/practice/NoteTap.h"
#include "ui/keys/KeyMarks.h"
#include "ui/keys/MainKeys.h"
#include "ui/keys/WideKeyboard.h"
#include "ui/panels/PracticeBar.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/ImageButton.h"
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace {
void WirePractice(PracticeBar& bar, KeyMarks* marks)
{
    QObject::connect(&bar, &PracticeBar::demoKey, marks, &KeyMarks::Demo);
    QObject::connect(&bar, &PracticeBar::awaitedKey, marks, &KeyMarks::Await);
    QObject::connect(&bar, &PracticeBar::wrongKey, marks, &KeyMarks::Wrong);
    marks->Await(bar.AwaitedKey());   // a keyboard opened during 跟弹 lights the key at once
}
}

Keyboards::Keyboards(QWidget& window, NoteTap& notes, IDialogs& dialogs)
    : m_window(window), m_notes(notes), m_dialogs(dialogs)
{
    m_notes.OnPress = [this](const QString& note) {
        const qint64 age = m_keyStamp ? m_keyAge.Ms(m_keyStamp, EventAge::NowMs()) : 0;
        m_keyStamp = 0;
        Q_EMIT notePlayed(note, age);
    };
}

Keyboards::~Keyboards() { m_notes.OnPress = nullptr; }

MainKeys* Keyboards::BuildMain()
{
    m_main = new MainKeys(&m_window, m_notes, m_dialogs);
    m_main->Marks->SetLetters(m_letters);
    return m_main;
}

TFrmKeyBoard_2* Keyboards::Wide()
{
    if (!m_wide) {
        m_wide = std::make_unique<TFrmKeyBoard_2>(m_notes, m_dialogs);
        connect(m_wide.get(), &TFrmKeyBoard_2::spacePressed, this, &Keyboards::spacePressed);
        connect(m_wide.get(), &TFrmKeyBoard_2::escapePressed, this, &Keyboards::escapePressed);
        m_wide->installEventFilter(this);   // the arrival time of its key events
        m_wide->Marks->SetLetters(m_letters);
        if (m_practice)
            WirePractice(*m_practice, m_wide->Marks);
    }
    return m_wide.get();
}

void Keyboards::SetLetters(bool on)
{
    m_letters = on;
    if (m_main)
        m_main->Marks->SetLetters(on);
    if (m_wide)
        m_wide->Marks->SetLetters(on);
}

void Keyboards::ShowPractice(PracticeBar& bar)
{
    m_practice = &bar;
    if (m_main)
        WirePractice(bar, m_main->Marks);
    if (m_wide)
        WirePractice(bar, m_wide->Marks);
}

void Keyboards::ShowMidiKey(int key, bool down)
{
    const QString note = KeyNoteName(key);
    if (note.isEmpty())
        return;
    for (TImageButton* button : {m_main ? m_main->Key(note) : nullptr, m_wide ? m_wide->Key(note) : nullptr})
        if (button)
            down ? button->ShowDown() : button->ShowUp();
}

void Keyboards::Switch()
{
    TFrmKeyBoard_2* wide = Wide();
    if (wide->isVisible()) {
        m_route = 0;
        wide->hide();
        Q_EMIT switched(false);
        return;
    }
    m_route = 1;
    wide->show();   // centres itself horizontally
    const QScreen* s = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
    wide->move(wide->x(), g.y() + g.height() - 310);
    Q_EMIT switched(true);
}

std::optional<bool> Keyboards::OpenFor(const QStringList& notes, int songID)
{
    if (m_route != 0 || songID == m_wideOpenedFor)
        return std::nullopt;
    bool beyond = false;
    bool low = false;
    for (const QString& note : notes) {
        if (m_main && m_main->Key(note))
            continue;
        beyond = true;
        low = low || NoteKey(note) < NoteKey(QStringLiteral("c1"));
    }
    if (!beyond)
        return std::nullopt;
    m_wideOpenedFor = songID;
    Switch();
    return low;
}

void Keyboards::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_route == 0)
        m_main->MainKeyDown(key, modifiers);
    else if (m_route == 1)
        Wide()->FormKeyDown(key, modifiers);
}

void Keyboards::KeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_route == 0)
        m_main->MainKeyUp(key);
    else if (m_route == 1)
        Wide()->FormKeyUp(key, modifiers);
}

bool Keyboards::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && watched == m_wide.get())
        m_keyStamp = qint64(static_cast<QKeyEvent*>(e)->timestamp());
    return QObject::eventFilter(watched, e);
}
