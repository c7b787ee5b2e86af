// The picture reader's way in without the text engine: any bytes decoded
// as a picture under the size limit, then the cell finder on the result.
#include "picture/cellfinder.h"
#include "picture/picturereader.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const picture::LoadedPicture loaded =
        picture::loadPicture(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    // The cell finder's time grows with the pixels, its faults with the
    // shapes: a small input that decodes to a huge plain picture only slows
    // the run, so such pictures stop after the loader's checks.
    const qint64 pixels = qint64(loaded.image.width()) * loaded.image.height();
    if (loaded.error == picture::PictureError::None && pixels <= 2'000'000) {
        const picture::CellLayout layout = picture::findCells(loaded.image);
        if (layout.outcome == picture::CellLayout::Outcome::Found && layout.cells.size() < picture::kMinLetters)
            __builtin_trap();
    }
    return 0;
}
