// The program transfer: compile, then the image in blocks.
#include "app/program_transfer.h"

#include "language/errors.h"
#include "language/image.h"
#include "storage/atomic_file.h"
#include "text/cp1252.h"
#include "ui/user_interface.h"

namespace kelvaro {
namespace {

constexpr int kBlockSize = 100;

}  // namespace

std::vector<SunWeek> sunWeeks(int year, bool applySummerTime, const SunSettings& settings) {
  const SunTableResult table = SunTable(year, applySummerTime, settings);
  if (!table.error.empty()) return {};
  return {table.entries.begin(), table.entries.end()};
}

bool ProgramTransfer(UnitCommands& unit, Project& project, const CompileOptions& baseOptions,
                     const TransferHooks& hooks, const std::optional<std::string>& outputFile) {
  // ProgramTransfer: identify, compile, prepare, load address, blocks, end, name, clock
  Protocol& protocol = unit.protocol();
  UnitPage& page = unit.page();
  UserInterface& ui = protocol.ui();
  SerialLine& line = protocol.line();
  const bool hasObjects = !project.objects.empty();
  if (!hasObjects) page.StSndPgmCB = false;
  unit.status("");
  protocol.CancelRequested = false;
  bool ok = true;

  ui.showWait(kConnectingText);
  if (!unit.Identify()) {
    ui.closeWait();
    return false;
  }
  page.ConvertCoB = protocol.unit.TypeName;
  ui.closeWait();
  const std::uint8_t loadHigh = protocol.unit.TypeCode == 11 ? 0x30 : 0x10;

  auto finish = [&](bool result) {
    unit.Release(true);
    return result;
  };

  CompileOutput compiled;
  if (page.StSndPgmCB || outputFile) {
    CompileOptions options = baseOptions;
    options.unitTypeCode = protocol.unit.TypeCode;
    if (hooks.sunTable) options.sunTable = hooks.sunTable(protocol.unit.SummerTimeMode < 3);
    compiled = compile(project, project.constants, CompileMode::Image, options);
    if (compiled.result.code != 0) {
      if (compiled.result.code == kErrOverflow) {
        showError(ui, fromUtf8("Speicherüberlauf - Programm zu groß"));
      } else if (compiled.result.code > -8000) {
        if (hooks.showCompileError) hooks.showCompileError(compiled);
        else showError(ui, languageErrorMessage(compiled.result.code, compiled.result.name));
      }
      return finish(false);
    }
    page.InfoPgmGrLb = std::to_string(memoryUsePercent(compiled)) + " %";
    if (outputFile) {
      if (!replaceFile(*outputFile, imageFileBytes(compiled, *outputFile))) {
        showError(ui, "Datei " + *outputFile + " konnte nicht gespeichert werden");
        return finish(false);
      }
      return finish(true);
    }
  }

  unit.status(fromUtf8("Übertragung läuft"));
  if (page.StInitCB || page.StSndPgmCB) {
    const std::uint8_t prepare[] = {0x29, 0};
    unit.send(prepare, 6);
    line.WaitDays(kDays172_8ms);
  }
  if (page.StSndPgmCB && hasObjects) {
    line.WaitDays(kDays172_8ms);
    const std::uint8_t address[] = {0x36, loadHigh, 0, 0};
    unit.send(address, 8);
    line.WaitDays(kDays172_8ms);
    unit.status(fromUtf8("Programm wird übertragen"));
    const int start = compiled.imageBase;
    const int end = compiled.imageBase + compiled.imageSize + 1;
    const int total = (end - start + kBlockSize - 1) / kBlockSize;
    int sent = 0;
    for (int a = start; a < end; a += kBlockSize) {
      // The last block is a whole one too: it carries what the buffer holds past the end.
      // The frame's length counts one byte more than command and block: it goes as 0.
      std::uint8_t block[1 + kBlockSize + 1] = {};
      block[0] = 0x37;
      for (int i = 0; i < kBlockSize; ++i) {
        const std::size_t index = static_cast<std::size_t>(a + i - kDataStart);
        block[1 + i] = index < compiled.image.size() ? compiled.image[index] : 0xFF;
      }
      line.WaitDays(kDays172_8ms);
      if (unit.send(block, 106) != 108) {
        showError(ui, fromUtf8("Fehler bei der Programm-Übertragung"));
        unit.status(fromUtf8("Abbruch der Programmübertragung"));
        return finish(false);
      }
      ++sent;
      ui.showProgress(sent, total);
      if (hooks.blockSent) hooks.blockSent(sent, total);
    }
    line.WaitDays(kDays1_728s);
    const std::uint8_t endOfData[] = {0x38, 0};
    unit.send(endOfData, 6);
    line.WaitDays(kDays172_8ms);
    std::uint8_t name[10] = {0x39, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0};
    for (std::size_t i = 0; i < 8 && i < page.ProjNamLb.size(); ++i)
      name[1 + i] = static_cast<std::uint8_t>(page.ProjNamLb[i]);
    ok = unit.send(name, 14) == 16;
  } else if (page.StSndPgmCB) {
    showError(ui, "Keine Objekte definiert");
    unit.status("");
    return finish(false);
  }
  if (page.StSndTimeCB) ok = unit.SetUnitClock() && ok;
  // The status line says that the transfer went through; blank, it would look like the end
  // of a failed one, whose message box may long be gone.
  unit.Release(!ok);
  if (ok) unit.status(fromUtf8("Übertragung abgeschlossen"));
  return ok;
}

}  // namespace kelvaro
