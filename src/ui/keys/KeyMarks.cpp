#include "ui/keys/KeyMarks.h"
#include "core/sound/Voices.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Styles.h"
#include <QLabel>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int FlashMs = 300;
} // namespace

// Over a key, under the mouse: a soft fill and the letter near the key's foot.
class KeyCapView : public QWidget {
public:
    KeyCapView(TImageButton* key, bool black) : QWidget(key), m_black(black)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(key->rect());
        show();
    }
    QColor fill;   // transparent: none
    QString letter;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (fill.alpha() > 0) {
            p.setPen(Qt::NoPen);
            // On a black key the light shows stronger, or it would hardly read.
            QColor c = fill;
            if (m_black)
                c.setAlpha(std::min(255, c.alpha() * 2));
            p.setBrush(c);
            p.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 5, 5);
        }
        if (!letter.isEmpty()) {
            p.setFont(PixelFont(QStringLiteral("Tahoma"), m_black ? 14 : 18));
            p.setPen(m_black ? QColor(240, 225, 190) : QColor(90, 60, 30));
            p.drawText(QRect(0, height() - (m_black ? 34 : 40), width(), 30), Qt::AlignCenter, letter);
        }
    }

private:
    bool m_black;
};

KeyMarks::KeyMarks(QWidget* keyboard, std::vector<Key> keys, std::span<const KeyRow> map, const QRect& low,
                   const QRect& high)
    : QObject(keyboard), m_keys(std::move(keys)), m_low(low), m_high(high)
{
    for (const Key& k : m_keys) {
        m_caps.push_back(new KeyCapView(k.button, k.note.contains(QLatin1Char('#'))));
        m_letterOf.push_back(KeyCapOfNote(map, k.note));
    }
    Hint = new QLabel(keyboard);
    Hint->setObjectName(QStringLiteral("KeyHint"));
    Hint->setTextFormat(Qt::PlainText);
    Hint->setAlignment(Qt::AlignCenter);
    Hint->setFont(PixelFont(QStringLiteral("Tahoma"), 20));
    Hint->hide();   // styled when first shown: a style sheet at start would cost the first paint
    m_flash.setSingleShot(true);
    connect(&m_flash, &QTimer::timeout, this, [this] {
        m_wrong.clear();
        Refresh();
    });
}

int KeyMarks::IndexOf(const QString& note) const
{
    for (size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i].note == note)
            return int(i);
    return -1;
}

void KeyMarks::SetLetters(bool on)
{
    m_letters = on;
    Refresh();
}

void KeyMarks::Await(const QString& note)
{
    if (!m_awaited.isEmpty() && IndexOf(m_awaited) < 0)
        ShowHint(m_awaited, false);
    m_awaited = note;
    if (!note.isEmpty() && IndexOf(note) < 0)
        ShowHint(note, true);
    Refresh();
}

void KeyMarks::Wrong(const QString& note)
{
    if (IndexOf(note) < 0)
        return;
    m_wrong = note;
    m_flash.start(FlashMs);
    Refresh();
}

bool KeyMarks::IsWrong(const QString& note) const
{
    return !note.isEmpty() && note == m_wrong;
}

void KeyMarks::Demo(const QString& note, bool down)
{
    const int i = IndexOf(note);
    if (i < 0) {
        ShowHint(note, down);
        return;
    }
    if (down)
        m_keys[size_t(i)].button->ShowDown();
    else
        m_keys[size_t(i)].button->ShowUp();
}

void KeyMarks::ShowHint(const QString& note, bool on)
{
    if (!on) {
        if (note == m_hinted)
            Hint->hide();
        return;
    }
    const int slot = NoteSlot(note);
    if (slot < 0 || m_keys.empty())
        return;
    const bool below = slot < NoteSlot(m_keys.front().note);
    if (Hint->styleSheet().isEmpty())
        Hint->setStyleSheet(QStringLiteral("color: white; background: rgba(200,110,20,200); border-radius: 4px;"));
    Hint->setText(below ? QStringLiteral("↓") : QStringLiteral("↑"));
    Hint->setToolTip(below ? QStringLiteral("要弹的音比这排琴键低。点击曲谱下方最左边的键盘按钮，"
                                            "打开宽键盘就能弹到。")
                           : QStringLiteral("要弹的音比这排琴键高。点击曲谱下方最左边的键盘按钮，"
                                            "打开宽键盘就能弹到。"));
    Hint->setGeometry(below ? m_low : m_high);
    Hint->raise();
    Hint->show();
    m_hinted = note;
}

QString KeyMarks::Letter(const QString& note) const
{
    const int i = IndexOf(note);
    return i < 0 ? QString() : m_caps[size_t(i)]->letter;
}

void KeyMarks::Refresh()
{
    for (size_t i = 0; i < m_keys.size(); ++i) {
        const QString& note = m_keys[i].note;
        const bool awaited = note == m_awaited;
        KeyCapView* cap = m_caps[i];
        const QColor fill = IsWrong(note) ? QColor(220, 30, 30, 110)
                            : awaited     ? QColor(230, 160, 40, 90)
                                          : QColor(0, 0, 0, 0);
        const QString letter = m_letters || awaited ? m_letterOf[i] : QString();
        // A cap that looks the same is not painted again (start-up sets the letters as they are).
        if (fill == cap->fill && letter == cap->letter)
            continue;
        cap->fill = fill;
        cap->letter = letter;
        cap->update();
    }
}
