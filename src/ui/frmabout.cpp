#include "ui/frmabout.h"

#include "platform/datafile.h"
#include "platform/windowsfonts.h"
#include "ui/appicon.h"
#include "ui/fonts.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

QString copyrightText()
{
    // Each line fits the label's 209 pixels in its bold 9.75-point face,
    // which is why the data credits (EDICT and KANJIDIC, and UniDic's word
    // costs that order the partners) share two lines.
    return u"© 2026 tolvo developers\n"
           u"EDICT・KANJIDIC © EDRDG\n"
           u"(CC BY-SA 3.0)・UniDic (BSD)"_s;
}

namespace {

QFont layoutFont(const QString &face, qreal points, QFont::Weight weight)
{
    QFont font(face);
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry, const QFont &font,
                  const QColor &colour)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1StringView(name));
    label->setGeometry(geometry);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowCloseButtonHint)
{
    installFontSubstitutions();
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"バージョン情報"_s);
    setWindowIcon(appIcon());
    setFixedSize(241, 169);
    // Closing the box discards it; the next Help > About loads a fresh one.
    setAttribute(Qt::WA_DeleteOnClose);

    const QColor darkRed(128, 0, 0);
    const QColor darkBlue(0, 0, 192);

    // Created in tab order: the button first, so it takes the focus.
    cmdOK = new QPushButton(u"確認(&C)"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setGeometry(80, 136, 87, 23);
    cmdOK->setDefault(true);
    // Esc goes through QDialog::reject(), which closes the box the same way.
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

    picIcon = new QLabel(this);
    picIcon->setObjectName(u"picIcon"_s);
    picIcon->setGeometry(16, 16, 32, 32);
    picIcon->setPixmap(appIcon().pixmap(32, 32));

    lblCopyright = makeLabel(this, "lblCopyright", QRect(16, 72, 209, 49),
                             layoutFont(pGothicFace(), 9.75, QFont::Bold), darkBlue);
    lblVersion = makeLabel(this, "lblVersion", QRect(64, 40, 155, 15),
                           layoutFont(pGothicFace(), 9.75, QFont::Normal), darkRed);
    lblTitle = makeLabel(this, "lblTitle", QRect(64, 16, 157, 23),
                         layoutFont(gothicFace(), 12, QFont::Bold), darkRed);
    lblTitle->setText(u"ヴェルモラ支援"_s);

    cmdOK->setFocus();
    load();
    centreOverOwner();
}

void frmAbout::load()
{
    lblVersion->setText(u"Version "_s + versionText());
    lblCopyright->setText(copyrightText());
    // The three lines hold no more; tolvo's own licence and the kanji pad's
    // parts are given here.
    lblCopyright->setToolTip(u"tolvo 本体は MIT ライセンスです。\n"
                             u"画像の読み取り：Tesseract（Apache 2.0）、Leptonica（BSD）\n"
                             u"漢字パッド\n手書き認識：Zinnia © 2008 Taku Kudo（BSD）\n"
                             u"認識モデル：Tegaki © 2009 Mathieu Blondel（LGPL 2.1 以降）\n"
                             u"筆画の型：KanjiVG（kanjidraw）© Ulrich Apel, FC Stegerman（CC BY-SA 3.0）\n"
                             u"読み：KANJIDIC © EDRDG（CC BY-SA 3.0）"_s);
}

void frmAbout::centreOverOwner()
{
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // Centre the whole box, title bar included, over the owner's whole window.
    // Before the box is first shown its frame is unknown; the owner's frame
    // is the best guess, since both get the same decoration.
    const QRect ownerFrame = owner->frameGeometry();
    const QRect ownerClient = owner->geometry();
    const QMargins frame = isVisible()
        ? QMargins(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(),
                   frameGeometry().bottom() - geometry().bottom())
        : QMargins(ownerClient.left() - ownerFrame.left(), ownerClient.top() - ownerFrame.top(),
                   ownerFrame.right() - ownerClient.right(),
                   ownerFrame.bottom() - ownerClient.bottom());
    QRect box = QRect(QPoint(), size()).marginsAdded(frame);
    box.moveCenter(ownerFrame.center());
    // Keep the title bar reachable when the owner hangs off the screen.
    if (const QScreen *screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        if (box.right() > available.right())
            box.moveRight(available.right());
        if (box.bottom() > available.bottom())
            box.moveBottom(available.bottom());
        if (box.left() < available.left())
            box.moveLeft(available.left());
        if (box.top() < available.top())
            box.moveTop(available.top());
    }
    move(box.topLeft());
}
