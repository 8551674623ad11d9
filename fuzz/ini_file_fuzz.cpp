// The reading-record writer: one key set in a random existing INI file.
//
// Input: options, then section NUL key NUL value NUL file contents (any bytes). Option bit 0
// uses the record's own section instead of the given one; bits 1..2 pick the given key (0) or
// one of the record's three keys; bit 3 sets a second key afterwards. About one input in 64,
// picked by a hash of the input so that the fuzzer cannot steer towards it, also writes the whole
// reading record to a real file: each such run waits for three disk syncs.
//
// Section and key names are shaped the way a caller names them: valid GBK without CR, LF or
// "=" (a key), without blanks or tabs around them, and a key does not start like a section
// header or a comment. The contents and the value are left as they come.
//
// Invariants:
// - every line of the file other than the written key's comes back byte for byte and in order;
//   only a last line without a line end may gain CR LF;
// - the written key is one line, "key=value" with CR and LF of the value dropped: the first line
//   of that key in the first section of that name is rewritten in place (the name keeps the
//   file's spelling), or the line is added after the section's last line that is not blank, or
//   the section header and the line are added at the end when no such section exists;
// - setting the same key to the same value again changes nothing;
// - writing the record to a file gives the same bytes as setting its three keys in memory.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "reading/ini_file.h"
#include "reading/reading_record.h"
#include "text/code_page.h"

namespace tevrin::fuzz {
namespace {

struct RecordNames {
  Text section = Gbk(u8"阅读记录");
  Text keys[3] = {Gbk(u8"文章记录"), Gbk(u8"来源"), Gbk(u8"章节名称")};
  Text sites[2] = {Gbk(u8"笔趣阁"), Gbk(u8"顶点网")};
};

const RecordNames& Names() {
  static const RecordNames names;
  return names;
}

struct Line {
  std::string_view content;
  std::string_view end;
  bool operator==(const Line&) const = default;
};

std::vector<Line> Lines(std::string_view contents) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < contents.size()) {
    const std::size_t feed = contents.find('\n', start);
    if (feed == std::string_view::npos) {
      lines.push_back({contents.substr(start), {}});
      break;
    }
    const std::size_t end = feed > start && contents[feed - 1] == '\r' ? feed - 1 : feed;
    lines.push_back({contents.substr(start, end - start), contents.substr(end, feed + 1 - end)});
    start = feed + 1;
  }
  return lines;
}

Text WithoutLineBreaks(std::string_view text) {
  Text result;
  for (const char c : text) {
    if (c != '\r' && c != '\n') result += c;
  }
  return result;
}

Text SectionName(std::string_view bytes) {
  return Text(TrimBlanksAndTabs(WithoutLineBreaks(ValidGbk(bytes))));
}

Text KeyName(std::string_view bytes) {
  Text name;
  for (const char c : WithoutLineBreaks(ValidGbk(bytes))) {
    if (c != '=') name += c;
  }
  std::string_view key = TrimBlanksAndTabs(name);
  while (!key.empty() && (key.front() == '[' || key.front() == ';' || key.front() == '#')) {
    key = TrimBlanksAndTabs(key.substr(1));
  }
  return Text(key);
}

// The same line, allowing a last line without a line end to gain CR LF.
bool Kept(const Line& before, const Line& after, bool last) {
  return before.content == after.content &&
         (before.end == after.end || (last && before.end.empty() && after.end == "\r\n"));
}

// "[name]" with blanks and tabs around the line and the name; the last "]" that is a character
// of its own closes it.
std::optional<std::string_view> HeaderName(std::string_view content) {
  const std::string_view text = TrimBlanksAndTabs(content);
  if (text.empty() || text.front() != '[') return std::nullopt;
  std::optional<std::size_t> close;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == ']') close = i;
  }
  if (!close) return std::nullopt;
  return TrimBlanksAndTabs(text.substr(1, *close - 1));
}

// The key a line sets: the part before its first "=" character, trimmed; comments and blank
// lines set none.
std::optional<std::string_view> KeyOf(std::string_view content) {
  const std::string_view text = TrimBlanksAndTabs(content);
  if (text.empty() || text.front() == ';' || text.front() == '#') return std::nullopt;
  std::size_t i = 0;
  while (i < text.size() && text[i] != '=') i += CharLength(text, i);
  return TrimBlanksAndTabs(text.substr(0, std::min(i, text.size())));
}

