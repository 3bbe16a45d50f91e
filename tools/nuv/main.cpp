// nuv: the libraries' main jobs from the command line. Every command is a
// thin layer over the public API, so what it prints is what an application
// gets. Data go to stdout, messages to stderr; the exit code is 0 on
// success, 1 when the job failed and 2 when the command line was wrong.
#include <QString>
#include <QtGlobal>
#include <cstdlib>
#include <iostream>

#include "cli.h"
#include "nuv/platform/SysUtils.h"

namespace {

constexpr const char* kFooter =
    "\nEach command has its own --help. Data go to stdout, messages to stderr;\n"
    "exit 0 on success, 1 when the job failed, 2 on a usage error.";

// Qt's warnings (a missing runtime directory on the offscreen platform)
// are not the command's messages; critical ones still get through.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::cerr << "nuv: " << text.toStdString() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  // Commands that draw or hold a control work without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(QtMessages);
  CLI::App app("nuv: the nuv libraries' main jobs from the command line", "nuv");
  app.set_version_flag("--version", std::string("nuv ") + NUV_VERSION);
  app.footer(kFooter);
  app.require_subcommand(1);
  nuv::tool::AddStatsCommand(app);
  nuv::tool::AddFitCommand(app);
  nuv::tool::AddDistCommand(app);
  nuv::tool::AddGeoCommand(app);
  nuv::tool::AddMapCommand(app);
  nuv::tool::AddFormulaCommand(app);
  nuv::tool::AddMolCommand(app);
  nuv::tool::AddChecksumCommand(app);
  nuv::tool::AddUnitsCommand(app);
  nuv::tool::AddDemoCommand(app);
  app.add_subcommand("version", "print the library version")->callback([] {
    std::cout << "nuv " << NUV_VERSION << '\n';
  });
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "nuv: " << e.what() << "\nRun 'nuv --help' or 'nuv <command> --help'.\n";
    return nuv::tool::kExitUsage;
  } catch (const nuv::tool::TUsageError& e) {
    std::cerr << "nuv: " << e.what() << '\n';
    return nuv::tool::kExitUsage;
  } catch (const nuv::tool::TJobError& e) {
    std::cerr << "nuv: " << e.what() << '\n';
    return nuv::tool::kExitFailed;
  } catch (const nuv::Exception& e) {
    std::cerr << "nuv: " << nuv::tool::Utf8(e.Message()) << '\n';
    return nuv::tool::kExitFailed;
  } catch (const std::exception& e) {
    std::cerr << "nuv: " << e.what() << '\n';
    return nuv::tool::kExitFailed;
  }
  return 0;
}
