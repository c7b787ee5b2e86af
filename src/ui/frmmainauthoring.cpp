// frmMain's puzzles checked and made: the check of the boxes' puzzle in its
// own window, and a made puzzle put into the boxes as a new puzzle, its
// answer left for the player's search to find.
#include "ui/frmmain.h"
#include "authoring/kanjigrades.h"
#include "authoring/puzzlecheck.h"
#include "authoring/puzzlegraph.h"
#include "authoring/puzzlemaker.h"
#include "platform/prompts.h"
#include "ui/controls.h"
#include "ui/formsteps.h"
#include "ui/makepuzzledialog.h"
#include "ui/puzzlecheckwindow.h"

#include <random>

using namespace Qt::StringLiterals;

bool frmMain::loadAuthoring(bool forMaking)
{
    if (m_words.isEmpty()) {
        m_prompts.message(u"エラー"_s,
                          u"単語ファイル（tolvo.words）を読めないため、問題を確かめることも作ることもできません。\n"_s
                              + m_files.words,
                          Prompts::Icon::Error);
        return false;
    }
    if (!m_grades) {
        m_grades = std::make_unique<KanjiGrades>();
        // Without it a check still runs, counting every kanji as rare.
        m_grades->load(m_files.grades);
    }
    if (forMaking && m_grades->isEmpty()) {
        m_prompts.message(u"エラー"_s,
                          u"漢字の学年のファイル（tolvo.grades）を読めないため、問題を作れません。\n"_s + m_files.grades,
                          Prompts::Icon::Error);
        return false;
    }
    if (!m_puzzleGraph) {
        m_puzzleGraph = std::make_unique<PuzzleGraph>(m_dictionary, m_words);
        m_puzzleMaker = std::make_unique<authoring::PuzzleMaker>(*m_puzzleGraph, *m_grades);
    }
    return true;
}

void frmMain::onEditCheckPuzzle() noexcept
{
    atEdge([this] {
        if (!loadAuthoring(false))
            return;
        const authoring::PuzzleCheck check = authoring::checkPuzzle(*m_puzzleGraph, *m_grades, currentPuzzle());
        if (!m_checkWindow) {
            m_checkWindow = new PuzzleCheckWindow(this);
            placeBeside(m_checkWindow, this);
        }
        m_checkWindow->showCheck(authoring::checkText(check));
    });
}

void frmMain::onEditMakePuzzle() noexcept
{
    atEdge([this] {
        if (Searching || !loadAuthoring(true))
            return;
        if (!m_makeDialog)
            m_makeDialog = new MakePuzzleDialog(this);
        if (m_makeDialog->exec() != QDialog::Accepted)
            return;
        std::mt19937_64 rng(m_makeDialog->seed().value_or(std::random_device{}()));
        QString why;
        const std::optional<authoring::MadePuzzle> made = m_puzzleMaker->make(m_makeDialog->options(), rng, &why);
        if (!made) {
            m_prompts.message(u"問題を作る"_s, why, Prompts::Icon::Information);
            return;
        }
        // A new puzzle, as 文字を消去 starts one: the answer waits for a search.
        putPuzzle(made->puzzle, {.clearsResult = true, .asEdits = true, .focusBox = 0});
    });
}
