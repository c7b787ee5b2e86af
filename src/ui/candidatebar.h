#pragma once
#include <QChar>
#include <QList>
#include <QScrollArea>

#include <functional>

class QGridLayout;
class QToolButton;

// The kanji pad's candidates, one button each, in rows that scroll. The
// first nine carry their number, the key that chooses them. The buttons
// never take the focus, so that the canvas or the reading field keeps it.
class CandidateBar : public QScrollArea
{
    Q_OBJECT
public:
    CandidateBar(int columns, int visibleRows, QWidget *parent = nullptr);

    // tip gives a button's tooltip, the kanji's readings.
    void setCandidates(const QList<QChar> &kanji, const std::function<QString(QChar)> &tip = {});
    const QList<QChar> &candidates() const { return m_kanji; }

    static constexpr int kButtonSide = 40;

signals:
    void chosen(QChar kanji);

private:
    int m_columns;
    QList<QChar> m_kanji;
    QList<QToolButton *> m_buttons;   // made as needed, the spare ones hidden
    QGridLayout *m_grid;
};
