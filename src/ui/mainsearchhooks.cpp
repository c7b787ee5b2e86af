#include "ui/mainsearchhooks.h"
#include "ui/letterbox.h"

#include <QProgressBar>
#include <QScopeGuard>

MainSearchHooks::MainSearchHooks(const std::array<LetterBox *, kLetterBoxCount> &boxes, QProgressBar *letterBar,
                                 QProgressBar *statusBar, const bool *cancel, bool *yielding, Yield yield)
    : m_boxes(boxes),
      m_letterBar(letterBar),
      m_statusBar(statusBar),
      m_cancel(cancel),
      m_yielding(yielding),
      m_yield(std::move(yield))
{
}

MainSearchHooks::~MainSearchHooks()
{
    m_statusBar->setUpdatesEnabled(true);
}

QString MainSearchHooks::letterText(int box)
{
    const QString text = m_boxes[box]->text();
    if (!text.isEmpty())
        letters.append({text, m_boxes[box]->arrow()});
    return text;
}

// Read right after the text, with no event in between: the same moment's arrow.
Arrow MainSearchHooks::arrow(int box)
{
    return m_boxes[box]->arrow();
}

void MainSearchHooks::boxStarted(int)
{
    setStatus(0);
}

void MainSearchHooks::lineTick(int box, qint32 line)
{
    setStatus(m_statusBar->value() + 50);
    *m_yielding = true;
    const auto resume = qScopeGuard([this] { *m_yielding = false; });
    m_yield(box, line);
}

void MainSearchHooks::letterStep()
{
    m_letterBar->setValue(m_letterBar->value() + 1);
}

// Drawing the bar at every tick would cost more than the scan itself:
// its value follows every tick, its picture at most one frame's worth.
void MainSearchHooks::setStatus(int value)
{
    const bool draw = !m_frame.isValid() || m_frame.hasExpired(kFrameMs);
    m_statusBar->setUpdatesEnabled(draw);
    m_statusBar->setValue(value);
    if (draw)
        m_frame.restart();
}
