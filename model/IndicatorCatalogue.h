// The indicator catalogue: the value type of every indicator id, and the
// setup of a record's columns from a list of ids.
//
// The type code of a value is not on the wire. It follows from the indicator
// id (through one table of id ranges) and from whether the record holds
// single values (a quote) or one array per indicator (a history series).
// CKestrelCode's private catalogue operations are thin faces over these.
#ifndef KESTREL_MODEL_INDICATORCATALOGUE_H
#define KESTREL_MODEL_INDICATORCATALOGUE_H

#include <cstdint>

class CKestrelQuoteData;
class CKestrelHisData;

// What one indicator's values are. Ids the table does not name are doubles.
enum class IndicatorBaseType : uint8_t { kDouble, kInt, kInt64, kChar, kText };

IndicatorBaseType IndicatorBaseTypeOf(int id);
// The type code of a value of `type`: its single form, or its series form
// when `series` is true.
int ValueTypeCodeOf(IndicatorBaseType type, bool series);
// The type code of indicator `id`'s values.
int IndicatorValueType(int id, bool series);

// Sizes the quote's container for `num` indicators: ids from `ids`, single
// value types, count 1 each, values zeroed for the decoder to fill. What the
// container held before is released.
void PrepareQuoteColumns(CKestrelQuoteData* quote, int num, const int* ids);
// Sizes the series record's container for `num` indicators with `count`
// time points each: ids from `ids`, series value types and, when count is at
// least 1, a zeroed array of `count` elements per entry; with a smaller count
// every entry has count 0 and no array. What the container held before is
// released.
void PrepareSeriesColumns(CKestrelHisData* his, int num, const int* ids, int count);
// Copies to `selected`, in order, the first `num` ids whose bit is set in
// `mask` (the first id is bit 0x80 of mask[0], the ninth bit 0x80 of
// mask[1]) and returns how many it copied. `selected` needs room for num
// ids, `mask` for (num + 7) / 8 bytes.
int SelectMaskedIds(const int* ids, int num, const char* mask, int* selected);

#endif  // KESTREL_MODEL_INDICATORCATALOGUE_H
