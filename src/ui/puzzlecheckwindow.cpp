#include "ui/puzzlecheckwindow.h"
#include "ui/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PuzzleCheckWindow::PuzzleCheckWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(u"frmCheck"_s);
    setWindowTitle(u"問題を確かめる"_s);
    setFont(gothic(9));
    txtCheck = new QPlainTextEdit(this);
    txtCheck->setObjectName(u"txtCheck"_s);
    txtCheck->setReadOnly(true);
    txtCheck->setFont(gothic(11));
    // Read-only still lets the keyboard select, for copying a part.
    txtCheck->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtCheck->setLineWrapMode(QPlainTextEdit::NoWrap);

    cmdCopy = new QPushButton(u"すべてコピー(&C)"_s, this);
    cmdCopy->setObjectName(u"cmdCopy"_s);
    connect(cmdCopy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
    cmdClose = new QPushButton(u"閉じる"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtCheck);
    layout->addLayout(buttons);
    resize(sizeHint());
}

void PuzzleCheckWindow::showCheck(const QString &text)
{
    txtCheck->setPlainText(text);
    show();
    raise();
    activateWindow();
    txtCheck->setFocus(Qt::OtherFocusReason);
}

QString PuzzleCheckWindow::text() const
{
    return txtCheck->toPlainText();
}

void PuzzleCheckWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}
