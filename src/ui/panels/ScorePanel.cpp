#include "ui/panels/ScorePanel.h"
#include "core/Errors.h"
#include "core/files/FileOps.h"
#include "core/formats/JianpuText.h"
#include "core/formats/MidiFile.h"
#include "core/formats/MusicXml.h"
#include "core/library/Exchange.h"
#include "core/library/SongLibrary.h"
#include "core/platform/Folders.h"
#include "core/score/ScorePage.h"
#include "ui/panels/PracticeBar.h"
#include "ui/print/ScorePrinter.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/GlyphGrid.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/Styles.h"
#include "ui/widgets/TempoControl.h"
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHideEvent>
#include <QMenu>
#include <QRegularExpression>

namespace {
const QString BlackText = QStringLiteral("color: black; background: transparent;");
const QString HighlightText = QStringLiteral("color: palette(highlight); background: transparent;");
}

ScorePanel::ScorePanel(QWidget* parent, IDialogs& dialogs, SongLibrary& library, const Folders& folders,
                       INoteScheduler& output)
    : TPanel(parent, dialogs, QStringLiteral("GBxShowOpern"), 660, 295), m_library(library), m_folders(folders)
{
    const QFont yahei = PixelFont(QStringLiteral("微软雅黑"), 21);
    const QFont kai = PixelFont(QStringLiteral("楷体"), 19);

    LabCadence1 = NewText<QLabel>(QStringLiteral("LabCadence1"), QStringLiteral("4/4"), 45, 20, yahei, CreamTextStyle);
    LabSongName = NewText<QLabel>(QStringLiteral("LabSongName"), QStringLiteral("未选择歌曲"), 234, 7, yahei,
                                  CreamTextStyle);
    LabArt = NewText<QLabel>(QStringLiteral("LabArt"), QStringLiteral("演唱： "), 250, 40, kai, CreamTextStyle);
    LabWord = NewText<QLabel>(QStringLiteral("LabWord"), QStringLiteral("作词： "), 488, 16, kai, CreamTextStyle);
    LabComposer = NewText<QLabel>(QStringLiteral("LabComposer"), QStringLiteral("作曲： "), 488, 40, kai,
                                  CreamTextStyle);

    ImgOpern = NewSheet(QStringLiteral("ImgOpern"));
    Grid = new GlyphGrid(this, QStringLiteral("ImgOpShow_"), QStringLiteral("ImgTab1Conn_"));
    connect(Grid, &GlyphGrid::arcClicked, this, [this](int a) {
        if (a % 2 == 0)
            Q_EMIT entryPanelRequested();
    });

    LabTab1PgId = NewText<QLabel>(QStringLiteral("LabTab1PgId"), PageCaption(1), 288, 247,
                                  PixelFont(QStringLiteral("宋体"), 16), BlackText);
    LabPrePg_1 = NewText<ClickLabel>(QStringLiteral("LabPrePg_1"), QStringLiteral("上一页"), 456, 269, kai,
                                     CreamTextStyle);
    LabNexPg_1 = NewText<ClickLabel>(QStringLiteral("LabNexPg_1"), QStringLiteral("下一页"), 539, 269, kai,
                                     CreamTextStyle);
    Wire(LabPrePg_1, &ClickLabel::clicked, &ScorePanel::LabPrePg_1Click);
    Wire(LabNexPg_1, &ClickLabel::clicked, &ScorePanel::LabNexPg_1Click);

    // Titles lie over the grid, two columns of four.
    for (int n = 1; n <= int(LabOpMenu.size()); ++n) {
        const int x = n <= 4 ? 35 : 295;
        const int y = 90 + 40 * ((n - 1) % 4);
        auto* l = NewText<ClickLabel>(QStringLiteral("LabOpMenu_") + QString::number(n), QString(), x, y, yahei,
                                      HighlightText);
        l->hide();
        connect(l, &ClickLabel::doubleClicked, this,
                [this, n] { RunGuarded(m_dialogs, [&] { LabOpMenuDblClick(n); }); });
        LabOpMenu[size_t(n - 1)] = l;
    }

    ImgSetBoard = NewImageButton(this, QRect(30, 270, 43, 34), ResourceImage(QStringLiteral("pic/setboard.png")),
                                 ResourceImage(QStringLiteral("pic/setboard_down.png")));
    Wire(ImgSetBoard, &TImageButton::clicked, &ScorePanel::ImgSetBoardClick);

    ImgOperImport = NewOperPicture(QStringLiteral("ImgOperImport"), QStringLiteral("导入"),
                                   QStringLiteral("pic/oper_import.png"), 86, 42);
    ImgOperExport = NewOperPicture(QStringLiteral("ImgOperExport"), QStringLiteral("导出"),
                                   QStringLiteral("pic/oper_export.png"), 126, 42);
    ImgOperDelDB = NewOperPicture(QStringLiteral("ImgOperDelDB"), QStringLiteral("删除"),
                                  QStringLiteral("pic/oper_delete.png"), 225, 34);
    Wire(ImgOperImport, &ClickLabel::clicked, &ScorePanel::ImgOperImportClick);
    Wire(ImgOperExport, &ClickLabel::clicked, &ScorePanel::ImgOperExportClick);
    Wire(ImgOperDelDB, &ClickLabel::clicked, &ScorePanel::ImgOperDelDBClick);

    // The menu counts as no song on view.
    PracticeBar::View view{[this] { return m_menuOpen ? 0 : m_shownSongID; }, [this] { return m_viewPage; },
                           [this](int page) { ShowViewPage(page); }, [this] { return m_shownTitle; }};
    Practice = new PracticeBar(this, m_dialogs, m_library, output, *Grid, std::move(view));

    // Right clicks on the sheet (its cells and arcs pass theirs up to the panel).
    m_sheetMenu = new QMenu(this);
    QAction* copy = m_sheetMenu->addAction(QStringLiteral("复制简谱文本"));
    copy->setShortcut(QKeySequence::Copy);   // shown only: the window hands Ctrl+C over
    GuardedConnect(m_dialogs, copy, &QAction::triggered, this, &ScorePanel::CopySongText);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this, copy](const QPoint& p) {
        if (!ImgOpern->geometry().contains(p))
            return;
        copy->setEnabled(!SongText().isEmpty());
        m_sheetMenu->popup(mapToGlobal(p));
    });
    AddExportActions(m_sheetMenu);
    connect(Grid, &GlyphGrid::cellClicked, this, [this](int position) {
        Practice->CellClicked(position, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
    });
}

