// Speed of one display refresh of a view with 200 elements: every object changed, the
// session's refresh decides what each shows and the execution window brings its element up
// to date (pictures swapped, numbers and texts rewritten). Goal: well under the 10 ms tick.
// A second measurement adds the painting of the whole window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "ui/user_interface.h"
#include "language/compiler.h"
#include "run/execution_window.h"

namespace kelvaro {
namespace {

class SilentUserInterface final : public UserInterface {
 public:
  MessageAnswer showMessage(const Message&) override { return MessageAnswer::Ok; }
  std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> openFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
  std::optional<std::string> saveFileName(std::string_view, std::string_view, std::string_view) override { return {}; }
};

void ensureApplication() {
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "kelvaro_bench";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
}

void saveBitmap(const QString& file, QColor colour, int size) {
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(colour);
  image.save(file, "BMP");
}

// 200 placed objects: 120 lamps with a picture per state, 40 number panels, 20 gauges and
// 20 text panels, on a view with a 800 x 600 floor plan.
struct BigView {
  QTemporaryDir dir;
  Project project;
  CompileOutput compiled;
  ManualClock clock{46188.5};
  SilentUserInterface ui;
  std::unique_ptr<gui::TIntRunF> window;
  std::vector<int> symbols;
  int round = 0;

  BigView() {
    const std::string bmp = QDir(dir.path()).absolutePath().toStdString() + "/";
    saveBitmap(dir.filePath(QStringLiteral("PLAN.BMP")), Qt::white, 800);
    saveBitmap(dir.filePath(QStringLiteral("AUS.BMP")), Qt::darkGray, 40);
    saveBitmap(dir.filePath(QStringLiteral("AN.BMP")), Qt::yellow, 40);
    project.views = {{"Haus", {"PLAN.BMP", 1}}};
    project.typeStates = {{"Lampe:aus", TBitmapNam{"AUS.BMP", 1, 0}}, {"Lampe:an", TBitmapNam{"AN.BMP", 1, 0}}};
    for (int i = 0; i < 200; ++i) {
      TPSObj o = createObject("O" + std::to_string(i));
      o.ACode = 254;
      if (i < 120) {
        o.Typ = "Lampe";
        o.OKind = kKindUser;
        o.StartVal = "aus";
      } else if (i < 160 || i >= 180) {
        o.Typ = i < 160 ? "Zahl" : "Zeichen";
        o.OKind = i < 160 ? kKindNumber : kKindText;
        o.StartVal = i < 160 ? "0" : "Text";
      } else {
        o.Typ = "Zahl";
        o.OKind = kKindNumber;
        o.StartVal = "0";
        o.OutpRB = 1;
        o.GgeTo = 1000;
      }
      o.plans[0] = {"Haus", 10 + (i % 20) * 44, 10 + (i / 20) * 58, 40, 50};
      project.objects.push_back(std::move(o));
    }
    compiled = compile(project, project.constants, CompileMode::Run);
    gui::ExecutionWindowOptions options;
    options.autoTimers = false;
    options.bitmapDirectory = bmp;
    window = std::make_unique<gui::TIntRunF>(project, compiled, clock, ui, options);
    window->resize(900, 700);
    window->show();
    for (const ObjectCode& oc : compiled.objects) symbols.push_back(oc.stateSymbol);
  }

  // Every object changes: lamps toggle, numbers count, texts change.
  void changeAll() {
    ++round;
    Engine& engine = window->session().engine();
    for (std::size_t i = 0; i < symbols.size(); ++i) {
      if (i >= 180) {
        if (auto* s = std::get_if<TVarStr>(&engine.symbols()[static_cast<std::size_t>(symbols[i])].value)) {
          s->Value = "Text " + std::to_string(round);
          engine.markChanged(static_cast<int>(i));
        }
      } else {
        const int value = i < 120 ? round % 2 : round % 1000;
        engine.setVariable(symbols[i], value, value);
      }
    }
  }
};

// One refresh after every object changed; with paint, the window is drawn as well.
void refreshView(benchmark::State& state, bool paint) {
  ensureApplication();
  BigView view;
  if (view.compiled.result.code != 0) {
    state.SkipWithError("the view does not compile");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    view.changeAll();
    state.ResumeTiming();
    view.window->session().refreshDisplay();
    view.window->refreshElements();
    if (paint) benchmark::DoNotOptimize(view.window->grab());
  }
}

void BM_DisplayRefresh200Elements(benchmark::State& state) { refreshView(state, false); }
BENCHMARK(BM_DisplayRefresh200Elements)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_DisplayRefresh200ElementsPainted(benchmark::State& state) { refreshView(state, true); }
BENCHMARK(BM_DisplayRefresh200ElementsPainted)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace kelvaro
