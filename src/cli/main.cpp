// tevrin-cli: the reader's searches, contents, chapters and requests from a terminal, through
// the same handlers and jobs as the window.

#include <cstdio>
#include <variant>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/output.h"

int main(int argc, char* argv[]) {
  using namespace tevrin;

  const std::variant<CommandLine, int> parsed = ParseCommandLine(argc, argv);
  if (const int* exitCode = std::get_if<int>(&parsed)) return *exitCode;
  const CommandLine& line = std::get<CommandLine>(parsed);

  const CommandOutcome outcome = RunCommand(line);
  if (line.json) {
    std::puts(ToJson(outcome).c_str());
  } else {
    WritePlain(outcome, stdout, stderr);
  }
  return ExitCodeOf(outcome);
}
