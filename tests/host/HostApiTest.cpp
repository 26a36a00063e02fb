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

// One quote freed, another still held when the thread's kept memory is given
// back: the release call gives back only freed arrays, never a result still
// held.
TEST(HostApi, ClearDecodeMemoryLeavesHeldResultsAlone) {
  CKestrelCode::StartUp();
  kt::MessageBuilder b;
  b.UInt(1).Code(60, 0).UInt(2).UInt(3).UInt(1025).UInt(8).Int(5000);
  const kt::Bytes message = kt::Frame(64, b.Bytes());
  std::string first(message.begin(), message.end());
  std::string second(message.begin(), message.end());
  int type = 0;
  char* freed = CKestrelCode::DecodeOneMessage(first.data(), &type);
  ASSERT_NE(freed, nullptr);
  CKestrelCode::ClearDecodeMessage(freed, type);
  char* held = CKestrelCode::DecodeOneMessage(second.data(), &type);
  ASSERT_NE(held, nullptr);
  CKestrelCode::ClearDecodeMemory();
  CKestrelCode::ClearDecodeMemory();  // nothing kept: nothing to do
  auto* data = reinterpret_cast<CKestrelData*>(held);
  ASSERT_EQ(data->GetQuoteDataNum(), 1);
  CIndexToValue* values = data->GetKestrelQuoteData()[0].GetIndexToValue();
  ASSERT_EQ(values->GetNum(), 2);
  EXPECT_EQ(values->GetIndexId()[0], 3);
  EXPECT_EQ(values->GetIndexId()[1], 8);
  CKestrelCode::ClearDecodeMessage(held, type);
}

}  // namespace
