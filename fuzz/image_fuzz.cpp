// Fuzz target for the control unit's program image (compile mode 2) and the ".SPA" file built
// from it, with the weekly sun table of the settings. The input is an optional first line
//   #unit type code|year|latitude|longitude|sunrise correction|sunset correction|summer time|name
// followed by the project records of project_records.h.
//
// What must hold for any project and settings: the compile ends with success, a language error,
// the overflow or the abort, never by a crash or a write outside the unit's memory; and a
// successful image is what the unit reads: the header points at the object table, the init
// entry, the sun tables and the trailer; every object has its 24-byte entry with code inside
// the code area and a name record with its name; the sun tables hold the table that was passed
// in; the ".SPA" file puts every byte at its address and nothing else; compiling again gives the
// same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "astro/sun_times.h"
#include "fuzz_support.h"
#include "language/compiler.h"
#include "language/errors.h"
#include "language/image.h"
#include "model/project.h"
#include "project_records.h"
#include "text/text_util.h"

namespace kelvaro::fuzz {
namespace {

struct ImageSettings {
  int unitTypeCode = 124;
  int year = 2026;
  SunSettings sun;
  bool summerTime = true;
  std::string programName = "PROGRAMM";
};

ImageSettings settingsLine(std::string_view line) {
  ImageSettings s;
  const auto f = fields(line, '|');
  if (f.size() > 0) s.unitTypeCode = static_cast<int>(number(f[0], 124));
  if (f.size() > 1) s.year = static_cast<int>(number(f[1], 2026));
  if (f.size() > 2) s.sun.latitude = static_cast<double>(number(f[2], 515)) / 10.0;
  if (f.size() > 3) s.sun.longitude = static_cast<double>(number(f[3], 105)) / 10.0;
  if (f.size() > 4) s.sun.sunriseCorrection = static_cast<int>(number(f[4], 0));
  if (f.size() > 5) s.sun.sunsetCorrection = static_cast<int>(number(f[5], 0));
  if (f.size() > 6) s.summerTime = f[6] != "0";
  if (f.size() > 7) s.programName = std::string(f[7]);
  return s;
}

class ImageReader {
 public:
  explicit ImageReader(const CompileOutput& out) : m_out(out) {}
  int byte(int address) const {
    if (address < m_out.imageBase || address > kImageLast)
      fail("the image is read inside the unit's memory", "address " + std::to_string(address));
    return m_out.image[static_cast<std::size_t>(address - kDataStart)];
  }
  int word(int address) const { return byte(address) << 8 | byte(address + 1); }

