#include "ui/letterbox.h"
#include "search/letters.h"
#include "ui/formsteps.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QValidator>
#include <QWindow>
#include <algorithm>

namespace {

// Refuses every edit that would leave a character other than a letter in
// the box: the line edit then undoes it, so the box keeps what it had,
// however the edit came.
class LetterValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        return std::all_of(input.cbegin(), input.cend(), isPuzzleLetter) ? Acceptable : Invalid;
    }
};

// The reading of the last composition given up. IBus commits such a
// reading all the same a moment later, or at the next focus change, to
// whichever widget has the focus by then; shared, since that may be another box.
QString &abandonedReading()
{
    static QString reading;
    return reading;
}

// The arrow Alt with this arrow key sets; none for any other key.
std::optional<Arrow> arrowForKey(const QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier)
        return std::nullopt;
    switch (event->key()) {
    case Qt::Key_Right:
        return Arrow::LetterFirst;
    case Qt::Key_Left:
        return Arrow::AnswerFirst;
    case Qt::Key_Down:
        return Arrow::None;
    default:
        return std::nullopt;
    }
}

// Green: apart from the arrows' red and the selection's blue.
const QColor kPadTargetColor(0x1A, 0x8A, 0x3A);
// A letter read from a picture: pale yellow; a doubtful one: orange, framed.
const QColor kPictureColor(0xFF, 0xF4, 0xC0);
const QColor kDoubtfulColor(0xFF, 0xCC, 0x99);
const QColor kDoubtfulFrameColor(0xD9, 0x5F, 0x00);

} // namespace

bool holdsPictureOnly(const QMimeData *mime)
{
    return mime && mime->hasImage() && mime->text().trimmed().isEmpty();
}

LetterBox::LetterBox(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(1);
    setValidator(new LetterValidator(this));
    setAlignment(Qt::AlignCenter);
    // No style frame and no inner margins: a 24-point glyph is 32 pixels
    // wide and the box 33, so only a one-pixel rule of our own fits.
    setFrame(false);
    setTextMargins(-2, 0, -2, 0);
    // White, as an unmarked box always is.
    updateMarks();
    connect(this, &QLineEdit::textChanged, this, &LetterBox::keepOneCharacter);
    // Checked by the player: the picture's mark has done its work.
    connect(this, &QLineEdit::textEdited, this, [this] { setPictureMark(PictureMark::None); });
}

void LetterBox::setTextColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::Text, color);
    pal.setColor(QPalette::Inactive, QPalette::Text, color);
    setPalette(pal);
}

void LetterBox::setArrow(Arrow arrow)
{
    if (arrow == m_arrow)
        return;
    m_arrow = arrow;
    emit arrowChanged(arrow);
}

void LetterBox::setPadTarget(bool target)
{
    if (target == m_padTarget)
        return;
    m_padTarget = target;
    updateMarks();
}

void LetterBox::setPictureMark(PictureMark mark)
{
    if (mark == m_pictureMark)
        return;
    m_pictureMark = mark;
    updateMarks();
}

void LetterBox::updateMarks()
{
    QStringList tips;
    if (m_padTarget)
        tips.append(QStringLiteral(u"漢字パッドで選んだ漢字は、この文字欄に入ります。"));
    if (m_pictureMark == PictureMark::Read)
        tips.append(QStringLiteral(u"画像から読み取った文字です。"));
    else if (m_pictureMark == PictureMark::Doubtful)
        tips.append(QStringLiteral(u"画像から確かに読み取れなかった文字です。確かめてください。"));
    setToolTip(tips.join(u'\n'));
    QPalette pal = palette();
    const QColor base = m_pictureMark == PictureMark::Doubtful ? kDoubtfulColor
                        : m_pictureMark == PictureMark::Read   ? kPictureColor
                                                               : QColor(Qt::white);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::Base, base);
    setPalette(pal);
    update();
}

void LetterBox::enterText(const QString &text, bool wholePuzzle)
{
    const QString kept = puzzleLetters(text);
    if (kept.isEmpty())
        return;
    putLetter(kept[0], true);
    if (kept.size() > 1)
        emit lettersEntered(kept, wholePuzzle);
}

void LetterBox::putLetter(QChar letter, bool asEdit)
{
    const QString wanted = letter.isNull() ? QString() : QString(letter);
    if (!asEdit) {
        setText(wanted);
    } else if (wanted.isEmpty()) {
        // clear() is an edit of the line edit's own, unlike setText().
        clear();
    } else {
        // Through the line edit's own insert, so that Ctrl+Z takes it back.
        selectAll();
        insert(wanted);
    }
}

bool LetterBox::eventFilter(QObject *watched, QEvent *event)
{
    // Watched only while composing, and before the window hands the event
    // on: a click elsewhere, or the window about to lose the focus (a click
    // outside it), gives the reading up. Left alone, Qt would have the input
    // method commit the bare reading as the focus moves.
    bool givenUp = false;
    if (event->type() == QEvent::MouseButtonPress) {
        const QPoint at = mapFromGlobal(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        givenUp = !rect().contains(at);
    } else if (event->type() == QEvent::FocusAboutToChange) {
        givenUp = watched == window()->windowHandle();
    }
    if (givenUp) {
        QGuiApplication::inputMethod()->reset();
        endComposition();
    }
    return QLineEdit::eventFilter(watched, event);
}

void LetterBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    selectAll();
    // A click puts the cursor where it lands after the focus arrives;
    // select again once the press has been handled.
    m_selectOnPress = event->reason() == Qt::MouseFocusReason;
}

