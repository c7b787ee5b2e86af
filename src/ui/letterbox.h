#pragma once
#include <QLineEdit>

// One of the six letter boxes: holds at most one character however it is
// typed, pasted or composed, selects its whole text whenever it gets the
// focus, and is laid out so that a 24-point kanji fits 33 x 33 pixels.
class LetterBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit LetterBox(QWidget *parent = nullptr);

    // The text colour; the disabled look stays the style's.
    void setTextColor(const QColor &color);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void keepOneCharacter();

    bool m_selectOnPress = false;
};
