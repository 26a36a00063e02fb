// A build without libpcap: captures are recognised and refused with the
// reason.
#include <ostream>

#include "dump/Dump.h"

namespace kdump {

namespace {

int Refuse(std::ostream& err) {
  err << "kestrel-dump: reading packet captures needs libpcap; this kestrel-dump was built "
         "without it (install libpcap-dev and configure again)\n";
  return kDumpMalformed;
}

}  // namespace

bool CapturesSupported() { return false; }

int DumpCaptureFile(const std::string&, const DumpOptions&, std::ostream&, std::ostream& err) {
  return Refuse(err);
}

int DumpCaptureBytes(const uint8_t*, size_t, const DumpOptions&, std::ostream&, std::ostream& err) {
  return Refuse(err);
}

}  // namespace kdump