void CheckWrite(const Bytes& contents, const Bytes& written, const Text& section, const Text& key,
                const Text& rawValue) {
  const Text value = WithoutLineBreaks(rawValue);
  const std::vector<Line> before = Lines(contents);
  const std::vector<Line> after = Lines(written);
  const std::size_t n = before.size();

  // The first section of that name runs up to the next header.
  std::optional<std::size_t> header;
  std::size_t end = n;
  for (std::size_t i = 0; i < n; ++i) {
    const auto name = HeaderName(before[i].content);
    if (!name) continue;
    if (header) {
      end = i;
      break;
    }
    if (EqualsIgnoreCase(*name, section)) header = i;
  }

  if (!header) {
    FUZZ_CHECK(after.size() == n + 2);
    for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(Kept(before[i], after[i], i + 1 == n));
    const Text headerLine = "[" + section + "]";
    const Text keyLine = key + "=" + value;
    FUZZ_CHECK(after[n] == (Line{headerLine, "\r\n"}));
    FUZZ_CHECK(after[n + 1] == (Line{keyLine, "\r\n"}));
  } else {
    std::optional<std::size_t> keyAt;
    std::size_t lastFilled = *header;
    for (std::size_t i = *header + 1; i < end && !keyAt; ++i) {
      const auto name = KeyOf(before[i].content);
      if (name && EqualsIgnoreCase(*name, key)) keyAt = i;
      if (!TrimBlanksAndTabs(before[i].content).empty()) lastFilled = i;
    }
    if (keyAt) {
      // Rewritten in place; the name keeps the file's spelling.
      FUZZ_CHECK(after.size() == n);
      const Text keyLine = Text(*KeyOf(before[*keyAt].content)) + "=" + value;
      for (std::size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(i == *keyAt ? after[i] == (Line{keyLine, "\r\n"}) : before[i] == after[i]);
      }
    } else {
      // Added after the last line of the section that is not blank.
      FUZZ_CHECK(after.size() == n + 1);
      const std::size_t at = lastFilled + 1;
      for (std::size_t i = 0; i < at; ++i) FUZZ_CHECK(Kept(before[i], after[i], i + 1 == n));
      const Text keyLine = key + "=" + value;
      FUZZ_CHECK(after[at] == (Line{keyLine, "\r\n"}));
      for (std::size_t i = at; i < n; ++i) FUZZ_CHECK(before[i] == after[i + 1]);
    }
  }
  for (std::size_t i = 0; i + 1 < after.size(); ++i) FUZZ_CHECK(!after[i].end.empty());

  FUZZ_CHECK(SetProfileString(written, section, key, rawValue) == written);
}

Bytes SetAndCheck(const Bytes& contents, const Text& section, const Text& key, const Text& value) {
  const Bytes written = SetProfileString(contents, section, key, value);
  CheckWrite(contents, written, section, key, value);
  return written;
}

// The record written through the file system: the same bytes as the three keys set in memory.
void CheckRecordFile(const Bytes& contents, const Text& url, int site, const Text& title) {
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "tevrin-fuzz-XXXXXX");
  if (error || ::mkdtemp(pattern.data()) == nullptr) return;
  const std::string directory = pattern;
  const std::string path = ReadingRecordPath(directory);
  {
    std::ofstream out(path, std::ios::binary);
    out << contents;
  }
  WriteReadingRecord(directory, url, site, title);
  std::ifstream in(path, std::ios::binary);
  const Bytes onDisk{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ::unlink(path.c_str());
  ::rmdir(directory.c_str());

  Bytes expected = SetProfileString(contents, Names().section, Names().keys[0], url);
  expected = SetProfileString(expected, Names().section, Names().keys[1],
                              Names().sites[site == 1 ? 0 : 1]);
  expected = SetProfileString(expected, Names().section, Names().keys[2], title);
  FUZZ_CHECK(onDisk == expected);
}

// FNV-1a.
std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

}  // namespace
}  // namespace tevrin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevrin::fuzz;
  const Input input = ReadInput(data, size, 4);
  const tevrin::Text section = input.Option(0) ? Names().section : SectionName(input.fields[0]);
  const unsigned keyChoice = (input.options >> 1) & 3u;
  const tevrin::Text key = keyChoice == 0 ? KeyName(input.fields[1]) : Names().keys[keyChoice - 1];
  const tevrin::Text& value = input.fields[2];
  const tevrin::Bytes& contents = input.fields[3];

  const tevrin::Bytes written = SetAndCheck(contents, section, key, value);
  if (input.Option(3)) {
    const tevrin::Text other = Names().keys[keyChoice % 3];
    SetAndCheck(written, section, other, tevrin::Text(value.rbegin(), value.rend()));
  }
  if (Hash(data, size) % 64 == 0) {
    CheckRecordFile(contents, value, input.Option(0) ? 1 : 2, KeyName(input.fields[1]));
  }
  return 0;
}
