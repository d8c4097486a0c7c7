#pragma once
// A dialogs stand-in without widgets: records every message box and answers questions
// from a queue (Yes when empty).
#include "core/Dialogs.h"
#include <QStringList>
#include <deque>

class RecordingDialogs : public IDialogs {
public:
    QStringList errors, infos, questions, questionTitles;
    std::deque<bool> answers;
    QString fileToOpen, fileToSave;
    int itemToChoose = 0;
    QString filterAsked;
    void ShowError(const QString& t) override { errors << t; }
    void ShowInfo(const QString& t) override { infos << t; }
    bool AskYesNo(const QString& t) override
    {
        questions << t;
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool AskYesNo(const QString& t, const QString& title) override
    {
        questionTitles << title;
        return AskYesNo(t);
    }
    QString OpenFile(const QString&, const QString& filter) override
    {
        filterAsked = filter;
        return fileToOpen;
    }
    QString SaveFile(const QString&, const QString&, const QString&) override { return fileToSave; }
    int ChooseItem(const QString&, const QStringList&, int) override { return itemToChoose; }
    int messages() const { return int(infos.size() + questions.size() + errors.size()); }
};
