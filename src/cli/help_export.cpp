// Writes the manual page's command list and the bash completion from the parser's own tables.
// Both are made at build time by the installed tool's twin, so what the page and the shell
// offer is what the parser accepts, whichever helper added the last subcommand.
#include "help_export.h"

#include <cctype>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "app/version.h"

namespace kelvaro::cli {

namespace {

// Subcommands that show in the help: CLI11 hides those whose group is empty.
std::vector<const CLI::App*> visibleSubcommands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App* sub) { return !sub->get_group().empty(); });
}

std::vector<const CLI::Option*> positionals(const CLI::App& app) {
  return app.get_options([](const CLI::Option* o) { return o->get_positional() && !o->nonpositional(); });
}

// The named options, help left out: every subcommand has it, the page says so once.
std::vector<const CLI::Option*> namedOptions(const CLI::App& app) {
  const CLI::Option* help = app.get_help_ptr();
  return app.get_options([help](const CLI::Option* o) { return o->nonpositional() && o != help; });
}

bool takesValue(const CLI::Option& option) { return option.get_items_expected_max() != 0; }

// The values an IsMember check allows, from the "{a,b,c}" the parser shows as the type.
std::vector<std::string> choices(const CLI::Option& option) {
  const std::string type = option.get_type_name();
  const auto open = type.find('{');
  const auto close = type.find('}', open == std::string::npos ? 0 : open);
  std::vector<std::string> values;
  if (open == std::string::npos || close == std::string::npos) return values;
  std::string value;
  for (std::size_t i = open + 1; i <= close; ++i) {
    if (i == close || type[i] == ',') {
      if (!value.empty()) values.push_back(value);
      value.clear();
    } else {
      value += type[i];
    }
  }
  return values;
}

// Every visible subcommand with the words that lead to it ("assist shutter"), parents first.
void walk(const CLI::App& app, const std::string& path,
          const std::function<void(const CLI::App&, const std::string&)>& visit) {
  for (const CLI::App* sub : visibleSubcommands(app)) {
    const std::string subPath = path.empty() ? sub->get_name() : path + " " + sub->get_name();
    visit(*sub, subPath);
    walk(*sub, subPath, visit);
  }
}

// roff text: a backslash is written as \e, a minus as \-, and a line may not begin with a
// control character.
std::string roff(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

// A word for a bash $'...' string.
std::string bashQuoted(const std::string& text) {
  std::string out = "$'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    if (c == '\n') out += "\\n";
    else out += c;
  }
  return out + "'";
}

std::string joined(const std::vector<std::string>& words, const std::string& separator) {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : separator) + w;
  return out;
}

}  // namespace

std::string manCommands(const CLI::App& app, const std::string& program) {
  std::ostringstream out;
  walk(app, "", [&](const CLI::App& sub, const std::string& path) {
    std::string synopsis = program + " " + path;
    if (!namedOptions(sub).empty()) synopsis += " [OPTIONS]";
    for (const CLI::Option* p : positionals(sub))
      synopsis += " " + (p->get_required() ? p->get_name() : "[" + p->get_name() + "]");
    if (!visibleSubcommands(sub).empty()) synopsis += " SUBCOMMAND";
    out << ".SS \"" << roff(synopsis) << "\"\n" << roff(sub.get_description()) << "\n";
    for (const CLI::Option* p : positionals(sub)) {
      out << ".TP\n.I " << roff(p->get_name()) << "\n" << roff(p->get_description());
      const auto values = choices(*p);
      if (!values.empty()) out << ": " << roff(joined(values, ", "));
      out << "\n";
    }
    for (const CLI::Option* o : namedOptions(sub)) {
      out << ".TP\n.B " << roff(o->get_name());
      if (takesValue(*o)) out << " \\fI" << roff(o->get_type_name()) << "\\fR";
      out << "\n" << roff(o->get_description()) << "\n";
    }
  });
  return out.str();
}

