// KestrelUtils: client-side codec of the quote protocol.
//
// The one header a host includes: the codec class, its request records and
// the output buffer of requests.
#ifndef KESTREL_UTILS_H
#define KESTREL_UTILS_H

#include "Code.h"
#include "KestrelCode.h"
#include "KestrelExport.h"
#include "KestrelInfo.h"

#endif  // KESTREL_UTILS_H
