// nuv checksum: the CRC-32 and SHA-1 of files, through the checksums of the
// foundation library.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli.h"
#include "nuv/Nuv_dstruct.h"
#include "nuv/Nuv_math1.h"

namespace nuv::tool {

namespace {

struct TChecksumArgs {
  std::vector<std::string> Files;
  TOutputMode Output;
};

void Run(const TChecksumArgs& a) {
  ordered_json files = ordered_json::array();
  int32_t failed = 0;
  for (const std::string& file : a.Files) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec) || access(file.c_str(), R_OK) != 0) {
      std::cerr << "nuv checksum: " << file << ": not a readable file\n";
      ++failed;
      continue;
    }
    std::string crc, sha1;
    try {
      sha1 = SHA1DigestToHex(SHA1FromFile(Ansi(file)));
      crc = Hex(static_cast<int32_t>(CalcCRC32ofFile(Ansi(file))), 8);
    } catch (const Exception& e) {
      std::cerr << "nuv checksum: " << file << ": " << Utf8(e.Message()) << '\n';
      ++failed;
      continue;
    }
    if (a.Output.Json)
      files.push_back({{"file", file}, {"crc32", crc}, {"sha1", sha1}});
    else
      std::cout << crc << "  " << sha1 << "  " << file << '\n';
  }
  if (a.Output.Json) PrintJson({{"files", files}});
  if (failed > 0)
    throw TJobError("checksum: " + std::to_string(failed) + " files could not be read");
}

}  // namespace

void AddChecksumCommand(CLI::App& app) {
  auto a = std::make_shared<TChecksumArgs>();
  CLI::App* cmd = app.add_subcommand("checksum", "CRC-32 and SHA-1 of files");
  cmd->footer("Prints per file the CRC-32 (ISO 3309) and the SHA-1 in hexadecimal.");
  cmd->add_option("FILES", a->Files, "the files")->required();
  AddJsonFlag(*cmd, a->Output);
  cmd->callback([a] { Run(*a); });
}

}  // namespace nuv::tool
