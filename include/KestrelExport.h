// Symbol visibility of the KestrelUtils shared library.
//
// The library is built with hidden visibility by default; only the codec
// class, the result records and the output buffer carry KESTREL_API.
#ifndef KESTREL_EXPORT_H
#define KESTREL_EXPORT_H

#if defined(_WIN32)
#if defined(KESTREL_BUILDING)
#define KESTREL_API __declspec(dllexport)
#else
#define KESTREL_API __declspec(dllimport)
#endif
#else
#define KESTREL_API __attribute__((visibility("default")))
#endif

#endif  // KESTREL_EXPORT_H
