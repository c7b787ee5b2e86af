#pragma once
#include <QChar>
#include <QList>
#include <QScrollArea>

#include <functional>

class QGridLayout;
class QToolButton;

// The kanji pad's candidates, one button each, in rows that scroll a page
// at a time. The first nine shown carry their number, the key that chooses
// them. The bar takes the focus from the keyboard only (a click leaves it
// with the canvas or the reading field); then the arrow keys move a mark
// over the buttons, Enter or Space chooses, PageUp and PageDown turn pages.
class CandidateBar : public QScrollArea
{
    Q_OBJECT
public:
    CandidateBar(int columns, int visibleRows, QWidget *parent = nullptr);

    // tip gives a button's tooltip, the kanji's readings.
    void setCandidates(const QList<QChar> &kanji, const std::function<QString(QChar)> &tip = {});
    const QList<QChar> &candidates() const { return m_kanji; }

    // The candidate numbered 1: the first of the rows shown.
    qsizetype firstShown() const;
    // The candidate the keys are on while the bar has the focus.
    qsizetype current() const { return m_current; }
    // Pages forward (or back, negative), the keys' candidate with them.
    void turnPage(int pages);

    static constexpr int kButtonSide = 40;

signals:
    void chosen(QChar kanji);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int cell() const;
    void scrollToRow(qsizetype row);
    // Moves the mark, scrolling it into view, and shows the kanji's readings.
    void setCurrent(qsizetype n);
    void showCurrentTip();
    // Numbers and the mark, after a scroll or a move.
    void updateButtons();

    int m_columns;
    int m_visibleRows;
    qsizetype m_current = 0;
    QList<QChar> m_kanji;
    QList<QToolButton *> m_buttons;   // made as needed, the spare ones hidden
    QGridLayout *m_grid;
};
