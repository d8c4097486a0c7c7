#include "ui/panels/EntryPanel.h"
#include "core/formats/JianpuText.h"
#include "core/library/SongLibrary.h"
#include "core/library/SongSave.h"
#include "core/score/SongRecord.h"
#include "ui/widgets/CellMark.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/GlyphGrid.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/Styles.h"
#include "ui/panels/TextWindow.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {
const QString FieldStyle =
    QStringLiteral("QLineEdit { background: rgb(255,251,240); color: black; border: none; padding: 0 2px; }");

QLineEdit* NewField(QWidget* parent, const QString& name, const QRect& place, const QFont& font)
{
    auto* f = new QLineEdit(parent);
    f->setObjectName(name);
    f->setFrame(false);
    f->setFont(font);
    f->setStyleSheet(FieldStyle);
    f->setGeometry(place);
    return f;
}

// A picture button of the panel: its picture and its pressed picture, and its hint as tooltip.
TImageButton* NewPictureButton(QWidget* parent, const QString& name, const QRect& place, const QString& picture,
                               const QString& hint)
{
    auto* b = NewImageButton(parent, place, ResourceImage(QStringLiteral("pic/%1.png").arg(picture)),
                             ResourceImage(QStringLiteral("pic/%1_down.png").arg(picture)));
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
}

