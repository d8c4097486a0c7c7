#include "ui/shell/FormPiano.h"
#include "core/AppInfo.h"
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include "core/input/KeyMaps.h"
#include "ui/keys/KeyMarks.h"
#include "ui/shell/IconMenu.h"
#include "ui/keys/MainKeys.h"
#include "ui/keys/WideKeyboard.h"
#include "ui/panels/AboutPanel.h"
#include "ui/panels/EntryPanel.h"
#include "ui/panels/HelpPanel.h"
#include "ui/panels/PracticeBar.h"
#include "ui/panels/ScorePanel.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/BannerView.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/Styles.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {
ClickLabel* PictureLabel(QWidget* parent, const QString& res, int x, int y, int w, int h)
{
    auto* l = new ClickLabel(parent);
    l->setPixmap(QPixmap::fromImage(ResourceImage(res)));
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(x, y, w, h);
    return l;
}
}

TFormPiano::TFormPiano(IDialogs& dialogs, const FolderOptions& folders)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_dialogs(dialogs), m_folderOptions(folders)
{
    setWindowTitle(AppTitle);
    setFixedSize(670, 650);
    setFocusPolicy(Qt::StrongFocus);
    // The window's pictures, while the background and the labels are made here.
    m_warmUp.Start(WindowPictures());
    BuildWindow();
    WireKeyboard(Keys->Marks);
}

void TFormPiano::WireKeyboard(KeyMarks* marks)
{
    marks->SetLetters(m_s.Prefs.KeyLetters());
    if (ScorePanel* score = GBxShowOpern.IfBuilt())
        WirePractice(*score, marks);
}

// The practice modes show on both keyboards.
void TFormPiano::WirePractice(ScorePanel& panel, KeyMarks* marks)
{
    PracticeBar* bar = panel.Practice;
    connect(bar, &PracticeBar::demoKey, marks, &KeyMarks::Demo);
    connect(bar, &PracticeBar::awaitedKey, marks, &KeyMarks::Await);
    connect(bar, &PracticeBar::wrongKey, marks, &KeyMarks::Wrong);
    marks->Await(bar->AwaitedKey());   // a keyboard opened during 跟弹 lights the key at once
}

void TFormPiano::NoteTapped(const QString& note)
{
    const qint64 age = m_keyStamp ? m_keyAge.Ms(m_keyStamp, EventAge::NowMs()) : 0;
    m_keyStamp = 0;
    if (ScorePanel* score = GBxShowOpern.IfBuilt())   // no panel, no practice running
        score->NotePlayed(note, age);
}

void TFormPiano::ShowKeysFor(const QStringList& notes)
{
    ScorePanel* score = GBxShowOpern.IfBuilt();
    if (!score || m_keyboardRoute != 0 || score->ShownSongID() == m_wideOpenedFor)
        return;
    bool beyond = false;
    bool low = false;
    for (const QString& note : notes) {
        if (Keys->Key(note))
            continue;
        beyond = true;
        low = low || NoteKey(note) < NoteKey(QStringLiteral("c1"));
    }
    if (!beyond)
        return;
    m_wideOpenedFor = score->ShownSongID();
    ImgSetBoardClick();
    score->Practice->WideKeysOpened(low);
}

TFrmKeyBoard_2* TFormPiano::WideKeyboard()
{
    // The wide keyboard and its pictures wait until they are first wanted: most starts never show it.
    if (!m_wide) {
        m_wide = std::make_unique<TFrmKeyBoard_2>(m_s.Notes, m_dialogs);
        connect(m_wide.get(), &TFrmKeyBoard_2::spacePressed, this, [this] { RunGuarded(m_dialogs, [this] { SpaceKey(); }); });
        connect(m_wide.get(), &TFrmKeyBoard_2::escapePressed, this,
                [this] { RunGuarded(m_dialogs, [this] { StopPractice(); }); });
        m_wide->installEventFilter(this);   // the arrival time of its key events
        WireKeyboard(m_wide->Marks);
    }
    return m_wide.get();
}

TFormPiano::~TFormPiano()
{
    // The demo plays through the note player, which goes before the panels do.
    StopPractice();
}

void TFormPiano::StopPractice()
{
    if (ScorePanel* score = GBxShowOpern.IfBuilt())
        score->StopPractice();
}

