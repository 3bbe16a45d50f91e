#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ExpectThrow.h"
#include "FileFixtures.h"
#include "Nuv_filesys_test_data.h"
#include "TempDir.h"
#include "nuv/Nuv_filesys.h"

namespace nuv {
namespace {

namespace fs = std::filesystem;
using testing::ExpectThrowMessage;
using testing::IoCodeOf;
using testing::ReadRawFile;
using testing::TempDir;
using testing::WriteRawFile;

TEST(FilesysText, AppendCreatesOnlyWhatIsMissing) {
  TempDir dir;
  const std::string name = dir.File("log.txt");
  AppendToTextFile(name, "first");
  AppendToTextFile(name, std::vector<std::string>{"second", "", "third"});
  EXPECT_EQ(ReadRawFile(name), "first\r\nsecond\r\n\r\nthird\r\n");
  WriteRawFile(dir.File("partial.txt"), "no line end");
  AppendToTextFile(dir.File("PARTIAL.TXT"), "more");
  EXPECT_EQ(ReadRawFile(dir.File("partial.txt")), "no line endmore\r\n");
  EXPECT_NE(IoCodeOf([&] { AppendToTextFile(dir.File("no/dir.txt"), "x"); }), 0);
  EXPECT_NE(IoCodeOf([&] { AppendToTextFile(dir.Path().string(), "x"); }), 0)
      << "a directory is no text file";
}

TEST(FilesysText, LineCountsOfUniversalNewlines) {
  TempDir dir;
  const std::string name = dir.File("lines.txt");
  int i = 0;
  for (const TLineItem& item : kLines) {
    SCOPED_TRACE(i++);
    WriteRawFile(name, item.Data);
    EXPECT_EQ(CountLinesInTextFile(name), item.Lines);
    TextFile f(name);
    f.Reset();
    std::string first;
    f.ReadLn(first);
    EXPECT_EQ(CountLinesInTextFile(f), item.Lines);
    EXPECT_TRUE(f.IsOpen());
    std::string again;
    f.ReadLn(again);
    EXPECT_EQ(again, first) << "reset after counting";
  }
}

TEST(FilesysText, LineCountsAcrossBufferBoundaries) {
  TempDir dir;
  const std::string name = dir.File("big.txt");
  // CR LF pairs and lone CRs at every offset of several buffers.
  std::string text;
  int64_t lines = 0;
  for (int k = 0; text.size() < (std::size_t{3} << 18) + 100; ++k) {
    text.append(static_cast<std::size_t>(k % 37) + 1, 'x');
    text += k % 3 == 0 ? "\r\n" : (k % 3 == 1 ? "\r" : "\n");
    ++lines;
  }
  text += "tail";
  WriteRawFile(name, text);
  EXPECT_EQ(CountLinesInTextFile(name), lines + 1);
  TextFile f(name);
  f.Reset();
  int64_t read = 0;
  for (std::string line; !f.Eof(); ++read) f.ReadLn(line);
  EXPECT_EQ(read, lines + 1) << "as ReadLn reads them";
  EXPECT_EQ(IoCodeOf([&] { CountLinesInTextFile(dir.File("missing.txt")); }), 2);
  TextFile none(dir.File("missing.txt"));
  EXPECT_EQ(IoCodeOf([&] { CountLinesInTextFile(none); }), 2);
}

TEST(FilesysText, WordsAreRunsFromExclamationMarkUp) {
  TempDir dir;
  WriteRawFile(dir.File("w.txt"), "  alpha\tbeta\r\n\x01gamma \xE9t\xE9!  ");
  TextFile f(dir.File("w.txt"));
  f.Reset();
  std::vector<std::string> words;
  for (std::string w; !(w = ReadNextWordInTextFile(f)).empty();) words.push_back(w);
  EXPECT_EQ(words, (std::vector<std::string>{"alpha", "beta", "gamma", "\xE9t\xE9!"}));
  EXPECT_EQ(ReadNextWordInTextFile(f), "");
}

TEST(FilesysText, SearchesInTextFiles) {
  TempDir dir;
  const std::string name = dir.File("s.txt");
  WriteRawFile(name, "first line\r\nSecond Needle here\nthird needle\n");
  std::string line = "stale";
  const struct {
    const char* s;
    bool ignoreCase;
    int32_t maxChars, detect, match;
    const char* line;
  } cases[] = {
      // Characters, not lines: "first line" adds 10, then the position 8.
      {"Needle", false, 1000, 18, 8, "Second Needle here"},
      {"needle", false, 1000, 35, 7, "third needle"},
      {"NEEDLE", true, 1000, 18, 8, "Second Needle here"},
      {"Needle", false, 18, 18, 8, "Second Needle here"},
      {"Needle", false, 17, 0, 8, "Second Needle here"},
      {"Needle", false, 10, 0, 8, "Second Needle here"},
      {"first", false, 0, 0, 1, "first line"},
      {"absent", true, 1000, 0, 0, ""},
      {"", false, 1000, 0, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectStringInFile(name, c.s, c.ignoreCase, c.maxChars), c.detect)
        << c.s << " max " << c.maxChars;
    EXPECT_EQ(FindFirstMatchInTextFile(name, c.s, c.ignoreCase, line), c.match) << c.s;
    EXPECT_EQ(line, c.line) << c.s;
  }
  EXPECT_EQ(IoCodeOf([&] { DetectStringInFile(dir.File("none"), "x", false, 10); }), 2);
  EXPECT_EQ(IoCodeOf([&] { FindFirstMatchInTextFile(dir.File("none"), "x", false, line); }), 2);
}

// ---------------------------------------------------------------------------
// TUnivSaveDialog

class UnivSaveDialog : public ::testing::Test {
 protected:
  UnivSaveDialog() : dlg_(nullptr) { dlg_.SetName("dlg"); }
  ~UnivSaveDialog() override { SetSaveDialogHook({}); }

