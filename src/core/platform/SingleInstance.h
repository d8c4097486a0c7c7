#pragma once
#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QLocalServer;

// One running piano per user. The first start holds a lock file in the user's private
// temporary folder and listens beside it; a later start asks the first to come to the front
// and ends. A lock left by a crashed copy does not block.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,     // this process runs the piano
        Second,    // another copy runs and was asked to come forward: end at once
        Failed,    // the lock could not be taken for another reason: show message(), end non-zero
    };

    // privateDir: the user's private temporary folder, ending with "/".
    explicit SingleInstance(const QString& privateDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    Role Claim();
    Role role() const { return m_role; }
    // For Failed: names the lock file and the reason, in Chinese.
    QString message() const { return m_message; }
    QString lockFile() const { return m_lockPath; }

Q_SIGNALS:
    // A later start asked this one to show its window.
    void activationRequested();

private:
    bool AskFirstToComeForward() const;
    void Listen();
    QString FailureReason() const;

    QString m_lockPath;
    QString m_serverPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    Role m_role = Role::Failed;
    QString m_message;
};
