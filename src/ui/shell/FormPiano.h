#pragma once
// The main window TFormPiano: the fixed 670x650 borderless layout, the top bar, dragging, the
// PC keys, and the start-up and exit sequences. Its panels (Panels) and its two keyboards
// (Keyboards) are composed here and own their state.
#include "core/Dialogs.h"
#include "ui/keys/Keyboards.h"
#include "ui/shell/PianoServices.h"
#include "ui/shell/Panels.h"
#include "ui/widgets/LazyPanel.h"
#include "ui/widgets/WarmUp.h"
#include <QRandomGenerator>
#include <QWidget>
#include <memory>

class AboutPanel;
class ClickLabel;
class EntryPanel;
class HelpPanel;
class IconMenu;
class MainKeys;
class QLabel;
class QMenu;
class ScorePanel;
class TFrmKeyBoard_2;
class TShockwaveFlash;

class TFormPiano : public QWidget {
    Q_OBJECT
public:
    explicit TFormPiano(IDialogs& dialogs, const FolderOptions& folders = {});
    ~TFormPiano() override;

    // ---- The window's own controls ----
    QLabel* ImgBack = nullptr;
    ClickLabel* ImgOpernShow = nullptr;
    ClickLabel* ImgOpernWrite = nullptr;
    ClickLabel* ImgHelp = nullptr;
    ClickLabel* ImgAbout = nullptr;
    ClickLabel* LabClose = nullptr;
    QLabel* LabSoftName = nullptr;   // Qt::PlainText, as every caption made by PlainLabel
    ClickLabel* ImgTitle = nullptr;
    QLabel* ImgBottom = nullptr;
    TShockwaveFlash* MySWF = nullptr;
    MainKeys* Keys = nullptr;

    // ---- The panels it composes, and the second keyboard ----
    // Each panel is built the first time it is opened or asked for.
    LazyPanel<ScorePanel>& GBxShowOpern = m_panels.Score;
    LazyPanel<EntryPanel>& GBxOpernWrite = m_panels.Entry;
    LazyPanel<HelpPanel>& GBxHelp = m_panels.Help;
    LazyPanel<AboutPanel>& GBxAbout = m_panels.About;
    // Built the first time it is asked for (the keyboard switch, or a test).
    TFrmKeyBoard_2* WideKeyboard() { return m_keys.Wide(); }

    // ---- What the window owns ----
    PianoServices& Services() { return m_s; }
    const Folders& Paths() const { return m_s.Paths; }
    NotePlayer& Player() { return m_s.Player; }
    VoiceSwitch& Voice() { return m_s.Voice; }
    SampledVoice& Sampled() { return m_s.Sampled; }
    INoteInput& Notes() { return m_s.Notes; }
    SongLibrary& Library() { return m_s.Library; }
    const VoiceBank& Voices() const { return m_s.Voices; }
    const BannerLinkList& BannerLinks() const { return m_s.BannerLinks; }
    int KeyboardRoute() const { return m_keys.Route(); }   // 0 main keys, 1 the second keyboard
    Preferences& Prefs() { return m_s.Prefs; }
    // The options menu of the title bar's piano icon (a right click on ImgTitle).
    QMenu* IconMenu() const;
    // Its "MIDI 输入" submenu, filled with the ports found each time it opens.
    QMenu* MidiMenu() const;
    // MIDI keyboards, from the start-up sequence on (null before it).
    MidiInput* Midi() const { return m_s.Midi.get(); }
    // Starts reading MIDI keyboards from these ports (the start-up sequence: the system's).
    void StartMidi(std::unique_ptr<IMidiPorts> ports);
    // How the exit step fetches the maker's page; tests put a local stand-in here.
    void SetPageFetcher(PageFetcher fetch) { m_fetchPage = std::move(fetch); }

    // false when the entry panel's unsaved cells were kept: nothing changed.
    bool ShowPanel(QWidget* panel, int left, int top) { return m_panels.Show(panel, left, top); }
    // Title strip and panel area act as the missing caption bar (window-relative point).
    static bool IsDragPoint(const QPoint& p);
    // Blanks both score grids, the view's and the entry editor's.
    void ClearGrids(int first, int last) { m_panels.ClearGrids(first, last); }
    // Reads the song table again after the library changed (a save, a delete, an import).
    void ReloadLibrary() { m_panels.ReloadLibrary(); }

    void StartupSequence();          // the show event's steps; throws on the first failure
    bool StartupDone() const { return m_startupDone; }
    int DragStarts() const { return m_dragStarts; }   // window moves begun by a press

    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);

public Q_SLOTS:
    void LabCloseClick();
    void ImgOpernShowClick();
    void ImgOpernWriteClick();
    void ImgHelpClick();
    void ImgAboutClick();
    void ImgSetBoardClick();
    // A later start asked for the piano: show it (also when hidden or minimised) in front.
    void BringToFront();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildWindow();
    void BuildIconMenu();
    void QueueFormShow();
    void FormShow();
    void SpaceKey();
    void LoadFontsWhenIdle(QList<QFont> fonts);
    bool TryStartDrag(const QPoint& windowPoint);
    bool MayClose();

    IDialogs& m_dialogs;
    FolderOptions m_folderOptions;
    PianoServices m_s{m_dialogs};
    WarmUp m_warmUp;
    Keyboards m_keys{*this, m_s.Notes, m_dialogs};
    Panels m_panels{*this, m_dialogs, m_s, m_keys};
    class IconMenu* m_iconMenu = nullptr;
    QRandomGenerator m_bannerRandom;
    PageFetcher m_fetchPage = [](const QString& address) { return FetchPage(address); };
    bool m_shownOnce = false;
    bool m_formShowQueued = false;
    bool m_startupDone = false;
    bool m_exiting = false;
    int m_dragStarts = 0;
};
