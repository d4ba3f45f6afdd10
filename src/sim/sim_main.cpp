// kelvaro-sim: a simulated control unit on a pseudo-terminal. The PC side opens the link
// PATH like any serial device; what the unit received is written out with --dump/--image.
// --scenario puts stations and radio devices behind the unit (docs/scenario.md); --modem puts a
// Hayes modem in front of it, which the PC dials.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/run_commands.h"
#include "control_unit.h"
#include "hardware/unit_types.h"
#include "modem.h"
#include "storage/atomic_file.h"
#include "time/clock.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"kelvaro-sim: a simulated control unit on a pseudo-terminal"};
  std::string ptyLink;
  std::string typeName = "CU-A2-3.20";
  int version = 53;
  std::string dumpFile, imageFile, scenarioFile;
  int speed = 1;
  kelvaro::sim::UnitConfig config;
  app.add_option("--pty", ptyLink, "path of the symbolic link to the pseudo-terminal")->required();
  app.add_option("--type", typeName, "type name of the unit, or RFI-RS1 or ELV-RFI for a radio PC interface");
  app.add_option("--version", version, "version byte of the identification reply")->check(CLI::Range(0, 255));
  app.add_option("--dump", dumpFile, "text summary of what the unit received, kept up to date");
  app.add_option("--scenario", scenarioFile, "stations and radio devices behind the unit, and what they send when");
  app.add_option("--speed", speed, "the scenario's time runs this many times faster than real time")
      ->check(CLI::Range(1, 3600));
  app.add_option("--image", imageFile, "the program bytes received, kept up to date");
  app.add_option("--serial", config.serialNumber, "serial number of the radio part (CU/F-A2, RFI-RS1, ELV-RFI)");
  app.add_option("--drop", config.faults.dropRate, "share of reply bytes lost")->check(CLI::Range(0.0, 1.0));
  app.add_flag("--noise", config.faults.noise, "random bytes before every reply");
  app.add_flag("--bad-checksum", config.faults.wrongChecksum, "replies with a wrong checksum");
  app.add_flag("--silent", config.faults.silent, "never answer");
  app.add_option("--seed", config.faults.seed, "seed of the fault dice");
  bool withModem = false;
  std::vector<std::string> dialOutcomes;
  kelvaro::sim::ModemConfig modemConfig;
  app.add_flag("--modem", withModem, "a Hayes modem in front of the unit: the PC dials it first");
  app.add_option("--dial", dialOutcomes, "NUMBER=busy|no-carrier|no-answer: what dialling NUMBER gives (else CONNECT)");
  app.add_flag("--split-connect", modemConfig.splitConnect, "the modem's CONNECT comes in two parts");
  CLI11_PARSE(app, argc, argv);

  const int typeCode = kelvaro::unitTypeCode(typeName);
  config.replyCode = kelvaro::replyCodeOf(typeCode);
  if (config.replyCode == 0) {
    std::cerr << "unknown unit type: " << typeName << "\n";
    return 2;
  }
  if (config.replyCode == 11 || config.replyCode == 12)
    std::cerr << "note: a pseudo-terminal has no modem lines, so the hand-shake of " << typeName
              << " cannot be carried; the PC side will time out\n";
  config.versionByte = static_cast<std::uint8_t>(version);
  kelvaro::sim::ControlUnit unit(config);
  for (const auto& d : dialOutcomes) {
    const auto eq = d.find('=');
    const std::string what = eq == std::string::npos ? "" : d.substr(eq + 1);
    const auto outcome = what == "busy"         ? kelvaro::sim::DialOutcome::Busy
                         : what == "no-carrier" ? kelvaro::sim::DialOutcome::NoCarrier
                         : what == "no-answer"  ? kelvaro::sim::DialOutcome::NoAnswer
                                                : kelvaro::sim::DialOutcome::Connect;
    if (eq == 0 || outcome == kelvaro::sim::DialOutcome::Connect) {
      std::cerr << "bad --dial " << d << " (expected NUMBER=busy, NUMBER=no-carrier or NUMBER=no-answer)\n";
      return 2;
    }
    modemConfig.numbers[d.substr(0, eq)] = outcome;
  }
  kelvaro::sim::Modem modem(unit, modemConfig);
  // The PC's end of the pseudo-terminal: the unit itself, or the modem in front of it.
  kelvaro::SimulatedDevice& device = withModem ? static_cast<kelvaro::SimulatedDevice&>(modem) : unit;
  kelvaro::sim::ScenarioLoad scenario;
  if (!scenarioFile.empty()) {
    // The program's own reader: a directory or an oversized file is refused, not read as empty.
    const kelvaro::ScenarioFileRead file = kelvaro::readScenarioFile(scenarioFile);
    if (!file.present || !file.error.empty()) {
      std::cerr << "cannot read " << scenarioFile << "\n";
      return 2;
    }
    scenario = kelvaro::sim::loadScenario(file.text);
    if (!scenario.ok()) {
      std::cerr << scenarioFile << ": " << scenario.error << "\n";
      return 2;
    }
    // Sped up for a run of kelvaro-cli with the same --speed, so that an hour passes in seconds.
    // Only the scenario's events come sooner: the unit still answers at the pace of the line.
    for (auto& event : scenario.scenario.events) event.atMs /= static_cast<std::uint64_t>(speed);
    for (auto& event : scenario.scenario.lineEvents) event.atMs /= static_cast<std::uint64_t>(speed);
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("posix_openpt");
    return 1;
  }
  const char* slaveName = ptsname(master);
  // Keep the slave open ourselves: without it the master reads EIO between two PC sessions.
  const int slave = ::open(slaveName, O_RDWR | O_NOCTTY);
  if (slave < 0) {
    std::perror(slaveName);
    return 1;
  }
  termios tio{};
  tcgetattr(slave, &tio);
  cfmakeraw(&tio);
  tcsetattr(slave, TCSANOW, &tio);
  std::error_code ec;
  std::filesystem::remove(ptyLink, ec);
  std::filesystem::create_symlink(slaveName, ptyLink, ec);
  if (ec) {
    std::cerr << "cannot create " << ptyLink << ": " << ec.message() << "\n";
    return 1;
  }
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  std::cout << slaveName << std::endl;

  kelvaro::SystemClock clock;
  // The scenario's time starts with the PC's first frame (its identification request), so that
  // a run started at any moment after the simulator meets the same events at the same times.
  // With the modem it starts at once: a PC waiting for a call may send nothing before it rings.
  bool scenarioStarted = withModem;
  if (withModem) modem.setScenario(std::move(scenario.scenario), clock.monotonicMs());
  std::size_t framesWritten = 0, modemCommands = 0;
  int modemConnects = 0;
  const auto dumpText = [&] { return unit.dumpText() + (withModem ? modem.dumpText() : std::string()); };
  while (!g_stop) {
    pollfd p{master, POLLIN, 0};
    ::poll(&p, 1, 1);
    if (p.revents & POLLIN) {
      std::uint8_t buf[512];
      const ssize_t n = ::read(master, buf, sizeof buf);
      if (n > 0) device.fromPc(std::span<const std::uint8_t>(buf, static_cast<std::size_t>(n)), clock.monotonicMs());
      if (!scenarioStarted && !unit.frames.empty()) {
        unit.setScenario(std::move(scenario.scenario), clock.monotonicMs());
        scenarioStarted = true;
      }
    }
    std::vector<std::uint8_t> out;
    device.toPc(clock.monotonicMs(), out);
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t w = ::write(master, out.data() + done, out.size() - done);
      if (w <= 0) break;
      done += static_cast<std::size_t>(w);
    }
    if (unit.frames.size() != framesWritten || modem.commandCount != modemCommands || modem.connects != modemConnects) {
      framesWritten = unit.frames.size();
      modemCommands = modem.commandCount;
      modemConnects = modem.connects;
      if (!dumpFile.empty()) kelvaro::replaceFile(dumpFile, dumpText());
      if (!imageFile.empty()) {
        const auto image = unit.programImage();
        kelvaro::replaceFile(imageFile, std::string(image.begin(), image.end()));
      }
    }
  }
  // Events since the last frame (a station fallen silent) show in the last dump too.
  if (!dumpFile.empty()) kelvaro::replaceFile(dumpFile, dumpText());
  std::filesystem::remove(ptyLink, ec);
  ::close(slave);
  ::close(master);
  return 0;
}
