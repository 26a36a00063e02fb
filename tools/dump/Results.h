// Decoded results as value trees, read through the exported records and the
// library's views only.
#ifndef KESTREL_DUMP_RESULTS_H
#define KESTREL_DUMP_RESULTS_H

#include "KestrelUtils.h"
#include "dump/Node.h"

namespace kdump {

// Name of a message type for people; "unknown type" for types that the
// library does not decode.
const char* TypeName(kestrel::MessageType type);

// The result's record as a tree; null when the result holds no record.
Node ResultNode(const kestrel::Result& result);

}  // namespace kdump

#endif  // KESTREL_DUMP_RESULTS_H
