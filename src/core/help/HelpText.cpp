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