  // Custom selection of the names in turn (the last one repeated), with
  // overwrite replies in turn; every name exists when exists is true.
  void UseHandlers(std::vector<std::string> names, std::vector<TModalResult> replies, bool exists) {
    dlg_.SetUseStandardDialog(false);
    dlg_.OnFileSelect = [this, names](TObject* sender, const std::string& params, std::string& name,
                                      TModalResult& action) {
      EXPECT_EQ(sender, &dlg_);
      EXPECT_EQ(params, dlg_.Parameters());
      EXPECT_EQ(action, mrCancel) << "preset";
      name = names[std::min(selects_, names.size() - 1)];
      ++selects_;
      action = mrOk;
    };
    dlg_.OnFileCheck = [exists](TObject*, const std::string&, bool& doesExist) {
      EXPECT_FALSE(doesExist) << "preset";
      doesExist = exists;
    };
    dlg_.OnOverwrite = [this, replies](TObject*, const std::string& name, TModalResult& reply) {
      EXPECT_EQ(reply, mrNo) << "preset";
      EXPECT_EQ(name, dlg_.FileName());
      reply = replies[std::min(overwrites_, replies.size() - 1)];
      ++overwrites_;
    };
  }

  TUnivSaveDialog dlg_;
  std::size_t selects_ = 0, overwrites_ = 0;
};

TEST_F(UnivSaveDialog, HandlersDecideInTurn) {
  const struct {
    bool exists;
    std::vector<TModalResult> replies;
    bool result;
    std::size_t selects, overwrites;
    const char* name;
  } cases[] = {
      {false, {mrYes}, true, 1, 0, "a.txt"},
      {true, {mrYes}, true, 1, 1, "a.txt"},
      {true, {mrCancel}, false, 1, 1, "a.txt"},
      {true, {mrNo, mrNo, mrYes}, true, 3, 3, "c.txt"},
      {true, {mrNo, mrCancel}, false, 2, 2, "b.txt"},
  };
  for (const auto& c : cases) {
    selects_ = overwrites_ = 0;
    UseHandlers({"a.txt", "b.txt", "c.txt"}, c.replies, c.exists);
    EXPECT_EQ(dlg_.Execute(), c.result) << c.name;
    EXPECT_EQ(selects_, c.selects) << c.name;
    EXPECT_EQ(overwrites_, c.overwrites) << c.name;
    EXPECT_EQ(dlg_.FileName(), c.name);
  }
}

TEST_F(UnivSaveDialog, CancelledSelectionAndUnassignedCheck) {
  dlg_.SetUseStandardDialog(false);
  dlg_.SetFileName("before.txt");
  dlg_.OnFileSelect = [](TObject*, const std::string&, std::string& name, TModalResult&) {
    name = "ignored.txt";
  };
  EXPECT_FALSE(dlg_.Execute()) << "the preset action is cancel";
  EXPECT_EQ(dlg_.FileName(), "before.txt");
  dlg_.OnFileSelect = [](TObject*, const std::string&, std::string& name, TModalResult& action) {
    name = "new.txt";
    action = mrOk;
  };
  EXPECT_TRUE(dlg_.Execute()) << "no check handler: the file is new, no overwrite question";
  EXPECT_EQ(dlg_.FileName(), "new.txt");
}

TEST_F(UnivSaveDialog, EndlessNoEndsAfterMaxRounds) {
  UseHandlers({"same.txt"}, {mrNo}, true);
  EXPECT_FALSE(dlg_.Execute());
  EXPECT_EQ(selects_, static_cast<std::size_t>(TUnivSaveDialog::MaxRounds));
  dlg_.OnOverwrite = [](TObject*, const std::string&, TModalResult&) {};
  EXPECT_FALSE(dlg_.Execute()) << "a handler that leaves the preset no";
}

TEST_F(UnivSaveDialog, MisuseRaises) {
  dlg_.SetUseStandardDialog(false);
  ExpectThrowMessage<ENUVFileSysError>([&] { dlg_.Execute(); },
                                       "Component \"dlg\": File select dialog is not assigned");
  UseHandlers({"a.txt"}, {mrIgnore}, true);
  ExpectThrowMessage<ENUVFileSysError>(
      [&] { dlg_.Execute(); }, "Component \"dlg\": Invalid reply argument from overwrite dialog");
  dlg_.OnOverwrite = nullptr;
  ExpectThrowMessage<ENUVFileSysError>([&] { dlg_.Execute(); },
                                       "Component \"dlg\": Overwrite dialog is not assigned");
}

TEST_F(UnivSaveDialog, StandardDialogThroughTheHook) {
  TempDir dir;
  WriteRawFile(dir.File("taken.csv"), "x");
  dlg_.SetParameters("filter=\"Data|*.csv\" ext=\"csv\" caption=\"Save data\" initialdir=\"" +
                     dir.Path().string() + "\"");
  dlg_.SetFileName("preset.dat");
  std::vector<std::string> offered = {dir.File("taken.dat"), dir.File("fresh.txt")};
  std::size_t shown = 0;
  SetSaveDialogHook([&](TSaveDialog& d, uint32_t&) {
    EXPECT_EQ(d.Filter(), "Data|*.csv");
    EXPECT_EQ(d.Title(), "Save data");
    EXPECT_EQ(d.InitialDir(), dir.Path().string());
    EXPECT_EQ(d.FileName(), shown == 0 ? "preset.dat" : dir.File("taken.csv"));
    d.SetFileName(offered[shown++]);
    return true;
  });
  TModalResult reply = mrNo;
  dlg_.OnOverwrite = [&](TObject*, const std::string& name, TModalResult& r) {
    EXPECT_EQ(name, dir.File("taken.csv")) << "the file system says it exists";
    r = reply;
  };
  EXPECT_TRUE(dlg_.Execute());
  EXPECT_EQ(shown, 2u);
  EXPECT_EQ(dlg_.FileName(), dir.File("fresh.csv")) << "the extension replaced";

  SetSaveDialogHook([](TSaveDialog&, uint32_t&) { return false; });
  EXPECT_FALSE(dlg_.Execute());
  SetSaveDialogHook([](TSaveDialog&, uint32_t& error) {
    error = CDERR_DIALOGFAILURE;
    return false;
  });
  ExpectThrowMessage<ENUVFileSysError>([&] { dlg_.Execute(); },
                                       "Component \"dlg\": Error in standard dialog (errnum = $FFFF).");
}

TEST_F(UnivSaveDialog, ParametersAsNumbers) {
  dlg_.SetParameters("n=\" 42x\" d=\"3,25\" e=1.5e2 neg=-7 bad=\"abc\" empty=\"\"");
  EXPECT_EQ(dlg_.ExtractParamAsString("N"), " 42x");
  EXPECT_EQ(dlg_.ExtractParamAsInt("n"), 42);
  EXPECT_EQ(dlg_.ExtractParamAsInt("neg"), -7);
  EXPECT_EQ(dlg_.ExtractParamAsDouble("d"), 3.25) << "comma as separator";
  EXPECT_EQ(dlg_.ExtractParamAsDouble("e"), 150);
  EXPECT_EQ(dlg_.ExtractParamAsInt("bad"), 0) << "kept: a value without number reads as 0";
  EXPECT_EQ(dlg_.ExtractParamAsString("missing"), "");
  ExpectThrowMessage<ENUVFileSysError>(
      [&] { dlg_.ExtractParamAsInt("missing"); },
      "Component \"dlg\": missing is not specified in property Parameters");
  ExpectThrowMessage<ENUVFileSysError>(
      [&] { dlg_.ExtractParamAsDouble("empty"); },
      "Component \"dlg\": empty is not specified in property Parameters");
}

}  // namespace
}  // namespace nuv
