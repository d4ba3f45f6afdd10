// Load and save of a large project: 1025 objects with 20 program lines each must load and save
// together in well under 20 ms, in memory and through real files; and lists of 100,000 entries
// must load in well under a second.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "ui/user_interface.h"
#include "model/project.h"
#include "storage/project_file.h"

namespace kelvaro {
namespace {

// A user interface that nobody watches; a benchmark that shows a message has failed anyway.
class SilentUserInterface : public UserInterface {
 public:
  MessageAnswer showMessage(const Message&) override {
    ++messages;
    return MessageAnswer::Ok;
  }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  int messages = 0;
};

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// A house of 1025 objects on ten floors, with what a real project carries besides the programs.
Project largeProject() {
  Project p;
  for (int v = 0; v < 10; ++v) p.views.push_back({"Etage" + std::to_string(v), {"ETAGE" + std::to_string(v) + ".BMP", 1}});
  p.BackColor = 4;
  p.ExeWinPos = {20, 30, 1024, 768};
  for (int t = 0; t < 20; ++t) {
    const std::string type = "Typ" + std::to_string(t);
    addType(p, type + ";" + std::to_string(t % 4));
    for (const char* state : {"aus", "an", "halb"})
      p.typeStates.push_back({type + ":" + state, TBitmapNam{type + state + ".BMP", 1, 0}});
  }
  for (int c = 0; c < 30; ++c) p.constants.push_back("KONST" + std::to_string(c) + " = " + std::to_string(c * 17));
  for (int i = 0; i < 1025; ++i) {
    const std::string name = "Objekt" + std::to_string(i);
    TPSObj o = createObject(name);
    o.OName = "Lampe im Raum " + std::to_string(i % 40) + " Nummer " + std::to_string(i);
    o.Typ = "Typ" + std::to_string(i % 20);
    o.StartVal = "aus";
    o.OKind = kKindUser;
    o.Group = "Gruppe" + std::to_string(i % 12);
    o.ObjIDNr = static_cast<std::uint16_t>(i + 1);
    o.SndDev = "Kanal" + std::to_string(i % 64);
    o.Snd = {1, 3, {static_cast<std::uint8_t>(i), 2, 3, 0}};
    o.CtZust = 3;
    o.stateBitmaps = {{"aus", TBitmapNam{"EIGEN" + std::to_string(i) + ".BMP", 1, 1}},
                      {"an", TBitmapNam{"Typan.BMP", 1, 0}},
                      {"halb", std::nullopt}};
    for (int l = 0; l < 20; ++l)
      o.program.push_back((l % 3 == 0 ? "-&" : "-") + std::string("WENN Objekt") + std::to_string((i + l) % 1025) +
                          " = an UND ZEIT > 18:00 DANN EINSCHALTEN " + name + " SONST AUSSCHALTEN " + name);
    o.varDefs = {padded("Zaehler", 20) + padded("Zahl", 20) + "0", padded("Merker", 20) + padded("Text", 20) + "leer"};
    o.plans[0] = {"Etage" + std::to_string(i % 10), 10 + i % 700, 20 + i % 500, 80, 50, 0, 0};
    o.plans[1] = {"Etage" + std::to_string((i + 1) % 10), 300, 200, 40, 40, 0, 0};
    p.objects.push_back(std::move(o));
  }
  for (int s = 0; s < 20; ++s) {
    TPSContr st = createStation("Station" + std::to_string(s));
    st.CKind = "MXB2";
    st.CMPKind = "Daten";
    st.CKindi = 1;
    st.CLine = 1;
    st.CPAdrA = 2;
    st.CPAdr = {static_cast<std::uint8_t>(s), 7, 0, 0};
    st.CPDevAnz = 8;
    for (int k = 0; k < kSlotsPerStation; ++k) {
      DeviceSlot& d = st.slots[static_cast<std::size_t>(k)];
      d.CDevArt = 1;
      d.CCon = k;
      d.CZAnOn = k + 1;
      d.COfflB = 'A';
      d.CNam = "Kanal" + std::to_string((s * 8 + k) % 64);
    }
    p.stations.push_back(std::move(st));
  }
  for (int g = 0; g < 12; ++g) p.groupDefs.push_back("Gruppe" + std::to_string(g) + "=Objekt" + std::to_string(g));
  return p;
}

const std::string& largeProjectText() {
  static const std::string text = projectFileText(largeProject());
  return text;
}

void BM_ProjectLoad(benchmark::State& state) {
  const std::string& text = largeProjectText();
  for (auto _ : state) {
    Project p;
    if (readProjectText(p, text) != ReadStatus::Complete || p.objects.size() != 1025)
      state.SkipWithError("the project did not load completely");
    benchmark::DoNotOptimize(p);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ProjectLoad)->Unit(benchmark::kMillisecond);

void BM_ProjectSave(benchmark::State& state) {
  const Project p = largeProject();
  for (auto _ : state) {
    std::string text = projectFileText(p);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_ProjectSave)->Unit(benchmark::kMillisecond);

void BM_ProjectLoadAndSave(benchmark::State& state) {
  const std::string& text = largeProjectText();
  for (auto _ : state) {
    Project p;
    readProjectText(p, text);
    std::string again = projectFileText(p);
    if (again.size() != text.size()) state.SkipWithError("the saved text differs from the loaded one");
    benchmark::DoNotOptimize(again);
  }
}
BENCHMARK(BM_ProjectLoadAndSave)->Unit(benchmark::kMillisecond);

// 100,000 new entries of one list: the reader must see that each name is new without walking
// the entries before it (walks made 100,000 type states take over a minute to load).
enum class ManyOf { TypeStates, Views, GroupNames };

std::string manyEntriesText(ManyOf kind) {
  std::string text;
  switch (kind) {
    case ManyOf::TypeStates:
      text = "@TypState\r\n";
      for (int t = 0; t < 1000; ++t)
        for (int s = 0; s < 100; ++s) text += " Typ" + std::to_string(t) + ":Zustand" + std::to_string(s) + "\r\n";
      break;
    case ManyOf::Views:
      text = "@Init\r\n";
      for (int v = 0; v < 100000; ++v) text += " View=Ansicht" + std::to_string(v) + "\r\n";
      break;
    case ManyOf::GroupNames:  // each Group line adds its name, also one a later line replaces
      for (int o = 0; o < 1000; ++o) {
        text += "@Object=Objekt" + std::to_string(o) + "\r\n";
        for (int g = 0; g < 100; ++g) text += " Group=Gruppe" + std::to_string(o) + "_" + std::to_string(g) + "\r\n";
        text += "@C\r\n";
      }
      break;
  }
  return text;
}

std::size_t entries(const Project& p, ManyOf kind) {
  switch (kind) {
    case ManyOf::TypeStates: return p.typeStates.size();
    case ManyOf::Views: return p.views.size();
    case ManyOf::GroupNames: return p.groupNames.size();
  }
  return 0;
}

void BM_ProjectLoadManyEntries(benchmark::State& state) {
  const auto kind = static_cast<ManyOf>(state.range(0));
  const std::string text = manyEntriesText(kind);
  for (auto _ : state) {
    Project p;
    if (readProjectText(p, text) != ReadStatus::Complete || entries(p, kind) != 100000)
      state.SkipWithError("the entries did not all load");
    benchmark::DoNotOptimize(p);
  }
  state.SetLabel(kind == ManyOf::TypeStates ? "100000 type states" : kind == ManyOf::Views ? "100000 views" : "100000 group names");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ProjectLoadManyEntries)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

class TempDirectory {
 public:
  TempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvaro-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~TempDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

// Through real files, as the open and save commands do it (the save syncs to the disk).
void BM_ProjectFileLoadAndSave(benchmark::State& state) {
  TempDirectory dir;
  SilentUserInterface ui;
  Project source = largeProject();
  if (!writeProject(source, "HAUS.SPG", dir.path, ui)) state.SkipWithError("could not write the project");
  for (auto _ : state) {
    Project p;
    if (readProject(p, "HAUS.SPG", dir.path, ui) != ReadStatus::Complete) state.SkipWithError("load failed");
    if (!writeProject(p, "HAUS.SPG", dir.path, ui)) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_ProjectFileLoadAndSave)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvaro
