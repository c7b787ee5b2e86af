// frmMain's Edit > Search: the engine run with the window's progress bars,
// its yields to the window system and the Esc question's cancel flag.
#include "ui/frmmain.h"
#include "dictionary/dictionary.h"
#include "platform/prompts.h"
#include "platform/runtimeerror.h"
#include "settings/basparam.h"
#include "ui/letterbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

// The window's side of the search: progress, yielding, cancellation.
class MainSearchHooks : public SearchHooks
{
public:
    explicit MainSearchHooks(frmMain &window) : w(window) {}
    ~MainSearchHooks() override { w.pbrStatus->setUpdatesEnabled(true); }

    QString letterText(int box) override
    {
        const QString text = w.txtLetter[box]->text();
        if (!text.isEmpty())
            letters.append(text);
        return text;
    }
    void boxStarted(int) override { setStatus(0); }
    void lineTick(int box, qint32 line) override
    {
        setStatus(w.pbrStatus->value() + 50);
        w.m_yielding = true;
        const auto resume = qScopeGuard([this] { w.m_yielding = false; });
        w.yieldToEvents(box, line);
    }
    void letterStep() override { w.pbrLetter->setValue(w.pbrLetter->value() + 1); }
    const bool *cancelFlag() const override { return &w.CancelRequested; }

    QStringList letters;

private:
    // Drawing the bar at every tick would cost more than the scan itself:
    // its value follows every tick, its picture at most one frame's worth.
    void setStatus(int value)
    {
        const bool draw = !m_frame.isValid() || m_frame.hasExpired(kFrameMs);
        w.pbrStatus->setUpdatesEnabled(draw);
        w.pbrStatus->setValue(value);
        if (draw)
            m_frame.restart();
    }

    static constexpr qint64 kFrameMs = 16;
    frmMain &w;
    QElapsedTimer m_frame;
};

void frmMain::onEditFind() noexcept
{
    if (Searching)
        return;
    Searching = true;
    CancelRequested = false;
    m_boxOpenedDuringSearch = false;
    // The window's own focus widget: it stays the same while a message box
    // or another program has the keyboard.
    const QPointer<QWidget> focused = focusWidget();
    for (LetterBox *box : txtLetter)
        box->setEnabled(false);
    // Disabling the boxes moved the focus on, and the search may move it
    // again; it goes back at the end unless the user moved it meanwhile.
    m_focusMovedByUser = false;

    const auto finish = qScopeGuard([&] {
        lsvCandidate->setVisible(true);
        pbrLetter->hide();
        pbrStatus->hide();
        for (LetterBox *box : txtLetter)
            box->setEnabled(true);
        Searching = false;
        // Set on an inactive window too: the box then gets the focus, and
        // selects its text, when the window is active again.
        if (focused && !m_focusMovedByUser && focused->isEnabled() && focused->isVisible())
            focused->setFocus(Qt::OtherFocusReason);
        // Not every window manager gives the keyboard back to the window
        // a closed message box belonged to.
        if (m_boxOpenedDuringSearch && isVisible() && !isActiveWindow() && !QApplication::activeModalWidget())
            activateWindow();
    });
    try {
        runSearch();
    } catch (const RuntimeError &e) {
        reportSearchFailure(e.number(), e.description());
    } catch (const std::exception &) {
        reportSearchFailure(0, u"予期しないエラーが発生しました。"_s);
    }
}

void frmMain::runSearch()
{
    const qint32 lineCount = toInt32(GetDictionaryValue(m_dictionary, u"DicNum"_s, 0));
    pbrLetter->setMaximum(kLetterBoxCount + 1);
    pbrLetter->setValue(0);
    pbrStatus->setMaximum(lineCount);
    pbrStatus->setValue(0);
    pbrLetter->show();
    pbrStatus->show();

    MainSearchHooks hooks(*this);
    const SearchResult result = m_engine.run(m_dictionary, hooks);

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
