// CCode: the output buffer of one request.
#include "Code.h"

#include <climits>
#include <cstring>
#include <new>

namespace {

constexpr int kInitialCapacity = 1024;
// Spare room added whenever the buffer grows.
constexpr int kGrowthSlack = 1024;

char* NewBlock(int size) { return new (std::nothrow) char[size](); }

}  // namespace

CCode::CCode() : CCode(kInitialCapacity) {}

CCode::CCode(int size) : length(0), content(nullptr), capacity(0) {
  if (size < 1) return;
  content = NewBlock(size);
  if (content != nullptr) capacity = size;
}

CCode::~CCode() { Clear(); }

int CCode::GetLength() { return length; }

char* CCode::GetContent() { return content; }

bool CCode::AddLength(int n) {
  if (n < 0 || length > INT_MAX - kGrowthSlack - n) return false;
  const int needed = length + n;
  if (needed <= capacity) {
    length = needed;
    return true;
  }
  // On failure the CCode keeps describing the block it really holds.
  char* block = new (std::nothrow) char[needed + kGrowthSlack];
  if (block == nullptr) return false;
  if (content != nullptr && length > 0) std::memcpy(block, content, length);
  delete[] content;
  content = block;
  capacity = needed + kGrowthSlack;
  length = needed;
  return true;
}

bool CCode::SetContent(char c, int index) {
  if (content == nullptr || index < 0 || index >= capacity) return false;
  content[index] = c;
  return true;
}

bool CCode::SetContent(char c) {
  if (content == nullptr) return false;
  const int index = length;
  if (!AddLength(1)) return false;
  content[index] = c;
  return true;
}

void CCode::Clear() {
  delete[] content;
  content = nullptr;
  length = 0;
  capacity = 0;
}

void CCode::PrintLog() {}
