#include "core/formats/MusicXmlBounds.h"
#include "core/Errors.h"
#include "core/formats/MusicXml.h"
#include <algorithm>
#include <string_view>

using namespace MusicXmlLimits;

namespace {

// Moves i past the next `end`, or to the end of s.
void SkipPast(std::string_view s, size_t& i, std::string_view end)
{
    const size_t at = s.find(end, i);
    i = at == std::string_view::npos ? s.size() : at + end.size();
}

// A document type, its internal subset with the comments and quotes inside it; i is at its
// "<!" and ends at its closing ">".
void SkipDocType(std::string_view s, size_t& i)
{
    int depth = 0;
    for (++i; i < s.size(); ++i) {
        const std::string_view at = s.substr(i);
        if (at.starts_with("<!--"))
            SkipPast(s, i, "-->"), --i;
        else if (at.starts_with("<?"))
            SkipPast(s, i, "?>"), --i;
        else if (s[i] == '"' || s[i] == '\'')
            i = std::min(s.find(s[i], i + 1), s.size());
        else if (s[i] == '[')
            ++depth;
        else if (s[i] == ']')
            --depth;
        else if (s[i] == '>' && depth <= 0)
            break;
    }
}

// A start or end tag at i: counts its attributes and its length.
QString ElementTagProblem(std::string_view s, size_t& i)
{
    const size_t start = i;
    int attributes = 0;
    for (++i; i < s.size() && s[i] != '>'; ++i) {
        if (s[i] == '"' || s[i] == '\'')
            i = std::min(s.find(s[i], i + 1), s.size() - 1);
        else if (s[i] == '=' && ++attributes > TagAttributes)
            return QStringLiteral("有元素的属性太多（超过 %1 个）").arg(TagAttributes);
        if (qint64(i - start) > TagBytes)
            break;
    }
    if (qint64(i - start) > TagBytes)
        return QStringLiteral("有标签太长（超过 %1 KB）").arg(TagBytes / 1024);
    return {};
}

// QXmlStreamReader compares each attribute with every one before it, so one element with
// tens of thousands of them holds the window for seconds. One linear pass over the bytes
// counts them first.
QString TagProblem(std::string_view s)
{
    size_t i = 0;
    while ((i = s.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = s.substr(i);
        if (rest.starts_with("<!--")) {
            SkipPast(s, i, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            SkipPast(s, i, "]]>");
        } else if (rest.starts_with("<?")) {
            SkipPast(s, i, "?>");
        } else if (rest.starts_with("<!")) {
            SkipDocType(s, i);
        } else if (QString problem = ElementTagProblem(s, i); !problem.isEmpty()) {
            return problem;
        }
    }
    return {};
}

}

namespace MusicXmlDetail {

void Fail(const QString& file, const QString& what) { Raise(QStringLiteral("无法导入“%1”：%2。").arg(file, what)); }

QString TagProblem(const QByteArray& bytes)
{
    return ::TagProblem(std::string_view(bytes.constData(), size_t(bytes.size())));
}

}
