#include "ui/shell/FormPiano.h"
#include "core/AppInfo.h"
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include "core/input/KeyMaps.h"
#include "ui/shell/IconMenu.h"
#include "ui/keys/WideKeyboard.h"
#include "ui/panels/EntryPanel.h"
#include "ui/panels/ScorePanel.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/BannerView.h"
#include "ui/widgets/PlainText.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
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
    // The window's pictures and the families of its caption and close mark, while the
    // background and the labels are made here.
    m_warmUp.Start(WindowPictures(), {QStringLiteral("Tahoma"), QStringLiteral("微软雅黑")});
    BuildWindow();
    m_keys.SetLetters(m_s.Prefs.KeyLetters());
    connect(&m_keys, &Keyboards::switched, this, [this](bool wide) { setFixedHeight(wide ? 397 : 650); });
    connect(&m_keys, &Keyboards::notePlayed, &m_panels, &Panels::NotePlayed);
    connect(&m_keys, &Keyboards::spacePressed, this, [this] { RunGuarded(m_dialogs, [this] { SpaceKey(); }); });
    connect(&m_keys, &Keyboards::escapePressed, this,
            [this] { RunGuarded(m_dialogs, [this] { m_panels.StopPractice(); }); });
    GuardedConnect(m_dialogs, &m_panels, &Panels::keyboardSwitchClicked, this, &TFormPiano::ImgSetBoardClick);
}

TFormPiano::~TFormPiano()
{
    // The demo plays through the note player, which goes before the panels do.
    m_panels.StopPractice();
}

void TFormPiano::BuildWindow()
{
    ImgBack = new QLabel(this);
    ImgBack->setGeometry(0, 0, 671, 650);   // first, so it lies under the rest; its picture comes last

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
    SetTextColor(LabSoftName, CreamText);

    ImgTitle = PictureLabel(this, QStringLiteral("pic/title.png"), 6, 3, 32, 20);
    GuardedConnect(m_dialogs, ImgTitle, &ClickLabel::clicked, this, &TFormPiano::ImgAboutClick);
    BuildIconMenu();

    ImgBottom = new QLabel(this);
    ImgBottom->setGeometry(0, height() - 14, 670, 14);
    ImgBottom->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/bottom.png"))));

    MySWF = new TShockwaveFlash(this);
    MySWF->setGeometry(-138, 50, 217, 42);
    MySWF->hide();

    Keys = m_keys.BuildMain();
    // The largest picture, by then decoded on the warm-up worker.
    ImgBack->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/back.ppm"))));

    // Pictures and labels of the window itself take part in the drag regions; the panels
    // and the banner take their own presses, and so do windows of their own (the icon menu).
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && w != MySWF && !w->isWindow())
            w->installEventFilter(this);
}

void TFormPiano::BuildIconMenu()
{
    m_iconMenu = new ::IconMenu(ImgTitle, m_s);
    m_iconMenu->OnKeyLetters = [this](bool on) { m_keys.SetLetters(on); };
    m_iconMenu->OnMetronome = [this](bool on) { m_panels.SetMetronome(on); };
    m_iconMenu->OnSongKeySound = [this](bool on) { m_panels.SetSongKeySound(on); };
}

QMenu* TFormPiano::IconMenu() const { return m_iconMenu->Menu(); }
QMenu* TFormPiano::MidiMenu() const { return m_iconMenu->MidiMenu(); }

void TFormPiano::StartMidi(std::unique_ptr<IMidiPorts> ports)
{
    MidiInput& midi = m_s.StartMidi(std::move(ports));
    connect(&midi, &MidiInput::portsChanged, m_iconMenu, &IconMenu::ShowMidiStatus);
    connect(&midi, &MidiInput::keyChanged, &m_keys, &Keyboards::ShowMidiKey);
    m_iconMenu->ShowMidiStatus();
}

// ---- Panels ----

void TFormPiano::ImgOpernShowClick()
{
    if (m_panels.OpenScore() && !m_s.Library.Table().empty())
        MySWF->ResetBackground();
}

void TFormPiano::ImgOpernWriteClick() { m_panels.OpenEntry(); }
void TFormPiano::ImgHelpClick() { m_panels.OpenHelp(); }
void TFormPiano::ImgAboutClick() { m_panels.OpenAbout(); }

// ---- Keyboards ----

void TFormPiano::ImgSetBoardClick() { m_keys.Switch(); }

void TFormPiano::BringToFront()
{
    if (m_exiting)
        return;   // hidden on its way out: it does not come back
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    if (TFrmKeyBoard_2* wide = m_keys.WideIfBuilt(); wide && wide->isVisible())
        wide->raise();
    raise();
    activateWindow();
}

void TFormPiano::SpaceKey() { m_panels.SpaceKey(); }

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
    if (key == VirtualKeys::Escape && m_keys.Route() != 1)
        m_panels.StopPractice();
    m_keys.KeyDown(key, modifiers);
}

void TFormPiano::FormKeyUp(int key, Qt::KeyboardModifiers modifiers) { m_keys.KeyUp(key, modifiers); }

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
    m_keys.Stamp(qint64(e->timestamp()));
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
    if (e->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        // The window paints as this expose is handled; the sequence follows it.
        windowHandle()->removeEventFilter(this);
        QueueFormShow();
    }
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
    // Let the window paint first; input waits behind the sequence in the event queue. On a
    // display the window is exposed only after a round trip to the server, so the sequence
    // waits for that expose (or a second, should it never come).
    if (QWindow* window = windowHandle())
        window->installEventFilter(this);
    QTimer::singleShot(1000, this, &TFormPiano::QueueFormShow);
}

void TFormPiano::QueueFormShow()
{
    if (m_formShowQueued)
        return;
    m_formShowQueued = true;
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
    m_keys.SetLetters(m_s.Prefs.KeyLetters());
    m_keys.RouteToMain();
    // Settings files and the banner list; the song loader adds its links from slot 21 later.
    QString settingsProblem;
    m_s.BannerLinks = LoadSettingsFiles(m_s.Paths.ConfigDir, &settingsProblem);
    if (!settingsProblem.isEmpty())
        m_dialogs.ShowError(settingsProblem);
    m_s.Voices.Fill();
    m_s.Player.SetSounds(m_s.Paths.TempDir, m_s.Voices.Current);
    m_s.Player.Prepare();
    // Reset entry, clear grids: panels built so far now, the others when they are built.
    m_panels.Prepare();
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
bool TFormPiano::MayClose() { return m_panels.MayLeaveEntry(); }

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
