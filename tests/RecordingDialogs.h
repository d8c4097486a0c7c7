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
    QString fileToOpen;
    QString filterAsked;
    QStringList itemsOffered;   // by the last ChooseItem
    int preselected = -1;
    int choice = -2;            // -2: take the preselected item
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
    int ChooseItem(const QString&, const QStringList& items, int pre) override
    {
        itemsOffered = items;
        preselected = pre;
        return choice == -2 ? pre : choice;
    }
    QString fileToSave;
    QString SaveFile(const QString&, const QString& filter, const QString&) override
    {
        filterAsked = filter;
        return fileToSave;
    }
    int messages() const { return int(infos.size() + questions.size() + errors.size()); }
};
