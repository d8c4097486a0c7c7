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
    std::vector<KeyMarks::Key> marked;
    for (size_t i = 0; i < Notes.size(); ++i)
        marked.push_back({QString::fromLatin1(Notes[i]), m_keys[i]});
    Marks = new KeyMarks(window, std::move(marked), MainKeyMap(), QRect(14, 400, 26, 26), QRect(630, 400, 26, 26));
}

TImageButton* MainKeys::Key(const QString& note) const
{
    for (size_t i = 0; i < Notes.size(); ++i)
        if (note == QLatin1String(Notes[i]))
            return m_keys[i];
    return nullptr;
}

void MainKeys::MainKeyDown(int vk)
{
    QString note;
    if (const KeyRow* r = FindKey(MainKeyMap(), vk)) {
        note = QString::fromLatin1(r->note);
        // The pressed look comes before the sound, so a failed open leaves it to key-up.
        Key(note)->ShowDown();
    }
    m_notes.PressNote(note);
}

void MainKeys::MainKeyUp(int vk)
{
    if (const KeyRow* r = FindKey(MainKeyMap(), vk)) {
        const QString note = QString::fromLatin1(r->note);
        Key(note)->ShowUp();
        m_notes.ReleaseNote(note);
    }
}
