#include "ui/makepuzzledialog.h"
#include "ui/controls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

using namespace Qt::StringLiterals;

MakePuzzleDialog::MakePuzzleDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(u"frmMakePuzzle"_s);
    setWindowTitle(u"問題を作る"_s);
    setFont(gothic(9));

    optLetters4 = new QRadioButton(u"&4 文字"_s, this);
    optLetters4->setObjectName(u"optLetters4"_s);
    optLetters6 = new QRadioButton(u"&6 文字"_s, this);
    optLetters6->setObjectName(u"optLetters6"_s);
    optLetters6->setChecked(true);
    auto *letters = new QHBoxLayout;
    letters->addWidget(optLetters4);
    letters->addWidget(optLetters6);
    letters->addStretch();

    cboLevel = new QComboBox(this);
    cboLevel->setObjectName(u"cboLevel"_s);
    cboLevel->addItem(u"やさしい — 小学校の漢字とよく使う熟語"_s, int(authoring::Level::Easy));
    cboLevel->addItem(u"ふつう — 常用漢字とよく使う熟語"_s, int(authoring::Level::Normal));
    cboLevel->addItem(u"むずかしい — まれな熟語と漢字も"_s, int(authoring::Level::Hard));
    cboLevel->setCurrentIndex(1);

    txtAnswer = new QLineEdit(this);
    txtAnswer->setObjectName(u"txtAnswer"_s);
    txtAnswer->setMaxLength(1);
    txtAnswer->setPlaceholderText(u"おまかせ"_s);
    chkArrows = new QCheckBox(u"矢印をつける(&A)"_s, this);
    chkArrows->setObjectName(u"chkArrows"_s);
    chkArrows->setChecked(true);
    chkStrict = new QCheckBox(u"矢印を隠しても答えがひとつ(&S)"_s, this);
    chkStrict->setObjectName(u"chkStrict"_s);
    txtSeed = new QLineEdit(this);
    txtSeed->setObjectName(u"txtSeed"_s);
    txtSeed->setPlaceholderText(u"おまかせ（同じ番号で同じ問題）"_s);
    txtSeed->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,19}"_s), txtSeed));

    auto *form = new QFormLayout;
    form->addRow(u"文字の数："_s, letters);
    form->addRow(u"難しさ(&L)："_s, cboLevel);
    form->addRow(u"答えの漢字(&K)："_s, txtAnswer);
    form->addRow(QString(), chkArrows);
    form->addRow(QString(), chkStrict);
    form->addRow(u"問題の番号(&N)："_s, txtSeed);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"作る"_s);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"キャンセル"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

authoring::MakeOptions MakePuzzleDialog::options() const
{
    authoring::MakeOptions o;
    o.letters = optLetters4->isChecked() ? 4 : 6;
    o.level = authoring::Level(cboLevel->currentData().toInt());
    const QString answer = txtAnswer->text().trimmed();
    o.answer = answer.size() == 1 ? answer[0] : QChar();
    o.arrows = chkArrows->isChecked();
    o.strict = chkStrict->isChecked();
    return o;
}

std::optional<quint64> MakePuzzleDialog::seed() const
{
    bool ok = false;
    const quint64 seed = txtSeed->text().toULongLong(&ok);
    return ok ? std::optional(seed) : std::nullopt;
}
