// Forward declarations for the library's own helpers of CKestrelCode
// (KestrelCodeHelpers.inc). KestrelCode.h includes this header only when
// KESTREL_INTERNAL is defined: when the library and its tests are built.
#ifndef KESTREL_CODEC_KESTRELCODEHELPERS_H
#define KESTREL_CODEC_KESTRELCODEHELPERS_H

#include <cstdint>
#include <string>

enum THisType : int32_t;
class KestrelSeriesSet;
namespace kestrel {
struct ColumnLayout;
enum class ColumnPlacement;
enum class Handler : uint8_t;
struct MaskedIds;
struct MessageShape;
struct SecurityBlock;
struct WalkPosition;
enum class WalkEnd;
class VisitSink;
class QuoteRecordSink;
}  // namespace kestrel

#endif  // KESTREL_CODEC_KESTRELCODEHELPERS_H
