#pragma once
// A recording entry view and a small script language that drives the entry editor
// the way the panel's buttons do. No window is involved.
#include "core/Dialogs.h"
#include "core/score/EntryEditor.h"
#include <QStringList>
#include <deque>

class FakeEntryView : public IEntryView {
public:
    struct Arc {
        bool shown = false;
        int position = 0, length = 0;
    };
    std::array<QString, Score::CellsPerPage + 1> cells;   // 1..105
    std::array<Arc, Score::ArcsPerGrid + 1> arcs;         // 1..6
    QString caption, cadence, prompt;
    int viewClears = 0;

    void ShowCell(int k, const QString& glyph) override { cells.at(size_t(k)) = glyph; }
    void ShowArc(int a, int k, int len) override { arcs.at(size_t(a)) = {true, k, len}; }
    void HideArc(int a) override { arcs.at(size_t(a)).shown = false; }
    void SetPageCaption(const QString& c) override { caption = c; }
    void SetCadenceCaption(const QString& c) override { cadence = c; }
    void PromptForTitle(const QString& p) override { prompt = p; }
    void ClearViewGrid(int, int) override { ++viewClears; }
};

class AnsweringDialogs : public IDialogs {
public:
    QStringList errors, infos, questions;
    std::deque<bool> answers;   // Yes once they run out
    void ShowError(const QString& t) override { errors << t; }
    void ShowInfo(const QString& t) override { infos << t; }
    bool AskYesNo(const QString& t) override
    {
        questions << t;
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    QString OpenFile(const QString&, const QString&) override { return {}; }
};

// Tokens, separated by spaces, "tok*N" repeats one: add, clr, dur, oct, cad, d0..d7,
// s1..s6, slur (= s4), br (= s6), clearview (the score view cleared the grids),
// reset, and field texts title=, art=, word=, comp= ("~" stands for a space).
struct EntryDriver {
    FakeEntryView view;
    EntryEditor editor{view};
    EntryFields fields{QStringLiteral("送别"), {}, {}, {}};

    // As at start-up: the editor is reset, then the grids are cleared.
    EntryDriver()
    {
        editor.Reset();
        editor.GridsCleared(1, Score::CellsPerPage);
    }

    void Run(const QString& script)
    {
        for (const QString& item : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const qsizetype star = item.lastIndexOf(QLatin1Char('*'));
            const QString tok = star > 0 ? item.left(star) : item;
            const int times = star > 0 ? item.mid(star + 1).toInt() : 1;
            for (int i = 0; i < times; ++i)
                Step(tok);
        }
    }

    void Step(const QString& tok)
    {
        const qsizetype eq = tok.indexOf(QLatin1Char('='));
        if (eq > 0) {
            const QString key = tok.left(eq);
            const QString value = tok.mid(eq + 1).replace(QLatin1Char('~'), QLatin1Char(' '));
            QString* field = key == QLatin1String("title") ? &fields.title
                             : key == QLatin1String("art")  ? &fields.performer
                             : key == QLatin1String("word") ? &fields.lyricist
                                                            : &fields.composer;
            *field = value;
        } else if (tok == QLatin1String("add")) {
            editor.Add(fields);
        } else if (tok == QLatin1String("clr")) {
            editor.Clear();
        } else if (tok == QLatin1String("dur")) {
            editor.CycleDuration();
        } else if (tok == QLatin1String("oct")) {
            editor.CycleOctave();
        } else if (tok == QLatin1String("cad")) {
            editor.SwitchCadence();
        } else if (tok == QLatin1String("slur")) {
            editor.Symbol(4);
        } else if (tok == QLatin1String("br")) {
            editor.Symbol(6);
        } else if (tok == QLatin1String("clearview")) {
            editor.GridsCleared(1, Score::CellsPerPage);
        } else if (tok == QLatin1String("reset")) {
            editor.Reset();
        } else if (tok.size() == 2 && tok[0] == QLatin1Char('d')) {
            editor.Digit(tok.mid(1).toInt());
        } else if (tok.size() == 2 && tok[0] == QLatin1Char('s')) {
            editor.Symbol(tok.mid(1).toInt());
        } else {
            qFatal("unknown script token %s", qPrintable(tok));
        }
    }

    // Cell code and kind of an entry record: "5012/1".
    QString Record(int i) const
    {
        const SongRecord& r = editor.Table().at(size_t(i));
        return CellCode(r) + QLatin1Char('/') + r.InfoType;
    }
    QString Cursor() const { return QStringLiteral("%1/%2").arg(editor.CursorPage()).arg(editor.CursorCell()); }
};
