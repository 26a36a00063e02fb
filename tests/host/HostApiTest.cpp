// The library as a host sees it: the umbrella header and the shared library
// only. Encodes a status test, answers it the way a server would, decodes the
// answer and frees it.
#include <gtest/gtest.h>

#include <string>

#include "KestrelUtils.h"
#include "support/MessageBuilder.h"

namespace {

TEST(HostApi, StatusTestRoundTripThroughTheSharedLibrary) {
  CKestrelCode::StartUp();
  KestrelInfoSend send{11, -22, 33, 44, 55};
  CCode* request = CKestrelCode::EncodeKestrelTest(&send);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(kt::Hex(request->GetContent(), request->GetLength()), "86 BB 8B EA A1 B7 AC B4");
  delete request;

  kt::Bytes reply = kt::Compressed(
      kt::Frame(59, kt::MessageBuilder().UInt(1).Int(2).Int(3).UInt(4).UInt(5).UInt(6).Bytes()));
  std::string copy(reply.begin(), reply.end());
  int type = 0;
  char* result = CKestrelCode::DecodeOneMessage(copy.data(), &type);
  ASSERT_EQ(type, 59);
  ASSERT_NE(result, nullptr);
  const auto* info = reinterpret_cast<KestrelInfoReceive*>(result);
  EXPECT_EQ(info->ReceiveValue2, 1);
  EXPECT_EQ(info->ReceiveValue8, 4);
  CKestrelCode::PrintDecodeMessage(result, type);
  CKestrelCode::ClearDecodeMessage(result, type);
}

}  // namespace
