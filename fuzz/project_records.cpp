// The project records of the fuzz targets; see project_records.h.
#include "project_records.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace kelvaro::fuzz {

std::vector<std::string_view> fields(std::string_view text, char separator) {
  std::vector<std::string_view> out;
  for (;;) {
    const std::size_t at = text.find(separator);
    out.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return out;
    text = text.substr(at + 1);
  }
}

long number(std::string_view text, long fallback) {
  long value = fallback;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() ? value : fallback;
}

namespace {

std::string column(std::string_view text) {
  std::string s(text.substr(0, 20));
  s.resize(20, ' ');
  return s;
}

struct Builder {
  RecordLimits limits;
  Project project;
  std::size_t lines = 0;

  TPSObj& current() {
    if (project.objects.empty()) project.objects.push_back(createObject("Objekt"));
    return project.objects.back();
  }

  void addLine(std::string stored) {
    if (lines >= limits.lines) return;
    ++lines;
    current().program.push_back(std::move(stored));
  }

  void record(char kind, std::string_view text) {
    switch (kind) {
      case 'T':
        project.typeStates.push_back({std::string(text), std::nullopt});
        break;
      case 'O': {
        if (project.objects.size() >= limits.objects) return;
        const auto f = fields(text, '|');
        TPSObj o = createObject(f[0].empty() ? "O" + std::to_string(project.objects.size()) : std::string(f[0]));
        if (f.size() > 1 && !f[1].empty()) o.Typ = f[1];
        if (f.size() > 2) o.StartVal = f[2];
        if (f.size() > 3) o.ObjIDNr = static_cast<std::uint16_t>(number(f[3], 0));
        if (f.size() > 4) o.ACode = static_cast<std::uint8_t>(number(f[4], kACodeNone));
        if (f.size() > 5) o.SndDev = f[5];
        if (f.size() > 6) o.RcvDev = f[6];
        project.objects.push_back(std::move(o));
        break;
      }
      case 'V': {
        const auto f = fields(text, '|');
        current().varDefs.push_back(column(f[0]) + column(f.size() > 1 ? f[1] : "Zahl") +
                                    std::string(f.size() > 2 ? f[2] : ""));
        break;
      }
      case 'W': current().varDefs.emplace_back(text); break;
      case 'P': addLine("-" + std::string(text)); break;
      case 'A': addLine("-&" + std::string(text)); break;
      case 'R': addLine(std::string(text)); break;
      case 'K': project.constants.emplace_back(text); break;
      case 'S': {
        const auto f = fields(text, '|');
        TPSContr s = createStation("Station" + std::to_string(project.stations.size()));
        s.CKind = f[0];
        if (f.size() > 1) s.CMPKind = f[1];
        s.CPDevAnz = static_cast<std::int32_t>(number(f.size() > 2 ? f[2] : "", 0));
        if (f.size() > 3) {
          const auto names = fields(f[3], ',');
          for (std::size_t k = 0; k < names.size() && k < s.slots.size(); ++k) {
            s.slots[k].CDevArt = 1;
            s.slots[k].CNam = names[k];
            s.slots[k].CZAnOn = static_cast<std::int32_t>(k + 1);
          }
        }
        project.stations.push_back(std::move(s));
        break;
      }
      case 'N': {
        const long count = number(text, 0);
        const TPSObj model = current();
        for (long k = 0; k < count && project.objects.size() < limits.objects; ++k) {
          if (lines + model.program.size() > limits.lines) break;
          lines += model.program.size();
          project.objects.push_back(model);
          project.objects.back().Name += "N" + std::to_string(k);
        }
        break;
      }
      case 'L': {
        const std::size_t bar = text.find('|');
        if (bar == std::string_view::npos) return;
        const long count = number(text.substr(0, bar), 0);
        for (long k = 0; k < count && lines < limits.lines; ++k) addLine("-" + std::string(text.substr(bar + 1)));
        break;
      }
      default: break;
    }
  }
};

}  // namespace

Project projectFromRecords(std::string_view input, RecordLimits limits) {
  Builder b;
  b.limits = limits;
  for (std::string_view line : fields(input, '\n')) {
    if (line.empty()) continue;
    std::string_view text = line.substr(1);
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    b.record(line.front(), text);
  }
  return std::move(b.project);
}

}  // namespace kelvaro::fuzz
