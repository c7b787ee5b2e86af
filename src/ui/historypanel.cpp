// frmMain's history panel: the list of past searches under the flower, its
// right-click menu that loads one back into the letter boxes, and Edit >
// History that shows or hides the panel.
#include "ui/frmmain.h"
#include "settings/basparam.h"
#include "ui/formsteps.h"
#include "ui/letterbox.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

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
    lsvHistory->clear();
    lsvHistory->hide();
    // Slots past those the store holds are free; a capacity of two billion
    // read from a hand-edited file must not mean two billion lookups.
    const qsizetype n = qMin<qsizetype>(toInt32(basParam::GetParam(m_settings, u"HistNum"_s, 0)), m_settings.slotCount());
    for (qint32 i = 1; i <= n; ++i) {
        const QString letters = toText(basParam::GetParam(m_settings, u"HistString"_s, i));
        if (!letters.isEmpty())
            new QTreeWidgetItem(lsvHistory, {letters, toText(basParam::GetParam(m_settings, u"RestString"_s, i))});
    }
    lsvHistory->setVisible(mnuEditHistory->isChecked());
}

void frmMain::onPopupGetString() noexcept
{
    const QList<QTreeWidgetItem *> selected = lsvHistory->selectedItems();
    if (selected.isEmpty())
        return;
    const QString letters = selected.first()->text(0);
    for (int i = 0; i < kLetterBoxCount; ++i)
        txtLetter[i]->setText(letters.mid(i, 1));
    lblAnswer->clear();
    lsvCandidate->clear();
}

void frmMain::popupHistoryMenu(QObject *watched, QEvent *event)
{
    if (watched != lsvHistory->viewport())
        return;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() == Qt::RightButton)
        mnuPopup->popup(mouse->globalPosition().toPoint());
}
