#pragma once
// The piano icon's context menu: the options the settings files do not hold (key letters,
// metronome), the voice and its SoundFont, and the MIDI keyboards. Each choice is kept in
// preferences.conf.
#include <QObject>
#include <functional>

struct PianoServices;
class QAction;
class QMenu;
class QWidget;

class IconMenu : public QObject {
    Q_OBJECT
public:
    // icon: the picture whose right click opens the menu; its window is the menu's parent.
    IconMenu(QWidget* icon, PianoServices& services);

    QMenu* Menu() const { return m_menu; }
    // The "MIDI 输入" submenu, filled with the ports found each time it opens.
    QMenu* MidiMenu() const { return m_midiMenu; }
    // The window's part of a switched option: the keys' letters, the practice bar's metronome
    // and where its degrees sound.
    std::function<void(bool)> OnKeyLetters;
    std::function<void(bool)> OnMetronome;
    std::function<void(bool)> OnSongKeySound;

    // The preferences as read at start, shown without being written back.
    void ShowPreferences();
    // Puts the chosen voice into effect; a sampled voice without a SoundFont falls back and throws.
    void ApplyVoice();
    // What is connected, on the icon's tooltip.
    void ShowMidiStatus();

private:
    void UpdateVoiceMenu();
    void ChooseVoice(bool sampled);
    void PickSoundFont();
    void SampledLoaded(bool ok, const QString& message);
    void UpdateMidiMenu();
    void ChooseMidiPort(const QString& choice);

    QWidget* m_icon;
    PianoServices& m_s;
    QMenu* m_menu = nullptr;
    QAction* m_keyLettersAction = nullptr;
    QAction* m_metronomeAction = nullptr;
    QAction* m_songKeyAction = nullptr;
    QAction* m_standardAction = nullptr;
    QAction* m_sampledAction = nullptr;
    QAction* m_sustainAction = nullptr;
    QMenu* m_midiMenu = nullptr;
};
