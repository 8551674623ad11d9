#include "search/keep_gb2312_hanzi.h"

namespace tevrin {

Text KeepGb2312Hanzi(std::string_view text) {
  Text result;
  std::size_t i = 0;
  while (i + 1 < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) {
      result.append(text, i, 2);
      i += 2;
    } else if (lead >= 0x80 && trail >= 0x80) {
      // Full-width punctuation and GBK characters outside GB2312 go as whole pairs, so their
      // trail byte is never mistaken for the lead byte of a hanzi.
      i += 2;
    } else {
      ++i;
    }
  }
  return result;
}

}  // namespace tevrin
