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
};

#endif  // KESTREL_TESTS_SUPPORT_KESTRELCODEACCESS_H
