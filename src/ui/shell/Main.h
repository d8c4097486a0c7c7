#pragma once
// The main window: fixed 670x650 borderless layout, the four panels, start-up and exit.
#include "core/score/SongRecord.h"
#include <QLockFile>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <array>
#include <memory>

class ClickLabel;
class QGroupBox;
class QLabel;
class QLineEdit;
class TImageButton;
class TShockwaveFlash;
class TADOConnection;
class TADOQuery;

class TFormPiano : public QWidget {
    Q_OBJECT
public:
    explicit TFormPiano(QWidget* parent = nullptr);
    ~TFormPiano() override;

    // Single-instance guard of the creation event: false when another instance runs.
    bool FirstInstance() const { return m_firstInstance; }

    // ---- Top-level controls ----
    QLabel* ImgBack = nullptr;
    TImageButton* Img_c1 = nullptr;
    TImageButton* Img_d1 = nullptr;
    TImageButton* Img_e1 = nullptr;
    TImageButton* Img_f1 = nullptr;
    TImageButton* Img_g1 = nullptr;
    TImageButton* Img_a1 = nullptr;
    TImageButton* Img_b1 = nullptr;
    TImageButton* Img_c2 = nullptr;
    TImageButton* Img_d2 = nullptr;
    TImageButton* Img_e2 = nullptr;
    ClickLabel* ImgOpernShow = nullptr;
    ClickLabel* ImgOpernWrite = nullptr;
    ClickLabel* ImgHelp = nullptr;
    ClickLabel* ImgAbout = nullptr;
    ClickLabel* LabClose = nullptr;
    QLabel* LabSoftName = nullptr;
    ClickLabel* ImgTitle = nullptr;
    QLabel* ImgBottom = nullptr;
    TShockwaveFlash* MySWF = nullptr;
    QGroupBox* GBxShowOpern = nullptr;
    QGroupBox* GBxOpernWrite = nullptr;
    QGroupBox* GBxHelp = nullptr;
    QGroupBox* GBxAbout = nullptr;
    ClickLabel* LabCloseShowOpern = nullptr;
    ClickLabel* LabCloseOpernWrite = nullptr;
    ClickLabel* LabCloseHelp = nullptr;
    ClickLabel* LabCloseAbout = nullptr;

    // ---- Score panel (GBxShowOpern) ----
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
    std::array<ClickLabel*, 8> LabOpMenu{};      // LabOpMenu_1..8 at index 0..7
    std::array<ClickLabel*, 105> ImgOpShow{};    // ImgOpShow_1..105 at index 0..104
    std::array<ClickLabel*, 6> ImgTab1Conn{};    // ImgTab1Conn_1..6

    // ---- Entry panel (GBxOpernWrite) ----
    QLabel* Image1 = nullptr;
    QLabel* LabTab2PgId = nullptr;
    std::array<ClickLabel*, 105> ImgOper{};      // ImgOper_1..105
    std::array<ClickLabel*, 6> ImgTab2Conn{};    // ImgTab2Conn_1..6

    // ---- State owned by the main window ----
    SongTableType SongTable;                     // every row of TableCfg, by SongID, SeqID
    std::array<SongRecord, 500> EntryTable{};    // the song being entered
    std::array<QString, 31> BannerLinks{};       // slots 1..30 (index 0 unused)
    int ShownSongID = 0;                         // the song on view, 0 for none
    int ViewPage = 1;                            // page number of the score view
    int MenuPage = 0;                            // page of eight titles while the menu is open
    std::array<int, 8> MenuSongIDs{};            // SongID of each menu label, 0 until filled
    std::array<int, 6> ViewArcRecord{};          // song-table index of each shown view arc, 0 free
    std::array<int, 6> EntryArcRecord{};         // entry-table index of each shown entry arc, 0 free
    int EntryCursorPage = 0;
    int EntryCursorCell = 1;
    int EntryDuration = 0;
    int EntryOctave = 1;
    int EntrySlurCounter = 0;
    int CadenceCode = 1;                         // time-signature code of the entry panel

    std::unique_ptr<TADOConnection> ADOConn;
    std::unique_ptr<TADOQuery> ADOQryESM;

    // ---- Shell ----
    void ShowPanel(QWidget* panel, int left, int top);
    // Title strip and panel area act as the missing caption bar (window-relative point).
    static bool IsDragPoint(const QPoint& p);
    void StartupSequence();          // the show event's steps; throws on the first failure
    bool StartupDone() const { return m_startupDone; }

    // Start-up steps owned by other parts of the program.
    void SetFolderPaths();
    // Tests point the program folder elsewhere; empty means the executable's folder.
    static inline QString AppDirOverride;
    void LoadSettingsFiles();        // settings files and banner list
    void ResetEntryState();          // entry editor reset
    void BuildControlTables();
    void ResetEntryRecords();        // entry records 1..499 to blank
    void PickBanner();
    void BannerRefreshCheck();       // exit step

    // ---- Score (src/score) ----
    void ClearGrids(int first, int last);
    void DrawPage(const QString& songNumber, int startCell);
    void FillMenu(int startIndex);
    void ShowMenuPage(int page);

    // ---- Song database (src/library) ----
    void ConnectSongDatabase();
    void LoadSongTable();
    void OpenQuery(const QString& sql, const QVariantList& params = {});
    void ExecStatement(const QString& sql, const QVariantList& params = {});

    // ---- Keys (src/sound) ----
    void BuildKeys();
    void BuildKeyboardSwitch();      // ImgSetBoard on the score panel
    void MainKeyDown(int key);
    void MainKeyUp(int key);
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);

public Q_SLOTS:
    void LabCloseClick();
    void LabCloseShowOpernClick();
    void LabCloseOpernWriteClick();
    void LabCloseHelpClick();
    void LabCloseAboutClick();
    void ImgOpernShowClick();
    void ImgOpernWriteClick();
    void ImgHelpClick();
    void ImgAboutClick();
    void ImgSetBoardClick();
    void LabNexPg_1Click();
    void LabPrePg_1Click();
    void LabOpMenuDblClick(int n);   // n = 1..8
    void Img_c1Click();
    void Img_d1Click();
    void Img_e1Click();
    void Img_f1Click();
    void Img_g1Click();
    void Img_a1Click();
    void Img_b1Click();
    void Img_c2Click();
    void Img_d2Click();
    void Img_e2Click();

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
    void BuildPanels();
    void BuildScorePanel();          // src/score
    void BuildEntryPanel();          // src/score
    void FormShow();
    bool TryStartDrag(const QPoint& windowPoint);

    std::unique_ptr<QLockFile> m_instanceLock;
    bool m_firstInstance = true;
    bool m_shownOnce = false;
    bool m_startupDone = false;
};

extern TFormPiano* FormPiano;

// Picture of a generated resource by its path below ":/" (e.g. "pic/back.png").
class QImage;
QImage ResourceImage(const QString& path);
