// The private operations of CKestrelCode that the tests call directly.
#ifndef KESTREL_TESTS_SUPPORT_KESTRELCODEACCESS_H
#define KESTREL_TESTS_SUPPORT_KESTRELCODEACCESS_H

#include "KestrelCode.h"

struct KestrelCodeAccess {
  // Classification and price unit factors.
  static constexpr auto IsFundNV = &CKestrelCode::IsFundNV;
  static constexpr auto ISONS = &CKestrelCode::ISONS;
  static constexpr auto IsIOPVCode = &CKestrelCode::IsIOPVCode;
  static constexpr auto IsTWIndexCode = &CKestrelCode::IsTWIndexCode;
  static constexpr auto IsBondRealCode = &CKestrelCode::IsBondRealCode;
  static constexpr auto Is_Au_Ag_Pt = &CKestrelCode::Is_Au_Ag_Pt;
  static constexpr auto RealCodeToBondCode = &CKestrelCode::RealCodeToBondCode;
  static constexpr auto GetPriceUnitFactor = &CKestrelCode::GetPriceUnitFactor;
  static constexpr auto GetRealFactor = &CKestrelCode::GetRealFactor;
  static constexpr auto FixFactor = &CKestrelCode::FixFactor;
  static constexpr auto GetFloat = &CKestrelCode::GetFloat;

  // Column codecs.
  static constexpr auto DecodeDayKLine_Int_1_Method_Date =
      &CKestrelCode::DecodeDayKLine_Int_1_Method_Date;
  static constexpr auto DecodeDayKLine_Int_2_Method = &CKestrelCode::DecodeDayKLine_Int_2_Method;
  static constexpr auto DecodeDayKLine_Int_3_Method_Date_And_Time =
      &CKestrelCode::DecodeDayKLine_Int_3_Method_Date_And_Time;
  static constexpr auto DecodeDayKLine_Int_4_Method_Time =
      &CKestrelCode::DecodeDayKLine_Int_4_Method_Time;
  static constexpr auto DecodeDayKLine_Int_5_Method = &CKestrelCode::DecodeDayKLine_Int_5_Method;
  static constexpr auto DecodeDayKLine_Int_6_Method_Date =
      &CKestrelCode::DecodeDayKLine_Int_6_Method_Date;
  static constexpr auto DecodeDayKLine_Int_7_Method = &CKestrelCode::DecodeDayKLine_Int_7_Method;
  static constexpr auto DecodeDayKLine_Double_1_Method =
      &CKestrelCode::DecodeDayKLine_Double_1_Method;
  static constexpr auto DecodeDayKLine_Double_2_Method =
      &CKestrelCode::DecodeDayKLine_Double_2_Method;
  static constexpr auto DecodeDayKLine_Double_3_Method =
      &CKestrelCode::DecodeDayKLine_Double_3_Method;
  static constexpr auto DecodeDayKLine_Double_4_Method =
      &CKestrelCode::DecodeDayKLine_Double_4_Method;
  static constexpr auto DecodeDayKLine_Int64_1_Method =
      &CKestrelCode::DecodeDayKLine_Int64_1_Method;
  static constexpr auto DecodeDayKLine_Int64_2_Method =
      &CKestrelCode::DecodeDayKLine_Int64_2_Method;
  static constexpr auto DecodeDayKLine_Int64_3_Method =
      &CKestrelCode::DecodeDayKLine_Int64_3_Method;
  static constexpr auto DecodeDayKLine_56_Index = &CKestrelCode::DecodeDayKLine_56_Index;
  static constexpr auto QeDateToHQDate = &CKestrelCode::QeDateToHQDate;
  static constexpr auto DecodeColumnLayout = &CKestrelCode::DecodeColumnLayout;

  // Level-2 series, order queues, market events and parameters.
  static constexpr auto DecodeL2DealData = &CKestrelCode::DecodeL2DealData;
  static constexpr auto DecodeL2DealRevertData = &CKestrelCode::DecodeL2DealRevertData;
  static constexpr auto DecodeL2OrdersData = &CKestrelCode::DecodeL2OrdersData;
  static constexpr auto DecodeL2OrderQueueData = &CKestrelCode::DecodeL2OrderQueueData;
  static constexpr auto DecodeL2OrderQueueSeries = &CKestrelCode::DecodeL2OrderQueueSeries;
  static constexpr auto DecodeMarketEventData = &CKestrelCode::DecodeMarketEventData;
  static constexpr auto DecodeImageStatus_FULL = &CKestrelCode::DecodeImageStatus_FULL;
  static constexpr auto DecodeParameters = &CKestrelCode::DecodeParameters;

  // Indicator field decoders.
  static constexpr auto DecodeHQAFComment = &CKestrelCode::DecodeHQAFComment;
};

#endif  // KESTREL_TESTS_SUPPORT_KESTRELCODEACCESS_H
