#pragma once
#include <QString>

// Every message box and the file dialog go through here, so core never touches a widget
// and tests can answer them.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    virtual void ShowError(const QString& text) = 0;
    virtual void ShowInfo(const QString& text) = 0;
    virtual bool AskYesNo(const QString& text) = 0;
    // A question with its own title line; a dialog that has no title shows the text alone.
    virtual bool AskYesNo(const QString& text, const QString& /*title*/) { return AskYesNo(text); }
    virtual QString OpenFile(const QString& title, const QString& filter) = 0;
};
