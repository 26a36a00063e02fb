// CCode: the growable output buffer into which one request is built.
//
// An Encode... operation of CKestrelCode returns a CCode made with scalar new;
// the host sends GetLength() bytes from GetContent() and then deletes it.
#ifndef KESTREL_CODE_H
#define KESTREL_CODE_H

#include "KestrelExport.h"

class KESTREL_API CCode {
 public:
  // 1024 zeroed bytes of room, nothing written yet.
  CCode();
  // `size` zeroed bytes of room (none when size is below 1), nothing written.
  explicit CCode(int size);
  ~CCode();

  CCode(const CCode&) = delete;
  CCode& operator=(const CCode&) = delete;

  int GetLength();
  char* GetContent();

  // Reserves n more bytes at the end. When the room is short the block is
  // replaced by one of (new length + 1024) bytes holding the bytes written so
  // far. The new bytes are not zeroed: the caller stores every one of them.
  // Returns false, leaving length, content and capacity as they were, when n
  // is negative, the length would overflow, or no block can be obtained.
  bool AddLength(int n);

  // Stores c at index; false when there is no block or the index is outside
  // 0 .. capacity-1.
  bool SetContent(char c, int index);
  // Appends one raw byte; false when there is no block or it cannot grow.
  bool SetContent(char c);

  // Frees the block; length and capacity become 0.
  void Clear();
  // Diagnostic hook; writes nothing.
  void PrintLog();

 private:
  int length;
  char* content;
  int capacity;
};

#endif  // KESTREL_CODE_H
