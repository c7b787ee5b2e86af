// frmMain's one way in for a whole puzzle, and the ways in that use it here:
// several letters entered in one box, start-up's letters of the latest
// search, Edit > 文字を消去 and 矢印をすべて消す. The history's 読み込み and
// the kanji pad's choice call it from their own files. Also the box the
// pad's next kanji goes into, which follows the focus.
#include "ui/frmmain.h"
#include "settings/basparam.h"
#include "ui/formsteps.h"
#include "ui/letterbox.h"

#include <QLabel>
#include <QTreeWidget>
#include <algorithm>

using namespace Qt::StringLiterals;

Puzzle frmMain::currentPuzzle() const
{
    Puzzle puzzle;
    for (int i = 0; i < kLetterBoxCount; ++i) {
        const QString text = txtLetter[i]->text();
        puzzle.letters[i] = text.isEmpty() ? QChar() : text[0];
        puzzle.arrows[i] = txtLetter[i]->arrow();
    }
    return puzzle;
}

void frmMain::putPuzzle(const Puzzle &puzzle, const PuzzleEntry &entry)
{
    for (int i = 0; i < kLetterBoxCount; ++i) {
        LetterBox *box = txtLetter[i];
        const QChar letter = puzzle.letters[i];
        // An edit only where the letter changes, so that Ctrl+Z in an
        // untouched box does not take back nothing.
        const bool same = letter.isNull() ? box->text().isEmpty() : box->text() == QString(letter);
        if (!entry.asEdits || !same)
            box->putLetter(letter, entry.asEdits);
        box->setArrow(puzzle.arrows[i]);
        // After the letters, whose edits take a mark off.
        if (entry.fromPicture)
            box->setPictureMark(puzzle.doubtful[i] ? LetterBox::PictureMark::Doubtful
                                : letter.isNull()  ? LetterBox::PictureMark::None
                                                   : LetterBox::PictureMark::Read);
    }
    if (entry.clearsResult) {
        if (!entry.fromPicture)
            clearPictureMarks();
        lblAnswer->clear();
        lsvCandidate->clear();
    }
    if (entry.focusBox < 0)
        return;
    LetterBox *target = txtLetter[entry.focusBox];
    // The box the focus goes to is the pad's next one too, even when this
    // window is inactive and its box gets no focus event (a key pressed in the pad).
    if (entry.focusFromBox < 0) {
        if (target->isEnabled()) {
            target->setFocus(entry.focusReason);
            setPadBox(entry.focusBox);
        }
        return;
    }
    LetterBox *from = txtLetter[entry.focusFromBox];
    if (!from->hasFocus())
        return;
    // Not from inside the input method's commit: a focus change asks it to
    // commit, and IBus would send the same word again.
    QMetaObject::invokeMethod(target, [this, from, target, box = entry.focusBox, reason = entry.focusReason] {
        atEdge([&] {
            if (from->hasFocus()) {
                target->setFocus(reason);
                setPadBox(box);
            }
        });
    }, Qt::QueuedConnection);
}

// A paste or a converted word in box `box`: its letters go on into the boxes
// after it, one each; a paste is the whole puzzle from this box on and
// leaves no old letter after its last. The focus then waits after the last letter.
void frmMain::placeEnteredLetters(int box, const QString &letters, bool wholePuzzle)
{
    Puzzle puzzle = currentPuzzle();
    for (int k = box; k < kLetterBoxCount; ++k) {
        const qsizetype at = k - box;
        if (at < letters.size())
            puzzle.letters[k] = letters[at];
        else if (wholePuzzle)
            puzzle.letters[k] = QChar();
    }
    const int last = int(std::min<qsizetype>(box + letters.size(), kLetterBoxCount - 1));
    putPuzzle(puzzle, {.asEdits = true, .focusBox = last, .focusFromBox = box});
}

// Start-up: the letters of the latest search, one per box; the boxes after
// them keep their own, and characters after the sixth find no box.
void frmMain::restoreLatestLetters()
{
    const QString letters = toText(basParam::GetParam(m_settings, u"HistString"_s, 1));
    Puzzle puzzle = currentPuzzle();
    for (int i = 0; i < letters.size() && i < kLetterBoxCount; ++i)
        puzzle.letters[i] = letters[i];
    putPuzzle(puzzle, {});
}

void frmMain::onEditClearArrows() noexcept
{
    atEdge([this] {
        Puzzle puzzle = currentPuzzle();
        puzzle.arrows.fill(Arrow::None);
        putPuzzle(puzzle, {.asEdits = true});
    });
}

void frmMain::onEditClearLetters() noexcept
{
    atEdge([this] {
        putPuzzle(Puzzle(), {.clearsResult = true, .asEdits = true, .focusBox = 0,
                             .focusReason = Qt::ShortcutFocusReason});
    });
}

void frmMain::setPadBox(int box)
{
    if (box == m_padBox)
        return;
    m_padBox = box;
    markPadBox();
}

void frmMain::markPadBox()
{
    for (int i = 0; i < kLetterBoxCount; ++i)
        txtLetter[i]->setPadTarget(m_padShown && i == m_padBox);
}

void frmMain::clearPictureMarks()
{
    for (LetterBox *box : txtLetter)
        box->setPictureMark(LetterBox::PictureMark::None);
    showPictureSummary(QString());
}

// In the candidate list's empty space: the window has no status bar, and the
// list stays empty until the search that ends the checking.
void frmMain::showPictureSummary(const QString &text)
{
    if (text.isEmpty()) {
        if (lblPicture)
            lblPicture->hide();
        return;
    }
    if (!lblPicture) {
        lblPicture = new QLabel(lsvCandidate->viewport());
        lblPicture->setObjectName(u"lblPicture"_s);
        lblPicture->setWordWrap(true);
        lblPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lblPicture->setMargin(4);
        lblPicture->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    lblPicture->setText(text);
    lblPicture->setGeometry(lsvCandidate->viewport()->rect());
    lblPicture->show();
}