EntryPanel::EntryPanel(QWidget* parent, IDialogs& dialogs, SongLibrary& library)
    : TPanel(parent, dialogs, QStringLiteral("GBxOpernWrite"), 660, 295), m_library(library)
{
    CloseLabel()->setObjectName(QStringLiteral("LabCloseOpernWrite"));
    const QFont kai = PixelFont(QStringLiteral("楷体"), 19);
    const QFont yahei = PixelFont(QStringLiteral("微软雅黑"), 21);

    // Labels first: the fields lie over the blank end of their captions.
    Label8 = NewText<QLabel>(QStringLiteral("Label8"), QStringLiteral("演唱： "), 12, 41, kai, CreamTextStyle);
    Label9 = NewText<QLabel>(QStringLiteral("Label9"), QStringLiteral("作词： "), 130, 41, kai, CreamTextStyle);
    Label10 = NewText<QLabel>(QStringLiteral("Label10"), QStringLiteral("作曲： "), 246, 41, kai, CreamTextStyle);
    EdSongName = NewField(this, QStringLiteral("EdSongName"), QRect(62, 9, 167, 26),
                          PixelFont(QStringLiteral("微软雅黑"), 19, true));
    EdSongName->setPlaceholderText(EntryEditor::TitlePrompt);
    const QFont credit = PixelFont(QStringLiteral("微软雅黑"), 14);
    EdArt = NewField(this, QStringLiteral("EdArt"), QRect(62, 40, 62, 21), credit);
    EdSongWord = NewField(this, QStringLiteral("EdSongWord"), QRect(179, 40, 62, 21), credit);
    EdSongComposer = NewField(this, QStringLiteral("EdSongComposer"), QRect(296, 40, 62, 21), credit);
    for (QLineEdit* f : {EdSongName, EdArt, EdSongWord, EdSongComposer})
        // Enter hands the keys back to the piano; queued, so the Enter itself plays nothing.
        connect(f, &QLineEdit::returnPressed, this,
                [this] { QTimer::singleShot(0, this, [this] { window()->setFocus(); }); });

    // The hint of LabCadence2 holds the time-signature code; the editor keeps it.
    LabCadence2 = NewText<ClickLabel>(QStringLiteral("LabCadence2"), QStringLiteral("4/4"), 18, 8, yahei,
                                      CreamTextStyle);
    Wire(LabCadence2, &ClickLabel::clicked, &EntryPanel::LabCadence2Click);
    // Stepping through the meters quickly: the second click of a pair steps too.
    Wire(LabCadence2, &ClickLabel::doubleClicked, &EntryPanel::LabCadence2Click);
    LabCadence2->setCursor(Qt::PointingHandCursor);

    // The key beside the credits, where the row is free; it never takes the keys from the piano.
    KeyBox = new QComboBox(this);
    KeyBox->setObjectName(QStringLiteral("KeyBox"));
    for (const Key& key : Key::All())
        KeyBox->addItem(key.Name());
    KeyBox->setFont(credit);
    KeyBox->setFocusPolicy(Qt::NoFocus);
    KeyBox->setToolTip(QStringLiteral("调号"));
    KeyBox->setStyleSheet(QStringLiteral("QComboBox { background: rgb(255,251,240); color: black; border: none; "
                                         "padding: 0 2px; } QComboBox QAbstractItemView { background: "
                                         "rgb(255,251,240); color: black; }"));
    KeyBox->setGeometry(372, 40, 62, 21);
    Wire(KeyBox, &QComboBox::activated, &EntryPanel::KeyBoxChange);

    Image1 = NewSheet(QStringLiteral("Image1"));
    Grid = new GlyphGrid(this, QStringLiteral("ImgOper_"), QStringLiteral("ImgTab2Conn_"));
    // A click on an entry cell only brings the entry panel forward; it never moves the cursor.
    connect(Grid, &GlyphGrid::cellClicked, this, &EntryPanel::showRequested);
    connect(Grid, &GlyphGrid::arcClicked, this, [this](int a) {
        if (a % 2 == 0)
            Q_EMIT showRequested();
    });
    EntryCursor = new CellMark(this, QColor(40, 90, 200), CellMark::Look::Cursor);
    EntryCursor->setObjectName(QStringLiteral("EntryCursor"));

    // Right of the title, where the row is free.
    LabStatus = PlainLabel(QString(), this);
    LabStatus->setObjectName(QStringLiteral("LabStatus"));
    LabStatus->setFont(PixelFont(QStringLiteral("微软雅黑"), 15));
    LabStatus->setStyleSheet(CreamTextStyle);
    LabStatus->setGeometry(245, 12, 375, 20);

    LabTab2PgId = new ClickLabel(PageCaption(0), this);
    LabTab2PgId->setObjectName(QStringLiteral("LabTab2PgId"));
    LabTab2PgId->setFont(PixelFont(QStringLiteral("宋体"), 16));
    LabTab2PgId->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    LabTab2PgId->setGeometry(288, 247, 40, 16);
    connect(LabTab2PgId, &ClickLabel::clicked, this, &EntryPanel::LabTab2PgIdClicked);

    struct SymbolButton { int n; int x; const char* picture; QString hint; void (EntryPanel::*handler)(); };
    const SymbolButton symbols[] = {
        {2, 15, "sym_bar", QStringLiteral("分隔线"), &EntryPanel::ImgSymbol_2Click},
        {3, 51, "sym_dash", QStringLiteral("延长线"), &EntryPanel::ImgSymbol_3Click},
        {4, 88, "sym_slur", QStringLiteral("连接线"), &EntryPanel::ImgSymbol_4Click},
        {1, 125, "sym_dot", QStringLiteral("附点"), &EntryPanel::ImgSymbol_1Click},
        {5, 161, "sym_space", QStringLiteral("空格"), &EntryPanel::ImgSymbol_5Click},
        {6, 198, "sym_break", QStringLiteral("换行"), &EntryPanel::ImgSymbol_6Click},
    };
    for (const SymbolButton& s : symbols) {
        auto* b = NewPictureButton(this, QStringLiteral("ImgSymbol_%1").arg(s.n), QRect(s.x, 264, 32, 32),
                                   QLatin1String(s.picture), s.hint);
        Wire(b, &TImageButton::clicked, s.handler);
        ImgSymbol[size_t(s.n - 1)] = b;
    }

    const int digitX[] = {580, 400, 425, 451, 477, 502, 528, 554};   // "0", then "1".."7"
    void (EntryPanel::*digitHandlers[])() = {&EntryPanel::LabOpren_0Click, &EntryPanel::LabOpren_1Click,
                                             &EntryPanel::LabOpren_2Click, &EntryPanel::LabOpren_3Click,
                                             &EntryPanel::LabOpren_4Click, &EntryPanel::LabOpren_5Click,
                                             &EntryPanel::LabOpren_6Click, &EntryPanel::LabOpren_7Click};
    for (int d = 0; d <= 7; ++d) {
        auto* l = NewText<ClickLabel>(QStringLiteral("LabOpren_%1").arg(d), QString::number(d), digitX[d], 266,
                                      yahei, CreamTextStyle);
        l->setCursor(Qt::PointingHandCursor);
        Wire(l, &ClickLabel::clicked, digitHandlers[d]);
        LabOpren[size_t(d)] = l;
    }

    // Left of the digits, as a sign stands left of its note.
    SignButton =
        NewText<ClickLabel>(QStringLiteral("SignButton"), QStringLiteral("♯♭"), 350, 266, yahei, CreamTextStyle);
    SignButton->setToolTip(QStringLiteral("升降号"));
    SignButton->setCursor(Qt::PointingHandCursor);
    Wire(SignButton, &ClickLabel::clicked, &EntryPanel::SignButtonClick);
    Wire(SignButton, &ClickLabel::doubleClicked, &EntryPanel::SignButtonClick);

    ImgOperLong = NewPictureButton(this, QStringLiteral("ImgOperLong"), QRect(624, 65, 33, 42), QStringLiteral("op_long"),
                                   QStringLiteral("音长"));
    ImgOperHigh = NewPictureButton(this, QStringLiteral("ImgOperHigh"), QRect(624, 107, 33, 42),
                                   QStringLiteral("op_high"), QStringLiteral("音高"));
    ImgNextOper = NewPictureButton(this, QStringLiteral("ImgNextOper"), QRect(624, 153, 32, 32), QStringLiteral("op_add"),
                                   QStringLiteral("增加"));
    ImgPreOper = NewPictureButton(this, QStringLiteral("ImgPreOper"), QRect(624, 194, 32, 32),
                                  QStringLiteral("op_clear"), QStringLiteral("清除"));
    ImgOperInsDB = NewPictureButton(this, QStringLiteral("ImgOperInsDB"), QRect(624, 235, 33, 34),
                                    QStringLiteral("op_submit"), QStringLiteral("提交"));
    Wire(ImgOperLong, &TImageButton::clicked, &EntryPanel::ImgOperLongClick);
    Wire(ImgOperHigh, &TImageButton::clicked, &EntryPanel::ImgOperHighClick);
    Wire(ImgNextOper, &TImageButton::clicked, &EntryPanel::ImgNextOperClick);
    Wire(ImgPreOper, &TImageButton::clicked, &EntryPanel::ImgPreOperClick);
    Wire(ImgOperInsDB, &TImageButton::clicked, &EntryPanel::ImgOperInsDBClick);

    TextButton = NewPictureButton(this, QStringLiteral("TextButton"), QRect(235, 264, 32, 32),
                                  QStringLiteral("sym_text"), QStringLiteral("用文本输入简谱"));
    Wire(TextButton, &TImageButton::clicked, &EntryPanel::TextButtonClick);
}

