// kelvaro-cli: the headless tool.
#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"kelvaro-cli - headless tool of kelvaro"};
  app.require_subcommand(1);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
