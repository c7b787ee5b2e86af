#include "ui/kanjipad.h"
#include "ui/candidatebar.h"
#include "ui/controls.h"
#include "ui/handwritingcanvas.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

// A page's word to the player: what to do, or why it cannot.
QLabel *makeNote(QWidget *page, const QString &name)
{
    auto *note = new QLabel(page);
    note->setObjectName(name);
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return note;
}

QString readingHint()
{
    return u"ひらがな・カタカナ・ローマ字で読みを入力してください（yama、やま、サン）。"_s;
}

} // namespace

KanjiPad::KanjiPad(const QString &readingsPath, const QString &modelPath, const QString &templatesPath,
                   std::function<bool(QChar)> accept, QWidget *owner)
    : QWidget(owner, Qt::Tool),
      m_accept(std::move(accept)),
      m_recognizer(modelPath, templatesPath),
      m_readingsPath(readingsPath)
{
    setObjectName(u"frmKanjiPad"_s);
    setWindowTitle(u"漢字パッド"_s);
    setFont(gothic(9));

    tabPages = new QTabWidget(this);
    tabPages->setObjectName(u"tabPages"_s);
    tabPages->setFocusPolicy(Qt::NoFocus);
    buildHandwritingPage();
    buildReadingPage();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabPages);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(tabPages, &QTabWidget::currentChanged, this, [this] { pageShown(); });
    m_haveReadings = m_readings.load(m_readingsPath) && !m_readings.isEmpty();
    lblReadingNote->setText(m_haveReadings ? readingHint()
                                           : u"読みのファイルが見つかりません："_s + m_readingsPath
                                                 + u"\ntolvo を入れ直すと、読みで漢字を探せます。"_s);
}

KanjiPad::~KanjiPad() = default;

void KanjiPad::buildHandwritingPage()
{
    pageHandwriting = new QWidget;
    pageHandwriting->setObjectName(u"pageHandwriting"_s);
    canvas = new HandwritingCanvas(pageHandwriting);
    canvas->setObjectName(u"canvas"_s);
    canvas->installEventFilter(this);
    lblHandwritingNote = makeNote(pageHandwriting, u"lblHandwritingNote"_s);
    lblHandwritingNote->setFixedWidth(HandwritingCanvas::kSide);
    lblHandwritingNote->hide();
    cmdUndo = new QPushButton(u"戻す"_s, pageHandwriting);
    cmdUndo->setObjectName(u"cmdUndo"_s);
    cmdUndo->setToolTip(u"最後の一画を消します"_s);
    cmdClear = new QPushButton(u"消去"_s, pageHandwriting);
    cmdClear->setObjectName(u"cmdClear"_s);
    cmdClear->setToolTip(u"書いた字をすべて消します"_s);
    for (QPushButton *button : {cmdUndo, cmdClear})
        button->setFocusPolicy(Qt::NoFocus);
    barHandwriting = new CandidateBar(10, 2, pageHandwriting);
    barHandwriting->setObjectName(u"barHandwriting"_s);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdUndo);
    buttons->addWidget(cmdClear);
    buttons->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(canvas);
    top->addWidget(lblHandwritingNote);
    top->addLayout(buttons);
    top->addStretch();
    auto *page = new QVBoxLayout(pageHandwriting);
    page->addLayout(top);
    page->addWidget(barHandwriting);

    connect(cmdUndo, &QPushButton::clicked, canvas, &HandwritingCanvas::undoStroke);
    connect(cmdClear, &QPushButton::clicked, canvas, &HandwritingCanvas::clearDrawing);
    connect(canvas, &HandwritingCanvas::drawingChanged, this, &KanjiPad::recognize);
    connect(barHandwriting, &CandidateBar::chosen, this, &KanjiPad::choose);
    tabPages->addTab(pageHandwriting, u"手書き"_s);
}

void KanjiPad::buildReadingPage()
{
    pageReading = new QWidget;
    pageReading->setObjectName(u"pageReading"_s);
    auto *label = new QLabel(u"読み(&R)："_s, pageReading);
    txtReading = new QLineEdit(pageReading);
    txtReading->setObjectName(u"txtReading"_s);
    txtReading->setFont(gothic(14));
    txtReading->installEventFilter(this);
    label->setBuddy(txtReading);
    lblReadingNote = makeNote(pageReading, u"lblReadingNote"_s);
    barReading = new CandidateBar(10, 5, pageReading);
    barReading->setObjectName(u"barReading"_s);

    auto *field = new QHBoxLayout;
    field->addWidget(label);
    field->addWidget(txtReading);
    auto *page = new QVBoxLayout(pageReading);
    page->addLayout(field);
    page->addWidget(lblReadingNote);
    page->addWidget(barReading);
    page->addStretch();

    connect(txtReading, &QLineEdit::textChanged, this, &KanjiPad::lookUp);
    connect(barReading, &CandidateBar::chosen, this, &KanjiPad::choose);
    tabPages->addTab(pageReading, u"読み"_s);
}