TextWindow* EntryPanel::BuildTextWindow()
{
    auto* window = new TextWindow(this);
    window->Check = [this](const QString& text) { return CheckText(text); };
    window->Accept = [this](const QString& text) {
        QString why;
        RunGuarded(m_dialogs, [&] { why = AcceptText(text); });
        return why;
    };
    return window;
}

namespace {
bool UsableTitleField(const QString& text)
{
    const QString t = text.trimmed();
    return !t.isEmpty() && t != EntryEditor::TitlePrompt;
}
}

QString EntryPanel::EntryText() const
{
    const EntryTableType& table = m_editor.Table();
    SongTableType rows{table[0]};
    for (size_t r = 1; r < table.size() && !IsBlankCell(table[r]); ++r)
        rows.push_back(table[r]);
    Song song = SongFromRows(rows, m_editor.Marks());
    if (!m_editor.Started()) {
        // Not started yet: what the fields would start it with.
        song.header = SongHeader{UsableTitleField(EdSongName->text()) ? EdSongName->text() : QString(), EdArt->text(),
                                 EdSongWord->text(), EdSongComposer->text(), m_editor.CadenceCode()};
        song.header->SetMeter(m_editor.ChosenMeter());
        song.header->key = m_editor.ChosenKey();
    }
    return WriteJianpu(song);
}

