#pragma once
// The two keyboards the piano plays on: the ten main keys in the window and the wide keyboard
// window. Which of them has the PC keys, and what shows on both: the key letters, the practice
// modes' marks and the keys a MIDI keyboard presses.
#include "core/practice/EventAge.h"
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <optional>

class IDialogs;
class MainKeys;
class NoteTap;
class PracticeBar;
class QWidget;
class TFrmKeyBoard_2;

class Keyboards : public QObject {
    Q_OBJECT
public:
    // window: where the main keys go; its screen places the wide keyboard.
    Keyboards(QWidget& window, NoteTap& notes, IDialogs& dialogs);
    ~Keyboards() override;

    // The main keys, built when the window builds its pictures (they lie over the background).
    MainKeys* BuildMain();
    // Built the first time it is asked for: most starts never show it.
    TFrmKeyBoard_2* Wide();
    TFrmKeyBoard_2* WideIfBuilt() const { return m_wide.get(); }
    int Route() const { return m_route; }   // 0 main keys, 1 the wide keyboard
    void RouteToMain() { m_route = 0; }

    void SetLetters(bool on);
    // The practice modes show on both keyboards, also on one built later.
    void ShowPractice(PracticeBar& bar);
    // A MIDI key goes down on screen as a PC key does.
    void ShowMidiKey(int key, bool down);
    // The wide keyboard in place of the main keys, or back again.
    void Switch();
    // 跟弹 or 节奏 needs these notes of a song: the wide keyboard opens, once a song, for notes
    // the main keys lack. Whether any lies low, when it opened.
    std::optional<bool> OpenFor(const QStringList& notes, int songID);

    // A PC key for the keyboard that has them.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    // The time stamp of the main window's key event being handled.
    void Stamp(qint64 stamp) { m_keyStamp = stamp; }

Q_SIGNALS:
    void switched(bool wide);
    // A note was played, with the age of the key event that played it (0 when unknown).
    void notePlayed(const QString& note, qint64 ageMs);
    // The wide keyboard's space bar and Esc.
    void spacePressed();
    void escapePressed();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget& m_window;
    NoteTap& m_notes;
    IDialogs& m_dialogs;
    MainKeys* m_main = nullptr;
    std::unique_ptr<TFrmKeyBoard_2> m_wide;
    QPointer<PracticeBar> m_practice;
    bool m_letters = false;
    int m_route = 0;
    int m_wideOpenedFor = 0;   // the song the wide keyboard was last opened for
    EventAge m_keyAge;
    qint64 m_keyStamp = 0;   // of the key event being handled, 0 when none
};
