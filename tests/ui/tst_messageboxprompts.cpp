// The real message boxes: title, text, icon, Japanese buttons, default button.
#include "ui/messageboxprompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct Seen {
    QString title, text, defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Waits for the modal box, notes what it shows and presses `press` (by its
// text); gives up after a few seconds by rejecting whatever is modal.
void answerModalBox(Seen *seen, const QString &press)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            if (++*tries > 500) {
                timer->deleteLater();
                if (QWidget *w = QApplication::activeModalWidget())
                    w->close();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        seen->defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton *b : box->buttons())
            seen->buttons.append(b->text());
        seen->buttons.sort();
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == press) {
                b->click();
                return;
            }
        }
        box->reject();
    });
    timer->start(10);
}

} // namespace

class TestMessageBoxPrompts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void boxes_data();
    void boxes();
};

void TestMessageBoxPrompts::initTestCase()
{
    QVERIFY(installQtTranslation(*qApp));
}

void TestMessageBoxPrompts::boxes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons");   // sorted
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("answer");
    const auto yes = u"はい(&Y)"_s, no = u"いいえ(&N)"_s, retry = u"再試行"_s, cancel = u"キャンセル"_s;
    QTest::newRow("information") << u"info"_s << int(QMessageBox::Information) << QStringList{u"OK"_s}
                                 << u"OK"_s << u"OK"_s << int(Prompts::Answer::Ok);
    QTest::newRow("error") << u"error"_s << int(QMessageBox::Critical) << QStringList{u"OK"_s} << u"OK"_s
                           << u"OK"_s << int(Prompts::Answer::Ok);
    QTest::newRow("yes/no answered yes") << u"yesno"_s << int(QMessageBox::Question)
                                         << QStringList{no, yes} << no << yes << int(Prompts::Answer::Yes);
    QTest::newRow("yes/no answered no") << u"yesno"_s << int(QMessageBox::Question) << QStringList{no, yes}
                                        << no << no << int(Prompts::Answer::No);
    QTest::newRow("retry/cancel answered retry") << u"retry"_s << int(QMessageBox::Critical)
                                                 << QStringList{cancel, retry} << retry << retry
                                                 << int(Prompts::Answer::Retry);
    QTest::newRow("retry/cancel answered cancel") << u"retry"_s << int(QMessageBox::Critical)
                                                  << QStringList{cancel, retry} << retry << cancel
                                                  << int(Prompts::Answer::Cancel);
}

void TestMessageBoxPrompts::boxes()
{
    QFETCH(QString, kind);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, defaultButton);
    QFETCH(QString, press);
    QFETCH(int, answer);

    MessageBoxPrompts prompts;
    Seen seen;
    answerModalBox(&seen, press);
    const QString title = u"確認"_s;
    const QString text = u"一行目\n二行目"_s;
    Prompts::Answer got = Prompts::Answer::Ok;
    if (kind == u"info")
        prompts.message(title, text, Prompts::Icon::Information);
    else if (kind == u"error")
        prompts.message(title, text, Prompts::Icon::Error);
    else if (kind == u"yesno")
        got = prompts.askYesNo(title, text);
    else
        got = prompts.askRetryCancel(title, text);

    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, text);
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(seen.defaultButton, defaultButton);
    QCOMPARE(int(got), answer);
}

QTEST_MAIN(TestMessageBoxPrompts)
#include "tst_messageboxprompts.moc"
