// Requests of a client, as value trees.
#ifndef KESTREL_DUMP_REQUESTS_H
#define KESTREL_DUMP_REQUESTS_H

#include "dump/Node.h"
#include "encode/RequestReader.h"

namespace kdump {

// The name of a request type for people; "unknown request" for types no
// client sends.
const char* RequestName(unsigned type);

// The fields of a request by name: numbers, texts, codes, lists of codes and
// subscription items ({"code","ids"}); "empty" for the empty-list marker.
Node RequestNode(const kestrel::requests::ReadRequest& request);

}  // namespace kdump

#endif  // KESTREL_DUMP_REQUESTS_H