 private:
  const CompileOutput& m_out;
};

std::string describe(const CompileResult& r) {
  return "result " + std::to_string(r.code) + " object " + std::to_string(r.object) + " line " + std::to_string(r.line);
}

void checkImage(const Project& p, const CompileOutput& out, const std::vector<SunWeek>& sun, const ImageSettings& s) {
  const std::string d = describe(out.result);
  check(out.image.size() == static_cast<std::size_t>(kImageLast + 1 - kDataStart), "the image covers the data buffer", d);
  check(out.imageBase == imageBaseFor(s.unitTypeCode), "the image starts at the unit's base", d);
  const int last = out.imageBase + out.imageSize;
  check(out.imageSize > 0 && last <= kImageLast, "the image ends inside the unit's memory", d);
  for (int a = kDataStart; a < out.imageBase; ++a)
    if (out.image[static_cast<std::size_t>(a - kDataStart)] != 0) fail("nothing is written below the base", d);
  const int percent = memoryUsePercent(out);
  check(percent >= 0 && percent <= 100, "the memory use is a percentage", d + " " + std::to_string(percent));

  const ImageReader r(out);
  const int base = out.imageBase;
  check(r.word(base + 2) == out.imageSize, "the header holds the image size", d);
  const int tableStart = r.word(base) - 8;
  const int sunrise = r.word(base + 6);
  const int sunset = r.word(base + 8);
  check(sunset == sunrise + 104, "the sunset table follows the 52 sunrises", d);
  check(sunset + 104 + 11 == last, "the trailer ends the image", d);
  check(r.byte(sunset + 104) == 'X' && r.byte(sunset + 105) == 'X', "the trailer starts with XX", d);
  std::string name = s.programName.substr(0, 8);
  name.resize(8, ' ');
  for (std::size_t i = 0; i < 8; ++i)
    check(r.byte(sunset + 106 + static_cast<int>(i)) == static_cast<std::uint8_t>(name[i]),
          "the trailer holds the program name in eight characters", d);
  for (int week = 0; week < 52; ++week) {
    const SunWeek w = sun[static_cast<std::size_t>(week)];
    if (r.byte(sunrise + 2 * week) != w.riseHour || r.byte(sunrise + 2 * week + 1) != w.riseMinute ||
        r.byte(sunset + 2 * week) != w.setHour || r.byte(sunset + 2 * week + 1) != w.setMinute)
      fail("the sun tables hold the weeks passed in", d + " week " + std::to_string(week));
  }

  const int codeFirst = out.codeAddressBase + 1;
  const int codeEnd = codeFirst + out.codeSize;
  check(codeFirst > base && codeEnd < tableStart, "the code lies between the data area and the object table", d);
  check(r.byte(codeEnd + 1) == 0xAA && r.byte(codeEnd + 2) == 0xBB && r.byte(codeEnd + 3) == 0xAA,
        "the code ends with AA BB AA", d);
  int init = 0xFFFE;
  for (std::size_t k = 0; k < out.order.size(); ++k) {
    const std::size_t index = static_cast<std::size_t>(out.order[k]);
    const TPSObj& o = p.objects[index];
    const ObjectCode& oc = out.objects[index];
    const int entry = tableStart + 24 * static_cast<int>(k);
    const auto e = [&] { return d + " object " + std::to_string(index) + " \"" + shown(o.Name) + "\""; };
    check(oc.entryAddress == entry, "objects are entered in their order", e);
    if (o.Name == "*INIT") init = entry + 8;
    check(r.byte(entry + 8) == static_cast<std::uint8_t>(o.OKind) && r.byte(entry + 10) == o.ACode,
          "the entry holds the object's kind and priority", e);
    const int start = r.word(entry + 11), end = r.word(entry + 13);
    if (oc.codeEnd != 0)
      check(start == oc.codeStart + codeFirst && end == oc.codeEnd + codeFirst - 1 && start <= end,
            "the entry points at the object's code", e);
    else
      check(start == 0 && end == 0, "an object without code points at none", e);
    const int reference = r.word(entry + 22);
    const int record = r.word(reference);
    check(record == oc.nameRecordAddress && r.byte(reference + 2) == 0xFE, "the name reference", e);
    check(r.byte(record) == 6 && r.byte(record + 1) == static_cast<int>(o.Name.size()), "the name record's head", e);
    for (std::size_t c = 0; c < o.Name.size(); ++c)
      check(r.byte(record + 2 + static_cast<int>(c)) == static_cast<std::uint8_t>(o.Name[c]),
            "the name record holds the name", e);
  }
  check(r.word(base + 4) == init, "the header points at the *INIT entry, or holds FFFE", d);

  const std::string spa = imageFileBytes(out, "PROG.spa");
  check(spa.size() == 65501, "a .SPA file has 65501 bytes", d);
  for (std::size_t a = 0; a < spa.size(); ++a) {
    const bool inside = static_cast<int>(a) >= base && static_cast<int>(a) <= kImageLast;
    const std::uint8_t expected = inside ? out.image[a - kDataStart] : 0;
    if (static_cast<std::uint8_t>(spa[a]) != expected)
      fail("a .SPA file holds each byte at its address", d + " address " + std::to_string(a));
  }
  const std::string bin = imageFileBytes(out, "PROG.BIN");
  check(bin.size() == static_cast<std::size_t>(out.imageSize + 1) &&
            bin == spa.substr(static_cast<std::size_t>(base), static_cast<std::size_t>(out.imageSize + 1)),
        "any other file holds the image from its base to its last byte", d);
}

}  // namespace
}  // namespace kelvaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvaro;
  using namespace kelvaro::fuzz;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  ImageSettings settings;
  if (input.starts_with('#')) {
    const std::size_t newline = input.find('\n');
    settings = settingsLine(input.substr(1, newline == std::string_view::npos ? newline : newline - 1));
    input = newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);
  }
  Project source = projectFromRecords(input);
  // A project file holds names of at most 64 characters; the records do not stop at that.
  for (TPSObj& o : source.objects) o.Name = shortText(o.Name, kShortText64);

  // The sun table as the control-unit page builds it from the settings.
  std::vector<SunWeek> sun(52);
  if (const SunTableResult table = SunTable(settings.year, settings.summerTime, settings.sun); table.error.empty())
    sun.assign(table.entries.begin(), table.entries.end());
  CompileOptions options;
  options.unitTypeCode = settings.unitTypeCode;
  options.programName = settings.programName;
  options.sunTable = sun;

  Project project = source;
  const CompileOutput out = compile(project, project.constants, CompileMode::Image, options);
  const int code = out.result.code;
  const bool languageError = code == kErrString || code == kErrUnknownName || code == kErrNumberRange ||
                             code == kErrSyntax || (code <= kErrTooManyIfs && code >= kErrEndIfMissing) ||
                             code == kErrSequence;
  check(code == 0 || code == kErrOverflow || code == kCompileAborted || languageError,
        "the image compile gives 0, a language error, the overflow or the abort", describe(out.result));
  if (code != 0) return 0;
  checkImage(project, out, sun, settings);

  Project again = source;
  const CompileOutput second = compile(again, again.constants, CompileMode::Image, options);
  check(second.result.code == 0 && second.image == out.image, "compiling twice gives the same image");
  return 0;
}