void TFormPiano::BuildWindow()
{
    ImgBack = new QLabel(this);
    ImgBack->setGeometry(0, 0, 671, 650);
    ImgBack->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/back.ppm"))));

    ImgOpernShow = PictureLabel(this, QStringLiteral("pic/menu_play.png"), 32, 25, 114, 63);
    ImgOpernWrite = PictureLabel(this, QStringLiteral("pic/menu_write.png"), 152, 25, 114, 63);
    ImgHelp = PictureLabel(this, QStringLiteral("pic/menu_help.png"), 272, 25, 114, 63);
    ImgAbout = PictureLabel(this, QStringLiteral("pic/menu_about.png"), 392, 25, 114, 63);
    GuardedConnect(m_dialogs, ImgOpernShow, &ClickLabel::clicked, this, &TFormPiano::ImgOpernShowClick);
    GuardedConnect(m_dialogs, ImgOpernWrite, &ClickLabel::clicked, this, &TFormPiano::ImgOpernWriteClick);
    GuardedConnect(m_dialogs, ImgHelp, &ClickLabel::clicked, this, &TFormPiano::ImgHelpClick);
    GuardedConnect(m_dialogs, ImgAbout, &ClickLabel::clicked, this, &TFormPiano::ImgAboutClick);

    LabClose = NewCloseLabel(this, 642, 0);
    GuardedConnect(m_dialogs, LabClose, &ClickLabel::clicked, this, &TFormPiano::LabCloseClick);

    LabSoftName = PlainLabel(QStringLiteral("Tavo Piano v ") + AppVersion + QStringLiteral("  "), this);
    LabSoftName->setGeometry(255, 3, 125, 17);
    LabSoftName->setFont(PixelFont(QStringLiteral("Tahoma"), 14));
    LabSoftName->setStyleSheet(CreamTextStyle);

    ImgTitle = PictureLabel(this, QStringLiteral("pic/title.png"), 6, 3, 32, 20);
    GuardedConnect(m_dialogs, ImgTitle, &ClickLabel::clicked, this, &TFormPiano::ImgAboutClick);
    BuildIconMenu();

    ImgBottom = new QLabel(this);
    ImgBottom->setGeometry(0, height() - 14, 670, 14);
    ImgBottom->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/bottom.png"))));

    MySWF = new TShockwaveFlash(this);
    MySWF->setGeometry(-138, 50, 217, 42);
    MySWF->hide();

    Keys = new MainKeys(this, m_s.Notes, m_dialogs);

    // Pictures and labels of the window itself take part in the drag regions; the panels
    // and the banner take their own presses, and so do windows of their own (the icon menu).
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && w != MySWF && !w->isWindow())
            w->installEventFilter(this);
    m_s.Notes.OnPress = [this](const QString& note) { NoteTapped(note); };
}

// ---- Panels, each built on first use ----

ScorePanel* TFormPiano::BuildScorePanel()
{
    auto* panel = new ScorePanel(this, m_dialogs, m_s.Library, m_s.Paths, m_s.Voice);
    panel->ClearGrids = [this](int first, int last) { ClearGrids(first, last); };
    GuardedConnect(m_dialogs, panel, &ScorePanel::keyboardSwitchClicked, this, &TFormPiano::ImgSetBoardClick);
    GuardedConnect(m_dialogs, panel, &ScorePanel::entryPanelRequested, this, &TFormPiano::ImgOpernWriteClick);
    GuardedConnect(m_dialogs, panel, &ScorePanel::libraryChanged, this, &TFormPiano::ReloadLibrary);
    connect(panel->Practice, &PracticeBar::runNotes, this,
            [this](const QStringList& notes) { RunGuarded(m_dialogs, [&] { ShowKeysFor(notes); }); });
    WirePractice(*panel, Keys->Marks);
    if (m_wide)
        WirePractice(*panel, m_wide->Marks);
    if (m_panelsPrepared)
        PrepareScorePanel(*panel);
    return panel;
}

EntryPanel* TFormPiano::BuildEntryPanel()
{
    auto* panel = new EntryPanel(this, m_dialogs, m_s.Library);
    GuardedConnect(m_dialogs, panel, &EntryPanel::showRequested, this, &TFormPiano::ImgOpernWriteClick);
    panel->ClearScoreView = [this](int first, int last) {
        if (ScorePanel* score = GBxShowOpern.IfBuilt())   // one not built yet starts blank
            score->ClearGrid(first, last);
    };
    GuardedConnect(m_dialogs, panel, &EntryPanel::songSaved, this, &TFormPiano::ReloadLibrary);
    // The entry panel's page label turns the help back a page, as the help's own label does.
    connect(panel, &EntryPanel::LabTab2PgIdClicked, this,
            [this] { RunGuarded(m_dialogs, [this] { GBxHelp->LabHelpPreClick(); }); });
    if (m_panelsPrepared)
        PrepareEntryPanel(*panel);
    return panel;
}

