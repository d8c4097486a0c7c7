// The sampled voice (SoundFont search, loading and its fallbacks, what it renders), where
// each kind of note goes in either voice, and MIDI keyboards: messages, ports that come and
// go, and a keyboard on a JACK server.
#include "SoundTestSupport.h"
#include "TestSupport.h"
#include "core/input/MidiInput.h"
#include "core/platform/LateLibrary.h"
#include "core/platform/Platform.h"
#include "core/sound/MediaPlayer.h"
#include "core/sound/SampledVoice.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/VoiceSwitch.h"
#include "ui/keys/KeyMarks.h"
#include "ui/keys/MainKeys.h"
#include "ui/panels/PracticeBar.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/PlainText.h"
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <stdexcept>
#include <thread>
#include <unistd.h>

using namespace SoundTest;

namespace {

struct FakeVoice final : IKeyVoice {
    bool ready = true;
    QStringList log;
    bool Ready() const override { return ready; }
    void NoteOn(int key, int velocity, std::uint64_t frame) override
    {
        log << QStringLiteral("on %1 %2").arg(key).arg(velocity) + (frame ? QStringLiteral(" @%1").arg(frame) : QString());
    }
    void NoteOff(int key) override { log << QStringLiteral("off %1").arg(key); }
    void Pedal(bool down) override { log << QStringLiteral("pedal %1").arg(down); }
    void CancelScheduled() override { log << QStringLiteral("cancel"); }
    void FollowRate(int r) override { rate = r; }
    int rate = 0;
};

// The voice switch over a silent player (it never opens a device) and a fake sampled voice.
struct SilentVoice {
    SilentVoice() { player.Audio().SetDeviceAllowed(false); }
    RecordingDialogs dialogs;
    FakeVoice sampled;
    NotePlayer player;
    VoiceSwitch voice{player, sampled};
};

struct FakePorts final : IMidiPorts {
    QStringList present;
    bool busy = false;
    std::map<QString, Receiver> open;
    QStringList Ports() override
    {
        if (busy)
            throw std::runtime_error("busy");
        return present;
    }
    bool Open(const QString& port, Receiver r) override { return open.emplace(port, std::move(r)).second; }
    void Close(const QString& port) override { open.erase(port); }
};

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? path : QString();
}

std::vector<float> Render(Mixer& m, int frames)
{
    std::vector<float> out(size_t(frames), 0.0f);
    for (int done = 0; done < frames; done += 256)
        m.Render(out.data() + done, std::min(256, frames - done), 48000);
    return out;
}

} // namespace

