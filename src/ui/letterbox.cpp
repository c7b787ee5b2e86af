#include "ui/letterbox.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPainter>

LetterBox::LetterBox(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(1);
    setAlignment(Qt::AlignCenter);
    // No style frame and no inner margins: a 24-point glyph is 32 pixels
    // wide and the box 33, so only a one-pixel rule of our own fits.
    setFrame(false);
    setTextMargins(-2, 0, -2, 0);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, Qt::white);
    setPalette(pal);
    connect(this, &QLineEdit::textChanged, this, &LetterBox::keepOneCharacter);
}

void LetterBox::setTextColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::Text, color);
    pal.setColor(QPalette::Inactive, QPalette::Text, color);
    setPalette(pal);
}

void LetterBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
    // A click puts the cursor where it lands after the focus arrives;
    // select again once the press has been handled.
    m_selectOnPress = event->reason() == Qt::MouseFocusReason;
}

void LetterBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_selectOnPress) {
        m_selectOnPress = false;
        selectAll();
    }
}

void LetterBox::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    if (commit.size() <= 1 || (commit.size() == 2 && commit[0].isHighSurrogate())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // A composed word: only its first character goes in, in place of the selection.
    QInputMethodEvent first(event->preeditString(), event->attributes());
    first.setCommitString(commit.left(1), event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&first);
}

void LetterBox::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LetterBox::keepOneCharacter()
{
    const QString t = text();
    // Half of a surrogate pair is no character: a box holds one UTF-16 unit,
    // so a character beyond it cannot stay.
    if (!t.isEmpty() && t[0].isSurrogate())
        clear();
    else if (t.size() > 1)
        setText(t.left(1));
}
