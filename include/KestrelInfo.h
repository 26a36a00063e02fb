// Status-test records: the request fields a host sends and the reply fields
// it reads back.
#ifndef KESTREL_INFO_H
#define KESTREL_INFO_H

#include <cstdint>

// Filled by the host for CKestrelCode::EncodeKestrelTest. The wire carries
// SendValue1, SendValue2, SendValue3, SendValue5, SendValue4 in that order.
struct KestrelInfoSend {
  int SendValue1;
  int64_t SendValue2;
  int SendValue3;
  int SendValue4;
  int SendValue5;
};

// Result of a status-test reply (message type 59); freed with
// ClearDecodeMessage(result, 59). ReceiveValue1 and ReceiveValue6 are not on
// the wire and are left at zero.
struct KestrelInfoReceive {
  int ReceiveValue1;
  int ReceiveValue2;
  int64_t ReceiveValue3;
  int64_t ReceiveValue4;
  int ReceiveValue5;
  int ReceiveValue6;
  int ReceiveValue7;
  int ReceiveValue8;
};

#endif  // KESTREL_INFO_H
