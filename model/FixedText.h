// Copying texts into the fixed-size character fields of the records.
#ifndef KESTREL_MODEL_FIXEDTEXT_H
#define KESTREL_MODEL_FIXEDTEXT_H

#include <cstddef>

// Copies the NUL-terminated text into buffer, cut to N - 1 characters so the
// buffer always ends with NUL. A null text gives an empty text.
template <size_t N>
void CopyFixedText(char (&buffer)[N], const char* text) {
  size_t i = 0;
  if (text != nullptr) {
    for (; i + 1 < N && text[i] != '\0'; ++i) buffer[i] = text[i];
  }
  buffer[i] = '\0';
}

#endif  // KESTREL_MODEL_FIXEDTEXT_H
