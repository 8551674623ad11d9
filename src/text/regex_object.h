#pragma once

// One pattern run over one subject, then read back by match and group number (both from 1).
// Patterns and subjects are GBK; matching runs on UTF-16 with PCRE2 in UTF mode, never UCP, so
// \s \w \d are ASCII classes and "." stops only at a line feed.

#include <memory>
#include <optional>
#include <string>

#include "text/text.h"

namespace tevrin {

class RegexObject {
 public:
  RegexObject();
  ~RegexObject();
  /// A copy shares the compiled engine and the matches, and holds its own copy of the subject.
  RegexObject(const RegexObject& other);
  RegexObject& operator=(const RegexObject& other);

  /// Runs `pattern` over `subject`, discarding everything of the previous run. Omitted options:
  /// case ignored, multiline, all matches, no "#引号" translation. False when the pattern is
  /// rejected or the engine gives up (resource limits); every read then gives 0 or empty text.
  bool Execute(const Text& pattern, const Text& subject,
               std::optional<bool> caseSensitive = std::nullopt,
               std::optional<bool> multiline = std::nullopt,
               std::optional<bool> global = std::nullopt,
               std::optional<bool> translateQuoteMarker = std::nullopt);
  /// The pattern the engine holds (after "#引号" translation); empty when there is none.
  Text GetPattern() const;
  /// The last subject with the matches replaced (every match, or the first when not global);
  /// `replacement` understands $1..$99, $&, $`, $' and $$. Empty on failure.
  Text Replace(const Text& replacement = Text()) const;
  /// Number of matches of the last Execute; 0 when it failed or there was none.
  int MatchCount() const;
  /// Empty when there is no such match. `position`, written only when the match exists, receives
  /// the 0-based byte offset at which the returned text is found searching the subject from byte
  /// position (match start in UTF-16 units + 1), folding ASCII case when case is ignored; -2 when
  /// not found.
  Text MatchText(int match, int* position = nullptr) const;
  /// Empty when there is no such match or group, or the group took no part in the match.
  /// `position` as for MatchText (searching from the match's start, not the group's), written
  /// only when the match and group exist.
  Text GroupText(int match, int group, int* position = nullptr) const;
  /// Capture groups of match 1; 0 when there is no match.
  int GroupCount() const;

 private:
  struct Engine;
  struct Matches;

  /// Group `group` of match `match`, 0 being the whole match.
  Text Capture(int match, int group, int* position) const;
  Text Slice(std::size_t begin, std::size_t end) const;
  int PositionOf(const Text& found, std::size_t matchStart) const;

  std::shared_ptr<const Engine> engine_;
  std::shared_ptr<const Matches> matches_;
  std::u16string subject_;
  // The subject as given, for the byte positions and for slicing group texts without a
  // conversion per group.
  Text subjectText_;
};

}  // namespace tevrin
