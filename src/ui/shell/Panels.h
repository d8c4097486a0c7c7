#pragma once
// The window's four panels: each is built the first time it is opened or asked for, wired to
// the others and to the keyboards, and prepared at its step of the start-up (or when built
// after it). One shows at a time, in the panel area.
#include "ui/widgets/LazyPanel.h"
#include <QObject>

class AboutPanel;
class EntryPanel;
class HelpPanel;
class IDialogs;
class Keyboards;
class QWidget;
class ScorePanel;
struct PianoServices;

class Panels : public QObject {
    Q_OBJECT
public:
    Panels(QWidget& window, IDialogs& dialogs, PianoServices& services, Keyboards& keys);

    LazyPanel<ScorePanel> Score{[this] { return BuildScore(); }};
    LazyPanel<EntryPanel> Entry{[this] { return BuildEntry(); }};
    LazyPanel<HelpPanel> Help{[this] { return BuildHelp(); }};
    LazyPanel<AboutPanel> About{[this] { return BuildAbout(); }};

    // false when the entry panel's unsaved cells were kept: nothing changed.
    bool Show(QWidget* panel, int left, int top);
    bool OpenScore();   // with its song menu
    void OpenEntry();
    void OpenHelp();
    void OpenAbout();

    // The start-up's step: the panels built so far now, the others when they are built.
    void Prepare();
    // Blanks both score grids, the view's and the entry editor's.
    void ClearGrids(int first, int last);
    // Reads the song table again after the library changed (a save, a delete, an import), so
    // the menu never points at a song number that now belongs to another song.
    void ReloadLibrary();
    // Cells not saved yet are asked about first.
    bool MayLeaveEntry();

    // What the keys and the options menu ask of the score panel, when there is one.
    void StopPractice();
    void NotePlayed(const QString& note, qint64 ageMs);
    void SetMetronome(bool on);
    void SetSongKeySound(bool on);
    void SpaceKey();   // turns the page on view

Q_SIGNALS:
    void keyboardSwitchClicked();

private:
    ScorePanel* BuildScore();
    EntryPanel* BuildEntry();
    HelpPanel* BuildHelp();
    AboutPanel* BuildAbout();
    void PrepareScore(ScorePanel& panel);
    void PrepareEntry(EntryPanel& panel);

    QWidget& m_window;
    IDialogs& m_dialogs;
    PianoServices& m_s;
    Keyboards& m_keys;
    bool m_prepared = false;   // the start-up passed the panels' step
};
