// Widths of the fixed text buffers of the exported records. They are part of
// the records' layout, which hosts read field by field.
#ifndef KESTREL_SIZES_H
#define KESTREL_SIZES_H

// A security code: at most 29 characters and the terminating NUL.
inline constexpr int kKestrelTernCodeSize = 30;
// The security code of a market event: at most 47 characters and NUL.
inline constexpr int kKestrelEventCodeSize = 48;
// The closing text of a market event: at most 39 characters and NUL.
inline constexpr int kKestrelEventTextSize = 40;
// Number of opening numbers of a market event.
inline constexpr int kKestrelEventInfoCount = 4;

#endif  // KESTREL_SIZES_H
