#pragma once
// Stands between the keyboards and the note player: every note goes on to the player
// unchanged, and then whoever listens (follow mode) hears which note it was.
#include "core/sound/NotePlayer.h"
#include <functional>

class NoteTap final : public INoteInput {
public:
    explicit NoteTap(INoteInput& inner) : m_inner(inner) {}

    // Told after the note went to the player; a note that failed to sound is not told.
    std::function<void(const QString& note)> OnPress;

    void PressNote(const QString& note) override
    {
        m_inner.PressNote(note);
        if (OnPress)
            OnPress(note);
    }
    void ReleaseNote(const QString& note) override { m_inner.ReleaseNote(note); }
    void PressKey(int key, int velocity) override
    {
        m_inner.PressKey(key, velocity);
        if (OnPress)
            OnPress(KeyNoteName(key));
    }
    void ReleaseKey(int key) override { m_inner.ReleaseKey(key); }
    void Pedal(bool down) override { m_inner.Pedal(down); }

private:
    INoteInput& m_inner;
};
