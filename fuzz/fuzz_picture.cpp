// The picture reader's way in without the text engine: any bytes decoded
// as a picture under the size limit, then the cell finder on the result.
#include "picture/cellfinder.h"
#include "picture/picturereader.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const picture::LoadedPicture loaded =
        picture::loadPicture(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (loaded.error == picture::PictureError::None) {
        const picture::CellLayout layout = picture::findCells(loaded.image);
        if (layout.outcome == picture::CellLayout::Outcome::Found && layout.cells.size() < picture::kMinLetters)
            __builtin_trap();
    }
    return 0;
}
