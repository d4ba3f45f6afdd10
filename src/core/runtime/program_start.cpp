// STARTWIN: a program started without a shell, its command line split into words.
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <string_view>
#include <vector>

#include "runtime/engine.h"

extern char** environ;

namespace kelvaro {

std::vector<std::string> splitCommandLine(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool spawnProgram(const std::vector<std::string>& words) {
  // Programs started earlier are collected once they have ended, so that they do not linger
  // as zombies for the rest of the run. Only our own children are waited for.
  static std::vector<pid_t> started;
  std::erase_if(started, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
  if (words.empty()) return false;
  std::vector<char*> argv;
  for (const auto& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  started.push_back(pid);
  return true;
}

// What Compare needs of one operand.

}  // namespace kelvaro
