// vantor: the command-line companion of Quarn Vantor.
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "platform/Console.h"

int main(int argc, char** argv) {
  PrepareConsole();
  CLI::App app{"Quarn Vantor command line: lists, inspects, extracts and plays the sounds of a Quarnhold metafile set."};
  app.name("vantor");
  app.set_version_flag("--version", "vantor " QUARN_VANTOR_VERSION " BETA");
  app.require_subcommand(1);
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(MakeListCommand(app));
  commands.push_back(MakeFindCommand(app));
  commands.push_back(MakeTagsCommand(app));
  commands.push_back(MakeInfoCommand(app));
  commands.push_back(MakeMetaCommand(app));
  commands.push_back(MakeLocateCommand(app));
  commands.push_back(MakeExtractCommand(app));
  commands.push_back(MakePlayCommand(app));

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return EXIT_USAGE;
  }
  for (auto& c : commands) {
    if (!c->app->parsed()) continue;
    int status = c->Run();
    // Ends without running destructors: the loaded catalogue is left to the system.
    fflush(stdout);
    fflush(stderr);
    _exit(status);
  }
  return EXIT_USAGE;
}