// A text that names no meter is in the one chosen, and its bars are counted against it.
JianpuOptions EntryPanel::PasteOptions() const
{
    JianpuOptions options{JianpuMode::Paste, QString(), m_editor.CadenceCode()};
    options.meter = m_editor.ChosenMeter();
    return options;
}

QString EntryPanel::CheckText(const QString& text) const { return ParseJianpu(text, PasteOptions()).summary(); }

QString EntryPanel::AcceptText(const QString& text)
{
    JianpuParse parse = ParseJianpu(text, PasteOptions());
    if (!parse.ok())
        return parse.error->text();
    JianpuSong& song = parse.songs.at(0);
    SongHeader& h = *song.song.header;
    const SongHeader now = HeaderFromRow(m_editor.Table()[0]);
    if (!song.titleGiven) {
        if (m_editor.Started())
            h.title = now.title;
        else if (UsableTitleField(EdSongName->text()))
            h.title = EdSongName->text();
        else
            return QStringLiteral("缺少歌名：请在第一行写上歌名，例如“歌名：小星星”。");
    }
    QLineEdit* fields[] = {EdArt, EdSongWord, EdSongComposer};
    QString* credits[] = {&h.performer, &h.lyricist, &h.composer};
    const QString nowCredits[] = {now.performer, now.lyricist, now.composer};
    for (size_t i = 0; i < 3; ++i) {
        if (song.creditGiven[i])
            fields[i]->setText(*credits[i]);
        else if (m_editor.Started())
            *credits[i] = nowCredits[i];
        else if (!fields[i]->text().trimmed().isEmpty())
            *credits[i] = fields[i]->text();
    }
    UpdatesHold hold{this};
    m_editor.Fill(song.Rows(), SongToMarks(song.song, song.songID));
    EdSongName->setText(m_editor.Table()[0].SongName);
    Refresh();
    return QString();
}

void EntryPanel::TextButtonClick()
{
    TextWin->Open(EntryText());
}

