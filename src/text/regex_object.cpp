#include "text/regex_object.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "text/code_page.h"

namespace tevrin {
namespace {

// Offsets are kept in 32 bits: several MiB of subject with an empty match at every character
// would otherwise cost twice the memory.
constexpr std::uint32_t kUnset = UINT32_MAX;
// One byte offset is remembered per this many UTF-16 units; a lookup walks at most this many
// GBK characters.
constexpr std::size_t kCheckpointStep = 16;
// The interpreter's backtracking memory, in KiB; PCRE2's own default is far beyond what a page
// deserves.
constexpr PCRE2_SIZE kHeapLimitKib = 128 * 1024;
// Compiling to machine code costs an executable mapping, tens of µs, which only pays off over a
// longer subject; below this many bytes the interpreter finishes sooner.
constexpr std::size_t kJitSubjectBytes = 4 * 1024;
// A match that outgrows the JIT's own 32 KiB machine stack is retried on a stack of this size,
// made only then: mapping it for every run would cost more than most matches take.
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 1024 * 1024;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit < 0xE000;
}

std::u16string ToUnits(std::string_view gbk) {
  const Bytes bytes = ToUtf16(gbk, kCodePageGbk);
  std::size_t count = bytes.size() / 2;
  if (count > 0) --count;  // the terminating zero
  std::u16string units(count, u'\0');
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(units.data(), bytes.data(), count * 2);
  } else {
    for (std::size_t k = 0; k < count; ++k) {
      units[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                       static_cast<unsigned char>(bytes[2 * k + 1]) << 8);
    }
  }
  return units;
}

Text ToText(std::u16string_view units) {
  Bytes bytes(units.size() * 2, '\0');
  for (std::size_t k = 0; k < units.size(); ++k) {
    bytes[2 * k] = static_cast<char>(units[k] & 0xFF);
    bytes[2 * k + 1] = static_cast<char>(units[k] >> 8);
  }
  return FromUtf16(bytes, kCodePageGbk);
}

// Byte offsets of every kCheckpointStep-th unit and of the end, when each GBK character of
// `text` became exactly one UTF-16 unit. Code page 936 converts such a character back to the same
// bytes, so a group's text can then be cut from `text` instead of being converted back. Empty
// when any character was undecodable, so the caller falls back to converting.
//
// Only the bytes and the units of non-ASCII characters are checked: an ASCII byte always decodes
// to itself, and the decoder marks every undecodable byte with U+FFFD at a non-ASCII position.
std::vector<std::uint32_t> MapUnitsToBytes(std::string_view text, std::u16string_view units) {
  std::vector<std::uint32_t> checkpoints;
  checkpoints.reserve(units.size() / kCheckpointStep + 2);
  const std::size_t size = text.size();
  std::size_t i = 0;
  for (std::size_t block = 0; block < units.size(); block += kCheckpointStep) {
    checkpoints.push_back(static_cast<std::uint32_t>(i));
    const std::size_t blockEnd = std::min(block + kCheckpointStep, units.size());
    std::size_t k = block;
    while (k < blockEnd) {
      std::uint64_t eight = 0;
      if (blockEnd - k >= 8 && size - i >= 8) {
        std::memcpy(&eight, text.data() + i, 8);
        if ((eight & 0x8080808080808080u) == 0) {
          i += 8;
          k += 8;
          continue;
        }
      }
      if (i >= size) return {};
      const auto lead = static_cast<unsigned char>(text[i]);
      const char16_t unit = units[k];
      if (lead < 0x80) {
        i += 1;
      } else if (lead == 0x80) {
        if (unit != 0x20AC) return {};  // the euro sign, a single byte in code page 936
        i += 1;
      } else {
        if (lead == 0xFF || size - i < 2) return {};
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return {};
        if (unit < 0x80 || unit == 0xFFFD || IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
          return {};
        }
        i += 2;
      }
      ++k;
    }
  }
  if (i != size) return {};
  if (units.size() % kCheckpointStep == 0) checkpoints.push_back(static_cast<std::uint32_t>(i));
  return checkpoints;
}

std::size_t ByteOffset(const std::vector<std::uint32_t>& checkpoints, std::string_view text,
                       std::size_t unit) {
  const std::size_t step = unit / kCheckpointStep;
  std::size_t i = checkpoints[step];
  for (std::size_t k = step * kCheckpointStep; k < unit && i < text.size(); ++k) {
    i += static_cast<unsigned char>(text[i]) > 0x80 ? 2 : 1;
  }
  return std::min(i, text.size());
}

struct CompileContextDeleter {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

}  // namespace

struct RegexObject::Engine {
  Engine() = default;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
  ~Engine() { pcre2_code_free(code); }

  Text pattern;
  bool ignoreCase = true;
  bool global = true;
  pcre2_code* code = nullptr;
};

struct RegexObject::Matches {
  std::size_t groups = 0;
  // Per match, (groups + 1) start/end pairs in UTF-16 units; kUnset for a group without a part.
  std::vector<std::uint32_t> offsets;
  // See MapUnitsToBytes; empty when group texts must be converted.
  std::vector<std::uint32_t> checkpoints;

