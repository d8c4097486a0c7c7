#pragma once
#include <QString>
#include <exception>
#include <functional>

// Every failure the user should see is thrown as a TavoError and shown in one
// message box at the event boundary (TavoApplication::notify or RunGuarded).
class TavoError : public std::exception {
public:
    explicit TavoError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }
private:
    QString m_text;
    QByteArray m_utf8;
};

[[noreturn]] inline void Raise(const QString& text) { throw TavoError(text); }

// Runs fn; an error ends it and is shown in the message box. Returns false on error.
bool RunGuarded(const std::function<void()>& fn);
// Shows the text of the exception being handled (call from a catch block).
void ReportCurrentException();