bool EntryPanel::TypeKey(int vk, Qt::KeyboardModifiers modifiers)
{
    if (!isVisible() || (TextWin.IfBuilt() && TextWin.IfBuilt()->isVisible()) || (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return false;
    UpdatesHold hold{this};
    const int digit = vk >= '0' && vk <= '7' ? vk - '0' : vk >= 96 && vk <= 103 ? vk - 96 : -1;   // keypad too
    if (digit >= 0) {
        if (m_editor.StartForDigit(Fields()))
            m_editor.TypeDigit(digit);
    } else if (vk == 189 || vk == 109)  // '-'
        m_editor.TypeSymbol(3);
    else if (vk == 190 || vk == 110)  // '.'
        m_editor.TypeSymbol(1);
    else if (vk == 191 || vk == 111)  // '/'
        m_editor.TypeSymbol(2);
    else if (vk == 8)                 // Backspace
        m_editor.Clear();
    else
        return false;
    Refresh();
    return true;
}

bool EntryPanel::MayLeave()
{
    if (!m_editor.HasUnsavedCells())
        return true;
    if (!m_dialogs.AskYesNo(QStringLiteral("曲谱尚未保存，要放弃吗？")))
        return false;
    UpdatesHold hold{this};
    m_editor.Abandon();
    Refresh();
    return true;
}

void EntryPanel::Refresh()
{
    const int next = m_editor.NextCellPosition();
    EntryCursor->setVisible(next > 0);
    if (next > 0) {
        EntryCursor->setGeometry(Grid->Cells[size_t(next - 1)]->geometry().adjusted(-2, -2, 2, 3));
        EntryCursor->raise();
    }
    if (m_editor.Started())
        LabStatus->clear();   // the next song is under way
}

void EntryPanel::ResetEntry()
{
    m_editor.Reset();
    Refresh();
}

void EntryPanel::ClearGrid(int first, int last)
{
    Grid->Clear(first, last);
    m_editor.GridsCleared(first, last);
}

EntryFields EntryPanel::Fields() const
{
    return {EdSongName->text(), EdArt->text(), EdSongWord->text(), EdSongComposer->text()};
}

// ---- Handlers ----

// A digit before the start starts the song, as "增加" would.
void EntryPanel::Digit(int degree)
{
    if (m_editor.StartForDigit(Fields()))
        m_editor.Digit(degree);
    Refresh();
}

void EntryPanel::Symbol(int button)
{
    UpdatesHold hold{this};   // a line break may write a line of cells and turn the page
    m_editor.Symbol(button);
    Refresh();
}

void EntryPanel::ImgOperLongClick()
{
    m_editor.CycleDuration();
    Refresh();
}

void EntryPanel::ImgOperHighClick()
{
    m_editor.CycleOctave();
    Refresh();
}

void EntryPanel::LabCadence2Click() { m_editor.SwitchCadence(); }

void EntryPanel::KeyBoxChange()
{
    const std::span<const Key> keys = Key::All();
    const int i = KeyBox->currentIndex();
    if (i >= 0 && size_t(i) < keys.size())
        m_editor.SetKey(keys[size_t(i)]);
}

void EntryPanel::SignButtonClick()
{
    UpdatesHold hold{this};
    m_editor.CycleSign();
    Refresh();
}

void EntryPanel::ImgNextOperClick()
{
    UpdatesHold hold{this};
    m_editor.Add(Fields());
    Refresh();
}

void EntryPanel::ImgPreOperClick()
{
    UpdatesHold hold{this};
    m_editor.Clear();
    Refresh();
}

void EntryPanel::ImgOperInsDBClick()
{
    const SaveResult result =
        SubmitEntry(m_library.Connection(), m_editor, m_dialogs, m_library.Today(), EdSongName->text());
    Refresh();
    if (!result.saved())
        return;
    const QString saved = QStringLiteral("已保存：") + result.title;
    LabStatus->setText(LabStatus->fontMetrics().elidedText(saved, Qt::ElideRight, LabStatus->width()));
    LabStatus->setToolTip(PlainToolTip(saved));
    Q_EMIT songSaved();
}

// ---- What the editor reports ----

void EntryPanel::ShowCell(int position, const QString& glyph, Accidental sign)
{
    Grid->ShowCell(position, glyph, sign);
}

void EntryPanel::ShowArc(int arc, int position, int length)
{
    Grid->PlaceArc(arc, position, length);
}

void EntryPanel::HideArc(int arc)
{
    Grid->HideArc(arc);
}

void EntryPanel::SetPageCaption(const QString& caption)
{
    LabTab2PgId->setText(caption);
}

// The meter alone: the key has its own box, and "1=D 3/4" would run under the title field.
void EntryPanel::SetCadenceCaption(const QString& caption)
{
    SetCaption(LabCadence2, caption);
}

void EntryPanel::ShowKey(const Key& key)
{
    const std::span<const Key> keys = Key::All();
    const auto at = std::find(keys.begin(), keys.end(), key);
    const QSignalBlocker quiet(KeyBox);
    KeyBox->setCurrentIndex(at == keys.end() ? 0 : int(at - keys.begin()));
}

// The prompt is the field's placeholder: an empty field shows it, and typing needs no clearing first.
void EntryPanel::PromptForTitle(const QString& prompt)
{
    EdSongName->clear();
    EdSongName->setPlaceholderText(prompt);
    EdSongName->setFocus();
}

void EntryPanel::ClearViewGrid(int first, int last)
{
    if (ClearScoreView)
        ClearScoreView(first, last);
}
