#include "ui/candidatebar.h"
#include "ui/controls.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QToolTip>

using namespace Qt::StringLiterals;

namespace {

class CandidateButton : public QToolButton
{
public:
    using QToolButton::QToolButton;
    int number = 0;        // 1 to 9, or none
    bool marked = false;   // the keys are on it

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QToolButton::paintEvent(event);
        QPainter p(this);
        if (marked) {
            // The style's own focus frame is a faint dotted line, if any: too
            // little to follow across fifty buttons.
            p.setPen(QPen(palette().color(QPalette::Highlight), 3));
            p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        }
        if (number < 1 || number > 9)
            return;
        QFont small = font();
        small.setPointSize(7);
        p.setFont(small);
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect().adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(number));
    }
};

} // namespace

CandidateBar::CandidateBar(int columns, int visibleRows, QWidget *parent)
    : QScrollArea(parent), m_columns(columns), m_visibleRows(visibleRows)
{
    auto *inside = new QWidget(this);
    m_grid = new QGridLayout(inside);
    m_grid->setContentsMargins(2, 2, 2, 2);
    m_grid->setSpacing(2);
    m_grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(inside);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFixedSize(columns * cell() + 2 + 2 * frameWidth() + verticalScrollBar()->sizeHint().width() + 2,
                 visibleRows * cell() + 2 + 2 * frameWidth() + 2);
    // A row at a time, so that the wheel too leaves whole rows shown.
    verticalScrollBar()->setSingleStep(cell());
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { updateButtons(); });
}

int CandidateBar::cell() const
{
    return kButtonSide + m_grid->spacing();
}

void CandidateBar::setCandidates(const QList<QChar> &kanji, const std::function<QString(QChar)> &tip)
{
    m_kanji = kanji;
    while (m_buttons.size() < kanji.size()) {
        const qsizetype n = m_buttons.size();
        auto *button = new CandidateButton(widget());
        button->setObjectName(u"cmdCandidate_"_s + QString::number(n));
        button->number = int(n + 1);
        button->setFixedSize(kButtonSide, kButtonSide);
        button->setFont(gothic(18));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, n] {
            if (n < m_kanji.size())
                emit chosen(m_kanji[n]);
        });
        m_grid->addWidget(button, int(n / m_columns), int(n % m_columns));
        m_buttons.append(button);
    }
    for (qsizetype n = 0; n < m_buttons.size(); ++n) {
        QToolButton *button = m_buttons[n];
        const bool used = n < kanji.size();
        button->setText(used ? QString(kanji[n]) : QString());
        button->setToolTip(used && tip ? tip(kanji[n]) : QString());
        button->setVisible(used);
    }
    // Tab passes over an empty bar.
    setFocusPolicy(kanji.isEmpty() ? Qt::NoFocus : Qt::TabFocus);
    m_current = 0;
    verticalScrollBar()->setValue(0);
    updateButtons();
}

qsizetype CandidateBar::firstShown() const
{
    return qsizetype((verticalScrollBar()->value() + cell() / 2) / cell()) * m_columns;
}

void CandidateBar::scrollToRow(qsizetype row)
{
    // The layout may not have grown the rows yet when the bar was just filled.
    widget()->adjustSize();
    verticalScrollBar()->setValue(int(row) * cell());
}

void CandidateBar::setCurrent(qsizetype n)
{
    if (m_kanji.isEmpty())
        return;
    m_current = std::clamp<qsizetype>(n, 0, m_kanji.size() - 1);
    const qsizetype row = m_current / m_columns;
    const qsizetype top = firstShown() / m_columns;
    if (row < top)
        scrollToRow(row);
    else if (row >= top + m_visibleRows)
        scrollToRow(row - m_visibleRows + 1);
    updateButtons();
    showCurrentTip();
}

void CandidateBar::turnPage(int pages)
{
    if (m_kanji.isEmpty())
        return;
    const qsizetype rows = (m_kanji.size() + m_columns - 1) / m_columns;
    const qsizetype lastTop = std::max<qsizetype>(0, rows - m_visibleRows);
    scrollToRow(std::clamp<qsizetype>(firstShown() / m_columns + pages * m_visibleRows, 0, lastTop));
    if (hasFocus())
        setCurrent(m_current + qsizetype(pages) * m_visibleRows * m_columns);
}

void CandidateBar::updateButtons()
{
    const qsizetype first = firstShown();
    for (qsizetype n = 0; n < m_buttons.size(); ++n) {
        auto *button = static_cast<CandidateButton *>(m_buttons[n]);
        const int number = n >= first && n < first + 9 ? int(n - first + 1) : 0;
        const bool marked = hasFocus() && n == m_current;
        if (button->number != number || button->marked != marked) {
            button->number = number;
            button->marked = marked;
            button->update();
        }
    }
}

void CandidateBar::showCurrentTip()
{
    if (!hasFocus() || m_current >= m_kanji.size())
        return;
    QToolButton *button = m_buttons[m_current];
    if (button->toolTip().isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(button->mapToGlobal(QPoint(0, button->height())), button->toolTip(), button);
}

void CandidateBar::keyPressEvent(QKeyEvent *event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || m_kanji.isEmpty()) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrent(m_current - 1);
        break;
    case Qt::Key_Right:
        setCurrent(m_current + 1);
        break;
    case Qt::Key_Up:
        // From the first row the pad takes the focus back.
        if (m_current < m_columns) {
            event->ignore();
            return;
        }
        setCurrent(m_current - m_columns);
        break;
    case Qt::Key_Down:
        // To the last candidate when the row below is shorter.
        if (m_current / m_columns < (m_kanji.size() - 1) / m_columns)
            setCurrent(m_current + m_columns);
        break;
    case Qt::Key_Home:
        setCurrent(0);
        break;
    case Qt::Key_End:
        setCurrent(m_kanji.size() - 1);
        break;
    case Qt::Key_PageDown:
        turnPage(1);
        break;
    case Qt::Key_PageUp:
        turnPage(-1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit chosen(m_kanji[m_current]);
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
}

void CandidateBar::focusInEvent(QFocusEvent *event)
{
    QScrollArea::focusInEvent(event);
    // The keys start on the first candidate shown.
    const qsizetype first = firstShown();
    if (m_current < first || m_current >= first + qsizetype(m_visibleRows) * m_columns)
        m_current = std::min(first, m_kanji.size() - 1);
    updateButtons();
    // Once the focus has moved: focus events still on their way would hide it.
    QMetaObject::invokeMethod(this, [this] { showCurrentTip(); }, Qt::QueuedConnection);
}

void CandidateBar::focusOutEvent(QFocusEvent *event)
{
    QScrollArea::focusOutEvent(event);
    updateButtons();
    QToolTip::hideText();
}
