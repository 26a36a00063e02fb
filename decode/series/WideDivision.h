// Wide division of scaled columns.
//
// The double columns of a series are integers divided by a power of ten, an
// exact IEEE division per value; a division takes longer than reading a
// field. Where the processor can divide four doubles in one instruction
// (x86 with AVX, found out at run time), the column codecs do so; otherwise
// two at a time. Every lane is the same IEEE division as a scalar one, so
// the values are the same bit for bit either way.
#ifndef KESTREL_DECODE_SERIES_WIDEDIVISION_H
#define KESTREL_DECODE_SERIES_WIDEDIVISION_H

namespace kestrel {

// True when the codecs divide four values per instruction.
bool WideDivision();
// Allows wide division (used only where the processor has it) or turns it
// off, for tests that compare both paths; returns the previous setting.
bool AllowWideDivision(bool allowed);

}  // namespace kestrel

#endif  // KESTREL_DECODE_SERIES_WIDEDIVISION_H
