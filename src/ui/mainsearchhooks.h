#pragma once
// The main window's side of the search: progress, yielding, cancellation.
#include "search/searchengine.h"

#include <QElapsedTimer>
#include <QStringList>
#include <array>
#include <functional>

class LetterBox;
class QProgressBar;

class MainSearchHooks : public SearchHooks
{
public:
    // Called before line `line` of box `box`, every 50 lines.
    using Yield = std::function<void(int box, qint32 line)>;

    // cancel: set once the user has asked the search to stop; yielding:
    // held true while `yield` runs.
    MainSearchHooks(const std::array<LetterBox *, kLetterBoxCount> &boxes, QProgressBar *letterBar,
                    QProgressBar *statusBar, const bool *cancel, bool *yielding, Yield yield);
    ~MainSearchHooks() override;

    QString letterText(int box) override;
    Arrow arrow(int box) override;
    void boxStarted(int) override;
    void lineTick(int box, qint32 line) override;
    void letterStep() override;
    const bool *cancelFlag() const override { return m_cancel; }

    // The letters the search read with their arrows, box by box, empty boxes left out.
    QList<ArrowedLetter> letters;

private:
    void setStatus(int value);

    static constexpr qint64 kFrameMs = 16;
    std::array<LetterBox *, kLetterBoxCount> m_boxes;
    QProgressBar *m_letterBar;
    QProgressBar *m_statusBar;
    const bool *m_cancel;
    bool *m_yielding;
    Yield m_yield;
    QElapsedTimer m_frame;
};
