// KestrelUtils: client-side codec of the quote protocol.
//
// The one header a host includes: the codec class, its request records, the
// output buffer of requests, the result records and the stream framer.
#ifndef KESTREL_UTILS_H
#define KESTREL_UTILS_H

#include "Code.h"
#include "IndexToValue.h"
#include "KestrelCode.h"
#include "KestrelData.h"
#include "KestrelExport.h"
#include "KestrelFramer.h"
#include "KestrelInfo.h"
#include "KestrelRecords.h"
#include "KestrelSizes.h"
#include "L2OrderQueue.h"
#include "ServiceRecords.h"

#endif  // KESTREL_UTILS_H
