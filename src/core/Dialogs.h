#pragma once
#include <QString>
#include <QStringList>

// Every message box and the file dialog go through here, so core never touches a widget
// and tests can answer them.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual void ShowError(const QString& text) = 0;
    virtual void ShowInfo(const QString& text) = 0;
    virtual bool AskYesNo(const QString& text) = 0;
    // A question with its own title line; a dialog that has no title shows the text alone.
    virtual bool AskYesNo(const QString& text, const QString& title) = 0;
    virtual QString OpenFile(const QString& title, const QString& filter) = 0;
    // Picks one of the items (shown as plain text); -1 when the user cancels.
    virtual int ChooseItem(const QString& title, const QStringList& items, int preselected) = 0;
    // Where to write a file; empty when the user cancels.
    virtual QString SaveFile(const QString& title, const QString& filter, const QString& suggested) = 0;
};
