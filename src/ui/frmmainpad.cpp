// frmMain's kanji pad: made at its first use, and each kanji chosen on it
// put into the box that last had the focus.
#include "ui/frmmain.h"
#include "dictionary/dictionary.h"
#include "ui/formsteps.h"
#include "ui/kanjipad.h"
#include "ui/letterbox.h"

#include <algorithm>
#include <vector>

void frmMain::onEditKanjiPad() noexcept
{
    atEdge([&] {
        if (!m_kanjiPad) {
            // A kanji that heads no line can never find a partner: the pad leaves it out.
            std::vector<bool> heads(65536, false);
            for (qint32 n = 0; n < m_dictionary.lineCount(); ++n)
                heads[m_dictionary.firstUnits()[n]] = true;
            m_kanjiPad = new KanjiPad(m_files.kanji, m_files.handwritingModel, m_files.strokeTemplates,
                                      [heads = std::move(heads)](QChar c) { return bool(heads[c.unicode()]); }, this);
            connect(m_kanjiPad, &KanjiPad::chosen, this, &frmMain::putPadKanji);
            m_kanjiPad->placeBeside(this);
        }
        m_kanjiPad->show();
        m_kanjiPad->raise();
        m_kanjiPad->activateWindow();
    });
}

void frmMain::putPadKanji(QChar kanji)
{
    if (Searching)
        return;
    atEdge([&] {
        Puzzle puzzle = currentPuzzle();
        puzzle.letters[m_padBox] = kanji;
        // After the last box, the next choice replaces it again.
        putPuzzle(puzzle, {.asEdits = true, .focusBox = std::min(m_padBox + 1, kLetterBoxCount - 1)});
    });
}

void frmMain::padShownOrHidden(QObject *watched, bool shown)
{
    if (m_kanjiPad && watched == m_kanjiPad.data()) {
        m_padShown = shown;
        markPadBox();
    }
}