class TestMidiVoice : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void soundFontSearchOrder_data()
    {
        QTest::addColumn<QStringList>("files");   // "folder/name", folders "a" and "b"
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QString>("found");
        QTest::newRow("none") << QStringList{} << QString() << QString();
        QTest::newRow("FluidR3 before the others") << QStringList{"a/abc.sf2", "b/FluidR3_GM.sf2"} << QString()
                                                   << QStringLiteral("b/FluidR3_GM.sf2");
        QTest::newRow("then any sf2 or sf3") << QStringList{"a/x.txt", "b/z.sf3"} << QString() << QStringLiteral("b/z.sf3");
        QTest::newRow("the user's pick first") << QStringList{"a/FluidR3_GM.sf2", "b/mine.sf2"}
                                               << QStringLiteral("b/mine.sf2") << QStringLiteral("b/mine.sf2");
        QTest::newRow("a pick that is gone") << QStringList{"a/FluidR3_GM.sf2"} << QStringLiteral("b/gone.sf2")
                                             << QStringLiteral("a/FluidR3_GM.sf2");
    }
    void soundFontSearchOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, pick);
        QFETCH(QString, found);
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/');
        QDir(root).mkpath(QStringLiteral("a"));
        QDir(root).mkpath(QStringLiteral("b"));
        for (const QString& f : files)
            QVERIFY(!WriteFile(root + f, "x").isEmpty());
        const QString got = SampledVoice::FindSoundFont(pick.isEmpty() ? pick : root + pick, {root + "a", root + "b"});
        QCOMPARE(got, found.isEmpty() ? found : root + found);
    }

    void loadingFallsBackWithAReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");   // empty: loads
        QTest::newRow("a piano") << SoundFontBytes(0) << QString();
        QTest::newRow("not a piano") << SoundFontBytes(5) << QStringLiteral("没有钢琴音色");
        QTest::newRow("broken") << SoundFontBytes(0).left(300) << QStringLiteral("无法读取");
        QTest::newRow("not a SoundFont") << QByteArray(5000, 'x') << QStringLiteral("无法读取");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("不存在");
    }
    void loadingFallsBackWithAReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("voice.sf2"));
        if (!bytes.isEmpty())
            QVERIFY(!WriteFile(path, bytes).isEmpty());
        Mixer mixer;
        SampledVoice voice(mixer);
        QSignalSpy loaded(&voice, &SampledVoice::loaded);
        voice.Load(path, 48000);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(loaded.at(0).at(0).toBool(), reason.isEmpty());
        QCOMPARE(voice.Ready(), reason.isEmpty());
        if (!reason.isEmpty()) {
            const QString message = loaded.at(0).at(1).toString();
            QVERIFY2(message.contains(reason) && message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
            QCOMPARE(Peak(Render(mixer, 4800)), 0.0f);
            return;
        }
        // Key 60 sounds the key-69 sine nine semitones down, from the next render on.
        voice.NoteOn(60, 100);
        const std::vector<float> held = Render(mixer, 9600);
        QVERIFY(held[0] == 0.0f || std::fabs(held[0]) < 0.5f);
        QVERIFY(Peak(held) > 0.05f);
        QVERIFY(qAbs(ZeroCrossingFrequency(held.data() + 2400, 7000, 48000) - 441.0 * std::pow(2.0, -9.0 / 12)) < 3.0);
        // The pedal holds a released key; lifting it lets the note go.
        voice.Pedal(true);
        voice.NoteOff(60);
        QVERIFY(Peak(Render(mixer, 9600)) > 0.05f);
        voice.Pedal(false);
        Render(mixer, 48000);
        QVERIFY(Peak(Render(mixer, 4800)) < 0.01f);
        // A note queued for a frame starts on that frame.
        const std::uint64_t at = mixer.RenderedFrames() + 1000;
        voice.NoteOn(64, 100, at);
        const std::vector<float> timed = Render(mixer, 2048);
        QVERIFY(Peak({timed.begin(), timed.begin() + 1000}) < 0.01f);
        QVERIFY(Peak({timed.begin() + 1000, timed.begin() + 1400}) > 0.01f);
    }

    void notesReachTheChosenVoice()
    {
        TempEnv env;
        VoiceBank bank;
        bank.Fill();
        const QString temp = Platform::UserTempDir();
        ExtractSounds(bank.SoundNames, temp);
        NotePlayer player;
        player.SetSounds(temp, bank.Current);
        player.Audio().SetDeviceAllowed(false);
        FakeVoice sampled;
        VoiceSwitch voice(player, sampled);
        NoteTap tap(voice);
        QStringList told;
        tap.OnPress = [&](const QString& n) { told << n; };

        // Built-in: a MIDI key plays its slot (sharps too) in the rotation; keys beyond the
        // slots play their pitch class octaves in (B below the lowest C, C6 as c2).
        sampled.ready = false;
        voice.SetSampled(true);   // chosen, still loading: the built-in voice plays
        tap.PressKey(61, 20);
        QCOMPARE(player.PlayerTurn(), 1);
        QCOMPARE(player.Player(1)->FileName(), temp + bank.Current[25] + ".dat");
        tap.PressKey(35, 100);
        QCOMPARE(player.Player(2)->FileName(), temp + bank.Current[11] + ".dat");
        tap.PressKey(84, 100);
        QCOMPARE(player.Player(3)->FileName(), temp + bank.Current[36] + ".dat");
        tap.ReleaseKey(61);
        tap.Pedal(true);
        QCOMPARE(player.PlayerTurn(), 3);
        tap.PressKey(60, 100);
        QCOMPARE(player.Player(1)->FileName(), temp + bank.Current[24] + ".dat");
        // Keys a note name covers are told by name, a black key by its sharp.
        QCOMPARE(told, (QStringList{QStringLiteral("c#1"), QString(), QString(), QStringLiteral("c1")}));
        QVERIFY(sampled.log.isEmpty());
        bool quiet = true;   // each measured alone
        auto peakAt = [&](int velocity) {
            for (int i = 0; i == 0 || (i < 20 && player.Audio().GetMixer().ActiveVoices() > 0); ++i)
                Render(player.Audio().GetMixer(), 48000);   // what rang before has died away
            quiet = quiet && player.Audio().GetMixer().ActiveVoices() == 0;
            tap.PressKey(60, velocity);
            return Peak(Render(player.Audio().GetMixer(), 4800));
        };
        QVERIFY(peakAt(20) < 0.1f * peakAt(96));
        QVERIFY(quiet);

        // Sampled: names become keys at a fixed velocity, MIDI keys keep theirs.
        sampled.ready = true;
        voice.SetSustain(true);
        tap.PressNote(QStringLiteral("c1"));
        tap.ReleaseNote(QStringLiteral("c1"));   // sustain: rings on
        tap.PressNote(QStringLiteral("C"));      // no such note
        voice.SetSustain(false);
        tap.ReleaseNote(QStringLiteral("f2"));
        tap.PressKey(64, 30);
        tap.ReleaseKey(64);
        tap.Pedal(true);
        voice.ScheduleNote(QStringLiteral("e1"), 480);
        voice.CancelScheduled();
        tap.PressNote(QStringLiteral("c#1"));   // a sharp: the key above its natural
        tap.ReleaseNote(QStringLiteral("F#"));
        QCOMPARE(sampled.log, (QStringList{"on 60 96", "off 77", "on 64 30", "off 64", "pedal 1", "on 64 96 @480",
                                           "cancel", "on 61 96", "off 42"}));
        QCOMPARE(player.PlayerTurn(), 3);   // the built-in rotation was left alone
        QCOMPARE(sampled.rate, 48000);      // and the voice was told the output's rate

        voice.SetSampled(false);
        tap.PressNote(QStringLiteral("d1"));
        QCOMPARE(player.PlayerTurn(), 1);
    }

    // Every key of an 88-key keyboard: the sampled voice gets it as it is, the built-in one
    // the nearest slot of its pitch class.
    void everyPianoKeySounds()
    {
        for (int count : {48, 12})
            for (int slot = FirstSlotKey - 128; slot < 128; ++slot) {
                const int folded = NotePlayer::FoldSlot(slot, count);
                QVERIFY2(folded >= 0 && folded < count && (slot - folded) % 12 == 0, qPrintable(QString::number(slot)));
                for (int other = folded % 12; other < count; other += 12)   // no slot of its class is nearer
                    QVERIFY(std::abs(slot - folded) <= std::abs(slot - other));
            }
        QCOMPARE(NotePlayer::FoldSlot(108 - FirstSlotKey, 48), 36);   // C8 plays c2's sample
        QCOMPARE(NotePlayer::FoldSlot(5, 0), -1);

        FakeVoice sampled;
        NotePlayer player;
        player.Audio().SetDeviceAllowed(false);
        VoiceSwitch voice(player, sampled);
        voice.SetSampled(true);
        for (int key : {21, 108})
            voice.PressKey(key, 70);
        QCOMPARE(sampled.log, (QStringList{"on 21 70", "on 108 70"}));
    }

    // preferences.conf chooses the voice at start; a SoundFont that fails puts 标准 back.
    void voiceChoiceAtStartUp_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("sampled");
        QTest::newRow("a piano") << SoundFontBytes(0) << true;
        QTest::newRow("not a piano") << SoundFontBytes(3) << false;
    }
    void voiceChoiceAtStartUp()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, sampled);
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        const QString font = WriteFile(env.home() + QStringLiteral("/mine.sf2"), bytes);
        {
            QSettings s(env.options().configDir + QStringLiteral("/preferences.conf"), QSettings::IniFormat);
            s.setValue(QStringLiteral("voice"), QStringLiteral("sampled"));
            s.setValue(QStringLiteral("soundFont"), font);
        }
        PianoWindows w(env);
        w.main->StartupSequence();
        QVERIFY(w.main->Voice().WantsSampled());
        QTRY_VERIFY_WITH_TIMEOUT(!w.main->Sampled().Loading(), 20000);
        QTRY_COMPARE(w.main->Voice().Sampled(), sampled);
        QCOMPARE(w.main->Prefs().Voice(), sampled ? Preferences::SampledVoice : Preferences::StandardVoice);
        QCOMPARE(env.dialogs.errors.size(), sampled ? 0 : 1);
        QStringList texts;
        const QList<QAction*> options = w.main->IconMenu()->actions();
        const auto voice = std::find_if(options.begin(), options.end(), [](QAction* a) { return a->menu(); });
        QVERIFY(voice != options.end());
        for (QAction* a : (*voice)->menu()->actions())
            texts << a->text();
        QCOMPARE(texts, (QStringList{"标准", "钢琴（采样）", QString(), "延音", "选择音色库…"}));
    }

    void midiMessagesDecode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("value");
        QTest::newRow("note-on") << QByteArray("\x90\x3c\x64", 3) << int(MidiMessage::NoteOn) << 60 << 100;
        QTest::newRow("note-on, channel 10") << QByteArray("\x99\x3e\x01", 3) << int(MidiMessage::NoteOn) << 62 << 1;
        QTest::newRow("velocity 0 is off") << QByteArray("\x90\x3c\x00", 3) << int(MidiMessage::NoteOff) << 60 << 0;
        QTest::newRow("note-off") << QByteArray("\x83\x40\x40", 3) << int(MidiMessage::NoteOff) << 64 << 0;
        QTest::newRow("pedal down") << QByteArray("\xb0\x40\x7f", 3) << int(MidiMessage::Pedal) << 64 << 127;
        QTest::newRow("pedal up") << QByteArray("\xb0\x40\x10", 3) << int(MidiMessage::Pedal) << 64 << 0;
        QTest::newRow("other controller") << QByteArray("\xb0\x07\x7f", 3) << int(MidiMessage::None) << 0 << 0;
        QTest::newRow("program change") << QByteArray("\xc0\x05", 2) << int(MidiMessage::None) << 0 << 0;
        QTest::newRow("short") << QByteArray("\x90\x3c", 2) << int(MidiMessage::None) << 0 << 0;
    }
    void midiMessagesDecode()
    {
        QFETCH(QByteArray, bytes);
        const MidiMessage m = DecodeMidi(reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
        QTEST(int(m.kind), "kind");
        QTEST(m.key, "key");
        QTEST(m.value, "value");
    }

    void portsComeAndGo()
    {
        SilentVoice silent;
        auto& [dialogs, sampled, player, voice] = silent;
        voice.SetSampled(true);
        auto owned = std::make_unique<FakePorts>();
        FakePorts& ports = *owned;
        ports.present = {QStringLiteral("A")};
        MidiInput midi(std::move(owned), voice, dialogs);
        QCOMPARE(midi.OpenPorts(), QStringList{"A"});
        ports.present = {QStringLiteral("A"), QStringLiteral("B")};
        QTRY_COMPARE_WITH_TIMEOUT(midi.OpenPorts(), (QStringList{"A", "B"}), 2 * MidiInput::PollMs + 500);
        // A port's own thread hands the note over; it plays on this thread.
        std::thread([r = ports.open.at(QStringLiteral("B"))] {
            const unsigned char on[3] = {0x90, 62, 80};
            r(on, 3);
        }).join();
        QTRY_COMPARE(sampled.log, QStringList{"on 62 80"});
        ports.present = {QStringLiteral("B")};
        ports.busy = true;   // a system that does not answer changes nothing
        midi.Poll();
        QCOMPARE(midi.OpenPorts(), (QStringList{"A", "B"}));
        ports.busy = false;
        midi.Poll();
        QCOMPARE(midi.OpenPorts(), QStringList{"B"});
        QCOMPARE(ports.open.count(QStringLiteral("A")), size_t(0));
        QVERIFY(dialogs.errors.isEmpty());
    }

    // RtMidi comes with a module of ours, opened when MIDI is looked for: built beside the
    // program, and where it is missing there are no ports and a reason.
    void portsComeFromTheModule()
    {
        QString why;
        QTemporaryDir empty;
        QVERIFY(!MidiInput::Ports(MidiInput::Api::Alsa, {empty.path()}, &why));
        QVERIFY(why.contains(QStringLiteral("tavomidi")));
        QVERIFY(QFile::copy(QStringLiteral(TAVO_APPDIR "/libtavofluid.so"),
                            empty.filePath(QStringLiteral("libtavomidi.so"))));
        QVERIFY(!MidiInput::Ports(MidiInput::Api::Alsa, {empty.path()}, &why));
        QVERIFY(why.contains(QStringLiteral("not a MIDI module")));
        QString file;
        const auto entry = reinterpret_cast<TavoMidiEntry>(LateLibrary::ModuleEntry(
            QStringLiteral("tavomidi"), TavoMidiEntryName, LateLibrary::ModuleFolders(), &file));
        QVERIFY2(entry, qPrintable(file));
        QCOMPARE(entry()->version, TavoMidiApiVersion);
    }

    // A MIDI system that starts after the piano (a JACK server) is looked for at every poll,
    // and its ports go when it stops.
    void aLaterServerIsFound()
    {
        SilentVoice silent;
        auto& [dialogs, sampled, player, voice] = silent;
        bool running = false;
        int finds = 0;
        MidiInput midi(LateMidiPorts([&]() -> MidiSystem {
                           ++finds;
                           if (!running)
                               return {};
                           auto ports = std::make_unique<FakePorts>();
                           ports->present = {QStringLiteral("system:midi_capture_1")};
                           return {std::move(ports), [&running] { return running; }};
                       }),
                       voice, dialogs);
        QSignalSpy changed(&midi, &MidiInput::portsChanged);
        QVERIFY(midi.OpenPorts().isEmpty());
        QCOMPARE(finds, 1);
        running = true;
        QTRY_COMPARE_WITH_TIMEOUT(midi.OpenPorts(), QStringList{"system:midi_capture_1"}, 2 * MidiInput::PollMs + 500);
        QCOMPARE(changed.count(), 1);
        const int found = finds;
        midi.Poll();
        QCOMPARE(finds, found);   // found once, kept
        running = false;
        midi.Poll();
        QVERIFY(midi.OpenPorts().isEmpty() && midi.FoundPorts().isEmpty());
        QCOMPARE(changed.count(), 2);
        QVERIFY(dialogs.errors.isEmpty());
    }

    // Every port plays, the one chosen alone, or none.
    void choiceOfPort()
    {
        SilentVoice silent;
        auto& [dialogs, sampled, player, voice] = silent;
        auto owned = std::make_unique<FakePorts>();
        FakePorts& ports = *owned;
        ports.present = {QStringLiteral("A:1"), QStringLiteral("B:1")};
        MidiInput midi(std::move(owned), voice, dialogs, QStringLiteral("B:1"));
        QCOMPARE(midi.OpenPorts(), QStringList{"B:1"});
        QCOMPARE(midi.FoundPorts(), (QStringList{"A:1", "B:1"}));
        midi.SetChoice(MidiInput::NoPort);
        QVERIFY(midi.OpenPorts().isEmpty() && ports.open.empty());
        midi.SetChoice(QString());
        QCOMPARE(midi.OpenPorts(), (QStringList{"A:1", "B:1"}));
        midi.SetChoice(QStringLiteral("C:1"));   // not plugged in: nothing plays until it is
        QVERIFY(midi.OpenPorts().isEmpty());
        ports.present << QStringLiteral("C:1");
        midi.Poll();
        QCOMPARE(midi.OpenPorts(), QStringList{"C:1"});
    }

    // In the window: MIDI keys go down on both keyboards and count in 跟弹 as PC keys do; the
    // icon says what is connected and its menu picks the port, kept in preferences.conf.
    void midiKeyboardInTheWindow()
    {
        TempEnv env;
        QVERIFY(env.copyStarterDatabase());
        PianoWindows w(env);
        TFormPiano& m = *w.main;
        m.show();
        QTRY_VERIFY_WITH_TIMEOUT(m.StartupDone(), 20000);
        auto owned = std::make_unique<FakePorts>();
        FakePorts& ports = *owned;
        const QString keys = QStringLiteral("Keys:Keys MIDI 1 20:0"), pads = QStringLiteral("Pads:<b>Pads</b> 24:0");
        ports.present = {keys, pads};
        m.StartMidi(std::move(owned));
        QCOMPARE(m.ImgTitle->toolTip(), PlainToolTip(QStringLiteral("MIDI：") + keys + QStringLiteral("、") + pads));
        const auto send = [&](const QString& port, unsigned char status, int key) {
            const unsigned char bytes[3] = {status, static_cast<unsigned char>(key), 90};
            ports.open.at(port)(bytes, 3);
        };
        TFrmKeyBoard_2& wide = w.kb2();
        send(keys, 0x90, 60);
        QTRY_VERIFY(m.Keys->Key(QStringLiteral("c1"))->IsShowingDown() && wide.Key(QStringLiteral("c1"))->IsShowingDown());
        send(keys, 0x90, 48);   // only the wide keyboard has c
        QTRY_VERIFY(wide.Key(QStringLiteral("c"))->IsShowingDown());
        send(keys, 0x80, 60);
        send(keys, 0x80, 48);
        QTRY_VERIFY(m.Keys->Key(QStringLiteral("c1"))->IsShowingUp() && wide.Key(QStringLiteral("c1"))->IsShowingUp());
        QTRY_VERIFY(wide.Key(QStringLiteral("c"))->IsShowingUp());

        // 跟弹 on 小星星 (1 1 5 5 ...): a MIDI key moves the box, a wrong one flashes on both keyboards.
        QTest::mouseClick(m.ImgOpernShow, Qt::LeftButton);
        m.GBxShowOpern->LabOpMenuDblClick(1);
        PracticeBar& bar = *m.GBxShowOpern->Practice;
        QTest::mouseClick(bar.ImgFollow, Qt::LeftButton);
        send(keys, 0x90, 60);
        QTRY_COMPARE(bar.MarkedCell(), 2);
        send(keys, 0x90, 62);
        QTRY_VERIFY(m.Keys->Marks->IsWrong(QStringLiteral("d1")) && wide.Marks->IsWrong(QStringLiteral("d1")));
        QCOMPARE(bar.MarkedCell(), 2);

        // The icon menu: the ports found, ticked when connected, and 不连接.
        QMenu* menu = m.MidiMenu();
        QVERIFY(m.IconMenu()->actions().contains(menu->menuAction()));
        QCOMPARE(menu->title(), QStringLiteral("MIDI 输入"));
        const auto entries = [&] {
            Q_EMIT menu->aboutToShow();
            QStringList shown;
            for (QAction* a : menu->actions())
                shown << (a->isSeparator() ? QStringLiteral("-") : (a->isChecked() ? "[x] " : "[ ] ") + a->text());
            return shown;
        };
        QCOMPARE(entries(), (QStringList{"[x] " + keys, "[x] " + PlainMenuText(pads), "-", "[ ] 不连接"}));
        menu->actions()[1]->trigger();
        QCOMPARE(m.Midi()->OpenPorts(), QStringList{pads});
        QCOMPARE(entries(), (QStringList{"[ ] " + keys, "[x] " + PlainMenuText(pads), "-", "[ ] 不连接"}));
        QCOMPARE(m.ImgTitle->toolTip(), PlainToolTip(QStringLiteral("MIDI：") + pads));
        QSettings kept(m.Prefs().FilePath(), QSettings::IniFormat);
        QCOMPARE(kept.value(QStringLiteral("midiPort")).toString(), pads);
        menu->actions()[3]->trigger();
        QVERIFY(m.Midi()->OpenPorts().isEmpty());
        QCOMPARE(entries(), (QStringList{"[ ] " + keys, "[ ] " + PlainMenuText(pads), "-", "[x] 不连接"}));
        QCOMPARE(m.ImgTitle->toolTip(), QStringLiteral("MIDI：未连接"));
        // Unplugged: said at the next look.
        ports.present.clear();
        QTRY_COMPARE_WITH_TIMEOUT(m.ImgTitle->toolTip(), QStringLiteral("未发现 MIDI 键盘"), 2 * MidiInput::PollMs + 500);
        QCOMPARE(entries(), (QStringList{"[ ] 未发现 MIDI 键盘", "-", "[x] 不连接"}));
        QVERIFY(env.dialogs.errors.isEmpty());
    }

    void jackKeyboardPlaysThroughTheNotePath()
    {
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        const QString sequencer = QStandardPaths::findExecutable(QStringLiteral("jack_midiseq"));
        if (jackd.isEmpty() || sequencer.isEmpty())
            QSKIP("jackd2 is not installed");
        const QString server = QStringLiteral("tavotest%1").arg(QCoreApplication::applicationPid());
        const QByteArray oldServer = qgetenv("JACK_DEFAULT_SERVER");
        qputenv("JACK_DEFAULT_SERVER", server.toLocal8Bit());
        QProcess jack, seq;
        for (QProcess* p : {&jack, &seq})
            p->setStandardOutputFile(QProcess::nullDevice()), p->setStandardErrorFile(QProcess::nullDevice());
        jack.start(jackd, {"-n", server, "-d", "dummy", "-r", "48000", "-p", "256"});
        const QString socket = QStringLiteral("/dev/shm/jack_%1_%2_0").arg(server).arg(getuid());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 10000);
        {
            SilentVoice silent;
            auto& [dialogs, sampled, player, voice] = silent;
            voice.SetSampled(true);
            NoteTap tap(voice);
            QStringList played;
            tap.OnPress = [&](const QString& n) { played << n; };
            MidiInput midi(MidiInput::Ports(MidiInput::Api::Jack), tap, dialogs);
            seq.start(sequencer, {"Sequencer", "48000", "0", "60", "6000", "16000", "62", "6000", "32000", "64", "6000"});
            QTRY_VERIFY_WITH_TIMEOUT(played.join(' ').contains(QStringLiteral("c1 d1 e1")), 10000);
            QVERIFY(sampled.log.join(' ').contains(QStringLiteral("on 60 64")));
            seq.kill();
            seq.waitForFinished();
        }
        jack.terminate();
        jack.waitForFinished();
        qputenv("JACK_DEFAULT_SERVER", oldServer);
    }
};

TAVO_TEST_MAIN(TestMidiVoice)
#include "test_midi_voice.moc"
