// The commands of `vantor`: each adds its subcommand to the app and runs when it was chosen.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>

class Command {
 public:
  virtual ~Command() = default;
  virtual int Run() = 0;
  CLI::App* app = nullptr;
};

std::unique_ptr<Command> MakeListCommand(CLI::App& parent);
std::unique_ptr<Command> MakeTagsCommand(CLI::App& parent);
std::unique_ptr<Command> MakeInfoCommand(CLI::App& parent);
std::unique_ptr<Command> MakeMetaCommand(CLI::App& parent);
std::unique_ptr<Command> MakeLocateCommand(CLI::App& parent);
std::unique_ptr<Command> MakeExtractCommand(CLI::App& parent);
std::unique_ptr<Command> MakePlayCommand(CLI::App& parent);
std::unique_ptr<Command> MakeFindCommand(CLI::App& parent);
