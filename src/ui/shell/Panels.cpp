#include "ui/shell/Panels.h"
#include "ui/keys/Keyboards.h"
#include "ui/panels/AboutPanel.h"
#include "ui/panels/EntryPanel.h"
#include "ui/panels/HelpPanel.h"
#include "ui/panels/PracticeBar.h"
#include "ui/panels/ScorePanel.h"
#include "ui/shell/PianoServices.h"
#include "ui/widgets/Guard.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ScoreGrid.h"

Panels::Panels(QWidget& window, IDialogs& dialogs, PianoServices& services, Keyboards& keys)
    : m_window(window), m_dialogs(dialogs), m_s(services), m_keys(keys)
{}

ScorePanel* Panels::BuildScore()
{
    auto* panel = new ScorePanel(&m_window, m_dialogs, m_s.Library, m_s.Paths, m_s.Voice);
    panel->ClearGrids = [this](int first, int last) { ClearGrids(first, last); };
    GuardedConnect(m_dialogs, panel, &ScorePanel::keyboardSwitchClicked, this, &Panels::keyboardSwitchClicked);
    GuardedConnect(m_dialogs, panel, &ScorePanel::entryPanelRequested, this, &Panels::OpenEntry);
    GuardedConnect(m_dialogs, panel, &ScorePanel::libraryChanged, this, &Panels::ReloadLibrary);
    connect(panel->Practice, &PracticeBar::runNotes, this, [this, panel](const QStringList& notes) {
        RunGuarded(m_dialogs, [&] {
            if (const auto low = m_keys.OpenFor(notes, panel->ShownSongID()))
                panel->Practice->WideKeysOpened(*low);
        });
    });
    m_keys.ShowPractice(*panel->Practice);
    if (m_prepared)
        PrepareScore(*panel);
    return panel;
}

EntryPanel* Panels::BuildEntry()
{
    auto* panel = new EntryPanel(&m_window, m_dialogs, m_s.Library);
    GuardedConnect(m_dialogs, panel, &EntryPanel::showRequested, this, &Panels::OpenEntry);
    panel->ClearScoreView = [this](int first, int last) {
        if (ScorePanel* score = Score.IfBuilt())   // one not built yet starts blank
            score->ClearGrid(first, last);
    };
    GuardedConnect(m_dialogs, panel, &EntryPanel::songSaved, this, &Panels::ReloadLibrary);
    // The entry panel's page label turns the help back a page, as the help's own label does.
    connect(panel, &EntryPanel::LabTab2PgIdClicked, this,
            [this] { RunGuarded(m_dialogs, [this] { Help->LabHelpPreClick(); }); });
    if (m_prepared)
        PrepareEntry(*panel);
    return panel;
}

HelpPanel* Panels::BuildHelp() { return new HelpPanel(&m_window, m_dialogs); }
AboutPanel* Panels::BuildAbout() { return new AboutPanel(&m_window, m_dialogs); }

void Panels::Prepare()
{
    m_prepared = true;
    if (EntryPanel* entry = Entry.IfBuilt())
        PrepareEntry(*entry);
    if (ScorePanel* score = Score.IfBuilt())
        PrepareScore(*score);
}

void Panels::PrepareScore(ScorePanel& panel)
{
    PreloadGlyphs();   // the glyph pictures, decoded before the first page is drawn
    panel.Practice->Best().Load(m_s.Paths.DataDir);
    panel.Practice->SetMetronome(m_s.Prefs.Metronome());
    panel.Practice->SetSoundInSongKey(m_s.Prefs.SongKeySound());
    panel.ClearGrid(1, Score::CellsPerPage);
}

void Panels::PrepareEntry(EntryPanel& panel)
{
    PreloadGlyphs();
    panel.ResetEntry();
    panel.ClearGrid(1, Score::CellsPerPage);
}

bool Panels::Show(QWidget* panel, int left, int top)
{
    // Leaving the entry panel for another may give up the song being written.
    if (EntryPanel* entry = Entry.IfBuilt(); entry && entry->isVisible() && panel != entry && !entry->MayLeave())
        return false;
    for (QWidget* p : {static_cast<QWidget*>(Score.IfBuilt()), static_cast<QWidget*>(Entry.IfBuilt()),
                       static_cast<QWidget*>(Help.IfBuilt()), static_cast<QWidget*>(About.IfBuilt())})
        if (p)
            p->hide();
    panel->setVisible(true);
    panel->raise();
    panel->move(left, top);
    return true;
}

bool Panels::OpenScore()
{
    if (!Show(Score, 5, 95))
        return false;
    Score->OpenMenu();
    return true;
}

void Panels::OpenEntry() { Show(Entry, 5, 95); }

void Panels::OpenHelp()
{
    if (Show(Help, 22, 95))
        Help->Opened();
}

void Panels::OpenAbout() { Show(About, 100, 95); }

void Panels::ClearGrids(int first, int last)
{
    // A panel not built yet is blank when it comes.
    ScorePanel* score = Score.IfBuilt();
    EntryPanel* entry = Entry.IfBuilt();
    UpdatesHold hold{score, entry};
    if (score)
        score->ClearGrid(first, last);
    if (entry)
        entry->ClearGrid(first, last);
}

void Panels::ReloadLibrary()
{
    // Rows that cannot be read were reported at start; they are left out again, quietly.
    m_s.Library.LoadSongTable(m_s.BannerLinks);
    if (ScorePanel* score = Score.IfBuilt())
        score->LibraryReloaded();
}

bool Panels::MayLeaveEntry()
{
    EntryPanel* entry = Entry.IfBuilt();
    return !entry || entry->MayLeave();
}

void Panels::StopPractice()
{
    if (ScorePanel* score = Score.IfBuilt())
        score->StopPractice();
}

void Panels::NotePlayed(const QString& note, qint64 ageMs)
{
    if (ScorePanel* score = Score.IfBuilt())   // no panel, no practice running
        score->NotePlayed(note, ageMs);
}

void Panels::SetMetronome(bool on)
{
    if (ScorePanel* score = Score.IfBuilt())
        score->Practice->SetMetronome(on);
}

void Panels::SetSongKeySound(bool on)
{
    if (ScorePanel* score = Score.IfBuilt())
        score->Practice->SetSoundInSongKey(on);
}

void Panels::SpaceKey()
{
    ScorePanel* score = Score.IfBuilt();
    if (score && score->SpaceTurnsPage())
        score->LabNexPg_1Click();
}
