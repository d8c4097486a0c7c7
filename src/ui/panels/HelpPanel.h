#pragma once
// The help panel GBxHelp: three pages on playing from a score and entering one.
#include "core/help/HelpText.h"
#include "ui/panels/Panel.h"

class ClickLabel;
class QLabel;
class QTextEdit;

class HelpPanel : public TPanel {
    Q_OBJECT
public:
    HelpPanel(QWidget* parent, IDialogs& dialogs);

    QLabel* LabHelpTitle = nullptr;
    ClickLabel* LabHelpPre = nullptr;
    ClickLabel* LabHelpNex = nullptr;
    QTextEdit* MemHelpInfo = nullptr;
    ClickLabel* LabTab3PgId = nullptr;

    int CurrentPage() const { return m_walk.page(); }
    // The panel was opened: on page 1 it shows page 1; any other page stays as it was left.
    void Opened();

public Q_SLOTS:
    void LabHelpPreClick();   // also the page labels LabTab3PgId and the entry panel's LabTab2PgId
    void LabHelpNexClick();

private:
    void ShowCurrentPage();
    HelpPageWalk m_walk;
    int m_memoHeadroom = 1;   // room above the first line for the font's tallest glyphs
};
