#pragma once
// The entry panel GBxOpernWrite: where a new song is written cell by cell. The panel owns
// the entry editor and draws what the editor reports.
#include "core/formats/JianpuText.h"
#include "core/score/EntryEditor.h"
#include "ui/panels/Panel.h"
#include "ui/widgets/LazyPanel.h"
#include <array>
#include <functional>

class ClickLabel;
class GlyphGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class SongLibrary;
class TImageButton;
class TextWindow;

class EntryPanel : public TPanel, private IEntryView {
    Q_OBJECT
public:
    EntryPanel(QWidget* parent, IDialogs& dialogs, SongLibrary& library);

    QLineEdit* EdSongName = nullptr;
    QLineEdit* EdArt = nullptr;
    QLineEdit* EdSongWord = nullptr;
    QLineEdit* EdSongComposer = nullptr;
    // Every caption below is made by PlainLabel (Qt::PlainText): typed titles are never markup.
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    ClickLabel* LabCadence2 = nullptr;   // the meter: each click the next one
    QComboBox* KeyBox = nullptr;         // 调号: the fifteen keys, 1=C first
    ClickLabel* SignButton = nullptr;    // 升降号 of the note under the cursor
    QLabel* Image1 = nullptr;
    GlyphGrid* Grid = nullptr;   // ImgOper_1..105 and ImgTab2Conn_1..6
    ClickLabel* LabTab2PgId = nullptr;
    std::array<TImageButton*, 6> ImgSymbol{};   // ImgSymbol_1..6 at index 0..5
    std::array<ClickLabel*, 8> LabOpren{};      // LabOpren_0..7 at index 0..7
    TImageButton* ImgOperLong = nullptr;
    TImageButton* ImgOperHigh = nullptr;
    TImageButton* ImgNextOper = nullptr;
    TImageButton* ImgPreOper = nullptr;
    TImageButton* ImgOperInsDB = nullptr;
    TImageButton* TextButton = nullptr;   // 文本: the song as text
    QWidget* EntryCursor = nullptr;       // the frame round the cell where the next cell goes
    QLabel* LabStatus = nullptr;          // what became of the last save
    LazyPanel<TextWindow> TextWin{[this] { return BuildTextWindow(); }};   // built when first opened

    // The score view's half of clear grids; the shell points it at the score panel.
    std::function<void(int, int)> ClearScoreView;

    // Start-up reset of the entry editor.
    void ResetEntry();
    // The entry side of clear grids: this panel's grid and the editor's arcs and slur counter.
    void ClearGrid(int first, int last);
    const EntryEditor& Editor() const { return m_editor; }
    int EntryArcRecord(int arc) const { return m_editor.Arcs()[size_t(arc - 1)].record; }
    int SlurCounter() const { return m_editor.SlurCounter(); }

    // The song of the editor as text, and what a text would give it.
    QString EntryText() const;
    QString CheckText(const QString& text) const;
    // Fills the editor from the text; returns why not (the editor unchanged) or "".
    QString AcceptText(const QString& text);
    // A PC key while the panel is open: digits, '-', '.', '/' and Backspace write the song.
    // Returns whether the key was taken; piano keys never are.
    bool TypeKey(int vk, Qt::KeyboardModifiers modifiers);
    // Before the piano closes or another panel comes: with cells not saved, asks whether to
    // give them up (and does). false: the user keeps them, and nothing should change.
    bool MayLeave();

    // ---- Handlers ----
    void LabOpren_0Click() { Digit(0); }
    void LabOpren_1Click() { Digit(1); }
    void LabOpren_2Click() { Digit(2); }
    void LabOpren_3Click() { Digit(3); }
    void LabOpren_4Click() { Digit(4); }
    void LabOpren_5Click() { Digit(5); }
    void LabOpren_6Click() { Digit(6); }
    void LabOpren_7Click() { Digit(7); }
    void ImgSymbol_1Click() { Symbol(1); }
    void ImgSymbol_2Click() { Symbol(2); }
    void ImgSymbol_3Click() { Symbol(3); }
    void ImgSymbol_4Click() { Symbol(4); }
    void ImgSymbol_5Click() { Symbol(5); }
    void ImgSymbol_6Click() { Symbol(6); }
    void ImgOperLongClick();
    void ImgOperHighClick();
    void ImgNextOperClick();
    void ImgPreOperClick();
    void LabCadence2Click();
    void KeyBoxChange();
    void SignButtonClick();
    void ImgOperInsDBClick();
    void TextButtonClick();

Q_SIGNALS:
    // A click on a cell or an arc brings the panel forward again.
    void showRequested();
    // The page label was clicked (the help panel's previous page, as the shell decides).
    void LabTab2PgIdClicked();
    // A song went into the library: the song table must be read again.
    void songSaved();

private:
    TextWindow* BuildTextWindow();
    void Digit(int degree);
    void Symbol(int button);
    EntryFields Fields() const;
    JianpuOptions PasteOptions() const;
    // The cursor and the status after anything that changed the song.
    void Refresh();

    // ---- IEntryView ----
    void ShowCell(int position, const QString& glyph, Accidental sign) override;
    void ShowArc(int arc, int position, int length) override;
    void HideArc(int arc) override;
    void SetPageCaption(const QString& caption) override;
    void SetCadenceCaption(const QString& caption) override;
    void ShowKey(const Key& key) override;
    void PromptForTitle(const QString& prompt) override;
    void ClearViewGrid(int first, int last) override;

    SongLibrary& m_library;
    EntryEditor m_editor{*this};
};