void KanjiPad::placeBeside(const QWidget *owner)
{
    const QRect frame = owner->frameGeometry();
    QPoint at = frame.topRight() + QPoint(8, 0);
    if (const QScreen *screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = sizeHint();
        // No room on the right: the left, or else the screen's right edge.
        if (at.x() + size.width() > available.right())
            at.setX(frame.left() - 8 - size.width() >= available.left() ? frame.left() - 8 - size.width()
                                                                          : available.right() - size.width());
        at.setY(std::clamp(at.y(), available.top(), std::max(available.top(), available.bottom() - size.height())));
    }
    move(at);
}

void KanjiPad::setVisible(bool visible)
{
    // Back where the user left it, whatever the window manager would choose.
    if (visible && m_position)
        move(*m_position);
    QWidget::setVisible(visible);
}

void KanjiPad::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    pageShown();
}

void KanjiPad::hideEvent(QHideEvent *event)
{
    m_position = pos();
    QWidget::hideEvent(event);
}

void KanjiPad::pageShown()
{
    if (tabPages->currentWidget() == pageReading) {
        txtReading->setFocus(Qt::OtherFocusReason);
        return;
    }
    canvas->setFocus(Qt::OtherFocusReason);
    if (m_recognizer.state() != HandwritingRecognizer::State::NotLoaded || m_recognizer.load())
        return;
    const QString model = m_recognizer.modelPath();
    lblHandwritingNote->setText(
        m_recognizer.state() == HandwritingRecognizer::State::Missing
            ? u"手書き認識のモデルが見つかりません：\n"_s + model
                  + u"\n\nDebian の tegaki-zinnia-japanese パッケージを入れると、手書きで漢字を探せます。"
                    "読みのページは使えます。"_s
            : u"手書き認識のモデルを読み込めません：\n"_s + model
                  + u"\n\ntegaki-zinnia-japanese パッケージを入れ直してください。読みのページは使えます。"_s);
    canvas->hide();
    lblHandwritingNote->setMinimumHeight(HandwritingCanvas::kSide);
    lblHandwritingNote->show();
    cmdUndo->setEnabled(false);
    cmdClear->setEnabled(false);
}

void KanjiPad::recognize(const Drawing &drawing)
{
    barHandwriting->setCandidates(m_recognizer.recognize(drawing, kHandwritingCandidates, m_accept),
                                  [this](QChar k) { return tipFor(k); });
}

void KanjiPad::lookUp(const QString &typed)
{
    if (!m_haveReadings)
        return;
    QList<QChar> found = m_readings.lookup(typed, m_accept);
    if (found.size() > kReadingCandidates)
        found.resize(kReadingCandidates);
    barReading->setCandidates(found, [this](QChar k) { return tipFor(k); });
    if (typed.trimmed().isEmpty())
        lblReadingNote->setText(readingHint());
    else if (found.isEmpty())
        lblReadingNote->setText(u"「"_s + typed.trimmed() + u"」と読む漢字はありません。"_s);
    else
        lblReadingNote->setText(u"「"_s + typedReadingToHiragana(typed) + u"」："_s + QString::number(found.size())
                                + u"字"_s);
}

QString KanjiPad::tipFor(QChar kanji) const
{
    const QString readings = m_readings.readingsText(kanji);
    return readings.isEmpty() ? QString(kanji) : QString(kanji) + u'\n' + readings;
}

void KanjiPad::choose(QChar kanji)
{
    emit chosen(kanji);
    // Ready for the next letter.
    if (tabPages->currentWidget() == pageReading)
        txtReading->clear();
    else
        canvas->clearDrawing();
}

CandidateBar *KanjiPad::currentCandidates() const
{
    return tabPages->currentWidget() == pageReading ? barReading : barHandwriting;
}

bool KanjiPad::padKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    const QList<QChar> &candidates = currentCandidates()->candidates();
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!candidates.isEmpty())
            choose(candidates.first());
        return true;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_9) {
        const qsizetype n = key - Qt::Key_1;
        if (n < candidates.size())
            choose(candidates[n]);
        return true;
    }
    return false;
}

bool KanjiPad::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (padKey(key) || (watched == canvas && startReading(key)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void KanjiPad::keyPressEvent(QKeyEvent *event)
{
    // Without a model the canvas is hidden and keys arrive here.
    if (!padKey(event) && !(tabPages->currentWidget() == pageHandwriting && startReading(event)))
        QWidget::keyPressEvent(event);
}

bool KanjiPad::startReading(QKeyEvent *event)
{
    if (event->text().trimmed().isEmpty() || !event->text().at(0).isPrint()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    tabPages->setCurrentWidget(pageReading);
    txtReading->setText(event->text());
    return true;
}
