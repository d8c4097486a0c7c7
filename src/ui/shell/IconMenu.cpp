#include "ui/shell/IconMenu.h"
#include "core/Errors.h"
#include "ui/shell/PianoServices.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/PlainText.h"
#include <QActionGroup>
#include <QDir>
#include <QMenu>
#include <QSignalBlocker>
#include <QWidget>

IconMenu::IconMenu(QWidget* icon, PianoServices& services) : QObject(icon), m_icon(icon), m_s(services)
{
    IDialogs& dialogs = m_s.Dialogs;
    m_menu = new QMenu(icon->window());
    m_keyLettersAction = m_menu->addAction(QStringLiteral("键位提示"));
    m_keyLettersAction->setCheckable(true);
    connect(m_keyLettersAction, &QAction::toggled, this, [this](bool on) {
        m_s.Prefs.SetKeyLetters(on);
        if (OnKeyLetters)
            OnKeyLetters(on);
    });
    m_metronomeAction = m_menu->addAction(QStringLiteral("节拍器"));
    m_metronomeAction->setCheckable(true);
    connect(m_metronomeAction, &QAction::toggled, this, [this](bool on) {
        m_s.Prefs.SetMetronome(on);
        if (OnMetronome)
            OnMetronome(on);
    });
    m_songKeyAction = m_menu->addAction(QStringLiteral("按原调发声"));
    m_songKeyAction->setCheckable(true);
    m_songKeyAction->setToolTip(
        QStringLiteral("示范、跟弹和节奏按歌曲的调发声（如 1=G 时 1 是 G）；不勾选时 1 总是 C，与琴键上的 1 相同"));
    m_menu->setToolTipsVisible(true);
    connect(m_songKeyAction, &QAction::toggled, this, [this](bool on) {
        m_s.Prefs.SetSongKeySound(on);
        if (OnSongKeySound)
            OnSongKeySound(on);
    });
    icon->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(icon, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_menu->popup(m_icon->mapToGlobal(p)); });

    QMenu* voice = m_menu->addMenu(QStringLiteral("音色"));
    voice->setToolTipsVisible(true);
    auto* group = new QActionGroup(voice);
    m_standardAction = group->addAction(voice->addAction(QStringLiteral("标准")));
    m_sampledAction = group->addAction(voice->addAction(QStringLiteral("钢琴（采样）")));
    for (QAction* a : {m_standardAction, m_sampledAction})
        a->setCheckable(true);
    connect(m_standardAction, &QAction::triggered, this, [this, &dialogs] { RunGuarded(dialogs, [this] { ChooseVoice(false); }); });
    connect(m_sampledAction, &QAction::triggered, this, [this, &dialogs] { RunGuarded(dialogs, [this] { ChooseVoice(true); }); });
    voice->addSeparator();
    m_sustainAction = voice->addAction(QStringLiteral("延音"));
    m_sustainAction->setCheckable(true);
    m_sustainAction->setToolTip(QStringLiteral("钢琴（采样）的音在松开琴键后继续响到自然结束"));
    connect(m_sustainAction, &QAction::toggled, this, [this](bool on) {
        m_s.Prefs.SetSustain(on);
        m_s.Voice.SetSustain(on);
    });
    connect(voice->addAction(QStringLiteral("选择音色库…")), &QAction::triggered, this,
            [this, &dialogs] { RunGuarded(dialogs, [this] { PickSoundFont(); }); });
    m_midiMenu = m_menu->addMenu(QStringLiteral("MIDI 输入"));
    connect(m_midiMenu, &QMenu::aboutToShow, this, &IconMenu::UpdateMidiMenu);
    ShowMidiStatus();
    connect(m_menu, &QMenu::aboutToShow, this, &IconMenu::UpdateVoiceMenu);
    connect(&m_s.Sampled, &SampledVoice::loaded, this, [this, &dialogs](bool ok, const QString& message) {
        RunGuarded(dialogs, [&] { SampledLoaded(ok, message); });
    });
    UpdateVoiceMenu();
}

void IconMenu::ShowPreferences()
{
    const QSignalBlocker letters(m_keyLettersAction);
    const QSignalBlocker metronome(m_metronomeAction);
    const QSignalBlocker songKey(m_songKeyAction);
    m_keyLettersAction->setChecked(m_s.Prefs.KeyLetters());
    m_metronomeAction->setChecked(m_s.Prefs.Metronome());
    m_songKeyAction->setChecked(m_s.Prefs.SongKeySound());
}

// ---- The voice ----