QString ScorePanel::SongText() const
{
    if (m_menuOpen || m_shownSongID <= 0)
        return QString();
    const Song song = m_library.SongOf(m_shownSongID);
    return !song.header && song.cells.empty() ? QString() : WriteJianpu(song);
}

bool ScorePanel::CopySongText()
{
    if (isHidden())
        return false;
    const QString text = SongText();
    if (text.isEmpty())
        return false;
    QGuiApplication::clipboard()->setText(text);
    return true;
}

void ScorePanel::AddExportActions(QMenu* menu)
{
    const auto add = [&](const QString& text, void (ScorePanel::*slot)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(text);
        connect(a, &QAction::triggered, this, [this, slot] { RunGuarded(m_dialogs, [&] { (this->*slot)(); }); });
    };
    add(QStringLiteral("导出 MIDI…"), &ScorePanel::ExportMidiClick);
    add(QStringLiteral("导出 MusicXML…"), &ScorePanel::ExportMusicXmlClick);
    add(QStringLiteral("打印 / PDF…"), &ScorePanel::PrintClick);
    // Nothing to export while the menu of titles is on view.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction* a : menu->actions())
            a->setEnabled(!m_menuOpen && m_shownSongID > 0);
    });
}

QString ScorePanel::AskExportFile(const QString& title, const QString& filter, const QString& suffix)
{
    QString name = m_shownTitle;
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    const QString dir = m_folders.DesktopDir.isEmpty() ? QDir::homePath() : m_folders.DesktopDir;
    QString path = m_dialogs.SaveFile(title, filter, QDir(dir).filePath(name.trimmed() + suffix));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += suffix;
    return path;
}

// The song as 示范 plays it, at the tempo of the ♩= control.
void ScorePanel::ExportMidiClick()
{
    if (m_menuOpen || m_shownSongID <= 0)
        return;
    const QString path = AskExportFile(QStringLiteral("导出 MIDI"), QStringLiteral("MIDI (*.mid)"), QStringLiteral(".mid"));
    if (!path.isEmpty())
        WriteMidiFile(path, m_library.SongOf(m_shownSongID), Practice->Tempo->Value(), m_shownTitle);
}

void ScorePanel::ExportMusicXmlClick()
{
    if (m_menuOpen || m_shownSongID <= 0)
        return;
    const QString path = AskExportFile(QStringLiteral("导出 MusicXML"), QStringLiteral("MusicXML (*.musicxml)"),
                                       QStringLiteral(".musicxml"));
    if (!path.isEmpty())
        WriteWholeFile(path, WriteMusicXml(m_library.SongOf(m_shownSongID)));
}

void ScorePanel::PrintClick()
{
    if (m_menuOpen || m_shownSongID <= 0)
        return;
    const int choice = m_dialogs.ChooseItem(QStringLiteral("打印 / PDF"),
                                            {QStringLiteral("保存为 PDF 文件"), QStringLiteral("打印到打印机")}, 0);
    if (choice == 1) {
        ScorePrinter::Print(this, m_library.SongOf(m_shownSongID));
    } else if (choice == 0) {
        const QString path = AskExportFile(QStringLiteral("保存为 PDF"), QStringLiteral("PDF (*.pdf)"),
                                           QStringLiteral(".pdf"));
        if (!path.isEmpty())
            ScorePrinter::WritePdf(path, m_library.SongOf(m_shownSongID));
    }
}

bool ScorePanel::SpaceTurnsPage() const
{
    return !isHidden() && !m_menuOpen && Practice->Running() == PracticeBar::Mode::None;
}

void ScorePanel::NotePlayed(const QString& note, qint64 ageMs)
{
    Practice->NotePlayed(note, ageMs);
}

void ScorePanel::StopPractice()
{
    Practice->Stop();
}

// Another panel, the menu opened anew or the "X": the mode ends with the view.
void ScorePanel::hideEvent(QHideEvent* e)
{
    TPanel::hideEvent(e);
    if (!e->spontaneous())
        Practice->Stop();
}

// The pictures beside the sheet, 33 pixels wide at left 624. Their hints are our own words;
// a title reaches a label only through NewText/PlainLabel (Qt::PlainText) or PlainToolTip.
ClickLabel* ScorePanel::NewOperPicture(const QString& name, const QString& hint, const QString& picture, int top,
                                       int height)
{
    auto* l = new ClickLabel(this);
    l->setObjectName(name);
    l->setToolTip(hint);
    l->setPixmap(QPixmap::fromImage(ResourceImage(picture)));
    l->setGeometry(624, top, 33, height);
    return l;
}

void ScorePanel::ImgOperDelDBClick()
{
    if (!DeleteSong(m_library.Connection(), m_shownSongID, m_shownTitle, m_dialogs).done())
        return;
    Practice->Stop();
    Practice->ClearPick();
    // A song that is gone no longer shows: the view is blank, as at start.
    m_shownSongID = 0;
    ClearView();
    Q_EMIT libraryChanged();
}

void ScorePanel::ClearView()
{
    UpdatesHold hold{this};
    SetCaption(LabSongName, QStringLiteral("未选择歌曲"));
    SetCaption(LabArt, QStringLiteral("演唱： "));
    SetCaption(LabWord, QStringLiteral("作词： "));
    SetCaption(LabComposer, QStringLiteral("作曲： "));
    SetCaption(LabCadence1, QStringLiteral("4/4"));
    m_viewPage = 1;
    SetCaption(LabTab1PgId, PageCaption(1));
    ClearGrid(1, Score::CellsPerPage);   // the entry panel's grid keeps the song being entered
}

void ScorePanel::ImgOperExportClick()
{
    if (m_shownSongID <= 0)
        return;
    if (m_folders.DesktopDir.isEmpty())
        Raise(QStringLiteral("找不到桌面文件夹，无法导出歌曲。"));
    ExportSong(m_library.Connection(), m_shownSongID, m_shownTitle,
               m_folders.TemplateDir + QStringLiteral("ExpData.dat"), m_folders.DesktopDir, m_dialogs);
}

void ScorePanel::ImgOperImportClick()
{
    const ShareResult imported = ImportSongFile(m_library.Connection(), m_dialogs, m_library.Today());
    if (!imported.done())
        return;
    Q_EMIT libraryChanged();   // the table is read again before the song is drawn from it
    OpenSong(imported.songId);
}

void ScorePanel::ImgSetBoardClick()
{
    Q_EMIT keyboardSwitchClicked();
}

void ScorePanel::ClearGrid(int first, int last)
{
    Grid->Clear(first, last);
    m_viewArcRecord.fill(0);
}

void ScorePanel::OpenMenu()
{
    Practice->Stop();
    Practice->ClearPick();
    m_viewPage = 1;
    SetCaption(LabTab1PgId, PageCaption(1));
    ClearGrids(1, Score::CellsPerPage);
    ShowMenuPage(0);
}

void ScorePanel::LibraryReloaded()
{
    if (!m_menuOpen)
        return;
    // A page that no longer exists falls back to the first.
    if (!MenuPageEntries(m_library.Table(), m_menuPage, int(LabOpMenu.size())))
        m_menuPage = 0;
    ShowMenuPage(m_menuPage);
}

void ScorePanel::SetMenuVisible(bool on)
{
    m_menuOpen = on;
    if (!on)
        for (ClickLabel* label : LabOpMenu)
            label->hide();
}

