// Type codes of the values held by a CIndexToValue entry.
//
// The code says which member of the entry's CIndexValue is live and what
// storage the entry owns. Codes below 10 are single values (quotes); 11 to 21
// are the series forms that history records hold, one element per time
// point. The numbers are read by hosts and must not change.
#ifndef KESTREL_MODEL_VALUETYPES_H
#define KESTREL_MODEL_VALUETYPES_H

enum ValueTypeCode : int {
  kValueChar = 1,          // cValue; no indicator uses it
  kValueInt = 2,           // nValue
  kValueDouble = 3,        // dValue
  kValueInt64 = 4,         // llValue
  kValueText = 11,         // pcValue: an owned text (or char buffer)
  kValueIntArray = 12,     // pnValue: owned array of 32-bit integers
  kValueDoubleArray = 13,  // pdValue: owned array of doubles
  kValueInt64Array = 14,   // pllValue: owned array of 64-bit integers
  kValueTextArray = 21,    // ppcValue: owned array of owned texts (or nulls)
};

#endif  // KESTREL_MODEL_VALUETYPES_H
