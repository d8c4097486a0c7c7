#pragma once
// Benchmarks ask nobody: errors go to stderr, questions are answered for them.
#include "core/Dialogs.h"
#include <cstdio>

// Notices go to stderr too; questions are answered no.
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

// For what a benchmark saves or imports: questions are answered yes and the file asked for
// is `file`; notices are dropped.
class YesDialogs final : public IDialogs {
public:
    QString file;
    void ShowError(const QString& text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void ShowInfo(const QString&) override {}
    bool AskYesNo(const QString&) override { return true; }
    QString OpenFile(const QString&, const QString&) override { return file; }
    bool AskYesNo(const QString& t, const QString&) override { return AskYesNo(t); }
    int ChooseItem(const QString&, const QStringList&, int pre) override { return pre; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
};
