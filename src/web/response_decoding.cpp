#include "web/response_decoding.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "text/code_page.h"

namespace tevrin {

namespace {

constexpr std::size_t kDeclarationWindow = 1024;

std::string_view UpToFirstNul(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

Text DecodeResponse(const Bytes& body, RegexObject& regex, const ProcessEventsFn& processEvents) {
  static const Text kCharsetPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";
  const std::string_view plain = UpToFirstNul(body);
  Text result(plain);

  if (!regex.Execute(kCharsetPattern, Text(plain.substr(0, kDeclarationWindow)))) return result;

  const Text charset = regex.GroupText(1, 1);
  if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
    // The whole body is converted, bytes after a NUL included; a NUL in the converted text ends
    // it, as it ends the plain text. A name iconv does not know leaves the plain text.
    if (const std::optional<Text> converted = CharsetToGbk(body, charset)) {
      result = Text(UpToFirstNul(*converted));
    }
  }
  if (processEvents) processEvents();
  return result;
}

}  // namespace tevrin
