#include "ui/shell/Main.h"
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include "ui/shell/PubDef.h"
#include "ui/widgets/ShockwaveFlash.h"
#include "core/library/Database.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Styles.h"
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

TFormPiano* FormPiano = nullptr;

QString AppDir;
QString HomeDir;
QString TempDir;
int KeyboardRoute = 0;

QImage ResourceImage(const QString& path)
{
    // Many keys share a picture; decode each one once (QImage is shared, copies are cheap).
    static QHash<QString, QImage> decoded;
    auto it = decoded.constFind(path);
    if (it == decoded.constEnd())
        it = decoded.insert(path, QImage(QStringLiteral(":/") + path));
    return *it;
}

namespace {
ClickLabel* CloseLabel(QWidget* parent, int x, int y)
{
    auto* l = new ClickLabel(QStringLiteral("X"), parent);
    l->setFont(PixelFont(QStringLiteral("微软雅黑"), 17, true));
    l->setStyleSheet(QStringLiteral("color: rgb(128,128,128); background: transparent;"));
    l->setGeometry(x, y, 12, 24);
    return l;
}

ClickLabel* PictureLabel(QWidget* parent, const QString& res, int x, int y, int w, int h)
{
    auto* l = new ClickLabel(parent);
    l->setPixmap(QPixmap::fromImage(ResourceImage(res)));
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(x, y, w, h);
    return l;
}
}

