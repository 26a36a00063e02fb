// The indicator catalogue: value types by id and the setup of series
// columns. Quote columns and mask selection are checked through the quote
// messages that use them.
#include <gtest/gtest.h>

#include "KestrelRecords.h"
#include "model/IndicatorCatalogue.h"

TEST(IndicatorCatalogue, ValueTypesById) {
  struct Case {
    int id;
    int single;
    int series;
  } cases[] = {
      // One id of each type, the ends of a range, and ids no row names.
      {1, 2, 12},   {57, 2, 12},  {329, 2, 12},  {8, 4, 14},    {134, 4, 14},
      {135, 4, 14}, {490, 4, 14}, {130, 11, 21}, {480, 11, 21}, {136, 3, 13},
      {332, 3, 13}, {0, 3, 13},   {-5, 3, 13},   {491, 3, 13},  {100000, 3, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(IndicatorValueType(c.id, false), c.single);
    EXPECT_EQ(IndicatorValueType(c.id, true), c.series);
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
  }
}
