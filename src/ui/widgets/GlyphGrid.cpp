#include "ui/widgets/GlyphGrid.h"
#include "core/score/SongRecord.h"
#include "ui/widgets/ClickLabel.h"
#include "ui/widgets/ScoreGrid.h"
#include "ui/widgets/SignedGlyph.h"

namespace {
const QString BlankGlyph = QStringLiteral("NOTE_9000");
}

GlyphGrid::GlyphGrid(QWidget* parent, const QString& cellPrefix, const QString& arcPrefix) : QObject(parent)
{
    const QPixmap& blank = GlyphPixmap(BlankGlyph);
    for (int k = 1; k <= Score::CellsPerPage; ++k) {
        auto* c = new ClickLabel(parent);
        c->setObjectName(cellPrefix + QString::number(k));
        c->setGeometry(CellX(k), CellY(k), Score::CellWidth, Score::CellHeight);
        c->setPixmap(blank);
        connect(c, &ClickLabel::clicked, this, [this, k] { Q_EMIT cellClicked(k); });
        Cells[size_t(k - 1)] = c;
    }
    const QPixmap& arc = GlyphPixmap(QStringLiteral("NOTE_9004"));
    for (int a = 1; a <= Score::ArcsPerGrid; ++a) {
        auto* l = new ClickLabel(parent);
        l->setObjectName(arcPrefix + QString::number(a));
        l->setScaledContents(true);
        l->setPixmap(arc);
        l->setGeometry(0, 0, arc.isNull() ? 96 : qRound(arc.deviceIndependentSize().width()), Score::CellHeight);
        l->hide();
        connect(l, &ClickLabel::clicked, this, [this, a] { Q_EMIT arcClicked(a); });
        Arcs[size_t(a - 1)] = l;
    }
}

void GlyphGrid::ShowCell(int position, const QString& glyph)
{
    if (position >= 1 && position <= Score::CellsPerPage)
        ShowGlyph(Cells[size_t(position - 1)], glyph);
}

void GlyphGrid::ShowCell(int position, const QString& glyph, Accidental sign)
{
    if (sign == Accidental::None || position < 1 || position > Score::CellsPerPage) {
        ShowCell(position, glyph);
        return;
    }
    const CellSign s = sign == Accidental::Sharp  ? CellSign::Sharp
                       : sign == Accidental::Flat ? CellSign::Flat
                                                  : CellSign::Natural;
    if (const QPixmap& pm = SignedGlyphPixmap(glyph, s); !pm.isNull())
        Cells[size_t(position - 1)]->setPixmap(pm);
    else
        ShowCell(position, glyph);
}

void GlyphGrid::Clear(int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, Score::CellsPerPage);
    for (int k = first; k <= last; ++k)
        ShowGlyph(Cells[size_t(k - 1)], BlankGlyph);
    for (ClickLabel* a : Arcs)
        a->hide();
}

void GlyphGrid::PlaceArc(int arc, int position, int length)
{
    if (arc < 1 || arc > Score::ArcsPerGrid || position < 1 || position > Score::CellsPerPage)
        return;
    ::PlaceArc(Arcs[size_t(arc - 1)], Cells[size_t(position - 1)], length);
}

void GlyphGrid::HideArc(int arc)
{
    if (arc >= 1 && arc <= Score::ArcsPerGrid)
        Arcs[size_t(arc - 1)]->hide();
}

bool GlyphGrid::ArcShown(int arc) const
{
    return arc >= 1 && arc <= Score::ArcsPerGrid && !Arcs[size_t(arc - 1)]->isHidden();
}
