// KeepGb2312Hanzi over random bytes, and over titles built from known pieces.
//
// Input: options, then bytes. Option bit 0 reads the bytes as a recipe for a title made of
// pieces whose fate is known (see BuildTitle); otherwise the bytes are the title.
//
// Invariants:
// - the result is whole pairs, each a GB2312 hanzi (lead B0..F7, trail A1..FE), taken from the
//   input in order, and filtering it again changes nothing;
// - a title made of ASCII bytes, double-byte characters and a last lone lead byte keeps exactly
//   its GB2312 hanzi: nothing else comes through and no hanzi is lost to a misread pair.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "search/keep_gb2312_hanzi.h"

namespace tevrin::fuzz {
namespace {

bool IsHanzi(unsigned char lead, unsigned char trail) {
  return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

// Each recipe byte picks a piece by its low two bits and shapes it with the recipe bytes after it.
Text BuildTitle(std::string_view recipe, Text& hanzi) {
  Text title;
  std::size_t i = 0;
  auto next = [&]() -> unsigned char {
    return i < recipe.size() ? static_cast<unsigned char>(recipe[i++]) : 0;
  };
  while (i < recipe.size()) {
    const unsigned char kind = next() & 3u;
    if (kind == 0) {
      title += static_cast<char>(next() & 0x7F);
    } else if (kind == 1) {
      // Any pair of high bytes, a hanzi or not.
      const auto lead = static_cast<unsigned char>(next() | 0x80);
      const auto trail = static_cast<unsigned char>(next() | 0x80);
      title += static_cast<char>(lead);
      title += static_cast<char>(trail);
      if (IsHanzi(lead, trail)) {
        hanzi += static_cast<char>(lead);
        hanzi += static_cast<char>(trail);
      }
    } else if (kind == 2) {
      // A GBK character whose trail byte is ASCII.
      title += static_cast<char>(next() | 0x80);
      title += static_cast<char>(0x40 + next() % 0x3F);
    } else {
      // A hanzi for sure.
      const auto lead = static_cast<unsigned char>(0xB0 + next() % 0x48);
      const auto trail = static_cast<unsigned char>(0xA1 + next() % 0x5E);
      title += static_cast<char>(lead);
      title += static_cast<char>(trail);
      hanzi += static_cast<char>(lead);
      hanzi += static_cast<char>(trail);
    }
  }
  if (!recipe.empty() && (recipe.back() & 0x80) != 0) title += static_cast<char>(0xB0);
  return title;
}

void CheckKept(const Text& title, const Text& kept) {
  FUZZ_CHECK(kept.size() % 2 == 0);
  std::size_t from = 0;
  for (std::size_t i = 0; i < kept.size(); i += 2) {
    FUZZ_CHECK(
        IsHanzi(static_cast<unsigned char>(kept[i]), static_cast<unsigned char>(kept[i + 1])));
    const std::size_t at = title.find(kept.substr(i, 2), from);
    FUZZ_CHECK(at != Text::npos);
    from = at + 2;
  }
  FUZZ_CHECK(KeepGb2312Hanzi(kept) == kept);
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 1);
  if (input.Option(0)) {
    tevrin::Text hanzi;
    const tevrin::Text title = BuildTitle(input.fields[0], hanzi);
    const tevrin::Text kept = tevrin::KeepGb2312Hanzi(title);
    FUZZ_CHECK(kept == hanzi);
    CheckKept(title, kept);
  } else {
    CheckKept(input.fields[0], tevrin::KeepGb2312Hanzi(input.fields[0]));
  }
  return 0;
}