// Titles beyond the eighth are reached by paging the menu eight at a time.
void ScorePanel::ShowMenuPage(int page)
{
    const auto entries = MenuPageEntries(m_library.Table(), page, int(LabOpMenu.size()));
    if (!entries)
        return;
    m_menuPage = page;
    m_menuOpen = true;
    // Labels a short page does not reach must not keep another page's titles.
    for (size_t n = 0; n < LabOpMenu.size(); ++n) {
        LabOpMenu[n]->hide();
        m_menuSongIDs[n] = 0;
    }
    for (size_t n = 0; n < entries->size(); ++n) {
        // A long title (up to 200 bytes) stays within its column; the tooltip has all of it.
        ClickLabel* label = LabOpMenu[n];
        const int margin = LabOpMenu[0]->x() - ImgOpern->x();   // the same on both sides of the sheet
        const int columnEnd = n < 4 ? LabOpMenu[4]->x() - 10 : ImgOpern->x() + ImgOpern->width() - margin;
        const QString& title = (*entries)[n].title;
        SetCaption(label, label->fontMetrics().elidedText(title, Qt::ElideRight, columnEnd - label->x()));
        label->setToolTip(PlainToolTip(title));
        m_menuSongIDs[n] = (*entries)[n].songID;
        LabOpMenu[n]->show();
    }
    SetCaption(LabTab1PgId, PageCaption(page + 1));
}

void ScorePanel::LabOpMenuDblClick(int n)
{
    if (n < 1 || n > int(LabOpMenu.size()) || LabOpMenu[size_t(n - 1)]->isHidden())
        return;
    const int song = m_menuSongIDs[size_t(n - 1)];
    if (song == 0)
        return;
    OpenSong(song);
}

// The label may show a later menu page; the song always opens on its page 1.
void ScorePanel::OpenSong(int song)
{
    Practice->Stop();
    Practice->ClearPick();
    m_viewPage = 1;
    SetCaption(LabTab1PgId, PageCaption(1));
    DrawPage(QString::number(song), 1);
    Practice->SongOpened(m_shownTitle);
}

// A title too long for its place is cut short before the credits; the tooltip has all of it.
void ScorePanel::ShowTitle(const QString& title)
{
    m_shownTitle = title;
    const int room = LabWord->x() - 8 - LabSongName->x();
    SetCaption(LabSongName, LabSongName->fontMetrics().elidedText(title, Qt::ElideRight, room));
    LabSongName->setToolTip(PlainToolTip(title));
}

void ScorePanel::DrawPage(const QString& songNumber, int startCell)
{
    if (songNumber.isEmpty() || songNumber == QLatin1String("0"))
        return;
    bool ok = false;
    const int song = songNumber.toInt(&ok);
    if (!ok)
        Raise(QStringLiteral("'%1' 不是有效的整数值").arg(songNumber));

    const ScorePage page = BuildScorePage(m_library.SongOf(song), startCell);
    UpdatesHold hold{this};
    ClearGrids(1, Score::CellsPerPage);
    if (page.header) {
        ShowTitle(page.header->title);
        m_shownSongID = song;
        SetCaption(LabArt, QStringLiteral("演唱：") + page.header->performer);
        SetCaption(LabWord, QStringLiteral("作词：") + page.header->lyricist);
        SetCaption(LabComposer, QStringLiteral("作曲：") + page.header->composer);
        if (const QString cadence = HeaderMeterCaption(*page.header); !cadence.isEmpty())
            SetCaption(LabCadence1, cadence);
    }
    for (int k = 1; k <= Score::CellsPerPage; ++k)
        if (!page.glyphs[size_t(k - 1)].isEmpty())
            Grid->ShowCell(k, page.glyphs[size_t(k - 1)], page.signs[size_t(k - 1)]);
    for (size_t a = 0; a < page.arcs.size(); ++a) {
        m_viewArcRecord[a] = page.arcs[a].record;
        Grid->PlaceArc(int(a) + 1, page.arcs[a].position, page.arcs[a].length);
    }
    SetMenuVisible(false);
    Practice->ShowPick();
}

void ScorePanel::LabNexPg_1Click()
{
    if (m_menuOpen) {
        ShowMenuPage(m_menuPage + 1);
        return;
    }
    // A page turned by hand leaves a running mode's place.
    Practice->Stop();
    NextViewPage();
}

void ScorePanel::NextViewPage()
{
    ShowViewPage(m_viewPage + 1);
}

void ScorePanel::ShowViewPage(int page)
{
    if (page < 1 || page > Score::ViewPageLimit)
        return;
    m_viewPage = page;
    SetCaption(LabTab1PgId, PageCaption(m_viewPage));
    DrawPage(QString::number(m_shownSongID), FirstCellOfPage(page));
}

void ScorePanel::LabPrePg_1Click()
{
    if (m_menuOpen) {
        if (m_menuPage > 0)
            ShowMenuPage(m_menuPage - 1);
        return;
    }
    Practice->Stop();
    const int page = m_viewPage;
    if (page <= 1)
        return;
    m_viewPage = page - 1;
    SetCaption(LabTab1PgId, PageCaption(m_viewPage));
    DrawPage(QString::number(m_shownSongID), (page - 2) * Score::CellsPerPage + 1);
}
