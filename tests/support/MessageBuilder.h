// The tests write server messages with the project's message writer (see
// tools/wire/MessageBuilder.h); its names are reachable as kt::... here.
#ifndef KESTREL_TESTS_SUPPORT_MESSAGEBUILDER_H
#define KESTREL_TESTS_SUPPORT_MESSAGEBUILDER_H

#include "wire/MessageBuilder.h"

namespace kt {
using namespace kwire;
}  // namespace kt

#endif  // KESTREL_TESTS_SUPPORT_MESSAGEBUILDER_H
