#pragma once
// The 文本 window of the entry panel: the song as numbered-notation text in a plain box,
// a live line saying what the text holds or where it first goes wrong, 确定 and 取消.
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

// A text box that refuses a paste or a drop that would make its text or one of its lines
// too long, before the text reaches the document, so a huge paste never freezes the window
// (the box does not wrap, and lays a long line out again at every blink of the caret).
class BoundedTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    BoundedTextBox(qsizetype limit, qsizetype lineLimit, QWidget* parent);
Q_SIGNALS:
    void refused(const QString& why);
protected:
    void insertFromMimeData(const QMimeData* source) override;
private:
    qsizetype m_limit;
    qsizetype m_lineLimit;
};

class TextWindow : public QWidget {
    Q_OBJECT
public:
    explicit TextWindow(QWidget* parent);

    BoundedTextBox* TextBox = nullptr;
    QLabel* StatusLine = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // What the status line says about a text.
    std::function<QString(const QString&)> Check;
    // 确定: takes the text; returns an empty string when it was taken, else why not.
    std::function<QString(const QString&)> Accept;

    // Shows the window over its panel with the text, the caret in the box.
    void Open(const QString& text);
    // Reads the text again now (the line is otherwise refreshed shortly after typing stops).
    void RefreshStatus();
    void OkClick();
    void CancelClick();

private:
    QTimer* m_recheck = nullptr;
};
