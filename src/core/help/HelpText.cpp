#include "core/help/HelpText.h"
#include "core/AppInfo.h"
#include "core/score/SongRecord.h"
#include "core/settings/WebAddresses.h"

const std::array<HelpPage, HelpPageCount>& HelpPages()
{
    static const std::array<HelpPage, HelpPageCount> pages{
        HelpPage{QStringLiteral("弹       奏"),
                 QStringList{QStringLiteral("点击“弹奏”"),
                             QStringLiteral("在列表中显示系统现有曲谱列表，双击歌曲名称显示曲谱。"), QStringLiteral(""),
                             QStringLiteral("演奏过程中按“空格”键进行曲谱翻页。"), QStringLiteral(""),
                             QStringLiteral("点击导入/导出按钮从文件导入曲谱,或者将当前选中的曲谱导"),
                             QStringLiteral("出为[歌名].opr曲谱文件。"), QStringLiteral(""),
                             QStringLiteral("点击\"删除\"按钮删除当前选中曲谱。"), QStringLiteral(""),
                             QStringLiteral("按键布局：1234567 对应 H J K L ; 'Enter 高音123 对应 Y U I")}},
        HelpPage{QStringLiteral("录入曲谱"),
                 QStringList{QStringLiteral("点击“录入曲谱”"), QStringLiteral(""),
                             QStringLiteral("点击节奏（左上角）标签切换节奏。"),
                             QStringLiteral("输入歌曲名称（必填），输入演唱、作词、作曲信息。"),
                             QStringLiteral("输入结束，点击\"增加\"按钮确认完成歌曲基本信息录入。"), QStringLiteral(""),
                             QStringLiteral("点击1-7，在录入区显示相应音符。"),
                             QStringLiteral("点击音高、音长按钮切换音高和音长。"),
                             QStringLiteral("点击符号输入分隔线、延长线、连接线、空格和换行。"),
                             QStringLiteral("输入音符或符号，结束点击“增加”按钮确认完成当前音符录入"),
                             QStringLiteral("。")}},
        HelpPage{QStringLiteral("录入曲谱"),
                 QStringList{QStringLiteral("点击“清除”按钮删除末尾的一个音符或符号。"), QStringLiteral(""),
                             QStringLiteral("曲谱全部录入完毕，点击“提交\"按钮将曲谱存盘。"), QStringLiteral(""),
                             QStringLiteral(""), QStringLiteral(""), QStringLiteral(""), QStringLiteral(""),
                             QStringLiteral("曲谱下载及交流请登陆论坛") + QString(13, u' ') + ForumAddress,
                             QString(62, u'_')}},
        HelpPage{QStringLiteral("简谱文本"),
                 QStringList{QStringLiteral("录入曲谱时点击“文本”按钮，可打字或粘贴简谱，Ctrl+回车确定。"),
                             QStringLiteral("歌名：小星星  演唱：  作词：  作曲：  节拍：4/4（或 1=C 4/4）"),
                             QStringLiteral("1-7 音符，0 休止；1' 高音，5, 低音；5_ 或 5q 八分，5__ 或 5s 十六分"),
                             QStringLiteral("5. 附点，- 延长一拍，| 或 / 小节线，~ 空格，( ) 连音线（最多 5 格）"),
                             QStringLiteral("例：1 1 5 5 | 6 6 5 - | 4 4 3 3 | 2 2 1 - |"), QStringLiteral(""),
                             QStringLiteral("歌词、和弦等文字会跳过并提示；全角字符、弱起小节都可以。"),
                             QStringLiteral("录入时也可直接按键：0-7 音符，- 延长线，. 附点，/ 小节线，"),
                             QStringLiteral("退格键清除。"),
                             QStringLiteral("看谱时右键曲谱或按 Ctrl+C 复制简谱文本；导入可选 .txt 文件。")}},
        HelpPage{QStringLiteral("示范与跟弹"),
                 QStringList{QStringLiteral("打开一首歌，曲谱下方有“示范”“跟弹”“节奏”三个按钮。"),
                             QStringLiteral("再点一次同一个按钮或按 Esc 停止。"), QStringLiteral(""),
                             QStringLiteral("示范：从这一页起弹给你听，方框标出正在响的音，琴键跟着按下。"),
                             QStringLiteral(""),
                             QStringLiteral("跟弹：方框标出下一个要弹的音，要按的琴键亮起并显示字母。"),
                             QStringLiteral("弹对了方框才往下走；弹错时那一格闪红，错音照样发声。"),
                             QStringLiteral("弹完显示正确、错误的个数和用时。"), QStringLiteral(""),
                             QStringLiteral("从第一页起弹完整首歌时，每首歌最好的成绩会记下来，"),
                             QStringLiteral("显示在页码右边（保存在数据文件夹的 results.txt）。")}},
        HelpPage{QStringLiteral("节       奏"),
                 QStringList{QStringLiteral("点击“节奏”：先响一小节拍子，然后方框按拍子一格一格走，"),
                             QStringLiteral("不出声，由你来弹。每个音按弹下的时刻评判："),
                             QStringLiteral("    准：离拍点不到 80 毫秒；"),
                             QStringLiteral("    早 / 晚：提前或推迟 80 到 200 毫秒；"),
                             QStringLiteral("    漏：200 毫秒内没有弹，或者弹了别的音（那一格闪红）。"),
                             QStringLiteral("每弹一个音，曲谱下方就显示这一个音的评判。"), QStringLiteral(""),
                             QStringLiteral("弹完，或中途再点一次“节奏”，显示准、早、晚、漏各多少个。"),
                             QStringLiteral(""), QStringLiteral("想每拍都听到拍子：在图标菜单里勾选“节拍器”。")}},
        HelpPage{QStringLiteral("速度与选段"),
                 QStringList{QStringLiteral("速度：♩= 后面的数字是每分钟的拍数（40 到 200），"),
                             QStringLiteral("用鼠标滚轮或旁边的小箭头调整；示范和节奏都按这个速度。"),
                             QStringLiteral(""), QStringLiteral("从某一格开始：在曲谱上点一个格子，蓝框标出它，"),
                             QStringLiteral("示范、跟弹和节奏就从这一格开始。再点一次这一格取消。"), QStringLiteral(""),
                             QStringLiteral("反复练一段：先点起点的格子，再按住 Shift 点终点的格子，"),
                             QStringLiteral("蓝框框住这一段，示范、跟弹和节奏就在这段里一遍遍重复，"),
                             QStringLiteral("直到再点按钮或按 Esc。跟弹每弹完一遍显示这一遍的成绩。"),
                             QStringLiteral(""), QStringLiteral("换一首歌或回到曲谱列表时，选的格子和段落都会取消。")}},
        HelpPage{QStringLiteral("宽 键 盘"),
                 QStringList{QStringLiteral("点击曲谱下方最左边的键盘按钮，换成宽键盘：18 个白键，"),
                             QStringLiteral("从低音 1 到高音 4，黑键也可以用鼠标弹。再点一次换回主键盘。"),
                             QStringLiteral(""), QStringLiteral("宽键盘的电脑按键："),
                             QStringLiteral("    低音 1-7：A S D F G E R"),
                             QStringLiteral("    中音 1-7：H J K L ; ' Enter"), QStringLiteral("    高音 1-4：Y U I O"),
                             QStringLiteral(""), QStringLiteral("主键盘只有中音 1 到高音 3。歌里有更低或更高的音时，"),
                             QStringLiteral("跟弹和节奏会自动打开宽键盘；琴键边上的 ↓ 或 ↑ 表示"),
                             QStringLiteral("要弹的音在这排琴键之外。")}},
        HelpPage{QStringLiteral("图标菜单"),
                 QStringList{QStringLiteral("右键点击窗口左上角的钢琴图标，打开选项菜单："), QStringLiteral(""),
                             QStringLiteral("键位提示：每个琴键上显示对应的电脑按键字母。"),
                             QStringLiteral("节拍器：示范和节奏时每拍响一声，每小节第一拍较重。"),
                             QStringLiteral("按原调发声：按歌曲的调发声（1=G 时 1 是 G）；不勾选时 1 总是 C。"),
                             QStringLiteral("音色：“标准”是内置的音色；“钢琴（采样）”用音色库弹出"),
                             QStringLiteral("    真实的钢琴声，“选择音色库…”可选一个 .sf2 或 .sf3 文件；"),
                             QStringLiteral("    “延音”让采样钢琴的音在松开琴键后继续响完。"),
                             QStringLiteral("MIDI 输入：接在电脑上的 MIDI 键盘（见下一页）。"), QStringLiteral(""),
                             QStringLiteral("这些选择保存在 preferences.conf 里，下次打开照旧。")}},
        HelpPage{QStringLiteral("MIDI 键盘"),
                 QStringList{QStringLiteral("用 USB 线把 MIDI 键盘接到电脑上就能弹，不用设置。"),
                             QStringLiteral("弹奏中途才插上的键盘，两秒之内就能找到。"), QStringLiteral(""),
                             QStringLiteral("MIDI 键盘弹的音和电脑按键、鼠标弹的一样：会发声，"),
                             QStringLiteral("跟弹和节奏也都算数。按键的力度和延音踏板都有效。"), QStringLiteral(""),
                             QStringLiteral("键盘经 ALSA 音序器连接；JACK 正在运行时也可以经 JACK 连接。"),
                             QStringLiteral("图标菜单的“MIDI 输入”里可以看到接上的键盘。")}},
        HelpPage{QStringLiteral("导入与导出"),
                 QStringList{QStringLiteral("导入（曲谱右边的按钮）可以读这些文件："),
                             QStringLiteral("    .opr 歌谱文件，.txt 简谱文本（见第 4 页），"),
                             QStringLiteral("    MusicXML（.musicxml .xml .mxl）和 MIDI（.mid .midi）。"),
                             QStringLiteral("MusicXML 和 MIDI 先选声部（最像旋律的排在最前），再写成"),
                             QStringLiteral("简谱，保留原调和拍号，并说明改了什么（移进音域的音、转调等）。"),
                             QStringLiteral("导入完成后直接显示这首歌。"), QStringLiteral(""),
                             QStringLiteral("导出：把当前的歌存为桌面上的 [歌名].opr，不会覆盖别的歌。"),
                             QStringLiteral("右键点击曲谱：复制简谱文本（Ctrl+C），导出 MIDI（按 ♩= 的"),
                             QStringLiteral("速度），导出 MusicXML（按歌曲的调，4.0 版），打印或存为 PDF。")}},
    };
    return pages;
}

QString HelpPageWalk::title() const
{
    return HelpPages()[m_page - 1].title;
}

QString HelpPageWalk::text() const
{
    return HelpPages()[m_page - 1].text();
}

QString HelpPageWalk::number() const
{
    return PageCaption(m_page);
}

bool HelpPageWalk::previous()
{
    if (m_page <= 1)
        return false;
    --m_page;
    return true;
}

bool HelpPageWalk::next()
{
    if (m_page >= HelpPageCount)
        return false;
    ++m_page;
    return true;
}

QString AboutVersionText()
{
    return AppVersion + QStringLiteral("  ");
}

QString AboutContactText()
{
    return ContactText;
}

QString WebSiteCaption()
{
    return ForumAddress + QStringLiteral("   ");
}
