#include "ui/keys/MainKeys.h"
#include "core/input/KeyMaps.h"
#include "core/sound/NotePlayer.h"
#include "ui/keys/KeyMarks.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/Resources.h"

TImageButton* NewWhiteKey(QWidget* parent, QChar letter, const QRect& geometry, bool stretch)
{
    QString shape = QStringLiteral("dga");
    switch (letter.toLower().toLatin1()) {
    case 'c':
    case 'f':
        shape = QStringLiteral("cf");
        break;
    case 'e':
    case 'b':
        shape = QStringLiteral("eb");
        break;
    default:
        break;
    }
    auto* b = NewImageButton(parent, geometry, ResourceImage(QStringLiteral("pic/key_%1_up.jpg").arg(shape)),
                             ResourceImage(QStringLiteral("pic/key_%1_down.jpg").arg(shape)));
    b->SetStretch(stretch);
    return b;
}

MainKeys::MainKeys(QWidget* window, INoteInput& notes, IDialogs& dialogs) : QObject(window), m_notes(notes)
{
    for (int i = 0; i < int(Notes.size()); ++i) {
        const QString note = QString::fromLatin1(Notes[size_t(i)]);
        TImageButton* b = NewWhiteKey(window, note[0], QRect(10 + 65 * i, 395, 65, 249), false);
        b->setObjectName(QStringLiteral("Img_") + note);
        connect(b, &TImageButton::clicked, this,
                [this, note, &dialogs] { RunGuarded(dialogs, [&] { m_notes.PressNote(note); }); });
        m_keys[size_t(i)] = b;
    }
    // Black keys over the seams after c, d, f, g and a: the whole black key is theirs, the
    // white keys keep what shows below it. At rest the white pictures already draw them.
    const QImage blackDown = ResourceImage(QStringLiteral("pic/key_black_down.png"));
    QImage blackUp(blackDown.size(), QImage::Format_ARGB32_Premultiplied);
    blackUp.setDevicePixelRatio(blackDown.devicePixelRatio());
    blackUp.fill(Qt::transparent);
    static constexpr int BlackAfter[] = {0, 1, 3, 4, 5, 7, 8};   // index of the white key to the left
    for (size_t i = 0; i < Sharps.size(); ++i) {
        const QString note = QString::fromLatin1(Sharps[i]);
        const int seam = 10 + 65 * (BlackAfter[i] + 1);
        TImageButton* b = NewImageButton(
            window, QRect(seam - BlackKeySize.width() / 2, 395, BlackKeySize.width(), BlackKeySize.height()), blackUp,
            blackDown);
        b->setObjectName(QStringLiteral("Img_") + note);
        b->raise();
        connect(b, &TImageButton::clicked, this,
                [this, note, &dialogs] { RunGuarded(dialogs, [&] { m_notes.PressNote(note); }); });
        m_black[i] = b;
    }
    std::vector<KeyMarks::Key> marked;
    for (size_t i = 0; i < Notes.size(); ++i)
        marked.push_back({QString::fromLatin1(Notes[i]), m_keys[i]});
    for (size_t i = 0; i < Sharps.size(); ++i)
        marked.push_back({QString::fromLatin1(Sharps[i]), m_black[i]});
    Marks = new KeyMarks(window, std::move(marked), MainKeyMap(), QRect(14, 400, 26, 26), QRect(630, 400, 26, 26));
}

TImageButton* MainKeys::Key(const QString& note) const
{
    for (size_t i = 0; i < Notes.size(); ++i)
        if (note == QLatin1String(Notes[i]))
            return m_keys[i];
    for (size_t i = 0; i < Sharps.size(); ++i)
        if (note == QLatin1String(Sharps[i]))
            return m_black[i];
    return nullptr;
}

void MainKeys::MainKeyDown(int vk, Qt::KeyboardModifiers modifiers)
{
    QString note;
    if (const KeyRow* r = MatchKey(MainKeyMap(), vk, modifiers)) {
        note = QString::fromLatin1(r->note);
        // A repeat with Shift let go in between lets the first note up.
        if (const QString before = m_held.value(vk); !before.isEmpty() && before != note)
            MainKeyUp(vk);
        m_held.insert(vk, note);
        // The pressed look comes before the sound, so a failed open leaves it to key-up.
        // Shift+I plays f2, which has no key here.
        if (TImageButton* key = Key(note))
            key->ShowDown();
    }
    m_notes.PressNote(note);
}

void MainKeys::MainKeyUp(int vk)
{
    QString note = m_held.take(vk);
    if (note.isEmpty()) {
        // Pressed while the other keyboard had the keys: its plain note goes up.
        const KeyRow* r = FindKey(MainKeyMap(), vk);
        if (!r)
            return;
        note = QString::fromLatin1(r->note);
    }
    if (TImageButton* key = Key(note))
        key->ShowUp();
    m_notes.ReleaseNote(note);
}
