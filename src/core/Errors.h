#pragma once
#include <QString>
#include <exception>

// Every failure the user should see is thrown as a TavoError and shown in one
// message box where Qt called our code (the guard of the ui).
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
