#include "core/Dialogs.h"
#include "core/Errors.h"
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdio>

namespace {
class BoxDialogs final : public IDialogs {
public:
    void ShowError(const QString& text) override {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(), text);
    }
    void ShowInfo(const QString& text) override {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes);
    }
    bool AskYesNo(const QString& text) override {
        return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationDisplayName(), text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    QString OpenFile(const QString& title, const QString& filter) override {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QString(), filter);
    }
};

BoxDialogs g_boxes;
IDialogs* g_current = &g_boxes;
}

IDialogs& Dialogs() { return *g_current; }
void SetDialogs(IDialogs* dialogs) { g_current = dialogs ? dialogs : &g_boxes; }

void ReportCurrentException()
{
    try {
        throw;
    } catch (const TavoError& e) {
        Dialogs().ShowError(e.text());
    } catch (const std::exception& e) {
        Dialogs().ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        Dialogs().ShowError(QStringLiteral("Unknown error"));
    }
}

bool RunGuarded(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}
