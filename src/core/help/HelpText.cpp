#include "core/help/HelpText.h"
#include "core/AppInfo.h"
#include "core/score/SongRecord.h"
#include "core/settings/WebAddresses.h"

const std::array<HelpPage, HelpPageCount>& HelpPages()
{
    static const std::array<HelpPage, HelpPageCount> pages{
        HelpPage{QStringLiteral("弹       奏"),
             QStringList{
              QStringLiteral("点击“弹奏”"),
              QStringLiteral("在列表中显示系统现有曲谱列表，双击歌曲名称显示曲谱。"),
              QStringLiteral(""),
              QStringLiteral("演奏过程中按“空格”键进行曲谱翻页。"),
              QStringLiteral(""),
              QStringLiteral("点击导入/导出按钮从文件导入曲谱,或者将当前选中的曲谱导"),
              QStringLiteral("出为[歌名].opr曲谱文件。"),
              QStringLiteral(""),
              QStringLiteral("点击\"删除\"按钮删除当前选中曲谱。"),
              QStringLiteral(""),
              QStringLiteral("按键布局：1234567 对应 H J K L ; 'Enter 高音123 对应 Y U I")}},
        HelpPage{QStringLiteral("录入曲谱"),
             QStringList{
              QStringLiteral("点击“录入曲谱”"),
              QStringLiteral(""),
              QStringLiteral("点击节奏（左上角）标签切换节奏。"),
              QStringLiteral("输入歌曲名称（必填），输入演唱、作词、作曲信息。"),
              QStringLiteral("输入结束，点击\"增加\"按钮确认完成歌曲基本信息录入。"),
              QStringLiteral(""),
              QStringLiteral("点击1-7，在录入区显示相应音符。"),
              QStringLiteral("点击音高、音长按钮切换音高和音长。"),
              QStringLiteral("点击符号输入分隔线、延长线、连接线、空格和换行。"),
              QStringLiteral("输入音符或符号，结束点击“增加”按钮确认完成当前音符录入"),
              QStringLiteral("。")}},
        HelpPage{QStringLiteral("录入曲谱"),
             QStringList{
              QStringLiteral("点击“清除”按钮删除末尾的一个音符或符号。"),
              QStringLiteral(""),
              QStringLiteral("曲谱全部录入完毕，点击“提交\"按钮将曲谱存盘。"),
              QStringLiteral(""),
              QStringLiteral(""),
              QStringLiteral(""),
              QStringLiteral(""),
              QStringLiteral(""),
              QStringLiteral("曲谱下载及交流请登陆论坛") + QString(13, u' ') + ForumAddress,
              QString(62, u'_')}},
        HelpPage{QStringLiteral("简谱文本"),
             QStringList{
              QStringLiteral("录入曲谱时点击“文本”按钮，可打字或粘贴简谱，Ctrl+回车确定。"),
              QStringLiteral("歌名：小星星  演唱：  作词：  作曲：  节拍：4/4（或 1=C 4/4）"),
              QStringLiteral("1-7 音符，0 休止；1' 高音，5, 低音；5_ 或 5q 八分，5__ 或 5s 十六分"),
              QStringLiteral("5. 附点，- 延长一拍，| 或 / 小节线，~ 空格，( ) 连音线（最多 5 格）"),
              QStringLiteral("例：1 1 5 5 | 6 6 5 - | 4 4 3 3 | 2 2 1 - |"),
              QStringLiteral(""),
              QStringLiteral("歌词、和弦等文字会跳过并提示；全角字符、弱起小节都可以。"),
              QStringLiteral("录入时也可直接按键：0-7 音符，- 延长线，. 附点，/ 小节线，"),
              QStringLiteral("退格键清除。"),
              QStringLiteral("看谱时右键曲谱或按 Ctrl+C 复制简谱文本；导入可选 .txt 文件。")}},
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
