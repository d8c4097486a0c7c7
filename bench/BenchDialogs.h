#pragma once
// Benchmarks ask nobody: errors and notices go to stderr, questions are answered no.
#include "core/Dialogs.h"
#include <cstdio>

class BenchDialogs final : public IDialogs {
public:
    void ShowError(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void ShowInfo(const QString& text) override { std::fprintf(stderr, "info: %s\n", qPrintable(text)); }
    bool AskYesNo(const QString& text) override
    {
        std::fprintf(stderr, "question (answered no): %s\n", qPrintable(text));
        return false;
    }
    QString OpenFile(const QString&, const QString&) override { return {}; }
    bool AskYesNo(const QString& t, const QString&) override { return AskYesNo(t); }
    int ChooseItem(const QString&, const QStringList&, int pre) override { return pre; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
};
