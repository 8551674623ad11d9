#pragma once

// One pattern run over one subject, then read back by match and group number (both from 1).
// Patterns and subjects are GBK; matching runs on UTF-16 with PCRE2 in UTF mode, never UCP, so
// \s \w \d are ASCII classes and "." stops only at a line feed.

#include <memory>
#include <optional>

#include "text/text.h"

namespace tevrin {

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  /// A copy shares the compiled engine and the matches, and holds its own copy of the subject.
  RegexObject(const RegexObject& other);
  RegexObject& operator=(const RegexObject& other);

  /// Runs `pattern` over `subject`. Omitted options: case ignored, multiline, all matches, no
  /// "#引号" translation. False when the pattern is rejected.
  bool Execute(const Text& pattern, const Text& subject,
               std::optional<bool> caseSensitive = std::nullopt,
               std::optional<bool> multiline = std::nullopt,
               std::optional<bool> global = std::nullopt,
               std::optional<bool> translateQuoteMarker = std::nullopt);
  /// The pattern of the last Execute; empty before one.
  Text GetPattern() const;
  /// The last subject with the matches replaced ($1.. and $& as the engine does); empty on failure.
  Text Replace(const Text& replacement = Text()) const;
  int MatchCount() const;
  /// Empty when there is no such match. `position`, when given, receives the 0-based byte offset
  /// at which the text is found from the match's start, or -2.
  Text MatchText(int match, int* position = nullptr) const;
  Text GroupText(int match, int group, int* position = nullptr) const;
  /// Capture groups of match 1; 0 when there is no match.
  int GroupCount() const;

 private:
  struct Engine;
  struct Matches;
  std::shared_ptr<const Engine> engine_;
  std::shared_ptr<const Matches> matches_;
  std::u16string subject_;
};

}  // namespace tevrin
