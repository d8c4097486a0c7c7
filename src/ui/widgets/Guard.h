#pragma once
// Where Qt calls our code: every handler runs through the guard, so an error is shown in
// a message box and never unwinds through a Qt frame.
#include "core/Dialogs.h"
#include <QObject>
#include <functional>

// Runs fn; an error ends it and is shown through dialogs. Returns false on error.
bool RunGuarded(IDialogs& dialogs, const std::function<void()>& fn);

// Connects a signal to a handler of receiver, each call run through the guard.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection GuardedConnect(IDialogs& dialogs, Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler)
{
    return QObject::connect(sender, signal, receiver, [&dialogs, receiver, handler] {
        RunGuarded(dialogs, [&] { std::invoke(handler, receiver); });
    });
}

// The message boxes and the file dialog of the real program.
class QtDialogs final : public IDialogs {
public:
    void ShowError(const QString& text) override;
    void ShowInfo(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    bool AskYesNo(const QString& text, const QString& title) override;
    QString OpenFile(const QString& title, const QString& filter) override;
    int ChooseItem(const QString& title, const QStringList& items, int preselected) override;
    QString SaveFile(const QString& title, const QString& filter, const QString& suggested) override;

private:
    QString m_lastFolder;   // the file dialog opens where the last file was picked
};
