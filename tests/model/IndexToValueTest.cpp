// CIndexToValue: sizing, storing, deep copies and release of owned values;
// the indicator catalogue's value types and series columns. Quote columns
// and mask selection are checked through the quote messages that use them.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <tuple>

#include "IndexToValue.h"
#include "KestrelRecords.h"
#include "model/IndicatorCatalogue.h"
#include "tests/model/ModelFixtures.h"

using namespace model_test;

namespace {

// A container of one entry of `type` with the given count.
void MakeOneEntry(CIndexToValue& columns, int type, int count) {
  columns.SetNum(1);
  columns.SetDatas();
  columns.GetValueType()[0] = type;
  columns.GetOneIndexValueNum()[0] = count;
}

bool ColumnsNull(CIndexToValue& c) {
  return c.GetIndexId() == nullptr && c.GetValueType() == nullptr &&
         c.GetOneIndexValueNum() == nullptr && c.GetIndexValue() == nullptr;
}

}  // namespace

TEST(IndexToValue, ColumnsExistOnlyForPositiveCounts) {
  for (int num : {3, 0, -2}) {
    SCOPED_TRACE(num);
    CIndexToValue columns;
    columns.SetNum(num);
    columns.SetDatas();
    EXPECT_EQ(columns.GetNum(), num);
    EXPECT_EQ(ColumnsNull(columns), num < 1);
    columns.SetOneIndexValueNumWithValue(1);
    for (int i = 0; i < num; ++i) EXPECT_EQ(columns.GetOneIndexValueNum()[i], 1);
    columns.Clear();
    EXPECT_EQ(columns.GetNum(), 0);
    EXPECT_TRUE(ColumnsNull(columns));
  }
}

TEST(IndexToValue, StoresScalarsByTypeCode) {
  struct Case {
    int type;
    double stored;
    double expected;  // read back from the member of `type`; 0 when untouched
  } cases[] = {
      {2, 2.9, 2}, {2, -2.9, -2}, {2, 1e20, INT_MAX}, {2, -1e20, INT_MIN},
      {2, NAN, 0}, {3, 2.9, 2.9}, {4, -2.9, -2},      {4, 1e12 + 0.5, 1e12},
      {1, 7.5, 0}, {11, 7.5, 0},  {12, 7.5, 0},       {21, 7.5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.stored);
    CIndexToValue byDouble;
    MakeOneEntry(byDouble, c.type, 0);
    byDouble.SetOneNoPointerIndexValueByDouble(0, c.stored);
    CIndexToValue byMemory;
    MakeOneEntry(byMemory, c.type, 0);
    int n = static_cast<int>(c.expected);
    auto ll = static_cast<int64_t>(c.expected);
    double dv = c.expected;
    byMemory.SetOneNoPointerIndexValue(0, c.type == 2   ? static_cast<void*>(&n)
                                          : c.type == 4 ? static_cast<void*>(&ll)
                                                        : static_cast<void*>(&dv));
    for (CIndexToValue* columns : {&byDouble, &byMemory}) {
      const CIndexValue& v = columns->GetIndexValue()[0];
      const double read = c.type == 2   ? v.nValue
                          : c.type == 3 ? v.dValue
                          : c.type == 4 ? double(v.llValue)
                                        : double(v.llValue != 0);
      EXPECT_EQ(read, c.expected);
    }
  }
}

TEST(IndexToValue, StoresArrayElements) {
  CIndexToValue columns;
  FillAllKinds(columns, 1);
  int n = 42;
  double d = -0.5;
  int64_t ll = -(int64_t{1} << 45);
  char shortText[] = "ab";
  columns.SetOnePointerIndexValue(kInts, 2, &n);
  columns.SetOnePointerIndexValue(kDoubles, 1, &d);
  columns.SetOnePointerIndexValue(kInt64s, 0, &ll);
  columns.SetOnePointerIndexValue(kTexts, 0, shortText);  // into "first 1"
  columns.SetOnePointerIndexValue(kTexts, 1, shortText);  // null element: nothing
  columns.SetOnePointerIndexValue(kText, 0, shortText);   // code 11: nothing
  columns.SetIndexValueMemory(-1);                        // no such entries: nothing
  columns.SetIndexValueMemory(kEntryCount);
  CIndexValue* v = columns.GetIndexValue();
  EXPECT_EQ(v[kInts].pnValue[2], 42);
  EXPECT_EQ(v[kDoubles].pdValue[1], -0.5);
  EXPECT_EQ(v[kInt64s].pllValue[0], -(int64_t{1} << 45));
  EXPECT_STREQ(v[kTexts].ppcValue[0], "ab");
  EXPECT_EQ(v[kTexts].ppcValue[1], nullptr);
  EXPECT_EQ(TextOf(v[kText].pcValue), LongText(1));
}

