#include "ui/candidatebar.h"
#include "ui/controls.h"

#include <QGridLayout>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

class CandidateButton : public QToolButton
{
public:
    using QToolButton::QToolButton;
    int number = 0;   // 1 to 9, or none

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QToolButton::paintEvent(event);
        if (number < 1 || number > 9)
            return;
        QPainter p(this);
        QFont small = font();
        small.setPointSize(7);
        p.setFont(small);
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect().adjusted(3, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(number));
    }
};

} // namespace

CandidateBar::CandidateBar(int columns, int visibleRows, QWidget *parent)
    : QScrollArea(parent), m_columns(columns)
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
    const int cell = kButtonSide + m_grid->spacing();
    setFixedSize(columns * cell + 2 + 2 * frameWidth() + verticalScrollBar()->sizeHint().width() + 2,
                 visibleRows * cell + 2 + 2 * frameWidth() + 2);
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
    verticalScrollBar()->setValue(0);
}