void LetterBox::focusOutEvent(QFocusEvent *event)
{
    // The input method left without committing: its reading never reached the box.
    if (m_composing)
        endComposition();
    QLineEdit::focusOutEvent(event);
}

void LetterBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        atEdge([this] { pasteFrom(QClipboard::Clipboard); });
        event->accept();
        return;
    }
    // The Menu key opens the box's menu through Qt already; Shift+F10 is
    // the other key a desktop user reaches for.
    if (event->key() == Qt::Key_F10 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
        const QPoint at = cursorRect().center();
        QContextMenuEvent open(QContextMenuEvent::Keyboard, at, mapToGlobal(at));
        contextMenuEvent(&open);
        event->accept();
        return;
    }
    if (const std::optional<Arrow> arrow = arrowForKey(event)) {
        setArrow(*arrow);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LetterBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_selectOnPress) {
        m_selectOnPress = false;
        selectAll();
    }
}

void LetterBox::mouseReleaseEvent(QMouseEvent *event)
{
    // X11's middle-button paste of the selection.
    if (event->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
        atEdge([this] { pasteFrom(QClipboard::Selection); });
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void LetterBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    // Qt's Paste inserts the clipboard as one run; ours spreads it. The
    // action is known by the text Qt gives it, in the language it shows.
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction *action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) == pasteText) {
            action->disconnect(this);
            connect(action, &QAction::triggered, this,
                    [this] { atEdge([this] { pasteFrom(QClipboard::Clipboard); }); });
        }
    }
    menu->addSeparator();
    auto *arrows = new QActionGroup(menu);
    static const struct {
        Arrow arrow;
        const char16_t *text;
    } choices[] = {
        {Arrow::None, u"矢印なし(&N)\tAlt+↓"},
        {Arrow::LetterFirst, u"文字が前（文字→答え）(&L)\tAlt+→"},
        {Arrow::AnswerFirst, u"答えが前（答え→文字）(&A)\tAlt+←"},
    };
    for (const auto &choice : choices) {
        QAction *action = menu->addAction(QString::fromUtf16(choice.text));
        action->setCheckable(true);
        action->setChecked(choice.arrow == m_arrow);
        action->setActionGroup(arrows);
        connect(action, &QAction::triggered, this, [this, arrow = choice.arrow] { atEdge([&] { setArrow(arrow); }); });
    }
    menu->addActions(actions());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void LetterBox::inputMethodEvent(QInputMethodEvent *event)
{
    if (!m_composing && !event->preeditString().isEmpty()) {
        m_composing = true;
        m_beforeComposition = text();
        abandonedReading().clear();
        qApp->installEventFilter(this);
    }
    if (m_composing && !event->preeditString().isEmpty())
        m_reading = event->preeditString();
    QString commit = event->commitString();
    if (!m_composing && !commit.isEmpty() && commit == abandonedReading()) {
        abandonedReading().clear();
        commit.clear();
    }
    const QString kept = puzzleLetters(commit);
    if (kept == event->commitString() && kept.size() <= 1) {
        QLineEdit::inputMethodEvent(event);
    } else {
        // A full-width space from Space, a character no box can hold, or a
        // converted word such as 露出 for several boxes: the line edit gets
        // the event without its commit, then the letters go in one per box.
        QInputMethodEvent rest(event->preeditString(), event->attributes());
        if (kept.size() == 1)
            rest.setCommitString(kept, event->replacementStart(), event->replacementLength());
        QLineEdit::inputMethodEvent(&rest);
        if (kept.size() > 1)
            enterText(kept);
    }
    if (m_composing && event->preeditString().isEmpty()) {
        m_composing = false;
        qApp->removeEventFilter(this);
        if (kept.isEmpty()) {
            // Given up (Esc, an erased reading, a click, the focus gone): the
            // kanji the composition covered comes back. IBus may still hold
            // the hidden reading and hand it over at the next focus change.
            abandonedReading() = m_reading;
            if (text().isEmpty())
                setText(m_beforeComposition);
        }
        // The box holds one character: the next word replaces it.
        selectAll();
    }
}

void LetterBox::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter p(this);
    if (m_padTarget || m_pictureMark == PictureMark::Doubtful) {
        // Two pixels instead of the plain rule: seen at a glance, and clear
        // of a 24-point kanji's ink.
        p.setPen(QPen(m_padTarget ? kPadTargetColor : kDoubtfulFrameColor, 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        return;
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LetterBox::pasteFrom(QClipboard::Mode mode)
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData(mode);
    if (mode == QClipboard::Clipboard && holdsPictureOnly(mime)) {
        emit pictureOffered();
        return;
    }
    enterText(QGuiApplication::clipboard()->text(mode), true);
}

void LetterBox::dragEnterEvent(QDragEnterEvent *event)
{
    // A picture or a file dropped on a box is the window's, which reads it.
    if (event->mimeData()->hasImage() || event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void LetterBox::endComposition()
{
    QInputMethodEvent end;
    inputMethodEvent(&end);
}

void LetterBox::keepOneCharacter()
{
    atEdge([this] {
        const QString t = text();
        // Text set by code gets the same rule as typed text, but empties the box.
        if (!t.isEmpty() && !isPuzzleLetter(t[0]))
            clear();
        else if (t.size() > 1)
            setText(t.left(1));
    });
}
