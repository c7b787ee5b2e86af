// frmMain's pictures: a puzzle read from an image on the clipboard, from a
// file chosen with 編集 › 画像から読み込む…, or dropped on the window. The
// reader, and with it the text engine, is made at the first picture.
#include "ui/frmmain.h"
#include "picture/picturereader.h"
#include "platform/prompts.h"
#include "ui/formsteps.h"
#include "ui/letterbox.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QScopeGuard>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The image a clipboard or a drop carries: its encoded bytes when there are
// any, so that the size is checked before the pixels are made; else the
// image the platform already decoded.
picture::LoadedPicture pictureFrom(const QMimeData *mime)
{
    for (const QString &format : mime->formats()) {
        if (format.startsWith(u"image/"_s)) {
            const QByteArray bytes = mime->data(format);
            if (!bytes.isEmpty())
                return picture::loadPicture(bytes);
        }
    }
    picture::LoadedPicture loaded;
    loaded.image = qvariant_cast<QImage>(mime->imageData());
    if (loaded.image.isNull()) {
        loaded.error = picture::PictureError::Unreadable;
        loaded.message = picture::errorMessage(loaded.error);
    }
    return loaded;
}

QString localPictureFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

} // namespace

bool frmMain::pasteClipboardPicture()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!holdsPictureOnly(mime))
        return false;
    readPicture(pictureFrom(mime));
    return true;
}

void frmMain::onEditReadPicture() noexcept
{
    atEdge([this] {
        const QString path = QFileDialog::getOpenFileName(
            this, u"画像から読み込む"_s, m_pictureFolder,
            u"画像 (*.png *.jpg *.jpeg *.bmp *.gif *.webp);;すべてのファイル (*)"_s);
        if (path.isEmpty())
            return;
        m_pictureFolder = QFileInfo(path).absolutePath();
        readPicture(picture::loadPicture(path));
    });
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!Searching && (mime->hasImage() || !localPictureFile(mime).isEmpty()))
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    atEdge([&] {
        const QMimeData *mime = event->mimeData();
        const QString file = localPictureFile(mime);
        if (file.isEmpty() && !mime->hasImage())
            return;
        event->acceptProposedAction();
        readPicture(file.isEmpty() ? pictureFrom(mime) : picture::loadPicture(file));
    });
}

// A picture is a new puzzle, as 文字を消去 starts one; when it cannot be
// read, the puzzle in the boxes stays as it was.
void frmMain::readPicture(const picture::LoadedPicture &loaded)
{
    if (Searching)
        return;
    if (loaded.image.isNull()) {
        m_prompts.message(u"エラー"_s, loaded.message, Prompts::Icon::Error);
        return;
    }
    picture::PictureResult result;
    {
        // The first picture also starts the engine: a moment either way.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        if (!m_pictureReader)
            m_pictureReader = std::make_unique<picture::PictureReader>(picture::allowedLetters(m_dictionary),
                                                                       m_files.pictureData);
        result = m_pictureReader->read(loaded.image);
    }
    if (!result.ok()) {
        m_prompts.message(u"エラー"_s, result.message, Prompts::Icon::Error);
        return;
    }
    const auto &doubtful = result.puzzle.doubtful;
    const int doubts = int(std::count(doubtful.begin(), doubtful.end(), true));
    const int firstDoubt = int(std::find(doubtful.begin(), doubtful.end(), true) - doubtful.begin());
    putPuzzle(result.puzzle, {.clearsResult = true, .asEdits = true,
                              .focusBox = firstDoubt < kLetterBoxCount ? firstDoubt : 0, .fromPicture = true});
    QString summary = u"画像から %1 文字と %2 つの矢印を読み取りました。"_s.arg(result.lettersRead).arg(result.arrowsRead);
    if (doubts > 0)
        summary += u"そのうち %1 文字は確かではありません（橙色の文字欄）。"_s.arg(doubts);
    showPictureSummary(summary + u"確かめてから検索してください。"_s);
}
