// The configuration-file codec. Any bytes either decode to four items or raise
// EStreamError; decoded items must encode and decode back to themselves (texts
// that UTF-8 cannot hold, such as a lone UTF-16 surrogate from a 0x12 item,
// are the one lossy case and are left out of that check).

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

#include "transmitter/ConfigFile.h"
#include "services/StreamError.h"

namespace {
bool SurvivesUtf8(const QString& Text)
{
    return QString::fromUtf8(Text.toUtf8()) == Text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const QByteArray Bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    TConfigItems Items;
    try {
        Items = TConfigFile::Decode(Bytes);
    } catch (const EStreamError&) {
        return 0;
    }
    for (const QString* Text : {&Items.UpperRange, &Items.LowerRange, &Items.Unit, &Items.Damping})
        if (!SurvivesUtf8(*Text))
            return 0;
    if (TConfigFile::Decode(TConfigFile::Encode(Items)) != Items)
        std::abort();
    return 0;
}