HelpPanel* TFormPiano::BuildHelpPanel() { return new HelpPanel(this, m_dialogs); }
AboutPanel* TFormPiano::BuildAboutPanel() { return new AboutPanel(this, m_dialogs); }

void TFormPiano::PrepareScorePanel(ScorePanel& panel)
{
    PreloadGlyphs();   // the glyph pictures, decoded before the first page is drawn
    panel.Practice->Best().Load(m_s.Paths.DataDir);
    panel.Practice->SetMetronome(m_s.Prefs.Metronome());
    panel.ClearGrid(1, Score::CellsPerPage);
}

void TFormPiano::PrepareEntryPanel(EntryPanel& panel)
{
    PreloadGlyphs();
    panel.ResetEntry();
    panel.ClearGrid(1, Score::CellsPerPage);
}

void TFormPiano::BuildIconMenu()
{
    m_iconMenu = new ::IconMenu(ImgTitle, m_s);
    m_iconMenu->OnKeyLetters = [this](bool on) {
        Keys->Marks->SetLetters(on);
        if (m_wide)
            m_wide->Marks->SetLetters(on);
    };
    m_iconMenu->OnMetronome = [this](bool on) {
        if (ScorePanel* score = GBxShowOpern.IfBuilt())
            score->Practice->SetMetronome(on);
    };
}

QMenu* TFormPiano::IconMenu() const { return m_iconMenu->Menu(); }
QMenu* TFormPiano::MidiMenu() const { return m_iconMenu->MidiMenu(); }

void TFormPiano::StartMidi(std::unique_ptr<IMidiPorts> ports)
{
    MidiInput& midi = m_s.StartMidi(std::move(ports));
    connect(&midi, &MidiInput::portsChanged, m_iconMenu, &IconMenu::ShowMidiStatus);
    connect(&midi, &MidiInput::keyChanged, this, &TFormPiano::MidiKeyChanged);
    m_iconMenu->ShowMidiStatus();
}

// A MIDI key shows on the keys as a PC key does, on both keyboards.
void TFormPiano::MidiKeyChanged(int key, bool down)
{
    const QString note = KeyNoteName(key);
    if (note.isEmpty())
        return;
    for (TImageButton* button : {Keys->Key(note), m_wide ? m_wide->Key(note) : nullptr})
        if (button)
            down ? button->ShowDown() : button->ShowUp();
}

// ---- Panels ----

bool TFormPiano::ShowPanel(QWidget* panel, int left, int top)
{
    // Leaving the entry panel for another may give up the song being written.
    if (EntryPanel* entry = GBxOpernWrite.IfBuilt(); entry && entry->isVisible() && panel != entry && !entry->MayLeave())
        return false;
    for (QWidget* p : {static_cast<QWidget*>(GBxShowOpern.IfBuilt()), static_cast<QWidget*>(GBxOpernWrite.IfBuilt()),
                       static_cast<QWidget*>(GBxHelp.IfBuilt()), static_cast<QWidget*>(GBxAbout.IfBuilt())})
        if (p)
            p->hide();
    panel->setVisible(true);
    panel->raise();
    panel->move(left, top);
    return true;
}

void TFormPiano::ClearGrids(int first, int last)
{
    // A panel not built yet is blank when it comes.
    ScorePanel* score = GBxShowOpern.IfBuilt();
    EntryPanel* entry = GBxOpernWrite.IfBuilt();
    UpdatesHold hold{score, entry};
    if (score)
        score->ClearGrid(first, last);
    if (entry)
        entry->ClearGrid(first, last);
}

void TFormPiano::ImgOpernShowClick()
{
    if (!ShowPanel(GBxShowOpern, 5, 95))
        return;
    GBxShowOpern->OpenMenu();
    if (!m_s.Library.Table().empty())
        MySWF->ResetBackground();
}

void TFormPiano::ImgOpernWriteClick() { ShowPanel(GBxOpernWrite, 5, 95); }
void TFormPiano::ImgHelpClick()
{
    if (ShowPanel(GBxHelp, 22, 95))
        GBxHelp->Opened();
}
void TFormPiano::ImgAboutClick() { ShowPanel(GBxAbout, 100, 95); }

void TFormPiano::ReloadLibrary()
{
    // Rows that cannot be read were reported at start; they are left out again, quietly.
    m_s.Library.LoadSongTable(m_s.BannerLinks);
    if (ScorePanel* score = GBxShowOpern.IfBuilt())
        score->LibraryReloaded();
}

