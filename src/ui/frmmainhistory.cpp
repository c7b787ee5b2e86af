// frmMain's history panel: Edit > History shows or hides it and sets the
// window's height to match, the list is rebuilt from the settings store,
// and its popup's 読み込み (also Enter) puts a past search's letters back
// into the boxes.
#include "ui/frmmain.h"
#include "settings/basparam.h"
#include "ui/controls.h"
#include "ui/formsteps.h"
#include "ui/historypanel.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

void frmMain::setOuterHeightTwips(int twips)
{
    m_outerHeight = twips / kTwipsPerPixel;
    fitOuterHeight();
}

void frmMain::fitOuterHeight()
{
    // The title bar and borders are known only once the platform has framed
    // the window (never, offscreen or without a window manager); until then
    // the whole height goes to the menu bar and the client area, and the
    // show and move events that follow the framing fit it again.
    int frame = 0;
    if (isVisible()) {
        static const qreal programScale = [] {
            bool ok = false;
            const qreal factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
            return ok && factor > 0 ? factor : 1.0;
        }();
        frame = frameInLayoutPixels(frameGeometry().height() - geometry().height(), programScale);
    }
    const QSize fixed(kClientWidth, qMax(1, m_outerHeight - frame));
    if (minimumSize() != fixed || maximumSize() != fixed || size() != fixed)
        setFixedSize(fixed);
}

void frmMain::applyHistoryPanel(bool shown)
{
    attempt([&] {
        setOuterHeightTwips(shown ? kHeightWithHistoryTwips : kHeightWithoutHistoryTwips);
        lblHistory->setVisible(shown);
        lsvHistory->setVisible(shown);
        mnuEditHistory->setChecked(shown);
        basParam::SetParam(m_settings, u"History"_s, 0, shown);
    });
}

void frmMain::RefreshHistoryList()
{
    lsvHistory->hide();
    fillHistoryList(lsvHistory, m_settings);
    lsvHistory->setVisible(mnuEditHistory->isChecked());
}

void frmMain::onPopupGetString() noexcept
{
    atEdge([this] {
        const QString letters = selectedHistoryLetters(lsvHistory);
        if (letters.isEmpty())
            return;
        // The history keeps no arrows: those of the puzzle before would not fit these letters.
        putPuzzle(Puzzle::fromLetters(letters), {.clearsResult = true});
    });
}

void frmMain::popupHistoryMenu(QObject *watched, QEvent *event)
{
    // Wherever the right button is released, on a row or below them: 読み込み
    // then acts on the selected row, if any.
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (watched == lsvHistory->viewport() && mouse->button() == Qt::RightButton)
        showHistoryPopup(mouse->globalPosition().toPoint(), false);
}

void frmMain::showHistoryPopup(const QPoint &globalPos, bool fromKeyboard)
{
    mnuPopup->popup(globalPos);
    // From the keyboard, Enter then chooses the one command straight away.
    if (fromKeyboard)
        mnuPopup->setActiveAction(mnuPopupGetString);
}

// The keyboard's way to the popup and its command: the Menu key and
// Shift+F10 open it beside the selected row, Enter loads that row. Handled
// as the shortcut override as well, so that no menu shortcut takes the key.
bool frmMain::historyKeyPress(QObject *watched, QKeyEvent *key)
{
    const bool menuKey = key->key() == Qt::Key_Menu
                         || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                       && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const QList<QTreeWidgetItem *> selected = lsvHistory->selectedItems();
    if (watched != lsvHistory || (!menuKey && !enter) || selected.isEmpty())
        return false;
    if (key->type() == QEvent::ShortcutOverride)
        return true;
    if (enter) {
        onPopupGetString();
    } else {
        const QRect row = lsvHistory->visualItemRect(selected.first());
        showHistoryPopup(lsvHistory->viewport()->mapToGlobal(row.bottomLeft()), true);
    }
    return true;
}