std::string bashCompletion(const CLI::App& app, const std::string& program) {
  // Tables keyed by the subcommand path, "_" for the program itself and "_ assist shutter"
  // below it (bash allows no empty key): its subcommands, its options, the options that take
  // a value, and the choices of values ("PATH --opt") and of positionals ("PATH #N", from 1).
  std::ostringstream subs, opts, valued, values;
  const auto addChoices = [&](const std::string& key, const CLI::Option& option) {
    const auto list = choices(option);
    if (!list.empty()) values << "    [" << bashQuoted(key) << "]=" << bashQuoted(joined(list, "\n")) << "\n";
  };
  const auto addCommand = [&](const CLI::App& command, const std::string& subPath) {
    const std::string path = subPath.empty() ? "_" : "_ " + subPath;
    std::vector<std::string> names;
    for (const CLI::App* sub : visibleSubcommands(command)) names.push_back(sub->get_name());
    if (!names.empty()) subs << "    [" << bashQuoted(path) << "]=" << bashQuoted(joined(names, " ")) << "\n";
    std::vector<std::string> flags;
    for (const CLI::Option* o : command.get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
      std::vector<std::string> spellings;
      for (const auto& n : o->get_snames()) spellings.push_back("-" + n);
      for (const auto& n : o->get_lnames()) spellings.push_back("--" + n);
      flags.insert(flags.end(), spellings.begin(), spellings.end());
      if (!takesValue(*o)) continue;
      for (const auto& spelling : spellings) {
        valued << "    [" << bashQuoted(path + " " + spelling) << "]=1\n";
        addChoices(path + " " + spelling, *o);
      }
    }
    opts << "    [" << bashQuoted(path) << "]=" << bashQuoted(joined(flags, " ")) << "\n";
    int n = 0;
    for (const CLI::Option* p : positionals(command)) addChoices(path + " #" + std::to_string(++n), *p);
  };
  addCommand(app, "");
  walk(app, "", addCommand);

  std::string function = "_";
  for (const char c : program) function += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  std::ostringstream out;
  out << "# bash completion for " << program << ": written from its parser when it was built.\n"
      << function << "() {\n"
      << "  local -A subs=(\n"
      << subs.str() << "  )\n"
      << "  local -A opts=(\n"
      << opts.str() << "  )\n"
      << "  local -A valued=(\n"
      << valued.str() << "  )\n"
      << "  local -A values=(\n"
      << values.str() << "  )\n"
      << R"sh(  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local path=_ word i count=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ " ${subs[$path]} " == *" $word "* ]]; then
      path="$path $word"
      count=0
    elif [[ $word == -* ]]; then
      [[ -n ${valued["$path $word"]} ]] && ((i++))
    else
      ((count++))
    fi
  done
  local IFS=$'\n' list
  if [[ -n ${valued["$path $prev"]} ]]; then
    list=${values["$path $prev"]}
  elif [[ $cur == -* ]]; then
    list=${opts[$path]// /$'\n'}
  else
    list=${subs[$path]// /$'\n'}
    [[ -z $list ]] && list=${values["$path #$((count + 1))"]}
  fi
  if [[ -z $list ]]; then
    # A file, a port or a free value: bash offers file names.
    compopt -o default 2>/dev/null
    COMPREPLY=()
    return 0
  fi
  # A choice such as "CU-A2 Ver.2" is typed with its blank escaped, and offered that way.
  COMPREPLY=($(compgen -W "$list" -- "${cur//\\/}"))
  COMPREPLY=("${COMPREPLY[@]// /\\ }")
}
complete -F )sh"
      << function << " " << program << "\n";
  return out.str();
}

void addHelpExport(CLI::App& app, int& status) {
  // The parser takes its own name from argv[0], a path; the page and the shell want the
  // installed name.
  const std::string program = "kelvaro-cli";
  app.set_version_flag("--version", program + " " + std::string(programVersion()));
  auto* exportCommand = app.add_subcommand("help-export", "Print the manual page's commands or the bash completion");
  exportCommand->group("");  // for the build, not for the user
  auto format = std::make_shared<std::string>();
  exportCommand->add_option("FORMAT", *format, "man or bash")->required()->check(CLI::IsMember({"man", "bash"}));
  exportCommand->callback([&app, &status, format, program] {
    std::cout << (*format == "man" ? manCommands(app, program) : bashCompletion(app, program));
    status = 0;
  });
}

}  // namespace kelvaro::cli