// ---- Keyboards ----

void TFormPiano::ImgSetBoardClick()
{
    TFrmKeyBoard_2* wide = WideKeyboard();
    if (wide->isVisible()) {
        m_keyboardRoute = 0;
        wide->hide();
        setFixedHeight(650);
        return;
    }
    m_keyboardRoute = 1;
    wide->show();   // centres itself horizontally
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
    wide->move(wide->x(), g.y() + g.height() - 310);
    setFixedHeight(397);
}

void TFormPiano::BringToFront()
{
    if (m_exiting)
        return;   // hidden on its way out: it does not come back
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    if (m_wide && m_wide->isVisible())
        m_wide->raise();
    raise();
    activateWindow();
}

void TFormPiano::SpaceKey()
{
    ScorePanel* score = GBxShowOpern.IfBuilt();
    if (score && score->SpaceTurnsPage())
        score->LabNexPg_1Click();
}

void TFormPiano::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == VirtualKeys::Space) {
        SpaceKey();
        return;
    }
    // Notes typed into an open entry panel; the piano's keys are never among them.
    if (EntryPanel* entry = GBxOpernWrite.IfBuilt(); entry && entry->TypeKey(key, modifiers))
        return;
    ScorePanel* score = GBxShowOpern.IfBuilt();
    if (key == 'C' && modifiers == Qt::ControlModifier && score && score->CopySongText())
        return;
    // Esc stops a demo or follow mode and then goes on to the keys as any other key does;
    // routed to the second keyboard, that keyboard reports it itself.
    if (key == VirtualKeys::Escape && m_keyboardRoute != 1)
        StopPractice();
    if (m_keyboardRoute == 0)
        Keys->MainKeyDown(key, modifiers);
    else if (m_keyboardRoute == 1)
        WideKeyboard()->FormKeyDown(key, modifiers);
}

void TFormPiano::FormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_keyboardRoute == 0)
        Keys->MainKeyUp(key);
    else if (m_keyboardRoute == 1)
        WideKeyboard()->FormKeyUp(key, modifiers);
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
    const int vk = VirtualKeyOf(e);
    if (ChildHasFocus(this) || vk == 0) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    m_keyStamp = qint64(e->timestamp());
    // Auto-repeat presses play again, as a held key does.
    RunGuarded(m_dialogs, [&] { FormKeyDown(vk, VirtualKeys::Modifiers(e->modifiers())); });
}

void TFormPiano::keyReleaseEvent(QKeyEvent* e)
{
    const int vk = VirtualKeyOf(e);
    // X11 pairs every repeated press with a release; the key goes up only once.
    if (e->isAutoRepeat() || ChildHasFocus(this) || vk == 0) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
    RunGuarded(m_dialogs, [&] { FormKeyUp(vk, VirtualKeys::Modifiers(e->modifiers())); });
}

// ---- Dragging ----

bool TFormPiano::IsDragPoint(const QPoint& p)
{
    return 1 < p.x() && p.x() < 645 && ((1 < p.y() && p.y() < 26) || (85 < p.y() && p.y() < 372));
}

bool TFormPiano::TryStartDrag(const QPoint& windowPoint)
{
    if (!IsDragPoint(windowPoint))
        return false;
    ++m_dragStarts;
    if (QWindow* w = windowHandle())
        w->startSystemMove();
    return true;   // a press in a drag region never reaches the picture under it
}

void TFormPiano::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && TryStartDrag(e->position().toPoint()))
        e->accept();
    else
        QWidget::mousePressEvent(e);
}

bool TFormPiano::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && watched == m_wide.get())
        m_keyStamp = qint64(static_cast<QKeyEvent*>(e)->timestamp());
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        auto* me = static_cast<QMouseEvent*>(e);
        auto* w = qobject_cast<QWidget*>(watched);
        // A popup, menu or dialog lies over the window but is no part of it: never a drag.
        if (w && me->button() == Qt::LeftButton && w->parentWidget() == this && !w->isWindow()) {
            const QPoint p = w->mapTo(this, me->position().toPoint());
            if (IsDragPoint(p)) {
                if (e->type() == QEvent::MouseButtonPress)
                    TryStartDrag(p);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TFormPiano::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (ImgBottom)
        ImgBottom->move(0, height() - ImgBottom->height());   // the strip follows the bottom edge
}

// ---- Start-up ----

void TFormPiano::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (QScreen* s = screen()) {
        const QRect r = s->availableGeometry();
        move(r.center() - rect().center());
    }
    // The library's key is worked out on a worker while the window paints.
    m_s.Library.OpenAhead(LibraryFileOf(m_folderOptions));
    // Let the window paint first; input waits behind the sequence in the event queue.
    QTimer::singleShot(0, this, &TFormPiano::FormShow);
}

