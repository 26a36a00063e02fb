// The indicator catalogue: value types by id, column setup and mask
// selection.
#include <gtest/gtest.h>

#include "KestrelRecords.h"
#include "model/IndicatorCatalogue.h"

TEST(IndicatorCatalogue, ValueTypesById) {
  struct Case {
    int id;
    int single;
    int series;
  } cases[] = {
      {1, 2, 12},    {2, 2, 12},    {57, 2, 12},  {91, 2, 12},  {138, 2, 12},    {141, 2, 12},
      {156, 2, 12},  {329, 2, 12},  {8, 4, 14},   {59, 4, 14},  {134, 4, 14},    {135, 4, 14},
      {152, 4, 14},  {333, 4, 14},  {339, 4, 14}, {490, 4, 14}, {130, 11, 21},   {131, 11, 21},
      {133, 11, 21}, {480, 11, 21}, {3, 3, 13},   {100, 3, 13}, {136, 3, 13},    {137, 3, 13},
      {332, 3, 13},  {0, 3, 13},    {-5, 3, 13},  {491, 3, 13}, {100000, 3, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(IndicatorValueType(c.id, false), c.single);
    EXPECT_EQ(IndicatorValueType(c.id, true), c.series);
  }
  EXPECT_EQ(ValueTypeCodeOf(IndicatorBaseType::kChar, false), 1);
  EXPECT_EQ(ValueTypeCodeOf(IndicatorBaseType::kChar, true), 11);
}

TEST(IndicatorCatalogue, QuoteColumnsHoldOneValueEach) {
  int ids[] = {3, 8, 131};
  CKestrelQuoteData quote;
  PrepareQuoteColumns(&quote, 3, ids);
  CIndexToValue& columns = *quote.GetIndexToValue();
  ASSERT_EQ(columns.GetNum(), 3);
  const int types[] = {3, 4, 11};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(columns.GetIndexId()[i], ids[i]);
    EXPECT_EQ(columns.GetValueType()[i], types[i]);
    EXPECT_EQ(columns.GetOneIndexValueNum()[i], 1);
  }
  PrepareQuoteColumns(&quote, 0, ids);
  EXPECT_EQ(columns.GetNum(), 0);
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
  }
}

TEST(IndicatorCatalogue, MaskSelectsIdsByBitFromTheTop) {
  int ids[] = {10, 11, 12, 13, 14, 15, 16, 17, 18};
  int selected[9] = {};
  const char first[] = {'\xA0', '\x00'};
  EXPECT_EQ(SelectMaskedIds(ids, 3, first, selected), 2);
  EXPECT_EQ(selected[0], 10);
  EXPECT_EQ(selected[1], 12);

  const char ninth[] = {'\x01', '\x80'};
  EXPECT_EQ(SelectMaskedIds(ids, 9, ninth, selected), 2);
  EXPECT_EQ(selected[0], 17);
  EXPECT_EQ(selected[1], 18);

  int untouched[1] = {-7};
  EXPECT_EQ(SelectMaskedIds(ids, 0, first, untouched), 0);
  EXPECT_EQ(untouched[0], -7);
}
