#pragma once
// A recording entry view, answered dialogs, and a script that presses the entry
// panel's buttons. No window is involved.
#include "core/Dialogs.h"
#include "core/score/EntryEditor.h"
#include <QStringList>
#include <deque>
#include <functional>
#include <map>

struct FakeEntryView : IEntryView {
    struct Arc { bool shown = false; int position = 0, length = 0; };
    std::array<QString, Score::CellsPerPage + 1> cells;   // 1..105
    std::array<Accidental, Score::CellsPerPage + 1> signs{};
    std::array<Arc, Score::ArcsPerGrid + 1> arcs;         // 1..6
    QString caption, cadence, prompt;
    Key key;
    int viewClears = 0;
    void ShowCell(int k, const QString& glyph, Accidental sign) override
    {
        cells.at(size_t(k)) = glyph;
        signs.at(size_t(k)) = sign;
    }
    void ShowArc(int a, int k, int len) override { arcs.at(size_t(a)) = {true, k, len}; }
    void HideArc(int a) override { arcs.at(size_t(a)).shown = false; }
    void SetPageCaption(const QString& c) override { caption = c; }
    void SetCadenceCaption(const QString& c) override { cadence = c; }
    void ShowKey(const Key& k) override { key = k; }
    void PromptForTitle(const QString& p) override { prompt = p; }
    void ClearViewGrid(int, int) override { ++viewClears; }
};

struct AnsweringDialogs : IDialogs {
    QStringList errors, questions;
    std::deque<bool> answers;   // Yes once they run out
    void ShowError(const QString& t) override { errors << t; }
    void ShowInfo(const QString& t) override { errors << t; }
    bool AskYesNo(const QString& t) override
    {
        questions << t;
        const bool a = answers.empty() || answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    bool AskYesNo(const QString& t, const QString&) override { return AskYesNo(t); }
    QString OpenFile(const QString&, const QString&) override { return {}; }
    int ChooseItem(const QString&, const QStringList&, int pre) override { return pre; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
};

// Tokens separated by spaces, "tok*N" repeats: add clr dur oct cad sign (升降号) 1=D (the key box)
// d0..d7 t0..t7 (typed) s1..s6 slur br clearview abandon (the score view cleared the grids) reset, and the fields
// title= art= word= comp= ("~" is a space). Starts as the program does.
struct EntryDriver {
    FakeEntryView view;
    EntryEditor editor{view};
    EntryFields fields{QStringLiteral("送别"), {}, {}, {}};

    EntryDriver()
    {
        editor.Reset();
        editor.GridsCleared(1, Score::CellsPerPage);
    }
    void Run(const QString& script)
    {
        const std::map<QString, std::function<void()>> keys{{"add", [&] { editor.Add(fields); }},
                                                            {"clr", [&] { editor.Clear(); }},
                                                            {"dur", [&] { editor.CycleDuration(); }},
                                                            {"oct", [&] { editor.CycleOctave(); }},
                                                            {"cad", [&] { editor.SwitchCadence(); }},
                                                            {"slur", [&] { editor.Symbol(4); }},
                                                            {"sign", [&] { editor.CycleSign(); }},
                                                            {"br", [&] { editor.Symbol(6); }},
                                                            {"reset", [&] { editor.Reset(); }},
                                                            {"clearview", [&] { editor.GridsCleared(1, Score::CellsPerPage); }},
                                                            {"abandon", [&] { editor.Abandon(); }}};
        std::map<QString, QString*> texts{{"title", &fields.title}, {"art", &fields.performer},
                                          {"word", &fields.lyricist}, {"comp", &fields.composer}};
        for (const QString& item : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString tok = item.section(QLatin1Char('*'), 0, 0);
            const int times = item.contains(QLatin1Char('*')) ? item.section(QLatin1Char('*'), 1).toInt() : 1;
            for (int i = 0; i < times; ++i) {
                if (tok.startsWith(QLatin1String("1=")))
                    editor.SetKey(Key::FromName(tok).value());
                else if (tok.contains(QLatin1Char('=')))
                    *texts.at(tok.section(QLatin1Char('='), 0, 0)) = tok.section(QLatin1Char('='), 1).replace(QLatin1Char('~'), QLatin1Char(' '));
                else if (keys.count(tok))
                    keys.at(tok)();
                else if (tok.startsWith(QLatin1Char('d')))
                    editor.Digit(tok.mid(1).toInt());
                else if (tok.startsWith(QLatin1Char('t')) && editor.StartForDigit(fields))   // a typed digit
                    editor.TypeDigit(tok.mid(1).toInt());
                else if (tok.startsWith(QLatin1Char('t')))
                    continue;
                else
                    editor.Symbol(tok.mid(1).toInt());
            }
        }
    }
    // Cell code and kind of an entry record, e.g. "5012/1".
    QString Record(int i) const
    {
        const SongRecord& r = editor.Table().at(size_t(i));
        return CellCode(r) + QLatin1Char('/') + r.InfoType;
    }
    QString Cursor() const { return QStringLiteral("%1/%2").arg(editor.CursorPage()).arg(editor.CursorCell()); }
};
