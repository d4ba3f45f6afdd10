// kelvaro-cli check, translate and dump: the compiler seen from the command line.
#include "language_commands.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "console_user_interface.h"
#include "language/compiler.h"
#include "language/line_map.h"
#include "language/program_lines.h"
#include "language/translator.h"
#include "project_loading.h"
#include "text/cp1252.h"
#include "text/hex_text.h"
#include "time/date_time.h"

namespace kelvaro::cli {
namespace {

using Json = nlohmann::ordered_json;

Json symbolValue(const VariableDescriptor& value) {
  return std::visit(
      [](const auto& v) -> Json {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, TVarInt>) return v.Value;
        else if constexpr (std::is_same_v<T, TVarReal>) return v.Value;
        else if constexpr (std::is_same_v<T, TVarTime>) return v.Value;
        else if constexpr (std::is_same_v<T, TVarStr>) return toUtf8(v.Value);
        else return v.State;
      },
      value);
}

std::string symbolType(const Symbol& s) {
  if (const auto* t = std::get_if<TVarTime>(&s.value)) return toUtf8(t->TypeName);
  if (const auto* u = std::get_if<TVarUser>(&s.value)) return toUtf8(u->TypeName);
  return toUtf8(s.literalType);
}

Json dumpJson(const Project& project, const CompileOutput& out) {
  Json j;
  j["code"] = hexBytes(std::span(out.code.data(), static_cast<std::size_t>(out.codeSize)), "");
  Json symbols = Json::array();
  for (std::size_t n = 0; n < out.symbols.size(); ++n) {
    const Symbol& s = out.symbols[n];
    symbols.push_back({{"n", n}, {"key", toUtf8(s.key)}, {"kind", symbolKindName(s.value)},
                       {"value", symbolValue(s.value)}, {"type", symbolType(s)}});
  }
  j["symbols"] = symbols;
  Json lineMap = Json::array();
  for (const auto& e : out.lineMap) lineMap.push_back(lineMapText(e));
  j["linemap"] = lineMap;
  Json objects = Json::array();
  for (std::size_t i = 0; i < out.objects.size(); ++i) {
    const ObjectCode& oc = out.objects[i];
    objects.push_back({{"name", toUtf8(project.objects[i].Name)}, {"index", i}, {"codeStart", oc.codeStart},
                       {"codeEnd", oc.codeEnd}, {"unit", oc.unit}, {"priority", project.objects[i].ACode}});
  }
  j["objects"] = objects;
  j["order"] = out.order;
  j["error"] = {{"code", out.result.code}, {"object", out.result.object}, {"position", out.result.position}};
  return j;
}

}  // namespace

std::string compileErrorLine(const Project& project, const CompileResult& r) {
  const std::string message = messageLine(languageErrorMessage(r.code, r.name));
  if (r.object < 0 || static_cast<std::size_t>(r.object) >= project.objects.size()) return message;
  std::string text = toUtf8(project.objects[static_cast<std::size_t>(r.object)].Name);
  if (r.line >= 0) (text += ':') += std::to_string(r.line + 1);
  return text + ": " + message;
}

int checkCommand(const std::string& fileName) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, fileName, ui)) return 2;
  const CompileOutput out = compile(project, project.constants, CompileMode::Run);
  if (out.result.code != 0) {
    std::cout << compileErrorLine(project, out.result) << "\n";
    return 1;
  }
  std::cout << "OK " << project.objects.size() << " Objekte, " << out.symbols.size() << " Symbole, " << out.codeSize
            << " Bytes Code, " << out.lineMap.size() << " Zeilen\n";
  return 0;
}

int translateCommand(const std::string& fileName, const std::string& objectName, const std::string& line) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, fileName, ui)) return 2;
  const int index = findObject(project, fromUtf8(objectName));
  if (index < 0) {
    std::cerr << "Objekt " << objectName << " nicht gefunden\n";
    return 2;
  }
  // The collect pass of a whole compile makes the project's literals known.
  const CompileOutput out = compile(project, project.constants, CompileMode::Run);
  SymbolList symbols = out.symbols;
  const TPSObj& object = project.objects[static_cast<std::size_t>(index)];
  const std::vector<Label> labels = collectLabels(object.program).value_or(std::vector<Label>{});
  const ObjectIndex objects(project.objects);
  TranslatorContext context{objects, object.Name, symbols, project.constants, labels, Pass::Collect};
  const Translation t = translateLine(fromUtf8(line), context);
  std::cout << hexBytes(t.tokens) << "\n"
            << t.result << "\n";
  return t.result < 0 ? 1 : 0;
}

int dumpCommand(const std::string& fileName, int mode, bool json) {
  ConsoleUserInterface ui;
  Project project;
  if (!loadProject(project, fileName, ui)) return 2;
  const CompileOutput out =
      compile(project, project.constants, mode == 9 ? CompileMode::SymbolsOnly : CompileMode::Run);
  const Json j = dumpJson(project, out);
  std::cout << (json ? j.dump() : j.dump(2)) << "\n";
  return out.result.code == 0 ? 0 : 1;
}

}  // namespace kelvaro::cli