  std::size_t Stride() const { return (groups + 1) * 2; }
  std::size_t Count() const { return offsets.size() / Stride(); }
  const std::uint32_t* Match(int match) const {
    return offsets.data() + static_cast<std::size_t>(match - 1) * Stride();
  }
};

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject& other) = default;
RegexObject& RegexObject::operator=(const RegexObject& other) = default;

bool RegexObject::Execute(const Text& pattern, const Text& subject,
                          std::optional<bool> caseSensitive, std::optional<bool> multiline,
                          std::optional<bool> global, std::optional<bool> translateQuoteMarker) {
  engine_.reset();
  matches_.reset();
  static const Text kQuoteMarker = Gbk(u8"#引号");

  auto engine = std::make_shared<Engine>();
  engine->ignoreCase = !caseSensitive.value_or(false);
  engine->global = global.value_or(true);
  engine->pattern =
      translateQuoteMarker.value_or(false) ? ReplaceAll(pattern, kQuoteMarker, "\"") : pattern;
  subject_ = ToUnits(subject);
  subjectText_ = subject;
  if (subject_.size() >= kUnset) return false;

  // Never UCP: \s must not take the full-width space nor \w a hanzi. ALT_BSUX and unset
  // back-references behave as the patterns' original dialect does (\uHHHH, \xHH; a reference to
  // a group without a part matches the empty text). \C could cut a surrogate pair in two.
  std::uint32_t options = PCRE2_UTF | PCRE2_NEVER_UCP | PCRE2_NEVER_BACKSLASH_C | PCRE2_ALT_BSUX |
                          PCRE2_MATCH_UNSET_BACKREF;
  if (engine->ignoreCase) options |= PCRE2_CASELESS;
  options |= multiline.value_or(true) ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;

  std::unique_ptr<pcre2_compile_context, CompileContextDeleter> compileContext(
      pcre2_compile_context_create(nullptr));
  if (!compileContext) return false;
  // Only a line feed ends a line: "." crosses a carriage return.
  pcre2_set_newline(compileContext.get(), PCRE2_NEWLINE_LF);
  const std::u16string patternUnits = ToUnits(engine->pattern);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  engine->code =
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(patternUnits.data()), patternUnits.size(), options,
                    &error, &errorOffset, compileContext.get());
  if (engine->code == nullptr) return false;
  // Without JIT support the interpreter runs the same pattern, only slower.
  if (subject.size() >= kJitSubjectBytes) pcre2_jit_compile(engine->code, PCRE2_JIT_COMPLETE);

  auto matches = std::make_shared<Matches>();
  std::uint32_t captures = 0;
  pcre2_pattern_info(engine->code, PCRE2_INFO_CAPTURECOUNT, &captures);
  matches->groups = captures;

  std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
      pcre2_match_data_create_from_pattern(engine->code, nullptr));
  std::unique_ptr<pcre2_match_context, MatchContextDeleter> matchContext(
      pcre2_match_context_create(nullptr));
  if (!data || !matchContext) return false;
  pcre2_set_heap_limit(matchContext.get(), kHeapLimitKib);
  std::unique_ptr<pcre2_jit_stack, JitStackDeleter> jitStack;

  const auto* units = reinterpret_cast<PCRE2_SPTR>(subject_.data());
  const std::size_t length = subject_.size();
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
  const std::size_t stride = matches->Stride();
  // The first call checks the encoding of the whole subject; repeating that check on every call
  // would make collecting all matches quadratic.
  std::uint32_t checkOption = 0;
  std::size_t start = 0;
  while (true) {
    int found = pcre2_match(engine->code, units, length, start, checkOption, data.get(),
                            matchContext.get());
    if (found == PCRE2_ERROR_JIT_STACKLIMIT && !jitStack) {
      jitStack.reset(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
      if (jitStack) {
        pcre2_jit_stack_assign(matchContext.get(), nullptr, jitStack.get());
        found = pcre2_match(engine->code, units, length, start, checkOption, data.get(),
                            matchContext.get());
      }
    }
    if (found == PCRE2_ERROR_JIT_STACKLIMIT) {
      found = pcre2_match(engine->code, units, length, start, checkOption | PCRE2_NO_JIT,
                          data.get(), matchContext.get());
    }
    if (found == PCRE2_ERROR_NOMATCH) break;
    // A broken subject or an exhausted limit: a partial list would pass for the whole one.
    if (found <= 0) return false;
    checkOption = PCRE2_NO_UTF_CHECK;
    for (std::size_t j = 0; j < stride; ++j) {
      const bool set = j < 2 * static_cast<std::size_t>(found) && ovector[j] != PCRE2_UNSET;
      matches->offsets.push_back(set ? static_cast<std::uint32_t>(ovector[j]) : kUnset);
    }
    if (!engine->global) break;
    // After an empty match the next search starts one character on, as the patterns' dialect
    // does, rather than retrying a non-empty match at the same place.
    std::size_t next = ovector[1];
    if (next <= ovector[0] || next <= start) {
      next = std::max<std::size_t>(ovector[1], start);
      if (next >= length) break;
      const bool pair = next + 1 < length && IsHighSurrogate(subject_[next]) &&
                        IsLowSurrogate(subject_[next + 1]);
      next += pair ? 2 : 1;
    }
    if (next > length) break;
    start = next;
  }

  matches->checkpoints = MapUnitsToBytes(subjectText_, subject_);
  engine_ = std::move(engine);
  matches_ = std::move(matches);
  return true;
}

