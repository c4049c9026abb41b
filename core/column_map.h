#pragma once
// The source pixels one stretched row samples, worked out once per stretch
// and used for every row it draws: destination column x of a stretch from
// `sourceWidth` to `destinationWidth` pixels takes source column
// floor(x * sourceWidth / destinationWidth). Pixels are 3 bytes.
#include <array>
#include <cstdint>

class ColumnMap {
 public:
  static constexpr int kColumns = 512;  // at most, per map

  // Maps destination columns first .. first + count - 1, counted from the
  // stretch's left edge; count is at most kColumns.
  void Build(std::int64_t first, int count, std::int64_t sourceWidth, std::int64_t destinationWidth);
  // Writes the `count` pixels of one row sampled from `source`.
  void Sample(const std::uint8_t* source, std::uint8_t* out) const;

 private:
  int count_ = 0;
  std::array<std::uint32_t, kColumns> offsets_;  // of each pixel's source, in bytes
  // Where a byte shuffle is at hand: each group of four pixels shuffled out of
  // one 16-byte load, for as many leading groups as the loads stay in the row.
  int shuffled_ = 0;
  alignas(16) std::array<std::array<std::int8_t, 16>, kColumns / 4> shuffles_;
};
