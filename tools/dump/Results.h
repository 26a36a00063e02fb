// The results of CKestrelCode::DecodeOneMessage as value trees, read through
// the exported records only.
#ifndef KESTREL_DUMP_RESULTS_H
#define KESTREL_DUMP_RESULTS_H

#include "dump/Node.h"

namespace kdump {

// Name of a message type for people; "unknown type" for types that the
// library does not decode.
const char* TypeName(int type);

// The result as a tree, read as the record that `type` (the type that
// DecodeOneMessage reported) says it is; null for a null result and for
// types without a result.
Node ResultNode(char* result, int type);

}  // namespace kdump

#endif  // KESTREL_DUMP_RESULTS_H
