// ParseColor on any text: either a colour with the top byte clear, or a
// conversion error; a value must agree with the three groups read alone.
#include "settings/parsecolor.h"
#include "platform/runtimeerror.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    quint32 value;
    try {
        value = ParseColor(text);
    } catch (const RuntimeError &e) {
        if (e.kind() != RuntimeError::TypeMismatch && e.kind() != RuntimeError::Overflow)
            abort();
        return 0;
    }
    if (value > 0xFFFFFF)
        abort();
    // Characters after the ninth never matter.
    if (text.size() > 9 && ParseColor(text.left(9)) != value)
        abort();
    return 0;
}
