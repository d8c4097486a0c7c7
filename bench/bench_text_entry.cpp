// The 文本 window's 确定: a 481-cell song parsed and filled into the entry editor (drawn),
// against the same song clicked in cell by cell as the reference; then a 1 MB text (the
// song and pages of lyrics) and a 10 MB paste, which is refused. Prints medians in ms.
#include "BenchDialogs.h"
#include "BenchSupport.h"
#include "core/formats/JianpuText.h"
#include "ui/panels/EntryPanel.h"
#include "ui/shell/FormPiano.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
std::vector<double> Time(int runs, const std::function<void()>& fn)
{
    std::vector<double> out;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        out.push_back(t.nsecsElapsed() / 1e6);
    }
    return out;
}

// 481 cells: notes of every length and octave, dots, dashes, bar lines and slurs.
QString SongText()
{
    SongTableType rows;
    SongRecord h;
    h.SongName = QStringLiteral("四百八十一格");
    h.SongNote = h.OpernLong = h.OpernHigh = QStringLiteral("佚名");
    h.Conn = 1;
    h.InfoType = QStringLiteral("0");
    rows.push_back(h);
    for (int i = 1; i <= 481; ++i) {
        SongRecord r;
        r.SeqID = i;
        if (i % 5 == 0 || i % 13 == 0) {
            r.SongNote = QStringLiteral("9");
            r.OpernLong = r.OpernHigh = QStringLiteral("0");
            r.Conn = i % 5 == 0 ? 2 : 3;
            r.InfoType = QStringLiteral("2");
        } else {
            r.SongNote = QString::number(1 + i % 7);
            r.OpernLong = QString::number(i % 3);
            r.OpernHigh = QString::number(i % 3);
            r.Conn = i % 11 == 0 ? 2 : 0;
            r.InfoType = QStringLiteral("1");
        }
        rows.push_back(r);
    }
    return WriteJianpu(SongFromRows(rows));
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("TMPDIR", dir.path().toLocal8Bit());
    QApplication app(argc, argv);
    BenchDialogs dialogs;
    TFormPiano main(dialogs, AppFolderOptions(dir.path() + QStringLiteral("/app/")));
    main.show();
    EntryPanel& panel = *main.GBxOpernWrite;
    main.ImgOpernWriteClick();

    const QString song = SongText();
    QString big = song;
    while (big.size() < 1024 * 1024)
        big += QStringLiteral("一闪一闪亮晶晶，满天都是小星星。挂在天上放光明，好像许多小眼睛。\n");
    const QString huge(10 * 1024 * 1024, u'1');
    const JianpuOptions paste{JianpuMode::Paste, QString(), 1};
    if (!ParseJianpu(song, paste).ok() || !ParseJianpu(big, paste).ok() || ParseJianpu(huge, paste).ok()) {
        std::fprintf(stderr, "the texts do not parse as planned\n");
        return 1;
    }

    constexpr int runs = 25;
    bool filled = true;
    const auto fill = Time(runs, [&] {
        filled &= panel.AcceptText(song).isEmpty() && panel.Editor().CursorIndex() == 481;
    });
    // The reference: the same number of cells entered with the buttons, as before.
    const auto clicks = Time(runs, [&] {
        panel.ResetEntry();
        panel.EdSongName->setText(QStringLiteral("按钮录入"));
        panel.ImgNextOperClick();
        for (int c = 1; c <= 481; ++c) {
            if (c > 1)
                panel.ImgNextOperClick();
            c % 5 == 0 ? panel.ImgSymbol_2Click() : panel.LabOpren_5Click();
        }
    });
    const auto parseOnly = Time(runs, [&] { ParseJianpu(song, paste); });
    const auto bigParse = Time(9, [&] { ParseJianpu(big, paste); });
    const auto bigFill = Time(9, [&] { filled &= panel.AcceptText(big).isEmpty(); });
    const auto hugeRefused = Time(9, [&] { ParseJianpu(huge, paste); });
    if (!filled) {
        std::fprintf(stderr, "the editor was not filled\n");
        return 1;
    }
    std::printf("481-cell text (%lld chars): parse + fill the editor %.2f ms median (parse alone %.2f ms)\n",
                static_cast<long long>(song.size()), Median(fill), Median(parseOnly));
    std::printf("reference, the same 481 cells clicked in with the buttons: %.2f ms median\n", Median(clicks));
    std::printf("1 MB text (%lld chars, the song and lyrics): parse %.2f ms, parse + fill %.2f ms median\n",
                static_cast<long long>(big.size()), Median(bigParse), Median(bigFill));
    std::printf("10 MB paste refused in %.3f ms median\n", Median(hugeRefused));
    return 0;
}
