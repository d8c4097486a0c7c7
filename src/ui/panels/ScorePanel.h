#pragma once
// The score panel GBxShowOpern: the song menu, the score view with its page turns, and
// the song on view deleted, exported to the desktop or a song imported.
#include "ui/panels/Panel.h"
#include <array>
#include <functional>

class ClickLabel;
class GlyphGrid;
class INoteScheduler;
class PracticeBar;
class QLabel;
class QMenu;
class SongLibrary;
struct Folders;
class TImageButton;

class ScorePanel : public TPanel {
    Q_OBJECT
public:
    // folders are the shell's, read at each export (they are worked out at start-up); the
    // demo plays through output.
    ScorePanel(QWidget* parent, IDialogs& dialogs, SongLibrary& library, const Folders& folders,
               INoteScheduler& output);

    QLabel* LabCadence1 = nullptr;
    QLabel* LabSongName = nullptr;
    QLabel* LabArt = nullptr;
    QLabel* LabWord = nullptr;
    QLabel* LabComposer = nullptr;
    QLabel* ImgOpern = nullptr;
    QLabel* LabTab1PgId = nullptr;
    ClickLabel* LabPrePg_1 = nullptr;
    ClickLabel* LabNexPg_1 = nullptr;
    TImageButton* ImgSetBoard = nullptr;
    ClickLabel* ImgOperImport = nullptr;
    ClickLabel* ImgOperExport = nullptr;
    ClickLabel* ImgOperDelDB = nullptr;
    std::array<ClickLabel*, 8> LabOpMenu{};   // LabOpMenu_1..8 at index 0..7
    GlyphGrid* Grid = nullptr;                // ImgOpShow_1..105 and ImgTab1Conn_1..6
    PracticeBar* Practice = nullptr;          // 示范, 跟弹 and the tempo

    // Clear grids blanks both grids; the shell gives the operation that does both.
    std::function<void(int, int)> ClearGrids;

    // The panel's part of opening it from the menu picture: page 1, blank grids, titles.
    void OpenMenu();
    void ShowMenuPage(int page);
    void DrawPage(const QString& songNumber, int startCell);
    // The song table was read again: an open menu shows its page anew.
    void LibraryReloaded();
    // Blanks this panel's grid only.
    void ClearGrid(int first, int last);

    bool MenuOpen() const { return m_menuOpen; }
    int ShownSongID() const { return m_shownSongID; }
    // The whole title of the song on view (LabSongName may show it cut short).
    const QString& ShownTitle() const { return m_shownTitle; }
    int ViewPage() const { return m_viewPage; }
    int MenuPage() const { return m_menuPage; }
    int MenuSongID(int n) const { return m_menuSongIDs[size_t(n - 1)]; }   // n = 1..8
    int ViewArcRecord(int arc) const { return m_viewArcRecord[size_t(arc - 1)]; }
    // The space bar turns the page while a score is on view, never away from a running
    // demo or follow mode.
    bool SpaceTurnsPage() const;
    // A note from any keyboard, for the practice modes; ageMs: how long ago its key event arrived.
    void NotePlayed(const QString& note, qint64 ageMs = 0);
    // Esc: stops a running demo or follow mode.
    void StopPractice();
    // The right-click menu of the score sheet; its first item copies the song as text.
    QMenu* SheetMenu() const { return m_sheetMenu; }
    // The song on view as numbered-notation text; empty when none is on view.
    QString SongText() const;
    // Puts SongText on the clipboard (Ctrl+C, "复制简谱文本"); false when there was nothing to copy.
    bool CopySongText();

public Q_SLOTS:
    void LabNexPg_1Click();
    void LabPrePg_1Click();
    void LabOpMenuDblClick(int n);   // n = 1..8
    void ImgSetBoardClick();
    void ImgOperImportClick();
    void ImgOperExportClick();
    void ImgOperDelDBClick();
    void ExportMidiClick();
    void ExportMusicXmlClick();
    void PrintClick();

Q_SIGNALS:
    void keyboardSwitchClicked();
    void entryPanelRequested();      // arcs 2, 4 and 6 open the entry panel
    void libraryChanged();           // a delete or an import wrote to the song library

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void ClearView();   // no song on view: captions and cells as at start
    void NextViewPage();
    void OpenSong(int song);
    void ShowViewPage(int page);
    void AddExportActions(QMenu* menu);
    // Where to write the song on view: asks with the title as the name; empty when cancelled.
    QString AskExportFile(const QString& title, const QString& filter, const QString& suffix);
    void SetMenuVisible(bool on);
    void ShowTitle(const QString& title);
    ClickLabel* NewOperPicture(const QString& name, const QString& hint, const QString& picture, int top,
                               int height);
    SongLibrary& m_library;
    const Folders& m_folders;
    int m_shownSongID = 0;
    QString m_shownTitle;
    int m_viewPage = 1;
    int m_menuPage = 0;
    bool m_menuOpen = false;
    std::array<int, 8> m_menuSongIDs{};
    std::array<int, 6> m_viewArcRecord{};
    QMenu* m_sheetMenu = nullptr;
};