Text RegexObject::GetPattern() const {
  return engine_ ? engine_->pattern : Text();
}

Text RegexObject::Replace(const Text& replacement) const {
  if (!engine_ || !matches_) return Text();
  const std::u16string with = ToUnits(replacement);
  const std::u16string_view subject = subject_;
  const std::size_t groups = matches_->groups;
  std::u16string result;
  result.reserve(subject.size());

  std::size_t copied = 0;
  for (std::size_t m = 0; m < matches_->Count(); ++m) {
    const std::uint32_t* offsets = matches_->Match(static_cast<int>(m + 1));
    const std::size_t begin = std::clamp<std::size_t>(offsets[0], copied, subject.size());
    const std::size_t end = std::clamp<std::size_t>(offsets[1], begin, subject.size());
    auto part = [&](std::size_t group) {
      const std::uint32_t from = offsets[2 * group];
      const std::uint32_t to = offsets[2 * group + 1];
      if (from == kUnset || to == kUnset || from >= to || to > subject.size()) {
        return std::u16string_view();
      }
      return subject.substr(from, to - from);
    };
    result.append(subject.substr(copied, begin - copied));

    for (std::size_t i = 0; i < with.size(); ++i) {
      const char16_t c = with[i];
      if (c != u'$' || i + 1 == with.size()) {
        result += c;
        continue;
      }
      const char16_t d = with[i + 1];
      auto isDigit = [](char16_t unit) { return unit >= u'0' && unit <= u'9'; };
      if (d == u'$') {
        result += u'$';
        ++i;
      } else if (d == u'&') {
        result.append(subject.substr(begin, end - begin));
        ++i;
      } else if (d == u'`') {
        result.append(subject.substr(0, begin));
        ++i;
      } else if (d == u'\'') {
        result.append(subject.substr(end));
        ++i;
      } else if (isDigit(d)) {
        // Two digits name a group when such a group exists, else the first digit alone does.
        const std::size_t one = d - u'0';
        const std::size_t two =
            i + 2 < with.size() && isDigit(with[i + 2]) ? one * 10 + (with[i + 2] - u'0') : 0;
        if (two >= 1 && two <= groups) {
          result.append(part(two));
          i += 2;
        } else if (one >= 1 && one <= groups) {
          result.append(part(one));
          i += 1;
        } else {
          result += c;
        }
      } else {
        result += c;
      }
    }
    copied = end;
  }
  result.append(subject.substr(copied));
  return ToText(result);
}

int RegexObject::MatchCount() const {
  if (!matches_) return 0;
  return static_cast<int>(std::min<std::size_t>(matches_->Count(), INT_MAX));
}

Text RegexObject::MatchText(int match, int* position) const {
  return Capture(match, 0, position);
}

Text RegexObject::GroupText(int match, int group, int* position) const {
  // Group numbers count from 1: group 0, the whole match, is MatchText's.
  if (group < 1) return Text();
  return Capture(match, group, position);
}

Text RegexObject::Capture(int match, int group, int* position) const {
  if (!matches_ || match < 1 || group < 0 || match > MatchCount() ||
      static_cast<std::size_t>(group) > matches_->groups) {
    return Text();
  }
  const std::uint32_t* offsets = matches_->Match(match);
  const std::uint32_t from = offsets[2 * group];
  const std::uint32_t to = offsets[2 * group + 1];
  Text text = from == kUnset || to == kUnset ? Text() : Slice(from, to);
  if (position != nullptr) *position = PositionOf(text, offsets[0]);
  return text;
}

int RegexObject::GroupCount() const {
  if (!matches_ || matches_->Count() == 0) return 0;
  return static_cast<int>(matches_->groups);
}

Text RegexObject::Slice(std::size_t begin, std::size_t end) const {
  end = std::min(end, subject_.size());
  if (begin >= end) return Text();
  const std::vector<std::uint32_t>& checkpoints = matches_->checkpoints;
  if (checkpoints.empty()) return ToText(std::u16string_view(subject_).substr(begin, end - begin));
  const std::size_t from = ByteOffset(checkpoints, subjectText_, begin);
  const std::size_t to = ByteOffset(checkpoints, subjectText_, end);
  return subjectText_.substr(from, to - from);
}

// The search starts at the match's offset in UTF-16 units taken as a byte position, so before a
// double-byte character it may begin early and find an earlier copy of the same text.
int RegexObject::PositionOf(const Text& found, std::size_t matchStart) const {
  const long long at = Find(subjectText_, found, static_cast<long long>(matchStart) + 1,
                            engine_ && engine_->ignoreCase);
  if (at < 1 || at - 1 > INT_MAX) return -2;
  return static_cast<int>(at - 1);
}

}  // namespace tevrin
