// Why a compressed envelope gave no result. The library only returns null;
// the tool looks at the envelope itself to tell the reasons apart.
#ifndef KESTREL_DUMP_ENVELOPE_H
#define KESTREL_DUMP_ENVELOPE_H

#include <string>

namespace kdump {

// A reason, for people, why the compressed envelope `message` (length
// prefix, the compressed type, zlib payload; `size` bytes in all) was refused: an empty
// payload, a payload that is not a zlib stream or is cut short, one that
// inflates beyond what the library accepts, or an inner message that did not
// decode.
std::string EnvelopeRefusal(const char* message, int size);

}  // namespace kdump

#endif  // KESTREL_DUMP_ENVELOPE_H