void IconMenu::UpdateVoiceMenu()
{
    const bool sampled = m_s.Prefs.Voice() == Preferences::SampledVoice;
    m_standardAction->setChecked(!sampled);
    m_sampledAction->setChecked(sampled);
    const QString font = SampledVoice::FindSoundFont(m_s.Prefs.SoundFont());
    m_sampledAction->setEnabled(!font.isEmpty());
    m_sampledAction->setToolTip(font.isEmpty() ? QStringLiteral("没有找到 SoundFont 音色库：请安装 fluid-soundfont-gm，"
                                                                "或用“选择音色库…”指定一个 .sf2 或 .sf3 文件")
                                               : QDir::toNativeSeparators(font));
    QSignalBlocker block(m_sustainAction);
    m_sustainAction->setChecked(m_s.Prefs.Sustain());
}

void IconMenu::ChooseVoice(bool sampled)
{
    m_s.Prefs.SetVoice(sampled ? Preferences::SampledVoice : Preferences::StandardVoice);
    ApplyVoice();
}

void IconMenu::PickSoundFont()
{
    const QString path = m_s.Dialogs.OpenFile(QStringLiteral("选择音色库"), QStringLiteral("SoundFont (*.sf2 *.sf3)"));
    if (path.isEmpty())
        return;
    m_s.Prefs.SetSoundFont(path);
    ChooseVoice(true);
}

void IconMenu::ApplyVoice()
{
    const bool sampled = m_s.Prefs.Voice() == Preferences::SampledVoice;
    m_s.Voice.SetSampled(sampled);
    m_s.Voice.SetSustain(m_s.Prefs.Sustain());
    UpdateVoiceMenu();
    if (!sampled || m_s.Sampled.Loading())
        return;
    const QString font = SampledVoice::FindSoundFont(m_s.Prefs.SoundFont());
    if (font.isEmpty()) {
        m_s.Prefs.SetVoice(Preferences::StandardVoice);
        ApplyVoice();
        Raise(QStringLiteral("没有找到 SoundFont 音色库，仍用标准音色。"));
    }
    // The built-in voice plays on until the SoundFont is in.
    if (font != m_s.Sampled.Path()) {
        const int rate = m_s.Player.OutputRate();
        m_s.Sampled.Load(font, rate > 0 ? rate : 48000);
    }
}

void IconMenu::SampledLoaded(bool ok, const QString& message)
{
    if (ok)
        return;
    if (m_s.Sampled.Ready() && m_s.Prefs.Voice() == Preferences::SampledVoice) {
        // A new pick that failed: the SoundFont that played keeps playing.
        m_s.Prefs.SetSoundFont(m_s.Sampled.Path());
        Raise(message);
    }
    m_s.Prefs.SetVoice(Preferences::StandardVoice);
    m_s.Voice.SetSampled(false);
    UpdateVoiceMenu();
    Raise(message);
}

// ---- MIDI keyboards ----

// Ports found, the connected ones ticked; a choice is kept for the next start.
void IconMenu::UpdateMidiMenu()
{
    m_midiMenu->clear();
    const MidiInput* midi = m_s.Midi.get();
    const QString choice = midi ? midi->Choice() : m_s.Prefs.MidiPort();
    const QStringList found = midi ? midi->FoundPorts() : QStringList();
    const QStringList open = midi ? midi->OpenPorts() : QStringList();
    const auto add = [&](const QString& text, const QString& chosen, bool ticked) {
        QAction* a = m_midiMenu->addAction(text);   // ticks, not a group: every port may be connected
        a->setCheckable(true);
        a->setChecked(ticked);
        connect(a, &QAction::triggered, this, [this, chosen] { RunGuarded(m_s.Dialogs, [&] { ChooseMidiPort(chosen); }); });
    };
    if (found.isEmpty())
        m_midiMenu->addAction(QStringLiteral("未发现 MIDI 键盘"))->setEnabled(false);
    for (const QString& port : found)
        add(PlainMenuText(port), port, open.contains(port));
    m_midiMenu->addSeparator();
    add(QStringLiteral("不连接"), MidiInput::NoPort, choice == MidiInput::NoPort);
}

void IconMenu::ChooseMidiPort(const QString& choice)
{
    m_s.Prefs.SetMidiPort(choice);
    if (m_s.Midi)
        m_s.Midi->SetChoice(choice);
    ShowMidiStatus();
}

void IconMenu::ShowMidiStatus()
{
    const MidiInput* midi = m_s.Midi.get();
    const QStringList open = midi ? midi->OpenPorts() : QStringList();
    QString text = QStringLiteral("未发现 MIDI 键盘");
    if (!open.isEmpty())
        text = QStringLiteral("MIDI：") + open.join(QStringLiteral("、"));
    else if (midi && !midi->FoundPorts().isEmpty())
        text = QStringLiteral("MIDI：未连接");
    m_icon->setToolTip(PlainToolTip(text));
}
