#pragma once
// The entry panel GBxOpernWrite: where a new song is written cell by cell.
#include "ui/panels/Panel.h"
#include <array>

class GlyphGrid;
class QLabel;

class EntryPanel : public TPanel {
    Q_OBJECT
public:
    EntryPanel(QWidget* parent, IDialogs& dialogs);

    QLabel* Image1 = nullptr;
    QLabel* LabTab2PgId = nullptr;
    GlyphGrid* Grid = nullptr;   // ImgOper_1..105 and ImgTab2Conn_1..6

    // Start-up reset of the entry editor.
    void ResetEntry();
    // Blanks this panel's grid only (the entry side of clear grids).
    void ClearGrid(int first, int last);
    int EntryArcRecord(int arc) const { return m_entryArcRecord[size_t(arc - 1)]; }
    int SlurCounter() const { return m_slurCounter; }

Q_SIGNALS:
    // A click on a cell or an arc brings the panel forward again.
    void showRequested();

private:
    std::array<int, 6> m_entryArcRecord{};
    int m_slurCounter = 0;
};
