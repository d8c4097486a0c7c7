#include "ui/widgets/Guard.h"
#include "core/Errors.h"
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStandardPaths>

namespace {
// Messages quote titles and file names, which are never markup.
bool RunBox(QMessageBox::Icon icon, const QString& title, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("确定"));
    return box.exec() == QMessageBox::Yes;
}
}

void QtDialogs::ShowError(const QString& text)
{
    RunBox(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

// A notice only informs: its one button is 确定, whether or not Qt's words are translated.
void QtDialogs::ShowInfo(const QString& text)
{
    RunBox(QMessageBox::Information, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
}

// The untitled questions (save, delete) are information boxes with Yes and No.
bool QtDialogs::AskYesNo(const QString& text)
{
    return RunBox(QMessageBox::Information, QApplication::applicationDisplayName(), text,
                  QMessageBox::Yes | QMessageBox::No);
}

bool QtDialogs::AskYesNo(const QString& text, const QString& title)
{
    return RunBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No);
}

// Exchange files are written to the desktop, so a first pick starts there.
QString QtDialogs::OpenFile(const QString& title, const QString& filter)
{
    const QString start =
        m_lastFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) : m_lastFolder;
    const QString file = QFileDialog::getOpenFileName(QApplication::activeWindow(), title, start, filter);
    if (!file.isEmpty())
        m_lastFolder = QFileInfo(file).absolutePath();
    return file;
}

int QtDialogs::ChooseItem(const QString& title, const QStringList& items, int preselected)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QApplication::applicationDisplayName());
    dialog.setLabelText(title);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (!items.isEmpty())
        dialog.setTextValue(items.at(qBound(0, preselected, int(items.size()) - 1)));
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return int(items.indexOf(dialog.textValue()));
}

QString QtDialogs::SaveFile(const QString& title, const QString& filter, const QString& suggested)
{
    const QString file = QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggested, filter);
    if (!file.isEmpty())
        m_lastFolder = QFileInfo(file).absolutePath();
    return file;
}

bool RunGuarded(IDialogs& dialogs, const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const TavoError& e) {
        dialogs.ShowError(e.text());
    } catch (const std::exception& e) {
        dialogs.ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        dialogs.ShowError(QStringLiteral("未知错误"));
    }
    return false;
}
