#pragma once
// The help pages and the about panel's texts, and the walk through the help pages,
// so the panels only draw what these give.
#include <QString>
#include <QStringList>
#include <array>

struct HelpPage {
    QString title;
    QStringList lines;
    QString text() const { return lines.join(u'\n'); }
};

inline constexpr int HelpPageCount = 11;
// Pages 1..11 at indexes 0..10: three on playing and entering, one on songs as text, then
// the practice modes, the keyboards, the options, MIDI keyboards, import and export.
const std::array<HelpPage, HelpPageCount>& HelpPages();

// The current help page: starts at 1 and is kept while the panel is closed.
class HelpPageWalk {
public:
    int page() const { return m_page; }
    QString title() const;
    QString text() const;
    QString number() const;   // "- n -"
    // Each returns whether the page changed; on the first/last page nothing changes.
    bool previous();
    bool next();

private:
    int m_page = 1;
};

// About panel.
QString AboutVersionText();   // "1.16  "
QString AboutContactText();
QString WebSiteCaption();     // the forum's address and three spaces
