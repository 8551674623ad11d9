#include "cli/output.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <vector>

#include "app/control.h"
#include "app/window_layout.h"

namespace tevrin {

namespace {

// Keys in the order the objects are documented in, which is also the order people read them in.
using Json = nlohmann::ordered_json;

Json MessagesJson(const std::vector<ShownMessage>& messages) {
  Json list = Json::array();
  for (const ShownMessage& message : messages) {
    list.push_back({{"title", message.title}, {"text", message.text}});
  }
  return list;
}

Json ObjectOf(const SearchOutcome& search) {
  return {{"page", search.page},
          {"rows", search.rows},
          {"button", {{"caption", search.buttonCaption}, {"enabled", search.buttonEnabled}}},
          {"messages", MessagesJson(search.messages)}};
}

Json ObjectOf(const TocOutcome& toc) {
  return {{"page", toc.page},
          {"label", toc.label},
          {"rows", toc.rows},
          {"messages", MessagesJson(toc.messages)}};
}

Json ObjectOf(const ChapterOutcome& chapter) {
  return {{"page", chapter.page}, {"title", chapter.title},
          {"text", chapter.text}, {"prev", chapter.prev},
          {"next", chapter.next}, {"messages", MessagesJson(chapter.messages)}};
}

Json ObjectOf(const FetchOutcome& fetch) {
  return {{"text", fetch.text},
          {"statusText", fetch.statusText},
          {"responseHeaders", fetch.responseHeaders},
          {"redirectLocation", fetch.redirectLocation},
          {"responseCookies", fetch.responseCookies},
          {"cookies", fetch.cookies},
          {"bodyLength", fetch.bodyLength}};
}

/// The next code point of `utf8` from `at`, moving `at` past it; a malformed byte is taken alone
/// as U+FFFD.
char32_t NextCodePoint(std::string_view utf8, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(at);
  int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + static_cast<std::size_t>(length) > utf8.size()) {
    ++at;
    return lead < 0x80 ? lead : U'\uFFFD';
  }
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    const unsigned char next = byte(at + static_cast<std::size_t>(i));
    if ((next & 0xC0) != 0x80) {
      ++at;
      return U'\uFFFD';
    }
    code = (code << 6) | (next & 0x3F);
  }
  at += static_cast<std::size_t>(length);
  return code;
}

int CodePointWidth(char32_t c) {
  struct Range {
    char32_t first;
    char32_t last;
  };
  static constexpr Range kZero[] = {{0x0300, 0x036F}, {0x200B, 0x200F}, {0xFE00, 0xFE0F}};
  static constexpr Range kWide[] = {
      {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
      {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
      {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
      {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
  };
  const auto within = [c](const Range& range) { return c >= range.first && c <= range.last; };
  if (std::any_of(std::begin(kZero), std::end(kZero), within)) return 0;
  if (std::any_of(std::begin(kWide), std::end(kWide), within)) return 2;
  return 1;
}

void WritePadded(std::FILE* out, const std::string& cell, int width) {
  std::fputs(cell.c_str(), out);
  for (int pad = width - DisplayWidth(cell); pad > 0; --pad) std::fputc(' ', out);
}

/// Rows under their column titles, every column but the last padded to its widest cell.
void WriteTable(std::FILE* out, std::span<const ColumnLayout> columns,
                const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::string> titles;
  for (const ColumnLayout& column : columns) {
    titles.emplace_back(reinterpret_cast<const char*>(column.title));
  }
  std::vector<int> widths(titles.size(), 0);
  const auto measure = [&widths](const std::vector<std::string>& row) {
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
  };
  measure(titles);
  for (const auto& row : rows) measure(row);

  const auto writeRow = [&](const std::vector<std::string>& row) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i + 1 == row.size()) {
        std::fputs(row[i].c_str(), out);
      } else {
        WritePadded(out, row[i], i < widths.size() ? widths[i] : 0);
        std::fputs("  ", out);
      }
    }
    std::fputc('\n', out);
  };
  writeRow(titles);
  for (const auto& row : rows) writeRow(row);
}

/// The window keeps CR LF line ends; a terminal wants LF.
std::string WithUnixLineEnds(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

void WriteMessages(std::FILE* err, const std::vector<ShownMessage>& messages) {
  for (const ShownMessage& message : messages) {
    // The titles mostly end in a colon of their own ("信息："); a second one would be noise.
    const char* separator = EndsWith(message.title, "：")  ? ""
                            : EndsWith(message.title, ":") ? " "
                                                           : ": ";
    std::fprintf(err, "%s%s%s\n", message.title.c_str(), separator, message.text.c_str());
  }
}

void WritePlainOf(const SearchOutcome& search, std::FILE* out, std::FILE* err) {
  if (!search.rows.empty()) WriteTable(out, ColumnsOf(Control::超级列表框1), search.rows);
  WriteMessages(err, search.messages);
}

void WritePlainOf(const TocOutcome& toc, std::FILE* out, std::FILE* err) {
  if (!toc.rows.empty()) {
    if (!toc.label.empty()) std::fprintf(out, "%s\n\n", toc.label.c_str());
    int numberWidth = 0;
    int titleWidth = 0;
    for (const auto& row : toc.rows) {
      numberWidth = std::max(numberWidth, DisplayWidth(row.at(0)));
      titleWidth = std::max(titleWidth, DisplayWidth(row.at(1)));
    }
    for (const auto& row : toc.rows) {
      for (int pad = numberWidth - DisplayWidth(row[0]); pad > 0; --pad) std::fputc(' ', out);
      std::fprintf(out, "%s  ", row[0].c_str());
      WritePadded(out, row[1], titleWidth);
      std::fprintf(out, "  %s\n", row[2].c_str());
    }
  }
  WriteMessages(err, toc.messages);
}

void WritePlainOf(const ChapterOutcome& chapter, std::FILE* out, std::FILE* err) {
  // A load that failed, or an end of the book, leaves nothing on show.
  if (!chapter.title.empty() || !chapter.text.empty()) {
    const std::string text = WithUnixLineEnds(chapter.text);
    std::fprintf(out, "%s\n\n%s%s", chapter.title.c_str(), text.c_str(),
                 EndsWith(text, "\n") ? "" : "\n");
  }
  WriteMessages(err, chapter.messages);
}

void WritePlainOf(const FetchOutcome& fetch, std::FILE* out, std::FILE* err) {
  std::fwrite(fetch.text.data(), 1, fetch.text.size(), out);
  if (!fetch.succeeded) std::fprintf(err, "tevrin-cli: %s\n", fetch.statusText.c_str());
}

}  // namespace

std::string ToJson(const CommandOutcome& outcome) {
  const Json object = std::visit([](const auto& shown) { return ObjectOf(shown); }, outcome);
  // Texts come from the GBK decoder, which never leaves bad UTF-8; replacing instead of throwing
  // keeps it that way should that ever change.
  return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void WritePlain(const CommandOutcome& outcome, std::FILE* out, std::FILE* err) {
  std::visit([out, err](const auto& shown) { WritePlainOf(shown, out, err); }, outcome);
}

int DisplayWidth(std::string_view utf8) {
  int width = 0;
  for (std::size_t at = 0; at < utf8.size();) width += CodePointWidth(NextCodePoint(utf8, at));
  return width;
}

}  // namespace tevrin
