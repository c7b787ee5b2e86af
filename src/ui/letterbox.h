#pragma once
#include "search/arrows.h"

#include <QClipboard>
#include <QLineEdit>

// One of the six letter boxes: holds at most one character however it is
// typed, pasted or composed, selects its whole text whenever it gets the
// focus, and is laid out so that a 24-point kanji fits 33 x 33 pixels.
// Only letters by puzzleLetters' rule get in (no whitespace, punctuation,
// symbols, invisible marks or characters beyond one UTF-16 unit): input made
// only of others leaves the box as it was. The box also carries its arrow,
// set with Alt+arrow keys or from its context menu, which also lists the
// widget's own actions (the window's "clear every arrow").
class QMimeData;

// Whether a clipboard holds a picture to read rather than a text to paste:
// a text pastes as text even when a picture comes with it.
bool holdsPictureOnly(const QMimeData *mime);

class LetterBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit LetterBox(QWidget *parent = nullptr);

    // The text colour; the disabled look stays the style's.
    void setTextColor(const QColor &color);

    // Text entered as a whole: its first letter replaces the box's content;
    // when more follow, all of them go out through lettersEntered() for the
    // window to place. Text without a letter changes nothing.
    void enterText(const QString &text, bool wholePuzzle = false);

    // The box's letter as part of a whole puzzle (QChar() empties it). As an
    // edit, Ctrl+Z in the box takes it back; otherwise it is set outright.
    void putLetter(QChar letter, bool asEdit);

    // Which way the word this letter makes with the answer reads; kept
    // apart from the text, so that typing a new letter keeps it.
    Arrow arrow() const { return m_arrow; }
    void setArrow(Arrow arrow);

    // Marks the box the kanji pad's next choice goes into.
    void setPadTarget(bool target);
    bool isPadTarget() const { return m_padTarget; }

    // A letter read from a picture, for the player to check; a doubtful one
    // (or an unreadable cell, left empty) is marked more strongly. Any edit
    // of the box takes the mark off.
    enum class PictureMark { None, Read, Doubtful };
    void setPictureMark(PictureMark mark);
    PictureMark pictureMark() const { return m_pictureMark; }

signals:
    // A text of several letters entered here, its first already in this
    // box: the rest belong in the boxes after it. A paste is the whole
    // puzzle from this box on; a converted word keeps the boxes after it.
    void lettersEntered(const QString &letters, bool wholePuzzle);
    void arrowChanged(Arrow arrow);
    // Ctrl+V with a picture on the clipboard: the window reads the puzzle in it.
    void pictureOffered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void pasteFrom(QClipboard::Mode mode);
    // Gives up the composition in progress, as Esc would.
    void endComposition();
    void keepOneCharacter();
    void updateMarks();

    Arrow m_arrow = Arrow::None;
    bool m_padTarget = false;
    PictureMark m_pictureMark = PictureMark::None;
    bool m_selectOnPress = false;
    // The text a composition in progress took the place of, for when it ends with nothing.
    bool m_composing = false;
    QString m_beforeComposition;
    QString m_reading;
};