TEST(IndexToValue, AssignmentCopiesEveryOwnedValueDeeply) {
  CIndexToValue target;
  FillAllKinds(target, 9);  // replaced, and released, by the assignment
  {
    CIndexToValue source;
    FillAllKinds(source, 5);
    target = source;
    EXPECT_TRUE(SharesNoStorage(target, 0, source, 0));
    source.GetIndexValue()[kInts].pnValue[0] = -1;
    std::strcpy(source.GetIndexValue()[kTexts].ppcValue[0], "X");
  }  // the source releases its own storage here
  EXPECT_EQ(target.GetNum(), kEntryCount);
  EXPECT_TRUE(HoldsAllKinds(target, 0, 5));

  CIndexToValue& self = target;
  char* text = target.GetIndexValue()[kText].pcValue;
  target = self;
  EXPECT_EQ(target.GetIndexValue()[kText].pcValue, text);
  EXPECT_TRUE(HoldsAllKinds(target, 0, 5));

  CIndexToValue empty;
  target = empty;
  EXPECT_EQ(target.GetNum(), 0);
  EXPECT_TRUE(ColumnsNull(target));
}

TEST(IndexToValue, GrowthKeepsOldEntriesAndAddsZeroedOnes) {
  CIndexToValue fresh;
  fresh.AddLength(2);
  EXPECT_EQ(fresh.GetNum(), 2);
  EXPECT_EQ(fresh.GetIndexValue()[1].llValue, 0);

  CIndexToValue filled;
  FillAllKinds(filled, 4);
  filled.AddLength(0);
  filled.AddLength(-3);
  EXPECT_EQ(filled.GetNum(), kEntryCount);
  filled.AddLength(2);
  ASSERT_EQ(filled.GetNum(), kEntryCount + 2);
  EXPECT_TRUE(HoldsAllKinds(filled, 0, 4));
  EXPECT_EQ(filled.GetValueType()[kEntryCount + 1], 0);
  EXPECT_EQ(filled.GetIndexValue()[kEntryCount + 1].llValue, 0);
}

TEST(IndexToValue, ClearReleasesOnlyCountedTexts) {
  CIndexToValue columns;
  MakeOneEntry(columns, 21, 2);
  char** texts = TryNewArray<kestrel::ResultArrays, char*>(3);
  texts[0] = ResultText("counted");
  texts[2] = ResultText("beyond the count");
  columns.GetIndexValue()[0].ppcValue = texts;
  char* beyond = texts[2];
  columns.Clear();
  // Not released by Clear: releasing it here must not be a double free.
  ReleaseArray<kestrel::ResultArrays>(beyond);
}

TEST(IndicatorCatalogue, ValueTypesById) {
  // One id of each type, the ends of a range, and ids no row names: the id,
  // its single and its series value type.
  const std::tuple<int, int, int> cases[] = {
      {1, 2, 12},   {57, 2, 12},  {329, 2, 12},  {8, 4, 14},    {134, 4, 14},
      {135, 4, 14}, {490, 4, 14}, {130, 11, 21}, {480, 11, 21}, {136, 3, 13},
      {332, 3, 13}, {0, 3, 13},   {-5, 3, 13},   {491, 3, 13},  {100000, 3, 13},
  };
  for (const auto& [id, single, series] : cases) {
    EXPECT_EQ(IndicatorValueType(id, false), single) << id;
    EXPECT_EQ(IndicatorValueType(id, true), series) << id;
  }
  EXPECT_EQ(ValueTypeCodeOf(IndicatorBaseType::kChar, false), 1);
  EXPECT_EQ(ValueTypeCodeOf(IndicatorBaseType::kChar, true), 11);
}

TEST(IndicatorCatalogue, SeriesColumnsGetArraysOnlyForPositiveCounts) {
  int ids[] = {7, 1, 130};
  for (int count : {5, 0, -1}) {
    SCOPED_TRACE(count);
    CKestrelHisData his;
    PrepareSeriesColumns(&his, 3, ids, count);
    CIndexToValue& columns = *his.GetIndexToValue();
    ASSERT_EQ(columns.GetNum(), 3);
    EXPECT_EQ(columns.GetValueType()[0], 13);
    EXPECT_EQ(columns.GetValueType()[1], 12);
    EXPECT_EQ(columns.GetValueType()[2], 21);
    CIndexValue* v = columns.GetIndexValue();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(columns.GetOneIndexValueNum()[i], count > 0 ? count : 0);
    EXPECT_EQ(v[0].pdValue != nullptr && v[2].ppcValue != nullptr, count > 0);
    if (count > 0) {
      EXPECT_EQ(v[0].pdValue[count - 1], 0.0);
      EXPECT_EQ(v[2].ppcValue[count - 1], nullptr);
    }
    // Preparing again releases what the first setup made.
    PrepareSeriesColumns(&his, 1, ids, count);
    EXPECT_EQ(columns.GetNum(), 1);
    PrepareSeriesColumns(&his, 0, ids, count);
    EXPECT_EQ(columns.GetNum(), 0);
  }
}
