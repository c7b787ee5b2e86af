// frmMain's search: Edit > Search runs the engine over the dictionary, with
// the progress bars, the yields to the window system and Esc's cancel.
#include "ui/frmmain.h"
#include "dictionary/dictionary.h"
#include "platform/prompts.h"
#include "platform/runtimeerror.h"
#include "settings/basparam.h"
#include "ui/formsteps.h"
#include "ui/letterbox.h"
#include "ui/mainsearchhooks.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTreeWidget>
#include <algorithm>

using namespace Qt::StringLiterals;


void frmMain::onEditFind() noexcept
{
    atEdge([this] { searchNow(); });
}

void frmMain::searchNow()
{
    if (Searching)
        return;
    Searching = true;
    CancelRequested = false;
    clearPictureMarks();
    m_boxOpenedDuringSearch = false;
    // The window's own focus widget: it stays the same while a message box
    // or another program has the keyboard.
    const QPointer<QWidget> focused = focusWidget();
    for (LetterBox *box : txtLetter)
        box->setEnabled(false);
    // Disabling the boxes moved the focus on, and the search may move it
    // again; it goes back at the end unless the user moved it meanwhile.
    m_focusMovedByUser = false;

    // Each step at its own edge: one that fails for want of memory must not
    // leave the boxes disabled or the window searching for good.
    const auto finish = qScopeGuard([&] {
        atEdge([&] {
            lsvCandidate->setVisible(true);
            pbrLetter->hide();
            pbrStatus->hide();
        });
        for (LetterBox *box : txtLetter)
            atEdge([&] { box->setEnabled(true); });
        Searching = false;
        atEdge([&] {
            // Set on an inactive window too: the box then gets the focus, and
            // selects its text, when the window is active again.
            if (focused && !m_focusMovedByUser && focused->isEnabled() && focused->isVisible())
                focused->setFocus(Qt::OtherFocusReason);
            // Not every window manager gives the keyboard back to the window
            // a closed message box belonged to.
            if (m_boxOpenedDuringSearch && isVisible() && !isActiveWindow() && !QApplication::activeModalWidget())
                activateWindow();
        });
    });
    try {
        runSearch();
    } catch (const RuntimeError &e) {
        reportSearchFailure(e.number(), e.description());
    } catch (const std::bad_alloc &) {
        reportSearchFailure(RuntimeError::OutOfMemory, RuntimeError::outOfMemory().description());
    } catch (const std::exception &) {
        reportSearchFailure(0, u"予期しないエラーが発生しました。"_s);
    }
}

bool frmMain::arrowsLackWords() const
{
    // Only then: reading the words file is left to the first search that needs it.
    const bool arrowed = std::any_of(txtLetter.begin(), txtLetter.end(), [](const LetterBox *box) {
        return box->arrow() != Arrow::None && !box->text().isEmpty();
    });
    return arrowed && m_words.isEmpty();
}

void frmMain::runSearch()
{
    // Searching without the words would give an answer that ignores the arrows.
    if (arrowsLackWords()) {
        m_prompts.message(u"エラー"_s,
                          u"単語ファイル（tolvo.words）を読めないため、矢印を使った検索ができません。\n"_s
                              + m_files.words,
                          Prompts::Icon::Error);
        return;
    }
    const qint32 lineCount = toInt32(GetDictionaryValue(m_dictionary, u"DicNum"_s, 0));
    pbrLetter->setMaximum(kLetterBoxCount + 1);
    pbrLetter->setValue(0);
    pbrStatus->setMaximum(lineCount);
    pbrStatus->setValue(0);
    pbrLetter->show();
    pbrStatus->show();

    MainSearchHooks hooks(txtLetter, pbrLetter, pbrStatus, &CancelRequested, &m_yielding,
                          [this](int box, qint32 line) { yieldToEvents(box, line); });
    const SearchResult result = m_engine.run(m_dictionary, hooks, &m_words);

    if (result.cancelled) {
        m_prompts.message(u"確認"_s, u"検索処理を中止しました。"_s, Prompts::Icon::Information);
        lblAnswer->clear();
        lsvCandidate->clear();
        lsvCandidate->setEnabled(false);
        return;
    }

    m_searchedLetters = hooks.letters;
    if (result.hasAnswer())
        lblAnswer->setText(result.answer());
    lsvCandidate->clear();
    if (!result.hasAnswer()) {
        m_prompts.message(u"確認"_s, u"該当する単語が見つかりませんでした。"_s, Prompts::Icon::Information);
        lblAnswer->clear();
    }

    // Filled while hidden, so that it is not redrawn for every row.
    lsvCandidate->hide();
    QList<QTreeWidgetItem *> rows;
    for (const Candidate &c : result.listed())
        rows.append(new QTreeWidgetItem(QStringList{QString(c.kanji), QString::number(c.hits)}));
    lsvCandidate->addTopLevelItems(rows);
    lsvCandidate->show();
    if (!rows.isEmpty()) {
        lsvCandidate->setCurrentItem(rows.first());
        lsvCandidate->setEnabled(true);
    } else {
        lsvCandidate->setEnabled(false);
    }

    QStringList boxTexts;
    for (LetterBox *box : txtLetter)
        boxTexts.append(box->text());
    // A history of capacity 0 (set so in the settings file) keeps nothing;
    // the search itself has still completed.
    if (m_settings.histNum() > 0)
        basParam::SetParam(m_settings, u"HistString"_s, 0, historyEntryText(boxTexts, lblAnswer->text()));
    RefreshHistoryList();
}

void frmMain::yieldToEvents(int, qint32)
{
    QCoreApplication::processEvents();
}

void frmMain::drawProgressNow()
{
    // The status bar's drawing is throttled during the scan; a modal box
    // runs its own event loop over a window whose bars must show where the
    // search stands.
    pbrStatus->setUpdatesEnabled(true);
    pbrLetter->repaint();
    pbrStatus->repaint();
}

void frmMain::noteFocusMove(QObject *watched, QEvent *event)
{
    // Only the user moves the focus while the search yields; activation
    // coming back after a message box is no choice of theirs.
    switch (static_cast<QFocusEvent *>(event)->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this)
            m_focusMovedByUser = true;
        break;
    default:
        break;
    }
}

void frmMain::reportSearchFailure(int number, const QString &description)
{
    m_prompts.message(u"エラー"_s,
                      u"検索処理中にエラーが発生しました。\nErrorNo: "_s + QString::number(number) + u'\n'
                          + description,
                      Prompts::Icon::Error);
}