#include "reading/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <random>
#include <vector>

namespace tevrin {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

struct Line {
  std::string_view content;  // without its line end
  std::string_view end;      // "\r\n", "\n", or empty for a last line without one
};

std::vector<Line> SplitLines(std::string_view contents) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < contents.size()) {
    // A line feed is never the second byte of a GBK character, so a byte search is safe here.
    const std::size_t feed = contents.find('\n', start);
    if (feed == std::string_view::npos) {
      lines.push_back({contents.substr(start), {}});
      break;
    }
    std::size_t contentEnd = feed;
    if (contentEnd > start && contents[contentEnd - 1] == '\r') --contentEnd;
    lines.push_back({contents.substr(start, contentEnd - start),
                     contents.substr(contentEnd, feed + 1 - contentEnd)});
    start = feed + 1;
  }
  return lines;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

/// Position of `c` in `text` at a GBK character boundary (the first, or the last when `last`).
std::optional<std::size_t> FindCharacter(std::string_view text, char c, bool last) {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == c) {
      found = i;
      if (!last) break;
    }
    const bool lead = static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size();
    i += lead ? 2 : 1;
  }
  return found;
}

std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const auto close = FindCharacter(text, ']', true);
  if (!close) return std::nullopt;
  return TrimBlanks(text.substr(1, *close - 1));
}

std::optional<std::string_view> KeyName(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.empty() || text.front() == ';' || text.front() == '#') return std::nullopt;
  const auto equals = FindCharacter(text, '=', false);
  return TrimBlanks(text.substr(0, equals.value_or(text.size())));
}

Text KeyLine(std::string_view key, std::string_view value) {
  Text line(key);
  line += '=';
  for (const char c : value) {
    if (c != '\r' && c != '\n') line += c;
  }
  line += kLineEnd;
  return line;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

/// The whole file, empty when it does not exist, with its permission bits in `mode`; nothing
/// when it exists but is not a regular file or cannot be read, since replacing it would lose
/// what it holds.
std::optional<Bytes> ReadExisting(const std::string& path, std::optional<mode_t>& mode) {
  // O_NONBLOCK: a FIFO by that name must not stall the job in open(); it is refused below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return Bytes();
    return std::nullopt;
  }
  struct stat status {};
  std::optional<Bytes> contents;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
    mode = status.st_mode & 07777;
    Bytes bytes;
    char buffer[8192];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      if (got == 0) {
        contents = std::move(bytes);
        break;
      }
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  return contents;
}

/// A new file beside `path`, created with O_EXCL so it can never be someone else's file.
int CreateTemporary(const std::string& path, std::string& temporary) {
  std::random_device device;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(device()));
    temporary = path + suffix;
    // 0666 lets the process's umask decide, as for any file the program creates.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

Bytes SetProfileString(std::string_view contents, std::string_view section, std::string_view key,
                       std::string_view value) {
  const std::vector<Line> lines = SplitLines(contents);
  std::optional<std::size_t> header;
  std::size_t lastOfSection = 0;
  std::optional<std::size_t> keyLine;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i].content;
    if (const auto name = SectionName(line)) {
      if (header) break;
      if (EqualsIgnoreCase(*name, section)) header = lastOfSection = i;
      continue;
    }
    if (!header) continue;
    if (!TrimBlanks(line).empty()) lastOfSection = i;
    if (const auto name = KeyName(line); name && EqualsIgnoreCase(*name, key)) {
      keyLine = i;
      break;
    }
  }

  if (!header) {
    Bytes result(contents);
    if (!result.empty() && result.back() != '\n') result += kLineEnd;
    result += '[';
    result += section;
    result += ']';
    result += kLineEnd;
    return result + KeyLine(key, value);
  }

  Bytes result;
  result.reserve(contents.size() + key.size() + value.size() + 4);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (keyLine == i) {
      // The name keeps the spelling the file gave it.
      result += KeyLine(*KeyName(lines[i].content), value);
      continue;
    }
    result += lines[i].content;
    result += lines[i].end;
    if (!keyLine && i == lastOfSection) {
      if (lines[i].end.empty()) result += kLineEnd;
      result += KeyLine(key, value);
    }
  }
  return result;
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  std::optional<mode_t> mode;
  const std::optional<Bytes> existing = ReadExisting(path, mode);
  if (!existing) return false;
  const Bytes contents = SetProfileString(*existing, section, key, value);

  std::string temporary;
  const int fd = CreateTemporary(path, temporary);
  if (fd < 0) return false;
  bool written = WriteAll(fd, contents);
  if (written && mode) written = ::fchmod(fd, *mode) == 0;
  // Flushed before the rename, so a crash leaves the old file or the new one, never an empty one.
  written = written && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace tevrin
