#include "ui/kanjipad.h"
#include "ui/candidatebar.h"
#include "ui/controls.h"
#include "ui/handwritingcanvas.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
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

// A push button whose focus shows: the style's own mark is faint, or none.
class PadButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPushButton::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    void keyPressEvent(QKeyEvent *event) override
    {
        // Enter presses it too, instead of choosing the pad's first candidate.
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier)
            animateClick();
        else
            QPushButton::keyPressEvent(event);
    }
};

// The digit an input method composes or commits alone: "2" or "２".
int typedDigit(const QInputMethodEvent *event)
{
    const QString text = event->preeditString().isEmpty() ? event->commitString() : event->preeditString();
    if (text.size() != 1 || (!event->preeditString().isEmpty() && !event->commitString().isEmpty()))
        return 0;
    const int digit = text[0].digitValue();
    return digit >= 1 && digit <= 9 ? digit : 0;
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
    // Tab stays among the page's own parts; Ctrl+Tab turns the page.
    tabPages->tabBar()->setFocusPolicy(Qt::NoFocus);
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
    cmdUndo = new PadButton(u"戻す"_s, pageHandwriting);
    cmdUndo->setObjectName(u"cmdUndo"_s);
    cmdUndo->setToolTip(u"最後の一画を消します（Ctrl+Z、BackSpace）"_s);
    cmdClear = new PadButton(u"消去"_s, pageHandwriting);
    cmdClear->setObjectName(u"cmdClear"_s);
    cmdClear->setToolTip(u"書いた字をすべて消します（Delete）"_s);
    // Reached with Tab, never by a click, so that drawing keeps the keys.
    for (QPushButton *button : {cmdUndo, cmdClear})
        button->setFocusPolicy(Qt::TabFocus);
    barHandwriting = new CandidateBar(10, 2, pageHandwriting);
    barHandwriting->setObjectName(u"barHandwriting"_s);
    // Tab goes to the candidates first: they are what a drawing is for.
    setTabOrder(canvas, barHandwriting);
    setTabOrder(barHandwriting, cmdUndo);
    setTabOrder(cmdUndo, cmdClear);

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
    // Only while this page has the focus: on 読み the same keys edit the reading.
    const auto key = [this](const QKeySequence &keys, bool undo) {
        auto *shortcut = new QShortcut(keys, pageHandwriting);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, undo] {
            if (!canvas->isVisible())
                return;
            if (undo)
                canvas->undoStroke();
            else
                canvas->clearDrawing();
        });
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_Z), true);
    key(QKeySequence(Qt::Key_Backspace), true);
    key(QKeySequence(Qt::Key_Delete), false);
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
    setTabOrder(txtReading, barReading);

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
    ::placeBeside(this, owner);
}

void KanjiPad::setVisible(bool visible)
{
    // Back where the user left it, whatever the window manager would choose.
    if (visible && m_position)
        move(*m_position);
    // Opened again, it takes a new reading: the last one was chosen from or given up.
    if (visible && !isVisible())
        txtReading->clear();
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

void KanjiPad::focusInput()
{
    if (tabPages->currentWidget() == pageReading)
        txtReading->setFocus(Qt::OtherFocusReason);
    else
        canvas->setFocus(Qt::OtherFocusReason);
}

void KanjiPad::pageShown()
{
    focusInput();
    if (tabPages->currentWidget() == pageReading)
        return;
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
    focusInput();
}

bool KanjiPad::chooseNumber(int number)
{
    const CandidateBar *bar = currentCandidates();
    const qsizetype n = bar->firstShown() + number - 1;
    if (n >= bar->candidates().size())
        return false;
    choose(bar->candidates()[n]);
    return true;
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
    CandidateBar *bar = currentCandidates();
    const int key = event->key();
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        chooseNumber(1);
        return true;
    case Qt::Key_Down:
        // Into the candidates; the bar handles its own keys once it has the focus.
        if (bar->focusPolicy() != Qt::NoFocus)
            bar->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Up:
        // Up from the candidates' first row.
        focusInput();
        return true;
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        bar->turnPage(key == Qt::Key_PageDown ? 1 : -1);
        return true;
    default:
        break;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_9) {
        chooseNumber(key - Qt::Key_0);
        return true;
    }
    return false;
}

bool KanjiPad::eventFilter(QObject *watched, QEvent *event)
{
    // With an input method on, a digit after a reading becomes a composition
    // of its own ("２"): it chooses, as the key would, and never lands in
    // the field. Mozc commits the composition it is told to drop, so that
    // commit comes back as a digit too.
    if (event->type() == QEvent::InputMethod && watched == txtReading) {
        auto *input = static_cast<QInputMethodEvent *>(event);
        if (const int digit = typedDigit(input)) {
            if (!input->preeditString().isEmpty())
                QGuiApplication::inputMethod()->reset();
            chooseNumber(digit);
            return true;
        }
    }
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