void TFormPiano::FormShow()
{
    RunGuarded(m_dialogs, [this] { StartupSequence(); });
}

void TFormPiano::StartupSequence()
{
    m_s.Paths = ResolveFolders(m_folderOptions);
    m_s.LoadPreferences();
    RunGuarded(m_dialogs, [this] { m_iconMenu->ApplyVoice(); });   // a SoundFont loads in the background
    StartMidi(MidiInput::SystemPorts());
    m_iconMenu->ShowPreferences();   // read, not chosen: nothing is written back at start
    Keys->Marks->SetLetters(m_s.Prefs.KeyLetters());
    if (m_wide)
        m_wide->Marks->SetLetters(m_s.Prefs.KeyLetters());
    m_keyboardRoute = 0;
    // Settings files and the banner list; the song loader adds its links from slot 21 later.
    QString settingsProblem;
    m_s.BannerLinks = LoadSettingsFiles(m_s.Paths.ConfigDir, &settingsProblem);
    if (!settingsProblem.isEmpty())
        m_dialogs.ShowError(settingsProblem);
    m_s.Voices.Fill();
    m_s.Player.SetSounds(m_s.Paths.TempDir, m_s.Voices.Current);
    // Reset entry, clear grids: panels built so far now, the others when they are built.
    m_panelsPrepared = true;
    if (EntryPanel* entry = GBxOpernWrite.IfBuilt())
        PrepareEntryPanel(*entry);
    if (ScorePanel* score = GBxShowOpern.IfBuilt())
        PrepareScorePanel(*score);
    // A library that cannot be read is reported and leaves the menu empty; the piano still
    // gets its sounds.
    RunGuarded(m_dialogs, [this] { m_s.LoadLibrary(); });
    if (!m_s.Library.Table().empty())
        MySWF->ResetBackground();   // reading rows hands the banner a black background
    // Pick the banner.
    m_bannerRandom.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
    if (const auto banner = PickBanner(m_s.BannerLinks, m_bannerRandom)) {
        // The box shows once its picture is there: a picture that never comes shows nothing.
        connect(MySWF, &TShockwaveFlash::loaded, MySWF, &QWidget::show, Qt::SingleShotConnection);
        MySWF->setGeometry(BannerRect(width()));
        MySWF->SetMovie(banner->movie);
        if (const auto mode = BannerScaleMode(MySWF->Movie()))
            MySWF->SetScaleMode(*mode);
    }
    // The sound files are written behind the window; a note before its file plays from memory.
    m_s.WriteSounds(this);
    // The panels' pictures are decoded behind the window too, ready before a panel is opened.
    m_warmUp.Start(PanelPictures());
    m_startupDone = true;
    // The fonts load in idle moments, one at a time, so a key pressed meanwhile waits for one at most.
    LoadFontsWhenIdle(PanelFonts() + WindowFonts());
}

void TFormPiano::LoadFontsWhenIdle(QList<QFont> fonts)
{
    if (fonts.isEmpty())
        return;
    QTimer::singleShot(0, this, [this, fonts]() mutable {
        LoadFont(fonts.takeFirst());
        LoadFontsWhenIdle(fonts);
    });
}

// ---- Exit ----

// Cells not saved yet are asked about first.
bool TFormPiano::MayClose()
{
    EntryPanel* entry = GBxOpernWrite.IfBuilt();
    return !entry || entry->MayLeave();
}

void TFormPiano::LabCloseClick()
{
    if (!m_exiting && !MayClose())
        return;
    m_exiting = true;
    hide();
    // Banner refresh; never waits on the network longer than the fetch's own limit.
    if (!m_s.Paths.ConfigDir.isEmpty())   // empty before the start-up sequence ran
        BannerExitStep(m_s.Paths.ConfigDir, QDateTime::currentDateTime(), m_fetchPage);
    close();
    m_s.SoundWriter.Wait();   // a file still being written is not pruned and then written again
    PruneSounds(m_s.Voices.SoundNames, m_s.Paths.TempDir);
    QCoreApplication::quit();
}

void TFormPiano::closeEvent(QCloseEvent* e)
{
    if (!m_exiting && !MayClose()) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
    // The second keyboard form must not keep the program alive.
    QCoreApplication::quit();
}
