// KestrelUtils: client-side codec of the quote protocol.
//
// The one header a host includes (#include <KestrelUtils/KestrelUtils.h>):
// the codec class, its request records, the output buffer of requests, the
// result records, the stream framer and the C++ face over them.
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

// The C++ face in namespace kestrel: named types, owned results, views, the
// stream reader and subscription lists. Header-only, over the functions and
// records above.
#include "KestrelNames.hpp"
#include "KestrelReader.hpp"
#include "KestrelRequests.hpp"
#include "KestrelResult.hpp"
#include "KestrelSeries.hpp"
#include "KestrelTypes.hpp"
#include "KestrelViews.hpp"
#include "KestrelVisit.hpp"

#endif  // KESTREL_UTILS_H
