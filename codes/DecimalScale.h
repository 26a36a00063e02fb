// Scaling a received integer down by its decimal places: the divisor is
// worked out once (per column, or per indicator) and each value costs one
// division (an exact one: a multiplication by the reciprocal would change
// the last bit of some results).
#ifndef KESTREL_CODES_DECIMALSCALE_H
#define KESTREL_CODES_DECIMALSCALE_H

#include <cstdint>

namespace kestrel {

class DecimalScale {
 public:
  // `decimals` is a count of places, 0 to 5, or the power of ten itself
  // (10 to 100000); any other number names no divisor.
  constexpr explicit DecimalScale(int decimals) {
    if (decimals >= 0 && decimals <= kMostPlaces) {
      divisor_ = kPowersOfTen[decimals];
      return;
    }
    for (int places = 1; places <= kMostPlaces; ++places) {
      if (decimals == static_cast<int>(kPowersOfTen[places])) divisor_ = kPowersOfTen[places];
    }
  }
  // The value divided by the power of ten; 0 when the decimals named none.
  constexpr double Apply(int64_t value) const {
    return divisor_ != 0.0 ? static_cast<double>(value) / divisor_ : 0.0;
  }
  // The power of ten; 0 when the decimals named none.
  constexpr double Divisor() const { return divisor_; }
  // The most places a scale names by count.
  static constexpr int kMostPlaces = 5;

 private:
  static constexpr double kPowersOfTen[kMostPlaces + 1] = {1.0,    10.0,    100.0,
                                                           1000.0, 10000.0, 100000.0};
  double divisor_ = 0.0;  // 0: no divisor
};

}  // namespace kestrel

#endif  // KESTREL_CODES_DECIMALSCALE_H
