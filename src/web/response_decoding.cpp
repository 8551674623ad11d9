#include "web/response_decoding.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

#include "text/code_page.h"

namespace tevrin {

namespace {

constexpr std::size_t kDeclarationWindow = 1024;

std::string_view UpToFirstNul(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

// `owned`, when given, holds `body` and may be taken for the result, which saves copying a page
// that needs no conversion.
Text Decode(std::string_view body, Bytes* owned, RegexObject& regex,
            const ProcessEventsFn& processEvents) {
  static const Text kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";
  const std::string_view plain = UpToFirstNul(body);
  auto plainText = [&]() -> Text {
    if (!owned) return Text(plain);
    owned->resize(plain.size());
    return std::move(*owned);
  };

  if (!regex.Execute(kCharsetPattern, Text(plain.substr(0, kDeclarationWindow)))) {
    return plainText();
  }

  const Text charset = regex.GroupText(1, 1);
  std::optional<Text> converted;
  if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
    // The whole body is converted, bytes after a NUL included; a NUL in the converted text ends
    // it, as it ends the plain text. A name iconv does not know leaves the plain text.
    converted = CharsetToGbk(body, charset);
  }
  Text result;
  if (converted) {
    converted->resize(UpToFirstNul(*converted).size());
    result = std::move(*converted);
  } else {
    result = plainText();
  }
  if (processEvents) processEvents();
  return result;
}

}  // namespace

Text DecodeResponse(const Bytes& body, RegexObject& regex, const ProcessEventsFn& processEvents) {
  return Decode(body, nullptr, regex, processEvents);
}

Text DecodeResponse(Bytes&& body, RegexObject& regex, const ProcessEventsFn& processEvents) {
  return Decode(body, &body, regex, processEvents);
}

}  // namespace tevrin