TFormPiano::TFormPiano(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      ADOConn(std::make_unique<TADOConnection>()),
      ADOQryESM(std::make_unique<TADOQuery>())
{
    // Single-instance guard, per user; a crashed instance leaves a stale lock that is taken over.
    m_instanceLock = std::make_unique<QLockFile>(Platform::UserTempDir() + AppTitle + QStringLiteral(".lock"));
    m_instanceLock->setStaleLockTime(0);
    m_firstInstance = m_instanceLock->tryLock(0);
    if (!m_firstInstance)
        return;
    FormPiano = this;
    setAttribute(Qt::WA_NoSystemBackground, false);   // painting is double-buffered by Qt
    setWindowTitle(AppTitle);
    setFixedSize(670, 650);
    setFocusPolicy(Qt::StrongFocus);
    BuildWindow();
}

TFormPiano::~TFormPiano()
{
    if (FormPiano == this)
        FormPiano = nullptr;
}

void TFormPiano::BuildWindow()
{
    ImgBack = new QLabel(this);
    ImgBack->setGeometry(0, 0, 671, 650);
    ImgBack->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/back.png"))));

    ImgOpernShow = PictureLabel(this, QStringLiteral("pic/menu_play.png"), 32, 25, 114, 63);
    ImgOpernWrite = PictureLabel(this, QStringLiteral("pic/menu_write.png"), 152, 25, 114, 63);
    ImgHelp = PictureLabel(this, QStringLiteral("pic/menu_help.png"), 272, 25, 114, 63);
    ImgAbout = PictureLabel(this, QStringLiteral("pic/menu_about.png"), 392, 25, 114, 63);
    connect(ImgOpernShow, &ClickLabel::clicked, this, &TFormPiano::ImgOpernShowClick);
    connect(ImgOpernWrite, &ClickLabel::clicked, this, &TFormPiano::ImgOpernWriteClick);
    connect(ImgHelp, &ClickLabel::clicked, this, &TFormPiano::ImgHelpClick);
    connect(ImgAbout, &ClickLabel::clicked, this, &TFormPiano::ImgAboutClick);

    LabClose = CloseLabel(this, 642, 0);
    connect(LabClose, &ClickLabel::clicked, this, &TFormPiano::LabCloseClick);

    LabSoftName = new QLabel(QStringLiteral("Tavo Piano v ") + AppVersion + QStringLiteral("  "), this);
    LabSoftName->setGeometry(255, 3, 125, 17);
    LabSoftName->setFont(PixelFont(QStringLiteral("Tahoma"), 14));
    LabSoftName->setStyleSheet(CreamTextStyle);

    ImgTitle = PictureLabel(this, QStringLiteral("pic/title.png"), 6, 3, 32, 20);
    connect(ImgTitle, &ClickLabel::clicked, this, &TFormPiano::ImgAboutClick);

    ImgBottom = new QLabel(this);
    ImgBottom->setGeometry(0, height() - 14, 670, 14);
    ImgBottom->setPixmap(QPixmap::fromImage(ResourceImage(QStringLiteral("pic/bottom.png"))));

    MySWF = new TShockwaveFlash(this);
    MySWF->setGeometry(-138, 50, 217, 42);
    MySWF->hide();

    BuildKeys();
    BuildPanels();

    // Pictures and labels of the window itself take part in the drag regions.
    for (QObject* child : children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !qobject_cast<QGroupBox*>(w))
            w->installEventFilter(this);
}

void TFormPiano::BuildPanels()
{
    auto makePanel = [this](const QString& name, int w, int h) {
        auto* g = new QGroupBox(this);
        g->setObjectName(name);
        g->setFlat(true);
        g->resize(w, h);
        g->setStyleSheet(QStringLiteral("QGroupBox#%1 { background: black; border: none; margin: 0; padding: 0; }")
                             .arg(name));
        g->setAutoFillBackground(true);
        QPalette pal = g->palette();
        pal.setColor(QPalette::Window, Qt::black);
        g->setPalette(pal);
        g->hide();
        return g;
    };
    GBxShowOpern = makePanel(QStringLiteral("GBxShowOpern"), 660, 295);
    GBxOpernWrite = makePanel(QStringLiteral("GBxOpernWrite"), 660, 295);
    GBxHelp = makePanel(QStringLiteral("GBxHelp"), 624, 270);
    GBxAbout = makePanel(QStringLiteral("GBxAbout"), 466, 282);

    LabCloseShowOpern = CloseLabel(GBxShowOpern, 633, 6);
    LabCloseOpernWrite = CloseLabel(GBxOpernWrite, 633, 6);
    LabCloseHelp = CloseLabel(GBxHelp, 624 - 27, 6);
    LabCloseAbout = CloseLabel(GBxAbout, 466 - 27, 6);
    connect(LabCloseShowOpern, &ClickLabel::clicked, this, &TFormPiano::LabCloseShowOpernClick);
    connect(LabCloseOpernWrite, &ClickLabel::clicked, this, &TFormPiano::LabCloseOpernWriteClick);
    connect(LabCloseHelp, &ClickLabel::clicked, this, &TFormPiano::LabCloseHelpClick);
    connect(LabCloseAbout, &ClickLabel::clicked, this, &TFormPiano::LabCloseAboutClick);

    BuildScorePanel();
    BuildKeyboardSwitch();
    BuildEntryPanel();
}

// ---- Panels ----

void TFormPiano::ShowPanel(QWidget* panel, int left, int top)
{
    GBxShowOpern->hide();
    GBxOpernWrite->hide();
    GBxHelp->hide();
    GBxAbout->hide();
    panel->setVisible(true);
    panel->raise();
    panel->move(left, top);
}

void TFormPiano::LabCloseShowOpernClick() { GBxShowOpern->hide(); }
void TFormPiano::LabCloseOpernWriteClick() { GBxOpernWrite->hide(); }
void TFormPiano::LabCloseHelpClick() { GBxHelp->hide(); }
void TFormPiano::LabCloseAboutClick() { GBxAbout->hide(); }
void TFormPiano::ImgOpernWriteClick() { ShowPanel(GBxOpernWrite, 5, 95); }
void TFormPiano::ImgHelpClick() { ShowPanel(GBxHelp, 22, 95); }
void TFormPiano::ImgAboutClick() { ShowPanel(GBxAbout, 100, 95); }

// ---- Dragging ----

bool TFormPiano::IsDragPoint(const QPoint& p)
{
    return 1 < p.x() && p.x() < 645 && ((1 < p.y() && p.y() < 26) || (85 < p.y() && p.y() < 372));
}

bool TFormPiano::TryStartDrag(const QPoint& windowPoint)
{
    if (!IsDragPoint(windowPoint))
        return false;
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
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        auto* me = static_cast<QMouseEvent*>(e);
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && me->button() == Qt::LeftButton && w->parentWidget() == this) {
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
    // Let the window paint first; input waits behind the sequence in the event queue.
    QTimer::singleShot(0, this, &TFormPiano::FormShow);
}

void TFormPiano::FormShow()
{
    RunGuarded([this] { StartupSequence(); });
}

void TFormPiano::SetFolderPaths()
{
    AppDir = AppDirOverride.isEmpty() ? QCoreApplication::applicationDirPath() : AppDirOverride;
    if (!AppDir.endsWith('/'))
        AppDir += '/';
    HomeDir = Platform::HomeDir();
    TempDir = Platform::UserTempDir();
}

void TFormPiano::StartupSequence()
{
    SetFolderPaths();
    KeyboardRoute = 0;
    LoadSettingsFiles();
    SoundNames.clear();
    FillVoiceTables();
    ListSoundNames();
    ResetEntryState();
    BuildControlTables();
    ResetEntryRecords();
    ClearGrids(1, 105);
    ConnectSongDatabase();
    LoadSongTable();
    PickBanner();
    ExtractSounds();
    m_startupDone = true;
}

// ---- Exit ----

void TFormPiano::LabCloseClick()
{
    hide();
    BannerRefreshCheck();
    close();
    PruneSounds();
    QCoreApplication::quit();
}

void TFormPiano::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    // The second keyboard form must not keep the program alive.
    QCoreApplication::quit();
}
